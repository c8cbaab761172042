#include "app/poke_number.h"

#include <cctype>

bool ReadPokeNumber(const std::string& text, uint32_t& value) {
    const std::string field = text.substr(0, PokeFieldLimit);
    size_t i = 0;
    while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i]))) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
    const size_t first = i;
    uint64_t n = 0;
    bool overflow = false;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        n = n * 10 + uint64_t(field[i] - '0');
        if (n > UINT32_MAX) overflow = true, n = UINT32_MAX; // 15 characters stay far below 2^64
    }
    if (i == first) return false;
    value = overflow ? UINT32_MAX : negative ? uint32_t(0u - uint32_t(n)) : uint32_t(n);
    return true;
}

bool ReadPokeFields(const std::string& address, const std::string& value, uint16_t& where,
                    uint8_t& what) {
    uint32_t a = 0, v = 0;
    if (!ReadPokeNumber(address, a) || !ReadPokeNumber(value, v)) return false;
    if (a > 65535 || v > 255) return false;
    where = uint16_t(a);
    what = uint8_t(v);
    return true;
}
