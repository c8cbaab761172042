// The dialogs as a person uses them: each found by its title among the modal windows and driven
// through its controls' ids, and what it leaves in the settings, the memory and the tape.
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <cstdio>
#include <functional>
#include <map>

#include "app/dialog_builder.h"
#include "app/dialogs.h"
#include "app/display_modes.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/poke_number.h"
#include "app/preferences.h"
#include "app/settings_values.h"
#include "app/title.h"
#include "app/window_services.h"
#include "app_harness.h"
#include "core/machine.h"
#include "media/builtin_rom.h"
#include "media/rom.h"
#include "media/sampled_tape.h"
#include "media/tape.h"
#include "peripherals/settings.h"
#include "peripherals/tape_input.h"

namespace {

std::string DataFile(const char* name) {
    return std::string(WENDAL_TEST_BINARY_DIR) + "/data/" + name;
}

// Runs `open`, which shows a modal dialog; `act` gets the dialog as soon as it shows and
// closes it. Returns the title of the dialog that showed ("" when none did).
std::string DriveDialog(const std::function<void()>& open,
                        const std::function<void(QDialog*)>& act) {
    std::string title;
    QTimer timer; // goes with this call when no dialog showed
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog) {
            if (modal) modal->close(); // never left waiting for a person
            return;
        }
        title = dialog->windowTitle().toStdString();
        act(dialog);
        if (dialog->isVisible()) ADD_FAILURE() << "the test left " << title << " open";
        if (dialog->isVisible()) dialog->close();
    });
    timer.start(0);
    open();
    return title;
}

QStringList LabelTexts(QDialog* d) {
    QStringList texts;
    for (QLabel* label : d->findChildren<QLabel*>()) texts << label->text();
    return texts;
}

void Click(QDialog* d, const char* name) { ControlOf<QAbstractButton>(d, name)->click(); }

// Types into the Poke dialog and presses Poke; returns the message box's text, if one showed.
std::string Poke(QDialog* d, const char* address, const char* value) {
    ControlOf<QLineEdit>(d, "address")->setText(QString::fromLatin1(address));
    ControlOf<QLineEdit>(d, "value")->setText(QString::fromLatin1(value));
    std::string caption, text;
    QTimer timer; // goes with this call when no box showed
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            caption = box->windowTitle().toStdString();
            text = box->text().toStdString();
            box->accept();
        }
    });
    timer.start(0);
    Click(d, "poke");
    if (!text.empty()) { EXPECT_EQ(caption, "Poke Memory"); }
    return text;
}

} // namespace

TEST(PokeNumbers, ReadLikeAnUnsignedDecimal) {
    uint32_t v = 7;
    struct Case {
        const char* text;
        bool ok;
        uint32_t value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"65535", true, 65535},
        {"  \t 42", true, 42},
        {"23560x", true, 23560},
        {"+12", true, 12},
        {"-0", true, 0},
        {"-1", true, 4294967295u},
        {"-65535", true, 4294901761u},
        {"99999999999", true, 4294967295u},
        {"", false, 0},
        {"   ", false, 0},
        {"x1", false, 0},
        {"+", false, 0},
        {"- 1", false, 0},
        {"               5", false, 0},
        {"              5", true, 5}, // the 15th character is still read
    };
    for (const Case& c : cases) {
        v = 12345;
        EXPECT_EQ(ReadPokeNumber(c.text, v), c.ok) << '"' << c.text << '"';
        if (c.ok) { EXPECT_EQ(v, c.value) << '"' << c.text << '"'; }
    }
}

