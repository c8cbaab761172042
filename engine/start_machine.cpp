// Start-up, shutdown and reset, as every front end does them.
#include "core/machine.h"
#include "display/screen_shadow.h"
#include "engine/auto_load.h"
#include "engine/engine.h"
#include "engine/power_on.h"
#include "media/rom.h"
#include "media/tape.h"
#include "peripherals/beeper.h"

MachineStarted StartMachine(const std::string& programFolder, bool sound) {
    SetProgramFolder(programFolder);
    MachineStarted started{PowerOnMachine(), false};
    InvalidateScreen();
    started.soundOpen = sound && OpenSound();
    SoundOn = started.soundOpen ? 1 : 0;
    return started;
}

void StopMachine() {
    CloseSound();
    CloseTape();
}

bool ResetComputer() {
    CancelAutoLoad();
    const bool fromFile = LoadRom();
    ResetMachine();
    return fromFile;
}
