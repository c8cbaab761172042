// The stored settings without Qt: one table row per setting, from which the store reads and
// writes them, the reader brings each byte within its range and the dialogs find their
// controls; and the lines of the settings file ("Volume=32": the name, "=", the bytes in
// hexadecimal).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/engine.h"

enum class SettingKind : uint8_t {
    Flag,   // on only when stored as 1
    Amount, // a byte beyond the range is taken as its nearer end
    Choice, // a byte beyond the range is taken as the start value
};

struct StoredSetting {
    const char* name; // as stored
    SettingKind kind;
    uint8_t low, high;    // the range the rest of the program is built for
    uint8_t start;        // on a first run
    const char* control;  // the object name of the dialog control that edits it; null for a menu
    uint8_t* own;         // the desktop's own byte, or null for the engine's setting
    EngineSetting engine; // the engine's setting when `own` is null
};

constexpr int StoredSettingCount = 15;
extern const StoredSetting StoredSettings[StoredSettingCount]; // in the order they are read
extern const std::array<const char*, StoredSettingCount> StoredSettingNames;

// The row of that stored name, or null.
const StoredSetting* FindStoredSetting(std::string_view name);
// The setting's byte as it is stored (a flag as 0 or 1).
uint8_t StoredValue(const StoredSetting& setting);
// Sets the setting from a byte, brought within the row's range.
void SetStoredValue(const StoredSetting& setting, uint8_t byte);

// Sets the setting of that stored name from its byte, brought within the range the rest of the
// program is built for. False, with nothing changed, for a name that is not a setting.
bool ApplyStoredSetting(std::string_view name, uint8_t byte);

// One line of the settings file, without its newline: the name before the first "=" (never
// empty) and the bytes of the even-length hexadecimal after it, blanks at either end ignored.
// False for a line not of that form, which is passed over as if the value were missing.
bool ParseStoreLine(std::string_view line, std::string& name, std::string& bytes);