TEST_F(AppFixture, PokeWritesAcceptedNumbersAndRefusesTheRest) {
    Machine.memory[0x4000] = 0x00;
    EXPECT_EQ(DriveDialog([] { RunCommand(CmdPokeMemory); },
                          [](QDialog* d) {
                              EXPECT_TRUE(LabelTexts(d).contains("Address = 0 to 65535"));
                              EXPECT_EQ(Poke(d, "16384", "255"), "");
                              EXPECT_FALSE(d->isVisible()); // a good poke closes the dialog
                          }),
              "Poke Memory");
    EXPECT_EQ(Machine.memory[0x4000], 0xFF);

    Machine.memory[23560] = 0x55;
    DriveDialog(ShowPokeDialog, [](QDialog* d) { Poke(d, "   23560z", "0"); });
    EXPECT_EQ(Machine.memory[23560], 0);

    const uint8_t before[3] = {Machine.memory[0], Machine.memory[255], Machine.memory[65535]};
    DriveDialog(ShowPokeDialog, [](QDialog* d) {
        const char* refused[][2] = {{"65536", "0"}, {"0", "256"}, {"-1", "0"},
                                    {"", "5"},      {"255", ""},  {"x", "1"}};
        for (auto& r : refused) {
            EXPECT_EQ(Poke(d, r[0], r[1]), "Invalid Address or Value") << r[0] << ", " << r[1];
            EXPECT_TRUE(d->isVisible());
            EXPECT_EQ(ControlOf<QLineEdit>(d, "address")->text().toStdString(), r[0]); // kept
        }
        // The close box leaves memory alone, whatever the fields say.
        ControlOf<QLineEdit>(d, "address")->setText("65535");
        ControlOf<QLineEdit>(d, "value")->setText("1");
        d->close();
    });
    EXPECT_EQ(Machine.memory[0], before[0]);
    EXPECT_EQ(Machine.memory[255], before[1]);
    EXPECT_EQ(Machine.memory[65535], before[2]);

    // The ROM is poked directly; a reset puts it back.
    const uint8_t rom0 = Machine.memory[0];
    DriveDialog(ShowPokeDialog,
                [rom0](QDialog* d) { Poke(d, "0", std::to_string(uint8_t(~rom0)).c_str()); });
    EXPECT_EQ(Machine.memory[0], uint8_t(~rom0));
    ResetSpectrum();
    EXPECT_EQ(Machine.memory[0], rom0);
}

TEST_F(AppFixture, SoundSlidersSetTheSettingsOnClosing) {
    Settings.volume = 20, Settings.tapeVolume = 30, Settings.soundBuffers = 10;
    const std::string title = DriveDialog(
        [] { RunCommand(CmdSoundSettings); },
        [](QDialog* d) {
            auto* volume = ControlOf<QSlider>(d, "volume");
            auto* tape = ControlOf<QSlider>(d, "tapeVolume");
            auto* buffers = ControlOf<QSlider>(d, "soundBuffers");
            EXPECT_EQ(volume->value(), 20);
            EXPECT_EQ(tape->value(), 30);
            EXPECT_EQ(buffers->value(), 10);
            EXPECT_EQ(volume->maximum(), 63);
            EXPECT_EQ(volume->tickInterval(), 8);
            EXPECT_EQ(buffers->maximum(), 50);
            EXPECT_EQ(buffers->tickInterval(), 5);
            EXPECT_EQ(buffers->pageStep(), 5);
            volume->setValue(99); // beyond the range: the slider's end
            tape->setValue(7);
            for (auto [slider, shown] : {std::pair{"volume", "63"},
                                         {"tapeVolume", "7"},
                                         {"soundBuffers", "10"}}) { // beside each, its value
                const auto* value = d->findChild<QLabel*>(QString::fromLatin1(slider) + "Value");
                EXPECT_EQ(value ? value->text().toStdString() : "no value shown", shown);
            }
            buffers->setValue(0);
            Settings.volume = 1; // nothing is taken before the dialog closes
            d->close();
        });
    EXPECT_EQ(title, "Sound Settings");
    EXPECT_EQ(Settings.volume, 63);
    EXPECT_EQ(Settings.tapeVolume, 7);
    EXPECT_EQ(Settings.soundBuffers, 1); // no buffers at all is stored as one
    EXPECT_TRUE(SoundAvailable);         // the output was opened again with the new values
    EXPECT_TRUE(TheMainWindow()->ActionOf(CmdSound)->isEnabled());
    Settings.volume = 50, Settings.tapeVolume = 50, Settings.soundBuffers = 10;
}

