// The BMP and JPEG readers: where the pixels land, what stays untouched, pictures larger than their block,
// headers that lie about their size, the files they refuse and the reasons they give, and agreement with
// ImageMagick on our files and on other people's.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/programrun.h"
#include "image/image.h"

namespace fs = std::filesystem;
using programrun::slurp;

namespace {

// The generated files' folder is the process's own: a death test's child makes its own again.
const std::string &testdir() {
    static const std::string dir = programrun::scratch("image", "files");
    return dir;
}
const std::string CORPUS = std::string(__FILE__).substr(0, std::string(__FILE__).rfind('/')) + "/corpus/";

// A destination block with guard bytes behind it, so that a write past its end shows.
struct Guarded {
    size_t size;
    std::vector<unsigned char> bytes;
    explicit Guarded(size_t n, unsigned char fill = 0) : size(n), bytes(n + 64, fill) {
        std::memset(bytes.data() + n, 0xA5, 64);
    }
    unsigned char *data() { return bytes.data(); }
    uint32_t pixel(size_t i) const {
        uint32_t v;
        std::memcpy(&v, &bytes[4 * i], 4);
        return v;
    }
    bool intact() const {
        return std::all_of(bytes.begin() + long(size), bytes.end(), [](auto b) { return b == 0xA5; });
    }
};

using Colour = uint32_t (*)(int x, int y);
uint32_t rgb(int x, int y) {
    return uint32_t((x * 37 + 11) & 255) << 16 | uint32_t((y * 53 + 7) & 255) << 8 | 0x5A;
}

// A BMP with the 54-byte header: w x h pixels of the given bits, compression and info-header size, followed
// (when colour is given) by the rows of colour(x, y), y from the top, stored bottom-up and padded to 4.
std::string bmp(int32_t w, int32_t h, Colour colour = nullptr, int bits = 24, int compression = 0,
                uint32_t infosize = 40) {
    std::string b(54, '\0');
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) b[at + i] = char(v >> (8 * i));
    };
    for (int y = h - 1; colour && y >= 0; y--) {
        for (int x = 0; x < w; x++)
            for (int s : {0, 8, 16}) b += char(colour(x, y) >> s);
        b.append(size_t((4 - 3 * w % 4) % 4), '\0');
    }
    b[0] = 'B', b[1] = 'M', b[26] = 1, b[28] = char(bits), b[30] = char(compression);
    put(2, uint32_t(b.size())), put(10, 54), put(14, infosize), put(18, uint32_t(w)), put(22, uint32_t(h));
    return b;
}

std::string file(const std::string &name, const std::string &bytes) {
    const std::string path = testdir() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string folder(const std::string &name) {
    fs::create_directories(testdir() + "/" + name);
    return testdir() + "/" + name;
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Decodes path with our reader and with ImageMagick, and expects the same pixels.
void expectsameasimagemagick(const std::string &path) {
    int w = 0, h = 0;
    ASSERT_EQ(
        std::sscanf(programrun::output("identify -format '%w %h' '" + path + "'").c_str(), "%d %d", &w, &h),
        2)
        << path;
    const std::string want = programrun::output("convert '" + path + "' -depth 8 rgb:-");
    ASSERT_EQ(want.size(), size_t(w) * h * 3) << path;
    Guarded dest(size_t(w) * h * 4);
    readbmp32(path.c_str(), 0, 0, dest.data(), dest.size);
    ASSERT_TRUE(dest.intact());
    for (size_t i = 0; i < size_t(w) * h; i++) {
        const auto c = [&](int k) { return uint32_t(uint8_t(want[3 * i + k])); };
        ASSERT_EQ(dest.pixel(i), c(0) << 16 | c(1) << 8 | c(2)) << path << " at " << i % w << "," << i / w;
    }
}

} // namespace

// Each picture is read into a block of its own width at row y; every pixel of the block is checked: the
// picture's where it lands, black where the file stops short, the block's old bytes elsewhere.
TEST(BmpReader, PixelsLandAtTheirRowBottomUpRowsPaddedClippedAtTheBlockAndBlackWhereTheFileEnds) {
    const struct {
        int w, h, y, blockrows;
        Colour colour;
        long cut; // bytes the file keeps, -1 for all
    } cases[] = {
        {3, 2, 0, 2, rgb, -1}, // odd width: padded rows
        {320, 240, 0, 240, [](int x, int y) { return 0xFFFFFFu ^ rgb(x, y); }, -1},
        {4, 4, 2, 6, rgb, -1},                                             // rows 2..5 of a 6-row block
        {4, 4, 1, 3, rgb, -1},                                             // a picture taller than its block
        {8, 8, 0, 8, [](int, int) { return 0xFFFFFFu; }, 54 + 24 * 4 + 5}, // the bottom rows come first
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " at row " << c.y);
        std::string b = bmp(c.w, c.h, c.colour);
        const size_t stride = size_t(3 * c.w + 3) & ~size_t(3);
        if (c.cut >= 0) b.resize(size_t(c.cut));
        const std::string path = file("read.bmp", b);
        Guarded dest(size_t(c.w) * c.blockrows * 4, 0xEE);
        readbmp32(path.c_str(), 0, c.y, dest.data(), dest.size);
        EXPECT_TRUE(dest.intact());
        for (int r = 0; r < c.blockrows; r++)
            for (int x = 0; x < c.w; x++) {
                const int py = r - c.y;
                const size_t at = 54 + size_t(c.h - 1 - py) * stride + size_t(x) * 3;
                if (py >= 0 && py < c.h && at < b.size() && at + 3 > b.size()) continue; // a pixel cut in two
                const uint32_t want = py < 0 || py >= c.h ? 0xEEEEEEEEu
                                      : at < b.size()     ? c.colour(x, py)
                                                          : 0u;
                ASSERT_EQ(dest.pixel(size_t(r) * c.w + x), want) << x << "," << r;
            }
    }
}

