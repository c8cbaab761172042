// The About box and the performance warning.
#include <QCheckBox>
#include <QPushButton>

#include "app/dialog_builder.h"
#include "app/dialogs.h"
#include "app/display_modes.h"
#include "app/preferences.h"

namespace {

constexpr ControlDescription AboutControls[] = {
    {ControlKind::Icon, nullptr, "AppIcon", nullptr, 0, 0, 2, 1},
    {ControlKind::Text, nullptr, "Wendal", nullptr, 0, 1, 1, 2},
    {ControlKind::Text, nullptr, "Version:", nullptr, 1, 1, 1, 1},
    {ControlKind::Text, nullptr, WENDAL_VERSION, nullptr, 1, 2, 1, 1},
    {ControlKind::DefaultButton, "ok", "OK", nullptr, 0, 3, 1, 1},
};
constexpr DialogDescription AppAbout = {"AppAbout", "About Wendal", AboutControls,
                                        int(std::size(AboutControls))};

constexpr ControlDescription WarnControls[] = {
    {ControlKind::Text, nullptr,
     "There is not enough Video RAM to allocate a buffer for this screen\nmode. It will be "
     "emulated using system memory.",
     nullptr, 0, 0, 1, 1},
    {ControlKind::Text, nullptr, "Click Help for more information.", nullptr, 1, 0, 1, 1},
    {ControlKind::CheckBox, "dontShow", "Don't show this message again", nullptr, 2, 0, 1, 1},
    {ControlKind::DefaultButton, "ok", "OK", nullptr, 0, 1, 1, 1},
    {ControlKind::Button, "help", "Help", nullptr, 1, 1, 1, 1},
};
constexpr DialogDescription VidWarnDialog = {"VidWarnDialog", "Performance Warning", WarnControls,
                                             int(std::size(WarnControls))};

} // namespace

void ShowAboutDialog() { BuildDialog(AppAbout)->exec(); }

void ShowPerformanceWarning() {
    std::unique_ptr<QDialog> d = BuildDialog(VidWarnDialog);
    auto* dontShow = ControlOf<QCheckBox>(d.get(), "dontShow");
    QObject::connect(ControlOf<QPushButton>(d.get(), "help"), &QPushButton::clicked,
                     [] { ShowPerformanceHelp(); });
    d->exec();
    Preferences.warnings = dontShow->isChecked() ? 0 : 1;
}

void ShowPendingVideoWarning() {
    if (!VidMemWarning) return;
    VidMemWarning = false;
    if (Preferences.warnings) ShowPerformanceWarning();
}
