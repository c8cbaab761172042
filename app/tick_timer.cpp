#include "app/tick_timer.h"

#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>

#include "app/run_state.h"

namespace {

constexpr std::chrono::milliseconds TickPeriod{20};

std::thread TickThread;
std::atomic<bool> TickThreadRunning{false};

void TickLoop() {
    auto next = std::chrono::steady_clock::now() + TickPeriod;
    while (TickThreadRunning.load()) {
        std::this_thread::sleep_until(next);
        TimerTick();
        next += TickPeriod;
        // After a long stall (a suspended machine) start afresh rather than tick in a burst.
        const auto now = std::chrono::steady_clock::now();
        if (now - next > 10 * TickPeriod) next = now + TickPeriod;
    }
}

} // namespace

bool StartTickTimer() {
    if (TickThreadRunning.load()) return true;
    TickThreadRunning = true;
    try {
        TickThread = std::thread(TickLoop);
    } catch (const std::system_error&) { // no thread could be made
        TickThreadRunning = false;
        return false;
    }
    return true;
}

void StopTickTimer() {
    if (!TickThreadRunning.exchange(false)) return;
    if (TickThread.joinable()) TickThread.join();
}
