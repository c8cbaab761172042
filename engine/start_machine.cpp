// Start-up, shutdown and reset, as every front end does them.
#include "core/machine.h"
#include "display/screen_shadow.h"
#include "engine/auto_load.h"
#include "engine/engine.h"
#include "engine/power_on.h"
#include "media/rom.h"
#include "media/tape.h"
#include "peripherals/beeper.h"
#include "peripherals/machine_model.h"

static_assert(uint8_t(SpectrumModel::Spectrum48) == uint8_t(MachineKind::Spectrum48) &&
                  uint8_t(SpectrumModel::Spectrum128) == uint8_t(MachineKind::Spectrum128) &&
                  uint8_t(SpectrumModel::Plus2) == uint8_t(MachineKind::Plus2),
              "the front ends' models are the machine kinds");

const char* ModelName(SpectrumModel model) { return MachineName(MachineKind(model)); }

MachineStarted StartMachine(const std::string& programFolder, bool sound, SpectrumModel model) {
    SetProgramFolder(programFolder);
    MachineStarted started{false, false, std::string()};
    const MachineKind kind = MachineKind(model);
    if (kind == MachineKind::Spectrum48)
        started.romFromFile = PowerOnMachine();
    else if (!SwitchMachine(kind, started.unavailable))
        return started;
    InvalidateScreen();
    started.soundOpen = sound && OpenSound();
    SoundOn = started.soundOpen ? 1 : 0;
    return started;
}

SpectrumModel RunningModel() { return SpectrumModel(CurrentMachine); }

std::string ModelUnavailable(SpectrumModel model) {
    return MachineUnavailableReason(MachineKind(model));
}

bool SwitchModel(SpectrumModel model, std::string& why) {
    if (!SwitchMachine(MachineKind(model), why)) return false;
    CancelAutoLoad();
    InvalidateScreen();
    return true;
}

void StopMachine() {
    CloseSound();
    CloseTape();
}

bool ResetComputer() {
    CancelAutoLoad();
    const bool fromFile = LoadRom();
    ResetHardware();
    return fromFile;
}
