// The program's life: start-up in its order, the main loop, shutdown.
#pragma once
#include <string>

// Builds the emulator: the machine started (the program's folder, power-on, sound), then the
// display and the 20 ms tick. False (after its message, if any) when the program
// cannot run.
bool InitEmulator();
// Releases what InitEmulator acquired, in reverse; safe after a partial start.
void ShutdownEmulator();
// The command line as one file name: the arguments joined by spaces, every double quote removed.
std::string CommandLineFile(int argc, char** argv);
// Loads the command line's file at start-up, as the Open command does but without its dialog.
void LoadCommandLineFile(const std::string& path);
// Runs passes until the window is closed: every pending event, then one frame while active.
// Returns the exit code.
int MainLoop();
// Requests the end of the main loop (the main window was closed).
void RequestQuit(int code);
