#include "app/tick_schedule.h"

TickSchedule StartTickSchedule(int64_t now) { return TickSchedule{now + TickPeriodNs}; }

int TakeDueTicks(TickSchedule& schedule, int64_t now, int64_t& lastDue) {
    if (now < schedule.nextDue) return 0;
    const int64_t due = (now - schedule.nextDue) / TickPeriodNs + 1;
    if (due > MaxTicksCaughtUp) {
        lastDue = now;
        schedule.nextDue = now + TickPeriodNs;
        return 1;
    }
    schedule.nextDue += due * TickPeriodNs;
    lastDue = schedule.nextDue - TickPeriodNs;
    return int(due);
}
