#include "media/csw_pulses.h"

#include <zlib.h>

#include <cstring>

#include "media/load_error.h"

bool ReadCswHeader(const uint8_t* data, size_t size, CswHeader& header) {
    static const char Signature[] = "Compressed Square Wave\x1A";
    if (!data || size < 0x18 || std::memcmp(data, Signature, 23) || data[0x17] < 1 ||
        data[0x17] > 2) {
        LastLoadError = LoadError::NotCsw;
        return false;
    }
    if (size > CswLargest) {
        LastLoadError = LoadError::TooLarge;
        return false;
    }
    const bool v2 = data[0x17] == 2;
    const size_t fixed = v2 ? 0x34 : 0x20;
    uint8_t compression = 0;
    if (size >= fixed) {
        if (v2) {
            header.rate = uint32_t(data[0x19] | data[0x1A] << 8 | data[0x1B] << 16) |
                          uint32_t(data[0x1C]) << 24;
            compression = data[0x21];
            header.level = data[0x22] & 1;
            header.dataAt = uint32_t(fixed + data[0x23]); // past the header's extension
        } else {
            header.rate = uint32_t(data[0x19] | data[0x1A] << 8);
            compression = data[0x1B];
            header.level = data[0x1C] & 1;
            header.dataAt = uint32_t(fixed);
        }
    }
    header.zrle = compression == 2;
    if (size < fixed || header.dataAt > size || header.rate == 0 || compression < 1 ||
        compression > (v2 ? 2 : 1)) {
        LastLoadError = LoadError::Damaged;
        return false;
    }
    return true;
}

namespace {

constexpr uint32_t InflateChunk = 16384; // input handed to zlib at a time
constexpr int InflateTries = 64;         // chunks that may yield nothing before the data is bad

struct CswStream {
    const uint8_t* data = nullptr;
    size_t size = 0, at = 0;
    bool zrle = false, failed = false, inflating = false, ended = false;
    uint8_t out[4096];
    uint32_t have = 0, used = 0;
};

CswStream Csw;
z_stream Inflater;

// Inflates more run lengths into `out`. False at the stream's end or on damaged data.
bool Refill() {
    if (Csw.ended || Csw.failed) return false;
    Inflater.next_out = Csw.out;
    Inflater.avail_out = sizeof Csw.out;
    for (int tries = 0; tries < InflateTries && Inflater.avail_out == sizeof Csw.out; ++tries) {
        const size_t left = Csw.size - Csw.at;
        Inflater.next_in = const_cast<Bytef*>(Csw.data + Csw.at);
        Inflater.avail_in = uInt(left < InflateChunk ? left : InflateChunk);
        const uInt given = Inflater.avail_in;
        const int status = inflate(&Inflater, Z_NO_FLUSH);
        Csw.at += given - Inflater.avail_in;
        if (status == Z_STREAM_END) {
            Csw.ended = true;
            break;
        }
        if (status != Z_OK && !(status == Z_BUF_ERROR && left == 0)) {
            Csw.failed = true;
            break;
        }
        if (left == 0) break; // cut short: what came out is played
    }
    Csw.have = uint32_t(sizeof Csw.out - Inflater.avail_out);
    Csw.used = 0;
    return Csw.have > 0;
}

bool NextByte(uint8_t& b) {
    if (!Csw.zrle) {
        if (Csw.at >= Csw.size) return false;
        b = Csw.data[Csw.at++];
        return true;
    }
    if (Csw.used == Csw.have && !Refill()) return false;
    b = Csw.out[Csw.used++];
    return true;
}

} // namespace

void CswStart(const uint8_t* data, size_t size, bool zrle) {
    Csw.data = data, Csw.size = size, Csw.at = 0;
    Csw.zrle = zrle, Csw.failed = false, Csw.ended = false;
    Csw.have = Csw.used = 0;
    if (!zrle) return;
    const int status = Csw.inflating ? inflateReset(&Inflater) : inflateInit(&Inflater);
    Csw.inflating = status == Z_OK;
    Csw.failed = !Csw.inflating;
}

bool CswNextPulse(uint32_t& samples) {
    uint8_t b;
    if (!NextByte(b)) return false;
    if (b) {
        samples = b;
        return true;
    }
    // 0: the length follows in 32 bits.
    samples = 0;
    for (int k = 0; k < 4; ++k) {
        if (!NextByte(b)) {
            Csw.failed = true; // cut inside a pulse's length
            return false;
        }
        samples |= uint32_t(b) << (8 * k);
    }
    return true;
}

bool CswFailed() { return Csw.failed; }

size_t CswOffset() { return Csw.at; }
