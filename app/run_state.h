// What the main loop, the commands and the 20 ms tick share: whether the emulator runs, the
// tick and frame counters that pace it, and the speed setting.
#pragma once
#include <atomic>
#include <cstdint>

// Shared with the tick thread.
extern std::atomic<bool> AppActive;      // the main window is active: frames run, ticks count
extern std::atomic<bool> TickEnabled;    // cleared while a menu is open or the mode switches
extern std::atomic<uint32_t> TickCount;  // 20 ms ticks; halved with FrameCount at 50
extern std::atomic<uint32_t> FrameCount; // frames run
extern std::atomic<bool> UserPaused;     // the Pause command: no frames, ticks or sound

constexpr uint8_t SpeedTrue = 0, SpeedSyncToMonitor = 1, SpeedMaximum = 2;
extern uint8_t SpeedMode; // not kept between runs

// The state at start: inactive, not paused, ticks enabled, TickCount 1, FrameCount 0, True speed.
void ResetRunState();
// Whether frames run: the window is active, no menu is open and the user has not paused.
bool MachineRunning();
// Every 20 ms on the tick thread: counts a tick while the machine runs; at 50 ticks both
// counters are halved, so their ratio is the speed over the last half to whole second.
void TimerTick();
// The True speed command: time spent in another mode or paused is not caught up.
void SelectTrueSpeed();
// FrameCount x 100 / TickCount; false (nothing to record) while TickCount is 0.
bool FrameSpeedPercent(uint32_t& percent);
