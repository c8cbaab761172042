// The ULA port 0xFE and the Kempston port 0x1F, the 128K machines' paging and sound chip
// ports, and the per-frame logs that OUT fills.
#pragma once
#include <cstdint>

#include "core/io_bus.h"
#include "core/machine.h"

constexpr int BorderBands = 240;        // a frame's border is 240 bands (291.2 T-states on the 48K)
constexpr int BeeperLogCapacity = 8192; // a frame holds fewer than 6400 OUTs

struct BorderRecord {
    uint8_t bands[BorderBands]; // colour 0-7 of each band, band 0 at the top
    uint8_t colour;             // colour in force; carries over between frames
    int32_t nextBand;           // first band not yet filled this frame
};

struct BeeperRecord {
    uint16_t count;                     // events this frame
    uint32_t tstate[BeeperLogCapacity]; // Machine.tstates at each write to 0xFE
    uint8_t level[BeeperLogCapacity];   // bit 4 of the value written, as 0 or 1
};

extern BorderRecord BorderLog;
extern BeeperRecord BeeperLog;
extern uint8_t EarLevel;     // what bit 6 of port 0xFE reads; 1 at start
extern uint8_t FlashPhase;   // 1 while flashing cells show ink and paper exchanged
extern uint8_t FlashCounter; // frames since FlashPhase last changed, 0-11
// Reads of port 0xFE (the keyboard and the EAR input) in the frame running, until FrameEnd: a
// tape loader reads it over a thousand times a frame, a keyboard scan a few times.
extern uint32_t UlaReads;

// Band of a T-state count, limited to 240 for the last instruction's overshoot.
inline int BorderBandOf(uint32_t t) {
    uint32_t band = t * 240u / MachineFrameTStates;
    return band > 240u ? 240 : int(band);
}

// Once after every frame: closes the border log, restarts the count of port 0xFE reads and runs
// the flash timer.
void FrameEnd();
