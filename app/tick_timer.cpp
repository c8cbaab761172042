#include "app/tick_timer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>

#include "app/run_state.h"
#include "app/tick_schedule.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int64_t LongestWaitNs = 100'000'000;

std::thread TickThread;
std::atomic<bool> TickThreadRunning{false};
// The one schedule of the ticks. Whichever thread finds a tick due first counts it: the tick
// thread, or the main loop woken for the frame that waits on it. Both counters change with it.
std::mutex TickMutex;
TickSchedule Schedule{0};
std::atomic<int64_t> LastDue{0};

Clock::time_point TimeOf(int64_t ns) {
    return Clock::time_point(
        std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(ns)));
}

int64_t NextDue() {
    std::lock_guard<std::mutex> lock(TickMutex);
    return Schedule.nextDue;
}

void TickLoop() {
    while (TickThreadRunning.load()) {
        std::this_thread::sleep_until(TimeOf(NextDue()));
        CountDueTicks(SteadyNowNs());
    }
}

} // namespace

int64_t SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

int64_t LastTickDueNs() { return LastDue.load(); }

int CountDueTicks(int64_t now) {
    std::lock_guard<std::mutex> lock(TickMutex);
    int64_t due = 0;
    const int ticks = TakeDueTicks(Schedule, now, due);
    for (int i = 0; i < ticks; ++i) TimerTick();
    if (ticks > 0) LastDue.store(due);
    return ticks;
}

bool StartTickTimer() {
    if (TickThreadRunning.load()) return true;
    {
        std::lock_guard<std::mutex> lock(TickMutex);
        Schedule = StartTickSchedule(SteadyNowNs());
    }
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

bool WaitForTicks(int64_t& due) {
    int64_t deadline;
    {
        std::lock_guard<std::mutex> lock(TickMutex);
        const uint32_t frames = FrameCount.load(), ticks = TickCount.load();
        if (frames <= ticks) return false;
        // The ticks still to come before this frame may start, the first at the schedule's next.
        deadline = Schedule.nextDue + int64_t(frames - ticks - 1) * TickPeriodNs;
    }
    due = deadline;
    std::this_thread::sleep_until(TimeOf(std::min(deadline, SteadyNowNs() + LongestWaitNs)));
    CountDueTicks(SteadyNowNs()); // unless the tick thread has already woken for it
    return true;
}
