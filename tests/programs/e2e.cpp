// The programs as a user runs them: headless, with a key script, capturing what they show and play.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "programs/programs.h"

using namespace programs;
using EndToEnd = BothPrograms;

TEST_P(EndToEnd, ClosingTheWindowEndsTheShowCleanlyAndTheCaptureHoldsWhatWasShown) {
    const std::string program = GetParam();
    const std::string dir = scratch(program + "-close");
    writekeys(dir + "/close.keys", "# close the window half a second in\n0.5 Close\n");
    const Outcome r = runprogram(
        program, "--data " + datadir() + " --keys " + dir + "/close.keys --capture " + dir + "/cap", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Initing memory...\n Mallocing 15000000Finished\nCalcing tabs\nIniting tribuffer\n"
                          "Initing planes\n",
                          0),
              0u)
        << r.out;
    // Half a second of shown frames at 60 Hz, and the music rendered in step with them.
    const int frames = countframes(dir + "/cap");
    EXPECT_EQ(frames, 30);
    EXPECT_EQ(long(wavsamples(dir + "/cap/audio.wav").size() / 2), long(frames) * 800);
    const Rgb first = readpng(dir + "/cap/frame-000001.png");
    const bool fixed = program == std::string("showcase");
    EXPECT_EQ(first.width, fixed ? 640 : 320);
    EXPECT_EQ(first.height, fixed ? 480 : 240);
    // The intro draws its scene: the first 320 x 240 of the screen is not black.
    const Rgb last = readpng(dir + "/cap/frame-000030.png");
    long lit = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) lit += last.px[(size_t(y) * last.width + x) * 3 + 1] > 8;
    EXPECT_GT(lit, 320 * 240 / 4);
    if (fixed) {
        long outside = 0;
        for (int y = 240; y < 480; y++)
            for (int x = 0; x < 640; x++) outside += last.px[(size_t(y) * 640 + x) * 3] != 0;
        EXPECT_EQ(outside, 0) << "the fixed-mode build draws only the top-left quarter";
    }
}

TEST_P(EndToEnd, SameBuildDataAndScriptGiveTheSameFrames) {
    const std::string program = GetParam();
    const std::string dir = scratch(program + "-twice");
    writekeys(dir + "/k.keys", "0.2 Right\n0.4 Close\n");
    std::string sums[2];
    for (int i = 0; i < 2; i++) {
        const std::string cap = dir + "/cap" + std::to_string(i);
        const Outcome r =
            runprogram(program, "--data " + datadir() + " --keys " + dir + "/k.keys --capture " + cap, dir);
        ASSERT_EQ(r.status, 0) << r.err;
        for (const char *f : {"/frame-000001.png", "/frame-000012.png", "/frame-000024.png", "/audio.wav"})
            sums[i] += slurp(cap + f);
    }
    EXPECT_FALSE(sums[0].empty());
    EXPECT_TRUE(sums[0] == sums[1]);
}

TEST_P(EndToEnd, OptionsAreCheckedAndExplained) {
    const std::string program = GetParam();
    const std::string dir = scratch(program + "-options");
    Outcome r = runprogram(program, "--help", dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--capture"), std::string::npos);
    r = runprogram(program, "--frames many", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--frames"), std::string::npos);
    for (const char *bad : {"0", "9", "2x", ""}) {
        r = runprogram(program, std::string("--scale '") + bad + "'", dir);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("--scale wants a whole number from 1 to 8"), std::string::npos) << r.err;
    }
    r = runprogram(program, "--bogus", dir);
    EXPECT_EQ(r.status, 2);
    r = runprogram(program, "--headless --data " + dir + "/nowhere", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("nowhere"), std::string::npos);
    writekeys(dir + "/bad.keys", "1.0 Jump\n");
    r = runprogram(program, "--headless --data " + datadir() + " --keys " + dir + "/bad.keys", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("bad.keys:1"), std::string::npos) << r.err;
}

TEST_P(EndToEnd, FrameLimitClosesTheWindow) {
    const std::string program = GetParam();
    const std::string dir = scratch(program + "-frames");
    const Outcome r = runprogram(program, "--data " + datadir() + " --headless --frames 5", dir);
    EXPECT_EQ(r.status, 0) << r.err;
}

// SIGTERM and SIGINT end a running show as closing its window does: status 0, the capture finished.
TEST_P(EndToEnd, TermAndInterruptEndARunningShowCleanly) {
    const std::string program = GetParam();
    for (int sig : {SIGTERM, SIGINT}) {
        const std::string dir = scratch(program + "-signal" + std::to_string(sig));
        const std::string bin = std::string(SHOWCASE_BIN_DIR) + "/" + program;
        const std::string data = datadir(), cap = dir + "/cap";
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (!std::freopen((dir + "/err.txt").c_str(), "w", stderr) ||
                !std::freopen((dir + "/out.txt").c_str(), "w", stdout))
                _exit(120);
            execl(bin.c_str(), bin.c_str(), "--data", data.c_str(), "--capture", cap.c_str(), nullptr);
            _exit(121);
        }
        // Wait until the intro is being shown, then ask the show to end.
        for (int i = 0; i < 600 && (!fs::exists(cap) || countframes(cap) < 40); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(kill(pid, sig), 0);
        int status = 0;
        for (int i = 0; i < 600 && waitpid(pid, &status, WNOHANG) == 0; i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (waitpid(pid, &status, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            FAIL() << "signal " << sig << " did not end the show";
        }
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << sig << " killed the show";
        EXPECT_EQ(WEXITSTATUS(status), 0) << slurp(dir + "/err.txt");
        const int frames = countframes(cap);
        EXPECT_GE(frames, 40);
        EXPECT_EQ(long(wavsamples(cap + "/audio.wav").size() / 2), long(frames) * 800) << "signal " << sig;
    }
}

INSTANTIATE_TEST_SUITE_P(Both, EndToEnd, ::testing::Values("showcase", "showcase-fs"), programlabel);
