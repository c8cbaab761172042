#include "media/tzx_player.h"

#include <cstdio>
#include <vector>

#include "core/io_bus.h"
#include "core/machine.h"
#include "media/csw_pulses.h"
#include "media/load_error.h"
#include "media/pzx_blocks.h"
#include "media/tape.h"
#include "media/tzx_blocks.h"
#include "peripherals/machine_model.h"
#include "peripherals/tape_input.h"

const char* TzxStopReason = "";
uint32_t TzxStopCount = 0;

namespace {

// The ROM's own timings, in T-states (3.5 MHz).
constexpr uint32_t RomPilot = 2168, RomSync1 = 667, RomSync2 = 735, RomZero = 855, RomOne = 1710;
constexpr uint32_t RomHeaderPilotPulses = 8063, RomDataPilotPulses = 3223;
// Pauses and recordings are in real time: T-states of the machine's own clock.
uint32_t TStatesPerSecond() { return MachineClockHz(); }
uint32_t TStatesPerMs() { return MachineClockHz() / 1000; }
// Steps one frame may take: every pulse and every block passed counts, so that a tape of blocks
// that last no time, looped or jumped over, still leaves the frame on time.
constexpr uint32_t StepBudget = 1 << 18;

enum class Phase : uint8_t {
    BlockStart, // about to read the block's header
    Pilot,
    Sync1,
    Sync2,
    Bits,        // two equal pulses a bit, most significant bit first
    Samples,     // one level a bit, for `sampleLength` T-states
    Tone,        // `pulsesLeft` pulses of `pilotLength`
    Sequence,    // `pulsesLeft` pulses whose lengths follow at `sequenceAt`
    Level,       // the set-signal-level block's one step
    Pause,       // `pauseLeft` T-states, the last pulse closed first
    Csw,         // run lengths from media/csw_pulses.h
    Generalized, // symbols from a pilot/sync stream, then from a data stream
    PzxPulses,   // PULS: counts and lengths from `dataAt` to `dataEnd`
    PzxBits,     // DATA: each bit a sequence of pulses
    PzxTail,     // DATA: the pulse after the last bit
};

// Where the tape is, and the timings of the block being played.
struct TzxPlayer {
    std::vector<uint8_t> file;
    PulseFormat format = PulseFormat::Tzx;
    TzxIndex index;     // a .tzx's blocks
    CswHeader csw{};    // a .csw's header
    uint32_t first = 0; // offset of the first block
    uint32_t block = 0; // index of the block being played
    uint32_t at = 0;    // offset of its ID (a .pzx block's tag); the file's size at the end
    Phase phase = Phase::BlockStart;
    uint32_t pilotLength = 0, pulsesLeft = 0, sync1 = 0, sync2 = 0, zeroLength = 0, oneLength = 0,
             sampleLength = 0;
    uint64_t pauseLeft = 0; // T-states
    uint32_t pauseMs = 0;   // the block's pause once its data is played
    uint32_t dataAt = 0, dataEnd = 0, sequenceAt = 0;
    uint8_t lastBits = 8; // bits used in the block's last data byte, from the top
    uint8_t bitMask = 0x80, bitsDone = 0, secondHalf = 0;
    uint32_t loopStart = 0, loopStartAt = 0, loopLeft = 0;
    bool inCall = false; // a call sequence's block is being played
    uint32_t callBlock = 0, callAt = 0, callNext = 0;
    uint8_t level = 0;        // the level the tape is at, from `clock` on
    uint8_t setLevel = 0;     // the level a set-signal-level block asks for
    uint8_t nextLevel = 0;    // the next pulse's level where pulses alternate from a given level
    bool pulseOpen = false;   // the last pulse has no closing edge yet
    uint64_t clock = 0;       // T-states from the current frame's start where the next step begins
    bool stopPending = false; // the tape stops by itself at `stopAt`
    uint64_t stopAt = 0;
    uint32_t budget = StepBudget; // steps left in this frame
    // A CSW recording: samples a second, and the fraction of a T-state carried between pulses.
    uint32_t cswRate = 0;
    uint64_t cswCarry = 0;
    // A generalized data block: its tables, and where its streams and the symbol being played are.
    TzxGeneralizedLayout g{};
    uint32_t gBody = 0; // offset of the body after the length
    uint32_t entriesLeft = 0, entryAt = 0, repeatsLeft = 0, symbolsLeft = 0;
    uint8_t repeatSymbol = 0;
    uint64_t bitAt = 0; // in the data stream
    uint32_t symbolAt = 0, symbolPulsesLeft = 0;
    uint8_t symbolFlags = 0;
    bool symbolFirst = false;
    // A .pzx block: a PULS pulse repeated, a DATA block's fields and where its bits are.
    uint32_t repeatLeft = 0, repeatLength = 0;
    PzxData pzx{};
    uint32_t pzxBody = 0, bitIndex = 0, pulseInBit = 0;
};

TzxPlayer Tzx;
char StopText[96];

const uint8_t* At(uint32_t offset) { return Tzx.file.data() + offset; }
const uint8_t* Body() { return At(Tzx.at + 1); }

void StartData(uint32_t at, uint32_t count, uint8_t lastBits, uint32_t pauseMs) {
    Tzx.dataAt = at;
    Tzx.dataEnd = at + count;
    Tzx.lastBits = lastBits >= 1 && lastBits <= 8 ? lastBits : 8;
    Tzx.bitMask = 0x80, Tzx.bitsDone = 0, Tzx.secondHalf = 0;
    Tzx.pauseMs = pauseMs;
}

void StartPause(uint32_t ms) {
    Tzx.pauseLeft = uint64_t(ms) * TStatesPerMs();
    Tzx.phase = Phase::Pause;
}

void NextBlock() {
    switch (Tzx.format) {
    case PulseFormat::Tzx: Tzx.at += TzxBlockSize(Tzx.file.data(), Tzx.at); break;
    case PulseFormat::Pzx: Tzx.at += PzxBlockHeader + TzxDword(At(Tzx.at + 4)); break;
    case PulseFormat::Csw: Tzx.at = uint32_t(Tzx.file.size()); break;
    }
    ++Tzx.block;
    Tzx.phase = Phase::BlockStart;
}

void GoToBlock(uint32_t n) {
    Tzx.block = n;
    Tzx.at = TzxBlockOffset(Tzx.index, Tzx.file.data(), Tzx.file.size(), n);
    Tzx.phase = Phase::BlockStart;
}

// The tape stops by itself; a block it cannot play also says why.
void StopAtBlock(bool cannotPlay) {
    if (cannotPlay) {
        if (Tzx.format == PulseFormat::Tzx) {
            const uint8_t id = *At(Tzx.at);
            std::snprintf(StopText, sizeof StopText, "block %u (0x%02X, %s) cannot be played",
                          unsigned(Tzx.block + 1), unsigned(id), TzxBlockName(id));
        } else {
            std::snprintf(StopText, sizeof StopText, "the recording's data is damaged");
        }
        TzxStopReason = StopText;
        ++TzxStopCount;
        Tzx.phase = Phase::BlockStart; // Play tries the block again from its start
    }
    Tzx.stopPending = true;
    Tzx.stopAt = Tzx.clock;
}

// Goes to the block `delta` blocks from the current one; false when that is off the tape.
bool Jump(uint32_t from, int32_t delta) {
    const int64_t to = int64_t(from) + delta;
    if (to < 0 || to > int64_t(Tzx.index.count)) return false;
    GoToBlock(uint32_t(to));
    return true;
}

int32_t Signed(uint32_t word) { return int32_t(int16_t(uint16_t(word))); }

void StartGeneralized() {
    Tzx.gBody = Tzx.at + 1 + 4;
    Tzx.g = TzxGeneralizedTables(At(Tzx.gBody));
    Tzx.pauseMs = TzxWord(At(Tzx.gBody));
    Tzx.entriesLeft = Tzx.g.pilotSymbols, Tzx.entryAt = Tzx.gBody + Tzx.g.pilotStream;
    Tzx.repeatsLeft = 0;
    Tzx.symbolsLeft = Tzx.g.dataSymbols, Tzx.bitAt = 0;
    Tzx.symbolPulsesLeft = 0;
    Tzx.phase = Phase::Generalized;
}

void StartSymbol(uint32_t table, uint32_t maxPulses, uint32_t symbol) {
    const uint32_t entry = Tzx.gBody + table + symbol * (1 + 2 * maxPulses);
    Tzx.symbolFlags = *At(entry) & 3;
    Tzx.symbolAt = entry + 1;
    Tzx.symbolPulsesLeft = maxPulses;
    Tzx.symbolFirst = true;
}

// Sets the phase that plays the .tzx block at Tzx.at. False when the tape stops here (a stop
// block, or a block that cannot be played).
bool EnterTzxBlock() {
    const uint8_t* p = Body();
    const uint32_t body = Tzx.at + 1;
    switch (*At(Tzx.at)) {
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
    case TzxCswRecording:
        Tzx.pauseMs = TzxWord(p + 4);
        Tzx.cswRate = TzxTriple(p + 6), Tzx.cswCarry = 0;
        Tzx.nextLevel = Tzx.level ^ 1; // each pulse starts with an edge
        CswStart(At(body + 0x0E), TzxDword(p) - 0x0A, p[9] == 2);
        Tzx.phase = Phase::Csw;
        return true;
    case TzxGeneralized: StartGeneralized(); return true;
    case TzxPause:
        if (TzxWord(p) == 0) break; // a pause of 0 ms stops the tape
        StartPause(TzxWord(p));
        return true;
    case TzxStopIf48K:
        if (!IsPagedMachine()) break; // stops the 48K; the 128K machines play on
        NextBlock();
        return true;
    case TzxSetLevel:
        Tzx.setLevel = p[4] ? 1 : 0;
        Tzx.phase = Phase::Level;
        return true;
    case TzxJump:
        if (!Jump(Tzx.block, Signed(TzxWord(p)))) break;
        return true;
    case TzxLoopStart:
        Tzx.loopLeft = TzxWord(p);
        NextBlock();
        Tzx.loopStart = Tzx.block, Tzx.loopStartAt = Tzx.at;
        return true;
    case TzxLoopEnd:
        if (Tzx.loopLeft > 1) {
            --Tzx.loopLeft;
            Tzx.block = Tzx.loopStart, Tzx.at = Tzx.loopStartAt;
            Tzx.phase = Phase::BlockStart;
        } else {
            Tzx.loopLeft = 0;
            NextBlock();
        }
        return true;
    case TzxCallSequence:
        if (TzxWord(p) == 0) {
            NextBlock();
            return true;
        }
        if (Tzx.inCall) break; // calls do not nest
        Tzx.inCall = true, Tzx.callBlock = Tzx.block, Tzx.callAt = Tzx.at, Tzx.callNext = 0;
        if (!Jump(Tzx.block, Signed(TzxWord(p + 2)))) break;
        return true;
    case TzxReturn: {
        if (!Tzx.inCall) {
            NextBlock();
            return true;
        }
        const uint8_t* call = At(Tzx.callAt + 1);
        if (++Tzx.callNext < TzxWord(call)) {
            if (!Jump(Tzx.callBlock, Signed(TzxWord(call + 2 + 2 * Tzx.callNext)))) break;
            return true;
        }
        Tzx.inCall = false;
        Tzx.block = Tzx.callBlock, Tzx.at = Tzx.callAt;
        NextBlock();
        return true;
    }
    case TzxSelect:
        // Length, count, then each choice: a block offset and its text.
        if (TzxWord(p) < 4 || p[2] == 0) {
            NextBlock();
            return true;
        }
        if (!Jump(Tzx.block, Signed(TzxWord(p + 3)))) break;
        return true;
    default: // groups, descriptions, other machines' blocks and later kinds take no time
        NextBlock();
        return true;
    }
    const uint8_t id = *At(Tzx.at);
    if (id == TzxPause || id == TzxStopIf48K) {
        NextBlock(); // a stop block: the tape starts again after it
        StopAtBlock(false);
    } else {
        StopAtBlock(true);
    }
    return false;
}

bool EnterPzxBlock() {
    const uint32_t tag = TzxDword(At(Tzx.at)), size = TzxDword(At(Tzx.at + 4));
    const uint32_t body = Tzx.at + PzxBlockHeader;
    if (tag == PzxTag("PULS")) {
        Tzx.dataAt = body, Tzx.dataEnd = body + size, Tzx.repeatLeft = 0;
        Tzx.nextLevel = 0; // each PULS block starts low
        Tzx.phase = Phase::PzxPulses;
    } else if (tag == PzxTag("DATA")) {
        Tzx.pzx = PzxDataFields(At(body));
        Tzx.pzxBody = body, Tzx.bitIndex = 0, Tzx.pulseInBit = 0;
        Tzx.nextLevel = Tzx.pzx.level;
        Tzx.phase = Phase::PzxBits;
    } else if (tag == PzxTag("PAUS")) {
        const uint32_t pause = TzxDword(At(body));
        Tzx.setLevel = uint8_t(pause >> 31);
        Tzx.pauseLeft = pause & 0x7FFFFFFF;
        Tzx.phase = Phase::Level;
    } else if (tag == PzxTag("STOP")) {
        NextBlock(); // on a 48K machine both kinds of stop stop
        StopAtBlock(false);
        return false;
    } else { // the header, browse points and other tags
        NextBlock();
    }
    return true;
}

// Sets the phase that plays the block at Tzx.at. False when the tape stops here.
bool EnterBlock() {
    if (Tzx.at >= Tzx.file.size()) {
        StopAtBlock(false);
        return false;
    }
    switch (Tzx.format) {
    case PulseFormat::Tzx: return EnterTzxBlock();
    case PulseFormat::Pzx: return EnterPzxBlock();
    case PulseFormat::Csw: break;
    }
    Tzx.cswRate = Tzx.csw.rate, Tzx.cswCarry = 0, Tzx.pauseMs = 0;
    Tzx.nextLevel = Tzx.csw.level;
    CswStart(At(Tzx.csw.dataAt), Tzx.file.size() - Tzx.csw.dataAt, Tzx.csw.zrle);
    Tzx.phase = Phase::Csw;
    return true;
}

// The next step of the signal: the level from now on and how long it lasts. False when the
// tape stops or the frame's steps are used up.
bool NextStep(uint8_t& level, uint64_t& duration) {
    auto pulse = [&](uint64_t length) { // each pulse starts with an edge
        level = Tzx.level ^ 1;
        duration = length;
        Tzx.pulseOpen = true;
        return true;
    };
    auto alternate = [&](uint64_t length) { // pulses that alternate from a given level
        level = Tzx.nextLevel;
        Tzx.nextLevel ^= 1;
        duration = length;
        Tzx.pulseOpen = true;
        return true;
    };
    for (;;) {
        if (!Tzx.budget) return false;
        --Tzx.budget;
        switch (Tzx.phase) {
        case Phase::BlockStart:
            if (EnterBlock()) continue;
            if (!Tzx.pulseOpen) return false;
            // The last pulse before a stop ends, as a recorder's signal always does.
            Tzx.pulseOpen = false;
            level = Tzx.level ^ 1;
            duration = 0;
            return true;
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
                const uint32_t length = TzxWord(At(Tzx.sequenceAt));
                Tzx.sequenceAt += 2;
                return pulse(length);
            }
            NextBlock();
            continue;
        case Phase::Level: // a level held (a .pzx pause) or set (a .tzx block) without a pulse
            level = Tzx.setLevel;
            duration = Tzx.format == PulseFormat::Pzx ? Tzx.pauseLeft : 0;
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
                duration = Tzx.pauseLeft < TStatesPerMs() ? Tzx.pauseLeft : TStatesPerMs();
                Tzx.pauseLeft -= duration;
                level = Tzx.level ^ 1;
                return true;
            }
            level = 0;
            duration = Tzx.pauseLeft;
            Tzx.pauseLeft = 0;
            return true;
        case Phase::Csw: {
            uint32_t samples;
            if (!CswNextPulse(samples)) {
                if (CswFailed()) {
                    StopAtBlock(true);
                    return false;
                }
                StartPause(Tzx.pauseMs);
                continue;
            }
            // Samples to T-states, the remainder carried so that long recordings keep time.
            Tzx.cswCarry += uint64_t(samples) * TStatesPerSecond();
            const uint64_t length = Tzx.cswCarry / Tzx.cswRate;
            Tzx.cswCarry %= Tzx.cswRate;
            return alternate(length);
        }
        case Phase::Generalized:
            if (Tzx.symbolPulsesLeft) {
                const uint32_t length = TzxWord(At(Tzx.symbolAt));
                if (!length) { // a symbol shorter than the table's longest ends with a 0
                    Tzx.symbolPulsesLeft = 0;
                    continue;
                }
                Tzx.symbolAt += 2, --Tzx.symbolPulsesLeft;
                if (!Tzx.symbolFirst) return pulse(length);
                // The symbol's first edge: a change, none, or a forced low or high level.
                Tzx.symbolFirst = false;
                pulse(length);
                if (Tzx.symbolFlags == 1) level = Tzx.level;
                if (Tzx.symbolFlags >= 2) level = Tzx.symbolFlags & 1;
                return true;
            }
            if (Tzx.repeatsLeft) {
                --Tzx.repeatsLeft;
                StartSymbol(Tzx.g.pilotTable, Tzx.g.pilotMax, Tzx.repeatSymbol);
                continue;
            }
            if (Tzx.entriesLeft) { // a pilot/sync symbol and how many times it comes
                --Tzx.entriesLeft;
                Tzx.repeatSymbol = *At(Tzx.entryAt);
                Tzx.repeatsLeft = TzxWord(At(Tzx.entryAt + 1));
                Tzx.entryAt += 3;
                if (Tzx.repeatSymbol >= Tzx.g.pilotAlphabet) {
                    StopAtBlock(true);
                    return false;
                }
                continue;
            }
            if (Tzx.symbolsLeft) { // a data symbol of `bitsPerSymbol` bits, from the top
                --Tzx.symbolsLeft;
                uint32_t symbol = 0;
                const uint8_t* stream = At(Tzx.gBody + Tzx.g.dataStream);
                for (uint32_t k = 0; k < Tzx.g.bitsPerSymbol; ++k, ++Tzx.bitAt)
                    symbol = symbol << 1 | (stream[Tzx.bitAt >> 3] >> (7 - (Tzx.bitAt & 7)) & 1);
                if (symbol >= Tzx.g.dataAlphabet) {
                    StopAtBlock(true);
                    return false;
                }
                StartSymbol(Tzx.g.dataTable, Tzx.g.dataMax, symbol);
                continue;
            }
            StartPause(Tzx.pauseMs);
            continue;
        case Phase::PzxPulses: {
            if (Tzx.repeatLeft) {
                --Tzx.repeatLeft;
                return alternate(Tzx.repeatLength);
            }
            // A count above 0x8000 is a repeat count; a length from 0x8000 takes 31 bits.
            auto word = [](uint32_t& value) {
                if (Tzx.dataAt + 2 > Tzx.dataEnd) return false;
                value = TzxWord(At(Tzx.dataAt));
                Tzx.dataAt += 2;
                return true;
            };
            uint32_t count = 1, length = 0, low = 0;
            bool whole = word(length);
            if (whole && length > 0x8000) count = length & 0x7FFF, whole = word(length);
            if (whole && length >= 0x8000)
                whole = word(low), length = (length & 0x7FFF) << 16 | low;
            if (!whole) {
                NextBlock();
                continue;
            }
            Tzx.repeatLeft = count, Tzx.repeatLength = length;
            continue;
        }
        case Phase::PzxBits: {
            const PzxData& d = Tzx.pzx;
            if (Tzx.bitIndex >= d.bits) {
                Tzx.phase = Phase::PzxTail;
                continue;
            }
            const uint8_t byte = *At(Tzx.pzxBody + d.bitsAt + Tzx.bitIndex / 8);
            const bool one = byte >> (7 - Tzx.bitIndex % 8) & 1;
            if (Tzx.pulseInBit >= (one ? d.onePulses : d.zeroPulses)) {
                Tzx.pulseInBit = 0, ++Tzx.bitIndex;
                continue;
            }
            const uint32_t table = Tzx.pzxBody + (one ? d.oneAt : d.zeroAt);
            return alternate(TzxWord(At(table + 2 * Tzx.pulseInBit++)));
        }
        case Phase::PzxTail:
            NextBlock();
            if (!Tzx.pzx.tail) continue;
            alternate(Tzx.pzx.tail);
            Tzx.pulseOpen = false; // the tail is what closes the last bit's pulse
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
    const uint32_t horizon = TapeEdgeHorizon();
    while (!Tzx.stopPending && Tzx.clock < horizon) {
        uint8_t level;
        uint64_t duration;
        if (!NextStep(level, duration)) break;
        if (level != Tzx.level) {
            AddEdge(Tzx.clock);
            Tzx.level = level;
        }
        Tzx.clock += duration;
    }
    if (Tzx.clock < horizon && !Tzx.stopPending) Tzx.clock = horizon;
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

// Back to the start of the tape, stopped or playing as it was.
void ToStart() {
    Tzx.block = 0, Tzx.at = Tzx.first, Tzx.phase = Phase::BlockStart;
    Tzx.loopLeft = 0, Tzx.inCall = false, Tzx.pulseOpen = false;
}

// Checks the bytes as a tape of the format; the offset of its first block.
bool ReadPulseTape(const std::vector<uint8_t>& bytes, PulseFormat format, TzxPlayer& tape) {
    switch (format) {
    case PulseFormat::Tzx:
        tape.first = uint32_t(TzxHeaderSize);
        return ReadTzxBlocks(bytes.data(), bytes.size(), tape.index);
    case PulseFormat::Csw:
        tape.first = 0;
        return ReadCswHeader(bytes.data(), bytes.size(), tape.csw);
    case PulseFormat::Pzx: tape.first = 0; return ReadPzxBlocks(bytes.data(), bytes.size());
    }
    return false;
}

// Makes the bytes the tape, taking them over, once they have been checked.
bool TakeTape(std::vector<uint8_t>&& bytes, PulseFormat format) {
    TzxPlayer tape;
    if (!ReadPulseTape(bytes, format, tape)) return false;
    Tzx = std::move(tape);
    Tzx.file = std::move(bytes);
    Tzx.format = format;
    ToStart();
    TapePlaying = 0;
    TapeFromEdges = 1;
    TapeEdgeCount = 0;
    TapeEdgeStartLevel = 0;
    TStatesPerSample = SoundSampleTStates(), SoundShift = 0; // the sound hears them at 44100 Hz
    RestartEdgeSearch();
    return true;
}

} // namespace

uint32_t TzxBlockIndex() { return Tzx.block; }

bool LoadPulseTapeBytes(const uint8_t* data, size_t size, PulseFormat format) {
    if (!data) return TakeTape({}, format);
    return TakeTape(std::vector<uint8_t>(data, data + size), format);
}

void ForgetTzx() {
    Tzx = TzxPlayer();
    TapeFromEdges = 0;
    TapeEdgeCount = 0;
    RestartEdgeSearch();
}

bool OpenPulseTape(std::FILE* file, PulseFormat format) {
    if (!InsertTape(file, TzxTape)) return false;
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
    if (!TakeTape(std::move(bytes), format)) {
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
    ToStart();
    if (TapePlaying) RestartAt(Machine.tstates);
}

int TzxPositionPermille() {
    const uint64_t end = Tzx.file.size();
    if (!TzxIsIn() || end <= Tzx.first) return 0;
    uint64_t at = Tzx.at;
    if (Tzx.format == PulseFormat::Csw && Tzx.phase == Phase::Csw)
        at = Tzx.csw.dataAt + CswOffset();
    if (at > end) at = end;
    return int((at - Tzx.first) * 1000 / (end - Tzx.first));
}

void TzxFrameStep() {
    if (!TzxIsIn()) return;
    // The frame that ended is dropped; edges in its slack belong to the new frame. A stopped
    // tape keeps no edges beyond them.
    const uint32_t frame = MachineFrameTStates;
    uint32_t gone = 0;
    while (gone < TapeEdgeCount && TapeEdges[gone] < frame) ++gone;
    TapeEdgeStartLevel = uint8_t(TapeEdgeStartLevel ^ (gone & 1));
    for (uint32_t k = gone; k < TapeEdgeCount; ++k) TapeEdges[k - gone] = TapeEdges[k] - frame;
    TapeEdgeCount -= gone;
    Tzx.clock = Tzx.clock > frame ? Tzx.clock - frame : 0;
    Tzx.budget = StepBudget;
    if (!TapePlaying) {
        RestartEdgeSearch();
        return;
    }
    if (Tzx.stopPending) {
        if (Tzx.stopAt <= frame) {
            Tzx.stopPending = false;
            TapePlaying = 0;
            RestartEdgeSearch();
            return;
        }
        Tzx.stopAt -= frame;
    }
    Generate();
    SampleEdgesForSound();
}

uint8_t TzxTrap(uint8_t flag, uint16_t start, uint16_t length) {
    if (!TzxIsIn()) return TrapFailed;
    PlayTzx(); // the loader starts the tape
    if (Tzx.format != PulseFormat::Tzx) return TrapDeclined;
    // The block being played, if its data has not begun, else the next one; then on past
    // blocks that carry no data, to a standard-speed block. Each block looked at is a step of
    // the frame's.
    uint32_t b = Tzx.block, at = Tzx.at;
    const Phase p = Tzx.phase;
    const bool notBegun = p == Phase::BlockStart || p == Phase::Pilot || p == Phase::Sync1 ||
                          p == Phase::Sync2 || p == Phase::Tone || p == Phase::Sequence;
    const uint8_t* file = Tzx.file.data();
    if (!notBegun && at < Tzx.file.size()) ++b, at += TzxBlockSize(file, at);
    for (; at < Tzx.file.size(); ++b, at += TzxBlockSize(file, at)) {
        if (!Tzx.budget) return TrapDeclined;
        --Tzx.budget;
        const uint8_t id = file[at];
        if (id == TzxStandardData) break;
        const bool passed = id == TzxPause || id == TzxStopIf48K || id == TzxSetLevel ||
                            id == TzxGroupStart || id == TzxGroupEnd || id == TzxText ||
                            id == TzxMessage || id == TzxArchiveInfo || id == TzxHardwareType ||
                            id == TzxCustomInfo || id == TzxGlue;
        if (!passed) return TrapDeclined;
    }
    if (at >= Tzx.file.size()) return TrapDeclined;

    const uint32_t body = at + 1;
    size_t position = body + 2; // the length word and what it counts, as in a TAP image
    const uint8_t loaded =
        TapeTrapBytes(file, size_t(at) + TzxBlockSize(file, at), position, flag, start, length);
    // The tape goes on from the block's pause, from now.
    Tzx.block = b, Tzx.at = at;
    Tzx.pulseOpen = false;
    StartPause(TzxWord(file + body));
    RestartAt(Machine.tstates);
    return loaded ? TrapLoaded : TrapFailed;
}
