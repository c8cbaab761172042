// The dialogs that edit settings: Joystick, Sound Settings and Preferences.
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "app/dialog_builder.h"
#include "app/dialogs.h"
#include "app/settings_values.h"
#include "app/window_services.h"

namespace {

constexpr ControlDescription JoyControls[] = {
    {ControlKind::Icon, nullptr, "130", nullptr, 0, 0, 2, 1},
    {ControlKind::Group, "keybJoystick", "Cursor Keys + TAB Emulates", nullptr, 0, 1, 1, 1},
    {ControlKind::Radio, "keybCursor", "Cursor Joystick", "keybJoystick", 0, 0, 1, 1},
    {ControlKind::Radio, "keybKempston", "Kempston Joystick", "keybJoystick", 1, 0, 1, 1},
    {ControlKind::Group, "pcJoystick", "PC Joystick Emulates", nullptr, 1, 1, 1, 1},
    {ControlKind::Radio, "pcCursor", "Cursor Joystick", "pcJoystick", 0, 0, 1, 1},
    {ControlKind::Radio, "pcKempston", "Kempston Joystick", "pcJoystick", 1, 0, 1, 1},
    {ControlKind::DefaultButton, "ok", "OK", nullptr, 0, 2, 1, 1},
};
constexpr DialogDescription JoyDialog = {"JoyDialog", "Joystick Settings", JoyControls,
                                         int(std::size(JoyControls))};

constexpr ControlDescription SndControls[] = {
    {ControlKind::Icon, nullptr, "135", nullptr, 0, 0, 3, 1},
    {ControlKind::Group, "volumeGroup", "Speaker Volume", nullptr, 0, 1, 1, 1},
    {ControlKind::Slider, "volume", nullptr, "volumeGroup", 0, 0, 1, 2},
    {ControlKind::Text, nullptr, "Low", "volumeGroup", 1, 0, 1, 1},
    {ControlKind::Text, nullptr, "High", "volumeGroup", 1, 1, 1, 1},
    {ControlKind::Group, "tapeVolumeGroup", "Tape Volume", nullptr, 1, 1, 1, 1},
    {ControlKind::Slider, "tapeVolume", nullptr, "tapeVolumeGroup", 0, 0, 1, 2},
    {ControlKind::Text, nullptr, "Low", "tapeVolumeGroup", 1, 0, 1, 1},
    {ControlKind::Text, nullptr, "High", "tapeVolumeGroup", 1, 1, 1, 1},
    {ControlKind::Group, "buffersGroup", "Buffers", nullptr, 2, 1, 1, 1},
    {ControlKind::Slider, "soundBuffers", nullptr, "buffersGroup", 0, 0, 1, 2},
    {ControlKind::Text, nullptr, "0", "buffersGroup", 1, 0, 1, 1},
    {ControlKind::Text, nullptr, "50", "buffersGroup", 1, 1, 1, 1},
    {ControlKind::Text, nullptr,
     "The correct setting will depend on your computer. It should be set to the lowest value "
     "that produces good sound.",
     nullptr, 3, 0, 1, 3},
    {ControlKind::DefaultButton, "ok", "OK", nullptr, 0, 2, 1, 1},
};
constexpr DialogDescription SndDialog = {"SndDialog", "Sound Settings", SndControls,
                                         int(std::size(SndControls))};

constexpr ControlDescription PrefsControls[] = {
    {ControlKind::Group, "userInterface", "User Interface", nullptr, 0, 0, 1, 1},
    {ControlKind::CheckBox, "shadedTitles", "Shaded Title Bar", "userInterface", 0, 0, 1, 1},
    {ControlKind::CheckBox, "warnings", "Show Warning Messages", "userInterface", 1, 0, 1, 1},
    {ControlKind::Group, "saveOptions", "Save Options", nullptr, 1, 0, 1, 1},
    {ControlKind::CheckBox, "saveSettings", "Save Settings on Exit", "saveOptions", 0, 0, 1, 1},
    {ControlKind::DefaultButton, "ok", "OK", nullptr, 0, 1, 1, 1},
};
constexpr DialogDescription PrefsDialog = {"PrefsDialog", "Preferences", PrefsControls,
                                           int(std::size(PrefsControls))};

void SetUpSlider(QSlider* slider, int maximum, int ticks, int page, uint8_t position) {
    slider->setRange(0, maximum);
    slider->setTickInterval(ticks);
    slider->setPageStep(page);
    slider->setValue(position);
    // The position as a number beside the slider, following it.
    auto* value = new QLabel;
    value->setObjectName(slider->objectName() + QStringLiteral("Value"));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("000")));
    value->setNum(slider->value());
    QObject::connect(slider, &QSlider::valueChanged, value, qOverload<int>(&QLabel::setNum));
    if (auto* grid = qobject_cast<QGridLayout*>(slider->parentWidget()->layout()))
        grid->addWidget(value, 0, 2);
}

