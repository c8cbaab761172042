// The window title: what is loaded, then the program's name, then whether it is paused.
#pragma once
#include <string>

extern std::string TitleName; // "ROM", "Disk ROM" or the title of the last file loaded or saved
// A window of this program is active: the main window, or a dialog or help window of its own,
// which pause the machine but leave the title as it was.
extern bool ProgramActive;

// The ROM put back and the processor reset (an auto-load being typed stops), and the title of
// the ROM when no tape is in.
void ResetSpectrum();
// "TitleName - Wendal", the machine in brackets after TitleName when it is not the 48K (e.g.
// "ROM (128K) - Wendal"), with " [Paused]" while another program is active or the user paused.
std::string TitleText();
// Puts TitleText on the main window.
void UpdateTitle();
// A path's file name without its folder.
std::string FileTitle(const std::string& path);
