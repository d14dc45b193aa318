// The music: loads, loops past the module's end, follows the volume, releases once, with modules written by
// other people's trackers (the show's own module plays in the programs' captures).
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/programrun.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "shell/shell.h"

namespace fs = std::filesystem;

namespace {

// A data folder holding one module as music/velun.xm, made the working folder.
class MusicFolder {
  public:
    explicit MusicFolder(const std::string &module) : dir_(programrun::scratch("music", "folder")) {
        fs::create_directories(dir_ + "/music");
        if (!module.empty()) fs::copy_file(module, dir_ + "/music/velun.xm");
        old_ = fs::current_path();
        fs::current_path(dir_);
        PlatformOptions o;
        o.headless = true;
        platform_init(o);
    }
    ~MusicFolder() {
        stopmidas();
        platform_shutdown();
        fs::current_path(old_);
        fs::remove_all(dir_);
    }

  private:
    std::string dir_;
    fs::path old_;
};

double rms(int frames) {
    std::vector<float> buf(size_t(frames) * 2);
    audio_renderstep(buf.data(), frames);
    double s = 0;
    for (float v : buf) s += double(v) * v;
    return std::sqrt(s / double(buf.size()));
}

double moduleseconds(const std::string &path) {
    const std::string d = programrun::slurp(path);
    openmpt_module *m = openmpt_module_create_from_memory2(d.data(), d.size(), nullptr, nullptr, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr);
    const double s = m ? openmpt_module_get_duration_seconds(m) : 0;
    if (m) openmpt_module_destroy(m);
    return s;
}

void playsloopsandfollowsthevolume(const std::string &module) {
    MusicFolder folder(module);
    initmidas();
    ASSERT_TRUE(musicloaded()) << module;
    playmodule();
    ASSERT_TRUE(musicplaying());
    EXPECT_GT(rms(AUDIO_RATE), 0.005) << "volume 40 is audible";
    // Past the module's own end it starts again.
    const double seconds = moduleseconds(module);
    ASSERT_GT(seconds, 1.0);
    for (double done = 1.0; done < seconds + 1.0; done += 1.0) rms(AUDIO_RATE);
    EXPECT_GT(rms(AUDIO_RATE * 4), 0.005) << "still playing after the end of " << module;
    setmusicvolume(0);
    EXPECT_EQ(rms(AUDIO_RATE / 10), 0.0) << "volume 0 is silence";
    setmusicvolume(40);
    EXPECT_GT(rms(AUDIO_RATE), 0.0);
    stopmidas();
    EXPECT_FALSE(musicplaying());
    EXPECT_EQ(rms(AUDIO_RATE / 10), 0.0);
    stopmidas(); // a second release does nothing
}

} // namespace

TEST(Music, ModulesFromOtherTrackers) {
    int played = 0;
    for (const char *m : {"/usr/share/vor/mph.xm", "/usr/share/games/ballz/finalman-quickie.xm"}) {
        if (!fs::exists(m)) continue;
        playsloopsandfollowsthevolume(m);
        played++;
    }
    if (played == 0) GTEST_SKIP() << "the vor and ballz-data packages are not installed";
}

// No module, or one that cannot be read: no music, one line naming the file, and silence whatever is asked.
TEST(Music, AMissingOrUnreadableModuleMeansNoMusicAndOneLine) {
    const std::string junk = programrun::scratch("music", "junk") + "/junk.xm";
    std::ofstream(junk) << "Extended Module: but nothing else";
    for (const std::string &module : {std::string(), junk}) {
        MusicFolder folder(module);
        testing::internal::CaptureStderr();
        initmidas();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(musicloaded()) << module;
        EXPECT_NE(err.find("music/velun.xm"), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        playmodule();
        setmusicvolume(20);
        EXPECT_EQ(rms(480), 0.0) << module;
        stopmidas();
    }
    fs::remove_all(fs::path(junk).parent_path());
}
