// Screenshots: written through the PNG library, read back through it, compared pixel by pixel.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "media/frame_png.h"
#include "render_harness.h"

namespace fs = std::filesystem;

namespace {

fs::path TestDir(const char* name) {
    fs::path dir = fs::path(WENDAL_TEST_BINARY_DIR) / "png_test" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

bool ReadPngRgb(const fs::path& path, int& width, int& height, std::vector<uint8_t>& rgb) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.string().c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    width = int(image.width), height = int(image.height);
    return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
}

std::vector<fs::path> Listing(const fs::path& dir) {
    std::vector<fs::path> files;
    for (auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path().filename());
    return files;
}

} // namespace

TEST(FramePng, RoundTripGivesTheScreenAndBorderAtBothSizes) {
    CleanScreen(0);
    FillScreenPattern(4242);
    for (int b = 0; b < 240; ++b) BorderLog.bands[b] = uint8_t(b / 30);
    FlashPhase = 1;
    // The display's own state must come through untouched.
    BuildRenderTables();
    InvalidateScreen();
    ScreenShadowRecord before = ScreenShadow;
    fs::path dir = TestDir("round_trip");
    for (const WriterCase* w : {&AllWriters[2], &AllWriters[6]}) { // the 24-bit shapes
        fs::path file = dir / (std::string(w->name) + ".png");
        ASSERT_TRUE(SaveFramePng(file.string().c_str(), w->scale == 2));
        int width = 0, height = 0;
        std::vector<uint8_t> rgb;
        ASSERT_TRUE(ReadPngRgb(file, width, height, rgb));
        ASSERT_EQ(width, 320 * w->scale);
        ASSERT_EQ(height, 240 * w->scale);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* want = TestRgb[ExpectedColour(*w, x, y)];
                const uint8_t* got = &rgb[(size_t(y) * width + x) * 3];
                ASSERT_TRUE(got[0] == want[0] && got[1] == want[1] && got[2] == want[2])
                    << w->name << " (" << x << ", " << y << ")";
            }
    }
    EXPECT_EQ(std::memcmp(&before, &ScreenShadow, sizeof before), 0);
    EXPECT_EQ(Listing(dir).size(), 2u); // no temporary left beside them
    FlashPhase = 0;
}

// The window's scales: each pixel of the 320 x 240 frame a whole square of the picture.
TEST(FramePng, ScaledScreenshotsAreTheFrameInWholeSquares) {
    CleanScreen(0);
    FillScreenPattern(977);
    for (int b = 0; b < 240; ++b) BorderLog.bands[b] = uint8_t(7 - b / 30);
    fs::path dir = TestDir("scaled");
    const WriterCase& single24 = AllWriters[2];
    for (int scale = 1; scale <= 4; ++scale) {
        fs::path file = dir / ("x" + std::to_string(scale) + ".png");
        ASSERT_TRUE(SaveFramePngScaled(file.string().c_str(), scale));
        int width = 0, height = 0;
        std::vector<uint8_t> rgb;
        ASSERT_TRUE(ReadPngRgb(file, width, height, rgb));
        ASSERT_EQ(width, 320 * scale);
        ASSERT_EQ(height, 240 * scale);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* want = TestRgb[ExpectedColour(single24, x / scale, y / scale)];
                const uint8_t* got = &rgb[(size_t(y) * width + x) * 3];
                ASSERT_TRUE(got[0] == want[0] && got[1] == want[1] && got[2] == want[2])
                    << "scale " << scale << " (" << x << ", " << y << ")";
            }
    }
    EXPECT_FALSE(SaveFramePngScaled((dir / "x5.png").string().c_str(), 5));
    EXPECT_FALSE(SaveFramePngScaled((dir / "x0.png").string().c_str(), 0));
    EXPECT_EQ(Listing(dir).size(), 4u);
}

TEST(FramePng, ReplacesAnExistingFileWhole) {
    CleanScreen(2);
    fs::path dir = TestDir("replace");
    fs::path file = dir / "shot.png";
    std::ofstream(file) << "old contents";
    ASSERT_TRUE(SaveFramePng(file.string().c_str(), false));
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(ReadPngRgb(file, width, height, rgb));
    EXPECT_EQ(rgb[0], 180); // red border
    EXPECT_EQ(Listing(dir), std::vector<fs::path>{"shot.png"});
}

TEST(FramePng, FailureIsReportedAndLeavesNothingBehind) {
    CleanScreen(0);
    fs::path dir = TestDir("failure");
    EXPECT_FALSE(SaveFramePng((dir / "missing" / "shot.png").string().c_str(), false));
    EXPECT_FALSE(SaveFramePng("", false));
    EXPECT_FALSE(SaveFramePng(nullptr, false));
    // A directory in the way: the file cannot be renamed over it.
    fs::create_directory(dir / "taken.png");
    EXPECT_FALSE(SaveFramePng((dir / "taken.png").string().c_str(), false));
    EXPECT_EQ(Listing(dir), std::vector<fs::path>{"taken.png"});
    EXPECT_TRUE(fs::is_directory(dir / "taken.png"));
}
