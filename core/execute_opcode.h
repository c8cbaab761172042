// The 256-way opcode dispatch, written once for the unprefixed set (X = 0, HL) and the two
// index sets (X = 1 IX after DD, X = 2 IY after FD). Operand names and the procedures behind each
// case are in core/opcode_patterns.h. T-states: FetchOpcode has charged MainCycles[opcode] (and
// 4 for a prefix); the figures below are the totals of the unprefixed form, "+ taken" the extra a
// branch adds, and under a prefix every (HL) form adds 8 more (LD (X+d),n 5).
#pragma once
#include <cstdint>

#include "core/cb_set.h"
#include "core/opcode_patterns.h"

// The instruction map: each opcode's mnemonic, row by its high nibble and column by its low one,
// for the unprefixed set and for the set after DD (IX; after FD the same with IY). n is an
// immediate byte, nn an immediate word, e a relative jump's displacement, d the index
// displacement; (CB), (DD), (ED) and (FD) lead on to the sets of those prefixes. The program
// never reads these tables: they are the switch below at a glance, and a test holds them to it.
// clang-format off
inline constexpr const char* MainMap[256] = {
//  x0           x1           x2            x3            x4            x5           x6            x7           x8           x9           xA            xB          xC            xD         xE            xF
    "NOP",       "LD BC,nn",  "LD (BC),A",  "INC BC",     "INC B",      "DEC B",     "LD B,n",     "RLCA",      "EX AF,AF'", "ADD HL,BC", "LD A,(BC)",  "DEC BC",   "INC C",      "DEC C",   "LD C,n",     "RRCA", // 0x
    "DJNZ e",    "LD DE,nn",  "LD (DE),A",  "INC DE",     "INC D",      "DEC D",     "LD D,n",     "RLA",       "JR e",      "ADD HL,DE", "LD A,(DE)",  "DEC DE",   "INC E",      "DEC E",   "LD E,n",     "RRA", // 1x
    "JR NZ,e",   "LD HL,nn",  "LD (nn),HL", "INC HL",     "INC H",      "DEC H",     "LD H,n",     "DAA",       "JR Z,e",    "ADD HL,HL", "LD HL,(nn)", "DEC HL",   "INC L",      "DEC L",   "LD L,n",     "CPL", // 2x
    "JR NC,e",   "LD SP,nn",  "LD (nn),A",  "INC SP",     "INC (HL)",   "DEC (HL)",  "LD (HL),n",  "SCF",       "JR C,e",    "ADD HL,SP", "LD A,(nn)",  "DEC SP",   "INC A",      "DEC A",   "LD A,n",     "CCF", // 3x
    "LD B,B",    "LD B,C",    "LD B,D",     "LD B,E",     "LD B,H",     "LD B,L",    "LD B,(HL)",  "LD B,A",    "LD C,B",    "LD C,C",    "LD C,D",     "LD C,E",   "LD C,H",     "LD C,L",  "LD C,(HL)",  "LD C,A", // 4x
    "LD D,B",    "LD D,C",    "LD D,D",     "LD D,E",     "LD D,H",     "LD D,L",    "LD D,(HL)",  "LD D,A",    "LD E,B",    "LD E,C",    "LD E,D",     "LD E,E",   "LD E,H",     "LD E,L",  "LD E,(HL)",  "LD E,A", // 5x
    "LD H,B",    "LD H,C",    "LD H,D",     "LD H,E",     "LD H,H",     "LD H,L",    "LD H,(HL)",  "LD H,A",    "LD L,B",    "LD L,C",    "LD L,D",     "LD L,E",   "LD L,H",     "LD L,L",  "LD L,(HL)",  "LD L,A", // 6x
    "LD (HL),B", "LD (HL),C", "LD (HL),D",  "LD (HL),E",  "LD (HL),H",  "LD (HL),L", "HALT",       "LD (HL),A", "LD A,B",    "LD A,C",    "LD A,D",     "LD A,E",   "LD A,H",     "LD A,L",  "LD A,(HL)",  "LD A,A", // 7x
    "ADD A,B",   "ADD A,C",   "ADD A,D",    "ADD A,E",    "ADD A,H",    "ADD A,L",   "ADD A,(HL)", "ADD A,A",   "ADC A,B",   "ADC A,C",   "ADC A,D",    "ADC A,E",  "ADC A,H",    "ADC A,L", "ADC A,(HL)", "ADC A,A", // 8x
    "SUB B",     "SUB C",     "SUB D",      "SUB E",      "SUB H",      "SUB L",     "SUB (HL)",   "SUB A",     "SBC A,B",   "SBC A,C",   "SBC A,D",    "SBC A,E",  "SBC A,H",    "SBC A,L", "SBC A,(HL)", "SBC A,A", // 9x
    "AND B",     "AND C",     "AND D",      "AND E",      "AND H",      "AND L",     "AND (HL)",   "AND A",     "XOR B",     "XOR C",     "XOR D",      "XOR E",    "XOR H",      "XOR L",   "XOR (HL)",   "XOR A", // Ax
    "OR B",      "OR C",      "OR D",       "OR E",       "OR H",       "OR L",      "OR (HL)",    "OR A",      "CP B",      "CP C",      "CP D",       "CP E",     "CP H",       "CP L",    "CP (HL)",    "CP A", // Bx
    "RET NZ",    "POP BC",    "JP NZ,nn",   "JP nn",      "CALL NZ,nn", "PUSH BC",   "ADD A,n",    "RST 00H",   "RET Z",     "RET",       "JP Z,nn",    "(CB)",     "CALL Z,nn",  "CALL nn", "ADC A,n",    "RST 08H", // Cx
    "RET NC",    "POP DE",    "JP NC,nn",   "OUT (n),A",  "CALL NC,nn", "PUSH DE",   "SUB n",      "RST 10H",   "RET C",     "EXX",       "JP C,nn",    "IN A,(n)", "CALL C,nn",  "(DD)",    "SBC A,n",    "RST 18H", // Dx
    "RET PO",    "POP HL",    "JP PO,nn",   "EX (SP),HL", "CALL PO,nn", "PUSH HL",   "AND n",      "RST 20H",   "RET PE",    "JP (HL)",   "JP PE,nn",   "EX DE,HL", "CALL PE,nn", "(ED)",    "XOR n",      "RST 28H", // Ex
    "RET P",     "POP AF",    "JP P,nn",    "DI",         "CALL P,nn",  "PUSH AF",   "OR n",       "RST 30H",   "RET M",     "LD SP,HL",  "JP M,nn",    "EI",       "CALL M,nn",  "(FD)",    "CP n",       "RST 38H", // Fx
};

