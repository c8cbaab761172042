// How a front end (the desktop program, wendal-run, the tests and benchmarks) drives the machine.
//
// Start: SetProgramFolder (so that a "spectrum.rom" beside the program is found), then
// PowerOnMachine. The front end sets up its own display (ColourMap: depth, palette or masks,
// BuildColourMap, InvalidateScreen) and, if it plays sound, OpenSound with SoundOn = 1.
//
// A file in: LoadFile (by extension: .sna/.z80 snapshot, .tap/.tzx/.csw/.pzx tape or recording),
// then on success LoadRom to place or remove the loader trap; for a tape, StartAutoLoad to reset
// the machine and type its loading command.
//
// Each frame: FrameLoop runs 69888 T-states and the interrupt; the desktop paces here; then
// FinishFrame draws into a FrameTarget whose writer comes from WriterFor. RunFrame does both for
// a front end that does not pace.
//
// Files out: SaveFile (a snapshot), SaveFramePng (the frame as a PNG), ReplaceFileWith (any
// bytes, e.g. the screen memory): each replaces its file whole or leaves it as it was.
#pragma once

#include "core/machine.h"
#include "display/colour_map.h"
#include "display/screen_shadow.h"
#include "display/writer_table.h"
#include "engine/auto_load.h"
#include "engine/fast_loading.h"
#include "engine/frame_sequence.h"
#include "engine/open_media.h"
#include "engine/power_on.h"
#include "media/frame_png.h"
#include "media/load_file.h"
#include "media/rom.h"
#include "peripherals/beeper.h"
#include "platform/file_replacement.h"
