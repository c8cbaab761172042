#include "peripherals/tape_input.h"

uint8_t TapePlaying = 0;
uint32_t TStatesPerSample = 316;
uint32_t SoundShift = 2;
uint8_t TapeFrameBuffer[TapeFrameBufferSize] = {};

uint8_t TapeFromEdges = 0;
uint8_t TapeEdgeStartLevel = 0;
uint32_t TapeEdgeCount = 0;
uint32_t TapeEdges[TapeEdgeCapacity];

// Reads come in rising T-state order within a frame, so the search goes on from the last one.
static uint32_t EdgeCursor = 0;
static uint8_t CursorLevel = 0;
static uint32_t CursorTStates = 0;

void RestartEdgeSearch() {
    EdgeCursor = 0;
    CursorLevel = TapeEdgeStartLevel;
    CursorTStates = 0;
}

static uint8_t EdgeLevel(uint32_t tstates) {
    if (tstates < CursorTStates) RestartEdgeSearch();
    CursorTStates = tstates;
    while (EdgeCursor < TapeEdgeCount && TapeEdges[EdgeCursor] <= tstates) {
        CursorLevel ^= 1;
        ++EdgeCursor;
    }
    return CursorLevel;
}

uint8_t TapeEarLevel(uint32_t tstates) {
    if (TapeFromEdges) return EdgeLevel(tstates);
    uint32_t index = tstates / TStatesPerSample;
    if (index >= TapeFrameBufferSize) index = TapeFrameBufferSize - 1;
    return TapeFrameBuffer[index] > 128 ? 1 : 0;
}

void SampleEdgesForSound() {
    constexpr uint8_t High = 0xC0, Low = 0x40; // half of full swing either side of 128
    uint8_t level = TapeEdgeStartLevel;
    uint32_t edge = 0;
    for (uint32_t k = 0; k < TapeFrameBufferSize; ++k) {
        const uint32_t t = k * TStatesPerSample;
        while (edge < TapeEdgeCount && TapeEdges[edge] <= t) level ^= 1, ++edge;
        TapeFrameBuffer[k] = level ? High : Low;
    }
    RestartEdgeSearch();
}
