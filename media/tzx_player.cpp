#include "media/tzx_player.h"

#include <cstdio>
#include <vector>

#include "core/io_bus.h"
#include "core/machine.h"
#include "media/load_error.h"
#include "media/tape.h"
#include "media/tzx_blocks.h"
#include "peripherals/tape_input.h"

const char* TzxStopReason = "";
uint32_t TzxStopCount = 0;

namespace {

// The ROM's own timings, in T-states (3.5 MHz).
constexpr uint32_t RomPilot = 2168, RomSync1 = 667, RomSync2 = 735, RomZero = 855, RomOne = 1710;
constexpr uint32_t RomHeaderPilotPulses = 8063, RomDataPilotPulses = 3223;
constexpr uint32_t TStatesPerMs = 3500;
// Segments one frame may take, however many of them last no time at all.
constexpr uint32_t SegmentBudget = 1 << 18;

enum class Phase : uint8_t {
    BlockStart, // about to read the block's header
    Pilot,
    Sync1,
    Sync2,
    Bits,     // two equal pulses a bit, most significant bit first
    Samples,  // one level a bit, for `sampleLength` T-states
    Tone,     // `pulsesLeft` pulses of `pilotLength`
    Sequence, // `pulsesLeft` pulses whose lengths follow at `sequenceAt`
    Level,    // the set-signal-level block's one step
    Pause,
};

// Where the tape is, and the timings of the block being played.
struct TzxPlayer {
    std::vector<uint8_t> file;
    std::vector<TzxBlock> blocks;
    uint32_t block = 0;
    Phase phase = Phase::BlockStart;
    uint32_t pilotLength = 0, pulsesLeft = 0, sync1 = 0, sync2 = 0, zeroLength = 0, oneLength = 0,
             sampleLength = 0;
    uint64_t pauseLeft = 0; // T-states
    uint32_t pauseMs = 0;   // the block's pause once its data is played
    uint32_t dataAt = 0, dataEnd = 0, sequenceAt = 0;
    uint8_t lastBits = 8; // bits used in the block's last data byte, from the top
    uint8_t bitMask = 0x80, bitsDone = 0, secondHalf = 0;
    uint32_t loopStart = 0, loopLeft = 0;
    uint8_t level = 0;        // the level the tape is at, from `clock` on
    uint8_t setLevel = 0;     // the level a set-signal-level block asks for
    bool pulseOpen = false;   // the last pulse has no closing edge yet
    uint64_t clock = 0;       // T-states from the current frame's start where the next step begins
    bool stopPending = false; // the tape stops by itself at `stopAt`
    uint64_t stopAt = 0;
};

TzxPlayer Tzx;
char StopText[96];

const uint8_t* Body() { return Tzx.file.data() + Tzx.blocks[Tzx.block].body; }

void StartData(uint32_t at, uint32_t count, uint8_t lastBits, uint32_t pauseMs) {
    Tzx.dataAt = at;
    Tzx.dataEnd = at + count;
    Tzx.lastBits = lastBits >= 1 && lastBits <= 8 ? lastBits : 8;
    Tzx.bitMask = 0x80, Tzx.bitsDone = 0, Tzx.secondHalf = 0;
    Tzx.pauseMs = pauseMs;
}

void StartPause(uint32_t ms) {
    Tzx.pauseLeft = uint64_t(ms) * TStatesPerMs;
    Tzx.phase = Phase::Pause;
}

void NextBlock() {
    ++Tzx.block;
    Tzx.phase = Phase::BlockStart;
}

// The tape stops by itself; a block it cannot play also says why.
void StopAtBlock(bool cannotPlay) {
    if (cannotPlay) {
        const TzxBlock& b = Tzx.blocks[Tzx.block];
        std::snprintf(StopText, sizeof StopText, "block %u (0x%02X, %s) cannot be played",
                      unsigned(Tzx.block + 1), unsigned(b.id), TzxBlockName(b.id));
        TzxStopReason = StopText;
        ++TzxStopCount;
    }
    Tzx.stopPending = true;
    Tzx.stopAt = Tzx.clock;
}

// Reads the header of the block at Tzx.block and sets the phase that plays it. False when the
// tape stops here (the end, a stop block, or a block that cannot be played).
bool EnterBlock() {
    if (Tzx.block >= Tzx.blocks.size()) {
        StopAtBlock(false);
        return false;
    }
    const TzxBlock& b = Tzx.blocks[Tzx.block];
    if (!b.playable) {
        StopAtBlock(true);
        return false;
    }
    const uint8_t* p = Body();
    const uint32_t body = b.body;
    switch (b.id) {
    case TzxStandardData: {
        const uint32_t count = TzxWord(p + 2);
        const bool header = count > 0 && p[4] < 0x80; // flag byte: header blocks have 0x00
        Tzx.pilotLength = RomPilot;
        Tzx.pulsesLeft = header ? RomHeaderPilotPulses : RomDataPilotPulses;
        Tzx.sync1 = RomSync1, Tzx.sync2 = RomSync2, Tzx.zeroLength = RomZero,
        Tzx.oneLength = RomOne;
        StartData(body + 4, count, 8, TzxWord(p));
        Tzx.phase = Phase::Pilot;
        return true;
    }
    case TzxTurboData:
        Tzx.pilotLength = TzxWord(p), Tzx.sync1 = TzxWord(p + 2), Tzx.sync2 = TzxWord(p + 4);
        Tzx.zeroLength = TzxWord(p + 6), Tzx.oneLength = TzxWord(p + 8);
        Tzx.pulsesLeft = TzxWord(p + 0x0A);
        StartData(body + 0x12, TzxTriple(p + 0x0F), p[0x0C], TzxWord(p + 0x0D));
        Tzx.phase = Phase::Pilot;
        return true;
    case TzxPureTone:
        Tzx.pilotLength = TzxWord(p), Tzx.pulsesLeft = TzxWord(p + 2);
        Tzx.phase = Phase::Tone;
        return true;
    case TzxPulseSequence:
        Tzx.pulsesLeft = p[0], Tzx.sequenceAt = body + 1;
        Tzx.phase = Phase::Sequence;
        return true;
    case TzxPureData:
        Tzx.zeroLength = TzxWord(p), Tzx.oneLength = TzxWord(p + 2);
        StartData(body + 0x0A, TzxTriple(p + 7), p[4], TzxWord(p + 5));
        Tzx.phase = Phase::Bits;
        return true;
    case TzxDirectRecording:
        Tzx.sampleLength = TzxWord(p);
        StartData(body + 8, TzxTriple(p + 5), p[4], TzxWord(p + 2));
        Tzx.phase = Phase::Samples;
        return true;
    case TzxPause:
        if (TzxWord(p) == 0) break; // a pause of 0 ms stops the tape
        StartPause(TzxWord(p));
        return true;
    case TzxStopIf48K: break;
    case TzxSetLevel:
        Tzx.setLevel = p[4] ? 1 : 0;
        Tzx.phase = Phase::Level;
        return true;
    case TzxLoopStart:
        Tzx.loopStart = Tzx.block + 1, Tzx.loopLeft = TzxWord(p);
        NextBlock();
        return true;
    case TzxLoopEnd:
        if (Tzx.loopLeft > 1) {
            --Tzx.loopLeft;
            Tzx.block = Tzx.loopStart;
            Tzx.phase = Phase::BlockStart;
        } else {
            Tzx.loopLeft = 0;
            NextBlock();
        }
        return true;
    default: // groups and descriptions take no time
        NextBlock();
        return true;
    }
    NextBlock(); // a stop block: the tape starts again after it
    StopAtBlock(false);
    return false;
}

// The next step of the signal: the level from now on and how long it lasts. False when the
// tape stops.
bool NextStep(uint8_t& level, uint32_t& duration) {
    auto pulse = [&](uint32_t length) {
        level = Tzx.level ^ 1;
        duration = length;
        Tzx.pulseOpen = true;
        return true;
    };
    for (;;) {
        switch (Tzx.phase) {
        case Phase::BlockStart:
            if (!EnterBlock()) return false;
            continue;
        case Phase::Pilot:
            if (Tzx.pulsesLeft) {
                --Tzx.pulsesLeft;
                return pulse(Tzx.pilotLength);
            }
            Tzx.phase = Phase::Sync1;
            continue;
        case Phase::Sync1: Tzx.phase = Phase::Sync2; return pulse(Tzx.sync1);
        case Phase::Sync2: Tzx.phase = Phase::Bits; return pulse(Tzx.sync2);
        case Phase::Bits:
        case Phase::Samples: {
            if (Tzx.dataAt >= Tzx.dataEnd) {
                StartPause(Tzx.pauseMs);
                continue;
            }
            const bool one = Tzx.file[Tzx.dataAt] & Tzx.bitMask;
            const bool samples = Tzx.phase == Phase::Samples;
            if (!samples && !Tzx.secondHalf) {
                Tzx.secondHalf = 1;
                return pulse(one ? Tzx.oneLength : Tzx.zeroLength);
            }
            Tzx.secondHalf = 0;
            Tzx.bitMask >>= 1;
            ++Tzx.bitsDone;
            const bool lastByte = Tzx.dataAt + 1 == Tzx.dataEnd;
            if (!Tzx.bitMask || (lastByte && Tzx.bitsDone >= Tzx.lastBits))
                ++Tzx.dataAt, Tzx.bitMask = 0x80, Tzx.bitsDone = 0;
            if (!samples) return pulse(one ? Tzx.oneLength : Tzx.zeroLength);
            level = one ? 1 : 0;
            duration = Tzx.sampleLength;
            Tzx.pulseOpen = false; // a sampled level needs no closing edge
            return true;
        }
        case Phase::Tone:
            if (Tzx.pulsesLeft) {
                --Tzx.pulsesLeft;
                return pulse(Tzx.pilotLength);
            }
            NextBlock();
            continue;
        case Phase::Sequence:
            if (Tzx.pulsesLeft) {
                --Tzx.pulsesLeft;
                const uint32_t length = TzxWord(Tzx.file.data() + Tzx.sequenceAt);
                Tzx.sequenceAt += 2;
                return pulse(length);
            }
            NextBlock();
            continue;
        case Phase::Level:
            level = Tzx.setLevel;
            duration = 0;
            Tzx.pulseOpen = false;
            NextBlock();
            return true;
        case Phase::Pause:
            // The last pulse is closed by an edge and held 1 ms; the rest of the pause is low.
            if (!Tzx.pauseLeft) {
                NextBlock();
                continue;
            }
            if (Tzx.pulseOpen) {
                Tzx.pulseOpen = false;
                duration = uint32_t(Tzx.pauseLeft < TStatesPerMs ? Tzx.pauseLeft : TStatesPerMs);
                Tzx.pauseLeft -= duration;
                level = Tzx.level ^ 1;
                return true;
            }
            level = 0;
            duration = uint32_t(Tzx.pauseLeft);
            Tzx.pauseLeft = 0;
            return true;
        }
    }
}

// An edge at T-state `t` of the frame; one at the same T-state as the last cancels it.
void AddEdge(uint64_t t) {
    if (TapeEdgeCount && TapeEdges[TapeEdgeCount - 1] == t)
        --TapeEdgeCount;
    else if (TapeEdgeCount < TapeEdgeCapacity)
        TapeEdges[TapeEdgeCount++] = uint32_t(t);
}

// Plays on until the edges reach the end of the frame and its slack.
void Generate() {
    uint32_t budget = SegmentBudget;
    while (!Tzx.stopPending && Tzx.clock < TapeEdgeCapacity && budget--) {
        uint8_t level;
        uint32_t duration;
        if (!NextStep(level, duration)) break;
        if (level != Tzx.level) {
            AddEdge(Tzx.clock);
            Tzx.level = level;
        }
        Tzx.clock += duration;
    }
    if (Tzx.clock < TapeEdgeCapacity && !Tzx.stopPending) Tzx.clock = TapeEdgeCapacity;
}

// The tape from T-state `now` of this frame on: the edges after it are dropped and made again.
void RestartAt(uint32_t now) {
    uint32_t kept = 0;
    while (kept < TapeEdgeCount && TapeEdges[kept] <= now) ++kept;
    TapeEdgeCount = kept;
    Tzx.level = uint8_t(TapeEdgeStartLevel ^ (kept & 1));
    Tzx.clock = now;
    Tzx.stopPending = false;
    Generate();
    SampleEdgesForSound();
}

bool TzxIsIn() { return TapeFromEdges; }

} // namespace

