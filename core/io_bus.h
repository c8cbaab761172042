// What the processor calls outside itself; defined by the port handlers and the tape loader.
#pragma once
#include <cstdint>

// OUT: the whole port address (A or B on its high byte) and the value written.
void PortWrite(uint16_t port, uint8_t value);
// IN: the low and high bytes of the port address; the value read.
uint8_t PortRead(uint8_t port, uint8_t high);

// The ROM loader's trap (ED FF): reads the next block of the open tape and checks its flag
// byte against `flag`. For a LOAD (carry of F' set) its bytes go to memory from `start` (IX) on,
// wrapping at 64K, except that bytes aimed below 0x4000 are discarded as the processor's writes
// are; for a VERIFY (carry clear) they are compared with memory and nothing is written. Advances
// IX and DE and returns TrapLoaded when the whole block matched, else TrapFailed (also with no
// tape open). A TAP block whose length word is 0 or 1 is passed over by itself and fails. A tape
// whose next block is not a standard-speed one returns TrapDeclined: the ROM's own loader then
// goes on and reads the pulses.
constexpr uint8_t TrapFailed = 0, TrapLoaded = 1, TrapDeclined = 2;
uint8_t TapeTrap(uint8_t flag, uint16_t start, uint16_t length);
