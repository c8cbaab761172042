#include "app/dialogs.h"

// Placeholders until the dialogs are built: each command opens nothing.
void ShowTapeDialog() {}
void ShowPokeDialog() {}
void ShowJoystickDialog() {}
void ShowSoundDialog() {}
void ShowPreferencesDialog() {}
void ShowAboutDialog() {}
void ShowHelpTopics() {}
void ShowSpectrumKeyboard() {}
