// The files opened last, newest first, as the File menu lists them.
#pragma once
#include <string>
#include <vector>

constexpr int RecentFileCount = 8;
extern std::vector<std::string> RecentFiles; // full paths, newest first, at most eight

// Puts a file that has just loaded at the head of the list: its full path, once, the oldest
// dropped past eight.
void RememberRecentFile(const std::string& path);
// Takes entry `index` (0 is the newest) off the list; nothing for an index past its end.
void ForgetRecentFile(int index);
// The menu's text for entry `index`: "&1 " and the file's name, its digit the menu's key.
std::string RecentFileMenuText(int index);
