// The settings kept between runs: thirteen one-byte values and the paths of the eight recent
// files, under "Corvallo Software/Wendal" in the per-user settings store (on Linux
// $XDG_CONFIG_HOME/Corvallo Software/Wendal.conf, normally
// ~/.config; on Windows the registry key HKEY_CURRENT_USER\Software\Corvallo Software\Wendal).
#pragma once
#include <QSettings>
#include <string>

// Reads every stored value (from at most the file's first 64 KB; names that are not settings
// are passed over and dropped at the next save); a missing or malformed one leaves its setting as
// it was (the start value at start-up), and one outside its range is brought back into it. Call
// once at start.
void LoadSettings();
// Writes "Save Settings" and, while it is on, the others and the recent files. The store is
// replaced as a whole, so a failed write leaves the previous one. False when it could not be
// written.
bool SaveSettings();

// The store itself, for the tests: QSettings(SettingsFormat(), QSettings::UserScope,
// "Corvallo Software", "Wendal").
QSettings::Format SettingsFormat();
// The settings file ("" on Windows, whose store is the registry). Anything there that is not a
// regular file (a FIFO, a device, a folder) is neither read nor replaced.
std::string SettingsFilePath();
