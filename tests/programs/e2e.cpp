// The programs as a user runs them: headless, with a key script, capturing what they show and play.
#include <algorithm>
#include <iterator>
#include <utility>

#include "programs/programs.h"

using namespace programs;
using EndToEnd = BothPrograms;
using programrun::hastool;

// Two runs of the same key script: the window closed half a second in ends the show cleanly, the capture
// holds what was shown at the program's screen size, and the two captures are the same bytes.
TEST_P(EndToEnd, ClosingTheWindowEndsTheShowCleanlyAndTheSameRunGivesTheSameCapture) {
    const std::string program = GetParam();
    const std::string dir = scratch(program + "-close");
    std::ofstream(dir + "/close.keys")
        << "# a turn that the intro ignores, then close the window\n0.2 Right\n0.5 Close\n";
    for (int run = 0; run < 2; run++) {
        const std::string cap = dir + "/cap" + std::to_string(run);
        const Outcome r = runprogram(
            program, "--data " + datadir() + " --keys " + dir + "/close.keys --capture " + cap, dir);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(r.out.starts_with("Initing memory...\n Mallocing 15000000Finished\nCalcing tabs\n"
                                      "Initing tribuffer\nIniting planes\n"))
            << r.out;
        // Half a second of shown frames at 60 Hz, and the music rendered in step with them.
        ASSERT_EQ(countframes(cap), 30);
        EXPECT_EQ(wavsamples(cap + "/audio.wav").size(), size_t(30 * 800 * 2));
    }
    for (const auto &e : fs::directory_iterator(dir + "/cap0"))
        EXPECT_TRUE(slurp(e.path()) == slurp(dir + "/cap1/" + e.path().filename().string()))
            << e.path().filename() << ": the same build, data and script gave another capture";
    const Rgb first = readpng(dir + "/cap0/frame-000001.png");
    EXPECT_EQ(std::pair(first.width, first.height),
              program == "showcase" ? std::pair(640, 480) : std::pair(320, 240));
}

// The options, checked before anything starts: what each refusal says, in one line with status 2, leaving
// nothing behind; --help and --version in the usual form. Media names other than the captures it writes are
// refused (of any letter case) rather than made into folders.
TEST_P(EndToEnd, OptionsAreCheckedAndExplained) {
    const std::string program = GetParam();
    const std::string dir = scratch(program + "-options");
    std::ofstream(dir + "/bad.keys") << "1.0 Jump\n";
    const struct {
        std::string args;
        int status;
        std::string says; // on standard error, or on standard output with status 0
    } cases[] = {
        {"--version", 0, program + " " + SHOWCASE_VERSION_TEXT + "\n"},
        {"--help", 0, "Usage: " + program + " [OPTION]...\n"},
        {"--frames many", 2, "--frames"},
        {"--scale 0", 2, "--scale wants a whole number from 1 to 8"},
        {"--scale 9", 2, "--scale wants a whole number from 1 to 8"},
        {"--scale 2x", 2, "--scale wants a whole number from 1 to 8"},
        {"--scale ''", 2, "--scale wants a whole number from 1 to 8"},
        {"--volume 101", 2, "--volume wants a number from 0 to 100, not '101'"},
        {"--bogus", 2, "--bogus"},
        {"--headless --data " + dir + "/nowhere", 2, dir + "/nowhere"},
        {"--headless --data " + datadir() + " --keys " + dir + "/bad.keys", 2, "bad.keys:1"},
        {"--capture " + dir + "/show.GIF --frames 10", 2,
         program + ": " + dir +
             "/show.GIF: not a capture this program writes; name a video file (.lossless.mkv, .mp4"},
        {"--capture " + dir + "/show.WAV --frames 10", 2,
         program + ": " + dir +
             "/show.WAV: a sound file alone is no capture; name a video file (.lossless.mkv, .mp4"},
        // A place that cannot be written, named as given (a video without ffmpeg becomes a folder of its
        // name).
        {"--capture " + dir + "/nowhere/frames --frames 5", 2,
         program + ": " + dir + "/nowhere/frames: cannot capture there: No such file or directory\n"},
        {"--capture " + dir + "/nowhere/show.mp4 --frames 5", 2,
         program + ": " + dir + (hastool("ffmpeg") ? "/nowhere/show.mp4" : "/nowhere/show") +
             ": cannot capture there: No such file or directory\n"},
    };
    for (const auto &c : cases) {
        const Outcome r = runprogram(program, c.args, dir);
        EXPECT_EQ(r.status, c.status) << c.args;
        if (c.status) {
            EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3) << c.args;
            continue;
        }
        // --version says that alone; --help begins with the usage.
        EXPECT_EQ(c.args == "--help" ? r.out.substr(0, c.says.size()) : r.out, c.says);
        if (c.args != "--help") continue;
        for (const char *word : {"--capture", "  --volume N", "  --mute", "  --version", ".webm",
                                 ".lossless.mkv", "M mutes", "names are refused"})
            EXPECT_NE(r.out.find(word), std::string::npos) << word;
        // The fixed-mode program says why three quarters of its screen keep the last gallery picture.
        EXPECT_EQ(r.out.find("other three quarters") != std::string::npos,
                  program == std::string("showcase"));
    }
}

INSTANTIATE_TEST_SUITE_P(Both, EndToEnd, ::testing::Values("showcase", "showcase-fs"), programlabel);