TEST_F(AppFixture, JoystickChoicesTakeEffectAtOnceAndNeedAController) {
    Settings.keybJoystick = 1;
    Settings.pcJoystick = 1; // detection finds no controller on the dummy driver
    const std::string title =
        DriveDialog([] { RunCommand(CmdJoystick); },
                    [](QDialog* d) {
                        EXPECT_TRUE(ControlOf<QRadioButton>(d, "keybCursor")->isChecked());
                        EXPECT_FALSE(ControlOf<QRadioButton>(d, "keybKempston")->isChecked());
                        for (const char* id : {"pcJoystick", "pcCursor", "pcKempston"})
                            EXPECT_FALSE(ControlOf<QWidget>(d, id)->isEnabled());
                        EXPECT_FALSE(ControlOf<QRadioButton>(d, "pcCursor")->isChecked());
                        Click(d, "keybKempston");
                        EXPECT_EQ(Settings.keybJoystick, 2); // before the dialog closes
                        Click(d, "ok");
                    });
    EXPECT_EQ(title, "Joystick Settings");
    EXPECT_EQ(Settings.pcJoystick, 0);

    Settings.keybJoystick = 0; // a value no button stands for checks none
    DriveDialog(ShowJoystickDialog, [](QDialog* d) {
        EXPECT_FALSE(ControlOf<QRadioButton>(d, "keybCursor")->isChecked());
        EXPECT_FALSE(ControlOf<QRadioButton>(d, "keybKempston")->isChecked());
        Click(d, "keybCursor");
        d->close();
    });
    EXPECT_EQ(Settings.keybJoystick, 1);
}

// Every setting the table gives a control is edited by one control of that name in one of the
// three settings dialogs, and the menu's settings have none.
TEST_F(AppFixture, EverySettingsControlIsFoundByItsNameInTheTable) {
    std::map<std::string, int> found;
    for (auto* show : {ShowJoystickDialog, ShowSoundDialog, ShowPreferencesDialog})
        DriveDialog(show, [&](QDialog* d) {
            for (const StoredSetting& s : StoredSettings)
                if (s.control && ControlOf<QWidget>(d, s.control)) ++found[s.name];
            d->close();
        });
    for (const StoredSetting& s : StoredSettings)
        EXPECT_EQ(found[s.name], s.control ? 1 : 0) << s.name;
}

TEST_F(AppFixture, PreferencesShowAndTakeTheirSettings) {
    const SettingsRecord saved = Settings;
    for (uint8_t on : {0, 1}) {
        Preferences.shadedTitles = on, Preferences.warnings = !on, Preferences.saveSettings = on;
        const std::string title = DriveDialog(
            [] { RunCommand(CmdPreferences); },
            [on](QDialog* d) {
                EXPECT_EQ(ControlOf<QCheckBox>(d, "shadedTitles")->isChecked(), bool(on));
                EXPECT_EQ(ControlOf<QCheckBox>(d, "warnings")->isChecked(), !on);
                EXPECT_EQ(ControlOf<QCheckBox>(d, "saveSettings")->isChecked(), bool(on));
                for (const char* id : {"shadedTitles", "warnings", "saveSettings"}) Click(d, id);
                if (on) // the close box and OK take the same path
                    d->close();
                else
                    Click(d, "ok");
            });
        EXPECT_EQ(title, "Preferences");
        EXPECT_EQ(Preferences.shadedTitles, !on);
        EXPECT_EQ(Preferences.warnings, on);
        EXPECT_EQ(Preferences.saveSettings, !on);
    }
    Settings = saved;
    UpdateCaptionStyle();
}

