// The 128K's sound chip, the AY-3-8912: three square-wave tones, a noise generator, a mixer and
// an envelope, synthesised one tick at a time at the chip's own rate, a tick being 8 of its
// clock cycles (the clock is the processor's halved, so a tick is 16 T-states: 221.7 kHz).
//
// The processor's writes are logged with their T-state as the beeper's are (AyLogWrite) and
// played into the synthesis at the end of the frame (AyRunFrame), each taking effect at the first
// tick at or after its T-state.
#pragma once
#include <cstdint>

constexpr int AyRegisterCount = 16;
constexpr uint32_t AyTickTStates = 16;   // 8 chip clocks at half the processor's clock
constexpr int AyMaxTicksPerFrame = 4608; // 73728 T-states: room for the longest frame
constexpr int AyLogCapacity = 8192;      // a frame holds fewer than 6500 OUTs

// Bits each register holds; the rest read back as 0.
constexpr uint8_t AyRegisterMasks[AyRegisterCount] = {
    0xFF, 0x0F, // tone A period, fine and coarse (12 bits)
    0xFF, 0x0F, // tone B
    0xFF, 0x0F, // tone C
    0x1F,       // noise period (5 bits)
    0xFF,       // mixer: tone enables in bits 0-2, noise in 3-5, active low; I/O port directions
    0x1F, 0x1F, 0x1F, // volumes A, B, C: level in bits 0-3, bit 4 the envelope instead
    0xFF, 0xFF,       // envelope period, fine and coarse (16 bits)
    0x0F,             // envelope shape
    0xFF, 0xFF,       // I/O ports A and B
};

// Register numbers.
enum : uint8_t {
    AyNoisePeriod = 6,
    AyMixer = 7,
    AyVolumeA = 8,
    AyEnvelopeFine = 11,
    AyEnvelopeCoarse = 12,
    AyEnvelopeShape = 13,
};

struct AyWriteRecord {
    uint16_t count;
    uint32_t tstate[AyLogCapacity];
    uint8_t reg[AyLogCapacity];
    uint8_t value[AyLogCapacity];
};

// The synthesis: its own copy of the registers, as the ticks have reached them.
struct AyChipRecord {
    uint8_t reg[AyRegisterCount];
    uint16_t toneCount[3];  // ticks since the tone last changed level
    uint8_t toneLevel[3];   // 0 or 1
    uint16_t noiseCount;    // ticks since the shift register last shifted
    uint32_t noiseShift;    // the 17-bit shift register; its bit 0 is the noise
    uint32_t envelopeCount; // ticks since the envelope's last step
    uint8_t envelopeStep;   // 0-15 within the current cycle
    uint8_t envelopeRising; // the current cycle counts up
    uint8_t envelopeHeld;   // the shape has ended and holds its level
    uint8_t envelopeLevel;  // 0-15
    uint32_t nextTick;      // T-state of the next tick, counted from the frame's start
};

extern AyChipRecord AyChip;
extern AyWriteRecord AyLog;
// Levels 0-15 of the chip's output, as fractions of the loudest.
extern const float AyLevels[16];

// Power-on: every register 0, the generators at their start, the log empty.
void AyReset();
// OUT to the chip's data port: logged at its T-state for the frame's synthesis. A full log
// (impossible while it is emptied every frame) keeps the write for the frame's end.
void AyLogWrite(uint8_t reg, uint8_t value, uint32_t tstate);
// The registers taken whole, as a snapshot gives them: the synthesis continues from them at once,
// the envelope restarted from its shape's beginning, and the log emptied.
void AyLoadRegisters(const uint8_t reg[AyRegisterCount]);
// How the channels' levels (0 to 1) make the outputs: each of 1 to 3 outputs the sum of the
// channels A, B and C by its weights.
struct AyMix {
    int outputs;
    float weight[3][3]; // [output][channel]
};

// Synthesises the frame of `frameTStates` into `out` (`mix.outputs` floats a tick), playing the
// logged writes at their T-states, and empties the log. Returns the ticks written, at most
// AyMaxTicksPerFrame. Writes logged past the frame's end take effect at its end.
int AyRunFrame(uint32_t frameTStates, const AyMix& mix, float* out);
// The same frame's writes taken without synthesising (the sound is off): registers and envelope
// restarts as AyRunFrame leaves them, the generators' phases not advanced.
void AySkipFrame(uint32_t frameTStates);
