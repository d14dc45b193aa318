// Pictures whose headers lie about their size, and every file a reader refuses: the readers do work only
// for pixels that can land in their block, refuse sizes no picture can have before decoding, stay within
// their memory cap, and name the file and the reason when they stop.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "image/image.h"
#include "imagetestutil.h"

namespace {

// Beside this file.
const std::string CORPUS = [] {
    const std::string here = __FILE__;
    return here.substr(0, here.rfind('/')) + "/corpus/";
}();

// A BMP header of w x h pixels: bits a pixel, compression and the size of its info header as given.
std::string header(int32_t w, int32_t h, int bits = 24, int compression = 0, uint32_t infosize = 40) {
    std::string b(54, '\0');
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) b[at + i] = char(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put(2, 54), put(10, 54), put(14, infosize), put(18, uint32_t(w)), put(22, uint32_t(h));
    b[26] = 1, b[28] = char(bits), b[30] = char(compression);
    return b;
}

std::string file(const std::string &name, const std::string &bytes) {
    const std::string path = testdir() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string folder(const std::string &name) {
    const std::string path = testdir() + "/" + name;
    std::filesystem::create_directories(path);
    return path;
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

TEST(LyingPictures, BmpHeadersWithRowsOrColumnsBeyondTheBlockAreClippedQuickly) {
    // Declared sizes below the refusal limit but far beyond the block and the file: the block gets black
    // rows, nothing past its end is touched, and no time goes to pixels that cannot land.
    for (auto [w, h, x, y] : std::vector<std::array<int, 4>>{
             {640, 32768, 0, 0}, {32768, 32768, 0, 0}, {32768, 1, -5, 0}, {320, 32768, 7, -30000}}) {
        Guarded dest(640 * 480 * 4, 0x77);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(decodebmp32(reinterpret_cast<const unsigned char *>(header(w, h).data()), 54, x, y,
                              dest.data(), dest.size()),
                  nullptr);
        EXPECT_LT(seconds(start), 1.0) << w << " x " << h;
        EXPECT_TRUE(dest.intact()) << w << " x " << h;
    }
    Guarded dest(640 * 480 * 4, 0x77);
    decodebmp32(reinterpret_cast<const unsigned char *>(header(640, 32768).data()), 54, 0, 0, dest.data(),
                dest.size());
    EXPECT_EQ(dest.pixel(640, 0, 0), 0u);     // a row the file does not hold: black
    EXPECT_EQ(dest.pixel(640, 639, 479), 0u); // up to the block's last pixel
}

// Every file a reader refuses, in one table: the program stops with the reader's status and a message that
// names the file first, before any time goes to decoding.
TEST(LyingPicturesDeathTest, RefusedFilesStopTheProgramNamingTheFileAndTheReason) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string pixels(16, '\x40');
    struct refusal {
        std::string path;
        bool bmp;
        std::string message; // after "showcase: PATH: "
    };
    const std::vector<refusal> table = {
        {CORPUS + "bmp/zarn-rows.bmp", true, "the BMP declares a size larger than any picture can be"},
        {CORPUS + "bmp/veltor-both.bmp", true, "the BMP declares a size larger than any picture can be"},
        {CORPUS + "bmp/artbalk-rows.bmp", true, "the BMP declares a size larger than any picture can be"},
        {CORPUS + "bmp/wide.bmp", true, "the BMP declares a size larger than any picture can be"},
        {CORPUS + "bmp/topdown.bmp", true, "the BMP declares a size larger than any picture can be"},
        {file("eight.bmp", header(2, 2, 8) + pixels), true, "only 24-bit"},
        {file("rle.bmp", header(2, 2, 24, 1) + pixels), true, "compressed"},
        {file("os2.bmp", header(2, 2, 24, 0, 12) + pixels), true, ".*header"},
        // There but unreadable (a folder: permissions do not stop root): the file and the reason.
        {folder("folder.bmp"), true, "Is a directory\n$"},
        {CORPUS + "jpeg/gallery-65000.jpg", false, "the JPEG declares 65000 x 65000 pixels"},
        // 30000 x 30000 is a size a picture may have, but its progressive coefficients would need gigabytes.
        {CORPUS + "jpeg/progressive-30000.jpg", false,
         "the picture is 30000 x 30000 pixels, too large for the show: decoding it needs more than the 256 "
         "MB a "
         "picture may take\n$"},
        {file("notjpeg.jpg", "BM not a jpeg at all"), false, "Not a JPEG file: starts with 0x42 0x4d"},
    };
    // A death test's child runs the test again, and the generated files' folder is the process's own: the
    // path is matched up to its folder.
    auto named = [](const std::string &path) { return ".*/" + path.substr(path.rfind('/') + 1); };
    for (const refusal &r : table) {
        std::vector<unsigned char> dest(640 * 480 * 4);
        const auto start = std::chrono::steady_clock::now();
        if (r.bmp)
            EXPECT_EXIT(readbmp32(r.path.c_str(), 0, 0, dest.data(), dest.size()),
                        ::testing::ExitedWithCode(1), "^showcase: " + named(r.path) + ": " + r.message)
                << r.path;
        else
            EXPECT_EXIT(readjpg(r.path.c_str(), dest.data(), dest.size()), ::testing::ExitedWithCode(255),
                        "^showcase: " + named(r.path) + ": " + r.message)
                << r.path;
        EXPECT_LT(seconds(start), 2.0) << r.path;
    }
}

TEST(LyingPictures, TheInMemoryReadersRefuseWithAReasonInsteadOfEndingTheProgram) {
    std::vector<unsigned char> dest(640 * 480 * 4);
    const std::string jpeg = slurp(CORPUS + "jpeg/progressive.jpg");
    const auto *bytes = reinterpret_cast<const unsigned char *>(jpeg.data());
    EXPECT_EQ(decodejpg(bytes, jpeg.size(), dest.data(), dest.size()), nullptr);
    for (size_t cut : {size_t(0), size_t(2), size_t(20), jpeg.size() / 2}) {
        const char *why = decodejpg(bytes, cut, dest.data(), dest.size());
        // A cut file is either refused or decoded with a warning; never the end of the program.
        if (why) {
            EXPECT_GT(std::string(why).size(), 0u) << cut;
        }
    }
    const std::string huge = slurp(CORPUS + "jpeg/gallery-65000.jpg");
    const char *why = decodejpg(reinterpret_cast<const unsigned char *>(huge.data()), huge.size(),
                                dest.data(), dest.size());
    ASSERT_NE(why, nullptr);
    EXPECT_NE(std::string(why).find("65000 x 65000"), std::string::npos);
    EXPECT_STREQ(
        decodebmp32(reinterpret_cast<const unsigned char *>("BM"), 2, 0, 0, dest.data(), dest.size()),
        "not a BMP picture");
}
