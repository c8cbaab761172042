#include "app/recent_files.h"

#include <algorithm>
#include <filesystem>

std::vector<std::string> RecentFiles;

void RememberRecentFile(const std::string& path) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    const std::string name = ec ? path : full.lexically_normal().string();
    RecentFiles.erase(std::remove(RecentFiles.begin(), RecentFiles.end(), name), RecentFiles.end());
    RecentFiles.insert(RecentFiles.begin(), name);
    if (RecentFiles.size() > size_t(RecentFileCount)) RecentFiles.resize(RecentFileCount);
}

void ForgetRecentFile(int index) {
    if (index >= 0 && size_t(index) < RecentFiles.size())
        RecentFiles.erase(RecentFiles.begin() + index);
}

std::string RecentFileMenuText(int index) {
    if (index < 0 || size_t(index) >= RecentFiles.size()) return std::string();
    // A "&" in the name would take the mnemonic: doubled, it shows as itself.
    std::string name;
    for (char c : std::filesystem::path(RecentFiles[size_t(index)]).filename().string()) {
        if (c == '&') name += '&';
        name += c;
    }
    return "&" + std::to_string(index + 1) + " " + name;
}
