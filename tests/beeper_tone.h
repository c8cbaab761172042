// The tone in a recording of the speaker (44100 Hz, signed 16-bit, silence 0): the longest run of
// level changes less than 10 ms apart, since key clicks are short bursts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct BeeperTone {
    size_t changes; // level changes in the run
    double hertz, seconds;
    int gaps; // half periods over 100 samples: a block played late in a tone above 220 Hz
};

// Little-endian 16-bit samples from `bytes`, starting at byte `from` (44 skips a WAV's header).
inline std::vector<int16_t> Samples16(const std::vector<uint8_t>& bytes, size_t from = 0) {
    std::vector<int16_t> samples;
    for (size_t i = from; i + 1 < bytes.size(); i += 2)
        samples.push_back(int16_t(bytes[i] | bytes[i + 1] << 8));
    return samples;
}

inline BeeperTone LongestTone(const std::vector<int16_t>& played) {
    std::vector<size_t> changes; // samples where the speaker changes level
    for (size_t i = 1; i < played.size(); ++i)
        if ((played[i] > 0) != (played[i - 1] > 0)) changes.push_back(i);
    size_t best = 0, length = 0;
    for (size_t first = 0; first < changes.size();) {
        size_t end = first + 1;
        while (end < changes.size() && changes[end] - changes[end - 1] < 441) ++end;
        if (end - first > length) best = first, length = end - first;
        first = end;
    }
    BeeperTone tone{length, 0, 0, 0};
    if (length < 2) return tone;
    tone.seconds = double(changes[best + length - 1] - changes[best]) / 44100.0;
    tone.hertz = double(length - 1) / 2.0 / tone.seconds;
    for (size_t i = best + 1; i < best + length; ++i)
        if (changes[i] - changes[i - 1] > 100) ++tone.gaps;
    return tone;
}
