// How the Poke Memory dialog reads its two fields.
#pragma once
#include <cstdint>
#include <string>

constexpr int PokeFieldLimit = 15; // characters of a field that are read

// An unsigned decimal number: white space first is skipped, then an optional sign, then the
// digits up to the first other character. A minus sign wraps the number modulo 2^32 (so -1 is
// 4294967295); a number too large for 32 bits reads as 4294967295. False without any digit.
bool ReadPokeNumber(const std::string& text, uint32_t& value);
// Both fields read, the address at most 65535 and the value at most 255.
bool ReadPokeFields(const std::string& address, const std::string& value, uint16_t& where,
                    uint8_t& what);
