#include "peripherals/machine_model.h"

#include "core/machine.h"
#include "platform/paged_memory.h"

MachineKind CurrentMachine = MachineKind::Spectrum48;
uint8_t PagingPort = 0;

namespace {

// The shared pages: RAM 0-7, then ROM 0 and ROM 1.
constexpr int RomPageBase = RamPageCount;
constexpr int PageCount = RamPageCount + 2;

PagedMemory Pages;
uint8_t* FlatMemory;              // the 48K's 64 KB
int ShownRom = -1, ShownRam = -1; // what the window's first and last quarters show

void ShowRom(int rom) {
    if (rom != ShownRom) ShowPage(Pages, 0, RomPageBase + rom);
    ShownRom = rom;
}
void ShowRam(int page) {
    if (page != ShownRam) ShowPage(Pages, 3, page);
    ShownRam = page;
}

} // namespace

const char* MachineName(MachineKind kind) {
    switch (kind) {
    case MachineKind::Spectrum48: return "48K";
    case MachineKind::Spectrum128: return "128K";
    case MachineKind::Plus2: return "+2";
    }
    return "48K";
}

uint32_t MachineClockHz() { return IsPagedMachine() ? 3546900 : 3500000; }

bool PreparePagedMemory(std::string& why) {
    if (Pages.window) return true;
    if (!CreatePagedMemory(Pages, PageCount, why)) return false;
    ShowPage(Pages, 1, 5); // 0x4000 and 0x8000 never change
    ShowPage(Pages, 2, 2);
    return true;
}

bool SelectMachineMemory(MachineKind kind, std::string& why) {
    if (!FlatMemory) FlatMemory = Machine.memory;
    if (kind != MachineKind::Spectrum48 && !PreparePagedMemory(why)) return false;
    CurrentMachine = kind;
    if (kind == MachineKind::Spectrum48) {
        Machine.memory = FlatMemory;
        MachineFrameTStates = FrameTStates;
        PagingPort = 0;
        return true;
    }
    Machine.memory = Pages.window;
    MachineFrameTStates = FrameTStates128;
    ResetPaging();
    return true;
}

void WritePagingPort(uint8_t value) {
    if (!IsPagedMachine() || (PagingPort & PagingLockBit)) return;
    PagingPort = value;
    ShowRom(value & PagingRomBit ? 1 : 0);
    ShowRam(value & PagingRamBits);
}

void ResetPaging() {
    PagingPort = 0;
    if (!IsPagedMachine()) return;
    ShowRom(0);
    ShowRam(0);
}

uint8_t* RamPage(int page) {
    return IsPagedMachine() ? Pages.pages + size_t(page) * MemoryPageBytes : nullptr;
}
uint8_t* RomPage(int rom) { return IsPagedMachine() ? RamPage(RomPageBase + rom) : nullptr; }

const uint8_t* ScreenMemory() {
    if (!IsPagedMachine()) return Machine.memory + 0x4000;
    return RamPage(PagingPort & PagingScreenBit ? 7 : 5);
}

const uint8_t* BasicRom() { return IsPagedMachine() ? RomPage(1) : Machine.memory; }
