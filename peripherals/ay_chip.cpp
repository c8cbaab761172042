#include "peripherals/ay_chip.h"

#include <algorithm>
#include <cstring>

AyChipRecord AyChip;
AyWriteRecord AyLog;

// The DAC's 16 levels measured on a real AY-3-8910 and published by Peter Sovietov with his
// Ayumi synthesiser (github.com/true-grue/ayumi), normalised to the loudest.
const float AyLevels[16] = {
    0.0f,          0.00999465934f, 0.0144502937f, 0.0210574502f, //  0- 3
    0.0307011521f, 0.0455481804f,  0.0644998856f, 0.107362478f,  //  4- 7
    0.126588846f,  0.204989700f,   0.292210269f,  0.372838941f,  //  8-11
    0.492530709f,  0.635324636f,   0.805584802f,  1.0f,          // 12-15
};

namespace {

constexpr uint32_t Never = 0xFFFFFFFFu;

// What the envelope does once its first 16 steps are done.
enum class EnvelopeEnd : uint8_t { Hold0, Hold15, Repeat, Alternate };

struct EnvelopeShape {
    uint8_t rising; // the first cycle counts up from 0, else down from 15
    EnvelopeEnd end;
};

// Register 13: bit 3 continue, bit 2 attack, bit 1 alternate, bit 0 hold.
constexpr EnvelopeShape EnvelopeShapes[16] = {
    {0, EnvelopeEnd::Hold0},     // 0  \___
    {0, EnvelopeEnd::Hold0},     // 1  \___
    {0, EnvelopeEnd::Hold0},     // 2  \___
    {0, EnvelopeEnd::Hold0},     // 3  \___
    {1, EnvelopeEnd::Hold0},     // 4  /___
    {1, EnvelopeEnd::Hold0},     // 5  /___
    {1, EnvelopeEnd::Hold0},     // 6  /___
    {1, EnvelopeEnd::Hold0},     // 7  /___
    {0, EnvelopeEnd::Repeat},    // 8  \\\\ .
    {0, EnvelopeEnd::Hold0},     // 9  \___
    {0, EnvelopeEnd::Alternate}, // 10 \/\/
    {0, EnvelopeEnd::Hold15},    // 11 \---
    {1, EnvelopeEnd::Repeat},    // 12 ////
    {1, EnvelopeEnd::Hold15},    // 13 /---
    {1, EnvelopeEnd::Alternate}, // 14 /\/\ .
    {1, EnvelopeEnd::Hold0},     // 15 /___
};

// Ticks between changes of each generator; a period of 0 acts as 1. A tone changes level every
// `period` ticks (16 * period clocks a cycle); the noise register shifts, and the envelope steps,
// every 2 * period ticks (16 * period clocks).
uint32_t TonePeriod(int channel) {
    const uint32_t p = uint32_t(AyChip.reg[2 * channel] | (AyChip.reg[2 * channel + 1] << 8));
    return p ? p : 1;
}
uint32_t NoisePeriod() {
    const uint32_t p = AyChip.reg[AyNoisePeriod];
    return 2 * (p ? p : 1);
}
uint32_t EnvelopePeriod() {
    const uint32_t p = uint32_t(AyChip.reg[AyEnvelopeFine] | (AyChip.reg[AyEnvelopeCoarse] << 8));
    return 2 * (p ? p : 1);
}

void RestartEnvelope() {
    const EnvelopeShape& shape = EnvelopeShapes[AyChip.reg[AyEnvelopeShape]];
    AyChip.envelopeCount = 0;
    AyChip.envelopeStep = 0;
    AyChip.envelopeRising = shape.rising;
    AyChip.envelopeHeld = 0;
    AyChip.envelopeLevel = shape.rising ? 0 : 15;
}

void StepEnvelope() {
    if (AyChip.envelopeHeld) return;
    if (++AyChip.envelopeStep == 16) {
        switch (EnvelopeShapes[AyChip.reg[AyEnvelopeShape]].end) {
        case EnvelopeEnd::Hold0:
            AyChip.envelopeHeld = 1;
            AyChip.envelopeLevel = 0;
            return;
        case EnvelopeEnd::Hold15:
            AyChip.envelopeHeld = 1;
            AyChip.envelopeLevel = 15;
            return;
        case EnvelopeEnd::Repeat: break;
        case EnvelopeEnd::Alternate: AyChip.envelopeRising ^= 1; break;
        }
        AyChip.envelopeStep = 0;
    }
    AyChip.envelopeLevel =
        uint8_t(AyChip.envelopeRising ? AyChip.envelopeStep : 15 - AyChip.envelopeStep);
}

// The 17-bit register shifts right, taking bit 0 XOR bit 3 in at the top.
void ShiftNoise() {
    const uint32_t s = AyChip.noiseShift;
    AyChip.noiseShift = (s >> 1) | (((s ^ (s >> 3)) & 1) << 16);
}

void ApplyWrite(uint8_t reg, uint8_t value) {
    reg &= AyRegisterCount - 1;
    AyChip.reg[reg] = value & AyRegisterMasks[reg];
    if (reg == AyEnvelopeShape) RestartEnvelope(); // writing the shape restarts the envelope
}

// Ticks until a generator counting `count` of `period` next changes; at least 1.
uint32_t TicksToChange(uint32_t count, uint32_t period) {
    return count >= period ? 1 : period - count;
}

// Advances a counter by `ticks`; returns how many changes that brought.
uint32_t Advance(uint32_t& count, uint32_t period, uint32_t ticks) {
    const uint32_t first = TicksToChange(count, period);
    if (ticks < first) {
        count += ticks;
        return 0;
    }
    const uint32_t after = ticks - first;
    count = after % period;
    return 1 + after / period;
}

// The three channels' output levels at the generators' present state.
void ChannelLevels(float out[3]) {
    const uint8_t mixer = AyChip.reg[AyMixer];
    const uint8_t noise = uint8_t(AyChip.noiseShift & 1);
    for (int c = 0; c < 3; ++c) {
        // A disabled source (bit set) counts as high: both disabled give the volume steadily.
        const bool toneHigh = AyChip.toneLevel[c] || (mixer & (1 << c));
        const bool noiseHigh = noise || (mixer & (8 << c));
        const uint8_t volume = AyChip.reg[AyVolumeA + c];
        const uint8_t level = (volume & 0x10) ? AyChip.envelopeLevel : (volume & 0x0F);
        out[c] = toneHigh && noiseHigh ? AyLevels[level] : 0.0f;
    }
}

// Ticks the present output lasts: until the next change of a generator the output hears.
uint32_t SteadyTicks() {
    const uint8_t mixer = AyChip.reg[AyMixer];
    uint32_t ticks = Never;
    bool envelopeHeard = false, noiseHeard = false;
    for (int c = 0; c < 3; ++c) {
        if (!(mixer & (1 << c))) {
            const uint32_t t = TicksToChange(AyChip.toneCount[c], TonePeriod(c));
            if (t < ticks) ticks = t;
        }
        if (!(mixer & (8 << c))) noiseHeard = true;
        if (AyChip.reg[AyVolumeA + c] & 0x10) envelopeHeard = true;
    }
    if (noiseHeard) {
        const uint32_t t = TicksToChange(AyChip.noiseCount, NoisePeriod());
        if (t < ticks) ticks = t;
    }
    if (envelopeHeard && !AyChip.envelopeHeld) {
        const uint32_t t = TicksToChange(AyChip.envelopeCount, EnvelopePeriod());
        if (t < ticks) ticks = t;
    }
    return ticks;
}

// Advances every generator by `ticks`. The noise register shifts only while a channel hears it:
// when it is heard again it goes on from where it was, a phase nobody can tell from another.
void AdvanceGenerators(uint32_t ticks) {
    for (int c = 0; c < 3; ++c) {
        uint32_t count = AyChip.toneCount[c];
        const uint32_t changes = Advance(count, TonePeriod(c), ticks);
        AyChip.toneCount[c] = uint16_t(count);
        AyChip.toneLevel[c] ^= uint8_t(changes & 1);
    }
    uint32_t count = AyChip.noiseCount;
    const uint32_t shifts = Advance(count, NoisePeriod(), ticks);
    if ((AyChip.reg[AyMixer] & 0x38) != 0x38)
        for (uint32_t n = shifts; n > 0; --n) ShiftNoise();
    AyChip.noiseCount = uint16_t(count);
    if (AyChip.envelopeHeld) return;
    count = AyChip.envelopeCount;
    uint32_t steps = Advance(count, EnvelopePeriod(), ticks);
    // Every shape repeats after 32 steps (two cycles) or holds after 16: more are the same.
    if (steps > 32) steps = 32 + steps % 32;
    for (; steps > 0 && !AyChip.envelopeHeld; --steps) StepEnvelope();
    AyChip.envelopeCount = count;
}

} // namespace

