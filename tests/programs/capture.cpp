// Captures, volume and the program's own words, checked from outside: the program runs headless on the
// generated data tree; ffprobe reads what it wrote.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <sstream>

#include "programs/programs.h"

using namespace programs;
using programrun::hastool;

namespace {

using Captures = Programs;

double rms(const std::vector<int16_t> &s, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to && i < s.size(); i++) sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(to - from));
}

// What ffprobe says of the video (v) or sound (a) stream of a file: the entries asked for, one line each.
std::string probe(const std::string &file, const char *stream, const std::string &entries) {
    return programrun::output(std::string("ffprobe -v error -count_packets -of csv=p=0 -select_streams ") +
                              stream + " -show_entries " + entries + " '" + file + "'");
}

// Seconds: the end of the last packet of a stream.
double streamend(const std::string &file, const char *stream) {
    double end = 0;
    std::istringstream in(probe(file, stream, "packet=pts_time,duration_time"));
    for (std::string line; std::getline(in, line);) {
        double pts = 0, dur = 0;
        if (std::sscanf(line.c_str(), "%lf,%lf", &pts, &dur) >= 1) end = std::max(end, pts + dur);
    }
    return end;
}

} // namespace

TEST_F(Captures, EveryVideoNameGivesAFileFfprobeReadsWithItsFramesRateAndSound) {
    if (!hastool("ffmpeg") || !hastool("ffprobe"))
        GTEST_SKIP()
            << "ffmpeg is not installed: video captures fall back to PNG frames (scripts/install-deps "
               "installs it)";
    const std::string dir = scratch("formats");
    for (auto [ending, video, audio] :
         std::vector<std::array<const char *, 3>>{{".MP4", "h264", "aac"}, // endings in any case
                                                  {".mkv", "h264", "flac"},
                                                  {".mov", "h264", "aac"},
                                                  {".webm", "vp9", "opus"},
                                                  {".avi", "mpeg4", "pcm_s16le"},
                                                  {".lossless.mkv", "ffv1", "flac"}}) {
        const std::string file = dir + "/show" + ending;
        const Outcome r = runprogram(
            "showcase-fs", "--data " + datadir() + " --capture " + file + " --frames 90", dir); // 1.5 s
        ASSERT_EQ(r.status, 0) << ending << ": " << r.err;
        EXPECT_FALSE(fs::exists(file + ".parts")) << ending;
        // A container that states a frame count states the right one.
        const std::string v =
            probe(file, "v", "stream=codec_name,r_frame_rate,avg_frame_rate,nb_frames,nb_read_packets");
        const std::string rates = std::string(video) + ",60/1,60/1,";
        EXPECT_TRUE(v == rates + "N/A,90\n" || v == rates + "90,90\n") << ending << ": " << v;
        EXPECT_EQ(probe(file, "a", "stream=codec_name"), std::string(audio) + "\n") << ending;
        EXPECT_NEAR(streamend(file, "v"), 1.5, 0.02) << ending;
        // Audio codecs work in blocks: the sound may run on by the last block's padding.
        EXPECT_NEAR(streamend(file, "a"), 1.5, 0.03) << ending;
    }
}

