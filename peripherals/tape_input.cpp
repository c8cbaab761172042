#include "peripherals/tape_input.h"

uint8_t TapePlaying = 0;
uint32_t TStatesPerSample = 316;
uint32_t SoundShift = 2;
uint8_t TapeFrameBuffer[TapeFrameBufferSize] = {};

uint8_t TapeEarLevel(uint32_t tstates) {
    uint32_t index = tstates / TStatesPerSample;
    if (index >= TapeFrameBufferSize) index = TapeFrameBufferSize - 1;
    return TapeFrameBuffer[index] > 128 ? 1 : 0;
}
