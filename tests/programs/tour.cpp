// The shipped tour, played headless by both programs with every frame captured as its checksum; at the
// checkpoints screenshots show the screen, each the very frame captured at its moment.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sstream>
#include <utility>
#include <vector>

#include "image/image.h"
#include "platform/capture.h"
#include "programs/programs.h"

using namespace programs;

namespace {

// A w x h picture of the data tree as the show's own reader decodes it.
Rgb readjpeg(const std::string &path, int w, int h) {
    const std::string file = slurp(path);
    std::vector<unsigned char> bgrx(size_t(w) * h * 4);
    Rgb p;
    if (decodejpg(reinterpret_cast<const unsigned char *>(file.data()), file.size(), bgrx.data(),
                  bgrx.size()))
        return p;
    p.width = w;
    p.height = h;
    p.px.resize(size_t(w) * h * 3);
    for (size_t i = 0; i < p.px.size(); i++) p.px[i] = bgrx[i / 3 * 4 + 2 - i % 3];
    return p;
}

// The largest difference of a colour byte between the w x h top lefts of a and b.
int worstdiff(const Rgb &a, const Rgb &b, int w, int h) {
    int worst = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            for (int k = 0; k < 3; k++) worst = std::max(worst, std::abs(a.at(x, y)[k] - b.at(x, y)[k]));
    return worst;
}

// The checksum the program writes for each frame of a .sums capture, of a screenshot read back.
uint32_t framesum(const Rgb &p) {
    std::vector<uint32_t> pixels(size_t(p.width) * size_t(p.height));
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = uint32_t(p.px[3 * i]) << 16 | uint32_t(p.px[3 * i + 1]) << 8 | p.px[3 * i + 2];
    return ::framesum(pixels.data(), p.width, p.height);
}

// The moments whose screens are looked at: F12 presses added to the tour, one screenshot each, in this
// order. The show ends about 146.5 s in; the last stretch is shot at every frame to catch its last one.
constexpr double REST = 59.5, CREDITITEM = 60.8, CREDITAGAIN = 62.8, RESTAGAIN = 65.8, GLOW = 68.4,
                 PICTURE = 69.7, CREDITS = 121.0, LAST = 145.0;
constexpr int GLOWFRAMES = 36, LASTFRAMES = 600;

using Tour = BothPrograms;

} // namespace

TEST_P(Tour, WalksTheWholeShowAndEveryScreenShowsWhatItShould) {
    const std::string program = GetParam();
    const bool fixed = program == std::string("showcase");
    const std::string dir = scratch("tour-" + program);
    // The screenshot of the nth press, from 0.
    auto shot = [&](int n) {
        char name[32];
        std::snprintf(name, sizeof name, "/showcase-%04d.png", n + 1);
        return readpng(dir + name);
    };
    // Frames as checksums, the screens looked at as screenshots.
    std::string keys = slurp(std::string(SHOWCASE_SOURCE_DIR) + "/scripts/tour.keys") + "\n";
    for (double t : {REST, CREDITITEM, CREDITAGAIN, RESTAGAIN}) keys += std::to_string(t) + " F12\n";
    keys += std::to_string(GLOW) + " F12 x" + std::to_string(GLOWFRAMES) + "\n";
    for (double t : {PICTURE, CREDITS}) keys += std::to_string(t) + " F12\n";
    keys += std::to_string(LAST) + " F12 x" + std::to_string(LASTFRAMES) + "\n";
    std::ofstream(dir + "/keys") << keys;
    const Outcome r = runprogram(program, "--data " + datadir() + " --keys keys --capture tour.sums", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    // Each press says where its screenshot went: the folder the show was started in.
    EXPECT_NE(r.out.find(program + ": screenshot " + dir + "/showcase-0001.png\n"), std::string::npos)
        << r.out;
    std::istringstream in(slurp(dir + "/tour.sums"));
    const std::vector<uint32_t> sums{std::istream_iterator<uint32_t>(in), {}};
    ASSERT_LT(sums.size(), size_t(LAST * 60 + LASTFRAMES)) << "the show ran past its last screenshot";
    // Each screenshot is a frame of the capture: the one at its moment, or the next when the press fell
    // late within that frame's tick.
    auto expectframeat = [&](const Rgb &shot, double t) {
        const size_t i = size_t(std::llround(t * 60.0)) - 1;
        ASSERT_LT(i + 1, sums.size());
        const uint32_t sum = framesum(shot);
        EXPECT_TRUE(sum == sums[i] || sum == sums[i + 1])
            << "the screenshot at " << t << " s is not frame " << i + 1;
    };

    const double single[] = {REST, CREDITITEM, CREDITAGAIN, RESTAGAIN};
    for (int n = 0; n < 4; n++) expectframeat(shot(n), single[n]);

    // The menu at rest after the intro, and again after turning round both ways back to the gallery.
    const Rgb rest = shot(0);
    ASSERT_GT(rest.width, 0);
    EXPECT_EQ(worstdiff(rest, shot(3), 320, 240), 0);
    for (int y = 0; y < 240; y++) EXPECT_EQ(rest.at(319, y)[0] + rest.at(319, y)[1], 0) << "row " << y;
    // The next item in front after a right turn: the same view whichever way it was reached.
    const Rgb credititem = shot(1);
    EXPECT_NE(worstdiff(rest, credititem, 320, 240), 0);
    EXPECT_EQ(worstdiff(credititem, shot(2), 320, 240), 0);

    // The art menu after the doors opened: the selection box glows (on red alone, as the effect's own test
    // holds), rising and falling.
    {
        int lo = 255, hi = 0;
        for (int n = 0; n < GLOWFRAMES; n++) {
            const Rgb f = shot(4 + n);
            expectframeat(f, GLOW + n / 60.0);
            const unsigned char *p = f.at(70, 50);
            lo = std::min(lo, int(p[0]));
            hi = std::max(hi, int(p[0]));
        }
        EXPECT_GT(hi - lo, 40) << "the glow rises and falls";
    }
    const int after = 4 + GLOWFRAMES;

    // A gallery picture with its own pixels on the whole 640 x 480 screen.
    {
        const Rgb pic = readjpeg(datadir() + "/gfx/morlen/mw-tolve.jpg", 640, 480);
        const Rgb shown = shot(after);
        expectframeat(shown, PICTURE);
        ASSERT_EQ(shown.width, 640);
        ASSERT_EQ(pic.width, 640);
        EXPECT_EQ(worstdiff(shown, pic, 640, 480), 0);
    }
    // The credits, revealed through the leaves: part of the picture, never brighter than it.
    {
        const Rgb pic = readjpeg(datadir() + "/gfx/credits.jpg", 640, 480);
        const Rgb shown = shot(after + 1);
        expectframeat(shown, CREDITS);
        long lit = 0, brighter = 0;
        const int w = fixed ? 320 : 640, h = fixed ? 240 : 480;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const unsigned char *p = shown.at(x, y);
                lit += p[0] + p[1] + p[2] > 30;
                if (!fixed)
                    for (int k = 0; k < 3; k++) brighter += p[k] > pic.at(x, y)[k];
            }
        EXPECT_GT(lit, w * h / 100);
        EXPECT_LT(lit, w * h * 9 / 10);
        EXPECT_EQ(brighter, 0);
    }

    // The eye picture at the end, out of the white: the last frame of the capture is the last screenshot.
    {
        const Rgb eye = readjpeg(datadir() + "/gfx/eye.jpg", 320, 240);
        const Rgb shown = shot(countframes(dir) - 1);
        EXPECT_EQ(framesum(shown), sums.back()) << "the last screenshot is not the last frame";
        EXPECT_LE(worstdiff(shown, eye, 320, 240), 4)
            << "the last frame is the eye, at most a trace of white left";
    }
}

