// The generated data tree: every file the show names, in its format and size, and the scenes as the show
// itself loads them (frame counts, doors, items, material kinds, coverage of the frame).
#include "image/image.h"
#include "math/math3d.h"
#include "render/render.h"
#include "scene/scene.h"
#include "shell/shell.h"
#include "show/show.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string DATA = SHOWCASE_DATA_DIR;

struct Expected {
    const char *path;
    const char *format; // "JPEG" or "BMP"
    int width, height;
};

const Expected FILES[] = {
    {"gfx/zarn.bmp", "BMP", 320, 240},
    {"gfx/veltor.bmp", "BMP", 320, 240},
    {"gfx/eye.jpg", "JPEG", 320, 240},
    {"gfx/menubgd.jpg", "JPEG", 320, 240},
    {"gfx/artmenu.jpg", "JPEG", 320, 240},
    {"gfx/artbalk.bmp", "BMP", 100, 1600},
    {"gfx/credits.jpg", "JPEG", 640, 480},
    {"gfx/greets.jpg", "JPEG", 640, 480},
    {"gfx/morlen/mw-tolve.jpg", "JPEG", 640, 480},
    {"gfx/morlen/mw-brask.jpg", "JPEG", 640, 480},
    {"gfx/morlen/mw-kindel2.jpg", "JPEG", 640, 480},
    {"gfx/morlen/mw-ospar.jpg", "JPEG", 640, 480},
    {"gfx/morlen/mw-feldt.jpg", "JPEG", 640, 480},
    {"gfx/tasp/vornig.jpg", "JPEG", 640, 960},
    {"gfx/tasp/plessa.jpg", "JPEG", 640, 480},
    {"gfx/tasp/durnet.jpg", "JPEG", 640, 480},
    {"gfx/tasp/halde.jpg", "JPEG", 640, 480},
    {"gfx/tasp/grumol.jpg", "JPEG", 600, 800},
    {"gfx/wevold/mirk4.jpg", "JPEG", 640, 480},
    {"gfx/wevold/tosel2.jpg", "JPEG", 640, 480},
    {"gfx/wevold/quendra3.jpg", "JPEG", 640, 480},
};

std::vector<unsigned char> readfile(const std::string &path) {
    std::vector<unsigned char> bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    fclose(f);
    return bytes;
}

uint32_t le32(const std::vector<unsigned char> &b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

struct JpegInfo {
    bool ok = false;
    int width = 0, height = 0, components = 0;
    bool progressive = false;
};

JpegInfo jpeginfo(const std::string &path) {
    JpegInfo info;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return info;
    jpeg_decompress_struct cinfo;
    struct Err {
        jpeg_error_mgr pub;
        jmp_buf jump;
    } err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = [](j_common_ptr c) { longjmp(reinterpret_cast<Err *>(c->err)->jump, 1); };
    if (!setjmp(err.jump)) {
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, f);
        jpeg_read_header(&cinfo, TRUE);
        info = {true, static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height),
                cinfo.num_components, cinfo.progressive_mode != 0};
    }
    jpeg_destroy_decompress(&cinfo);
    fclose(f);
    return info;
}

void expectpicture(const std::string &rel, const char *format, int w, int h) {
    const std::string path = DATA + "/" + rel;
    if (std::string(format) == "BMP") {
        const std::vector<unsigned char> b = readfile(path);
        ASSERT_GE(b.size(), 54u) << path;
        EXPECT_TRUE(b[0] == 'B' && b[1] == 'M') << path;
        EXPECT_EQ(le32(b, 10), 54u) << path << ": pixels must start at byte 54";
        EXPECT_EQ(le32(b, 14), 40u) << path;
        EXPECT_EQ(static_cast<int>(le32(b, 18)), w) << path;
        EXPECT_EQ(static_cast<int>(le32(b, 22)), h) << path << ": rows bottom-up, positive height";
        EXPECT_EQ(b[28] | b[29] << 8, 24) << path;
        EXPECT_EQ(le32(b, 30), 0u) << path << ": uncompressed";
        EXPECT_EQ(b.size(), 54u + static_cast<size_t>((w * 3 + 3) / 4 * 4) * static_cast<size_t>(h)) << path;
    } else {
        const JpegInfo j = jpeginfo(path);
        ASSERT_TRUE(j.ok) << path;
        EXPECT_EQ(j.width, w) << path;
        EXPECT_EQ(j.height, h) << path;
        EXPECT_EQ(j.components, 3) << path << ": a colour picture";
    }
}

TEST(DataTree, EveryPictureHasItsFormatAndSize) {
    for (const Expected &e : FILES) expectpicture(e.path, e.format, e.width, e.height);
}

