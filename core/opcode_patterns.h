// One small procedure per opcode pattern of the unprefixed Z80 set, written once for HL and for
// the index registers. Each runs after the opcode fetch (FetchOpcode) has advanced PC, counted R
// and charged the opcode's MainCycles entry; a procedure adds only the T-states that entry does
// not hold (taken branches, indexed memory operands). PC, the T-state count and memory are the
// caller's HotState; the registers are Machine's.
//
// Template operands, as in the Z80 encoding:
//   X    which register stands where the encoding says HL: 0 HL (unprefixed), 1 IX (after DD),
//        2 IY (after FD). Under a prefix H and L name the index register's high and low byte
//        (XH, XL) and (HL) becomes (X+d), except beside (X+d) itself, where H and L stay H and L.
//   R, D, S   8-bit register field: 0 B, 1 C, 2 D, 3 E, 4 H, 5 L, 7 A (6, memory, has its own
//        procedures). D is a destination, S a source.
//   P    16-bit pair field: 0 BC, 1 DE, 2 HL (or X), 3 SP; for PUSH and POP 3 means AF.
//   Cc   condition field: 0 NZ, 1 Z, 2 NC, 3 C, 4 PO, 5 PE, 6 P, 7 M.
//   Op   accumulator operation: 0 ADD, 1 ADC, 2 SUB, 3 SBC, 4 AND, 5 XOR, 6 OR, 7 CP.
#pragma once
#include <cstdint>

#include "core/alu.h"
#include "core/hot_state.h"
#include "core/instruction_sets.h"
#include "core/io_bus.h"
#include "core/machine.h"

enum : int { RegB = 0, RegC, RegD, RegE, RegH, RegL, RegA = 7 };
enum : int { PairBC = 0, PairDE, PairHL, PairSP, PairAF = 3 };
enum : int { CondNZ = 0, CondZ, CondNC, CondC, CondPO, CondPE, CondP, CondM };
enum : int { OpAdd = 0, OpAdc, OpSub, OpSbc, OpAnd, OpXor, OpOr, OpCp };

// ---- Operand access ---------------------------------------------------------------------------

template <int X> CORE_INLINE uint16_t GetX() {
    if constexpr (X == 0)
        return Machine.HL();
    else if constexpr (X == 1)
        return Machine.ix;
    else
        return Machine.iy;
}
template <int X> CORE_INLINE void SetX(uint16_t v) {
    if constexpr (X == 0)
        Machine.SetHL(v);
    else if constexpr (X == 1)
        Machine.ix = v;
    else
        Machine.iy = v;
}

template <int X, int R> CORE_INLINE uint8_t Get8() {
    static_assert(R >= 0 && R <= 7 && R != 6, "memory operands have their own procedures");
    if constexpr (R == RegB)
        return Machine.b;
    else if constexpr (R == RegC)
        return Machine.c;
    else if constexpr (R == RegD)
        return Machine.d;
    else if constexpr (R == RegE)
        return Machine.e;
    else if constexpr (R == RegH)
        return uint8_t(GetX<X>() >> 8);
    else if constexpr (R == RegL)
        return uint8_t(GetX<X>());
    else
        return Machine.a;
}
template <int X, int R> CORE_INLINE void Set8(uint8_t v) {
    static_assert(R >= 0 && R <= 7 && R != 6, "memory operands have their own procedures");
    if constexpr (R == RegB)
        Machine.b = v;
    else if constexpr (R == RegC)
        Machine.c = v;
    else if constexpr (R == RegD)
        Machine.d = v;
    else if constexpr (R == RegE)
        Machine.e = v;
    else if constexpr (X == 0 && R == RegH)
        Machine.h = v;
    else if constexpr (X == 0 && R == RegL)
        Machine.l = v;
    else if constexpr (R == RegH)
        SetX<X>(uint16_t((GetX<X>() & 0x00FF) | v << 8));
    else if constexpr (R == RegL)
        SetX<X>(uint16_t((GetX<X>() & 0xFF00) | v));
    else
        Machine.a = v;
}

template <int X, int P> CORE_INLINE uint16_t Get16() {
    if constexpr (P == PairBC)
        return Machine.BC();
    else if constexpr (P == PairDE)
        return Machine.DE();
    else if constexpr (P == PairHL)
        return GetX<X>();
    else
        return Machine.sp;
}
template <int X, int P> CORE_INLINE void Set16(uint16_t v) {
    if constexpr (P == PairBC)
        Machine.SetBC(v);
    else if constexpr (P == PairDE)
        Machine.SetDE(v);
    else if constexpr (P == PairHL)
        SetX<X>(v);
    else
        Machine.sp = v;
}

