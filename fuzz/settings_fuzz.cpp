// The settings file read at start-up: every line that reads is written back the same, and
// whatever the stored bytes, every setting ends within its range.
#include <string>
#include <string_view>

#include "app/preferences.h"
#include "app/settings_values.h"
#include "display/display_state.h"
#include "fuzz/fuzz_harness.h"
#include "peripherals/settings.h"

static std::string StoreLine(const std::string& name, const std::string& bytes) {
    static const char Hex[] = "0123456789abcdef";
    std::string line = name + "=";
    for (unsigned char b : bytes) line += {Hex[b >> 4], Hex[b & 15]};
    return line;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings = SettingsRecord{};
    DisplayMode = ModeWindow;
    FullscreenTv = false;
    SpeedDisplay = false;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    size_t at = 0;
    while (at <= all.size()) {
        size_t end = all.find('\n', at);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view line = all.substr(at, end - at);
        at = end + 1;
        std::string name, bytes;
        if (!ParseStoreLine(line, name, bytes)) continue;
        FUZZ_CHECK(!name.empty() && name.find('=') == std::string::npos);
        FUZZ_CHECK(bytes.size() * 2 < line.size());
        std::string again, againBytes;
        FUZZ_CHECK(ParseStoreLine(StoreLine(name, bytes), again, againBytes));
        FUZZ_CHECK(again == name && againBytes == bytes);
        if (bytes.size() != 1) continue; // only one-byte values are read
        const SettingsRecord was = Settings;
        const bool known = ApplyStoredSetting(name, uint8_t(bytes[0]));
        if (!known) FUZZ_CHECK(std::memcmp(&was, &Settings, sizeof Settings) == 0);
    }
    FUZZ_CHECK(Preferences.saveSettings <= 1 && Preferences.shadedTitles <= 1 &&
               Preferences.warnings <= 1 && Preferences.machine <= 2);
    FUZZ_CHECK(Settings.volume <= 63 && Settings.tapeVolume <= 63);
    FUZZ_CHECK(Settings.soundBuffers >= 1 && Settings.soundBuffers <= 50);
    FUZZ_CHECK(DisplayMode == ModeFullscreen || WindowModeScale(DisplayMode) != 0);
    FUZZ_CHECK(Settings.pcJoystick <= 2);
    FUZZ_CHECK(Settings.keybJoystick == 1 || Settings.keybJoystick == 2);
    return 0;
}