// The first bit of a face's flags that the renderer tests decides how it is drawn.
int drawnas(int maptype) {
    for (int bit : {1, 256, 512, 2, 32})
        if (maptype & bit) return bit;
    return 0;
}

int kindofname(const char *name) {
    const std::pair<const char *, int> prefixes[] = {
        {"GOUTXT", 256}, {"TRANSTXT", 512}, {"ENV", 2}, {"TRANSENV", 32}};
    for (const auto &[prefix, bits] : prefixes)
        if (std::strncmp(name, prefix, std::strlen(prefix)) == 0) return bits;
    return 1;
}

// The show's own start-up loads the tree; these tests share one load.
class LoadedTree : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(chdir(DATA.c_str()), 0) << DATA;
        calctabs();
        inittribuffer();
        initplanes();
        virscr = static_cast<unsigned char *>(mymalloc(1228800, 4096));
        virscr2 = static_cast<unsigned char *>(mymalloc(1228800, 4096));
        init3dscenes();
    }

    static constexpr uint32_t MARKER = 0x5A123456u; // a pixel no texture gives: byte 3 of texels is 0
    static void fillmarker() {
        uint32_t *p = reinterpret_cast<uint32_t *>(virscr);
        for (int y = 0; y < 240; ++y) std::fill(p + y * 320, p + y * 320 + 320, MARKER);
    }
    // Pixels left as they were, over the part of the frame the renderer can reach: its edge rules never
    // fill the top row and the last column (the show blacks the last column of the menu background).
    static int untouched() {
        const uint32_t *p = reinterpret_cast<const uint32_t *>(virscr);
        int n = 0;
        for (int y = 1; y < 240; ++y)
            for (int x = 0; x < 319; ++x) n += p[y * 320 + x] == MARKER;
        return n;
    }
    static constexpr int REACHABLE = 239 * 319;
    static double brightness() {
        double sum = 0.0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const unsigned char *px = virscr + (y * 320 + x) * 4;
                sum += 0.11 * px[0] + 0.59 * px[1] + 0.3 * px[2];
            }
        return sum / (320.0 * 240.0);
    }
    static const object *find(const world *w, const char *name) {
        for (int i = 0; i < w->numobjects; ++i)
            if (std::strcmp(w->objects[i].name, name) == 0) return &w->objects[i];
        return nullptr;
    }
};

TEST_F(LoadedTree, IntroHasRoomForTheTenSegmentsAndUsesEveryKindOfMaterial) {
    ASSERT_NE(introw, nullptr);
    // Segment 7 runs from about frame 1020 (after the second logo) to numframes - 64.
    EXPECT_GE(introw->numframes, 1300);
    EXPECT_LE(introw->numframes, 1500);
    EXPECT_GT(introw->numlights, 1) << "at least one light besides the reserved entry";
    int kinds = 0;
    for (int m = 0; m < introw->nummaterials; ++m) kinds |= drawnas(introw->materials[m].maptype);
    EXPECT_EQ(kinds, 1 | 256 | 512 | 2 | 32);
    // The camera path has several keys: the eye keeps moving, and does not just interpolate a line.
    const camera *c = introw->campositions;
    float turned = 0.0f;
    for (long f = 10; f + 10 < introw->numframes; f += 10) {
        const float ax = c[f].position.x - c[f - 10].position.x, az = c[f].position.z - c[f - 10].position.z;
        const float bx = c[f + 10].position.x - c[f].position.x, bz = c[f + 10].position.z - c[f].position.z;
        turned += std::fabs(std::atan2(ax * bz - az * bx, ax * bx + az * bz));
    }
    EXPECT_GT(turned, 3.0f);
}

TEST_F(LoadedTree, EveryTextureMapIsFoundAndHasContent) {
    for (const world *w : {introw, menuw}) {
        ASSERT_GT(w->nummaterials, 0);
        for (int m = 0; m < w->nummaterials; ++m) {
            const material &mat = w->materials[m];
            ASSERT_NE(mat.texture, nullptr) << mat.name;
            ASSERT_NE(mat.mapname, nullptr) << mat.name;
            uint32_t lo = 0xFFFFFF, hi = 0;
            for (int i = 0; i < 65536; i += 97) {
                lo = std::min(lo, mat.texture[i] & 0xFFFFFF);
                hi = std::max(hi, mat.texture[i] & 0xFFFFFF);
            }
            EXPECT_NE(lo, hi) << mat.mapname << ": a texture with no surface";
        }
    }
    // At least one map is named in upper case with another extension, as 3D Studio files name them, so
    // that the show's extension replacement and letter-case lookup are exercised.
    bool foreign = false;
    for (int m = 0; m < menuw->nummaterials; ++m) {
        const std::string name = menuw->materials[m].mapname;
        const std::string ext = name.substr(name.rfind('.') + 1);
        foreign |= ext != "jpg" && ext != "JPG" && std::any_of(name.begin(), name.end(), [](char ch) {
                       return std::isupper(static_cast<unsigned char>(ch));
                   });
    }
    EXPECT_TRUE(foreign);
}

