// The module as a listener hears it: rendered by openmpt123 (the reference player of the library the show
// plays it with) and measured there: loudness by ffmpeg's EBU R 128 meter, stereo width as the level of
// the side signal against the middle, and the seam where the song loops back to its start.
#include "common/programrun.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string MODULE = programrun::datadir() + "/music/velun.xm";

// Renders the module `plays` times through into a 16-bit stereo WAV at 48 kHz; returns its path.
std::string render(int plays) {
    const std::string out = programrun::scratch("music", std::to_string(plays)) + "/velun.wav";
    const std::string cmd =
        std::string(OPENMPT123_PROGRAM) + " --batch --quiet --force --no-float --samplerate 48000 --repeat " +
        std::to_string(plays - 1) + " -o '" + out + "' '" + MODULE + "' >/dev/null 2>&1 && echo ok";
    return programrun::output(cmd).find("ok") != std::string::npos ? out : "";
}

// The samples of a 16-bit stereo WAV, as -1..1, left and right interleaved.
std::vector<float> readwav(const std::string &path) {
    std::vector<float> s;
    for (int16_t v : programrun::wavsamples(path)) s.push_back(float(v) / 32768.0f);
    return s;
}

// Root mean square level in dB of both channels of frames [from, to).
double level(const std::vector<float> &s, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from * 2; i < to * 2 && i < s.size(); ++i) sum += static_cast<double>(s[i]) * s[i];
    return 10.0 * std::log10(sum / static_cast<double>(std::max<size_t>(1, (to - from) * 2)) + 1e-12);
}

class Rendered : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::string(OPENMPT123_PROGRAM).empty() || std::string(FFMPEG_PROGRAM).empty())
            GTEST_SKIP() << "openmpt123 and ffmpeg are installed by scripts/install-deps";
    }
};

TEST_F(Rendered, LoudnessIsNearMinus20LufsAndThePartsAreSpreadAcrossTheStereoField) {
    const std::string wav = render(1);
    ASSERT_FALSE(wav.empty()) << "openmpt123 could not render " << MODULE;
    const std::string report = programrun::output(
        std::string(FFMPEG_PROGRAM) + " -hide_banner -nostats -i '" + wav + "' -af ebur128 -f null - 2>&1");
    const std::vector<float> s = readwav(wav);
    std::filesystem::remove_all(std::filesystem::path(wav).parent_path());
    const size_t at = report.rfind("I:");
    ASSERT_NE(at, std::string::npos) << report;
    const double lufs = std::stod(report.substr(at + 2));
    printf("loudness %.1f LUFS\n", lufs);
    EXPECT_GT(lufs, -21.5);
    EXPECT_LT(lufs, -18.5);

    // Middle (L + R) / 2 and side (L - R) / 2: a mono mix has no side, parts panned hard apart as much side
    // as middle. Between 6 and 12 dB below is stereo that is heard without falling apart on one speaker.
    ASSERT_GT(s.size(), 48000u * 60u * 2u);
    double mid = 0.0, side = 0.0;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        const double m = 0.5 * (s[i] + s[i + 1]), d = 0.5 * (s[i] - s[i + 1]);
        mid += m * m, side += d * d;
    }
    const double below = 10.0 * std::log10(mid / side);
    printf("side %.1f dB below the middle\n", below);
    EXPECT_GT(below, 6.0);
    EXPECT_LT(below, 12.0);
}

TEST_F(Rendered, TheLoopBackToTheStartHasNoSeam) {
    std::ifstream file(MODULE, std::ios::binary);
    openmpt::module mod(file);
    const double seconds = mod.get_duration_seconds();
    const std::string wav = render(2);
    ASSERT_FALSE(wav.empty()) << "openmpt123 could not render " << MODULE;
    const std::vector<float> s = readwav(wav);
    std::filesystem::remove_all(std::filesystem::path(wav).parent_path());
    const size_t rate = 48000, seam = static_cast<size_t>(std::lround(seconds * rate));
    ASSERT_GT(s.size() / 2, seam + 2 * rate) << "the second time through is missing";
    // The two seconds either side of the loop point at about the same level.
    EXPECT_LT(std::fabs(level(s, seam - 2 * rate, seam) - level(s, seam, seam + 2 * rate)), 3.0);
    // And the step in level from one quarter second to the next across the seam no larger than the
    // steps the music itself takes (its largest but a few: an entry after a pause is a step too).
    const size_t w = rate / 4;
    std::vector<double> steps;
    for (size_t at = seam % w + w; at + w <= seam; at += w)
        steps.push_back(std::fabs(level(s, at - w, at) - level(s, at, at + w)));
    std::sort(steps.begin(), steps.end());
    const double own = steps[steps.size() * 98 / 100];
    const double across = std::fabs(level(s, seam - w, seam) - level(s, seam, seam + w));
    EXPECT_LE(across, own) << "the music's own steps reach " << own << " dB";
    printf("seam: %.2f dB before, %.2f after; step %.2f dB, the music's own %.2f\n",
           level(s, seam - 2 * rate, seam), level(s, seam, seam + 2 * rate), across, own);
}

} // namespace
