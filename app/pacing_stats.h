// How the frames kept to real time, for the benchmark: frames run, and how late each frame at
// True speed started after the tick that let it start.
#pragma once
#include <cstdint>

constexpr int LatenessBins = 1000; // 50 microseconds each: up to 50 ms, the last bin beyond

struct PacingRecord {
    uint64_t framesRun;     // every frame, whatever the speed (the counter is never halved)
    uint64_t catchUpFrames; // True speed frames started with their tick long past: behind
    uint64_t latenessCount[LatenessBins];
};
extern PacingRecord PacingStats;

void ClearPacingStats();
// A True speed frame started `ns` after its tick was due.
void CountLateness(int64_t ns);
// The lateness below which `fraction` (0 to 1) of the counted frames started, in
// microseconds, to the bin's upper edge; 0 when none were counted.
int64_t LatenessPercentileUs(double fraction);
