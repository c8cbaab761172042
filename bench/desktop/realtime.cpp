// The desktop program's real-time figures, measured on a real display (the bench script runs it
// under Xvfb): its CPU share and how late the frames start at True speed, the sound's underruns,
// and the frames per second at Maximum. Usage: wendal-bench-desktop [SECONDS]
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/pacing_stats.h"
#include "app/run_state.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "app/tick_timer.h"
#include "app/title.h"
#include "app/window_events.h"
#include "app/window_services.h"
#include "display/speed_display.h"
#include "platform/desktop/desktop_surface.h"
#include "platform/desktop/sdl_devices.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double WallSeconds() { return double(SteadyNowNs()) / 1e9; }

// Runs the program's own main loop for `seconds`.
void RunFor(double seconds) {
    QTimer::singleShot(int(seconds * 1000), [] { RequestQuit(0); });
    MainLoop();
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
    if (!InitEmulator()) return 1;
    ResetSpectrum();
    UpdateTitle();
    RefreshMenu();
    window.show();
    window.activateWindow();
    window.setFocus();
    // The window comes up and the window manager makes it active; then the ROM starts.
    for (int tries = 0; tries < 20 && !AppActive.load(); ++tries) RunFor(0.5);
    if (!AppActive.load()) {
        std::fprintf(stderr, "the window never became active\n");
        ShutdownEmulator();
        return 1;
    }
    RunFor(2.0);

    ClearPacingStats();
    const uint32_t underruns = WaveUnderruns();
    const double cpu = CpuSeconds(), wall = WallSeconds();
    RunFor(seconds);
    const double share = (CpuSeconds() - cpu) / (WallSeconds() - wall);
    std::printf("True speed, %.0f s on the ROM: CPU %.1f%% of a core, read-out %d%%\n", seconds,
                share * 100, int(AverageSpeed()));
    std::printf("  frame start after its tick: median %.2f ms, 99th percentile %.2f ms, "
                "%llu of %llu frames catching up\n",
                double(LatenessPercentileUs(0.5)) / 1000, double(LatenessPercentileUs(0.99)) / 1000,
                (unsigned long long)PacingStats.catchUpFrames,
                (unsigned long long)PacingStats.framesRun);
    std::printf("  sound underruns: %u\n", WaveUnderruns() - underruns);

    RunCommand(CmdSpeedMaximum);
    const uint64_t frames = PacingStats.framesRun;
    const double start = WallSeconds();
    RunFor(seconds / 3);
    const double fps = double(PacingStats.framesRun - frames) / (WallSeconds() - start);
    std::printf("Maximum speed: %.0f frames a second, %.0f times real time\n", fps, fps / 50);
    ShutdownEmulator();
    return 0;
}
