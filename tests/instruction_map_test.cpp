// The instruction maps at the heads of the instruction sets, held to what each opcode does: a
// small disassembler reads every instruction's text off the maps, and each is run from a random
// machine to see that it takes the operand bytes its text names, writes what the text says
// (loads copy their source, arithmetic computes on it, jumps go where they name) and changes no
// register and no byte of memory that its text does not name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/execute_opcode.h"
#include "core/instruction_sets.h"
#include "tests/cpu_harness.h"
#include "tests/shift_reference.h"

namespace {

constexpr uint16_t CodeAt = 0x8000;

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

// ---- The disassembler ---------------------------------------------------------------------

struct Decoded {
    std::string text;     // as the maps write it, IY for IX after FD
    std::string mnemonic; // the first word
    std::vector<std::string> operands;
    unsigned length = 0;
    int d = 0, e = 0; // index displacement, relative jump
    uint8_t n = 0;
    uint16_t nn = 0;
    std::string First() const { return operands.empty() ? "" : operands.front(); }
    std::string Last() const { return operands.empty() ? "" : operands.back(); }
};

// DD CB d op: the CB map's entry for the memory column of op, on (X+d); in a register column of
// a rotate, shift, RES or SET the register follows as a further operand.
std::string IndexedCbText(uint8_t op, const std::string& x) {
    std::string text = Replace(CbMap[(op & 0xF8) | 6], "(HL)", "(" + x + "+d)");
    std::string named = CbMap[op];
    if ((op & 7) != 6 && (op & 0xC0) != 0x40)
        text += "," + named.substr(named.find_last_of(" ,") + 1);
    return text;
}

Decoded Disassemble(const uint8_t* code) {
    Decoded r;
    unsigned at = 0;
    uint8_t op = code[at++];
    bool indexedCb = false;
    if (op == 0xDD || op == 0xFD) {
        std::string x = op == 0xDD ? "IX" : "IY";
        op = code[at++];
        if (op == 0xCB) {
            r.d = int8_t(code[at++]);
            r.text = IndexedCbText(code[at++], x);
            indexedCb = true;
        } else {
            r.text = op == 0xED ? EdMap[code[at++]] : Replace(IndexMap[op], "IX", x);
        }
    } else if (op == 0xCB) {
        r.text = CbMap[code[at++]];
    } else if (op == 0xED) {
        r.text = EdMap[code[at++]];
    } else {
        r.text = MainMap[op];
    }
    std::istringstream words(r.text);
    std::string list;
    words >> r.mnemonic >> list;
    std::istringstream items(list);
    for (std::string item; std::getline(items, item, ',');) r.operands.push_back(item);
    // Operand bytes in the order they follow the opcode: d, then n, nn or e.
    for (const std::string& o : r.operands) {
        if (!indexedCb && o.find("+d)") != std::string::npos) r.d = int8_t(code[at++]);
    }
    for (const std::string& o : r.operands) {
        if (o == "n" || o == "(n)") r.n = code[at++];
        if (o == "nn" || o == "(nn)") r.nn = uint16_t(code[at] | code[at + 1] << 8), at += 2;
        if (o == "e") r.e = int8_t(code[at++]);
    }
    r.length = at;
    return r;
}

// ---- Machine states and what an operand names in them ----------------------------------------

struct State {
    MachineRecord m;
    std::vector<uint8_t> memory;
};
State Take() { return {Machine, std::vector<uint8_t>(Machine.memory, Machine.memory + 65536)}; }

const char* const Units[] = {"A",   "F",   "B",   "C",   "D",  "E",   "H",   "L",   "A'",
                             "F'",  "B'",  "C'",  "D'",  "E'", "H'",  "L'",  "IXH", "IXL",
                             "IYH", "IYL", "SPH", "SPL", "I",  "IFF", "HALT"};

// One byte of the processor state by name (R, which every fetch counts, and PC are left out).
unsigned Unit(const MachineRecord& m, const std::string& u) {
    const uint8_t bytes[] = {m.a,
                             m.f,
                             m.b,
                             m.c,
                             m.d,
                             m.e,
                             m.h,
                             m.l,
                             m.aAlt,
                             m.fAlt,
                             m.bAlt,
                             m.cAlt,
                             m.dAlt,
                             m.eAlt,
                             m.hAlt,
                             m.lAlt,
                             uint8_t(m.ix >> 8),
                             uint8_t(m.ix),
                             uint8_t(m.iy >> 8),
                             uint8_t(m.iy),
                             uint8_t(m.sp >> 8),
                             uint8_t(m.sp),
                             m.i,
                             m.interruptState,
                             m.halted};
    for (size_t k = 0; k < std::size(Units); ++k)
        if (u == Units[k]) return bytes[k];
    return ~0u;
}
bool IsUnit(const std::string& u) { return Unit(Machine, u) != ~0u; }

const std::vector<std::pair<std::string, std::vector<std::string>>> Pairs = {
    {"AF", {"A", "F"}},     {"BC", {"B", "C"}},     {"DE", {"D", "E"}},     {"HL", {"H", "L"}},
    {"SP", {"SPH", "SPL"}}, {"IX", {"IXH", "IXL"}}, {"IY", {"IYH", "IYL"}}, {"AF'", {"A'", "F'"}}};
const std::vector<std::string>* PairUnits(const std::string& o) {
    for (const auto& p : Pairs)
        if (p.first == o) return &p.second;
    return nullptr;
}

// The address a memory operand names, or -1.
int Address(const State& s, const Decoded& dec, const std::string& o) {
    if (o == "(nn)") return dec.nn;
    if (o == "(IX+d)") return uint16_t(s.m.ix + dec.d);
    if (o == "(IY+d)") return uint16_t(s.m.iy + dec.d);
    if (o.size() > 2 && o.front() == '(' && o != "(C)" && o != "(n)") {
        const auto* units = PairUnits(o.substr(1, o.size() - 2));
        if (units) return int(Unit(s.m, (*units)[0]) << 8 | Unit(s.m, (*units)[1]));
    }
    return -1;
}

// The value of an operand: a register, a pair, an immediate or the byte (word) in memory.
unsigned Value(const State& s, const Decoded& dec, const std::string& o, bool word) {
    if (o == "n") return dec.n;
    if (o == "nn") return dec.nn;
    if (o == "R") return s.m.r;
    if (const auto* units = PairUnits(o))
        return Unit(s.m, (*units)[0]) << 8 | Unit(s.m, (*units)[1]);
    int a = Address(s, dec, o);
    if (a >= 0) return word ? s.memory[a] | s.memory[uint16_t(a + 1)] << 8 : s.memory[a];
    return Unit(s.m, o);
}

bool Condition(const std::string& cc, uint8_t f) {
    const std::string names[8] = {"NZ", "Z", "NC", "C", "PO", "PE", "P", "M"};
    const uint8_t flag[4] = {FlagZ, FlagC, FlagPV, FlagS};
    for (int k = 0; k < 8; ++k)
        if (cc == names[k]) return bool(f & flag[k / 2]) == bool(k & 1);
    return true;
}

bool Is(const std::string& m, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (m == n) return true;
    return false;
}

// ---- One instruction against its text ----------------------------------------------------------

// Random registers with every pair that can address memory in RAM away from the code, and mode
// code 1 so that an EI does not let an interrupt in at the frame's end.
void RandomMachine(std::mt19937& rng) {
    static const std::vector<uint8_t> image = [] {
        std::mt19937 bytes(48);
        std::vector<uint8_t> m(65536);
        for (uint8_t& b : m) b = uint8_t(bytes());
        return m;
    }();
    CleanMachine();
    std::copy(image.begin() + RomSize, image.end(), Machine.memory + RomSize);
    auto ram = [&] { return uint16_t(0x9000 + rng() % 0x3000); };
    Machine.SetAF(uint16_t(rng())), Machine.SetBC(ram()), Machine.SetDE(ram()),
        Machine.SetHL(ram());
    Machine.SetAFAlt(uint16_t(rng())), Machine.SetBCAlt(uint16_t(rng()));
    Machine.SetDEAlt(uint16_t(rng())), Machine.SetHLAlt(uint16_t(rng()));
    Machine.ix = ram(), Machine.iy = ram(), Machine.sp = uint16_t(0xD000 + rng() % 0x1000);
    Machine.i = uint8_t(rng()), Machine.r = uint8_t(rng());
    Machine.interruptState = 1;
}

uint16_t Word(const State& s, uint16_t a) {
    return uint16_t(s.memory[a] | s.memory[uint16_t(a + 1)] << 8);
}
bool IsWord(const std::string& o) { return PairUnits(o) || o == "nn"; }

// Every register and byte of memory the instruction changed must be named by its text: its
// written operands, or what its mnemonic writes by itself (A for SUB, SP for PUSH, ...).
void CheckOnlyNamedChange(const Decoded& dec, const State& before, const State& after) {
    const std::string& mn = dec.mnemonic;
    const std::string first = dec.First(), last = dec.Last();
    const uint16_t sp = before.m.sp;
    std::set<std::string> units;
    std::set<int> addresses;
    auto writes = [&](const std::string& o) {
        if (const auto* pair = PairUnits(o))
            units.insert(pair->begin(), pair->end());
        else if (IsUnit(o))
            units.insert(o);
        int a = Address(before, dec, o);
        if (a >= 0) addresses.insert({a, uint16_t(a + 1)});
    };
    if (Is(mn, {"LD", "INC", "DEC", "ADD", "ADC", "SBC", "POP", "IN"})) writes(first);
    if (Is(mn, {"SUB", "AND", "XOR", "OR", "NEG", "CPL", "DAA", "RLCA", "RRCA", "RLA", "RRA", "RRD",
                "RLD"}))
        units.insert("A");
    if (Is(mn, {"RLC", "RRC", "RL", "RR", "SLA", "SRA", "SLL", "SRL", "RES", "SET"}))
        for (size_t k = mn == "RES" || mn == "SET" ? 1 : 0; k < dec.operands.size(); ++k)
            writes(dec.operands[k]);
    if (mn == "EX") writes(first), writes(last);
    if (mn == "EXX")
        units.insert({"B", "C", "D", "E", "H", "L", "B'", "C'", "D'", "E'", "H'", "L'"});
    if (mn == "DJNZ") units.insert("B");
    if (Is(mn, {"LDI", "LDD", "LDIR", "LDDR"})) units.insert({"B", "C", "D", "E", "H", "L"});
    if (Is(mn, {"LDI", "LDD", "LDIR", "LDDR"})) addresses.insert(before.m.DE());
    if (Is(mn, {"CPI", "CPD", "CPIR", "CPDR"})) units.insert({"B", "C", "H", "L"});
    if (Is(mn, {"INI", "IND", "INIR", "INDR", "OUTI", "OUTD", "OTIR", "OTDR"}))
        units.insert({"B", "H", "L"});
    if (Is(mn, {"INI", "IND", "INIR", "INDR", "RRD", "RLD"})) addresses.insert(before.m.HL());
    if (Is(mn, {"PUSH", "POP", "CALL", "RET", "RST", "RETN", "RETI"})) units.insert({"SPH", "SPL"});
    if (Is(mn, {"PUSH", "CALL", "RST"})) addresses.insert({uint16_t(sp - 1), uint16_t(sp - 2)});
    if (Is(mn, {"DI", "EI", "IM"})) units.insert("IFF");
    if (mn == "HALT") units.insert("HALT");
    // Loads, exchanges, stack and flow, RES and SET leave F alone.
    const bool keepsF = Is(mn, {"-",  "NOP",  "TRAP", "EX",   "EXX",  "PUSH", "POP",  "JP",
                                "JR", "CALL", "RET",  "RETN", "RETI", "RST",  "DJNZ", "DI",
                                "EI", "IM",   "HALT", "OUT",  "RES",  "SET"}) ||
                        (mn == "LD" && last != "I" && last != "R") ||
                        (Is(mn, {"INC", "DEC"}) && IsWord(first));
    if (!keepsF) units.insert("F");
    for (const char* u : Units)
        if (!units.count(u)) {
            EXPECT_EQ(Unit(after.m, u), Unit(before.m, u)) << u << " is not named";
        }
    for (unsigned a = 0; a < 65536; ++a)
        if (after.memory[a] != before.memory[a]) {
            EXPECT_TRUE(addresses.count(int(a))) << std::hex << a << " is not named";
        }
}

// PC goes past the operand bytes the text names, or where a jump, call, return or restart says;
// calls and restarts push the address after them.
void CheckNextPc(const Decoded& dec, const State& before, const State& after) {
    const std::string& mn = dec.mnemonic;
    const std::string first = dec.First(), last = dec.Last();
    const uint16_t next = uint16_t(CodeAt + dec.length);
    bool taken = dec.operands.size() == 2 || mn == "RET" ? Condition(first, before.m.f) : true;
    uint16_t pc = next;
    if (mn == "JP")
        pc = !taken ? next : last == "nn" ? dec.nn : Value(before, dec, last.substr(1, 2), true);
    if (mn == "JR") pc = taken ? uint16_t(next + dec.e) : next;
    if (mn == "DJNZ") pc = before.m.b != 1 ? uint16_t(next + dec.e) : next;
    if (mn == "CALL" && taken) pc = dec.nn;
    if (Is(mn, {"RET", "RETN", "RETI"}) && taken) pc = Word(before, before.m.sp);
    if (mn == "RST") pc = uint16_t(std::stoi(first, nullptr, 16));
    // A repeating block instruction that goes round again is back on its first byte.
    if (mn.size() == 4 && mn.back() == 'R' && after.m.pc == CodeAt) pc = CodeAt;
    EXPECT_EQ(after.m.pc, pc);
    if ((mn == "CALL" && taken) || mn == "RST") { EXPECT_EQ(Word(after, after.m.sp), next); }
}

// The written operand holds what the text says: a load its source, arithmetic its result from
// whole numbers, a rotate or shift the reference shift, RES and SET the byte with the bit changed.
void CheckResult(const Decoded& dec, const State& before, const State& after) {
    const std::string& mn = dec.mnemonic;
    const std::vector<std::string>& ops = dec.operands;
    const std::string first = dec.First(), last = dec.Last();
    const unsigned a = before.m.a, c = before.m.f & FlagC;
    if (mn == "LD" && last != "R") {
        bool w = IsWord(first) || IsWord(last);
        EXPECT_EQ(Value(after, dec, first, w), Value(before, dec, last, w));
    }
    if (Is(mn, {"INC", "DEC"})) {
        bool w = IsWord(first);
        unsigned mask = w ? 0xFFFF : 0xFF, v = Value(before, dec, first, w);
        EXPECT_EQ(Value(after, dec, first, w), (mn == "INC" ? v + 1 : v + mask) & mask);
    }
    if (Is(mn, {"ADD", "ADC", "SUB", "SBC", "AND", "XOR", "OR", "CP"})) {
        bool w = IsWord(first) && first != "nn";
        unsigned v = Value(before, dec, last, w), x = Value(before, dec, w ? first : "A", w);
        unsigned carry = Is(mn, {"ADC", "SBC"}) ? c : 0;
        unsigned want = Is(mn, {"ADD", "ADC"})   ? x + v + carry
                        : Is(mn, {"SUB", "SBC"}) ? x - v - carry
                        : mn == "AND"            ? (x & v)
                        : mn == "XOR"            ? (x ^ v)
                        : mn == "OR"             ? (x | v)
                                                 : x;
        EXPECT_EQ(Value(after, dec, w ? first : "A", w), want & (w ? 0xFFFF : 0xFF));
    }
    const std::vector<std::string> shifts = {"RLC", "RRC", "RL", "RR", "SLA", "SRA", "SLL", "SRL"};
    for (unsigned k = 0; k < 8; ++k)
        if (mn == shifts[k]) {
            uint8_t want = ExpectedShift(k, uint8_t(Value(before, dec, first, false)), c).value;
            for (const std::string& o : ops) { EXPECT_EQ(Value(after, dec, o, false), want) << o; }
        }
    if (Is(mn, {"BIT", "RES", "SET"})) {
        unsigned b = unsigned(std::stoi(first)), v = Value(before, dec, ops[1], false);
        if (mn == "BIT") { EXPECT_EQ(bool(after.m.f & FlagZ), !((v >> b) & 1)); }
        for (size_t k = 1; mn != "BIT" && k < ops.size(); ++k) {
            EXPECT_EQ(Value(after, dec, ops[k], false),
                      mn == "RES" ? v & ~(1u << b) : v | (1u << b));
        }
    }
    if (mn == "PUSH") { EXPECT_EQ(Word(after, after.m.sp), Value(before, dec, first, true)); }
    if (mn == "POP") { EXPECT_EQ(Value(after, dec, first, true), Word(before, before.m.sp)); }
    if (mn == "EX") {
        EXPECT_EQ(Value(after, dec, first, true), Value(before, dec, last, true));
        EXPECT_EQ(Value(after, dec, last, true), Value(before, dec, first, true));
    }
    if (mn == "EXX") { EXPECT_EQ(after.m.BCAlt(), before.m.BC()); }
    if (mn == "NEG") { EXPECT_EQ(after.m.a, uint8_t(0 - a)); }
    if (mn == "CPL") { EXPECT_EQ(after.m.a, uint8_t(~a)); }
    if (mn == "SCF" || mn == "CCF") { EXPECT_EQ(after.m.f & FlagC, mn == "SCF" ? 1u : c ^ 1u); }
    if (mn == "DI" || mn == "EI") { EXPECT_EQ(after.m.Iff1(), mn == "EI"); }
    if (mn == "HALT") { EXPECT_EQ(after.m.halted, 1); }
}

// The instruction `code` (opcode bytes only) with two operand bytes after it: d or n anything,
// nn (the second byte in 0xC0-0xEF) an address in RAM.
void CheckInstruction(std::vector<uint8_t> code, std::mt19937& rng) {
    RandomMachine(rng);
    code.push_back(uint8_t(rng()));
    code.push_back(uint8_t(0xC0 + rng() % 0x30));
    for (size_t k = 0; k < code.size(); ++k) Machine.memory[CodeAt + k] = code[k];
    Machine.pc = CodeAt;
    const Decoded dec = Disassemble(code.data());
    SCOPED_TRACE(dec.text);
    const State before = Take();
    Step();
    const State after = Take();
    CheckOnlyNamedChange(dec, before, after);
    CheckNextPc(dec, before, after);
    CheckResult(dec, before, after);
}

} // namespace

