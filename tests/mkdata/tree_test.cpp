// The generated data tree read back: every picture in its format and size by ImageMagick's identify; both
// scenes by lib3ds and by the show's own loading (frame counts, doors, items, material kinds, texture maps,
// coverage of the frame); the artists' bar.
#include "common/programrun.h"
#include "image/image.h"
#include "math/math3d.h"
#include "render/render.h"
#include "scalecheck.h"
#include "scene/scene.h"
#include "shell/shell.h"
#include "show/show.h"

#include <gtest/gtest.h>
#include <lib3ds/file.h>
#include <lib3ds/mesh.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string DATA = programrun::datadir();

// lib3ds reads both scenes, and finds a mapping pair for every vertex. (That lib3ds reads our writer's
// meshes, materials and keys as our reader does is the scene peer test's.)
TEST(Peers, Lib3dsReadsBothScenes) {
    for (const char *file : {"gfx/intro.3DS", "gfx/menu.3DS"}) {
        Lib3dsFile *f = lib3ds_file_load((DATA + "/" + file).c_str());
        ASSERT_NE(f, nullptr) << file;
        for (Lib3dsMesh *m = f->meshes; m; m = m->next)
            EXPECT_EQ(m->texels, m->points) << file << " " << m->name << ": one mapping pair per vertex";
        lib3ds_file_free(f);
    }
}

// The first bit of a face's flags that the renderer tests decides how it is drawn.
int drawnas(int maptype) {
    for (int bit : {1, 256, 512, 2, 32})
        if (maptype & bit) return bit;
    return 0;
}

// The show's own start-up loads the tree; these tests share one load.
class LoadedTree : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(loadscenesforcheck(DATA, error)) << error;
    }
    static void TearDownTestSuite() { freeloadedscenes(); }

    // The frame that draw gives over a marker in every pixel, a pixel no texture gives: byte 3 of texels is
    // 0.
    static constexpr uint32_t MARK = 0x5A123456u;
    static std::vector<uint32_t> over(const std::function<void()> &draw) {
        uint32_t *p = reinterpret_cast<uint32_t *>(virscr);
        std::fill(p, p + 320 * 240, MARK);
        draw();
        return std::vector<uint32_t>(p, p + 320 * 240);
    }
    // Pixels that draw leaves as they were, over the part of the frame the renderer can reach: its edge
    // rules never fill the top row and the last column (the show blacks the last column of the menu
    // background).
    static int undrawn(const std::function<void()> &draw) {
        const std::vector<uint32_t> f = over(draw);
        int n = 0;
        for (int y = 1; y < 240; ++y) n += static_cast<int>(std::count(&f[y * 320], &f[y * 320 + 319], MARK));
        return n;
    }
    // The menu at turn yrot and camera frame drawn with only the objects that keep() accepts.
    static std::vector<uint32_t> menuonly(const std::function<bool(const std::string &)> &keep, int yrot,
                                          int frame) {
        std::vector<int> faces;
        for (int i = 0; i < menuw->numobjects; ++i) {
            faces.push_back(menuw->objects[i].numfaces);
            if (!keep(menuw->objects[i].name)) menuw->objects[i].numfaces = 0;
        }
        const auto f = over([&] { facesortprocessmenutobox(menuw, virscr, yrot, frame); });
        for (int i = 0; i < menuw->numobjects; ++i)
            menuw->objects[i].numfaces = faces[static_cast<size_t>(i)];
        return f;
    }
    static constexpr int REACHABLE = 239 * 319;
};

