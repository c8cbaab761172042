// The one emulated machine: Z80 register file, 64 KB address space, frame time.
#pragma once
#include <cstdint>

// Forced inlining for the procedures the instruction dispatch is built from: left to its size
// heuristics the compiler keeps some of them as calls inside a switch this large.
#define CORE_INLINE [[gnu::always_inline]] inline

// Flag bits of F.
enum : uint8_t {
    FlagC = 0x01,
    FlagN = 0x02,
    FlagPV = 0x04,
    Flag3 = 0x08, // undocumented; never produced by a flag computation
    FlagH = 0x10,
    Flag5 = 0x20, // undocumented; never produced by a flag computation
    FlagZ = 0x40,
    FlagS = 0x80,
};

constexpr uint32_t FrameTStates = 69888;    // the 48K's frame: 312 lines of 224 T-states
constexpr uint32_t FrameTStates128 = 70908; // the 128K's and the +2's: 311 lines of 228
constexpr uint16_t RomSize = 0x4000;        // writes below this address are discarded
constexpr uint8_t Iff1Bit = 0x80;           // IFF1 in interruptState
constexpr uint8_t ModeBits = 0x03;          // interrupt mode code in interruptState

// Register pairs are consecutive bytes, low register first, so the record's layout is the
// little-endian word view of each pair. The word accessors compose the bytes (no type punning).
struct MachineRecord {
    uint8_t f, a, c, b, e, d, l, h;
    uint8_t fAlt, aAlt, cAlt, bAlt, eAlt, dAlt, lAlt, hAlt;
    uint16_t ix, iy, pc, sp;
    uint8_t i;
    uint8_t interruptState; // bit 7 IFF1, bits 0-1 mode code; there is no IFF2
    uint8_t r;
    uint8_t opcode;      // last opcode byte fetched (the CB sets store their operation byte here)
    uint8_t* memory;     // 65536 bytes
    uint8_t frameDone;   // set when the frame has ended
    uint8_t halted;      // 1 after HALT until an interrupt is accepted
    uint32_t tstates;    // T-states elapsed in the current frame
    uint8_t indexPrefix; // 0 none, 1 DD (IX) pending, 2 FD (IY) pending

    uint16_t AF() const { return uint16_t(a << 8 | f); }
    uint16_t BC() const { return uint16_t(b << 8 | c); }
    uint16_t DE() const { return uint16_t(d << 8 | e); }
    uint16_t HL() const { return uint16_t(h << 8 | l); }
    void SetAF(uint16_t v) { f = uint8_t(v), a = uint8_t(v >> 8); }
    void SetBC(uint16_t v) { c = uint8_t(v), b = uint8_t(v >> 8); }
    void SetDE(uint16_t v) { e = uint8_t(v), d = uint8_t(v >> 8); }
    void SetHL(uint16_t v) { l = uint8_t(v), h = uint8_t(v >> 8); }
    uint16_t AFAlt() const { return uint16_t(aAlt << 8 | fAlt); }
    uint16_t BCAlt() const { return uint16_t(bAlt << 8 | cAlt); }
    uint16_t DEAlt() const { return uint16_t(dAlt << 8 | eAlt); }
    uint16_t HLAlt() const { return uint16_t(hAlt << 8 | lAlt); }
    void SetAFAlt(uint16_t v) { fAlt = uint8_t(v), aAlt = uint8_t(v >> 8); }
    void SetBCAlt(uint16_t v) { cAlt = uint8_t(v), bAlt = uint8_t(v >> 8); }
    void SetDEAlt(uint16_t v) { eAlt = uint8_t(v), dAlt = uint8_t(v >> 8); }
    void SetHLAlt(uint16_t v) { lAlt = uint8_t(v), hAlt = uint8_t(v >> 8); }

    bool Iff1() const { return interruptState & Iff1Bit; }
    uint8_t InterruptMode() const { return interruptState & ModeBits; }
};

extern MachineRecord Machine;
// The frame of the machine running: FrameTStates or FrameTStates128.
extern uint32_t MachineFrameTStates;

// Allocates the 64 KB address space once; the memory is kept for the whole run.
void AllocateMemory();
// Power-on processor state. R and memory are left as they are.
void ResetMachine();
// Runs instructions until one frame of MachineFrameTStates has passed, then delivers the
// interrupt.
void FrameLoop();

// ---- Memory access as instructions see it ----------------------------------------------------

inline uint8_t ReadByte(uint16_t addr) { return Machine.memory[addr]; }
inline uint16_t ReadWord(uint16_t addr) {
    return uint16_t(Machine.memory[addr] | Machine.memory[uint16_t(addr + 1)] << 8);
}
// Every byte an instruction writes goes through here: the ROM area ignores writes.
inline void WriteByte(uint16_t addr, uint8_t v) {
    if (addr >= RomSize) Machine.memory[addr] = v;
}
inline void WriteWord(uint16_t addr, uint16_t v) {
    WriteByte(addr, uint8_t(v));
    WriteByte(uint16_t(addr + 1), uint8_t(v >> 8));
}
// Operand bytes at PC.
inline uint8_t FetchByte() { return Machine.memory[Machine.pc++]; }
inline uint16_t FetchWord() {
    uint16_t v = ReadWord(Machine.pc);
    Machine.pc += 2;
    return v;
}
// High byte first at SP-1, then low byte at SP-2.
inline void Push(uint16_t v) {
    WriteByte(--Machine.sp, uint8_t(v >> 8));
    WriteByte(--Machine.sp, uint8_t(v));
}
inline uint16_t Pop() {
    uint16_t v = ReadWord(Machine.sp);
    Machine.sp += 2;
    return v;
}
// R counts opcode fetches in its low seven bits; bit 7 is only ever loaded.
inline void CountR() { Machine.r = uint8_t((Machine.r & 0x80) | ((Machine.r + 1) & 0x7F)); }
