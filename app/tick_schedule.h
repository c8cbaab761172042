// When the 20 ms ticks fall due, on a clock the caller reads (nanoseconds on a steady clock).
#pragma once
#include <cstdint>

constexpr int64_t TickPeriodNs = 20'000'000;
// A stall longer than this many periods (a suspended machine) is not caught up in a burst.
constexpr int64_t MaxTicksCaughtUp = 10;

struct TickSchedule {
    int64_t nextDue; // when the next tick is due
};

// The schedule whose first tick is due one period after `now`.
TickSchedule StartTickSchedule(int64_t now);
// The ticks due at `now`, the schedule moved past them: none when woken early, one per period
// passed when late (so a late wake-up is caught up and the cadence kept), and just one after a
// stall of more than MaxTicksCaughtUp periods, the schedule starting afresh from `now`.
// `lastDue` gets the time the last of them was due.
int TakeDueTicks(TickSchedule& schedule, int64_t now, int64_t& lastDue);
