// The BMP reader on pictures we write, on pictures ImageMagick writes, and on other people's files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/image.h"
#include "imagetestutil.h"

namespace fs = std::filesystem;

namespace {

// A 24-bit bottom-up BMP with a 54-byte header; pixel (x, y) from the top is colour(x, y).
template <class F>
std::string writebmp(const std::string &name, int w, int h, F colour, long truncate = -1, int bits = 24,
                     int headersize = 40, int compression = 0) {
    const int stride = w * 3 + w % 4;
    std::vector<unsigned char> b(54 + size_t(stride) * h, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, uint32_t(headersize));
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    b[26] = 1;
    b[28] = uint8_t(bits);
    put32(30, uint32_t(compression));
    for (int i = 0; i < h; i++)
        for (int j = 0; j < w; j++) {
            const uint32_t c = colour(j, h - 1 - i);
            b[54 + size_t(i) * stride + j * 3 + 0] = uint8_t(c);
            b[54 + size_t(i) * stride + j * 3 + 1] = uint8_t(c >> 8);
            b[54 + size_t(i) * stride + j * 3 + 2] = uint8_t(c >> 16);
        }
    if (truncate >= 0) b.resize(size_t(truncate));
    const std::string path = testdir() + "/" + name;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return path;
}

uint32_t rgb(int x, int y) {
    return uint32_t((x * 37 + 11) & 255) << 16 | uint32_t((y * 53 + 7) & 255) << 8 | 0x5A;
}

} // namespace

TEST(BmpReader, OddWidthRowsArePaddedAndStoredBottomUp) {
    const std::string path = writebmp("w3.bmp", 3, 2, rgb);
    Guarded dest(3 * 2 * 4);
    readbmp32(path.c_str(), 0, 0, dest.data(), dest.size());
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 3; x++) EXPECT_EQ(dest.pixel(3, x, y), rgb(x, y)) << x << "," << y;
    EXPECT_TRUE(dest.intact());
}

TEST(BmpReader, FullScreenPictureWritesExactlyItsBytes) {
    const std::string path =
        writebmp("full.bmp", 320, 240, [](int x, int y) { return 0xFFFFFFu ^ rgb(x, y); });
    Guarded dest(320 * 240 * 4, 0xEE);
    readbmp32(path.c_str(), 0, 0, dest.data(), dest.size());
    for (size_t i = 3; i < dest.size(); i += 4) ASSERT_EQ(dest.data()[i], 0);
    EXPECT_EQ(dest.pixel(320, 319, 239), 0xFFFFFFu ^ rgb(319, 239));
    EXPECT_TRUE(dest.intact());
}

TEST(BmpReader, OffsetPlacesThePictureAndClipsWhatDoesNotFit) {
    const std::string path = writebmp("off.bmp", 4, 4, rgb);
    Guarded dest(4 * 6 * 4, 0xEE);
    readbmp32(path.c_str(), 0, 2, dest.data(), dest.size()); // rows 2..5 of a 6-row block
    EXPECT_EQ(dest.pixel(4, 0, 2), rgb(0, 0));
    EXPECT_EQ(dest.pixel(4, 3, 5), rgb(3, 3));
    EXPECT_EQ(dest.pixel(4, 0, 0), 0xEEEEEEEEu);
    Guarded small(4 * 3 * 4, 0xEE); // a picture taller than its block
    readbmp32(path.c_str(), 0, 1, small.data(), small.size());
    EXPECT_EQ(small.pixel(4, 2, 2), rgb(2, 1));
    EXPECT_TRUE(small.intact());
}

TEST(BmpReader, ShortFileGivesBlackWhereThePixelsAreMissing) {
    const std::string path = writebmp(
        "short.bmp", 8, 8, [](int, int) { return 0xFFFFFFu; }, 54 + 24 * 4 + 5);
    Guarded dest(8 * 8 * 4, 0xEE);
    readbmp32(path.c_str(), 0, 0, dest.data(), dest.size());
    EXPECT_EQ(dest.pixel(8, 0, 7), 0xFFFFFFu); // bottom rows were stored first
    EXPECT_EQ(dest.pixel(8, 0, 0), 0u);
    EXPECT_TRUE(dest.intact());
}

TEST(BmpReaderDeathTest, MissingFileSaysSoOnStandardOutput) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fixed name: the death test's child runs this function again and would make another folder.
    const std::string out = "/tmp/showcase-bmp-missing-stdout.txt";
    std::vector<unsigned char> dest(64);
    EXPECT_DEATH(
        {
            std::freopen(out.c_str(), "w", stdout);
            readbmp32(".\\gfx\\missing.bmp", 0, 0, dest.data(), dest.size());
        },
        "");
    EXPECT_EQ(slurp(out), "BMP file not found\n");
}

TEST(BmpReader, AgreesWithImageMagick) {
    const std::string src = testdir() + "/im.bmp";
    ASSERT_EQ(std::system(("convert -size 13x7 plasma:fractal -seed 1 -type TrueColor BMP3:" + src).c_str()),
              0);
    expectsameasimagemagick(src);
}

TEST(BmpReader, OtherPeoplesFiles) {
    int decoded = 0, refused = 0;
    for (const char *dir : {"/usr/share/games/ballz", "/usr/share/games/njam"}) {
        if (!fs::exists(dir)) GTEST_SKIP() << dir << " is not installed (scripts/install-deps installs it)";
        for (const auto &e : fs::recursive_directory_iterator(dir)) {
            if (e.path().extension() != ".bmp") continue;
            const std::string path = e.path().string();
            if (isplain24bitbmp(path)) {
                expectsameasimagemagick(path);
                decoded++;
            } else {
                std::vector<unsigned char> dest(16);
                EXPECT_EXIT(readbmp32(path.c_str(), 0, 0, dest.data(), dest.size()),
                            ::testing::ExitedWithCode(1), e.path().filename().string())
                    << path;
                refused++;
            }
        }
    }
    EXPECT_GT(decoded, 3);
    RecordProperty("decoded", decoded);
    RecordProperty("refused", refused);
}
