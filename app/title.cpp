#include "app/title.h"

#include <filesystem>

#include "app/run_state.h"
#include "app/window_services.h"
#include "core/machine.h"
#include "media/rom.h"
#include "media/tape.h"

std::string TitleName;
bool ProgramActive;

void ResetSpectrum() {
    const bool fromFile = LoadRom();
    if (!CurrentTape) TitleName = fromFile ? "Disk ROM" : "ROM";
    ResetMachine();
}

std::string TitleText() {
    std::string title = TitleName + " - Wendal";
    if ((!AppActive.load() && !ProgramActive) || UserPaused.load()) title += " [Paused]";
    return title;
}

void UpdateTitle() { SetWindowTitleText(TitleText()); }

std::string FileTitle(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}