// Ctrl+C in the terminal the show runs in goes to the terminal's whole foreground process group: it must
// end the show as the close request does, and the video must still hold every frame the show reports.
TEST_F(Captures, CtrlCInTheTerminalLeavesACompleteVideo) {
    if (!hastool("ffmpeg") || !hastool("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string dir = scratch("ctrlc");
    const std::string file = dir + "/show.mp4", bin = std::string(SHOWCASE_BUILD_DIR) + "/showcase-fs";
    const std::string data = datadir();
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // The show leads its session on the terminal: its process group is the foreground one.
        execl(bin.c_str(), bin.c_str(), "--data", data.c_str(), "--capture", file.c_str(), nullptr);
        _exit(121);
    }
    std::string said;
    auto drain = [&](int ms) {
        pollfd p{master, POLLIN, 0};
        char buf[4096];
        for (;;) {
            if (poll(&p, 1, ms) <= 0) return true;
            const ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0) return false; // the terminal closed: the show has ended
            said.append(buf, size_t(n));
        }
    };
    // Until ffmpeg has encoded a good part of a second.
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(60) &&
           (!fs::exists(file + ".parts/video.nut") || fs::file_size(file + ".parts/video.nut") < 100000))
        drain(100);
    termios t{};
    ASSERT_EQ(tcgetattr(master, &t), 0);
    ASSERT_EQ(write(master, &t.c_cc[VINTR], 1), 1);
    for (int i = 0; i < 1200 && drain(100);) i++;
    int status = 0;
    for (int i = 0; i < 600 && waitpid(pid, &status, WNOHANG) == 0; i++) drain(100);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    close(master);
    ASSERT_TRUE(WIFEXITED(status)) << said;
    EXPECT_EQ(WEXITSTATUS(status), 0) << said;
    long frames = 0;
    const size_t at = said.find("showcase-fs: captured ");
    if (at != std::string::npos) std::sscanf(said.c_str() + at, "showcase-fs: captured %ld frames", &frames);
    EXPECT_GE(frames, 30) << said;
    EXPECT_LT(frames, 60 * 60);
    EXPECT_EQ(probe(file, "v", "stream=nb_read_packets"), std::to_string(frames) + "\n");
    EXPECT_NEAR(streamend(file, "a"), double(frames) / 60.0, 0.03);
    EXPECT_FALSE(fs::exists(file + ".parts"));
}

TEST_F(Captures, AFailingFfmpegFailsTheRunInOneLineAndLeavesNoPartialFile) {
    if (!hastool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string dir = scratch("failing");
    for (const std::string which : {"encoder", "mux"}) {
        const std::string bin = dir + "/" + which, file = bin + ".webm";
        const std::string says =
            which == "encoder" ? "Unknown encoder 'libvpx-vp9'"
                               : "Could not write header for output file #0 (incorrect codec parameters ?)";
        // An ffmpeg that cannot encode at all, or one that encodes but cannot mux (the run given -map).
        fs::create_directories(bin);
        std::ofstream(bin + "/ffmpeg")
            << "#!/bin/sh\n[ \"$1\" = -version ] && exit 0\n"
            << (which == "mux" ? "case \"$*\" in *-map*) ;; *) cat >/dev/null; exit;; esac\n" : "")
            << "echo \"" << says << "\" >&2\nexit 1\n";
        fs::permissions(bin + "/ffmpeg", fs::perms::owner_all);
        const Outcome r =
            runprogram("showcase-fs", "--data " + datadir() + " --capture " + file + " --frames 600", dir,
                       "PATH=" + bin + ":$PATH");
        EXPECT_NE(r.status, 0) << which;
        EXPECT_FALSE(fs::exists(file)) << which;
        EXPECT_FALSE(fs::exists(file + ".parts")) << which;
        EXPECT_NE(r.err.find("showcase-fs: " + file + ": ffmpeg failed: " + says + "\n"), std::string::npos)
            << which << ": " << r.err;
    }
}

// A folder takes one run: a previous capture's files give way, anyone else's refuse it. (A place that cannot
// be written is the options table's.)
TEST_F(Captures, ACaptureFolderHoldsOneRunAndNothingElseIsOverwritten) {
    const std::string dir = scratch("folders");
    const std::string frames = dir + "/frames";
    auto capture = [&](const std::string &dest, int n) {
        return runprogram("showcase-fs",
                          "--data " + datadir() + " --capture " + dest + " --frames " + std::to_string(n),
                          dir);
    };
    ASSERT_EQ(capture(frames, 12).status, 0);
    Outcome r = capture(frames, 5);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(frames + "/frame-000006.png")) << "the first run's later frames were kept";
    EXPECT_EQ(wavsamples(frames + "/audio.wav").size(), size_t(5 * 800 * 2));

    std::ofstream(frames + "/notes.txt") << "mine\n";
    r = capture(frames, 5);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "showcase-fs: " + frames +
                         ": cannot capture there: the folder holds files of its own (notes.txt); name a new "
                         "folder or an empty one\n");
    EXPECT_TRUE(fs::exists(frames + "/notes.txt"));
    EXPECT_TRUE(fs::exists(frames + "/frame-000005.png"));
}

