#include "app/main_loop.h"

#include "app/display_modes.h"
#include "app/pacing_stats.h"
#include "app/preferences.h"
#include "app/run_state.h"
#include "app/speed_display.h"
#include "app/tick_timer.h"
#include "engine/engine.h"
#include "platform/display_surface.h"

void PaceFrame() {
    switch (SpeedMode) {
    case SpeedTrue: {
        // Sleeps until the frame's tick is due; no wait when level or behind.
        const bool behind = FrameCount.load() < TickCount.load();
        int64_t due = 0;
        if (WaitForTicks(due))
            CountLateness(SteadyNowNs() - due);
        else if (behind)
            ++PacingStats.catchUpFrames;
        else
            CountLateness(SteadyNowNs() - LastTickDueNs());
        break;
    }
    case SpeedSyncToMonitor: WaitForRetrace(); break;
    default: break;
    }
}

bool FastLoading = false;
uint32_t FastLoadingSwitches = 0;

void RunDesktopFrame() {
    FrameLoop();
    FrameCount.fetch_add(1);
    ++PacingStats.framesRun;
    const bool fast = TapeBeingLoaded(Preferences.fastLoading == 1);
    if (fast != FastLoading) {
        FastLoading = fast;
        ++FastLoadingSwitches;
        // True speed goes on from here, without catching up the frames run ahead.
        if (!fast && SpeedMode == SpeedTrue) SelectTrueSpeed();
    }
    if (!fast) PaceFrame();
    uint32_t percent = 0;
    if (FrameSpeedPercent(percent)) RecordSpeed(percent);
    FinishFrame(FrameTarget{nullptr, nullptr, 0}, fast); // the picture goes through the surface
    // At Maximum the frames outrun the display: only those it can show are drawn.
    if ((SpeedMode != SpeedMaximum && !fast) || SurfaceWantsFrame()) RenderFrame();
}