uint32_t TzxBlockIndex() { return Tzx.block; }

// Makes the bytes the tape, taking them over, once their blocks have been read.
static bool TakeTzx(std::vector<uint8_t>&& bytes) {
    std::vector<TzxBlock> blocks;
    if (!ReadTzxBlocks(bytes.data(), bytes.size(), blocks)) return false;
    Tzx = TzxPlayer();
    Tzx.file = std::move(bytes);
    Tzx.blocks = std::move(blocks);
    TapePlaying = 0;
    TapeFromEdges = 1;
    TapeEdgeCount = 0;
    TapeEdgeStartLevel = 0;
    TStatesPerSample = 79, SoundShift = 0; // the sound hears the pulses at 44100 Hz
    RestartEdgeSearch();
    return true;
}

bool LoadTzxBytes(const uint8_t* data, size_t size) {
    if (!data) return TakeTzx({});
    return TakeTzx(std::vector<uint8_t>(data, data + size));
}

void ForgetTzx() {
    Tzx = TzxPlayer();
    TapeFromEdges = 0;
    TapeEdgeCount = 0;
    RestartEdgeSearch();
}

bool OpenTzxTape(const char* path) {
    if (!InsertTape(path, TzxTape)) return false;
    if (TapeLength > TzxLargest) {
        CloseTape();
        LastLoadError = LoadError::TooLarge;
        return false;
    }
    std::vector<uint8_t> bytes(TapeLength);
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), CurrentTape);
    if (got != bytes.size() || std::ferror(CurrentTape)) {
        CloseTape();
        LastLoadError = LoadError::Unreadable;
        return false;
    }
    if (!TakeTzx(std::move(bytes))) {
        CloseTape();
        return false;
    }
    return true;
}