TEST_F(LoadedTree, EveryPictureHasItsFormatAndTheSizeTheShowReadsItAt) {
    std::map<std::string, std::string> expected = {
        {"gfx/zarn.bmp", "BMP3 320 240"},     {"gfx/veltor.bmp", "BMP3 320 240"},
        {"gfx/artbalk.bmp", "BMP3 100 1600"}, {"gfx/eye.jpg", "JPEG 320 240"},
        {"gfx/menubgd.jpg", "JPEG 320 240"},  {"gfx/artmenu.jpg", "JPEG 320 240"},
        {"gfx/credits.jpg", "JPEG 640 480"},  {"gfx/greets.jpg", "JPEG 640 480"},
    };
    // The gallery's pictures of the sizes the show reads them at.
    for (const picture &p : thepics) {
        std::string path = p.path + 2; // ".\\gfx\\..."
        std::replace(path.begin(), path.end(), '\\', '/');
        expected[path] = "JPEG " + std::to_string(p.width) + " " + std::to_string(p.height);
    }
    for (const auto &entry : std::filesystem::directory_iterator(DATA + "/gfx/maps"))
        expected["gfx/maps/" + entry.path().filename().string()] = "JPEG 256 256";
    EXPECT_GE(expected.size(), 8u + 13u + 10u) << "at least ten texture maps";
    // By ImageMagick's reading: the format, the size and the colours (a BMP3 is the BMP with the 40-byte
    // information header, as the show's reader expects).
    if (!programrun::hastool("identify")) GTEST_SKIP() << "identify is installed by scripts/install-deps";
    std::string command = "cd '" + DATA + "' && identify -format '%d/%f %m %w %h %[colorspace]\\n'";
    for (const auto &[file, what] : expected) command += " '" + file + "'";
    std::istringstream lines(programrun::output(command + " 2>&1"));
    size_t seen = 0;
    for (std::string l; std::getline(lines, l); ++seen) {
        const std::string file = l.substr(0, l.find(' '));
        ASSERT_TRUE(expected.count(file)) << l;
        EXPECT_EQ(l.substr(file.size() + 1), expected[file] + " sRGB") << file;
    }
    EXPECT_EQ(seen, expected.size());
}

TEST_F(LoadedTree, IntroHasRoomForTheTenSegmentsAndMaterialsAreDrawnAsTheirNamesSay) {
    ASSERT_NE(introw, nullptr);
    // Segment 7 runs from about frame 1020 (after the second logo) to numframes - 64.
    EXPECT_GE(introw->numframes, 1300);
    EXPECT_LE(introw->numframes, 1500);
    EXPECT_GT(introw->numlights, 1) << "at least one light besides the reserved entry";
    int kinds = 0;
    for (int m = 0; m < introw->nummaterials; ++m) kinds |= drawnas(introw->materials[m].maptype);
    EXPECT_EQ(kinds, 1 | 256 | 512 | 2 | 32) << "the intro uses every kind of material";
    // The loader ORs a material's kind into what the same table entry held in the intro scene, which is
    // loaded first; the menu's materials are ordered so that each is still drawn as its name says.
    for (int m = 0; m < menuw->nummaterials; ++m) {
        const material &mat = menuw->materials[m];
        int kind = 1;
        for (const auto &[prefix, bits] :
             {std::pair{"GOUTXT", 256}, {"TRANSTXT", 512}, {"ENV", 2}, {"TRANSENV", 32}})
            if (std::strncmp(mat.name, prefix, std::strlen(prefix)) == 0) kind = bits;
        EXPECT_EQ(drawnas(mat.maptype), kind) << mat.name;
    }
}

TEST_F(LoadedTree, EveryTextureMapIsFoundAndHasContent) {
    for (const world *w : {introw, menuw}) {
        for (int m = 0; m < w->nummaterials; ++m) {
            const material &mat = w->materials[m];
            ASSERT_NE(mat.texture, nullptr) << mat.name;
            ASSERT_NE(mat.mapname, nullptr) << mat.name;
            const uint32_t first = mat.texture[0];
            EXPECT_TRUE(std::any_of(mat.texture, mat.texture + 65536,
                                    [&](uint32_t t) { return (t ^ first) & 0xFFFFFF; }))
                << mat.mapname << ": a texture with no surface";
        }
    }
    // At least one map is named in upper case with another extension, as 3D Studio files name them, so
    // that the show's extension replacement and letter-case lookup are exercised.
    EXPECT_TRUE(std::any_of(menuw->materials, menuw->materials + menuw->nummaterials, [](const material &m) {
        const std::string name = m.mapname, ext = name.substr(name.rfind('.') + 1);
        return ext != "jpg" && ext != "JPG" && std::any_of(name.begin(), name.end(), ::isupper);
    }));
}