inline constexpr const char* IndexMap[256] = {
//  x0             x1             x2             x3             x4             x5             x6              x7             x8           x9           xA            xB          xC            xD            xE              xF
    "NOP",         "LD BC,nn",    "LD (BC),A",   "INC BC",      "INC B",       "DEC B",       "LD B,n",       "RLCA",        "EX AF,AF'", "ADD IX,BC", "LD A,(BC)",  "DEC BC",   "INC C",      "DEC C",      "LD C,n",       "RRCA", // 0x
    "DJNZ e",      "LD DE,nn",    "LD (DE),A",   "INC DE",      "INC D",       "DEC D",       "LD D,n",       "RLA",         "JR e",      "ADD IX,DE", "LD A,(DE)",  "DEC DE",   "INC E",      "DEC E",      "LD E,n",       "RRA", // 1x
    "JR NZ,e",     "LD IX,nn",    "LD (nn),IX",  "INC IX",      "INC IXH",     "DEC IXH",     "LD IXH,n",     "DAA",         "JR Z,e",    "ADD IX,IX", "LD IX,(nn)", "DEC IX",   "INC IXL",    "DEC IXL",    "LD IXL,n",     "CPL", // 2x
    "JR NC,e",     "LD SP,nn",    "LD (nn),A",   "INC SP",      "INC (IX+d)",  "DEC (IX+d)",  "LD (IX+d),n",  "SCF",         "JR C,e",    "ADD IX,SP", "LD A,(nn)",  "DEC SP",   "INC A",      "DEC A",      "LD A,n",       "CCF", // 3x
    "LD B,B",      "LD B,C",      "LD B,D",      "LD B,E",      "LD B,IXH",    "LD B,IXL",    "LD B,(IX+d)",  "LD B,A",      "LD C,B",    "LD C,C",    "LD C,D",     "LD C,E",   "LD C,IXH",   "LD C,IXL",   "LD C,(IX+d)",  "LD C,A", // 4x
    "LD D,B",      "LD D,C",      "LD D,D",      "LD D,E",      "LD D,IXH",    "LD D,IXL",    "LD D,(IX+d)",  "LD D,A",      "LD E,B",    "LD E,C",    "LD E,D",     "LD E,E",   "LD E,IXH",   "LD E,IXL",   "LD E,(IX+d)",  "LD E,A", // 5x
    "LD IXH,B",    "LD IXH,C",    "LD IXH,D",    "LD IXH,E",    "LD IXH,IXH",  "LD IXH,IXL",  "LD H,(IX+d)",  "LD IXH,A",    "LD IXL,B",  "LD IXL,C",  "LD IXL,D",   "LD IXL,E", "LD IXL,IXH", "LD IXL,IXL", "LD L,(IX+d)",  "LD IXL,A", // 6x
    "LD (IX+d),B", "LD (IX+d),C", "LD (IX+d),D", "LD (IX+d),E", "LD (IX+d),H", "LD (IX+d),L", "HALT",         "LD (IX+d),A", "LD A,B",    "LD A,C",    "LD A,D",     "LD A,E",   "LD A,IXH",   "LD A,IXL",   "LD A,(IX+d)",  "LD A,A", // 7x
    "ADD A,B",     "ADD A,C",     "ADD A,D",     "ADD A,E",     "ADD A,IXH",   "ADD A,IXL",   "ADD A,(IX+d)", "ADD A,A",     "ADC A,B",   "ADC A,C",   "ADC A,D",    "ADC A,E",  "ADC A,IXH",  "ADC A,IXL",  "ADC A,(IX+d)", "ADC A,A", // 8x
    "SUB B",       "SUB C",       "SUB D",       "SUB E",       "SUB IXH",     "SUB IXL",     "SUB (IX+d)",   "SUB A",       "SBC A,B",   "SBC A,C",   "SBC A,D",    "SBC A,E",  "SBC A,IXH",  "SBC A,IXL",  "SBC A,(IX+d)", "SBC A,A", // 9x
    "AND B",       "AND C",       "AND D",       "AND E",       "AND IXH",     "AND IXL",     "AND (IX+d)",   "AND A",       "XOR B",     "XOR C",     "XOR D",      "XOR E",    "XOR IXH",    "XOR IXL",    "XOR (IX+d)",   "XOR A", // Ax
    "OR B",        "OR C",        "OR D",        "OR E",        "OR IXH",      "OR IXL",      "OR (IX+d)",    "OR A",        "CP B",      "CP C",      "CP D",       "CP E",     "CP IXH",     "CP IXL",     "CP (IX+d)",    "CP A", // Bx
    "RET NZ",      "POP BC",      "JP NZ,nn",    "JP nn",       "CALL NZ,nn",  "PUSH BC",     "ADD A,n",      "RST 00H",     "RET Z",     "RET",       "JP Z,nn",    "(DD CB)",  "CALL Z,nn",  "CALL nn",    "ADC A,n",      "RST 08H", // Cx
    "RET NC",      "POP DE",      "JP NC,nn",    "OUT (n),A",   "CALL NC,nn",  "PUSH DE",     "SUB n",        "RST 10H",     "RET C",     "EXX",       "JP C,nn",    "IN A,(n)", "CALL C,nn",  "(DD)",       "SBC A,n",      "RST 18H", // Dx
    "RET PO",      "POP IX",      "JP PO,nn",    "EX (SP),IX",  "CALL PO,nn",  "PUSH IX",     "AND n",        "RST 20H",     "RET PE",    "JP (IX)",   "JP PE,nn",   "EX DE,HL", "CALL PE,nn", "(ED)",       "XOR n",        "RST 28H", // Ex
    "RET P",       "POP AF",      "JP P,nn",     "DI",          "CALL P,nn",   "PUSH AF",     "OR n",         "RST 30H",     "RET M",     "LD SP,IX",  "JP M,nn",    "EI",       "CALL M,nn",  "(FD)",       "CP n",         "RST 38H", // Fx
};
// clang-format on

