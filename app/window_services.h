// What the program's procedures ask of the main window. Implemented by the Qt window.
#pragma once
#include <string>

void SetWindowTitleText(const std::string& title);
// A message box owned by the main window: caption "Wendal", an OK button; `detail`, when given,
// is shown under the text in smaller type.
void ShowMessage(const char* text, const std::string& detail = std::string());
// The open and save dialogs; false when the user cancels. `path` is also the name shown first.
bool AskOpenFileName(std::string& path);
bool AskSaveFileName(std::string& path);
// The Save Screenshot dialog: a .png picture or a .scr screen memory file.
bool AskScreenshotFileName(std::string& path);
// Sets every menu item's check mark and grey state from the program's state.
void RefreshMenu();
// Opens the menu bar by keyboard (also in fullscreen, where the bar is hidden).
void OpenMenuBar();
// Asks the main window to close; the main loop ends after it.
void CloseMainWindow();
// The caption follows "Shaded Titles" and the screen mode: drawn by the program (on, in a window
// mode) or by the window manager.
void UpdateCaptionStyle();
// After a change of size: the window moves, if it must, to lie whole on its screen.
void KeepWindowOnScreen();
