// However the run ends, it ends the same way: the tick thread stopped, the sound closed and the
// settings saved, once. Besides File > Exit and the window's close button the run is ended from
// outside by SIGTERM, SIGINT or SIGHUP (a logout, Ctrl+C in the terminal), by another X client
// destroying the window, and by the loss of the display connection, after which Qt ends the
// process with status 1.
#pragma once

// Installs the signal handlers, the watch for the window's destruction and the safety net at
// process exit. Call once, as soon as the emulator is built.
void WatchForExternalEnds();
// Shuts the emulator down and saves the settings, once: after the main loop, or from the exit
// handler when the process ends without returning from it.
void FinishRun();
// What a signal does, on the main thread: every menu and dialog closes, then the main window,
// as File > Exit does.
void EndAsExit();
// The window was destroyed by another X client: dialogs close and the main loop ends.
void EndForDestroyedWindow();
