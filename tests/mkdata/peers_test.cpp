// Third-party readers agree with our files: lib3ds reads both scenes, ImageMagick's identify reports every
// picture's format and size, libopenmpt loads the module without a warning and plays it as composed.
#include "scene/scene.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>
#ifdef HAVE_LIB3DS
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#endif

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string DATA = SHOWCASE_DATA_DIR;

std::string run(const std::string &command) {
    std::string out;
    FILE *p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    return out;
}

TEST(Peers, IdentifyReportsEveryPicturesFormatAndSize) {
    const std::string identify = IDENTIFY_PROGRAM;
    if (identify.empty() || identify.find("NOTFOUND") != std::string::npos)
        GTEST_SKIP() << "identify not installed";
    // BMP3 is ImageMagick's name for the BMP with the 40-byte information header.
    std::map<std::string, std::string> expected = {
        {"gfx/zarn.bmp", "BMP3 320 240"},        {"gfx/veltor.bmp", "BMP3 320 240"},
        {"gfx/artbalk.bmp", "BMP3 100 1600"},    {"gfx/eye.jpg", "JPEG 320 240"},
        {"gfx/menubgd.jpg", "JPEG 320 240"},     {"gfx/artmenu.jpg", "JPEG 320 240"},
        {"gfx/credits.jpg", "JPEG 640 480"},     {"gfx/greets.jpg", "JPEG 640 480"},
        {"gfx/tasp/vornig.jpg", "JPEG 640 960"}, {"gfx/tasp/grumol.jpg", "JPEG 600 800"},
    };
    for (const char *p :
         {"gfx/morlen/mw-tolve.jpg", "gfx/morlen/mw-brask.jpg", "gfx/morlen/mw-kindel2.jpg",
          "gfx/morlen/mw-ospar.jpg", "gfx/morlen/mw-feldt.jpg", "gfx/tasp/plessa.jpg", "gfx/tasp/durnet.jpg",
          "gfx/tasp/halde.jpg", "gfx/wevold/mirk4.jpg", "gfx/wevold/tosel2.jpg", "gfx/wevold/quendra3.jpg"})
        expected[p] = "JPEG 640 480";
    size_t maps = 0;
    for (const auto &entry : std::filesystem::directory_iterator(DATA + "/gfx/maps")) {
        expected["gfx/maps/" + entry.path().filename().string()] = "JPEG 256 256";
        ++maps;
    }
    EXPECT_GE(maps, 10u);
    std::string command = "cd '" + DATA + "' && '" + identify + "' -format '%d/%f %m %w %h\\n'";
    for (const auto &[file, what] : expected) command += " '" + file + "'";
    std::istringstream out(run(command + " 2>&1"));
    std::string line;
    size_t seen = 0;
    while (std::getline(out, line)) {
        const std::string file = line.substr(0, line.find(' '));
        ASSERT_TRUE(expected.count(file)) << line;
        EXPECT_EQ(line.substr(file.size() + 1), expected[file]) << file;
        ++seen;
    }
    EXPECT_EQ(seen, expected.size());
}

