#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "peripherals/input_state.h"
#include "peripherals/keyboard.h"
#include "peripherals/ports.h"
#include "peripherals/settings.h"
#include "platform/headless/headless.h"
#include "platform/virtual_keys.h"

namespace {

// The Spectrum's keyboard as printed on the machine: half-row by half-row, from the outer end.
const char* const SpectrumLayout[8][5] = {
    {"CS", "Z", "X", "C", "V"},    {"A", "S", "D", "F", "G"},      {"Q", "W", "E", "R", "T"},
    {"1", "2", "3", "4", "5"},     {"0", "9", "8", "7", "6"},      {"P", "O", "I", "U", "Y"},
    {"ENTER", "L", "K", "J", "H"}, {"SPACE", "SS", "M", "N", "B"},
};

class Keyboard : public ::testing::Test {
  protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        Settings = SettingsRecord{};
        HeadlessReleaseAllKeys();
        std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
        KeyJoyBits = 0;
        PcJoyBits = 0;
    }
    static void Press(std::initializer_list<uint8_t> keys) {
        for (uint8_t vk : keys) HeadlessKeyDown(vk, true);
    }
    static bool AllRowsUp() {
        for (uint8_t row : KeyMatrix)
            if (row != 0xFF) return false;
        return true;
    }
};

// Each PC key of the map, pressed alone, is seen by the port as exactly the Spectrum key of the
// same name, and the map covers all 40 Spectrum keys once.
TEST_F(Keyboard, EveryMappedKeyPressesTheSpectrumKeyOfTheSameName) {
    std::set<std::string> seen;
    for (const KeyMapEntry& e : KeyMap) {
        HeadlessReleaseAllKeys();
        HeadlessKeyDown(e.vk, true);
        ScanKeyboard();
        std::string pressed;
        for (int row = 0; row < 8; ++row) {
            uint8_t value = PortRead(0xFE, uint8_t(~(1 << row)));
            EXPECT_EQ(value & 0xE0, 0xE0 & (EarLevel ? 0xFF : 0xBF));
            for (int bit = 0; bit < 5; ++bit)
                if (!(value & (1 << bit)))
                    pressed += std::string(pressed.empty() ? "" : ",") + SpectrumLayout[row][bit];
        }
        EXPECT_EQ(VirtualKeyOfSpectrumKey(pressed.c_str()), e.vk) << "PC key " << int(e.vk);
        seen.insert(pressed);
    }
    EXPECT_EQ(seen.size(), 40u);
}

TEST_F(Keyboard, NothingDownLeavesEveryRowUp) {
    KeyMatrix[2] = 0x00;
    KeyJoyBits = 0xFF;
    ScanKeyboard();
    EXPECT_TRUE(AllRowsUp());
    EXPECT_EQ(KeyJoyBits, 0);
}

TEST_F(Keyboard, KeysOfOneRowCombine) {
    Press({VkShift, 'Z'});
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[0], 0xFC);
    HeadlessReleaseAllKeys();
    Press({VkEnter, 'L'});
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[6], 0xFC);
    EXPECT_EQ(KeyMatrix[0], 0xFF);
}

TEST_F(Keyboard, BackspaceIsCapsShiftAndZero) {
    Press({VkBackspace});
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[0], 0xFE);
    EXPECT_EQ(KeyMatrix[4], 0xFE);
    for (int row : {1, 2, 3, 5, 6, 7}) EXPECT_EQ(KeyMatrix[row], 0xFF) << row;
}

TEST_F(Keyboard, CursorKeysAsCursorJoystickPressBareNumberKeys) {
    Settings.keybJoystick = 1;
    Press({VkUp, VkTab});
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[4], 0xF6); // 7 and 0
    EXPECT_EQ(KeyMatrix[0], 0xFF); // never CAPS SHIFT
    EXPECT_EQ(KeyJoyBits, 0x84);

    HeadlessReleaseAllKeys();
    Press({VkLeft});
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[3], 0xEF); // 5
    HeadlessReleaseAllKeys();
    Press({VkRight, VkDown});
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[4], 0xEB); // 8 and 6
    EXPECT_EQ(KeyJoyBits, JoyRight | JoyDown);
    EXPECT_EQ(PortRead(0x1F, 0), 0x00); // not the Kempston joystick
}

TEST_F(Keyboard, CursorKeysAsKempstonReachOnlyThePort) {
    Settings.keybJoystick = 2;
    Press({VkLeft});
    ScanKeyboard();
    EXPECT_TRUE(AllRowsUp());
    EXPECT_EQ(KeyJoyBits, 0x01);
    EXPECT_EQ(PortRead(0x1F, 0), 0x02);
    Press({VkTab, VkUp});
    ScanKeyboard();
    EXPECT_EQ(PortRead(0x1F, 0), 0x1A);
}

// Keys held when Alt goes down stay pressed for the Spectrum until Alt is released.
TEST_F(Keyboard, AltFreezesTheMatrixUntilReleased) {
    Press({VkAlt, 'A', VkLeft});
    ScanKeyboard(); // Alt was down from the start: nothing taken
    EXPECT_TRUE(AllRowsUp());

    HeadlessKeyDown(VkAlt, false);
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[1], 0xFE);
    HeadlessKeyDown(VkAlt, true);
    HeadlessKeyDown('A', false);
    HeadlessKeyDown(VkLeft, false);
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[1], 0xFE);
    EXPECT_EQ(KeyJoyBits, JoyLeft);
    HeadlessKeyDown(VkAlt, false);
    ScanKeyboard();
    EXPECT_TRUE(AllRowsUp());
    EXPECT_EQ(KeyJoyBits, 0);
}

TEST_F(Keyboard, KeysOutsideTheMapDoNothing) {
    Press({VkEscape, VkF1, 0x60 /* keypad 0 */, 0xBC /* comma */});
    ScanKeyboard();
    EXPECT_TRUE(AllRowsUp());
    EXPECT_EQ(KeyJoyBits, 0);
}

TEST_F(Keyboard, SpectrumKeyNames) {
    EXPECT_EQ(VirtualKeyOfSpectrumKey("Q"), 'Q');
    EXPECT_EQ(VirtualKeyOfSpectrumKey("0"), '0');
    EXPECT_EQ(VirtualKeyOfSpectrumKey("ENTER"), VkEnter);
    EXPECT_EQ(VirtualKeyOfSpectrumKey("SPACE"), VkSpace);
    EXPECT_EQ(VirtualKeyOfSpectrumKey("CS"), VkShift);
    EXPECT_EQ(VirtualKeyOfSpectrumKey("SS"), VkControl);
    for (const char* bad : {"", "q", "QQ", "10", "ENTERX", "Enter", "+", "SHIFT"})
        EXPECT_EQ(VirtualKeyOfSpectrumKey(bad), -1) << '"' << bad << '"';
    EXPECT_EQ(VirtualKeyOfSpectrumKey(nullptr), -1);
}

} // namespace
