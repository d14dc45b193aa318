// The generator's own building blocks: its BMP and JPEG writers read back by the show's readers, seamless
// texture maps, and glyph text.
#include "image/image.h"
#include "makers.h"
#include "raster.h"
#include "text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string temppath(const char *name) {
    return std::string(SHOWCASE_BUILD_DIR) + "/tests/mkdata/" + name + "-" + std::to_string(getpid());
}

mkdata::Image pattern(int w, int h) {
    mkdata::Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.at(x, y) = {static_cast<float>(x * 40 % 256) / 255.0f,
                            static_cast<float>(y * 70 % 256) / 255.0f,
                            static_cast<float>((x + y) * 25 % 256) / 255.0f};
    return img;
}

TEST(Writers, BmpOfEveryRowPaddingReadsBackThroughTheShowsReader) {
    // Widths 1 to 5 need 3, 2, 1, 0 and 3 bytes of padding per row; rows are stored bottom-up.
    for (int w = 1; w <= 5; ++w) {
        for (int h = 1; h <= 3; ++h) {
            const mkdata::Image img = pattern(w, h);
            const std::string path = temppath("pad.bmp");
            std::string error;
            ASSERT_TRUE(mkdata::writebmp24(img, path, error)) << error;
            std::vector<unsigned char> dest(static_cast<size_t>(w * h * 4) + 16, 0xEE);
            readbmp32(path.c_str(), 0, 0, dest.data(), static_cast<size_t>(w * h * 4));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const unsigned char *p = &dest[static_cast<size_t>((y * w + x) * 4)];
                    const mkdata::Rgb &c = img.at(x, y);
                    EXPECT_EQ(p[0], mkdata::tobyte(c.b)) << w << "x" << h << " at " << x << "," << y;
                    EXPECT_EQ(p[1], mkdata::tobyte(c.g));
                    EXPECT_EQ(p[2], mkdata::tobyte(c.r));
                    EXPECT_EQ(p[3], 0);
                }
            EXPECT_EQ(dest[static_cast<size_t>(w * h * 4)], 0xEE) << "written past the picture";
            std::remove(path.c_str());
        }
    }
}

TEST(Writers, JpegReadsBackThroughTheShowsReader) {
    mkdata::Image img(48, 32, mkdata::hex(0x204080));
    mkdata::fillrect(img, 24, 0, 48, 32, mkdata::hex(0xf0c010));
    const std::string path = temppath("flat.jpg");
    std::string error;
    ASSERT_TRUE(mkdata::writejpeg(img, path, 92, error)) << error;
    std::vector<unsigned char> dest(48 * 32 * 4);
    ASSERT_EQ(readjpg(path.c_str(), dest.data(), dest.size()), 1);
    auto near = [](int a, int b) { return std::abs(a - b) <= 6; };
    const unsigned char *left = &dest[(16 * 48 + 5) * 4], *right = &dest[(16 * 48 + 40) * 4];
    EXPECT_TRUE(near(left[0], 0x80) && near(left[1], 0x40) && near(left[2], 0x20));
    EXPECT_TRUE(near(right[0], 0x10) && near(right[1], 0xc0) && near(right[2], 0xf0));
    std::remove(path.c_str());
    EXPECT_FALSE(mkdata::writejpeg(img, "/nonexistent-dir/x.jpg", 90, error));
    EXPECT_NE(error.find("/nonexistent-dir/x.jpg"), std::string::npos);
}

TEST(Writers, TilingNoiseRepeatsExactlyAtItsPeriod) {
    for (float x : {0.3f, 1.7f, 5.25f})
        for (float y : {0.1f, 2.9f}) {
            // Equal up to the rounding of x + 4 itself.
            EXPECT_NEAR(mkdata::noise(x, y, 7, 4), mkdata::noise(x + 4.0f, y, 7, 4), 1e-5f);
            EXPECT_NEAR(mkdata::noise(x, y, 7, 4), mkdata::noise(x, y - 8.0f, 7, 4), 1e-5f);
            EXPECT_NEAR(mkdata::fbm(x, y, 5, 9, 4), mkdata::fbm(x + 4.0f, y + 4.0f, 5, 9, 4), 1e-4f);
            // Without a period it does not repeat there.
            EXPECT_GT(std::fabs(mkdata::noise(x, y, 7) - mkdata::noise(x + 4.0f, y, 7)) +
                          std::fabs(mkdata::noise(x + 0.5f, y, 7) - mkdata::noise(x + 4.5f, y, 7)),
                      1e-3f);
        }
}

TEST(Writers, TextureMapsAreSeamlessWhereTheyRepeat) {
    // The scenes repeat these maps across their surfaces: the last column must run on into the first
    // (and the last row into the first) about as smoothly as any two neighbouring columns do.
    for (const mkdata::TextureMap &t : mkdata::texturemaps()) {
        const std::string name = t.file;
        if (name.rfind("lbl", 0) == 0 || name.rfind("door", 0) == 0 || name == "sky.jpg" ||
            name == "gold.jpg")
            continue; // pictures placed once, not repeated
        const mkdata::Image img = t.make();
        ASSERT_EQ(img.w, 256);
        ASSERT_EQ(img.h, 256);
        auto columns = [&](int a, int b) {
            double d = 0.0;
            for (int y = 0; y < 256; ++y) {
                const mkdata::Rgb p = img.at(a, y) - img.at(b, y);
                d += std::fabs(p.r) + std::fabs(p.g) + std::fabs(p.b);
            }
            return d;
        };
        auto rows = [&](int a, int b) {
            double d = 0.0;
            for (int x = 0; x < 256; ++x) {
                const mkdata::Rgb p = img.at(x, a) - img.at(x, b);
                d += std::fabs(p.r) + std::fabs(p.g) + std::fabs(p.b);
            }
            return d;
        };
        // Designed edges (tiles, planks, plates) appear inside the map too: the seam may be as sharp as the
        // sharpest of them, no sharper.
        double columnmax = 0.0, rowmax = 0.0;
        for (int k = 0; k < 255; ++k) {
            columnmax = std::max(columnmax, columns(k, k + 1));
            rowmax = std::max(rowmax, rows(k, k + 1));
        }
        EXPECT_LE(columns(255, 0), columnmax * 1.1 + 1.0) << name;
        EXPECT_LE(rows(255, 0), rowmax * 1.1 + 1.0) << name;
    }
}

TEST(Writers, TextHasGlyphsOfItsSize) {
    std::string error;
    ASSERT_TRUE(mkdata::checkfonts(error)) << error;
    EXPECT_GT(mkdata::textwidth(mkdata::Font::Sans, 20.0f, "GALLERY"),
              mkdata::textwidth(mkdata::Font::Sans, 10.0f, "GALLERY"));
    mkdata::Image mask(64, 32);
    mkdata::textmask(mask, mkdata::Font::SansBold, 24.0f, 4.0f, 26.0f, "Ag");
    double ink = 0.0;
    for (const mkdata::Rgb &p : mask.px) ink += p.r;
    EXPECT_GT(ink, 40.0);
}

} // namespace
