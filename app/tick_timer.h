// The 20 ms heartbeat. A thread of its own counts each tick (TimerTick) when it falls due, so the
// speed figure and the pause go on whatever the main loop does; at True speed the main loop
// sleeps until the tick its next frame waits for is due, and counts it itself if it wakes first.
#pragma once
#include <cstdint>

// Starts the schedule from now and the thread. False when the thread cannot be started.
bool StartTickTimer();
// Stops and joins the thread; nothing happens when it is not running.
void StopTickTimer();
// Counts the ticks due at `now` on the schedule (TimerTick for each), unless they have been
// counted already; returns how many it counted.
int CountDueTicks(int64_t now);
// When the frames are ahead of the ticks (FrameCount > TickCount), sleeps until the tick that
// brings them level is due (100 ms at most), counts it and gives its due time in `due`; true
// then. False, with no wait, when the ticks have already caught up.
bool WaitForTicks(int64_t& due);
// The steady clock in nanoseconds, and when the latest tick counted was due on it.
int64_t SteadyNowNs();
int64_t LastTickDueNs();
