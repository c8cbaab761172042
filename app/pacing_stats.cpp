#include "app/pacing_stats.h"

#include <cstring>

PacingRecord PacingStats;

constexpr int64_t BinNs = 50'000;

void ClearPacingStats() { std::memset(&PacingStats, 0, sizeof PacingStats); }

void CountLateness(int64_t ns) {
    int64_t bin = ns < 0 ? 0 : ns / BinNs;
    if (bin >= LatenessBins) bin = LatenessBins - 1;
    ++PacingStats.latenessCount[bin];
}

int64_t LatenessPercentileUs(double fraction) {
    uint64_t total = 0;
    for (uint64_t n : PacingStats.latenessCount) total += n;
    if (total == 0) return 0;
    const double wanted = fraction * double(total);
    uint64_t seen = 0;
    for (int bin = 0; bin < LatenessBins; ++bin) {
        seen += PacingStats.latenessCount[bin];
        if (double(seen) >= wanted) return (bin + 1) * BinNs / 1000;
    }
    return LatenessBins * BinNs / 1000;
}