// The index map is the main map with IX, its halves and (IX+d) for HL, H, L and (HL), but for
// the CB prefix, which leads to the indexed bit instructions.
TEST(InstructionMap, IndexMapIsTheMainMapWithTheIndexRegister) {
    for (int op = 0; op < 256; ++op) {
        if (op == 0xCB) continue;
        std::string index = Replace(Replace(IndexMap[op], "(IX+d)", "(HL)"), "IXH", "H");
        EXPECT_EQ(Replace(Replace(index, "IXL", "L"), "IX", "HL"), MainMap[op]) << std::hex << op;
    }
}

// Every instruction of every map, after every prefix that leads to it, four times from random
// machines.
TEST(InstructionMap, EveryOpcodeDoesWhatItsMapSays) {
    std::mt19937 rng(27);
    for (int trial = 0; trial < 4; ++trial)
        for (unsigned op = 0; op < 256; ++op) {
            uint8_t b = uint8_t(op);
            if (b != 0xCB && b != 0xDD && b != 0xED && b != 0xFD) {
                CheckInstruction({b}, rng);
                CheckInstruction({0xDD, b}, rng);
                CheckInstruction({0xFD, b}, rng);
            }
            CheckInstruction({0xCB, b}, rng);
            CheckInstruction({0xED, b}, rng);
            CheckInstruction({0xDD, 0xCB, uint8_t(rng()), b}, rng);
            CheckInstruction({0xFD, 0xCB, uint8_t(rng()), b}, rng);
        }
}