// Address of the memory operand: HL, or X plus the signed displacement byte at PC. The indexed
// form costs `extra` T-states more than the unprefixed one (8, or 5 for LD (X+d),n).
template <int X> CORE_INLINE uint16_t MemAddr(HotState& hot, unsigned extra = 8) {
    if constexpr (X == 0) {
        return Machine.HL();
    } else {
        int8_t d = int8_t(FetchByte(hot));
        hot.tstates += extra;
        return uint16_t(GetX<X>() + d);
    }
}

template <int Cc> CORE_INLINE bool Condition() {
    constexpr uint8_t masks[4] = {FlagZ, FlagC, FlagPV, FlagS};
    bool set = Machine.f & masks[Cc >> 1];
    return (Cc & 1) ? set : !set;
}

// ---- 8-bit loads (F unchanged) ----------------------------------------------------------------

template <int X, int D, int S> CORE_INLINE void LdRR() { Set8<X, D>(Get8<X, S>()); }
template <int X, int D> CORE_INLINE void LdRN(HotState& hot) { Set8<X, D>(FetchByte(hot)); }
// The register beside a memory operand is always the real one: LD H,(IX+d) loads H.
template <int X, int D> CORE_INLINE void LdRMem(HotState& hot) {
    Set8<0, D>(ReadByte(hot, MemAddr<X>(hot)));
}
template <int X, int S> CORE_INLINE void LdMemR(HotState& hot) {
    WriteByte(hot, MemAddr<X>(hot), Get8<0, S>());
}
template <int X> CORE_INLINE void LdMemN(HotState& hot) {
    uint16_t addr = MemAddr<X>(hot, 5); // the displacement comes before n
    WriteByte(hot, addr, FetchByte(hot));
}
template <int P> CORE_INLINE void LdAMemRr(HotState& hot) {
    Machine.a = ReadByte(hot, Get16<0, P>());
}
template <int P> CORE_INLINE void LdMemRrA(HotState& hot) {
    WriteByte(hot, Get16<0, P>(), Machine.a);
}
CORE_INLINE void LdAMemNn(HotState& hot) { Machine.a = ReadByte(hot, FetchWord(hot)); }
CORE_INLINE void LdMemNnA(HotState& hot) { WriteByte(hot, FetchWord(hot), Machine.a); }

// ---- 16-bit loads and stack (F unchanged, except POP AF) --------------------------------------

template <int X, int P> CORE_INLINE void LdRrNn(HotState& hot) { Set16<X, P>(FetchWord(hot)); }
template <int X> CORE_INLINE void LdXMemNn(HotState& hot) {
    SetX<X>(ReadWord(hot, FetchWord(hot)));
}
template <int X> CORE_INLINE void LdMemNnX(HotState& hot) {
    WriteWord(hot, FetchWord(hot), GetX<X>());
}
template <int X> CORE_INLINE void LdSpX() { Machine.sp = GetX<X>(); }
template <int X, int P> CORE_INLINE void PushRr(HotState& hot) {
    if constexpr (P == PairAF)
        Push(hot, Machine.AF());
    else
        Push(hot, Get16<X, P>());
}
template <int X, int P> CORE_INLINE void PopRr(HotState& hot) {
    if constexpr (P == PairAF)
        Machine.SetAF(Pop(hot));
    else
        Set16<X, P>(Pop(hot));
}
// The low byte is exchanged with the byte at SP, the high byte with the byte at SP + 1.
template <int X> CORE_INLINE void ExSpX(HotState& hot) {
    uint16_t v = ReadWord(hot, Machine.sp), x = GetX<X>();
    WriteWord(hot, Machine.sp, x);
    SetX<X>(v);
}
CORE_INLINE void ExDeHl() {
    uint16_t de = Machine.DE();
    Machine.SetDE(Machine.HL());
    Machine.SetHL(de);
}
CORE_INLINE void ExAfAf() {
    uint16_t af = Machine.AF();
    Machine.SetAF(Machine.AFAlt());
    Machine.SetAFAlt(af);
}
CORE_INLINE void Exx() {
    uint16_t bc = Machine.BC(), de = Machine.DE(), hl = Machine.HL();
    Machine.SetBC(Machine.BCAlt()), Machine.SetDE(Machine.DEAlt()), Machine.SetHL(Machine.HLAlt());
    Machine.SetBCAlt(bc), Machine.SetDEAlt(de), Machine.SetHLAlt(hl);
}

// ---- 8-bit arithmetic and logic ---------------------------------------------------------------

