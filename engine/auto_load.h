// Starting a tape in one step: the machine is reset and the loading command is typed on its
// keyboard, as a person would type it after switching on.
#pragma once
#include <cstdint>

#include "engine/engine.h"

// The machines a tape can be started on, each with its own way of starting one. The 48K types
// LOAD "" into its BASIC editor; the 128K and the +2 choose "Tape Loader", the first item of
// their start-up menu.
enum class AutoLoadMachine : uint8_t { Spectrum48, StartUpMenu };
// The way of the machine running.
AutoLoadMachine RunningAutoLoadMachine();

// Resets the machine (processor, paging, sound chip) and types the loading command once the ROM
// has started. A recording is stopped and rewound, and played when the command has been
// entered. LoadMedia calls it once the tape and the ROM are in.
void StartAutoLoad(AutoLoadMachine machine = RunningAutoLoadMachine());
// Stops typing, with the keys released (a snapshot loaded or the machine reset meanwhile).
void CancelAutoLoad();
// Once per frame, after the keyboard scan: presses the keys of the command due in the next frame.
void AutoLoadFrameStep();
