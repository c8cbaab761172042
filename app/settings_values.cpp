#include "app/settings_values.h"

#include "display/display_state.h"
#include "peripherals/settings.h"

const char* const StoredSettingNames[StoredSettingCount] = {
    "Save Settings", "Volume",      "Tape Volume",   "Sound Buffers",
    "Screen Mode",   "TV",          "Shaded Titles", "Speed Display",
    "Warnings",      "PC Joystick", "Keyb Joystick", "Auto-load Tapes",
    "Fast Loading"};

bool ApplyStoredSetting(std::string_view name, uint8_t b) {
    const uint8_t flag = b == 1 ? 1 : 0; // a flag is on only when stored as 1
    // The volumes are amplitudes in 0-63 (two of them and 128 must stay within a byte): a louder
    // one is taken as the loudest.
    if (name == "Save Settings")
        Settings.saveSettings = flag;
    else if (name == "Volume")
        Settings.volume = b > 63 ? 63 : b;
    else if (name == "Tape Volume")
        Settings.tapeVolume = b > 63 ? 63 : b;
    // 1-50 blocks of 20 ms: 0 means the smallest queue (the dialog stores its 0 as 1), more than
    // the 50 blocks there are means all of them.
    else if (name == "Sound Buffers")
        Settings.soundBuffers = b < 1 ? 1 : b > 50 ? 50 : b;
    // An unknown mode has no nearest one: the single-size window, as on a first run.
    else if (name == "Screen Mode")
        DisplayMode = b == ModeFullscreen || WindowModeScale(b) ? b : ModeWindow;
    else if (name == "TV")
        FullscreenTv = flag;
    else if (name == "Shaded Titles")
        Settings.shadedTitles = flag;
    else if (name == "Speed Display")
        SpeedDisplay = flag;
    else if (name == "Warnings")
        Settings.warnings = flag;
    // Unknown joystick kinds are taken as not set: "none" for the PC joystick (detection then
    // makes it Kempston when one is there), Cursor for the keys, as on a first run.
    else if (name == "PC Joystick")
        Settings.pcJoystick = b <= 2 ? b : 0;
    else if (name == "Keyb Joystick")
        Settings.keybJoystick = b == 2 ? 2 : 1;
    else if (name == "Auto-load Tapes")
        Settings.autoLoad = flag;
    else if (name == "Fast Loading")
        Settings.fastLoading = flag;
    else
        return false;
    return true;
}

static bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseStoreLine(std::string_view line, std::string& name, std::string& bytes) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) return false;
    std::string_view hex = line.substr(equals + 1);
    while (!hex.empty() && IsBlank(hex.front())) hex.remove_prefix(1);
    while (!hex.empty() && IsBlank(hex.back())) hex.remove_suffix(1);
    if (hex.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(char(high << 4 | low));
    }
    name.assign(line.substr(0, equals));
    return true;
}
