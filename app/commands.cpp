#include "app/commands.h"

#include <filesystem>

#include "app/dialogs.h"
#include "app/display_modes.h"
#include "app/menu_table.h"
#include "app/preferences.h"
#include "app/recent_files.h"
#include "app/run_state.h"
#include "app/title.h"
#include "app/window_services.h"
#include "engine/engine.h"
#include "platform/desktop/desktop_keyboard.h"

std::string FileName;
std::string ScreenshotName;
bool SoundAvailable = true;
bool WindowModesAvailable = true;

namespace {

bool LastSnapshotZ80; // the last snapshot opened was a .z80

// ".sna" or ".z80" as the loader reads them, else "".
std::string SnapshotExtension(const std::string& name) {
    switch (FileKindOf(name.c_str())) {
    case FileKind::Sna: return ".sna";
    case FileKind::Z80: return ".z80";
    default: return std::string();
    }
}

// The machine a Machine menu item chooses.
SpectrumModel ModelOfCommand(uint16_t id) { return SpectrumModel(id - CmdMachine48); }

} // namespace

// ": " and why the last file written failed, when that is known.
static std::string ProblemText() {
    return *FileProblem() ? std::string(": ") + FileProblem() : std::string();
}

std::string SaveNameFor(const std::string& name) {
    if (name.empty() || !SnapshotExtension(name).empty()) return name;
    return std::filesystem::path(name)
        .replace_extension(LastSnapshotZ80 ? ".z80" : ".sna")
        .string();
}

bool MenuItemChecked(uint16_t id) {
    switch (id) {
    case CmdWindow1x1: return ScreenMode() == ScreenWindow;
    case CmdWindow2x2: return ScreenMode() == ScreenDoubleWindow;
    case CmdWindow3x3: return ScreenMode() == ScreenTripleWindow;
    case CmdWindow4x4: return ScreenMode() == ScreenQuadWindow;
    case CmdFullscreenTv: return ScreenMode() == ScreenFullscreen && FullscreenTvOn();
    case CmdFullscreenMonitor: return ScreenMode() == ScreenFullscreen && !FullscreenTvOn();
    case CmdSpeedTrue: return SpeedMode == SpeedTrue;
    case CmdSpeedSync: return SpeedMode == SpeedSyncToMonitor;
    case CmdSpeedMaximum: return SpeedMode == SpeedMaximum;
    case CmdSpeedDisplay: return SpeedDisplayOn();
    case CmdSound: return SoundIsOn();
    case CmdAutoLoad: return Preferences.autoLoad == 1;
    case CmdFastLoading: return Preferences.fastLoading == 1;
    case CmdPause: return UserPaused.load();
    case CmdMachine48:
    case CmdMachine128:
    case CmdMachinePlus2: return RunningModel() == ModelOfCommand(id);
    default: return false;
    }
}

bool MenuItemEnabled(uint16_t id) {
    switch (id) {
    case CmdTapeControl: return CurrentTapeStatus().sort != TapeSort::None;
    case CmdSound: return SoundAvailable;
    case CmdWindow1x1:
    case CmdWindow2x2:
    case CmdWindow3x3:
    case CmdWindow4x4: return WindowModesAvailable;
    case CmdMachine48:
    case CmdMachine128:
    case CmdMachinePlus2: return ModelUnavailable(ModelOfCommand(id)).empty();
    default: return true;
    }
}

// What follows a file command whether or not a file was chosen.
static void AfterFileCommand() {
    UpdateTitle();
    InvalidateScreen();
    RefreshMenu();
}

bool LoadNamedFile(const std::string& path) {
    const MediaLoaded loaded = LoadMedia(path.c_str(), Preferences.autoLoad == 1);
    if (!loaded.ok) {
        ShowMessage("Error reading snapshot/tape file!",
                    FileTitle(path) + (loaded.why.empty() ? "" : ": " + loaded.why));
        return false;
    }
    FileName = path; // the next save's name: a file that did not load is not offered
    TitleName = FileTitle(path);
    Preferences.machine = uint8_t(RunningModel()); // a snapshot brings its own machine
    const std::string snapshot = SnapshotExtension(path);
    if (!snapshot.empty()) LastSnapshotZ80 = snapshot == ".z80";
    RememberRecentFile(path);
    return true;
}

bool OpenChosenFile(const std::string& path) {
    const bool ok = LoadNamedFile(path);
    AfterFileCommand();
    return ok;
}

bool SaveChosenFile(const std::string& path) {
    FileName = path;
    const bool ok = SaveFile(path.c_str());
    if (ok)
        TitleName = FileTitle(path);
    else
        ShowMessage("Error writing snapshot file!", FileTitle(path) + ProblemText());
    AfterFileCommand();
    return ok;
}

bool SaveScreenshot(const std::string& path) {
    const int scale = WindowModeScale(ScreenMode());
    const bool ok = SaveScreen(path.c_str(), scale > 0 ? scale : 1);
    if (!ok) ShowMessage("Error writing screenshot file!", FileTitle(path) + ProblemText());
    return ok;
}

void OpenRecentFile(int index) {
    if (index < 0 || size_t(index) >= RecentFiles.size()) return;
    const std::string path = RecentFiles[size_t(index)];
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        ForgetRecentFile(index);
        ShowMessage("The file is no longer there; it has been taken off the list.", path);
        RefreshMenu();
        return;
    }
    OpenChosenFile(path);
}

