// The runner's --type chords: words divided by spaces, keys of a chord joined by +.
#include <gtest/gtest.h>

#include "peripherals/keyboard.h"
#include "tools/key_chords.h"

namespace {

uint8_t Key(const char* name) { return uint8_t(VirtualKeyOfSpectrumKey(name)); }

TEST(KeyChords, ChordsFollowTheWordsAndKeysTheirNames) {
    KeyChords chords;
    std::string error;
    ASSERT_TRUE(ParseChords("  J SS+P   CS+SS+0 ENTER ", chords, error)) << error;
    const KeyChords expected = {
        {Key("J")}, {Key("SS"), Key("P")}, {Key("CS"), Key("SS"), Key("0")}, {Key("ENTER")}};
    EXPECT_EQ(chords, expected);
}

TEST(KeyChords, AnUnknownOrEmptyKeyNamesItselfAndItsChord) {
    KeyChords chords;
    std::string error;
    EXPECT_FALSE(ParseChords("A SS+", chords, error));
    EXPECT_NE(error.find("unknown key \"\" in chord \"SS+\""), std::string::npos) << error;
    EXPECT_FALSE(ParseChords("enter", chords, error));
    EXPECT_NE(error.find("unknown key \"enter\""), std::string::npos) << error;
    EXPECT_FALSE(ParseChords("   ", chords, error));
    EXPECT_NE(error.find("at least one key"), std::string::npos) << error;
}

} // namespace
