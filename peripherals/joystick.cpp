#include "peripherals/joystick.h"

#include "peripherals/input_state.h"
#include "peripherals/settings.h"

ControllerRangeRecord JoystickRange;

void DetectJoystick() {
    if (!ControllerDetect(JoystickRange)) {
        Settings.pcJoystick = 0;
        return;
    }
    if (Settings.pcJoystick == 0) Settings.pcJoystick = 2;
}

// Position as a percentage of the range, 0 at the minimum. An axis whose range is empty reads as
// centred; a position outside the range gives a percentage outside 0-100 of the right sign.
static int64_t AxisPercent(uint32_t pos, uint32_t min, uint32_t max) {
    if (max == min) return 50;
    return (int64_t(pos) - int64_t(min)) * 100 / (int64_t(max) - int64_t(min));
}

void PollJoystick() {
    PcJoyBits = 0;
    if (Settings.pcJoystick == 0) return;
    ControllerPositionRecord p;
    if (!ControllerRead(p)) return;
    const ControllerRangeRecord& r = JoystickRange;
    int64_t x = AxisPercent(p.x, r.xMin, r.xMax);
    int64_t y = AxisPercent(p.y, r.yMin, r.yMax);
    uint8_t bits = 0;
    if (x < 40) bits |= JoyLeft; // 40 to 60 inclusive is the dead zone
    if (x > 60) bits |= JoyRight;
    if (y < 40) bits |= JoyUp;
    if (y > 60) bits |= JoyDown;
    if (p.button1) bits |= JoyFire;
    PcJoyBits = bits;
}
