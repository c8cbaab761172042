#include "app/title.h"

#include <filesystem>

#include "app/run_state.h"
#include "app/window_services.h"
#include "engine/engine.h"

std::string TitleName;
bool ProgramActive;

void ResetSpectrum() {
    const bool fromFile = ResetComputer();
    if (CurrentTapeStatus().sort == TapeSort::None) TitleName = fromFile ? "Disk ROM" : "ROM";
}

std::string TitleText() {
    std::string title = TitleName;
    if (RunningModel() != SpectrumModel::Spectrum48)
        title += std::string(" (") + ModelName(RunningModel()) + ")";
    title += " - Wendal";
    if ((!AppActive.load() && !ProgramActive) || UserPaused.load()) title += " [Paused]";
    return title;
}

void UpdateTitle() { SetWindowTitleText(TitleText()); }

std::string FileTitle(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}
