#include "platform/game_controller.h"
#include "platform/headless/headless.h"

static bool Present = false;
static bool Silent = false;
static ControllerRangeRecord Range;
static ControllerPositionRecord Position;

bool ControllerDetect(ControllerRangeRecord& range) {
    if (!Present || Silent) return false;
    range = Range;
    return true;
}

bool ControllerRead(ControllerPositionRecord& position) {
    if (!Present || Silent) return false;
    position = Position;
    return true;
}

void HeadlessControllerSet(const ControllerRangeRecord& range,
                           const ControllerPositionRecord& position) {
    Present = true;
    Range = range;
    Position = position;
}

void HeadlessControllerSilence(bool silent) { Silent = silent; }

void HeadlessControllerRemove() {
    Present = false;
    Silent = false;
}
