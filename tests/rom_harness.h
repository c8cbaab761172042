// Whole-machine helpers: the built-in ROM booted in a clean machine, frames run, keys pressed.
#pragma once
#include <cstring>
#include <sstream>
#include <string>

#include "core/machine.h"
#include "display/screen_text.h"
#include "engine/frame_sequence.h"
#include "engine/power_on.h"
#include "media/builtin_rom.h"
#include "peripherals/input_state.h"
#include "peripherals/keyboard.h"
#include "peripherals/ports.h"
#include "platform/headless/headless.h"

// Runs n frames with the end-of-frame work the main loop does (nothing is drawn).
inline void RunFrames(int n) {
    for (int i = 0; i < n; ++i) RunFrame(FrameTarget{});
}

// Switched on as a front end starts it, then run past the ROM's start-up.
inline void BootRom(int frames = 200) {
    HeadlessReleaseAllKeys();
    PowerOnMachine();
    RunFrames(frames);
}

// The machine `kind` switched on, with the reason when it cannot run (its ROMs or its memory
// missing); the 48K again when the object goes, for the tests that follow.
struct MachineSwitch {
    std::string unavailable;
    explicit MachineSwitch(MachineKind kind) {
        HeadlessReleaseAllKeys();
        if (!SwitchMachine(kind, unavailable) && unavailable.empty()) unavailable = "?";
    }
    ~MachineSwitch() {
        std::string why;
        SwitchMachine(MachineKind::Spectrum48, why);
    }
};
#define SKIP_WITHOUT(machineSwitch)                                                                \
    do {                                                                                           \
        if (!(machineSwitch).unavailable.empty()) { GTEST_SKIP() << (machineSwitch).unavailable; } \
    } while (0)

// Types space-separated chords such as "J SS+P SS+P ENTER" on the PC keyboard: each held 4
// frames, released 4.
inline bool TypeKeys(const std::string& chords, int holdFrames = 4) {
    std::istringstream in(chords);
    std::string chord;
    while (in >> chord) {
        std::stringstream parts(chord);
        std::string key;
        while (std::getline(parts, key, '+')) {
            int vk = VirtualKeyOfSpectrumKey(key.c_str());
            if (vk < 0) return false;
            HeadlessKeyDown(uint8_t(vk), true);
        }
        ScanKeyboard(); // the first held frame sees the keys
        RunFrames(holdFrames);
        HeadlessReleaseAllKeys();
        ScanKeyboard();
        RunFrames(holdFrames);
    }
    return true;
}
