#include "media/pzx_blocks.h"

#include "media/load_error.h"
#include "media/tzx_blocks.h"

PzxData PzxDataFields(const uint8_t* body) {
    PzxData d{};
    const uint32_t count = TzxDword(body);
    d.bits = count & 0x7FFFFFFF, d.level = uint8_t(count >> 31);
    d.tail = TzxWord(body + 4);
    d.zeroPulses = body[6], d.onePulses = body[7];
    d.zeroAt = 8, d.oneAt = d.zeroAt + 2u * d.zeroPulses, d.bitsAt = d.oneAt + 2u * d.onePulses;
    return d;
}

bool ReadPzxBlocks(const uint8_t* data, size_t size) {
    if (!data || size < PzxBlockHeader + 2 || TzxDword(data) != PzxTag("PZXT") || data[8] != 1) {
        LastLoadError = LoadError::NotPzx;
        return false;
    }
    if (size > PzxLargest) {
        LastLoadError = LoadError::TooLarge;
        return false;
    }
    for (size_t at = 0; at < size;) {
        const size_t left = size - at;
        if (left < PzxBlockHeader || TzxDword(data + at + 4) > left - PzxBlockHeader) {
            LastLoadError = LoadError::Damaged;
            return false;
        }
        const uint32_t length = TzxDword(data + at + 4);
        const uint8_t* body = data + at + PzxBlockHeader;
        bool whole = true;
        if (TzxDword(data + at) == PzxTag("DATA")) {
            whole = length >= 8;
            if (whole) {
                const PzxData d = PzxDataFields(body);
                whole = d.bitsAt + (uint64_t(d.bits) + 7) / 8 <= length;
            }
        } else if (TzxDword(data + at) == PzxTag("PAUS")) {
            whole = length >= 4;
        } else if (TzxDword(data + at) == PzxTag("PZXT")) {
            whole = length >= 2;
        }
        if (!whole) {
            LastLoadError = LoadError::Damaged;
            return false;
        }
        at += PzxBlockHeader + length;
    }
    return true;
}
