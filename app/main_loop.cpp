#include "app/main_loop.h"

#include "app/run_state.h"
#include "core/machine.h"
#include "display/display_modes.h"
#include "display/speed_display.h"
#include "engine/frame_sequence.h"
#include "platform/display_surface.h"

void PaceFrame() {
    switch (SpeedMode) {
    case SpeedTrue:
        // A busy wait, so the frame starts the moment its tick has come; no wait when behind.
        while (FrameCount.load() > TickCount.load()) {}
        break;
    case SpeedSyncToMonitor: WaitForRetrace(); break;
    default: break;
    }
}

void RunDesktopFrame() {
    FrameLoop();
    FrameCount.fetch_add(1);
    PaceFrame();
    uint32_t percent = 0;
    if (FrameSpeedPercent(percent)) RecordSpeed(percent);
    FinishFrame(FrameTarget{nullptr, nullptr, 0}); // the picture goes through the surface
    RenderFrame();
}
