// The settings file's lines as the store reads them, and values applied by their names.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app/settings_values.h"
#include "peripherals/settings.h"

namespace {

struct Line {
    const char* text;
    bool reads;
    const char* name;
    std::string bytes;
};

TEST(SettingsValues, LinesReadAsNameAndHexadecimalBytes) {
    const Line lines[] = {
        {"Volume=3f", true, "Volume", "\x3f"},
        {"Tape Volume= 0A\r", true, "Tape Volume", "\x0a"}, // blanks round the bytes
        {" TV =01", true, " TV ", "\x01"},                  // the name is taken as it stands
        {"Sound Buffers=", true, "Sound Buffers", ""},
        {"Keyb Joystick=0102", true, "Keyb Joystick", "\x01\x02"},
        {"A=b=cd", false, "", ""},
        {"Volume=3", false, "", ""},
        {"Volume=3g", false, "", ""},
        {"Volume=3 f", false, "", ""},
        {"=01", false, "", ""},
        {"Volume", false, "", ""},
    };
    for (const Line& l : lines) {
        std::string name = "unchanged", bytes;
        EXPECT_EQ(ParseStoreLine(l.text, name, bytes), l.reads) << l.text;
        if (!l.reads) continue;
        EXPECT_EQ(name, l.name) << l.text;
        EXPECT_EQ(bytes, l.bytes) << l.text;
    }
}

TEST(SettingsValues, OnlyTheStoredNamesAsWrittenAreSettings) {
    for (const char* name : StoredSettingNames) EXPECT_TRUE(ApplyStoredSetting(name, 1)) << name;
    Settings.volume = 7;
    for (const char* name : {"volume", "Volume ", " Volume", "", "Volume\n"})
        EXPECT_FALSE(ApplyStoredSetting(name, 40)) << name;
    EXPECT_EQ(Settings.volume, 7);
    EXPECT_TRUE(ApplyStoredSetting("Volume", 40));
    EXPECT_EQ(Settings.volume, 40);
}

} // namespace
