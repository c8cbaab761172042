#include "app/tick_timer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "app/run_state.h"
#include "app/tick_schedule.h"

namespace {

std::thread TickThread;
std::atomic<bool> TickThreadRunning{false};
std::atomic<int64_t> LastDue{0};
// The main loop sleeps on this until a tick lets the next frame start.
std::mutex TickMutex;
std::condition_variable TickSignal;
constexpr std::chrono::milliseconds LongestWait{100};

using Clock = std::chrono::steady_clock;

Clock::time_point TimeOf(int64_t ns) {
    return Clock::time_point(
        std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(ns)));
}

void TickLoop() {
    TickSchedule schedule = StartTickSchedule(SteadyNowNs());
    while (TickThreadRunning.load()) {
        std::this_thread::sleep_until(TimeOf(schedule.nextDue));
        int64_t due = 0;
        const int ticks = TakeDueTicks(schedule, SteadyNowNs(), due);
        if (ticks > 0) DeliverTicks(ticks, due);
    }
}

bool TicksCaughtUp() { return FrameCount.load() <= TickCount.load(); }

} // namespace

int64_t SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

int64_t LastTickDueNs() { return LastDue.load(); }

void DeliverTicks(int ticks, int64_t due) {
    while (ticks-- > 0) TimerTick();
    LastDue.store(due);
    // Taking the lock orders this tick after a waiter's look at the counters.
    { std::lock_guard<std::mutex> lock(TickMutex); }
    TickSignal.notify_all();
}

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

bool WaitForTicks() {
    if (TicksCaughtUp()) return false;
    std::unique_lock<std::mutex> lock(TickMutex);
    TickSignal.wait_for(lock, LongestWait, TicksCaughtUp);
    return true;
}
