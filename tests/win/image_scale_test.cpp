// The toolbar images scaled for a high DPI setting: exact where the factor is
// whole, smooth edges otherwise, no image bleeding into the next one.
#include "win/image_scale.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t WHITE = 0xFFFFFFFFu, RED = 0xFFFF0000u, CLEAR = 0;

TEST(ImageScale, WholeFactorsRepeatPixelsAndTheSameSizeKeepsThem) {
    const ImageStrip strip{2, 1, 1, {RED, WHITE}};
    EXPECT_EQ(scale_strip(strip, 2, 1).pixels, strip.pixels);
    EXPECT_EQ(scale_strip(strip, 4, 2).pixels, (std::vector<uint32_t>{RED, RED, WHITE, WHITE,  //
                                                                      RED, RED, WHITE, WHITE}));
}

TEST(ImageScale, OneAndAHalfBlendsEdgesByArea) {
    const ImageStrip strip{2, 2, 1, {WHITE, CLEAR, CLEAR, CLEAR}};
    const ImageStrip big = scale_strip(strip, 3, 3);
    EXPECT_EQ(big.pixels, (std::vector<uint32_t>{WHITE, 0x80808080u, CLEAR,        //
                                                 0x80808080u, 0x40404040u, CLEAR,  //
                                                 CLEAR, CLEAR, CLEAR}));
}

TEST(ImageScale, ImagesStayApartAndKeyColourTurnsClear) {
    ImageStrip strip{3, 2, 2, {}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x) strip.pixels.push_back(x < 3 ? 0x00FF0000u : 0x00C0C0C0u);
    make_key_transparent(strip, 0xC0C0C0u);
    const ImageStrip big = scale_strip(strip, 5, 3);
    ASSERT_EQ(big.pixels.size(), 30u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(big.pixels[size_t(y * 10 + x)], x < 5 ? RED : CLEAR) << x << "," << y;
}

TEST(ImageScale, StraightAlphaForTheImageList) {
    ImageStrip strip{3, 1, 1, {0x80808080u, 0x40201000u, WHITE}};
    to_straight_alpha(strip);
    EXPECT_EQ(strip.pixels, (std::vector<uint32_t>{0x80FFFFFFu, 0x40804000u, WHITE}));
}

TEST(ImageScale, SizesForTheDpi) {
    EXPECT_EQ(scale_for_dpi(18, 96), 18);
    EXPECT_EQ(scale_for_dpi(17, 96), 17);
    EXPECT_EQ(scale_for_dpi(18, 144), 27);
    EXPECT_EQ(scale_for_dpi(17, 144), 26);
    EXPECT_EQ(scale_for_dpi(18, 120), 23);
    EXPECT_EQ(scale_for_dpi(17, 192), 34);
}

}  // namespace
