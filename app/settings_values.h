// The stored settings without Qt: each value's byte brought within its range, and the lines of
// the settings file ("Volume=32": the name, "=", the bytes in hexadecimal).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

constexpr int StoredSettingCount = 13;
extern const char* const StoredSettingNames[StoredSettingCount]; // in the order they are read

// Sets the setting of that stored name from its byte, brought within the range the rest of the
// program is built for. False, with nothing changed, for a name that is not a setting.
bool ApplyStoredSetting(std::string_view name, uint8_t byte);

// One line of the settings file, without its newline: the name before the first "=" (never
// empty) and the bytes of the even-length hexadecimal after it, blanks at either end ignored.
// False for a line not of that form, which is passed over as if the value were missing.
bool ParseStoreLine(std::string_view line, std::string& name, std::string& bytes);