TEST(JpegReader, PicturesFillExactlyTheirBlockAndUnreadableOnesLeaveItAlone) {
    const struct {
        std::string recipe; // for ImageMagick; empty: the path is given
        std::string path;
        size_t size;
        std::vector<std::array<int, 3>> probes; // byte, lowest, highest
        bool grey;
        std::string said; // on standard error
    } cases[] = {
        {"-size 1x1 xc:'#0000FF'", "blue.jpg", 4, {{0, 0xFC, 255}, {1, 0, 3}, {2, 0, 3}}, false, ""},
        // Red on every row, channels reordered to blue, green, red; yellow at the bottom.
        {"-size 640x480 gradient:red-yellow",
         "screen.jpg",
         640 * 480 * 4,
         {{2, 250, 255}, {640 * 479 * 4 + 2, 250, 255}, {640 * 479 * 4 + 1, 240, 255}},
         false,
         ""},
        {"-size 300x300 xc:white", "big.jpg", 256 * 256 * 4, {{256 * 256 * 4 - 2, 250, 255}}, false, ""},
        {"-size 8x8 xc:'gray(128)' -colorspace Gray", "grey.jpg", 8 * 8 * 4, {{0, 126, 130}}, true, ""},
        {"", testdir() + "/none.jpg", 16, {}, false, ""},
        // There but unreadable (a folder: permissions do not stop root): black, with a line that says why.
        {"", folder("folder.jpg"), 16, {}, false, "folder.jpg: Is a directory\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        std::string path = c.path;
        if (!c.recipe.empty()) {
            path = testdir() + "/" + c.path;
            ASSERT_EQ(std::system(("convert " + c.recipe + " -quality 100 '" + path + "'").c_str()), 0);
        }
        Guarded dest(c.size, 0x33);
        testing::internal::CaptureStderr();
        const int read = readjpg(path.c_str(), dest.data(), dest.size);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(read, c.recipe.empty() ? 0 : 1);
        EXPECT_TRUE(dest.intact());
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        for (size_t i = 0; i < c.size; i++)
            ASSERT_EQ(dest.bytes[i], read ? i % 4 == 3 ? 0 : dest.bytes[i] : 0x33) << "byte " << i;
        for (auto [at, lo, hi] : c.probes) {
            EXPECT_GE(dest.bytes[size_t(at)], lo) << "byte " << at;
            EXPECT_LE(dest.bytes[size_t(at)], hi) << "byte " << at;
        }
        for (size_t i = 0; c.grey && i < c.size; i += 4)
            ASSERT_TRUE(dest.bytes[i] == dest.bytes[i + 1] && dest.bytes[i] == dest.bytes[i + 2]) << i;
    }
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

TEST(BmpReader, AgreesWithImageMagickOnItsPicturesAndOnOtherPeoples) {
    const std::string src = testdir() + "/im.bmp";
    ASSERT_EQ(std::system(("convert -size 13x7 plasma:fractal -seed 1 -type TrueColor BMP3:" + src).c_str()),
              0);
    expectsameasimagemagick(src);
    int decoded = 0;
    for (const char *dir : {"/usr/share/games/ballz", "/usr/share/games/njam"}) {
        if (!fs::exists(dir)) GTEST_SKIP() << dir << " is not installed (scripts/install-deps installs it)";
        for (const auto &e : fs::recursive_directory_iterator(dir)) {
            if (e.path().extension() != ".bmp") continue;
            const std::string path = e.path().string(), b = slurp(path);
            // What the reader takes must be what ImageMagick sees; what it refuses stops the program.
            std::vector<unsigned char> probe(16);
            if (!decodebmp32(reinterpret_cast<const unsigned char *>(b.data()), b.size(), 0, 0, probe.data(),
                             probe.size())) {
                expectsameasimagemagick(path);
                decoded++;
            } else {
                std::vector<unsigned char> dest(16);
                EXPECT_EXIT(readbmp32(path.c_str(), 0, 0, dest.data(), dest.size()),
                            ::testing::ExitedWithCode(1), e.path().filename().string())
                    << path;
            }
        }
    }
    EXPECT_GT(decoded, 3);
}

TEST(LyingPictures, BmpHeadersWithRowsOrColumnsBeyondTheBlockAreClippedQuickly) {
    // Declared sizes below the refusal limit but far beyond the block and the file: the block gets black
    // rows up to its last pixel, nothing past its end is touched, and no time goes to pixels that cannot
    // land.
    for (auto [w, h, x, y] : std::vector<std::array<int, 4>>{
             {640, 32768, 0, 0}, {32768, 32768, 0, 0}, {32768, 1, -5, 0}, {320, 32768, 7, -30000}}) {
        Guarded dest(640 * 480 * 4, 0x77);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(decodebmp32(reinterpret_cast<const unsigned char *>(bmp(w, h).data()), 54, x, y,
                              dest.data(), dest.size),
                  nullptr);
        EXPECT_LT(seconds(start), 1.0) << w << " x " << h;
        EXPECT_TRUE(dest.intact()) << w << " x " << h;
        if (w == 640) {
            EXPECT_EQ(dest.pixel(0), 0u);
            EXPECT_EQ(dest.pixel(640 * 480 - 1), 0u);
        }
    }
}

// Every file a reader refuses, in one table: the program stops with the reader's status and a message that
// names the file first, before any time goes to decoding.
TEST(LyingPicturesDeathTest, RefusedFilesStopTheProgramNamingTheFileAndTheReason) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string pixels(16, '\x40'), toolarge = "the BMP declares a size larger than any picture can be";
    const struct {
        std::string path;
        bool bmp;
        std::string message; // after "showcase: PATH: "
    } table[] = {
        {CORPUS + "bmp/zarn-rows.bmp", true, toolarge},
        {CORPUS + "bmp/veltor-both.bmp", true, toolarge},
        {CORPUS + "bmp/artbalk-rows.bmp", true, toolarge},
        {CORPUS + "bmp/wide.bmp", true, toolarge},
        {CORPUS + "bmp/topdown.bmp", true, toolarge},
        {file("eight.bmp", bmp(2, 2, nullptr, 8) + pixels), true, "only 24-bit"},
        {file("rle.bmp", bmp(2, 2, nullptr, 24, 1) + pixels), true, "compressed"},
        {file("os2.bmp", bmp(2, 2, nullptr, 24, 0, 12) + pixels), true, ".*header"},
        // There but unreadable (a folder: permissions do not stop root): the file and the reason.
        {folder("folder.bmp"), true, "Is a directory\n$"},
        {CORPUS + "jpeg/gallery-65000.jpg", false, "the JPEG declares 65000 x 65000 pixels"},
        // 30000 x 30000 is a size a picture may have, but its progressive coefficients would need gigabytes.
        {CORPUS + "jpeg/progressive-30000.jpg", false,
         "the picture is 30000 x 30000 pixels, too large for the show: decoding it needs more than the 256 "
         "MB a picture may take\n$"},
        {file("notjpeg.jpg", "BM not a jpeg at all"), false, "Not a JPEG file: starts with 0x42 0x4d"},
    };
    for (const auto &r : table) {
        // Matched up to the file's folder, which is the process's own.
        const std::string said = "^showcase: .*/" + r.path.substr(r.path.rfind('/') + 1) + ": " + r.message;
        std::vector<unsigned char> dest(640 * 480 * 4);
        const auto start = std::chrono::steady_clock::now();
        if (r.bmp)
            EXPECT_EXIT(readbmp32(r.path.c_str(), 0, 0, dest.data(), dest.size()),
                        ::testing::ExitedWithCode(1), said)
                << r.path;
        else
            EXPECT_EXIT(readjpg(r.path.c_str(), dest.data(), dest.size()), ::testing::ExitedWithCode(255),
                        said)
                << r.path;
        EXPECT_LT(seconds(start), 2.0) << r.path;
    }
}

TEST(LyingPictures, TheInMemoryReadersRefuseWithAReasonInsteadOfEndingTheProgram) {
    std::vector<unsigned char> dest(640 * 480 * 4);
    const std::string jpeg = slurp(CORPUS + "jpeg/progressive.jpg");
    const auto *bytes = reinterpret_cast<const unsigned char *>(jpeg.data());
    EXPECT_EQ(decodejpg(bytes, jpeg.size(), dest.data(), dest.size()), nullptr);
    // A cut file is either refused with a reason or decoded with a warning; never the end of the program.
    for (size_t cut : {size_t(0), size_t(2), size_t(20), jpeg.size() / 2})
        if (const char *why = decodejpg(bytes, cut, dest.data(), dest.size())) {
            EXPECT_STRNE(why, "") << cut;
        }
    EXPECT_STREQ(
        decodebmp32(reinterpret_cast<const unsigned char *>("BM"), 2, 0, 0, dest.data(), dest.size()),
        "not a BMP picture");
}
