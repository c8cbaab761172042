// One small procedure per opcode pattern of the unprefixed Z80 set, written once for HL and for
// the index registers. Each runs after FrameLoop has fetched the opcode, advanced PC, counted R
// and charged the opcode's MainCycles entry; a procedure adds only the T-states that entry does
// not hold (taken branches, indexed memory operands).
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
#include "core/instruction_sets.h"
#include "core/io_bus.h"
#include "core/machine.h"

enum : int { RegB = 0, RegC, RegD, RegE, RegH, RegL, RegA = 7 };
enum : int { PairBC = 0, PairDE, PairHL, PairSP, PairAF = 3 };
enum : int { CondNZ = 0, CondZ, CondNC, CondC, CondPO, CondPE, CondP, CondM };
enum : int { OpAdd = 0, OpAdc, OpSub, OpSbc, OpAnd, OpXor, OpOr, OpCp };

// ---- Operand access ---------------------------------------------------------------------------

template <int X> inline uint16_t GetX() {
    if constexpr (X == 0)
        return Machine.HL();
    else if constexpr (X == 1)
        return Machine.ix;
    else
        return Machine.iy;
}
template <int X> inline void SetX(uint16_t v) {
    if constexpr (X == 0)
        Machine.SetHL(v);
    else if constexpr (X == 1)
        Machine.ix = v;
    else
        Machine.iy = v;
}

