#include "app/commands.h"

#include <filesystem>

#include "app/dialogs.h"
#include "app/display_modes.h"
#include "app/menu_table.h"
#include "app/recent_files.h"
#include "app/run_state.h"
#include "app/title.h"
#include "app/window_services.h"
#include "core/machine.h"
#include "display/display_state.h"
#include "display/screen_shadow.h"
#include "engine/auto_load.h"
#include "engine/open_media.h"
#include "media/frame_png.h"
#include "media/load_error.h"
#include "media/load_file.h"
#include "media/sampled_tape.h"
#include "media/tape.h"
#include "media/tzx_player.h"
#include "peripherals/beeper.h"
#include "peripherals/joystick.h"
#include "peripherals/settings.h"
#include "platform/desktop/desktop_keyboard.h"
#include "platform/file_replacement.h"

std::string FileName;
std::string ScreenshotName;
bool SoundAvailable = true;
bool WindowModesAvailable = true;

constexpr uint16_t ScreenMemoryStart = 0x4000;
constexpr size_t ScreenMemoryBytes = 6912; // the bitmap and the attributes

namespace {

bool LastSnapshotZ80; // the last snapshot opened was a .z80

// ".sna" or ".z80" as the loader reads them, else "".
std::string SnapshotExtension(const std::string& name) {
    const std::string ext = std::filesystem::path(name).extension().string();
    if (ext == ".sna" || ext == ".SNA") return ".sna";
    if (ext == ".z80" || ext == ".Z80") return ".z80";
    return std::string();
}

} // namespace

std::string SaveNameFor(const std::string& name) {
    if (name.empty() || !SnapshotExtension(name).empty()) return name;
    return std::filesystem::path(name)
        .replace_extension(LastSnapshotZ80 ? ".z80" : ".sna")
        .string();
}

bool MenuItemChecked(uint16_t id) {
    switch (id) {
    case CmdWindow1x1: return DisplayMode == ModeWindow;
    case CmdWindow2x2: return DisplayMode == ModeDoubleWindow;
    case CmdWindow3x3: return DisplayMode == ModeTripleWindow;
    case CmdWindow4x4: return DisplayMode == ModeQuadWindow;
    case CmdFullscreenTv: return DisplayMode == ModeFullscreen && FullscreenTv;
    case CmdFullscreenMonitor: return DisplayMode == ModeFullscreen && !FullscreenTv;
    case CmdSpeedTrue: return SpeedMode == SpeedTrue;
    case CmdSpeedSync: return SpeedMode == SpeedSyncToMonitor;
    case CmdSpeedMaximum: return SpeedMode == SpeedMaximum;
    case CmdSpeedDisplay: return SpeedDisplay;
    case CmdSound: return SoundOn != 0;
    case CmdAutoLoad: return Settings.autoLoad == 1;
    case CmdFastLoading: return Settings.fastLoading == 1;
    case CmdPause: return UserPaused.load();
    default: return false;
    }
}