// --scale 2: the same show, twice the size. A short walk (the intro, the menu, the gallery with a picture,
// the credits) captured at both sizes. The 640 x 480 screens are the same at both sizes. A 320 x 240
// screen read back from the larger one at the pixel in the middle of each 2 x 2 block is the smaller one
// exactly where it is 2D (the art menu); how far each 3D view agrees is the data tree test's.
TEST_F(Programs, AtTwiceTheSizeEveryScreenIsTheSameScreenLarger) {
    const std::string dir = scratch("tour-scale2");
    std::ofstream(dir + "/walk.keys")
        << "55.0 Right\n55.8 Left\n56.6 Enter\n59.6 Down\n60.4 Enter\n61.2 Escape\n"
           "61.6 Escape\n65.0 Right\n65.8 Enter\n68.0 Escape\n69.0 Close\n";
    std::string caps[2];
    for (int k = 0; k < 2; k++) {
        caps[k] = dir + "/cap" + std::to_string(k + 1);
        const Outcome r = runprogram("showcase-fs",
                                     "--data " + datadir() + " --keys " + dir + "/walk.keys --scale " +
                                         std::to_string(k + 1) + " --capture " + caps[k],
                                     dir);
        ASSERT_EQ(r.status, 0) << r.err;
    }
    const int frames = countframes(caps[0]);
    ASSERT_GT(frames, 4000);
    ASSERT_EQ(countframes(caps[1]), frames) << "the same frames, whatever their size";
    int lowres = 0, hires = 0, exact = 0;
    for (int n = 1; n <= frames; n += 5) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06d.png", n);
        const Rgb small = readpng(caps[0] + name), large = readpng(caps[1] + name);
        ASSERT_EQ(std::pair(large.width, large.height), std::pair(640, 480)) << name;
        if (small.width == 640) {
            hires++;
            ASSERT_TRUE(small.px == large.px) << name << ": the 640 x 480 screen as it is";
            continue;
        }
        ASSERT_EQ(small.width, 320) << name;
        lowres++;
        long same = 0;
        for (int y = 0; y < 240; y++)
            for (int x = 0; x < 320; x++)
                same += std::memcmp(small.at(x, y), large.at(2 * x + 1, 2 * y + 1), 3) == 0;
        exact += same == 320 * 240;
    }
    EXPECT_GT(lowres, 700);
    EXPECT_GT(hires, 30);
    EXPECT_GT(exact, 20) << "the art menu's frames, block for block";
}

#if defined(TOUR_PROGRAMS_FS_ONLY)
#define TOUR_PROGRAMS "showcase-fs"
#else
#define TOUR_PROGRAMS "showcase", "showcase-fs"
#endif
INSTANTIATE_TEST_SUITE_P(Both, Tour, ::testing::Values(TOUR_PROGRAMS), programlabel);
