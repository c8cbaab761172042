// The program's modal dialogs and help windows, each opened by its menu command.
#pragma once

void ShowTapeDialog();
void ShowPokeDialog();
void ShowJoystickDialog();
void ShowSoundDialog();
void ShowPreferencesDialog();
void ShowAboutDialog();
void ShowHelpTopics();
void ShowSpectrumKeyboard();