TEST_F(LoadedTree, EveryIntroFrameCoversTheWholePicture) {
    // Intro frames are drawn over the previous one: the world must enclose the camera everywhere.
    for (long f = 0; f < introw->numframes; f += 9) {
        fillmarker();
        facesortprocess(introw, virscr, static_cast<int>(f));
        ASSERT_EQ(untouched(), 0) << "frame " << f << " leaves pixels undrawn";
    }
}

TEST_F(LoadedTree, LogosFadeInOverQuietDarkerViews) {
    // The first logo shows from about frame 200 to 330, the second from about 900 to 1020.
    auto mean = [&](long from, long to) {
        double sum = 0.0;
        int n = 0;
        for (long f = from; f < to; f += 10, ++n) {
            facesortprocess(introw, virscr, static_cast<int>(f));
            sum += brightness();
        }
        return sum / n;
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
    ASSERT_NE(objartleft, objartright);
    EXPECT_STREQ(menuw->objects[objartleft].name, "art-left");
    EXPECT_STREQ(menuw->objects[objartright].name, "art-right");
    // The flight in starts far away from the rest view.
    const camera &far = menuw->campositions[0], &rest = menuw->campositions[n - 100];
    EXPECT_GT(std::hypot(far.position.x - rest.position.x, far.position.z - rest.position.z), 1000.0f);

    // Item k is in front after k right turns (menurotpos = 64 k): nearest to the eye and near the middle.
    const char *items[4] = {"gallery", "credits", "greetings", "exit"};
    float camm[4][4];
    makecameramatrix(rest, camm);
    for (int k = 0; k < 4; ++k) {
        float m[4][4];
        putidentityinmatrix(m);
        addytomatrix(m, 64 * k, sintab, costab);
        int nearest = -1;
        float nearestz = 1e9f, nearestx = 0.0f;
        for (int i = 0; i < 4; ++i) {
            const object *o = find(menuw, items[i]);
            ASSERT_NE(o, nullptr) << items[i];
            float c[3] = {0, 0, 0};
            for (int v = 0; v < o->numverts; ++v) {
                c[0] += o->points[v].x / static_cast<float>(o->numverts);
                c[1] += o->points[v].y / static_cast<float>(o->numverts);
                c[2] += o->points[v].z / static_cast<float>(o->numverts);
            }
            float w[3], view[3];
            for (int r = 0; r < 3; ++r) w[r] = m[r][0] * c[0] + m[r][1] * c[1] + m[r][2] * c[2] + m[r][3];
            for (int r = 0; r < 3; ++r)
                view[r] = camm[r][0] * w[0] + camm[r][1] * w[1] + camm[r][2] * w[2] + camm[r][3];
            if (view[2] < nearestz) nearestz = view[2], nearest = i, nearestx = view[0] / view[2];
        }
        EXPECT_EQ(nearest, k) << "after " << k << " right turns";
        EXPECT_LT(std::fabs(nearestx), 0.1f);
    }
}

TEST_F(LoadedTree, MenuLeavesTheBackgroundVisibleAndTheDoorsFillTheBoxView) {
    fillmarker();
    facesortprocessmenu(menuw, virscr, 0);
    EXPECT_GT(untouched(), REACHABLE / 4) << "the menu background must show around the scene";
    fillmarker();
    shiftopenartmenu(menuw, virscr, 0);
    EXPECT_EQ(untouched(), 0) << "closed doors fill the box view";
    fillmarker();
    shiftopenartmenu(menuw, virscr, 100);
    EXPECT_EQ(untouched(), REACHABLE) << "doors opened by 100 units are out of view";
}

TEST_F(LoadedTree, MenuMaterialsKeepTheirKindAfterTheIntroIsLoaded) {
    // The loader ORs a material's kind into what the same table entry held in the intro scene, which is
    // loaded first; the menu's materials are ordered so that each is still drawn as its name says.
    for (int m = 0; m < menuw->nummaterials; ++m) {
        const material &mat = menuw->materials[m];
        EXPECT_EQ(drawnas(mat.maptype), kindofname(mat.name)) << mat.name;
    }
}

TEST_F(LoadedTree, ArtistsBarHoldsEachPicturesThumbnailInTheBox) {
    // Compare entry k's box with picture k scaled down: the bar must show the actual gallery picture.
    for (int k = 0; k < 13; ++k) {
        std::vector<unsigned char> pic(640 * 1000 * 4);
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

} // namespace
