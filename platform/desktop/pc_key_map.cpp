// The one place that turns a PC key event into the program's virtual-key code.
#include <QtCore/qnamespace.h>

#include "platform/desktop/desktop_keyboard.h"
#include "platform/virtual_keys.h"

namespace {

struct KeyCodePair {
    uint32_t native;
    uint8_t vk;
};

// X keycodes (Linux evdev codes + 8) of a PC-105 keyboard, by position: the layout's letters
// do not matter, the key under the finger does, as on the Spectrum's own keyboard.
// clang-format off
constexpr KeyCodePair X11Keys[] = {
    {9, VkEscape},
    {10, '1'}, {11, '2'}, {12, '3'}, {13, '4'}, {14, '5'},
    {15, '6'}, {16, '7'}, {17, '8'}, {18, '9'}, {19, '0'},
    {22, VkBackspace}, {23, VkTab},
    {24, 'Q'}, {25, 'W'}, {26, 'E'}, {27, 'R'}, {28, 'T'},
    {29, 'Y'}, {30, 'U'}, {31, 'I'}, {32, 'O'}, {33, 'P'},
    {36, VkEnter}, {37, VkControl},
    {38, 'A'}, {39, 'S'}, {40, 'D'}, {41, 'F'}, {42, 'G'},
    {43, 'H'}, {44, 'J'}, {45, 'K'}, {46, 'L'},
    {50, VkShift},
    {52, 'Z'}, {53, 'X'}, {54, 'C'}, {55, 'V'}, {56, 'B'}, {57, 'N'}, {58, 'M'},
    {62, VkShift}, {64, VkAlt}, {65, VkSpace},
    {67, VkF1 + 0}, {68, VkF1 + 1}, {69, VkF1 + 2}, {70, VkF1 + 3}, {71, VkF1 + 4},
    {72, VkF1 + 5}, {73, VkF1 + 6}, {74, VkF1 + 7}, {75, VkF1 + 8}, {76, VkF1 + 9},
    {95, VkF1 + 10}, {96, VkF1 + 11},
    {104, VkEnter},  // keypad Enter: the same virtual key as Enter on the PC
    {105, VkControl}, {108, VkAlt},
    {111, VkUp}, {113, VkLeft}, {114, VkRight}, {116, VkDown},
    {127, VkPause},
};

// Without physical codes: the key's meaning (letters and digits are their ASCII codes).
constexpr KeyCodePair QtKeys[] = {
    {Qt::Key_Escape, VkEscape}, {Qt::Key_Backspace, VkBackspace}, {Qt::Key_Tab, VkTab},
    {Qt::Key_Return, VkEnter}, {Qt::Key_Enter, VkEnter}, {Qt::Key_Shift, VkShift},
    {Qt::Key_Control, VkControl}, {Qt::Key_Alt, VkAlt}, {Qt::Key_Space, VkSpace},
    {Qt::Key_Left, VkLeft}, {Qt::Key_Up, VkUp}, {Qt::Key_Right, VkRight}, {Qt::Key_Down, VkDown},
    {Qt::Key_Pause, VkPause},
};
// clang-format on

// Windows' left and right modifier codes, each pair folded into its generic key.
constexpr uint32_t WinLeftShift = 0xA0, WinRightMenu = 0xA5;

template <size_t N> uint8_t Look(const KeyCodePair (&table)[N], uint32_t code) {
    for (const KeyCodePair& p : table)
        if (p.native == code) return p.vk;
    return 0;
}

} // namespace

uint8_t VirtualKeyOfKeyEvent(NativeKeyCodes codes, uint32_t scanCode, uint32_t virtualKey,
                             int qtKey) {
    if (codes == NativeKeyCodes::X11 && scanCode) return Look(X11Keys, scanCode);
    if (codes == NativeKeyCodes::Windows && virtualKey && virtualKey < 256) {
        if (virtualKey >= WinLeftShift && virtualKey <= WinRightMenu)
            return uint8_t(VkShift + (virtualKey - WinLeftShift) / 2);
        return uint8_t(virtualKey);
    }
    if ((qtKey >= 'A' && qtKey <= 'Z') || (qtKey >= '0' && qtKey <= '9')) return uint8_t(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return uint8_t(VkF1 + (qtKey - Qt::Key_F1));
    return Look(QtKeys, uint32_t(qtKey));
}