TEST_F(AppFixture, TapeControlOnATapImageRewindsAndEjects) {
    ASSERT_TRUE(OpenChosenFile(DataFile("hello.tap")));
    ASSERT_EQ(std::fseek(CurrentTape, long(TapeLength / 2), SEEK_SET), 0);
    const int half = int(double(TapeLength / 2) * 1000.0 / double(TapeLength));
    const std::string title = DriveDialog(
        [] { RunCommand(CmdTapeControl); },
        [half](QDialog* d) {
            for (const char* id : {"play", "stop", "rate", "rate11025", "rate22050", "rate44100"})
                EXPECT_FALSE(ControlOf<QWidget>(d, id)->isEnabled()) << id;
            auto* position = ControlOf<QSlider>(d, "position");
            EXPECT_FALSE(position->isEnabled());
            EXPECT_EQ(position->maximum(), 1000);
            EXPECT_EQ(position->value(), half);
            Click(d, "rewind");
            EXPECT_EQ(position->value(), 0);
            EXPECT_EQ(std::ftell(CurrentTape), 0);
            EXPECT_TRUE(d->isVisible());
            Click(d, "ok");
        });
    EXPECT_EQ(title, "Tape Control");
    ASSERT_NE(CurrentTape, nullptr);

    DriveDialog([] { RunCommand(CmdTapeControl); }, [](QDialog* d) { Click(d, "eject"); });
    EXPECT_EQ(CurrentTape, nullptr);
    EXPECT_FALSE(TheMainWindow()->ActionOf(CmdTapeControl)->isEnabled());
}

TEST_F(AppFixture, TapeControlOnARecordingStopsRewindsAndChangesRate) {
    ASSERT_TRUE(OpenChosenFile(DataFile("hello-11025.wav")));
    ASSERT_EQ(TapeRate, 11025u);
    for (int i = 0; i < 3; ++i) TapeFrameStep();
    ASSERT_EQ(TapeBlock, 5u);
    DriveDialog([] { RunCommand(CmdTapeControl); },
                [](QDialog* d) {
                    EXPECT_TRUE(ControlOf<QPushButton>(d, "play")->isChecked());
                    EXPECT_FALSE(ControlOf<QPushButton>(d, "stop")->isChecked());
                    EXPECT_TRUE(ControlOf<QRadioButton>(d, "rate11025")->isChecked());
                    // The button already down stays down, as a recorder's key does.
                    QTest::mouseClick(ControlOf<QPushButton>(d, "play"), Qt::LeftButton);
                    EXPECT_TRUE(ControlOf<QPushButton>(d, "play")->isChecked());
                    EXPECT_FALSE(ControlOf<QPushButton>(d, "stop")->isChecked());
                    EXPECT_EQ(TapePlaying, 1);
                    Click(d, "stop");
                    Click(d, "stop");
                    EXPECT_TRUE(ControlOf<QPushButton>(d, "stop")->isChecked());
                    EXPECT_EQ(TapePlaying, 0);
                    EXPECT_FALSE(ControlOf<QPushButton>(d, "play")->isChecked());
                    Click(d, "rewind");
                    EXPECT_EQ(TapeBlock, 2u);
                    EXPECT_EQ(TapePlaying, 0); // rewinding does not start the tape
                    Click(d, "rate44100");
                    EXPECT_EQ(TapeRate, 44100u);
                    EXPECT_EQ(BytesPerFrame, 221u); // the rate applies once the dialog has closed
                    d->close();
                });
    EXPECT_EQ(BytesPerFrame, 884u);
    EXPECT_EQ(TStatesPerSample, 79u);

    DriveDialog(ShowTapeDialog, [](QDialog* d) {
        EXPECT_TRUE(ControlOf<QPushButton>(d, "stop")->isChecked());
        EXPECT_TRUE(ControlOf<QRadioButton>(d, "rate44100")->isChecked());
        Click(d, "play");
        EXPECT_EQ(TapePlaying, 1);
        Click(d, "rate11025");
        Click(d, "ok");
    });
    SetTapeRate();
    EXPECT_EQ(BytesPerFrame, 221u);
    EXPECT_TRUE(SampledTapeIsPlaying());
}

