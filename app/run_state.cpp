#include "app/run_state.h"

std::atomic<bool> AppActive{false};
std::atomic<bool> TickEnabled{true};
std::atomic<uint32_t> TickCount{1};
std::atomic<uint32_t> FrameCount{0};
std::atomic<bool> UserPaused{false};
uint8_t SpeedMode = SpeedTrue;

constexpr uint32_t HalvingTicks = 50; // one second of ticks

void ResetRunState() {
    AppActive = false;
    TickEnabled = true;
    UserPaused = false;
    TickCount = 1;
    FrameCount = 0;
    SpeedMode = SpeedTrue;
}

bool MachineRunning() { return AppActive.load() && TickEnabled.load() && !UserPaused.load(); }

void TimerTick() {
    if (!MachineRunning()) return;
    const uint32_t ticks = TickCount.fetch_add(1) + 1;
    if (ticks < HalvingTicks) return;
    TickCount.store(ticks >> 1);
    // The main thread may count a frame meanwhile: halve whatever value is there.
    uint32_t frames = FrameCount.load();
    while (!FrameCount.compare_exchange_weak(frames, frames >> 1)) {}
}

void SelectTrueSpeed() {
    TickCount.store(FrameCount.load());
    SpeedMode = SpeedTrue;
}

bool FrameSpeedPercent(uint32_t& percent) {
    const uint32_t ticks = TickCount.load();
    if (ticks == 0) return false;
    percent = FrameCount.load() * 100u / ticks;
    return true;
}