// Expanded in its caller: FrameLoop has the unprefixed switch and, through FollowPrefixes, the
// two index sets in its own body. Every procedure of the patterns and of alu.h is forced inline
// (CORE_INLINE), the CB sets included; in the release build the dispatch in FrameLoop calls out
// only to the ED set and the port handlers, as objdump -d shows.
CORE_INLINE void FollowPrefixes(HotState& hot, uint8_t prefix);

// With Chain (the frame loop) an unprefixed DD or FD is followed through to its instruction
// here. Otherwise, and in the index sets (where the chain has already been followed), it only
// sets Machine.indexPrefix, for ExecuteMain's callers.
template <int X, bool Chain = true> CORE_INLINE void ExecuteOpcode(HotState& hot, uint8_t opcode) {
    switch (opcode) {
    // 00-3F, sixteen to a block. NOP 4. LD rr,nn 10. LD (BC)/(DE),A and LD A,(BC)/(DE) 7.
    // LD (nn),HL and LD HL,(nn) 16, LD (nn),A and LD A,(nn) 13. INC/DEC rr 6, no flags.
    // ADD HL,rr 11: H out of bit 11, C out of bit 15, S Z P/V kept. INC/DEC r 4, (HL) 11:
    // S Z from the result, H on a nibble carry/borrow, P/V on 0x80 (INC) / 0x7F (DEC), C kept.
    // LD r,n 7, LD (HL),n 10. The accumulator rotates 4: C the bit shifted out, H N 0.
    // EX AF,AF' 4. DJNZ 8 (+ taken 5). JR 12, JR cc 7 (+ taken 5). DAA, CPL, SCF, CCF 4.
    case 0x00: break; // NOP
    case 0x01: LdRrNn<X, PairBC>(hot); break;
    case 0x02: LdMemRrA<PairBC>(hot); break;
    case 0x03: IncRr<X, PairBC>(); break;
    case 0x04: IncR<X, RegB>(); break;
    case 0x05: DecR<X, RegB>(); break;
    case 0x06: LdRN<X, RegB>(hot); break;
    case 0x07: Rlca(); break;
    case 0x08: ExAfAf(); break;
    case 0x09: AddXRr<X, PairBC>(); break;
    case 0x0A: LdAMemRr<PairBC>(hot); break;
    case 0x0B: DecRr<X, PairBC>(); break;
    case 0x0C: IncR<X, RegC>(); break;
    case 0x0D: DecR<X, RegC>(); break;
    case 0x0E: LdRN<X, RegC>(hot); break;
    case 0x0F: Rrca(); break;

    case 0x10: Djnz(hot); break;
    case 0x11: LdRrNn<X, PairDE>(hot); break;
    case 0x12: LdMemRrA<PairDE>(hot); break;
    case 0x13: IncRr<X, PairDE>(); break;
    case 0x14: IncR<X, RegD>(); break;
    case 0x15: DecR<X, RegD>(); break;
    case 0x16: LdRN<X, RegD>(hot); break;
    case 0x17: Rla(); break;
    case 0x18: Jr(hot); break;
    case 0x19: AddXRr<X, PairDE>(); break;
    case 0x1A: LdAMemRr<PairDE>(hot); break;
    case 0x1B: DecRr<X, PairDE>(); break;
    case 0x1C: IncR<X, RegE>(); break;
    case 0x1D: DecR<X, RegE>(); break;
    case 0x1E: LdRN<X, RegE>(hot); break;
    case 0x1F: Rra(); break;

    case 0x20: JrCc<CondNZ>(hot); break;
    case 0x21: LdRrNn<X, PairHL>(hot); break;
    case 0x22: LdMemNnX<X>(hot); break;
    case 0x23: IncRr<X, PairHL>(); break;
    case 0x24: IncR<X, RegH>(); break;
    case 0x25: DecR<X, RegH>(); break;
    case 0x26: LdRN<X, RegH>(hot); break;
    case 0x27: Daa(); break;
    case 0x28: JrCc<CondZ>(hot); break;
    case 0x29: AddXRr<X, PairHL>(); break;
    case 0x2A: LdXMemNn<X>(hot); break;
    case 0x2B: DecRr<X, PairHL>(); break;
    case 0x2C: IncR<X, RegL>(); break;
    case 0x2D: DecR<X, RegL>(); break;
    case 0x2E: LdRN<X, RegL>(hot); break;
    case 0x2F: Cpl(); break;

    case 0x30: JrCc<CondNC>(hot); break;
    case 0x31: LdRrNn<X, PairSP>(hot); break;
    case 0x32: LdMemNnA(hot); break;
    case 0x33: IncRr<X, PairSP>(); break;
    case 0x34: IncMem<X>(hot); break;
    case 0x35: DecMem<X>(hot); break;
    case 0x36: LdMemN<X>(hot); break;
    case 0x37: Scf(); break;
    case 0x38: JrCc<CondC>(hot); break;
    case 0x39: AddXRr<X, PairSP>(); break;
    case 0x3A: LdAMemNn(hot); break;
    case 0x3B: DecRr<X, PairSP>(); break;
    case 0x3C: IncR<X, RegA>(); break;
    case 0x3D: DecR<X, RegA>(); break;
    case 0x3E: LdRN<X, RegA>(hot); break;
    case 0x3F: Ccf(); break;

    // 01 ddd sss: LD r,r' 4, LD r,(HL) and LD (HL),r 7. F unchanged. 76 is HALT 4.
    case 0x40: LdRR<X, RegB, RegB>(); break;
    case 0x41: LdRR<X, RegB, RegC>(); break;
    case 0x42: LdRR<X, RegB, RegD>(); break;
    case 0x43: LdRR<X, RegB, RegE>(); break;
    case 0x44: LdRR<X, RegB, RegH>(); break;
    case 0x45: LdRR<X, RegB, RegL>(); break;
    case 0x46: LdRMem<X, RegB>(hot); break;
    case 0x47: LdRR<X, RegB, RegA>(); break;
    case 0x48: LdRR<X, RegC, RegB>(); break;
    case 0x49: LdRR<X, RegC, RegC>(); break;
    case 0x4A: LdRR<X, RegC, RegD>(); break;
    case 0x4B: LdRR<X, RegC, RegE>(); break;
    case 0x4C: LdRR<X, RegC, RegH>(); break;
    case 0x4D: LdRR<X, RegC, RegL>(); break;
    case 0x4E: LdRMem<X, RegC>(hot); break;
    case 0x4F: LdRR<X, RegC, RegA>(); break;
    case 0x50: LdRR<X, RegD, RegB>(); break;
    case 0x51: LdRR<X, RegD, RegC>(); break;
    case 0x52: LdRR<X, RegD, RegD>(); break;
    case 0x53: LdRR<X, RegD, RegE>(); break;
    case 0x54: LdRR<X, RegD, RegH>(); break;
    case 0x55: LdRR<X, RegD, RegL>(); break;
    case 0x56: LdRMem<X, RegD>(hot); break;
    case 0x57: LdRR<X, RegD, RegA>(); break;
    case 0x58: LdRR<X, RegE, RegB>(); break;
    case 0x59: LdRR<X, RegE, RegC>(); break;
    case 0x5A: LdRR<X, RegE, RegD>(); break;
    case 0x5B: LdRR<X, RegE, RegE>(); break;
    case 0x5C: LdRR<X, RegE, RegH>(); break;
    case 0x5D: LdRR<X, RegE, RegL>(); break;
    case 0x5E: LdRMem<X, RegE>(hot); break;
    case 0x5F: LdRR<X, RegE, RegA>(); break;
    case 0x60: LdRR<X, RegH, RegB>(); break;
    case 0x61: LdRR<X, RegH, RegC>(); break;
    case 0x62: LdRR<X, RegH, RegD>(); break;
    case 0x63: LdRR<X, RegH, RegE>(); break;
    case 0x64: LdRR<X, RegH, RegH>(); break;
    case 0x65: LdRR<X, RegH, RegL>(); break;
    case 0x66: LdRMem<X, RegH>(hot); break;
    case 0x67: LdRR<X, RegH, RegA>(); break;
    case 0x68: LdRR<X, RegL, RegB>(); break;
    case 0x69: LdRR<X, RegL, RegC>(); break;
    case 0x6A: LdRR<X, RegL, RegD>(); break;
    case 0x6B: LdRR<X, RegL, RegE>(); break;
    case 0x6C: LdRR<X, RegL, RegH>(); break;
    case 0x6D: LdRR<X, RegL, RegL>(); break;
    case 0x6E: LdRMem<X, RegL>(hot); break;
    case 0x6F: LdRR<X, RegL, RegA>(); break;
    case 0x70: LdMemR<X, RegB>(hot); break;
    case 0x71: LdMemR<X, RegC>(hot); break;
    case 0x72: LdMemR<X, RegD>(hot); break;
    case 0x73: LdMemR<X, RegE>(hot); break;
    case 0x74: LdMemR<X, RegH>(hot); break;
    case 0x75: LdMemR<X, RegL>(hot); break;
    case 0x76: Halt(hot); break; // the (HL),(HL) position
    case 0x77: LdMemR<X, RegA>(hot); break;
    case 0x78: LdRR<X, RegA, RegB>(); break;
    case 0x79: LdRR<X, RegA, RegC>(); break;
    case 0x7A: LdRR<X, RegA, RegD>(); break;
    case 0x7B: LdRR<X, RegA, RegE>(); break;
    case 0x7C: LdRR<X, RegA, RegH>(); break;
    case 0x7D: LdRR<X, RegA, RegL>(); break;
    case 0x7E: LdRMem<X, RegA>(hot); break;
    case 0x7F: LdRR<X, RegA, RegA>(); break;

    // 10 ooo sss: ADD ADC SUB SBC AND XOR OR CP with r (4) or (HL) (7). S Z from the result;
    // ADD/ADC/SUB/SBC/CP: H nibble carry, P/V signed overflow, N set by the subtractions, C the
    // carry or borrow; AND: H 1, P parity, C 0; XOR, OR: H 0, P parity, C 0.
    case 0x80: AluR<X, OpAdd, RegB>(); break;
    case 0x81: AluR<X, OpAdd, RegC>(); break;
    case 0x82: AluR<X, OpAdd, RegD>(); break;
    case 0x83: AluR<X, OpAdd, RegE>(); break;
    case 0x84: AluR<X, OpAdd, RegH>(); break;
    case 0x85: AluR<X, OpAdd, RegL>(); break;
    case 0x86: AluMem<X, OpAdd>(hot); break;
    case 0x87: AluR<X, OpAdd, RegA>(); break;
    case 0x88: AluR<X, OpAdc, RegB>(); break;
    case 0x89: AluR<X, OpAdc, RegC>(); break;
    case 0x8A: AluR<X, OpAdc, RegD>(); break;
    case 0x8B: AluR<X, OpAdc, RegE>(); break;
    case 0x8C: AluR<X, OpAdc, RegH>(); break;
    case 0x8D: AluR<X, OpAdc, RegL>(); break;
    case 0x8E: AluMem<X, OpAdc>(hot); break;
    case 0x8F: AluR<X, OpAdc, RegA>(); break;
    case 0x90: AluR<X, OpSub, RegB>(); break;
    case 0x91: AluR<X, OpSub, RegC>(); break;
    case 0x92: AluR<X, OpSub, RegD>(); break;
    case 0x93: AluR<X, OpSub, RegE>(); break;
    case 0x94: AluR<X, OpSub, RegH>(); break;
    case 0x95: AluR<X, OpSub, RegL>(); break;
    case 0x96: AluMem<X, OpSub>(hot); break;
    case 0x97: AluR<X, OpSub, RegA>(); break;
    case 0x98: AluR<X, OpSbc, RegB>(); break;
    case 0x99: AluR<X, OpSbc, RegC>(); break;
    case 0x9A: AluR<X, OpSbc, RegD>(); break;
    case 0x9B: AluR<X, OpSbc, RegE>(); break;
    case 0x9C: AluR<X, OpSbc, RegH>(); break;
    case 0x9D: AluR<X, OpSbc, RegL>(); break;
    case 0x9E: AluMem<X, OpSbc>(hot); break;
    case 0x9F: AluR<X, OpSbc, RegA>(); break;
    case 0xA0: AluR<X, OpAnd, RegB>(); break;
    case 0xA1: AluR<X, OpAnd, RegC>(); break;
    case 0xA2: AluR<X, OpAnd, RegD>(); break;
    case 0xA3: AluR<X, OpAnd, RegE>(); break;
    case 0xA4: AluR<X, OpAnd, RegH>(); break;
    case 0xA5: AluR<X, OpAnd, RegL>(); break;
    case 0xA6: AluMem<X, OpAnd>(hot); break;
    case 0xA7: AluR<X, OpAnd, RegA>(); break;
    case 0xA8: AluR<X, OpXor, RegB>(); break;
    case 0xA9: AluR<X, OpXor, RegC>(); break;
    case 0xAA: AluR<X, OpXor, RegD>(); break;
    case 0xAB: AluR<X, OpXor, RegE>(); break;
    case 0xAC: AluR<X, OpXor, RegH>(); break;
    case 0xAD: AluR<X, OpXor, RegL>(); break;
    case 0xAE: AluMem<X, OpXor>(hot); break;
    case 0xAF: AluR<X, OpXor, RegA>(); break;
    case 0xB0: AluR<X, OpOr, RegB>(); break;
    case 0xB1: AluR<X, OpOr, RegC>(); break;
    case 0xB2: AluR<X, OpOr, RegD>(); break;
    case 0xB3: AluR<X, OpOr, RegE>(); break;
    case 0xB4: AluR<X, OpOr, RegH>(); break;
    case 0xB5: AluR<X, OpOr, RegL>(); break;
    case 0xB6: AluMem<X, OpOr>(hot); break;
    case 0xB7: AluR<X, OpOr, RegA>(); break;
    case 0xB8: AluR<X, OpCp, RegB>(); break;
    case 0xB9: AluR<X, OpCp, RegC>(); break;
    case 0xBA: AluR<X, OpCp, RegD>(); break;
    case 0xBB: AluR<X, OpCp, RegE>(); break;
    case 0xBC: AluR<X, OpCp, RegH>(); break;
    case 0xBD: AluR<X, OpCp, RegL>(); break;
    case 0xBE: AluMem<X, OpCp>(hot); break;
    case 0xBF: AluR<X, OpCp, RegA>(); break;

    // 11 xxx xxx. RET cc 5 (+ taken 6), RET 10. POP 10, PUSH 11. JP cc,nn and JP nn 10.
    // CALL cc,nn 10 (+ taken 7), CALL nn 17. ALU A,n 7. RST p 11. OUT (n),A and IN A,(n) 11.
    // EX (SP),HL 19. JP (HL) 4, LD SP,HL 6. EX DE,HL and EXX 4 (always the real HL).
    // DI, EI 4. The prefixes: CB and ED run their own sets, DD and FD 4 select IX or IY.
    case 0xC0: RetCc<CondNZ>(hot); break;
    case 0xC1: PopRr<X, PairBC>(hot); break;
    case 0xC2: JpCc<CondNZ>(hot); break;
    case 0xC3: Jp(hot); break;
    case 0xC4: CallCc<CondNZ>(hot); break;
    case 0xC5: PushRr<X, PairBC>(hot); break;
    case 0xC6: AluN<OpAdd>(hot); break;
    case 0xC7: Rst<0x00>(hot); break;
    case 0xC8: RetCc<CondZ>(hot); break;
    case 0xC9: Ret(hot); break;
    case 0xCA: JpCc<CondZ>(hot); break;
    case 0xCB:
        if constexpr (X == 0)
            ExecuteCB(hot);
        else
            ExecuteIndexedCB(hot, GetX<X>());
        break;
    case 0xCC: CallCc<CondZ>(hot); break;
    case 0xCD: Call(hot); break;
    case 0xCE: AluN<OpAdc>(hot); break;
    case 0xCF: Rst<0x08>(hot); break;

    case 0xD0: RetCc<CondNC>(hot); break;
    case 0xD1: PopRr<X, PairDE>(hot); break;
    case 0xD2: JpCc<CondNC>(hot); break;
    case 0xD3: OutNA(hot); break;
    case 0xD4: CallCc<CondNC>(hot); break;
    case 0xD5: PushRr<X, PairDE>(hot); break;
    case 0xD6: AluN<OpSub>(hot); break;
    case 0xD7: Rst<0x10>(hot); break;
    case 0xD8: RetCc<CondC>(hot); break;
    case 0xD9: Exx(); break;
    case 0xDA: JpCc<CondC>(hot); break;
    case 0xDB: InAN(hot); break;
    case 0xDC: CallCc<CondC>(hot); break;
    case 0xDD:
        if constexpr (X == 0 && Chain)
            FollowPrefixes(hot, 0xDD);
        else
            Machine.indexPrefix = 1;
        break;
    case 0xDE: AluN<OpSbc>(hot); break;
    case 0xDF: Rst<0x18>(hot); break;

    case 0xE0: RetCc<CondPO>(hot); break;
    case 0xE1: PopRr<X, PairHL>(hot); break;
    case 0xE2: JpCc<CondPO>(hot); break;
    case 0xE3: ExSpX<X>(hot); break;
    case 0xE4: CallCc<CondPO>(hot); break;
    case 0xE5: PushRr<X, PairHL>(hot); break;
    case 0xE6: AluN<OpAnd>(hot); break;
    case 0xE7: Rst<0x20>(hot); break;
    case 0xE8: RetCc<CondPE>(hot); break;
    case 0xE9: JpX<X>(hot); break;
    case 0xEA: JpCc<CondPE>(hot); break;
    case 0xEB: ExDeHl(); break;
    case 0xEC: CallCc<CondPE>(hot); break;
    case 0xED: RunOnMachine(hot, ExecuteED); break;
    case 0xEE: AluN<OpXor>(hot); break;
    case 0xEF: Rst<0x28>(hot); break;

    case 0xF0: RetCc<CondP>(hot); break;
    case 0xF1: PopRr<X, PairAF>(hot); break;
    case 0xF2: JpCc<CondP>(hot); break;
    case 0xF3: Di(); break;
    case 0xF4: CallCc<CondP>(hot); break;
    case 0xF5: PushRr<X, PairAF>(hot); break;
    case 0xF6: AluN<OpOr>(hot); break;
    case 0xF7: Rst<0x30>(hot); break;
    case 0xF8: RetCc<CondM>(hot); break;
    case 0xF9: LdSpX<X>(); break;
    case 0xFA: JpCc<CondM>(hot); break;
    case 0xFB: Ei(); break;
    case 0xFC: CallCc<CondM>(hot); break;
    case 0xFD:
        if constexpr (X == 0 && Chain)
            FollowPrefixes(hot, 0xFD);
        else
            Machine.indexPrefix = 2;
        break;
    case 0xFE: AluN<OpCp>(hot); break;
    case 0xFF: Rst<0x38>(hot); break;
    }
}

// After a DD or FD: further prefixes, each an opcode fetch of 4 T-states, the last one deciding
// (prefix is updated); returns the opcode the chain ends with.
CORE_INLINE uint8_t SkipPrefixes(HotState& hot, uint8_t& prefix) {
    uint8_t op = FetchOpcode(hot);
    while (op == 0xDD || op == 0xFD) prefix = op, op = FetchOpcode(hot);
    return op;
}

// A prefixed instruction in one go, so that nothing comes between a prefix and its instruction.
CORE_INLINE void FollowPrefixes(HotState& hot, uint8_t prefix) {
    uint8_t op = SkipPrefixes(hot, prefix);
    if (prefix == 0xDD)
        ExecuteOpcode<1>(hot, op);
    else
        ExecuteOpcode<2>(hot, op);
}
