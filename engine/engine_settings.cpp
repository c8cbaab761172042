// The settings the engine owns, read and set one byte at a time by the front end's store and
// dialogs. The front end brings each within its range before setting it.
#include "display/display_state.h"
#include "engine/engine.h"
#include "peripherals/settings.h"

uint8_t GetEngineSetting(EngineSetting setting) {
    switch (setting) {
    case EngineSetting::Volume: return Settings.volume;
    case EngineSetting::TapeVolume: return Settings.tapeVolume;
    case EngineSetting::SoundBuffers: return Settings.soundBuffers;
    case EngineSetting::ScreenMode: return DisplayMode;
    case EngineSetting::Tv: return FullscreenTv ? 1 : 0;
    case EngineSetting::SpeedDisplay: return SpeedDisplay ? 1 : 0;
    case EngineSetting::PcJoystick: return Settings.pcJoystick;
    case EngineSetting::KeybJoystick: return Settings.keybJoystick;
    }
    return 0;
}

void SetEngineSetting(EngineSetting setting, uint8_t value) {
    switch (setting) {
    case EngineSetting::Volume: Settings.volume = value; break;
    case EngineSetting::TapeVolume: Settings.tapeVolume = value; break;
    case EngineSetting::SoundBuffers: Settings.soundBuffers = value; break;
    case EngineSetting::ScreenMode: DisplayMode = value; break;
    case EngineSetting::Tv: FullscreenTv = value != 0; break;
    case EngineSetting::SpeedDisplay: SpeedDisplay = value != 0; break;
    case EngineSetting::PcJoystick: Settings.pcJoystick = value; break;
    case EngineSetting::KeybJoystick: Settings.keybJoystick = value; break;
    }
}
