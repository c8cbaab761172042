// The dialogs that edit settings: Joystick, Sound Settings and Preferences.
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "app/dialog_builder.h"
#include "app/dialogs.h"
#include "app/window_services.h"
#include "peripherals/settings.h"

namespace {

constexpr ControlDescription JoyControls[] = {
    {ControlKind::Icon, 0, "130", 0, 0, 0, 2, 1},
    {ControlKind::Group, 1009, "Cursor Keys + TAB Emulates", 0, 0, 1, 1, 1},
    {ControlKind::Radio, 1003, "Cursor Joystick", 1009, 0, 0, 1, 1},
    {ControlKind::Radio, 1004, "Kempston Joystick", 1009, 1, 0, 1, 1},
    {ControlKind::Group, 1008, "PC Joystick Emulates", 0, 1, 1, 1, 1},
    {ControlKind::Radio, 1005, "Cursor Joystick", 1008, 0, 0, 1, 1},
    {ControlKind::Radio, 1006, "Kempston Joystick", 1008, 1, 0, 1, 1},
    {ControlKind::DefaultButton, 1, "OK", 0, 0, 2, 1, 1},
};
constexpr DialogDescription JoyDialog = {"JoyDialog", "Joystick Settings", JoyControls,
                                         int(std::size(JoyControls))};

constexpr ControlDescription SndControls[] = {
    {ControlKind::Icon, 0, "135", 0, 0, 0, 3, 1},
    {ControlKind::Group, 1009, "Speaker Volume", 0, 0, 1, 1, 1},
    {ControlKind::Slider, 1018, nullptr, 1009, 0, 0, 1, 2},
    {ControlKind::Text, 0, "Low", 1009, 1, 0, 1, 1},
    {ControlKind::Text, 0, "High", 1009, 1, 1, 1, 1},
    {ControlKind::Group, 1011, "Tape Volume", 0, 1, 1, 1, 1},
    {ControlKind::Slider, 1019, nullptr, 1011, 0, 0, 1, 2},
    {ControlKind::Text, 0, "Low", 1011, 1, 0, 1, 1},
    {ControlKind::Text, 0, "High", 1011, 1, 1, 1, 1},
    {ControlKind::Group, 1010, "Buffers", 0, 2, 1, 1, 1},
    {ControlKind::Slider, 1020, nullptr, 1010, 0, 0, 1, 2},
    {ControlKind::Text, 0, "0", 1010, 1, 0, 1, 1},
    {ControlKind::Text, 0, "50", 1010, 1, 1, 1, 1},
    {ControlKind::Text, 0,
     "The correct setting will depend on your computer. It should be set to the lowest value "
     "that produces good sound.",
     0, 3, 0, 1, 3},
    {ControlKind::DefaultButton, 1, "OK", 0, 0, 2, 1, 1},
};
constexpr DialogDescription SndDialog = {"SndDialog", "Sound Settings", SndControls,
                                         int(std::size(SndControls))};

constexpr ControlDescription PrefsControls[] = {
    {ControlKind::Group, -1, "User Interface", 0, 0, 0, 1, 1},
    {ControlKind::CheckBox, 1027, "Shaded Title Bar", -1, 0, 0, 1, 1},
    {ControlKind::CheckBox, 1029, "Show Warning Messages", -1, 1, 0, 1, 1},
    {ControlKind::Group, -2, "Save Options", 0, 1, 0, 1, 1},
    {ControlKind::CheckBox, 1028, "Save Settings on Exit", -2, 0, 0, 1, 1},
    {ControlKind::DefaultButton, 1, "OK", 0, 0, 1, 1, 1},
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

} // namespace

void ShowJoystickDialog() {
    std::unique_ptr<QDialog> d = BuildDialog(JoyDialog);
    // The stored values check their buttons; any other value checks none.
    const int keyb[2] = {1003, 1004}, pc[2] = {1005, 1006};
    for (int v = 1; v <= 2; ++v) {
        if (Settings.keybJoystick == v)
            ControlOf<QRadioButton>(d.get(), keyb[v - 1])->setChecked(true);
        if (Settings.pcJoystick == v) ControlOf<QRadioButton>(d.get(), pc[v - 1])->setChecked(true);
        // A click takes effect at once, from the next frame.
        QObject::connect(ControlOf<QRadioButton>(d.get(), keyb[v - 1]), &QRadioButton::clicked,
                         [v] { Settings.keybJoystick = uint8_t(v); });
        QObject::connect(ControlOf<QRadioButton>(d.get(), pc[v - 1]), &QRadioButton::clicked,
                         [v] { Settings.pcJoystick = uint8_t(v); });
    }
    if (Settings.pcJoystick == 0) { // no controller was found
        ControlOf<QWidget>(d.get(), 1008)->setEnabled(false);
        ControlOf<QWidget>(d.get(), 1005)->setEnabled(false);
        ControlOf<QWidget>(d.get(), 1006)->setEnabled(false);
    }
    d->exec();
}

void ShowSoundDialog() {
    std::unique_ptr<QDialog> d = BuildDialog(SndDialog);
    auto* volume = ControlOf<QSlider>(d.get(), 1018);
    auto* tapeVolume = ControlOf<QSlider>(d.get(), 1019);
    auto* buffers = ControlOf<QSlider>(d.get(), 1020);
    SetUpSlider(volume, 63, 8, 8, Settings.volume);
    SetUpSlider(tapeVolume, 63, 8, 8, Settings.tapeVolume);
    SetUpSlider(buffers, 50, 5, 5, Settings.soundBuffers);
    for (QLabel* label : d->findChildren<QLabel*>())
        if (label->text() == QLatin1String("High") || label->text() == QLatin1String("50"))
            label->setAlignment(Qt::AlignRight); // under the slider's right end
    d->exec();
    Settings.volume = uint8_t(volume->value());
    Settings.tapeVolume = uint8_t(tapeVolume->value());
    // No buffer at all would leave nothing queued: the least is one.
    Settings.soundBuffers = uint8_t(buffers->value() ? buffers->value() : 1);
}

void ShowPreferencesDialog() {
    std::unique_ptr<QDialog> d = BuildDialog(PrefsDialog);
    auto* shaded = ControlOf<QCheckBox>(d.get(), 1027);
    auto* warnings = ControlOf<QCheckBox>(d.get(), 1029);
    auto* save = ControlOf<QCheckBox>(d.get(), 1028);
    shaded->setChecked(Settings.shadedTitles);
    warnings->setChecked(Settings.warnings);
    save->setChecked(Settings.saveSettings);
    d->exec();
    Settings.shadedTitles = shaded->isChecked();
    Settings.warnings = warnings->isChecked();
    Settings.saveSettings = save->isChecked();
    UpdateCaptionStyle();
}
