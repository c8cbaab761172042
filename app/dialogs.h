// The program's modal dialogs and help windows, each opened by its menu command.
#pragma once

void ShowTapeDialog();
void ShowPokeDialog();
void ShowJoystickDialog();
void ShowSoundDialog();
void ShowPreferencesDialog();
void ShowAboutDialog();
// The warning that the picture is not presented through the graphics card.
void ShowPerformanceWarning();
// The main loop's step: a pending video warning is cleared, and shown while "Warnings" is on.
void ShowPendingVideoWarning();

// Help: the manual at its contents and index, the keyboard picture, the performance topic, and
// closing them all (when the main window closes).
void ShowHelpTopics();
void ShowSpectrumKeyboard();
void ShowPerformanceHelp();
void CloseHelpWindows();