TEST_F(LoadedTree, EveryIntroFrameCoversTheWholePictureAndTheLogosFadeInOverDarkerViews) {
    // Intro frames are drawn over the previous one: the world must enclose the camera everywhere.
    for (int f = 0; f < introw->numframes; f += 9)
        ASSERT_EQ(undrawn([&] { facesortprocess(introw, virscr, f); }), 0) << "frame " << f << " has gaps";
    // The first logo shows from about frame 200 to 330, the second from about 900 to 1020.
    auto mean = [&](int from, int to) {
        double sum = 0.0;
        int n = 0;
        for (int f = from; f < to; f += 10, ++n) {
            facesortprocess(introw, virscr, f);
            for (int i = 0; i < 320 * 240; ++i)
                sum += 0.11 * virscr[i * 4] + 0.59 * virscr[i * 4 + 1] + 0.3 * virscr[i * 4 + 2];
        }
        return sum / n / (320.0 * 240.0);
    };
    const double whole = mean(0, introw->numframes);
    EXPECT_LT(mean(220, 330), whole * 0.6);
    EXPECT_LT(mean(910, 1020), whole * 0.6);
}

TEST_F(LoadedTree, MenuFramesDoorsAndItems) {
    ASSERT_NE(menuw, nullptr);
    const long n = menuw->numframes;
    // The exit flies out from N - 100 down to 200, so N must be well above 300.
    EXPECT_GE(n, 400);
    // The flight in starts far away from the rest view.
    const camera &far = menuw->campositions[0], &rest = menuw->campositions[n - 100];
    EXPECT_GT(std::hypot(far.position.x - rest.position.x, far.position.z - rest.position.z), 1000.0f);

    // Item k is in front after k right turns (menurotpos = 64 k): nearest to the eye and near the middle.
    const char *items[4] = {"gallery", "credits", "greetings", "exit"};
    makecameramatrix(rest, cameramatrix);
    for (int k = 0; k < 4; ++k) {
        float m[4][4];
        putidentityinmatrix(m);
        addytomatrix(m, 64 * k, sintab, costab);
        addcameratomatrix(m);
        int nearest = -1;
        float nearestz = 1e9f, nearestx = 0.0f;
        for (int i = 0; i < 4; ++i) {
            object *o = std::find_if(menuw->objects, menuw->objects + menuw->numobjects,
                                     [&](const object &ob) { return std::strcmp(ob.name, items[i]) == 0; });
            ASSERT_NE(o, menuw->objects + menuw->numobjects) << items[i];
            muldestcoordswithrotmat(o, m);
            float x = 0.0f, z = 0.0f; // the item's centre in view space
            for (int v = 0; v < o->numverts; ++v) {
                x += o->destpoints[v].x / static_cast<float>(o->numverts);
                z += o->destpoints[v].z / static_cast<float>(o->numverts);
            }
            if (z < nearestz) nearestz = z, nearest = i, nearestx = x / z;
        }
        EXPECT_EQ(nearest, k) << "after " << k << " right turns";
        EXPECT_LT(std::fabs(nearestx), 0.1f);
    }
}

TEST_F(LoadedTree, MenuLeavesTheBackgroundVisibleAndTheDoorsFillTheBoxView) {
    EXPECT_GT(undrawn([] { facesortprocessmenu(menuw, virscr, 0); }), REACHABLE / 4)
        << "the menu background must show around the scene";
    EXPECT_EQ(undrawn([] { shiftopenartmenu(menuw, virscr, 0); }), 0) << "closed doors fill the box view";
    EXPECT_EQ(undrawn([] { shiftopenartmenu(menuw, virscr, 100); }), REACHABLE)
        << "doors opened by 100 units are out of view";
}

