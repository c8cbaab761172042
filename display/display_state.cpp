#include "display/display_state.h"

uint8_t DisplayMode = ModeWindow;
bool FullscreenTv = false;
bool SpeedDisplay = true;

int WindowModeScale(uint8_t mode) {
    switch (mode) {
    case ModeWindow: return 1;
    case ModeDoubleWindow: return 2;
    case ModeTripleWindow: return 3;
    case ModeQuadWindow: return 4;
    default: return 0;
    }
}
