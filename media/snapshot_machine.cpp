#include "media/snapshot_machine.h"

#include <string>

#include "media/load_error.h"
#include "media/rom.h"
#include "media/tape.h"
#include "peripherals/ay_registers.h"

bool SnapshotMachineAvailable(MachineKind kind) {
    std::string why;
    if (*MissingRomsOf(kind) || (kind != MachineKind::Spectrum48 && !PreparePagedMemory(why))) {
        LastLoadError = LoadError::MachineUnavailable;
        return false;
    }
    return true;
}

void SwitchToSnapshotMachine(MachineKind kind) {
    if (kind == CurrentMachine) return;
    std::string why;
    SelectMachineMemory(kind, why); // cannot fail once the memory is prepared
    LoadRom();
    RetimeTape();
    ResetPaging();
    ResetAyRegisters();
}
