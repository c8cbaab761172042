#include "display/display_state.h"

uint8_t DisplayMode = ModeWindow;
bool FullscreenTv = false;
bool SpeedDisplay = true;
