#include "engine/power_on.h"

#include <cstring>

#include "core/machine.h"
#include "display/render_tables.h"
#include "media/rom.h"
#include "media/tape.h"
#include "peripherals/ay_registers.h"
#include "peripherals/beeper.h"
#include "peripherals/input_state.h"
#include "peripherals/joystick.h"
#include "peripherals/ports.h"

bool PowerOnMachine() {
    BuildRenderTables();
    AllocateMemory();
    FillMemoryAtPowerOn();
    std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
    std::memset(&BorderLog, 0, sizeof BorderLog);
    BeeperLog.count = 0;
    SpeakerLevel = 0;
    EarLevel = 1;
    FlashPhase = 0;
    FlashCounter = 0;
    DetectJoystick();
    const bool fromFile = LoadRom();
    ResetHardware();
    return fromFile;
}

std::string MachineUnavailableReason(MachineKind kind) {
    std::string why = MissingRomsOf(kind);
    if (why.empty() && kind != MachineKind::Spectrum48 && !PreparePagedMemory(why))
        why = "its memory cannot be set up: " + why;
    return why;
}

bool SwitchMachine(MachineKind kind, std::string& why) {
    why = MachineUnavailableReason(kind);
    if (!why.empty()) return false;
    AllocateMemory(); // the 48K's, kept while another machine runs
    if (!SelectMachineMemory(kind, why)) return false;
    PowerOnMachine();
    RetimeTape();
    return true;
}

void ResetHardware() {
    ResetMachine();
    ResetPaging();
    ResetAyRegisters();
}