bool MenuItemEnabled(uint16_t id) {
    switch (id) {
    case CmdTapeControl: return CurrentTape != nullptr;
    case CmdSound: return SoundAvailable;
    case CmdWindow1x1:
    case CmdWindow2x2:
    case CmdWindow3x3:
    case CmdWindow4x4: return WindowModesAvailable;
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
    FileName = path;
    LastLoadError = LoadError::None;
    CancelAutoLoad(); // whatever was being typed was meant for the machine before this file
    if (!OpenMedia(path.c_str())) {
        std::string why = FileTitle(path);
        if (LastLoadError != LoadError::None)
            why += ": " + std::string(LoadErrorText(LastLoadError));
        ShowMessage("Error reading snapshot/tape file!", why);
        return false;
    }
    TitleName = FileTitle(path);
    const std::string snapshot = SnapshotExtension(path);
    if (!snapshot.empty()) LastSnapshotZ80 = snapshot == ".z80";
    RememberRecentFile(path);
    if (CurrentTape && Settings.autoLoad == 1) StartAutoLoad();
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
        ShowMessage("Error writing snapshot file!",
                    FileTitle(path) + (*FileReplacementProblem
                                           ? std::string(": ") + FileReplacementProblem
                                           : std::string()));
    AfterFileCommand();
    return ok;
}

bool SaveScreenshot(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    bool ok;
    if (ext == ".scr" || ext == ".SCR") {
        ok = ReplaceFileWith(path.c_str(), Machine.memory + ScreenMemoryStart, ScreenMemoryBytes);
    } else {
        const int scale = WindowModeScale(DisplayMode);
        ok = SaveFramePngScaled(path.c_str(), scale > 0 ? scale : 1);
    }
    if (!ok)
        ShowMessage("Error writing screenshot file!",
                    FileTitle(path) + (*FileReplacementProblem
                                           ? std::string(": ") + FileReplacementProblem
                                           : std::string()));
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

void TogglePause() {
    UserPaused = !UserPaused.load();
    if (UserPaused.load()) DesktopReleaseAllKeys(); // keys let go while paused stay up
    UpdateTitle();
    RefreshMenu();
}

void ReportTapeStop() {
    static uint32_t told = 0;
    if (TzxStopCount == told) return;
    told = TzxStopCount;
    // What the tape holds from there on never reaches the machine: the load has failed.
    ShowMessage("Error reading snapshot/tape file!", FileTitle(FileName) + ": " + TzxStopReason);
    RefreshMenu();
}

void SelectWindowMode(uint8_t mode) {
    // The mode already chosen is set up again: a window resized by hand takes its size back.
    TickEnabled = false;
    DisplayMode = mode;
    SwitchDisplayMode();
    UpdateCaptionStyle();
    KeepWindowOnScreen(); // the 2x2 window can reach past the bottom of a small screen
    TickEnabled = true;
    RefreshMenu();
}

void SelectFullscreen(bool tv) {
    FullscreenTv = tv;
    if (DisplayMode == ModeFullscreen) {
        InvalidateScreen();
    } else {
        TickEnabled = false;
        DisplayMode = ModeFullscreen;
        SwitchDisplayMode();
        UpdateCaptionStyle();
        TickEnabled = true;
    }
    RefreshMenu();
}

void ToggleSpeedDisplay() {
    SpeedDisplay = !SpeedDisplay;
    if (SpeedDisplay && DisplayMode == ModeFullscreen) ClearSpeedBar();
    InvalidateScreen(); // the corner under the read-out is repainted either way
    RefreshMenu();
}

static void ToggleSound() {
    SoundOn = SoundOn ? 0 : 1;
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
        CancelAutoLoad();
        ResetSpectrum();
        UpdateTitle();
        break;
    case CmdExit: CloseMainWindow(); break;
    case CmdTapeControl:
        ShowTapeDialog();
        if (CurrentTape && TapeKind == SampledTape) SetTapeRate(); // the dialog may have changed it
        RefreshMenu();
        break;
    case CmdPokeMemory: ShowPokeDialog(); break;
    case CmdJoystick:
        DetectJoystick(); // a controller plugged in since the last look is found
        ShowJoystickDialog();
        break;
    case CmdWindow1x1: SelectWindowMode(ModeWindow); break;
    case CmdWindow2x2: SelectWindowMode(ModeDoubleWindow); break;
    case CmdWindow3x3: SelectWindowMode(ModeTripleWindow); break;
    case CmdWindow4x4: SelectWindowMode(ModeQuadWindow); break;
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
            SoundOn = 0;
            SoundAvailable = false;
        }
        RefreshMenu();
        break;
    case CmdAutoLoad:
        Settings.autoLoad = Settings.autoLoad == 1 ? 0 : 1;
        RefreshMenu();
        break;
    case CmdFastLoading:
        Settings.fastLoading = Settings.fastLoading == 1 ? 0 : 1;
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
