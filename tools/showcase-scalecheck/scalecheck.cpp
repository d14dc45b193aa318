#include "scalecheck.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "render/render.h"
#include "scene/scene.h"
#include "shell/shell.h"
#include "show/show.h"
#include "state/state.h"

bool loadscenesforcheck(const std::string &dir, std::string &error) {
    const std::string missing = firstmissingdatafile(dir);
    if (!missing.empty() || chdir(dir.c_str()) != 0) {
        error =
            dir + " is not a complete data tree" + (missing.empty() ? "" : ": " + missing + " is missing");
        return false;
    }
    calctabs();
    inittribuffer();
    initplanes();
    virscr = static_cast<unsigned char *>(mymalloc(1228800, 4096));
    virscr2 = static_cast<unsigned char *>(mymalloc(1228800, 4096));
    init3dscenes();
    return true;
}

ScaleAgreement comparescale(int n, long minpixels) {
    using drawview = std::function<void(unsigned char *, const renderframe &)>;
    std::vector<std::pair<std::string, drawview>> views;
    for (int f = 0; f < introw->numframes; f += 20)
        views.push_back({"intro " + std::to_string(f), [f](unsigned char *s, const renderframe &fr) {
                             facesortprocess(introw, s, f, fr);
                         }});
    const int rest = static_cast<int>(menuw->numframes - 100);
    for (int yrot = 0; yrot < 256; yrot += 8)
        views.push_back(
            {"menu turn " + std::to_string(yrot), [yrot, rest](unsigned char *s, const renderframe &fr) {
                 facesortprocessmenutobox(menuw, s, yrot, rest, fr);
             }});
    for (int f = rest; f >= 0; f -= 24)
        views.push_back({"flight " + std::to_string(f), [f](unsigned char *s, const renderframe &fr) {
                             facesortprocessmenutobox(menuw, s, 64, f, fr);
                         }});
    for (int shift = 0; shift < 100; shift += 10)
        views.push_back({"doors " + std::to_string(shift), [shift](unsigned char *s, const renderframe &fr) {
                             shiftopenartmenu(menuw, s, shift, fr);
                         }});

    const renderframe big = makerenderframe(n);
    const int W = big.width, H = big.height, c = n / 2;
    std::vector<uint32_t> large(size_t(W) * size_t(H)), small(320 * 240);
    auto render = [&](const drawview &draw) {
        std::fill(small.begin(), small.end(), 0u);
        std::fill(large.begin(), large.end(), 0u);
        draw(reinterpret_cast<unsigned char *>(small.data()), frame320);
        draw(reinterpret_cast<unsigned char *>(large.data()), big);
    };
    auto middle = [&](int x, int y) { return large[size_t(n * y + c) * size_t(W) + size_t(n * x + c)]; };
    auto agreement = [&] {
        long same = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) same += middle(x, y) == small[size_t(y) * 320 + size_t(x)];
        return double(same) / (320.0 * 240.0);
    };

    // Flat colours in place of every face's texture and drawing, put back afterwards.
    struct facedraw {
        uint32_t *texture;
        int flags;
    };
    std::vector<facedraw> saved;
    std::vector<std::vector<uint32_t>> colours;
    auto flatten = [&](bool on) {
        size_t k = 0;
        for (world *w : {introw, menuw})
            for (int i = 0; i < w->numobjects; ++i) {
                if (on) colours.emplace_back(65536, uint32_t(i + 1));
                for (int j = 0; j < w->objects[i].numfaces; ++j) {
                    face &fc = w->objects[i].faces[j];
                    if (on) {
                        saved.push_back({fc.texture, fc.flags});
                        fc.texture = colours.back().data();
                        fc.flags = MAP_TMAP;
                    } else {
                        fc.texture = saved[k].texture;
                        fc.flags = saved[k++].flags;
                    }
                }
            }
    };

    ScaleAgreement r;
    double enlargedsum = 0.0;
    long objects = 0;
    for (const auto &[name, draw] : views) {
        render(draw);
        const double textured = agreement();
        r.texturedmean += textured / double(views.size());
        if (textured < r.textured) r.textured = textured, r.worst = name;

        flatten(true);
        render(draw);
        flatten(false);
        saved.clear();
        colours.clear();
        r.flat = std::min(r.flat, agreement());
        // Per object: its 320 x 240 pixels, then intersection and union of the block middles, then of the
        // whole n x n coverage against the 320 x 240 coverage enlarged.
        std::map<uint32_t, std::array<long, 5>> cover;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const uint32_t a = small[size_t(y) * 320 + size_t(x)], b = middle(x, y);
                if (a) ++cover[a][0], ++cover[a][2];
                if (a && a == b) ++cover[a][1];
                if (b && b != a) ++cover[b][2];
            }
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const uint32_t a = small[size_t(y / n) * 320 + size_t(x / n)],
                               b = large[size_t(y) * size_t(W) + size_t(x)];
                if (a && a == b) ++cover[a][3];
                if (a) ++cover[a][4];
                if (b && b != a) ++cover[b][4];
            }
        for (const auto &[id, k] : cover)
            if (k[0] >= minpixels) {
                r.iou = std::min(r.iou, double(k[1]) / double(k[2]));
                const double e = double(k[3]) / double(k[4]);
                r.enlarged = std::min(r.enlarged, e);
                enlargedsum += e;
                ++objects;
            }
    }
    r.enlargedmean = objects ? enlargedsum / double(objects) : 1.0;
    return r;
}

std::string describe(int n, const ScaleAgreement &r) {
    char line[256];
    std::snprintf(
        line, sizeof line,
        "scale %d: flat colours %.4f; per-object IoU %.4f, enlarged %.4f (mean %.4f); textured %.4f "
        "(%s), mean %.4f",
        n, r.flat, r.iou, r.enlarged, r.enlargedmean, r.textured, r.worst.c_str(), r.texturedmean);
    return line;
}
