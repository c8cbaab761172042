#include "display/flash.h"

// Placeholder until the renderer's colour tables exist.
void FlashSwap() {}
