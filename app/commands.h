// The menu commands, their check and grey rules, and the file commands' shared steps.
#pragma once
#include <cstdint>
#include <string>

#include "engine/engine.h"

extern std::string FileName;       // the snapshot or tape named last, shown first by the dialogs
extern std::string ScreenshotName; // the screenshot saved last, shown first by its dialog
extern bool SoundAvailable;        // the sound output could be opened
extern bool WindowModesAvailable;  // the desktop's depth has window writers

// The rules: which items carry a check mark and which are greyed.
bool MenuItemChecked(uint16_t id);
bool MenuItemEnabled(uint16_t id);

// Carries out a command by id, as the menu or its function key does; a greyed item's command
// is not carried out. Unknown ids do nothing.
void RunCommand(uint16_t id);

// Loads a file as the Open command and the command line do: the ROM reloaded for the loader
// trap and the file's title taken, or the load error shown with the file's name and the reason.
bool LoadNamedFile(const std::string& path);
// The Open command after its dialog: loads the file, reloads the ROM for its trap and takes the
// file's title, or shows the load error. Then the title, the picture and the menu follow.
bool OpenChosenFile(const std::string& path);
// The Save command after its dialog, the same way.
bool SaveChosenFile(const std::string& path);
// The name the Save dialog shows first: `name` when it is a snapshot's, else the same name with
// the snapshot extension (".z80" when the last snapshot opened was one, else ".sna"), so that a
// save never replaces a tape or recording.
std::string SaveNameFor(const std::string& name);

// The Save Screenshot command after its dialog: the 6912 bytes of screen memory for a name
// ending in ".scr", else the picture as a PNG at the window's scale (320 x 240 in fullscreen).
// The file is replaced whole or left as it was; a failure is shown.
bool SaveScreenshot(const std::string& path);
// A recent file chosen from the File menu (0 is the newest): opened as Open does, or, when it is
// gone, taken off the list with a message.
void OpenRecentFile(int index);
// The Pause command: stops or restarts the machine, its ticks and its sound.
void TogglePause();
// Options > Machine: another machine started as when switched on, as Reset asks no question;
// it is kept as the setting "Machine". One that cannot run is refused with its reason.
void ChooseMachine(SpectrumModel model);

// Tells, once, of each stop of the tape at a block it cannot play; called after every frame.
void ReportTapeStop();

// The screen mode commands (the window sizes, the two fullscreen looks) and the read-out switch.
void SelectWindowMode(uint8_t mode);
void SelectFullscreen(bool tv);
void ToggleSpeedDisplay();