TEST_F(LoadedTree, MenuLabelsAreNeverDrawnOverByTheirItemsNorOverThem) {
    // The labels lie on their items, and the faces are drawn far to near by their mean depth alone. The
    // whole menu must equal the menu without labels around the labels, and the labels alone wherever
    // one falls: a label drawn under its item, or over a neighbour, shows as a difference.
    // Checked at every frame of every turn at rest, and along the flight to the box at each item.
    auto islabel = [](const std::string &name) { return name.size() > 6 && name.ends_with("-label"); };
    std::vector<std::pair<int, int>> views; // (turn, camera frame)
    const int rest = static_cast<int>(menuw->numframes - 100);
    for (int yrot = 0; yrot < 256; yrot += 4) views.push_back({yrot, rest});
    for (int k = 0; k < 4; ++k)
        for (int f = 0; f < menuw->numframes; f += 20) views.push_back({64 * k, f});
    int seen = 0;
    for (const auto &[yrot, frame] : views) {
        const auto all = menuonly([](const std::string &) { return true; }, yrot, frame);
        const auto without = menuonly([&](const std::string &n) { return !islabel(n); }, yrot, frame);
        const auto only = menuonly(islabel, yrot, frame);
        // Faces of equal mean depth are drawn in an order that depends on everything sorted with them, so
        // taking the labels out may change pixels far from them; only their neighbourhood counts.
        auto nearlabel = [&](int x, int y) {
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const int u = x + dx, v = y + dy;
                    if (u >= 0 && v >= 0 && u < 320 && v < 240 &&
                        only[static_cast<size_t>(v * 320 + u)] != MARK)
                        return true;
                }
            return false;
        };
        int under = 0, over = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const size_t i = static_cast<size_t>(y * 320 + x);
                if (only[i] != MARK) {
                    ++seen;
                    under += all[i] != only[i];
                } else if (all[i] != without[i] && nearlabel(x, y)) {
                    ++over;
                }
            }
        // Along the flight a label may pass edge-on, where the rasteriser's edges of two faces that share
        // a corner can both claim a pixel; one is allowed there, none in the views at rest.
        EXPECT_LE(under, frame == rest ? 0 : 1)
            << "label pixels drawn over at turn " << yrot << ", frame " << frame;
        EXPECT_EQ(over, 0) << "pixels around the labels changed by them at turn " << yrot << ", frame "
                           << frame;
    }
    EXPECT_GT(seen, 20000) << "the labels must show from the rest views";
}

TEST_F(LoadedTree, ArtistsBarHoldsEachPicturesThumbnailInTheBox) {
    // Compare entry k's box with picture k scaled down: the bar must show the actual gallery picture.
    std::vector<unsigned char> pic(640 * 1000 * 4);
    for (int k = 0; k < 13; ++k) {
        ASSERT_EQ(readjpg(thepics[k].path, pic.data(), pic.size()), 1) << thepics[k].path;
        const int w = thepics[k].width, sh = w * 3 / 4; // the top of a tall picture
        double diff = 0.0;
        for (int y = 0; y < 48; y += 4)
            for (int x = 0; x < 64; x += 4) {
                const int sx = (x * w + w / 2) / 64, sy = (y * sh + sh / 2) / 48;
                const unsigned char *a = artbalk + ((k * 100 + 26 + y) * 100 + 18 + x) * 4;
                const unsigned char *b = pic.data() + (sy * w + sx) * 4;
                for (int c = 0; c < 3; ++c) diff += std::abs(a[c] - b[c]);
            }
        EXPECT_LT(diff / (12 * 16 * 3), 40.0) << "entry " << k;
    }
}

// The 3D views of the tour at twice the size against 320 x 240 (showcase-scalecheck gives the figures of
// larger sizes, which take minutes).
TEST_F(LoadedTree, AtTwiceTheSizeEveryViewIsTheSameViewLarger) {
    const ScaleAgreement r = comparescale(2, 2000);
    std::printf("%s\n", describe(2, r).c_str());
    // Where only polygon edges can differ, 98 % of the block middles agree, and so does the coverage of
    // every object of some size (2,000 pixels at 320 x 240).
    EXPECT_GE(r.flat, 0.98);
    EXPECT_GE(r.iou, 0.98);
    // Against the 320 x 240 coverage enlarged, the staircase of its edges counts too.
    EXPECT_GE(r.enlargedmean, 0.96);
    EXPECT_GE(r.enlarged, 0.88);
    // Textures: the larger frame samples a texture at other points wherever it is drawn smaller than one
    // texel a pixel, so block middles and 320 x 240 pixels agree exactly only where the texture is enlarged
    // or plain. A frame moved by half a pixel drops the mean to about 0.5 and the worst view to about 0.06.
    EXPECT_GE(r.texturedmean, 0.65);
    EXPECT_GE(r.textured, 0.35) << r.worst;
}

} // namespace