void ChooseMachine(SpectrumModel model) {
    if (model == RunningModel()) return;
    std::string why;
    if (!SwitchModel(model, why)) {
        ShowMessage("That machine is unavailable.", why);
        return;
    }
    Preferences.machine = uint8_t(model);
    if (CurrentTapeStatus().sort == TapeSort::None) TitleName = "ROM";
    UpdateTitle();
    RefreshMenu();
}

void TogglePause() {
    UserPaused = !UserPaused.load();
    if (UserPaused.load()) DesktopReleaseAllKeys(); // keys let go while paused stay up
    UpdateTitle();
    RefreshMenu();
}

void ReportTapeStop() {
    static uint32_t told = 0;
    const TapeStatus tape = CurrentTapeStatus();
    if (tape.stops == told) return;
    told = tape.stops;
    // What the tape holds from there on never reaches the machine: the load has failed.
    ShowMessage("Error reading snapshot/tape file!", FileTitle(FileName) + ": " + tape.stopReason);
    RefreshMenu();
}

void SelectWindowMode(uint8_t mode) {
    // The mode already chosen is set up again: a window resized by hand takes its size back.
    TickEnabled = false;
    SetScreenMode(mode);
    SwitchDisplayMode();
    UpdateCaptionStyle();
    KeepWindowOnScreen(); // the 2x2 window can reach past the bottom of a small screen
    TickEnabled = true;
    RefreshMenu();
}

void SelectFullscreen(bool tv) {
    SetFullscreenTv(tv);
    if (ScreenMode() == ScreenFullscreen) {
        InvalidateScreen();
    } else {
        TickEnabled = false;
        SetScreenMode(ScreenFullscreen);
        SwitchDisplayMode();
        UpdateCaptionStyle();
        TickEnabled = true;
    }
    RefreshMenu();
}

void ToggleSpeedDisplay() {
    SetSpeedDisplay(!SpeedDisplayOn());
    if (SpeedDisplayOn() && ScreenMode() == ScreenFullscreen) ClearSpeedBar();
    InvalidateScreen(); // the corner under the read-out is repainted either way
    RefreshMenu();
}

static void ToggleSound() {
    SetSoundOn(!SoundIsOn());
    RefreshMenu();
}

static void RunCommandNow(uint16_t id) {
    std::string path = FileName;
    switch (id) {
    case CmdOpen:
        if (AskOpenFileName(path))
            OpenChosenFile(path);
        else
            AfterFileCommand();
        break;
    case CmdSave:
        path = SaveNameFor(path);
        if (AskSaveFileName(path))
            SaveChosenFile(path);
        else
            AfterFileCommand();
        break;
    case CmdSaveScreenshot:
        if (AskScreenshotFileName(ScreenshotName)) SaveScreenshot(ScreenshotName);
        break;
    case CmdResetSpectrum:
        ResetSpectrum();
        UpdateTitle();
        break;
    case CmdMachine48:
    case CmdMachine128:
    case CmdMachinePlus2: ChooseMachine(ModelOfCommand(id)); break;
    case CmdExit: CloseMainWindow(); break;
    case CmdTapeControl:
        ShowTapeDialog();
        ApplyRecordingRate(); // the dialog may have changed it
        RefreshMenu();
        break;
    case CmdPokeMemory: ShowPokeDialog(); break;
    case CmdJoystick:
        DetectJoystick(); // a controller plugged in since the last look is found
        ShowJoystickDialog();
        break;
    case CmdWindow1x1: SelectWindowMode(ScreenWindow); break;
    case CmdWindow2x2: SelectWindowMode(ScreenDoubleWindow); break;
    case CmdWindow3x3: SelectWindowMode(ScreenTripleWindow); break;
    case CmdWindow4x4: SelectWindowMode(ScreenQuadWindow); break;
    case CmdFullscreenTv: SelectFullscreen(true); break;
    case CmdFullscreenMonitor: SelectFullscreen(false); break;
    case CmdSpeedDisplay: ToggleSpeedDisplay(); break;
    case CmdSpeedTrue:
        SelectTrueSpeed();
        RefreshMenu();
        break;
    case CmdSpeedSync:
        SpeedMode = SpeedSyncToMonitor;
        RefreshMenu();
        break;
    case CmdSpeedMaximum:
        SpeedMode = SpeedMaximum;
        RefreshMenu();
        break;
    case CmdSound: ToggleSound(); break;
    case CmdSoundSettings:
        CloseSound();
        ShowSoundDialog();
        if (!OpenSound()) {
            SetSoundOn(false);
            SoundAvailable = false;
        }
        RefreshMenu();
        break;
    case CmdAutoLoad:
        Preferences.autoLoad = Preferences.autoLoad == 1 ? 0 : 1;
        RefreshMenu();
        break;
    case CmdFastLoading:
        Preferences.fastLoading = Preferences.fastLoading == 1 ? 0 : 1;
        RefreshMenu();
        break;
    case CmdPause: TogglePause(); break;
    case CmdPreferences: ShowPreferencesDialog(); break;
    case CmdHelpTopics: ShowHelpTopics(); break;
    case CmdSpectrumKeyboard: ShowSpectrumKeyboard(); break;
    case CmdAbout: ShowAboutDialog(); break;
    default:
        if (id >= CmdRecentFile1 && id <= CmdRecentFile8) OpenRecentFile(id - CmdRecentFile1);
        break;
    }
}

void RunCommand(uint16_t id) {
    if (MenuItemEnabled(id)) RunCommandNow(id);
}
