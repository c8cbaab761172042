// The window title: what is loaded, then the program's name, then whether it is paused.
#pragma once
#include <string>

extern std::string TitleName; // "ROM", "Disk ROM" or the title of the last file loaded or saved
// A window of this program is active: the main window, or a dialog or help window of its own,
// which pause the machine but leave the title as it was.
extern bool ProgramActive;

// LoadRom, the title of the ROM when no tape is in, and the processor's power-on state.
void ResetSpectrum();
// "TitleName - Wendal", with " [Paused]" while another program is active or the user paused.
std::string TitleText();
// Puts TitleText on the main window.
void UpdateTitle();
// A path's file name without its folder.
std::string FileTitle(const std::string& path);
