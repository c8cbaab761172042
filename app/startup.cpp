#include "app/startup.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "app/commands.h"
#include "app/dialogs.h"
#include "app/display_modes.h"
#include "app/main_loop.h"
#include "app/picture_place.h"
#include "app/preferences.h"
#include "app/run_state.h"
#include "app/speed_display.h"
#include "app/tick_timer.h"
#include "app/title.h"
#include "app/window_services.h"
#include "engine/engine.h"
#include "platform/desktop/sdl_devices.h"
#include "platform/display_surface.h"

namespace {
bool QuitRequested;
int QuitCode;
bool TimerStarted;
constexpr std::chrono::milliseconds PausedSleep{10};
} // namespace

bool InitEmulator() {
    // Render tables, memory, keys, logs, joystick, ROM, processor and the sound output, on the
    // machine of the settings; the 48K when that one cannot run here.
    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    MachineStarted started = StartMachine(folder, true, SpectrumModel(Preferences.machine));
    if (!started.unavailable.empty()) {
        Preferences.machine = uint8_t(SpectrumModel::Spectrum48);
        started = StartMachine(folder, true);
    }
    SoundAvailable = started.soundOpen;
    const int depth = DesktopDepth();
    WindowModesAvailable = DepthHasWriters(depth);
    if (!WindowModesAvailable) SetScreenMode(ScreenFullscreen);
    SetSurfacePlacementRule(PlacePicture);
    if (!SwitchDisplayMode()) {
        ShowMessage("DirectX Initialisation Error");
        return false;
    }
    UpdateCaptionStyle();
    if (!StartTickTimer()) {
        ShowMessage("Can't start millisecond timer!");
        return false;
    }
    TimerStarted = true;
    ClearSpeedHistory();
    RefreshMenu();
    return true;
}

void ShutdownEmulator() {
    ReleaseDisplay();
    if (TimerStarted) StopTickTimer();
    TimerStarted = false;
    StopMachine(); // the sound output and the tape
    ControllerShutdown();
}

std::string CommandLineFile(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    std::string name;
    for (char c : line)
        if (c != '"') name += c;
    return name;
}

void LoadCommandLineFile(const std::string& path) {
    if (!path.empty()) LoadNamedFile(path);
}

void RequestQuit(int code) {
    QuitRequested = true;
    QuitCode = code;
}

int MainLoop() {
    for (;;) { // a quit asked for during start-up (a signal) ends it at the first pass
        QCoreApplication::processEvents(QEventLoop::AllEvents); // everything pending first
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (QuitRequested) {
            QuitRequested = false; // answered: a later run of the loop starts afresh
            return QuitCode;
        }
        if (!MachineRunning()) {
            std::this_thread::sleep_for(PausedSleep);
            continue;
        }
        RunDesktopFrame();
        ReportTapeStop();
        // After a frame: the window is then placed and shown, and the warning centres on it.
        ShowPendingVideoWarning();
    }
}
