// The first PC game controller: two axes and its first button.
#pragma once
#include <cstdint>

// The calibration of the axes: positions run from min to max.
struct ControllerRangeRecord {
    uint32_t xMin, xMax, yMin, yMax;
};

struct ControllerPositionRecord {
    uint32_t x, y;
    bool button1; // the first button is down
};

// A controller is there and answers; fills its axis range.
bool ControllerDetect(ControllerRangeRecord& range);
// Reads its position and first button. False when it does not answer.
bool ControllerRead(ControllerPositionRecord& position);
