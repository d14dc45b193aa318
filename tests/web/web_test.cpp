// The browser build in headless Chromium: the page as a viewer meets it (from a click, a key, a phone,
// another host, the disk, offline), the published folder, and in the test mode the frames of the tour's first
// two minutes, checksum for checksum the frames the desktop program captures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/programrun.h"

namespace fs = std::filesystem;

namespace {

// The folder 'make web' writes for publishing.
std::string sitedir() {
    const char *env = std::getenv("SHOWCASE_WEB_BUILD");
    return (env && *env ? env : std::string(SHOWCASE_SOURCE_DIR) + "/build-web") + "/site";
}

// Runs the driver in a scratch folder; the last line of what it writes is the JSON report.
programrun::Outcome drive(const std::string &args) {
    const std::string dir = programrun::scratch("web", "driver");
    programrun::Outcome r = programrun::run("node '" + std::string(SHOWCASE_SOURCE_DIR) +
                                                "/tests/web/browser.mjs' '" + sitedir() + "' " + args,
                                            dir, dir);
    fs::remove_all(dir);
    while (!r.out.empty() && r.out.back() == '\n') r.out.pop_back();
    r.out.erase(0, r.out.rfind('\n') + 1);
    return r;
}

// The raw text of a field of the report's top level: a number, true or false, a string's contents; of a list,
// "[]" when it is empty and its beginning otherwise. Empty when the report has no such field.
std::string field(const std::string &json, const std::string &key) {
    const std::string k = "\"" + key + "\":";
    const size_t at = json.find(k);
    if (at == std::string::npos) return {};
    const size_t b = at + k.size();
    if (json[b] == '"') return json.substr(b + 1, json.find('"', b + 1) - b - 1);
    return json.substr(b, json.find_first_of(",}", b) - b);
}

// The numbers of a list the report gives as one string, or of a file of them.
std::vector<uint32_t> numbers(const std::string &list) {
    std::istringstream in(list);
    return {std::istream_iterator<uint32_t>(in), {}};
}

// Runs a desktop program headless on the data tree in a scratch folder of its own, which it gives back.
std::string desktoprun(const std::string &program, const std::string &options) {
    const std::string dir = programrun::scratch("web", program);
    const programrun::Outcome r = programrun::run(std::string(SHOWCASE_BUILD_DIR) + "/" + program +
                                                      " --data " + programrun::datadir() + " " + options,
                                                  dir, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    return dir;
}

// The checksums of the first frames of the tour that a desktop program captures headless.
std::vector<uint32_t> desktopsums(const std::string &program, long frames, const std::string &options = "") {
    const std::string dir = desktoprun(program, "--keys " + std::string(SHOWCASE_SOURCE_DIR) +
                                                    "/scripts/tour.keys --capture tour.sums --frames " +
                                                    std::to_string(frames) + " " + options);
    const std::vector<uint32_t> sums = numbers(programrun::slurp(dir + "/tour.sums"));
    fs::remove_all(dir);
    return sums;
}

class Browser : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(sitedir() + "/index.html"))
            << "no browser build in " << sitedir() << ": run 'make web' first";
    }
    programrun::Outcome run(const std::string &args, bool errorsexpected = false) {
        programrun::Outcome r = drive(args);
        if (r.status == 77) {
            skipped = true;
            return r;
        }
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        if (!errorsexpected) {
            EXPECT_EQ(field(r.out, "errors"), "[]") << "console errors: " << r.out;
        }
        return r;
    }
    bool skipped = false;
};

// The page's ways in, each a run of the driver and what its report must say.
struct PageCase {
    const char *name;
    const char *args;
    bool errorsexpected; // the browser itself reports what it refused
    std::vector<std::pair<const char *, const char *>> fields;
};