template <int X, int Op, int S> CORE_INLINE void AluR() { Alu8(Op, Get8<X, S>()); }
template <int X, int Op> CORE_INLINE void AluMem(HotState& hot) {
    Alu8(Op, ReadByte(hot, MemAddr<X>(hot)));
}
template <int Op> CORE_INLINE void AluN(HotState& hot) { Alu8(Op, FetchByte(hot)); }
template <int X, int R> CORE_INLINE void IncR() { Set8<X, R>(Inc8(Get8<X, R>())); }
template <int X, int R> CORE_INLINE void DecR() { Set8<X, R>(Dec8(Get8<X, R>())); }
// The flags come from the result even when the ROM discards the write.
template <int X> CORE_INLINE void IncMem(HotState& hot) {
    uint16_t addr = MemAddr<X>(hot);
    WriteByte(hot, addr, Inc8(ReadByte(hot, addr)));
}
template <int X> CORE_INLINE void DecMem(HotState& hot) {
    uint16_t addr = MemAddr<X>(hot);
    WriteByte(hot, addr, Dec8(ReadByte(hot, addr)));
}

// ---- 16-bit arithmetic ------------------------------------------------------------------------

template <int X, int P> CORE_INLINE void AddXRr() { SetX<X>(Add16(GetX<X>(), Get16<X, P>())); }
template <int X, int P> CORE_INLINE void IncRr() { Set16<X, P>(uint16_t(Get16<X, P>() + 1)); }
template <int X, int P> CORE_INLINE void DecRr() { Set16<X, P>(uint16_t(Get16<X, P>() - 1)); }

// ---- Jumps, calls and returns -----------------------------------------------------------------

CORE_INLINE void JumpRelative(HotState& hot) {
    int8_t e = int8_t(FetchByte(hot));
    hot.pc = uint16_t(hot.pc + e);
}
CORE_INLINE void Jr(HotState& hot) { JumpRelative(hot); }
template <int Cc> CORE_INLINE void JrCc(HotState& hot) {
    if (Condition<Cc>()) {
        JumpRelative(hot);
        hot.tstates += 5;
    } else {
        ++hot.pc;
    }
}
CORE_INLINE void Djnz(HotState& hot) {
    if (--Machine.b) {
        JumpRelative(hot);
        hot.tstates += 5;
    } else {
        ++hot.pc;
    }
}
CORE_INLINE void Jp(HotState& hot) { hot.pc = ReadWord(hot, hot.pc); }
template <int Cc> CORE_INLINE void JpCc(HotState& hot) {
    if (Condition<Cc>())
        hot.pc = ReadWord(hot, hot.pc);
    else
        hot.pc += 2;
}
template <int X> CORE_INLINE void JpX(HotState& hot) { hot.pc = GetX<X>(); }
CORE_INLINE void Call(HotState& hot) {
    uint16_t target = FetchWord(hot);
    Push(hot, hot.pc);
    hot.pc = target;
}
template <int Cc> CORE_INLINE void CallCc(HotState& hot) {
    if (Condition<Cc>()) {
        Call(hot);
        hot.tstates += 7;
    } else {
        hot.pc += 2;
    }
}
CORE_INLINE void Ret(HotState& hot) { hot.pc = Pop(hot); }
template <int Cc> CORE_INLINE void RetCc(HotState& hot) {
    if (Condition<Cc>()) {
        hot.pc = Pop(hot);
        hot.tstates += 6;
    }
}
template <uint16_t Target> CORE_INLINE void Rst(HotState& hot) {
    Push(hot, hot.pc);
    hot.pc = Target;
}

// ---- Input, output and processor control ------------------------------------------------------

// OUT (n),A and IN A,(n) put A on the high byte of the port address. The port handlers read
// the T-state count from Machine.
CORE_INLINE void OutNA(HotState& hot) {
    uint8_t port = FetchByte(hot);
    StoreHot(hot);
    PortWrite(uint16_t(Machine.a << 8 | port), Machine.a);
}
CORE_INLINE void InAN(HotState& hot) {
    uint8_t port = FetchByte(hot);
    StoreHot(hot);
    Machine.a = PortRead(port, Machine.a);
}
CORE_INLINE void Di() { Machine.interruptState &= ModeBits; }
// Takes effect at the next frame check; there is no one-instruction delay.
CORE_INLINE void Ei() { Machine.interruptState |= Iff1Bit; }
// PC stays past the HALT. Until an interrupt is accepted nothing else runs, so the idle steps
// up to the frame end are taken at once; a HALT that ends past it idles from the next frame.
CORE_INLINE void Halt(HotState& hot) {
    Machine.halted = 1;
    const uint32_t frameEnd = MachineFrameTStates;
    if (hot.tstates <= frameEnd) hot.tstates = IdleThroughFrameEnd(hot.tstates, frameEnd);
}
// Instruction sets that work on Machine itself: PC and the time go there first and come back.
template <typename Set> CORE_INLINE void RunOnMachine(HotState& hot, Set set) {
    StoreHot(hot);
    set();
    hot = LoadHot();
}
