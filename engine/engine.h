// How a front end drives the machine: the one engine header the desktop program and the runner
// see. It includes only standard headers; whatever a front end passes in or gets back is
// declared here, and the engine behind it is procedures over its global records.
//
// Start: StartMachine, then SetPixelFormat for the front end's surface.
// A file in: LoadMedia, or LoadMediaBytes for one in memory (a snapshot, tape or recording by
// its name; the loader trap placed).
// Each frame: FrameLoop runs a frame (69888 T-states on the 48K, 70908 on the 128K and the +2)
// and the interrupt; a front end that paces does so here; then FinishFrame draws into a
// FrameTarget whose writer comes from PictureWriter.
// RunFrame does both for a front end that does not pace.
// Files out: SaveFile (a snapshot), SaveScreen: each replaces its file whole or leaves it as it
// was, and FileProblem says why one failed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// ---- Start and end

// The machines, in the order of the setting "Machine".
enum class SpectrumModel : uint8_t { Spectrum48, Spectrum128, Plus2 };
// "48K", "128K" or "+2".
const char* ModelName(SpectrumModel model);

struct MachineStarted {
    bool romFromFile;        // the 48K's "spectrum.rom" beside the program replaced its ROM
    bool soundOpen;          // the sound output opened and the sound is on
    std::string unavailable; // why the model cannot run ("" when it runs): nothing was started
};
// The one start-up: `programFolder` is where a "spectrum.rom" may lie; then the model as it is
// when switched on (render tables, power-on memory, keys released, logs, game controller, ROM,
// processor, paging and sound chip reset) and the whole next frame drawn. With `sound`, the
// sound output is opened and, when it opened, switched on; without, the sound is off.
MachineStarted StartMachine(const std::string& programFolder, bool sound,
                            SpectrumModel model = SpectrumModel::Spectrum48);
// The model running: the one started or chosen, or the one a snapshot opened was made for.
SpectrumModel RunningModel();
// Why the model cannot run here, or "" when it can: its ROMs were missing when the program was
// built, or the system cannot provide its paged memory.
std::string ModelUnavailable(SpectrumModel model);
// Switches to the model and starts it as when switched on (its memory, ROMs, processor, paging
// and sound chip; the whole next frame drawn); an auto-load being typed stops and the tape
// stays in. False, with the reason in `why`, when it cannot run: the machine goes on as it was.
bool SwitchModel(SpectrumModel model, std::string& why);
// Closes the sound output and ejects the tape; safe after a partial start.
void StopMachine();
// The ROM put back in (the loader trap placed for the tape in the recorder) and the processor,
// the paging and the sound chip reset; an auto-load being typed stops. True when the ROM came from
// "spectrum.rom".
bool ResetComputer();

// ---- One frame

using FrameWriter = void (*)(uint8_t* pixels, int32_t pitch);
// Where the frame is drawn: one of the renderer's writers into the caller's buffer. A null
// writer draws nothing.
struct FrameTarget {
    FrameWriter writer;
    uint8_t* pixels;
    int32_t pitch;
};
enum class PictureSize : uint8_t {
    Single,   // 320 x 240
    Double,   // 640 x 480
    Scanline, // 640 x 480, every second row black (the TV look)
};
// The writer for 8, 15, 16, 24 or 32 bits per pixel; null for any other depth and for a
// scanline picture at a depth other than 8.
FrameWriter PictureWriter(int depth, PictureSize size);

// One frame of the machine running (69888 or 70908 T-states) and the interrupt.
void FrameLoop();
// Between FrameLoop and FinishFrame: true when fast loading is `enabled`, a tape is playing in
// real time and the program read port 0xFE as a loader does (far more often than a keyboard
// scan). The front end then runs unpaced and silent.
bool TapeBeingLoaded(bool enabled);
// After FrameLoop (and the front end's pacing): the frame's end, the tape's signal, the flash,
// the sound while it is on (none when `silent`), the joystick, the keyboard scan, the keys of an
// auto-load, then the frame drawn into the target.
void FinishFrame(const FrameTarget& target, bool silent = false);
// FrameLoop, then FinishFrame: one frame for a caller that does no pacing.
void RunFrame(const FrameTarget& target);

// ---- Files in and out

// What LoadMedia reads a file as, by the name's extension (lower or upper case).
enum class FileKind : uint8_t { Unknown, Sna, Z80, Tap, Tzx, Csw, Pzx, Wav, Raw };
FileKind FileKindOf(const char* name);

