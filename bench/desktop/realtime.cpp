// The desktop program's real-time figures, measured on a real display (the bench script runs it
// under Xvfb): its CPU share and how late the frames start at True speed, the sound's underruns
// and a BEEP 2,0 typed at the start (when SDL_DISKAUDIOFILE names where the sound goes), and the
// frames per second at Maximum. Usage: wendal-bench-desktop [SECONDS]
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/pacing_stats.h"
#include "app/run_state.h"
#include "app/settings_store.h"
#include "app/speed_display.h"
#include "app/startup.h"
#include "app/tick_timer.h"
#include "app/title.h"
#include "app/window_events.h"
#include "app/window_services.h"
#include "peripherals/beeper.h"
#include "peripherals/keyboard.h"
#include "platform/desktop/desktop_keyboard.h"
#include "platform/desktop/desktop_surface.h"
#include "platform/desktop/sdl_devices.h"
#include "tests/beeper_tone.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double WallSeconds() { return double(SteadyNowNs()) / 1e9; }
double Opened; // when the sound output opened

// Runs the program's own main loop for `seconds`.
void RunFor(double seconds) {
    QTimer::singleShot(int(seconds * 1000), [] { RequestQuit(0); });
    MainLoop();
}

// Keys of a chord ("CS+SS") down or up on the PC keyboard the main loop scans.
void PressChord(const char* chord, bool down) {
    std::stringstream keys(chord);
    std::string key;
    while (std::getline(keys, key, '+'))
        DesktopKeyDown(uint8_t(VirtualKeyOfSpectrumKey(key.c_str())), down);
}

// BEEP 2,0 and Enter typed while the main loop runs, each key held 100 ms, as a person types:
// two seconds of middle C.
void TypeBeep() {
    static const char* const chords[] = {"CS+SS", "SS+Z", "2", "SS+N", "0", "ENTER"};
    int at = 0;
    for (const char* chord : chords) {
        QTimer::singleShot(at, [chord] { PressChord(chord, true); });
        QTimer::singleShot(at + 100, [chord] { PressChord(chord, false); });
        at += 250;
    }
}

// What the disk driver has written so far, when the script named a file for it.
void ReportBeep() {
    const char* file = std::getenv("SDL_DISKAUDIOFILE");
    std::ifstream in(file ? file : "", std::ios::binary);
    if (!in) return;
    const std::vector<int16_t> played =
        Samples16(std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {}));
    const BeeperTone tone = LongestTone(played);
    std::printf("  BEEP 2,0: %.2f Hz for %.3f s, %d gaps; the device took %.0f samples a second\n",
                tone.hertz, tone.seconds, tone.gaps,
                double(played.size()) / (WallSeconds() - Opened));
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    QCoreApplication::setOrganizationName(QStringLiteral("Corvallo Software"));
    QCoreApplication::setApplicationName(QStringLiteral("Wendal"));
    ResetRunState();
    MainWindow window;
    SetSurfaceRepaintHandler(OnRepaintRequest);
    LoadSettings();
    Opened = WallSeconds();
    if (!InitEmulator()) return 1;
    ResetSpectrum();
    UpdateTitle();
    RefreshMenu();
    window.show();
    window.activateWindow();
    window.setFocus();
    // The window comes up and the window manager makes it active; then the ROM starts.
    for (int tries = 0; tries < 60 && !AppActive.load(); ++tries) {
        window.activateWindow(); // asked again: a window manager just started may miss the first
        RunFor(0.5);
    }
    if (!AppActive.load()) {
        std::fprintf(stderr, "the window never became active\n");
        ShutdownEmulator();
        return 1;
    }
    RunFor(2.0);

    ClearPacingStats();
    const uint32_t underruns = WaveUnderruns(), dropped = SoundFramesDropped;
    const double cpu = CpuSeconds(), wall = WallSeconds();
    TypeBeep();
    RunFor(seconds);
    const double share = (CpuSeconds() - cpu) / (WallSeconds() - wall);
    std::printf("True speed, %.0f s on the ROM: CPU %.1f%% of a core, read-out %d%%\n", seconds,
                share * 100, int(AverageSpeed()));
    std::printf("  frame start after its tick: median %.2f ms, 99th percentile %.2f ms, "
                "%llu of %llu frames catching up\n",
                double(LatenessPercentileUs(0.5)) / 1000, double(LatenessPercentileUs(0.99)) / 1000,
                (unsigned long long)PacingStats.catchUpFrames,
                (unsigned long long)PacingStats.framesRun);
    std::printf("  sound underruns: %u; frames of sound dropped with the queue full: %u\n",
                WaveUnderruns() - underruns, SoundFramesDropped - dropped);
    ReportBeep();

    RunCommand(CmdSpeedMaximum);
    const uint64_t frames = PacingStats.framesRun;
    const double start = WallSeconds();
    RunFor(seconds / 3);
    const double fps = double(PacingStats.framesRun - frames) / (WallSeconds() - start);
    std::printf("Maximum speed: %.0f frames a second, %.0f times real time\n", fps, fps / 50);
    ShutdownEmulator();
    return 0;
}
