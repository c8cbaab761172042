#include "app/settings_values.h"

#include "app/preferences.h"

DesktopPreferences Preferences;

namespace {
using K = SettingKind;
using E = EngineSetting;
DesktopPreferences& P = Preferences;
} // namespace

// The volumes are amplitudes (two of them and 128 must stay within a byte). The sound queue is
// 1-50 blocks of 20 ms: 0 means the smallest (the dialog stores its 0 as 1). An unknown screen
// mode or joystick kind has no nearest one: it is taken as on a first run (the PC joystick
// "none", which detection makes Kempston when one is there).
// clang-format off
const StoredSetting StoredSettings[StoredSettingCount] = {
    // name              kind       range  start control          own                engine
    {"Save Settings",    K::Flag,   0, 1,  1,  "saveSettings",   &P.saveSettings,   E{}},
    {"Volume",           K::Amount, 0, 63, 50, "volume",   nullptr,           E::Volume},
    {"Tape Volume",      K::Amount, 0, 63, 50, "tapeVolume",   nullptr,           E::TapeVolume},
    {"Sound Buffers",    K::Amount, 1, 50, 10, "soundBuffers",   nullptr,           E::SoundBuffers},
    {"Screen Mode",      K::Choice, 1, 5,  1,  nullptr,  nullptr,           E::ScreenMode},
    {"TV",               K::Flag,   0, 1,  0,  nullptr,  nullptr,           E::Tv},
    {"Shaded Titles",    K::Flag,   0, 1,  0,  "shadedTitles",   &P.shadedTitles,   E{}},
    {"Speed Display",    K::Flag,   0, 1,  1,  nullptr,  nullptr,           E::SpeedDisplay},
    {"Warnings",         K::Flag,   0, 1,  1,  "warnings",   &P.warnings,       E{}},
    {"PC Joystick",      K::Choice, 0, 2,  0,  "pcJoystick",   nullptr,           E::PcJoystick},
    {"Keyb Joystick",    K::Choice, 1, 2,  1,  "keybJoystick",   nullptr,           E::KeybJoystick},
    {"Auto-load Tapes",  K::Flag,   0, 1,  1,  nullptr,  &P.autoLoad,       E{}},
    {"Fast Loading",     K::Flag,   0, 1,  1,  nullptr,  &P.fastLoading,    E{}},
    {"Machine",          K::Choice, 0, 2,  0,  nullptr,  &P.machine,        E{}},
    {"AY Stereo",        K::Choice, 0, 2,  0,  "ayStereo",   nullptr,           E::AyStereo},
};
// clang-format on

const std::array<const char*, StoredSettingCount> StoredSettingNames = [] {
    std::array<const char*, StoredSettingCount> names{};
    for (int i = 0; i < StoredSettingCount; ++i) names[size_t(i)] = StoredSettings[i].name;
    return names;
}();

const StoredSetting* FindStoredSetting(std::string_view name) {
    for (const StoredSetting& s : StoredSettings)
        if (name == s.name) return &s;
    return nullptr;
}

uint8_t StoredValue(const StoredSetting& s) {
    const uint8_t b = s.own ? *s.own : GetEngineSetting(s.engine);
    return s.kind == SettingKind::Flag ? (b == 1 ? 1 : 0) : b;
}

void SetStoredValue(const StoredSetting& s, uint8_t b) {
    switch (s.kind) {
    case SettingKind::Flag: b = b == 1 ? 1 : 0; break;
    case SettingKind::Amount: b = b < s.low ? s.low : b > s.high ? s.high : b; break;
    case SettingKind::Choice: b = b < s.low || b > s.high ? s.start : b; break;
    }
    if (s.own)
        *s.own = b;
    else
        SetEngineSetting(s.engine, b);
}

bool ApplyStoredSetting(std::string_view name, uint8_t b) {
    const StoredSetting* s = FindStoredSetting(name);
    if (!s) return false;
    SetStoredValue(*s, b);
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