const std::vector<PageCase> &pagecases() {
    // A phone both ways round: every key of the tour done by touch (its screens are checked below).
    const std::vector<std::pair<const char *, const char *>> phone = {{"touchdevice", "true"},
                                                                      {"starttext", "tap to start"},
                                                                      {"backshown", "true"},
                                                                      {"wrongkeys", ""},
                                                                      {"untouched", ""}};
    static const std::vector<PageCase> cases = {
        // A click while the data still loads: "starting…", then the show with its sound, and nothing of the
        // program's start-up lines in the console.
        {"EarlyClick",
         "page early",
         false,
         {{"saidstarting", "true"}, {"audiostate", "running"}, {"console", ""}}},
        // Plain http from another address: no audio worklet; the show plays and says why there is no sound.
        {"InsecureOrigin",
         "page insecure",
         false,
         {{"noticebeforestart", "true"}, {"noticeshown", "true"}, {"noticesayshow", "true"}}},
        {"SetUpFails", "page broken", true, {{"startshown", "true"}, {"saysthefile", "true"}}},
        // From the disk the browser blocks the script; the page's own words remain.
        {"OpenedFromDisk",
         "page file",
         true,
         {{"loadingshown", "false"}, {"messageshown", "true"}, {"messagesayshow", "true"}}},
        // Keys alone, from the start screen to the end screen and back.
        {"KeyboardOnly",
         "page keyboard",
         false,
         {{"startscreen", "true"},
          {"starttext", "click or press a key to start"},
          {"quickstart", "true"},
          {"audiostate", "running"},
          {"musicvolume", "40"},
          {"showkeys", "39 37 38 40 13 27 65"},
          {"paced", "true"},
          {"tabreachesclose", "true"},
          {"enterclosed", "true"},
          {"endtext", "the show has ended"},
          {"musicvolumeatend", "0"},
          {"againfocused", "true"},
          {"spacestartsagain", "true"},
          {"spaceclosed", "true"},
          {"enterstartsagain", "true"}}},
        // Under a sub-path of the host, and again from the offline copy without a network.
        {"UnderASubPathAndOffline",
         "page subpath",
         false,
         {{"online", "120"}, {"offline", "120"}, {"offlineworker", "true"}}},
        {"PhonePortrait", "touch 390x844", false, phone},
        {"PhoneLandscape", "touch 844x390", false, phone},
    };
    return cases;
}

class Page : public Browser, public ::testing::WithParamInterface<PageCase> {};

// The page in test mode against the desktop program on the same key script, checksum for checksum: the
// driver's options, the program and its options, and how many frames of the tour.
struct FramesCase {
    const char *name, *driver, *program, *options;
    long frames;
};

// The tour up to 116.8 s: the intro, the menu turning both ways, the doors, every picture of the gallery,
// and the credits' first second; the first 15 s of the fixed-mode presentation, and of ?scale=2 as --scale 2.
const FramesCase framescases[] = {
    {"TheTour", "", "showcase-fs", "", 7010},
    {"TheFixedModePresentation", "--fixed", "showcase", "", 900},
    {"TwiceTheSize", "--scale 2", "showcase-fs", "--scale 2", 900},
};

class Frames : public Browser, public ::testing::WithParamInterface<FramesCase> {};

// The cases by their names, in test names and in what a failure prints.
const auto byname = [](const auto &info) { return std::string(info.param.name); };
void PrintTo(const PageCase &c, std::ostream *os) {
    *os << c.name;
}
void PrintTo(const FramesCase &c, std::ostream *os) {
    *os << c.name;
}

} // namespace

