// The 128K and the +2 through their own ROMs: the start-up menu, 128 BASIC, 48 BASIC.
#include <gtest/gtest.h>

#include "rom_harness.h"

namespace {

bool ScreenShows(const std::string& text) { return ScreenText().find(text) != std::string::npos; }

TEST(Rom128Boot, ShowsTheStartUpMenu) {
    for (MachineKind kind : {MachineKind::Spectrum128, MachineKind::Plus2}) {
        MachineSwitch machine(kind);
        SKIP_WITHOUT(machine);
        RunFrames(150);
        SCOPED_TRACE(MachineName(kind));
        for (const char* item : {"Tape Loader", "128 BASIC", "Calculator", "48 BASIC"})
            EXPECT_TRUE(ScreenShows(item)) << item << "\n" << ScreenText();
        // The menu is drawn by ROM 0 in the screen of page 5.
        EXPECT_EQ(PagingPort & (PagingRomBit | PagingScreenBit), 0);
    }
}

// 128 BASIC takes its keywords letter by letter and prints the answer under the line typed.
TEST(Rom128Boot, PrintsTwoPlusTwoIn128Basic) {
    MachineSwitch machine(MachineKind::Spectrum128);
    SKIP_WITHOUT(machine);
    RunFrames(150);
    ASSERT_TRUE(TypeKeys("CS+6 ENTER")); // down to "128 BASIC"
    RunFrames(50);
    ASSERT_TRUE(ScreenShows("128 BASIC")) << ScreenText();
    ASSERT_TRUE(TypeKeys("P R I N T SPACE 2 SS+K 2 ENTER"));
    RunFrames(50);
    EXPECT_EQ(ScreenRowText(0).substr(0, 10), "print 2+2 ") << ScreenText();
    EXPECT_EQ(ScreenRowText(1).substr(0, 1), "4") << ScreenText();
    EXPECT_TRUE(ScreenShows("0 OK")) << ScreenText();
}

// "48 BASIC" pages in ROM 1 and locks the paging: the 48K editor with its keywords.
TEST(Rom128Boot, FortyEightBasicLocksRom1In) {
    MachineSwitch machine(MachineKind::Spectrum128);
    SKIP_WITHOUT(machine);
    RunFrames(150);
    ASSERT_TRUE(TypeKeys("CS+6 CS+6 CS+6 ENTER"));
    RunFrames(100);
    EXPECT_EQ(PagingPort & (PagingRomBit | PagingLockBit), PagingRomBit | PagingLockBit);
    ASSERT_TRUE(TypeKeys("P 2 SS+K 2 ENTER")); // PRINT 2+2 in K mode
    RunFrames(50);
    EXPECT_EQ(ScreenRowText(0).substr(0, 2), "4 ") << ScreenText();
}

} // namespace
