#include "media/tape.h"

// No tape can be opened yet.
uint8_t TapeTrap(uint8_t, uint16_t, uint16_t) { return 0; }
bool SampledTapeIsPlaying() { return false; }
uint8_t SampledTapeEarLevel(uint32_t) { return 1; }
void TapeFrameStep() {}