struct MediaLoaded {
    bool ok;
    bool snapshot;   // a .sna or .z80 went in (the tape was ejected)
    bool tape;       // a tape or recording is in the recorder
    std::string why; // when refused: a short phrase for the user, e.g. "file not found"
};
// Loads a snapshot (.sna, .z80), tape image (.tap), pulse tape (.tzx, .csw, .pzx) or recording
// (.wav, .raw), chosen by the name's extension, then puts the ROM back so that the loader trap is
// placed for a tape and removed otherwise. An auto-load being typed stops; with `autoLoad`, a
// tape then resets the machine and types its loading command. Refused, the machine is as it
// was, and so is the tape, but for a tape or recording refused: the one before is out.
// The path is opened once; only a regular file is read (a FIFO or a folder is refused).
MediaLoaded LoadMedia(const char* path, bool autoLoad);
// The same for the bytes of a file named `name` (its kind from the name), held in memory: they
// are copied, and a tape plays from the copy.
MediaLoaded LoadMediaBytes(const char* name, const uint8_t* bytes, size_t size, bool autoLoad);
// A .sna, or a .z80 (version 3) when the name ends so; the tape is then ejected.
bool SaveFile(const char* path);
// The 6912 bytes of the screen the display shows.
bool SaveScreenMemory(const char* path);
// The frame as a PNG, 320 x 240 times `scale` (1 to 4).
bool SaveScreenPicture(const char* path, int scale);
// By the name: ".scr"/".SCR" the screen memory, anything else a PNG at `scale`.
bool SaveScreen(const char* path, int scale);
// Why the last file written failed, as the system reports it; "" when not known.
const char* FileProblem();
// The text on the screen, row by row, as the ROM's characters spell it.
std::string ScreenText();

// ---- Memory

uint8_t PeekMemory(uint16_t address);
// Directly into memory: the ROM area too.
void PokeMemory(uint16_t address, uint8_t value);

// ---- The tape recorder

enum class TapeSort : uint8_t {
    None,      // the recorder is empty
    Image,     // a .tap, read block by block through the loader trap
    Recording, // a .wav or .raw, played in real time at RecordingRate
    Pulses,    // a .tzx, .csw or .pzx played as pulses
};
struct TapeStatus {
    TapeSort sort;
    bool playing;
    int permille;           // how far it has been read, 0 to 1000
    uint32_t stops;         // times a pulse tape stopped at a block it cannot play, since start-up
    const char* stopReason; // why the last one stopped
};
TapeStatus CurrentTapeStatus();
void PlayTape();
void StopTape();
void RewindTape();
void CloseTape(); // eject
// A recording's sampling rate: 11025, 22050 or 44100 Hz (a .wav header sets its own). A rate set
// is taken by the next recording loaded, or by the one in the recorder at ApplyRecordingRate.
uint32_t RecordingRate();
void SetRecordingRate(uint32_t hz);
void ApplyRecordingRate();
// From StartAutoLoad (inside LoadMedia) until the loading command has been typed.
bool AutoLoadTyping();

// ---- Inputs and sound
// The keys themselves come through the platform's keyboard service.

// The PC key that presses a Spectrum key named as on its keycap: "A".."Z", "0".."9", "ENTER",
// "SPACE", "CS" (CAPS SHIFT) or "SS" (SYMBOL SHIFT). -1 for any other name.
int VirtualKeyOfSpectrumKey(const char* name);

// Looks for the game controller: none sets the PC joystick to none; one found while it is none
// makes it Kempston.
void DetectJoystick();
bool SoundIsOn();
void SetSoundOn(bool on);
// Opens the wave output with the "Sound Buffers" blocks; closes one still open first.
bool OpenSound();
void CloseSound();
// Frames whose sound found every block still playing.
uint32_t DroppedSoundFrames();

// ---- The settings the engine owns, each a byte under the name it is stored with

enum class EngineSetting : uint8_t {
    Volume,       // "Volume", 0-63
    TapeVolume,   // "Tape Volume", 0-63
    SoundBuffers, // "Sound Buffers", 1-50 blocks of 20 ms
    ScreenMode,   // "Screen Mode", one of the screen modes below
    Tv,           // "TV": fullscreen leaves every second row black
    SpeedDisplay, // "Speed Display": the read-out drawn into the bottom right corner
    PcJoystick,   // "PC Joystick": 0 none, 1 Cursor, 2 Kempston
    KeybJoystick, // "Keyb Joystick": 1 Cursor, 2 Kempston
    AyStereo,     // "AY Stereo": the 128K's sound chip in 0 mono, 1 stereo A-B-C, 2 A-C-B
};
uint8_t GetEngineSetting(EngineSetting setting);
void SetEngineSetting(EngineSetting setting, uint8_t value);

// ---- The display

// The screen modes ("Screen Mode"). The window modes size the window to the 320 x 240 picture
// at a whole-number scale; fullscreen is 640 x 480 at 8 bits.
constexpr uint8_t ScreenWindow = 1;
constexpr uint8_t ScreenDoubleWindow = 2;
constexpr uint8_t ScreenFullscreen = 3;
constexpr uint8_t ScreenTripleWindow = 4;
constexpr uint8_t ScreenQuadWindow = 5;
// The scale a window mode opens its window at: 1 to 4; 0 for fullscreen or an unknown mode.
int WindowModeScale(uint8_t mode);

// The surface's pixels: an 8-bit palette from `paletteBase` (colour i at paletteBase + i), or
// the channel masks of a direct-colour format.
struct PixelFormat {
    int depth; // 8, 15, 16, 24 or 32
    int paletteBase;
    uint32_t redMask, greenMask, blueMask;
};
// Builds the colour map for the format; the whole next frame is drawn.
void SetPixelFormat(const PixelFormat& format);
// The pixel value of Spectrum colour 0-15 in the format set.
uint32_t ColourPixel(int colour);
// The next frame is drawn whole.
void InvalidateScreen();
