// The About box and the performance warning.
#include <QCheckBox>
#include <QPushButton>

#include "app/dialog_builder.h"
#include "app/dialogs.h"
#include "app/display_modes.h"
#include "app/preferences.h"

namespace {

constexpr ControlDescription AboutControls[] = {
    {ControlKind::Icon, 0, "AppIcon", 0, 0, 0, 2, 1},
    {ControlKind::Text, 0, "Wendal", 0, 0, 1, 1, 2},
    {ControlKind::Text, 0, "Version:", 0, 1, 1, 1, 1},
    {ControlKind::Text, 0, WENDAL_VERSION, 0, 1, 2, 1, 1},
    {ControlKind::DefaultButton, 1, "OK", 0, 0, 3, 1, 1},
};
constexpr DialogDescription AppAbout = {"AppAbout", "About Wendal", AboutControls,
                                        int(std::size(AboutControls))};

constexpr ControlDescription WarnControls[] = {
    {ControlKind::Text, 0,
     "There is not enough Video RAM to allocate a buffer for this screen\nmode. It will be "
     "emulated using system memory.",
     0, 0, 0, 1, 1},
    {ControlKind::Text, 0, "Click Help for more information.", 0, 1, 0, 1, 1},
    {ControlKind::CheckBox, 1030, "Don't show this message again", 0, 2, 0, 1, 1},
    {ControlKind::DefaultButton, 1, "OK", 0, 0, 1, 1, 1},
    {ControlKind::Button, 1029, "Help", 0, 1, 1, 1, 1},
};
constexpr DialogDescription VidWarnDialog = {"VidWarnDialog", "Performance Warning", WarnControls,
                                             int(std::size(WarnControls))};

} // namespace

void ShowAboutDialog() { BuildDialog(AppAbout)->exec(); }

void ShowPerformanceWarning() {
    std::unique_ptr<QDialog> d = BuildDialog(VidWarnDialog);
    auto* dontShow = ControlOf<QCheckBox>(d.get(), 1030);
    QObject::connect(ControlOf<QPushButton>(d.get(), 1029), &QPushButton::clicked,
                     [] { ShowPerformanceHelp(); });
    d->exec();
    Preferences.warnings = dontShow->isChecked() ? 0 : 1;
}

void ShowPendingVideoWarning() {
    if (!VidMemWarning) return;
    VidMemWarning = false;
    if (Preferences.warnings) ShowPerformanceWarning();
}
