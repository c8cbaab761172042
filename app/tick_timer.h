// The 20 ms heartbeat: a thread of its own that calls TimerTick when each tick falls due and
// wakes the main loop waiting for it.
#pragma once
#include <cstdint>

// False when the thread cannot be started.
bool StartTickTimer();
// Stops and joins the thread; nothing happens when it is not running.
void StopTickTimer();
// The tick thread's work when `ticks` have fallen due, the last at `due`: TimerTick for each,
// then the main loop woken.
void DeliverTicks(int ticks, int64_t due);
// Sleeps until the ticks have caught up with the frames (FrameCount <= TickCount), woken by the
// tick that does it; returns at once when they already have, and after 100 ms at most when no
// tick comes. True when it slept.
bool WaitForTicks();
// The steady clock in nanoseconds, and when the latest tick was due on it.
int64_t SteadyNowNs();
int64_t LastTickDueNs();
