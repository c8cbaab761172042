#include "app/window_events.h"

#include "app/commands.h"
#include "app/display_modes.h"
#include "app/menu_table.h"
#include "app/run_state.h"
#include "app/title.h"
#include "app/window_services.h"
#include "platform/desktop/desktop_keyboard.h"
#include "platform/virtual_keys.h"

namespace {
int OpenMenus;     // one menu closes as the next opens when the pointer moves along the bar
bool AltEnterDown; // Enter went down with Alt held; people let go of Alt or Enter first
} // namespace

void OnWindowActivation(bool mainActive, bool programActive) {
    AppActive = mainActive;
    ProgramActive = programActive;
    if (!mainActive) DesktopReleaseAllKeys();
    UpdateTitle();
}

void OnRepaintRequest() {
    InvalidateScreen();
    if (ScreenMode() == ScreenFullscreen && AppActive.load() && SpeedDisplayOn()) ClearSpeedBar();
    DrawFrame();
}

void OnKey(uint8_t vk, bool down, bool alt) {
    if (vk == VkPause) {
        if (down) RunCommand(CmdPause);
        return;
    }
    if (vk == VkEscape) {
        if (down) OpenMenuBar(); // the way to the menu in fullscreen
        return;
    }
    // Alt+Enter switches between fullscreen and the window when Enter is let go.
    if (vk == VkEnter && (alt || AltEnterDown)) {
        AltEnterDown = down;
        if (!down)
            RunCommand(ScreenMode() == ScreenFullscreen ? CmdWindow1x1 : CmdFullscreenMonitor);
        return;
    }
    if (vk) DesktopKeyDown(vk, down);
}

void OnKeyboardLost() { DesktopReleaseAllKeys(); }

void OnMenuOpened() {
    if (OpenMenus++ == 0) TickEnabled = false;
}

void OnMenuClosed() {
    if (OpenMenus == 0 || --OpenMenus > 0) return;
    TickEnabled = true;
    InvalidateScreen();
}

void OnDepthChanged(int depth) {
    if (ScreenMode() == ScreenFullscreen) return;
    WindowModesAvailable = DepthHasWriters(depth);
    DisplayDepthChanged(depth);
    RefreshMenu();
}