template <int X, int R> inline uint8_t Get8() {
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
template <int X, int R> inline void Set8(uint8_t v) {
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

template <int X, int P> inline uint16_t Get16() {
    if constexpr (P == PairBC)
        return Machine.BC();
    else if constexpr (P == PairDE)
        return Machine.DE();
    else if constexpr (P == PairHL)
        return GetX<X>();
    else
        return Machine.sp;
}
template <int X, int P> inline void Set16(uint16_t v) {
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
template <int X> inline uint16_t MemAddr(unsigned extra = 8) {
    if constexpr (X == 0) {
        return Machine.HL();
    } else {
        int8_t d = int8_t(FetchByte());
        Machine.tstates += extra;
        return uint16_t(GetX<X>() + d);
    }
}

template <int Cc> inline bool Condition() {
    constexpr uint8_t masks[4] = {FlagZ, FlagC, FlagPV, FlagS};
    bool set = Machine.f & masks[Cc >> 1];
    return (Cc & 1) ? set : !set;
}

// ---- 8-bit loads (F unchanged) ----------------------------------------------------------------

template <int X, int D, int S> inline void LdRR() { Set8<X, D>(Get8<X, S>()); }
template <int X, int D> inline void LdRN() { Set8<X, D>(FetchByte()); }
// The register beside a memory operand is always the real one: LD H,(IX+d) loads H.
template <int X, int D> inline void LdRMem() { Set8<0, D>(ReadByte(MemAddr<X>())); }
template <int X, int S> inline void LdMemR() { WriteByte(MemAddr<X>(), Get8<0, S>()); }
template <int X> inline void LdMemN() {
    uint16_t addr = MemAddr<X>(5); // the displacement comes before n
    WriteByte(addr, FetchByte());
}
template <int P> inline void LdAMemRr() { Machine.a = ReadByte(Get16<0, P>()); }
template <int P> inline void LdMemRrA() { WriteByte(Get16<0, P>(), Machine.a); }
inline void LdAMemNn() { Machine.a = ReadByte(FetchWord()); }
inline void LdMemNnA() { WriteByte(FetchWord(), Machine.a); }

// ---- 16-bit loads and stack (F unchanged, except POP AF) --------------------------------------

template <int X, int P> inline void LdRrNn() { Set16<X, P>(FetchWord()); }
template <int X> inline void LdXMemNn() { SetX<X>(ReadWord(FetchWord())); }
template <int X> inline void LdMemNnX() { WriteWord(FetchWord(), GetX<X>()); }
template <int X> inline void LdSpX() { Machine.sp = GetX<X>(); }
template <int X, int P> inline void PushRr() {
    if constexpr (P == PairAF)
        Push(Machine.AF());
    else
        Push(Get16<X, P>());
}
template <int X, int P> inline void PopRr() {
    if constexpr (P == PairAF)
        Machine.SetAF(Pop());
    else
        Set16<X, P>(Pop());
}
// The low byte is exchanged with the byte at SP, the high byte with the byte at SP + 1.
template <int X> inline void ExSpX() {
    uint16_t v = ReadWord(Machine.sp), x = GetX<X>();
    WriteWord(Machine.sp, x);
    SetX<X>(v);
}
inline void ExDeHl() {
    uint16_t de = Machine.DE();
    Machine.SetDE(Machine.HL());
    Machine.SetHL(de);
}
inline void ExAfAf() {
    uint16_t af = Machine.AF();
    Machine.SetAF(Machine.AFAlt());
    Machine.SetAFAlt(af);
}
inline void Exx() {
    uint16_t bc = Machine.BC(), de = Machine.DE(), hl = Machine.HL();
    Machine.SetBC(Machine.BCAlt()), Machine.SetDE(Machine.DEAlt()), Machine.SetHL(Machine.HLAlt());
    Machine.SetBCAlt(bc), Machine.SetDEAlt(de), Machine.SetHLAlt(hl);
}

// ---- 8-bit arithmetic and logic ---------------------------------------------------------------

template <int X, int Op, int S> inline void AluR() { Alu8(Op, Get8<X, S>()); }
template <int X, int Op> inline void AluMem() { Alu8(Op, ReadByte(MemAddr<X>())); }
template <int Op> inline void AluN() { Alu8(Op, FetchByte()); }
template <int X, int R> inline void IncR() { Set8<X, R>(Inc8(Get8<X, R>())); }
template <int X, int R> inline void DecR() { Set8<X, R>(Dec8(Get8<X, R>())); }
// The flags come from the result even when the ROM discards the write.
template <int X> inline void IncMem() {
    uint16_t addr = MemAddr<X>();
    WriteByte(addr, Inc8(ReadByte(addr)));
}
template <int X> inline void DecMem() {
    uint16_t addr = MemAddr<X>();
    WriteByte(addr, Dec8(ReadByte(addr)));
}

// ---- 16-bit arithmetic ------------------------------------------------------------------------

template <int X, int P> inline void AddXRr() { SetX<X>(Add16(GetX<X>(), Get16<X, P>())); }
template <int X, int P> inline void IncRr() { Set16<X, P>(uint16_t(Get16<X, P>() + 1)); }
template <int X, int P> inline void DecRr() { Set16<X, P>(uint16_t(Get16<X, P>() - 1)); }

// ---- Jumps, calls and returns -----------------------------------------------------------------

inline void JumpRelative() {
    int8_t e = int8_t(FetchByte());
    Machine.pc = uint16_t(Machine.pc + e);
}
inline void Jr() { JumpRelative(); }
template <int Cc> inline void JrCc() {
    if (Condition<Cc>()) {
        JumpRelative();
        Machine.tstates += 5;
    } else {
        ++Machine.pc;
    }
}
inline void Djnz() {
    if (--Machine.b) {
        JumpRelative();
        Machine.tstates += 5;
    } else {
        ++Machine.pc;
    }
}
inline void Jp() { Machine.pc = ReadWord(Machine.pc); }
template <int Cc> inline void JpCc() {
    if (Condition<Cc>())
        Machine.pc = ReadWord(Machine.pc);
    else
        Machine.pc += 2;
}
template <int X> inline void JpX() { Machine.pc = GetX<X>(); }
inline void Call() {
    uint16_t target = FetchWord();
    Push(Machine.pc);
    Machine.pc = target;
}
template <int Cc> inline void CallCc() {
    if (Condition<Cc>()) {
        Call();
        Machine.tstates += 7;
    } else {
        Machine.pc += 2;
    }
}
inline void Ret() { Machine.pc = Pop(); }
template <int Cc> inline void RetCc() {
    if (Condition<Cc>()) {
        Machine.pc = Pop();
        Machine.tstates += 6;
    }
}
template <uint16_t Target> inline void Rst() {
    Push(Machine.pc);
    Machine.pc = Target;
}

// ---- Input, output and processor control ------------------------------------------------------

// Only the low byte of the port address selects the port; IN passes A as the high byte.
inline void OutNA() { PortWrite(FetchByte(), Machine.a); }
inline void InAN() { Machine.a = PortRead(FetchByte(), Machine.a); }
inline void Di() { Machine.interruptState &= ModeBits; }
// Takes effect at the next frame check; there is no one-instruction delay.
inline void Ei() { Machine.interruptState |= Iff1Bit; }
// PC stays past the HALT; FrameLoop idles until an interrupt is accepted.
inline void Halt() { Machine.halted = 1; }
