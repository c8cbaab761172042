#include "peripherals/ports.h"

#include <cstring>

#include "core/machine.h"
#include "peripherals/ay_registers.h"
#include "peripherals/input_state.h"
#include "peripherals/machine_model.h"
#include "peripherals/settings.h"
#include "peripherals/tape_input.h"

BorderRecord BorderLog;
BeeperRecord BeeperLog;
uint8_t EarLevel = 1;
uint8_t FlashPhase = 0;
uint8_t FlashCounter = 0;
uint32_t UlaReads = 0;

constexpr uint8_t UlaPort = 0xFE;
constexpr uint8_t KempstonPort = 0x1F;
constexpr int FlashFrames = 12; // frames per flash half-cycle

// The 128K machines decode their ports on a few address lines: 0x7FFD on A15 = 0 and A1 = 0,
// the sound chip's 0xFFFD (A15 = 1, A14 = 1) and 0xBFFD (A15 = 1, A14 = 0) on A1 = 0.
constexpr uint16_t PagingMask = 0x8002, PagingMatch = 0x0000;
constexpr uint16_t AyMask = 0xC002, AySelectMatch = 0xC000, AyWriteMatch = 0x8000;

static void PagedMachinePortWrite(uint16_t port, uint8_t value) {
    if ((port & PagingMask) == PagingMatch)
        WritePagingPort(value);
    else if ((port & AyMask) == AySelectMatch)
        SelectAyRegister(value);
    else if ((port & AyMask) == AyWriteMatch)
        WriteAyRegister(value);
}

void PortWrite(uint16_t port, uint8_t value) {
    if (IsPagedMachine()) PagedMachinePortWrite(port, value);
    if (uint8_t(port) != UlaPort) return;
    uint32_t t = Machine.tstates;
    int band = BorderBandOf(t);
    if (BorderLog.nextBand < band)
        std::memset(BorderLog.bands + BorderLog.nextBand, BorderLog.colour,
                    size_t(band - BorderLog.nextBand));
    BorderLog.nextBand = band;
    BorderLog.colour = value & 7;
    if (BeeperLog.count < BeeperLogCapacity) { // cannot fill while count is reset every frame
        BeeperLog.tstate[BeeperLog.count] = t;
        BeeperLog.level[BeeperLog.count] = (value & 0x10) ? 1 : 0;
        ++BeeperLog.count;
    }
    EarLevel = (value & 0x18) ? 1 : 0; // MIC or speaker bit drives what EAR reads back
}

// Kempston interface bits: right 1, left 2, down 4, up 8, fire 0x10.
static uint8_t KempstonByte(uint8_t j) {
    return uint8_t(((j & JoyRight) ? 0x01 : 0) | ((j & JoyLeft) ? 0x02 : 0) |
                   ((j & JoyDown) ? 0x04 : 0) | ((j & JoyUp) ? 0x08 : 0) |
                   ((j & JoyFire) ? 0x10 : 0));
}

uint8_t PortRead(uint8_t port, uint8_t high) {
    if (IsPagedMachine() && ((high << 8 | port) & AyMask) == AySelectMatch) return ReadAyRegister();
    if (port == KempstonPort) {
        uint8_t j = 0;
        if (Settings.keybJoystick == 2) j = KeyJoyBits;
        if (Settings.pcJoystick == 2) j |= PcJoyBits;
        return KempstonByte(j);
    }
    if (port != UlaPort) return 0xFF;
    ++UlaReads;
    uint8_t result = 0xFF;
    if (TapePlaying) EarLevel = TapeEarLevel(Machine.tstates);
    if (!EarLevel) result &= 0xBF;
    for (int row = 0; row < 8; ++row)
        if (!(high & (1 << row))) result &= KeyMatrix[row];
    return result;
}

void FrameEnd() {
    if (BorderLog.nextBand < BorderBands)
        std::memset(BorderLog.bands + BorderLog.nextBand, BorderLog.colour,
                    size_t(BorderBands - BorderLog.nextBand));
    BorderLog.nextBand = 0;
    UlaReads = 0;
    if (++FlashCounter >= FlashFrames) {
        FlashCounter = 0;
        FlashPhase ^= 1;
    }
}