TEST_P(Page, ReachesTheShowOrSaysWhy) {
    const PageCase &c = GetParam();
    const programrun::Outcome r = run(c.args, c.errorsexpected);
    if (skipped) GTEST_SKIP() << field(r.out, "skipped");
    for (const auto &[key, want] : c.fields) EXPECT_EQ(field(r.out, key), want) << key << " in " << r.out;
    if (std::string(c.args).rfind("touch", 0) == 0) {
        // The tour by touch shows the key tour's screens (the desktop program's, as the page's own are) just
        // before every key and at its end.
        const std::vector<uint32_t> touch = numbers(field(r.out, "framesums")),
                                    points = numbers(field(r.out, "points"));
        const std::vector<uint32_t> keys = desktopsums("showcase-fs", 7010);
        ASSERT_EQ(touch.size(), keys.size()) << "the tour by touch showed another number of frames";
        EXPECT_GT(points.size(), 20u);
        for (uint32_t t : points)
            EXPECT_TRUE(t >= 1 && t <= touch.size() && touch[t - 1] == keys[t - 1])
                << "the screen at frame " << t;
    }
    if (std::string(c.args) == "page subpath") {
        // Every file of the published folder is one the page or its offline copy fetched (or a compressed
        // copy of one), and none names this machine's folders.
        std::istringstream requested(field(r.out, "requested"));
        const std::vector<std::string> asked{std::istream_iterator<std::string>(requested), {}};
        for (const auto &e : fs::recursive_directory_iterator(sitedir())) {
            if (!e.is_regular_file()) continue;
            std::string rel = fs::relative(e.path(), sitedir()).string();
            if (rel.ends_with(".gz") || rel.ends_with(".br")) rel.resize(rel.size() - 3);
            EXPECT_TRUE(rel == "sw.js" || std::find(asked.begin(), asked.end(), rel) != asked.end())
                << rel << " is published but the page never fetches it";
            EXPECT_EQ(programrun::slurp(e.path()).find(SHOWCASE_SOURCE_DIR), std::string::npos)
                << rel << " names the source folder";
        }
        EXPECT_TRUE(fs::exists(sitedir() + "/showcase.data.gz"));
    }
}

INSTANTIATE_TEST_SUITE_P(Browser, Page, ::testing::ValuesIn(pagecases()), byname);

TEST_P(Frames, AreTheDesktopProgramsFrames) {
    const FramesCase &c = GetParam();
    const programrun::Outcome r = run("frames " + std::to_string(c.frames) + " " + c.driver);
    if (skipped) GTEST_SKIP() << field(r.out, "skipped");
    std::printf("the browser ran %ld frames in %s s\n", c.frames, field(r.out, "seconds").c_str());
    const std::vector<uint32_t> web = numbers(field(r.out, "framesums"));
    const std::vector<uint32_t> native = desktopsums(c.program, c.frames, c.options);
    for (size_t i = 0; i < native.size() && i < web.size(); i++)
        ASSERT_EQ(web[i], native[i]) << "frame " << i + 1 << " (" << double(i) / 60.0
                                     << " s into the tour) differs from the desktop program's";
    EXPECT_EQ(native.size(), size_t(c.frames)) << "the native capture is short";
    EXPECT_EQ(web.size(), size_t(c.frames)) << "the browser showed another number of frames";
}

INSTANTIATE_TEST_SUITE_P(Browser, Frames, ::testing::ValuesIn(framescases), byname);

// The module at the show's normal volume, 40 of 64: the desktop capture's sound of the first ten seconds and
// the page's player rendering the same seconds are equally loud, within 1 dB.
TEST_F(Browser, TheMusicIsAsLoudAsOnTheDesktop) {
    const programrun::Outcome r = run("loudness '" + programrun::datadir() + "/music/velun.xm' 10");
    if (skipped) GTEST_SKIP() << field(r.out, "skipped");
    const double web = std::atof(field(r.out, "rms").c_str());

    const std::string dir = desktoprun("showcase-fs", "--capture cap --frames 600");
    std::vector<int16_t> pcm = programrun::wavsamples(dir + "/cap/audio.wav");
    ASSERT_GE(pcm.size(), size_t(48000 * 10 * 2)) << "the capture's sound is short";
    fs::remove_all(dir);
    pcm.resize(48000 * 10 * 2);
    double sum = 0;
    for (int16_t s : pcm) sum += double(s) * s;
    // No sound on either side, or no figure from the browser, is no level within 1 dB.
    const double native = std::sqrt(sum / double(pcm.size())) / 32768.0, db = 20.0 * std::log10(web / native);
    std::printf("music level: desktop %.5f, browser %.5f, %+.3f dB\n", native, web, db);
    EXPECT_LT(std::fabs(db), 1.0);
}
