// The runner's --type text: a chord for every space-separated word, each key a Spectrum key.
#include <set>
#include <string>

#include "fuzz/fuzz_harness.h"
#include "peripherals/keyboard.h"
#include "tools/key_chords.h"

static std::set<int> KnownKeys() {
    std::set<int> keys;
    const char* names[] = {"ENTER", "SPACE", "CS", "SS"};
    for (const char* name : names) keys.insert(VirtualKeyOfSpectrumKey(name));
    for (char c = 'A'; c <= 'Z'; ++c)
        keys.insert(VirtualKeyOfSpectrumKey(std::string(1, c).c_str()));
    for (char c = '0'; c <= '9'; ++c)
        keys.insert(VirtualKeyOfSpectrumKey(std::string(1, c).c_str()));
    return keys;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::set<int> known = KnownKeys();
    const std::string text(reinterpret_cast<const char*>(data), size);
    KeyChords chords;
    std::string error;
    const bool ok = ParseChords(text.c_str(), chords, error);
    // The words as the text's own spaces divide it, up to any NUL.
    size_t words = 0;
    const char* c = text.c_str();
    for (size_t i = 0; c[i]; ++i) words += c[i] != ' ' && (i == 0 || c[i - 1] == ' ');
    if (!ok) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(!chords.empty() && chords.size() == words);
    for (const auto& chord : chords) {
        FUZZ_CHECK(!chord.empty());
        for (uint8_t vk : chord) FUZZ_CHECK(known.count(vk));
    }
    return 0;
}
