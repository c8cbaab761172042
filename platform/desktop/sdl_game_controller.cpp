// The game controller through SDL's joystick subsystem: the first joystick SDL lists, its axes 0
// and 1 and its button 0. SDL reports axes from -32768 to 32767; they are shifted to 0-65535.
#include <SDL.h>

#include "platform/desktop/sdl_devices.h"
#include "platform/game_controller.h"

constexpr int32_t AxisOffset = 32768;
constexpr uint32_t AxisMax = 65535;

static bool SubsystemUp = false;
static SDL_Joystick* Stick = nullptr;

static void ReleaseStick() {
    if (Stick) SDL_JoystickClose(Stick);
    Stick = nullptr;
}

bool ControllerDetect(ControllerRangeRecord& range) {
    if (!SubsystemUp) {
        // Ctrl+C and SIGTERM belong to the program, not to SDL's event queue that nobody reads.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
        // Nobody pumps SDL's event queue (Qt owns the event loop): state is polled instead.
        SDL_JoystickEventState(SDL_IGNORE);
        SubsystemUp = true;
    }
    ReleaseStick();
    SDL_JoystickUpdate(); // notices controllers plugged in or out since the last look
    if (SDL_NumJoysticks() < 1) return false;
    Stick = SDL_JoystickOpen(0);
    if (!Stick) return false;
    range = ControllerRangeRecord{0, AxisMax, 0, AxisMax};
    return true;
}

bool ControllerRead(ControllerPositionRecord& position) {
    if (!Stick) return false;
    SDL_JoystickUpdate();
    if (!SDL_JoystickGetAttached(Stick)) return false; // unplugged: reads as centred
    position.x = uint32_t(int32_t(SDL_JoystickGetAxis(Stick, 0)) + AxisOffset);
    position.y = uint32_t(int32_t(SDL_JoystickGetAxis(Stick, 1)) + AxisOffset);
    position.button1 = SDL_JoystickGetButton(Stick, 0) != 0;
    return true;
}

void ControllerShutdown() {
    ReleaseStick();
    if (SubsystemUp) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    SubsystemUp = false;
}
