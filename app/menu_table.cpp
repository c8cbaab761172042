#include "app/menu_table.h"

#include "platform/virtual_keys.h"

namespace {
constexpr MenuEntry Sub(const char* text) { return {MenuEntryKind::Submenu, 0, text, 0}; }
constexpr MenuEntry End() { return {MenuEntryKind::End, 0, nullptr, 0}; }
constexpr MenuEntry Line() { return {MenuEntryKind::Separator, 0, nullptr, 0}; }
constexpr MenuEntry Item(uint16_t id, const char* text, uint8_t key = 0) {
    return {MenuEntryKind::Item, id, text, key};
}
constexpr uint8_t F(int n) { return uint8_t(VkF1 + n - 1); }
} // namespace

const MenuEntry AppMenu[] = {
    Sub("&File"),
    Item(CmdOpen, "&Open Snapshot/Tape...\tF1", F(1)),
    Item(CmdSave, "&Save Snapshot...\tF2", F(2)),
    Item(CmdSaveScreenshot, "Save Scr&eenshot..."),
    Line(),
    Item(CmdTapeControl, "&Tape Control..."),
    Line(),
    Item(CmdPokeMemory, "&Poke Memory..."),
    Item(CmdResetSpectrum, "&Reset Spectrum"),
    Line(),
    // The recent files: their texts ("&1 name") and whether they show come from the list.
    Item(CmdRecentFile1, "&1"),
    Item(CmdRecentFile1 + 1, "&2"),
    Item(CmdRecentFile1 + 2, "&3"),
    Item(CmdRecentFile1 + 3, "&4"),
    Item(CmdRecentFile1 + 4, "&5"),
    Item(CmdRecentFile1 + 5, "&6"),
    Item(CmdRecentFile1 + 6, "&7"),
    Item(CmdRecentFile8, "&8"),
    Line(),
    Item(CmdExit, "E&xit\tAlt+F4"), // Alt+F4 is the window system's own close
    End(),
    Sub("&Options"),
    Sub("&Machine"),
    Item(CmdMachine48, "&48K"),
    Item(CmdMachine128, "&128K"),
    Item(CmdMachinePlus2, "+&2"),
    End(),
    Item(CmdJoystick, "&Joystick..."),
    Line(),
    Sub("&Screen"),
    Item(CmdWindow1x1, "&1x1 Window\tF5", F(5)),
    Item(CmdWindow2x2, "&2x2 Window\tF6", F(6)),
    Item(CmdWindow3x3, "&3x3 Window"),
    Item(CmdWindow4x4, "&4x4 Window"),
    Line(),
    Item(CmdFullscreenTv, "Fullscreen (&TV) \tF7", F(7)),
    Item(CmdFullscreenMonitor, "Fullscreen (&Monitor)\tF8", F(8)),
    End(),
    Sub("S&peed"),
    Item(CmdSpeedTrue, "&True\tF9", F(9)),
    Item(CmdSpeedSync, "&Sync to Monitor\tF10", F(10)),
    Item(CmdSpeedMaximum, "&Maximum\tF11", F(11)),
    Line(),
    Item(CmdSpeedDisplay, "Speed Display\tF12", F(12)),
    End(),
    Line(),
    Item(CmdSound, "S&ound\tF3", F(3)),
    Item(CmdSoundSettings, "Sou&nd Settings..."),
    Line(),
    Item(CmdAutoLoad, "&Auto-load Tapes"),
    Item(CmdFastLoading, "&Fast Loading"),
    Item(CmdPause, "Pa&use\tPause"), // the Pause key itself goes through OnKey
    Line(),
    Item(CmdPreferences, "&Preferences..."),
    End(),
    Sub("&Help"),
    Item(CmdHelpTopics, "&Help Topics"),
    Item(CmdSpectrumKeyboard, "Spectrum &Keyboard"),
    Line(),
    Item(CmdAbout, "&About Wendal..."),
    End(),
};

const int AppMenuSize = int(sizeof AppMenu / sizeof AppMenu[0]);
