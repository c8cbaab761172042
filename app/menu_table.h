// The main window's menu as data: every item's command id, text and accelerator key, in menu
// order. The window builds its menu bar and shortcuts from this table and nothing else.
#pragma once
#include <cstdint>

enum CommandId : uint16_t {
    CmdOpen = 57601,
    CmdSave = 57603,
    CmdTapeControl = 40043,
    CmdPokeMemory = 40041,
    CmdResetSpectrum = 40003,
    CmdExit = 40004,
    CmdJoystick = 40034,
    CmdWindow1x1 = 40008,
    CmdWindow2x2 = 40009,
    CmdWindow3x3 = 40050,
    CmdWindow4x4 = 40051,
    CmdFullscreenTv = 40031,
    CmdFullscreenMonitor = 40010,
    CmdSpeedTrue = 40012,
    CmdSpeedSync = 40013,
    CmdSpeedMaximum = 40014,
    CmdSpeedDisplay = 40011,
    CmdSound = 40015,
    CmdSoundSettings = 40038,
    CmdPreferences = 40042,
    CmdHelpTopics = 40036,
    CmdSpectrumKeyboard = 40040,
    CmdAbout = 40030,
    CmdSaveScreenshot = 40060,
    CmdAutoLoad = 40061,
    CmdFastLoading = 40062,
    CmdPause = 40063,
    CmdRecentFile1 = 40070, // the eight recent files follow in order
    CmdRecentFile8 = 40077,
    CmdMachine48 = 40080, // the three machines in SpectrumModel's order
    CmdMachine128 = 40081,
    CmdMachinePlus2 = 40082,
};

enum class MenuEntryKind : uint8_t {
    Item,      // a command
    Separator, // a line
    Submenu,   // opens the entries up to the matching End
    End,       // closes the innermost open submenu or top-level menu
};

struct MenuEntry {
    MenuEntryKind kind;
    uint16_t id;         // the command, for items
    const char* text;    // "&" marks the mnemonic, "\t" separates the key hint
    uint8_t accelerator; // virtual key of a plain function key that runs the item, or 0
    // No other key may run a command: the letters, digits, Enter, Space, Shift and Ctrl, alone or
    // together, are the Spectrum's. The recent files' digits work only inside the open menu.
};

// The top-level menus, each opened by a Submenu entry and closed by End.
extern const MenuEntry AppMenu[];
extern const int AppMenuSize;