#ifdef HAVE_LIB3DS
TEST(Peers, Lib3dsReadsBothScenes) {
    struct Scene {
        const char *file;
        int frames;
    };
    for (const Scene &s : {Scene{"gfx/intro.3DS", 1400}, Scene{"gfx/menu.3DS", 500}}) {
        const std::string path = DATA + "/" + s.file;
        Lib3dsFile *f = lib3ds_file_load(path.c_str());
        ASSERT_NE(f, nullptr) << path;
        // Our own reader on the same file, without its texture maps.
        world *w = read3ds(path.c_str(), false);
        int meshes = 0;
        unsigned faces = 0;
        for (Lib3dsMesh *m = f->meshes; m; m = m->next) {
            ++meshes;
            faces += m->faces;
            EXPECT_EQ(m->texels, m->points) << m->name << ": one mapping pair per vertex";
        }
        unsigned ourfaces = 0;
        for (int i = 0; i < w->numobjects; ++i) ourfaces += static_cast<unsigned>(w->objects[i].numfaces);
        EXPECT_EQ(meshes, w->numobjects) << path;
        EXPECT_EQ(faces, ourfaces) << path;
        int materials = 0;
        for (Lib3dsMaterial *m = f->materials; m; m = m->next) {
            ++materials;
            EXPECT_NE(m->texture1_map.name[0], '\0') << m->name << " has a texture map";
        }
        EXPECT_EQ(materials, w->nummaterials) << path;
        EXPECT_EQ(f->segment_to - f->segment_from, s.frames) << path;
        EXPECT_EQ(w->numframes, s.frames) << path;
        EXPECT_NE(f->cameras, nullptr) << path;
        EXPECT_NE(f->lights, nullptr) << path;
        // The camera flies along a spline of several keys with tension and continuity, and rolls.
        int keys = 0, rollkeys = 0;
        bool tension = false, continuity = false;
        for (Lib3dsNode *n = f->nodes; n; n = n->next) {
            if (n->type != LIB3DS_CAMERA_NODE) continue;
            for (Lib3dsLin3Key *k = n->data.camera.pos_track.keyL; k; k = k->next) {
                ++keys;
                tension |= k->tcb.tens != 0.0f;
                continuity |= k->tcb.cont != 0.0f;
            }
            for (Lib3dsLin1Key *k = n->data.camera.roll_track.keyL; k; k = k->next) ++rollkeys;
        }
        EXPECT_GE(keys, 4) << path;
        EXPECT_TRUE(tension) << path;
        if (s.frames > 1000) {
            EXPECT_TRUE(continuity) << path;
            EXPECT_GE(rollkeys, 2) << path;
        }
        lib3ds_file_free(f);
    }
}
#endif

std::vector<uint8_t> modulebytes() {
    std::ifstream in(DATA + "/music/velun.xm", std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(Peers, LibopenmptLoadsTheModuleWithoutWarnings) {
    std::ostringstream log;
    openmpt::module mod(modulebytes(), log);
    EXPECT_EQ(log.str(), "");
    EXPECT_EQ(mod.get_metadata("warnings"), "");
    EXPECT_EQ(mod.get_metadata("type"), "xm");
    EXPECT_GE(mod.get_duration_seconds(), 120.0) << "at least two minutes before it loops";
    EXPECT_GE(mod.get_num_channels(), 8);
    std::string names;
    for (const std::string &n : mod.get_instrument_names()) names += n + ",";
    for (const char *kind : {"kick", "snare", "bass", "pad", "lead"})
        EXPECT_NE(names.find(kind), std::string::npos) << kind;
}

TEST(Peers, ModuleLoopsSeamlesslyAtAComfortableLevel) {
    openmpt::module mod(modulebytes());
    mod.set_repeat_count(-1);
    const double duration = mod.get_duration_seconds();
    const int rate = 48000;
    std::vector<float> buf(static_cast<size_t>(rate) * 2);
    double sum = 0.0, peak = 0.0;
    long frames = 0;
    // The whole song once, then three seconds past the loop point.
    std::vector<float> around;
    for (;;) {
        const size_t got = mod.read_interleaved_stereo(rate, static_cast<size_t>(rate), buf.data());
        ASSERT_GT(got, 0u) << "the module stopped instead of looping";
        for (size_t i = 0; i < got * 2; ++i) {
            if (frames + static_cast<long>(i / 2) < static_cast<long>(duration * rate)) {
                sum += static_cast<double>(buf[i]) * buf[i];
                peak = std::max(peak, static_cast<double>(std::fabs(buf[i])));
            }
        }
        frames += static_cast<long>(got);
        if (frames > static_cast<long>((duration - 3.0) * rate))
            around.insert(around.end(), buf.begin(), buf.begin() + static_cast<long>(got) * 2);
        if (frames > static_cast<long>((duration + 3.0) * rate)) break;
    }
    // No silent stretch of 100 ms around the loop point.
    const size_t window = static_cast<size_t>(rate) / 10 * 2;
    for (size_t at = 0; at + window <= around.size(); at += window / 2) {
        double e = 0.0;
        for (size_t i = at; i < at + window; ++i) e += static_cast<double>(around[i]) * around[i];
        EXPECT_GT(e / static_cast<double>(window), 1e-5) << "silence near the loop point";
    }
    // The show plays at volume 40 of 64 as a plain gain: loud enough to hear, far from clipping.
    const double rms = std::sqrt(sum / (duration * rate * 2));
    const double db40 = 20.0 * std::log10(rms * 40.0 / 64.0);
    EXPECT_LT(peak, 1.0) << "clips at full volume";
    EXPECT_GT(db40, -30.0);
    EXPECT_LT(db40, -14.0);
}

} // namespace
