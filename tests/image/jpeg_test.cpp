// The JPEG reader: layout, exact extent, missing and broken files, pictures larger than their block.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "image/image.h"
#include "imagetestutil.h"

namespace {

std::string makejpeg(const std::string &name, const std::string &recipe) {
    const std::string path = testdir() + "/" + name;
    EXPECT_EQ(std::system(("convert " + recipe + " -quality 100 '" + path + "'").c_str()), 0);
    return path;
}

} // namespace

TEST(JpegReader, OnePureBluePixel) {
    const std::string path = makejpeg("blue.jpg", "-size 1x1 xc:'#0000FF'");
    Guarded dest(4, 0x77);
    EXPECT_EQ(readjpg(path.c_str(), dest.data(), dest.size()), 1);
    EXPECT_GE(dest.data()[0], 0xFC);
    EXPECT_LE(dest.data()[1], 3);
    EXPECT_LE(dest.data()[2], 3);
    EXPECT_EQ(dest.data()[3], 0);
    EXPECT_TRUE(dest.intact());
}

TEST(JpegReader, FullScreenPictureFillsExactlyItsBytes) {
    const std::string path = makejpeg("screen.jpg", "-size 640x480 gradient:red-yellow");
    Guarded dest(640 * 480 * 4, 0x77);
    EXPECT_EQ(readjpg(path.c_str(), dest.data(), dest.size()), 1);
    EXPECT_TRUE(dest.intact());
    for (size_t i = 3; i < dest.size(); i += 4) ASSERT_EQ(dest.data()[i], 0);
    // Red on every row, channels reordered to blue, green, red.
    EXPECT_GE(dest.data()[2], 250);
    EXPECT_GE(dest.data()[640 * 479 * 4 + 2], 250);
    EXPECT_GE(dest.data()[640 * 479 * 4 + 1], 240); // yellow at the bottom
}

TEST(JpegReader, MissingFileLeavesTheBufferAlone) {
    Guarded dest(16, 0x33);
    EXPECT_EQ(readjpg((testdir() + "/none.jpg").c_str(), dest.data(), dest.size()), 0);
    for (int i = 0; i < 16; i++) EXPECT_EQ(dest.data()[i], 0x33);
}

TEST(JpegReader, LargerPictureIsClippedAtTheEndOfItsBlock) {
    const std::string path = makejpeg("big.jpg", "-size 300x300 xc:white");
    Guarded dest(256 * 256 * 4);
    EXPECT_EQ(readjpg(path.c_str(), dest.data(), dest.size()), 1);
    EXPECT_TRUE(dest.intact());
    EXPECT_GE(dest.data()[256 * 256 * 4 - 2], 250);
}

TEST(JpegReader, GreyPicturesComeOutGrey) {
    const std::string path = makejpeg("grey.jpg", "-size 8x8 xc:'gray(128)' -colorspace Gray");
    Guarded dest(8 * 8 * 4);
    EXPECT_EQ(readjpg(path.c_str(), dest.data(), dest.size()), 1);
    EXPECT_NEAR(dest.data()[0], 128, 2);
    EXPECT_EQ(dest.data()[0], dest.data()[1]);
    EXPECT_EQ(dest.data()[1], dest.data()[2]);
    EXPECT_TRUE(dest.intact());
}
// A picture that is there but cannot be read (a folder: permissions do not stop root) stays black, as a
// missing one does, with a line that says why.
TEST(JpegReader, APictureThatCannotBeReadSaysWhyAndStaysBlack) {
    const std::string folder = testdir() + "/folder.jpg";
    std::filesystem::create_directories(folder);
    Guarded dest(16, 0x33);
    testing::internal::CaptureStderr();
    EXPECT_EQ(readjpg(folder.c_str(), dest.data(), dest.size()), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("folder.jpg: Is a directory\n"), std::string::npos) << said;
    for (int i = 0; i < 16; i++) EXPECT_EQ(dest.data()[i], 0x33);
}