TEST_F(AppFixture, TapeControlOnATzxPlaysAndStopsAndAStopIsExplained) {
    ASSERT_TRUE(OpenChosenFile(DataFile("hello.tzx")));
    EXPECT_EQ(Machine.memory[TapeTrapAddress],
              0xED); // the loader trap starts it and reads its blocks
    DriveDialog([] { RunCommand(CmdTapeControl); },
                [](QDialog* d) {
                    EXPECT_TRUE(ControlOf<QPushButton>(d, "stop")->isChecked()); // opens stopped
                    for (const char* id : {"rate", "rate11025", "rate22050", "rate44100"})
                        EXPECT_FALSE(ControlOf<QWidget>(d, id)->isEnabled()) << id;
                    Click(d, "play");
                    EXPECT_EQ(TapePlaying, 1);
                    Click(d, "stop");
                    EXPECT_EQ(TapePlaying, 0);
                    Click(d, "play");
                    Click(d, "ok");
                });
    EXPECT_EQ(TapePlaying, 1);
    EXPECT_EQ(TStatesPerSample, 79u) << "the pulses are heard at 44100 Hz whatever the rate";

    // A block the tape cannot play stops it, and the window says which once.
    const std::string path = testing::TempDir() + "/wendal-app.tzx";
    const uint8_t tzx[] = {'Z',  'X',  'T',  'a',  'p',  'e', '!', 0x1A,
                           1,    20,   0x12, 0xE8, 0x03, 10,  0, // ten pulses of 1000 T-states
                           0x23, 0x9C, 0xFF}; // a jump 100 blocks back, off the tape
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(tzx, 1, sizeof tzx, f);
    std::fclose(f);
    ASSERT_TRUE(OpenChosenFile(path));
    PlayTape();
    TapeFrameStep();
    ModalCatcher box;
    box.Arm();
    ReportTapeStop();
    EXPECT_EQ(box.text, "Error reading snapshot/tape file!");
    EXPECT_EQ(box.detail, "wendal-app.tzx: block 2 (0x23, jump) cannot be played");
    EXPECT_EQ(TapePlaying, 0);
    std::remove(path.c_str());
}

TEST_F(AppFixture, PerformanceWarningShowsOnceAndCanBeTurnedOff) {
    Preferences.warnings = 1;
    VidMemWarning = true;
    const std::string title = DriveDialog(ShowPendingVideoWarning, [](QDialog* d) {
        EXPECT_TRUE(LabelTexts(d).contains("Click Help for more information."));
        auto* dontShow = ControlOf<QCheckBox>(d, "dontShow");
        EXPECT_FALSE(dontShow->isChecked());
        Click(d, "help"); // Help shows the topic beside the dialog
        EXPECT_TRUE(d->isVisible());
        QWidget* topic = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "PerformanceHelp" && w->isVisible()) topic = w;
        EXPECT_NE(topic, nullptr);
        dontShow->click();
        Click(d, "ok");
    });
    EXPECT_EQ(title, "Performance Warning");
    EXPECT_FALSE(VidMemWarning);
    EXPECT_EQ(Preferences.warnings, 0);
    DriveDialog(ShowPreferencesDialog, [](QDialog* d) {
        EXPECT_FALSE(ControlOf<QCheckBox>(d, "warnings")->isChecked());
        d->close();
    });

    VidMemWarning = true; // with warnings off the flag is cleared silently
    EXPECT_EQ(DriveDialog(ShowPendingVideoWarning, [](QDialog* d) { d->close(); }), "");
    EXPECT_FALSE(VidMemWarning);

    Preferences.warnings = 1; // left unchecked, warnings stay on
    EXPECT_EQ(DriveDialog(ShowPerformanceWarning, [](QDialog* d) { d->close(); }),
              "Performance Warning");
    EXPECT_EQ(Preferences.warnings, 1);
    CloseHelpWindows();
}

TEST_F(AppFixture, AboutShowsTheVersion) {
    EXPECT_EQ(DriveDialog([] { RunCommand(CmdAbout); },
                          [](QDialog* d) {
                              EXPECT_TRUE(LabelTexts(d).contains("Wendal"));
                              EXPECT_TRUE(LabelTexts(d).contains("1.12"));
                              Click(d, "ok");
                          }),
              "About Wendal");
}
