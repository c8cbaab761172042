// The machine a snapshot was made for: checked before anything changes, and switched to just
// before the snapshot's contents go in, as users expect of a file made for another machine.
#pragma once

#include "peripherals/machine_model.h"

// True when `kind` can run here; otherwise LastLoadError says the machine is unavailable.
bool SnapshotMachineAvailable(MachineKind kind);
// Makes `kind` the machine running unless it is already: its memory, its ROMs (LoadRom), and
// the paging and the sound chip's registers as at reset. Only after SnapshotMachineAvailable.
void SwitchToSnapshotMachine(MachineKind kind);
