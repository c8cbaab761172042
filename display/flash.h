#pragma once
// Exchanges the set-bit and clear-bit patterns of the flashing attributes (128-255) in the colour
// map; called at every change of FlashPhase so the 8-bit writers follow it.
void FlashSwap();