void AyReset() {
    std::memset(&AyChip, 0, sizeof AyChip);
    AyChip.noiseShift = 1;
    RestartEnvelope();
    AyLog.count = 0;
}

void AyLogWrite(uint8_t reg, uint8_t value, uint32_t tstate) {
    if (AyLog.count >= AyLogCapacity) { // cannot fill while the log is emptied every frame
        ApplyWrite(reg, value);
        return;
    }
    AyLog.tstate[AyLog.count] = tstate;
    AyLog.reg[AyLog.count] = reg;
    AyLog.value[AyLog.count] = value;
    ++AyLog.count;
}

void AyLoadRegisters(const uint8_t reg[AyRegisterCount]) {
    for (int r = 0; r < AyRegisterCount; ++r) AyChip.reg[r] = reg[r] & AyRegisterMasks[r];
    RestartEnvelope();
    AyLog.count = 0;
}

int AyRunFrame(uint32_t frameTStates, const AyMix& mix, float* out) {
    const int outputs = mix.outputs;
    uint32_t t = AyChip.nextTick;
    uint32_t w = 0;
    int ticks = 0;
    while (t < frameTStates && ticks < AyMaxTicksPerFrame) {
        while (w < AyLog.count && AyLog.tstate[w] <= t) {
            ApplyWrite(AyLog.reg[w], AyLog.value[w]);
            ++w;
        }
        uint32_t span = SteadyTicks();
        const uint32_t untilEnd = (frameTStates - t + AyTickTStates - 1) / AyTickTStates;
        if (untilEnd < span) span = untilEnd;
        if (w < AyLog.count) { // the next write takes effect at the first tick at or after it
            const uint32_t untilWrite = (AyLog.tstate[w] - t + AyTickTStates - 1) / AyTickTStates;
            if (untilWrite < span) span = untilWrite;
        }
        if (span > uint32_t(AyMaxTicksPerFrame - ticks))
            span = uint32_t(AyMaxTicksPerFrame - ticks);
        float level[3], mixed[3];
        ChannelLevels(level);
        for (int o = 0; o < outputs; ++o)
            mixed[o] = mix.weight[o][0] * level[0] + mix.weight[o][1] * level[1] +
                       mix.weight[o][2] * level[2];
        float* at = out + outputs * ticks;
        if (outputs == 1) {
            std::fill(at, at + span, mixed[0]);
        } else if (outputs == 2) {
            for (uint32_t k = 0; k < span; ++k, at += 2) at[0] = mixed[0], at[1] = mixed[1];
        } else {
            for (uint32_t k = 0; k < span; ++k, at += 3)
                at[0] = mixed[0], at[1] = mixed[1], at[2] = mixed[2];
        }
        ticks += int(span);
        AdvanceGenerators(span);
        t += span * AyTickTStates;
    }
    for (; w < AyLog.count; ++w) ApplyWrite(AyLog.reg[w], AyLog.value[w]);
    AyLog.count = 0;
    AyChip.nextTick = t >= frameTStates ? t - frameTStates : 0;
    return ticks;
}

void AySkipFrame(uint32_t frameTStates) {
    for (uint32_t w = 0; w < AyLog.count; ++w) ApplyWrite(AyLog.reg[w], AyLog.value[w]);
    AyLog.count = 0;
    uint32_t t = AyChip.nextTick;
    if (t < frameTStates)
        t += (frameTStates - t + AyTickTStates - 1) / AyTickTStates * AyTickTStates;
    AyChip.nextTick = t - frameTStates;
}
