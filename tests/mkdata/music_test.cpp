// The module as a listener hears it, played by libopenmpt (the library the show plays it with) once through
// and three seconds on past the loop point: loaded without a warning, with the instruments it names, never
// clipping, loudness by ffmpeg's EBU R 128 meter, stereo width as the level of the side signal against the
// middle, and no seam or silence where the song loops back to its start.
#include "common/programrun.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Root mean square level in dB of both channels of frames [from, to).
double level(const std::vector<float> &s, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from * 2; i < to * 2 && i < s.size(); ++i) sum += static_cast<double>(s[i]) * s[i];
    return 10.0 * std::log10(sum / static_cast<double>(std::max<size_t>(1, (to - from) * 2)) + 1e-12);
}

TEST(Module, LoadsWithoutWarningsLoopsWithoutASeamAndSoundsNearMinus20LufsInStereo) {
    std::ifstream file(programrun::datadir() + "/music/velun.xm", std::ios::binary);
    std::ostringstream log;
    openmpt::module mod(file, log);
    EXPECT_EQ(log.str() + mod.get_metadata("warnings"), "");
    EXPECT_EQ(mod.get_metadata("type"), "xm");
    EXPECT_GE(mod.get_duration_seconds(), 120.0) << "at least two minutes before it loops";
    EXPECT_GE(mod.get_num_channels(), 8);
    std::string names;
    for (const std::string &n : mod.get_instrument_names()) names += n + ",";
    for (const char *kind : {"kick", "snare", "bass", "pad", "lead"})
        EXPECT_NE(names.find(kind), std::string::npos) << kind;

    mod.set_repeat_count(-1);
    const size_t rate = 48000, seam = static_cast<size_t>(std::lround(mod.get_duration_seconds() * rate));
    std::vector<float> s((seam + 3 * rate) * 2);
    for (size_t at = 0; at < s.size();) {
        const size_t got =
            mod.read_interleaved_stereo(48000, std::min(rate, (s.size() - at) / 2), s.data() + at);
        ASSERT_GT(got, 0u) << "the module stopped instead of looping";
        at += got * 2;
    }
    EXPECT_LT(*std::max_element(s.begin(), s.end()), 1.0f) << "clips at full volume";
    EXPECT_GT(*std::min_element(s.begin(), s.end()), -1.0f) << "clips at full volume";
    // No silent stretch of 100 ms within three seconds of the loop point.
    const size_t window = rate / 10;
    for (size_t at = seam - 3 * rate; at + window <= s.size() / 2; at += window / 2)
        EXPECT_GT(level(s, at, at + window), -50.0) << "silence near the loop point";
    // The two seconds either side of the loop point at about the same level.
    EXPECT_LT(std::fabs(level(s, seam - 2 * rate, seam) - level(s, seam, seam + 2 * rate)), 3.0);
    // And the step in level from one quarter second to the next across the seam no larger than the steps
    // the music itself takes (its largest but a few: an entry after a pause is a step too).
    const size_t w = rate / 4;
    std::vector<double> steps;
    for (size_t at = seam % w + w; at + w <= seam; at += w)
        steps.push_back(std::fabs(level(s, at - w, at) - level(s, at, at + w)));
    std::sort(steps.begin(), steps.end());
    const double own = steps[steps.size() * 98 / 100];
    EXPECT_LE(std::fabs(level(s, seam - w, seam) - level(s, seam, seam + w)), own)
        << "the music's own steps reach " << own << " dB";

    // Middle (L + R) / 2 and side (L - R) / 2 over the song: a mono mix has no side, parts panned hard apart
    // as much side as middle. Between 6 and 12 dB below is stereo that is heard without falling apart on one
    // speaker.
    double mid = 0.0, side = 0.0;
    for (size_t i = 0; i < seam * 2; i += 2) {
        const double m = 0.5 * (s[i] + s[i + 1]), d = 0.5 * (s[i] - s[i + 1]);
        mid += m * m, side += d * d;
    }
    const double below = 10.0 * std::log10(mid / side);
    printf("side %.1f dB below the middle\n", below);
    EXPECT_GT(below, 6.0);
    EXPECT_LT(below, 12.0);

    if (!programrun::hastool("ffmpeg")) GTEST_SKIP() << "ffmpeg is installed by scripts/install-deps";
    const std::string raw = programrun::scratch("music", "lufs") + "/velun.f32";
    std::ofstream(raw, std::ios::binary)
        .write(reinterpret_cast<const char *>(s.data()),
               static_cast<std::streamsize>(seam * 2 * sizeof(float)));
    const std::string report = programrun::output(
        "ffmpeg -hide_banner -nostats -f f32le -ar 48000 -ac 2 -i '" + raw + "' -af ebur128 -f null - 2>&1");
    std::filesystem::remove_all(std::filesystem::path(raw).parent_path());
    const size_t at = report.rfind("I:");
    ASSERT_NE(at, std::string::npos) << report;
    const double lufs = std::stod(report.substr(at + 2));
    printf("loudness %.1f LUFS\n", lufs);
    EXPECT_GT(lufs, -21.5);
    EXPECT_LT(lufs, -18.5);
}

} // namespace