// A setting's row in the table, and the control that edits it.
const StoredSetting& Row(const char* name) { return *FindStoredSetting(name); }
template <class T> T* ControlFor(QDialog* dialog, const StoredSetting& setting) {
    return ControlOf<T>(dialog, setting.control);
}

} // namespace

void ShowJoystickDialog() {
    std::unique_ptr<QDialog> d = BuildDialog(JoyDialog);
    const StoredSetting &keybRow = Row("Keyb Joystick"), &pcRow = Row("PC Joystick");
    // The stored values check their buttons; any other value checks none.
    const char* const keyb[2] = {"keybCursor", "keybKempston"};
    const char* const pc[2] = {"pcCursor", "pcKempston"};
    for (int v = 1; v <= 2; ++v) {
        if (StoredValue(keybRow) == v)
            ControlOf<QRadioButton>(d.get(), keyb[v - 1])->setChecked(true);
        if (StoredValue(pcRow) == v) ControlOf<QRadioButton>(d.get(), pc[v - 1])->setChecked(true);
        // A click takes effect at once, from the next frame.
        QObject::connect(ControlOf<QRadioButton>(d.get(), keyb[v - 1]), &QRadioButton::clicked,
                         [&keybRow, v] { SetStoredValue(keybRow, uint8_t(v)); });
        QObject::connect(ControlOf<QRadioButton>(d.get(), pc[v - 1]), &QRadioButton::clicked,
                         [&pcRow, v] { SetStoredValue(pcRow, uint8_t(v)); });
    }
    if (StoredValue(pcRow) == 0) { // no controller was found
        ControlFor<QWidget>(d.get(), pcRow)->setEnabled(false);
        ControlOf<QWidget>(d.get(), "pcCursor")->setEnabled(false);
        ControlOf<QWidget>(d.get(), "pcKempston")->setEnabled(false);
    }
    d->exec();
}

void ShowSoundDialog() {
    std::unique_ptr<QDialog> d = BuildDialog(SndDialog);
    struct Slider {
        const StoredSetting& setting;
        int ticks; // tick interval and page step
        QSlider* control;
    } sliders[] = {{Row("Volume"), 8, nullptr},
                   {Row("Tape Volume"), 8, nullptr},
                   {Row("Sound Buffers"), 5, nullptr}};
    for (Slider& s : sliders) {
        s.control = ControlFor<QSlider>(d.get(), s.setting);
        SetUpSlider(s.control, s.setting.high, s.ticks, s.ticks, StoredValue(s.setting));
    }
    for (QLabel* label : d->findChildren<QLabel*>())
        if (label->text() == QLatin1String("High") || label->text() == QLatin1String("50"))
            label->setAlignment(Qt::AlignRight); // under the slider's right end
    d->exec();
    // The sliders start at 0: no buffer at all would leave nothing queued, the least is one.
    for (const Slider& s : sliders) SetStoredValue(s.setting, uint8_t(s.control->value()));
}

void ShowPreferencesDialog() {
    std::unique_ptr<QDialog> d = BuildDialog(PrefsDialog);
    const StoredSetting* rows[] = {&Row("Shaded Titles"), &Row("Warnings"), &Row("Save Settings")};
    for (const StoredSetting* row : rows)
        ControlFor<QCheckBox>(d.get(), *row)->setChecked(StoredValue(*row) == 1);
    d->exec();
    for (const StoredSetting* row : rows)
        SetStoredValue(*row, ControlFor<QCheckBox>(d.get(), *row)->isChecked() ? 1 : 0);
    UpdateCaptionStyle();
}
