#include "tools/key_chords.h"

#include "engine/engine.h"

bool ParseChords(const char* text, KeyChords& chords, std::string& error) {
    chords.clear();
    std::string all(text);
    size_t at = 0;
    while (at < all.size()) {
        if (all[at] == ' ') {
            ++at;
            continue;
        }
        size_t end = all.find(' ', at);
        if (end == std::string::npos) end = all.size();
        std::string chord = all.substr(at, end - at);
        std::vector<uint8_t> keys;
        size_t from = 0;
        for (;;) {
            size_t plus = chord.find('+', from);
            std::string key = chord.substr(from, plus == std::string::npos ? plus : plus - from);
            int vk = VirtualKeyOfSpectrumKey(key.c_str());
            if (vk < 0) {
                error = "unknown key \"" + key + "\" in chord \"" + chord +
                        "\" of --type (keys are A-Z, 0-9, ENTER, SPACE, CS, SS; chords join "
                        "keys with +)";
                return false;
            }
            keys.push_back(uint8_t(vk));
            if (plus == std::string::npos) break;
            from = plus + 1;
        }
        chords.push_back(keys);
        at = end;
    }
    if (chords.empty()) {
        error = "--type needs at least one key";
        return false;
    }
    return true;
}