// A full disk is told in the system's words in one line, with no part of the capture left behind. The
// disk is a tiny tmpfs mounted in a mount namespace of the run's own, where the machine allows one.
TEST_F(Captures, AFullDiskFailsTheRunInOneLineAndLeavesNothingBehind) {
    const std::string dir = scratch("full");
    const std::string disk = dir + "/disk";
    fs::create_directories(disk);
    if (std::system(
            ("unshare -rm sh -c 'mount -t tmpfs -o size=64k none " + disk + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "no mount namespace with a tmpfs to fill here (unshare -rm)";
    std::vector<std::string> dests = {"frames"};
    if (hastool("ffmpeg")) dests.insert(dests.end(), {"show.mp4", "show.lossless.mkv"});
    for (const std::string &name : dests) {
        const std::string dest = disk + "/" + name;
        const Outcome r = programrun::run(
            "unshare -rm sh -c 'mount -t tmpfs -o size=384k none " + disk + " && " + SHOWCASE_BUILD_DIR +
                "/showcase-fs --data " + datadir() + " --capture " + dest + " --frames 1800; s=$?; ls -A " +
                disk + " >" + dir + "/left.txt; exit $s'",
            dir, dir);
        EXPECT_EQ(r.status, 1) << name << ": " << r.err;
        // A folder's message names the frame or the sound that could not be written.
        const std::string file = name == "frames" ? dest + "/" : "";
        EXPECT_EQ(r.err.rfind("showcase-fs: capture to " + dest + " failed: " + file, 0), 0u) << r.err;
        EXPECT_NE(r.err.find(": No space left on device\n"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(slurp(dir + "/left.txt"), "") << name;
    }
}

TEST_F(Captures, TheViewersVolumeAndMuteAreWhatTheCapturedSoundCarries) {
    const std::string dir = scratch("volume");
    auto capture = [&](const std::string &name, const std::string &args) {
        const Outcome r = runprogram(
            "showcase-fs", "--data " + datadir() + " --capture " + dir + "/" + name + " --frames 180 " + args,
            dir);
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        return wavsamples(dir + "/" + name + "/audio.wav");
    };
    const std::vector<int16_t> normal = capture("normal", "");
    const std::vector<int16_t> full = capture("full", "--volume 100");
    const std::vector<int16_t> muted = capture("muted", "--mute");
    std::ofstream(dir + "/volume.keys") << "1.0 Minus x10\n2.0 M\n2.5 Plus\n";
    const std::vector<int16_t> keys = capture("keys", "--keys " + dir + "/volume.keys");
    ASSERT_EQ(normal.size(), size_t(180 * 800 * 2));
    ASSERT_GT(rms(normal, 0, 48000 * 2), 100.0) << "the module is not playing";
    // 100 is the player's whole scale: 64 against the show's 40.
    EXPECT_NEAR(rms(full, 0, 48000 * 2) / rms(normal, 0, 48000 * 2), 64.0 / 40.0, 0.02);
    EXPECT_EQ(rms(muted, 0, muted.size()), 0.0);
    // The keys: unchanged up to the first minus, silent after ten of them; M and plus afterwards bring the
    // sound back one step up from silence.
    EXPECT_TRUE(std::equal(keys.begin(), keys.begin() + 48000 * 2, normal.begin()));
    EXPECT_EQ(rms(keys, size_t(1.2 * 48000) * 2, size_t(2.5 * 48000) * 2), 0.0);
    const double after = rms(keys, size_t(2.6 * 48000) * 2, keys.size());
    const double there = rms(normal, size_t(2.6 * 48000) * 2, normal.size());
    EXPECT_NEAR(after / there, 4.0 / 40.0, 0.01);
}
