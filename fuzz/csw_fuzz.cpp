// .csw recordings from bytes, played and trapped as fuzz/pulse_tape_fuzz.h checks.
#include "fuzz/pulse_tape_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzPulseTape(data, size, PulseFormat::Csw);
}