void PlayTzx() {
    if (!TzxIsIn() || TapePlaying) return;
    TapePlaying = 1;
    TapeEdgeCount = 0;
    TapeEdgeStartLevel = Tzx.level;
    RestartAt(Machine.tstates);
}

void StopTzx() { TapePlaying = 0; }

void RewindTzx() {
    if (!TzxIsIn()) return;
    Tzx.block = 0, Tzx.phase = Phase::BlockStart, Tzx.loopLeft = 0, Tzx.pulseOpen = false;
    if (TapePlaying) RestartAt(Machine.tstates);
}

int TzxPositionPermille() {
    if (!TzxIsIn() || Tzx.blocks.empty()) return 0;
    // From the first block's start to the end of the file.
    const uint64_t first = Tzx.blocks.front().body - 1, end = Tzx.file.size();
    const uint64_t at = Tzx.block < Tzx.blocks.size() ? Tzx.blocks[Tzx.block].body - 1 : end;
    return int((at - first) * 1000 / (end - first));
}

void TzxFrameStep() {
    if (!TzxIsIn() || !TapePlaying) return;
    // The frame that ended is dropped; edges in its slack belong to the new frame.
    uint32_t gone = 0;
    while (gone < TapeEdgeCount && TapeEdges[gone] < FrameTStates) ++gone;
    TapeEdgeStartLevel = uint8_t(TapeEdgeStartLevel ^ (gone & 1));
    for (uint32_t k = gone; k < TapeEdgeCount; ++k)
        TapeEdges[k - gone] = TapeEdges[k] - FrameTStates;
    TapeEdgeCount -= gone;
    Tzx.clock = Tzx.clock > FrameTStates ? Tzx.clock - FrameTStates : 0;
    if (Tzx.stopPending) {
        if (Tzx.stopAt <= FrameTStates) {
            Tzx.stopPending = false;
            TapePlaying = 0;
            return;
        }
        Tzx.stopAt -= FrameTStates;
    }
    Generate();
    SampleEdgesForSound();
}

