// The 20 ms heartbeat: a thread of its own that calls TimerTick once per real Spectrum frame.
#pragma once

// False when the thread cannot be started.
bool StartTickTimer();
// Stops and joins the thread; nothing happens when it is not running.
void StopTickTimer();