uint8_t TzxTrap(uint8_t flag, uint16_t start, uint16_t length) {
    if (!TzxIsIn()) return TrapFailed;
    PlayTzx(); // the loader starts the tape
    // The block being played, if its data has not begun, else the next one; then on past
    // blocks that carry no data, to a standard-speed block.
    uint32_t b = Tzx.block;
    const Phase p = Tzx.phase;
    const bool notBegun = p == Phase::BlockStart || p == Phase::Pilot || p == Phase::Sync1 ||
                          p == Phase::Sync2 || p == Phase::Tone || p == Phase::Sequence;
    if (!notBegun) ++b;
    for (; b < Tzx.blocks.size() && Tzx.blocks[b].playable; ++b) {
        const uint8_t id = Tzx.blocks[b].id;
        if (id == TzxStandardData) break;
        const bool passed = id == TzxPause || id == TzxStopIf48K || id == TzxSetLevel ||
                            id == TzxGroupStart || id == TzxGroupEnd || id == TzxText ||
                            id == TzxMessage || id == TzxArchiveInfo || id == TzxHardwareType ||
                            id == TzxCustomInfo || id == TzxGlue;
        if (!passed) return TrapDeclined;
    }
    if (b >= Tzx.blocks.size() || !Tzx.blocks[b].playable) return TrapDeclined;

    const TzxBlock& block = Tzx.blocks[b];
    size_t position = block.body + 2; // the length word and what it counts, as in a TAP image
    const uint8_t loaded = TapeTrapBytes(Tzx.file.data(), size_t(block.body) + block.length,
                                         position, flag, start, length);
    // The tape goes on from the block's pause, from now.
    Tzx.block = b;
    Tzx.pulseOpen = false;
    StartPause(TzxWord(Tzx.file.data() + block.body));
    RestartAt(Machine.tstates);
    return loaded ? TrapLoaded : TrapFailed;
}
