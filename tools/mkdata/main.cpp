// mkdata: writes the show's default data tree (scenes, pictures, texture maps, music) from code alone.
//
//   mkdata OUTDIR [LIST]                   the whole tree under OUTDIR; LIST names the files written, one a
//                                          line, so that an install takes exactly those
//   mkdata --fonts                         the font files the generator draws its text with, one a line
//   mkdata --contact-sheet DATADIR OUT.png every picture and texture map of a tree on one sheet
//   mkdata --icons THEMEDIR NAME          the program's icon in every size of the icon theme
//
// Everything comes from fixed seeds, so two runs write the same bytes.
#include "contactsheet.h"
#include "makers.h"
#include "text.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <time.h>

namespace fs = std::filesystem;
using namespace mkdata;

namespace {

struct Job {
    std::string name;
    std::function<bool(std::string &)> run;
};

std::mutex printlock;

// Runs the jobs on two threads (the machines this is built on have few cores); stops handing out jobs
// after the first failure. Each job's line tells the processor time it took, which a loaded machine does
// not stretch as it stretches the wall clock.
bool runjobs(const std::vector<Job> &jobs) {
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    auto worker = [&]() {
        for (;;) {
            const size_t i = next.fetch_add(1);
            if (i >= jobs.size() || failed) return;
            std::string error;
            timespec t0{}, t1{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t0);
            if (!jobs[i].run(error)) {
                std::lock_guard<std::mutex> guard(printlock);
                fprintf(stderr, "mkdata: %s\n", error.c_str());
                failed = true;
                return;
            }
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t1);
            const double cpu = static_cast<double>(t1.tv_sec - t0.tv_sec) +
                               static_cast<double>(t1.tv_nsec - t0.tv_nsec) * 1e-9;
            std::lock_guard<std::mutex> guard(printlock);
            printf("  %s (%.2f s)\n", jobs[i].name.c_str(), cpu);
            fflush(stdout);
        }
    };
    std::thread helper(worker);
    worker();
    helper.join();
    return !failed;
}

// The list of the tree's files, one a line, written whole or not at all.
bool writelist(const fs::path &list, const std::vector<std::string> &names, std::string &error) {
    const fs::path part = list.string() + ".part";
    FILE *f = fopen(part.c_str(), "w");
    if (!f) {
        error = part.string() + ": cannot write the list of files: " + strerror(errno);
        return false;
    }
    for (const std::string &n : names) fprintf(f, "%s\n", n.c_str());
    const bool written = !ferror(f);
    if (fclose(f) != 0 || !written) {
        error = part.string() + ": cannot write the list of files: " + strerror(errno);
        fs::remove(part);
        return false;
    }
    std::error_code ec;
    fs::rename(part, list, ec);
    if (ec) {
        error = list.string() + ": cannot write the list of files: " + ec.message();
        return false;
    }
    return true;
}

int generate(const fs::path &root, const char *list) {
    std::string error;
    if (!checkfonts(error)) {
        fprintf(stderr, "mkdata: %s\n", error.c_str());
        return 1;
    }
    for (const char *dir : {"gfx/maps", "gfx/morlen", "gfx/tasp", "gfx/wevold", "music"}) {
        std::error_code ec;
        fs::create_directories(root / dir, ec);
        if (ec) {
            fprintf(stderr, "mkdata: %s: cannot create the directory: %s\n", (root / dir).c_str(),
                    ec.message().c_str());
            return 1;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    printf("mkdata: writing the data tree into %s\n", root.c_str());
    auto path = [&](const char *rel) { return (root / rel).string(); };
    auto jpeg = [&](const char *rel, std::function<Image()> make, int quality = 90) {
        return Job{rel, [=](std::string &err) { return writejpeg(make(), path(rel), quality, err); }};
    };
    auto bmp = [&](const char *rel, std::function<Image()> make) {
        return Job{rel, [=](std::string &err) { return writebmp24(make(), path(rel), err); }};
    };

    // The gallery first: the artists' bar needs its pictures for the thumbnails.
    std::vector<Image> pictures(13);
    std::vector<Job> jobs;
    jobs.push_back(
        {"music/velun.xm", [&](std::string &err) { return writemusic(path("music/velun.xm"), err); }});
    for (int i : {3, 0, 10, 11, 1, 12, 4, 5, 9, 2, 6, 7, 8}) { // the slow ones first, for an even load
        jobs.push_back({gallery[i].path, [&, i](std::string &err) {
                            pictures[static_cast<size_t>(i)] = gallerypicture(i);
                            return writejpeg(pictures[static_cast<size_t>(i)], path(gallery[i].path), 92,
                                             err);
                        }});
    }
    jobs.push_back(bmp("gfx/zarn.bmp", logozarn));
    jobs.push_back(bmp("gfx/veltor.bmp", logoveltor));
    jobs.push_back(jpeg("gfx/eye.jpg", eyepicture));
    jobs.push_back(jpeg("gfx/menubgd.jpg", menubackground));
    jobs.push_back(jpeg("gfx/artmenu.jpg", artmenupicture));
    jobs.push_back(jpeg("gfx/credits.jpg", creditspicture));
    jobs.push_back(jpeg("gfx/greets.jpg", greetingspicture));
    for (const TextureMap &t : texturemaps()) {
        const std::string rel = std::string("gfx/maps/") + t.file;
        jobs.push_back(
            {rel, [=](std::string &err) { return writejpeg(t.make(), path(rel.c_str()), 88, err); }});
    }
    jobs.push_back(
        {"gfx/intro.3DS", [&](std::string &err) { return writeintroscene(path("gfx/intro.3DS"), err); }});
    jobs.push_back(
        {"gfx/menu.3DS", [&](std::string &err) { return writemenuscene(path("gfx/menu.3DS"), err); }});
    if (!runjobs(jobs)) return 1;
    if (!writebmp24(artbar(pictures), path("gfx/artbalk.bmp"), error)) {
        fprintf(stderr, "mkdata: %s\n", error.c_str());
        return 1;
    }
    printf("  gfx/artbalk.bmp\n");
    if (list) {
        std::vector<std::string> names;
        for (const Job &j : jobs) names.push_back(j.name);
        names.push_back("gfx/artbalk.bmp");
        if (!writelist(list, names, error)) {
            fprintf(stderr, "mkdata: %s\n", error.c_str());
            return 1;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    printf("mkdata: done in %.1f s (%s)\n", seconds, musicsummary().c_str());
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::string(argv[1]) == "--contact-sheet") {
        std::string error;
        if (!writecontactsheet(argv[2], argv[3], error)) {
            fprintf(stderr, "mkdata: %s\n", error.c_str());
            return 1;
        }
        printf("mkdata: contact sheet written to %s\n", argv[3]);
        return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "--icons") {
        std::string error;
        if (!writeicons(argv[2], argv[3], error)) {
            fprintf(stderr, "mkdata: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--fonts") {
        for (const std::string &f : fontfiles()) printf("%s\n", f.c_str());
        return 0;
    }
    if (argc < 2 || argc > 3 || argv[1][0] == '-') {
        fprintf(stderr, "usage: mkdata OUTDIR [LIST]\n       mkdata --contact-sheet DATADIR OUT.png\n"
                        "       mkdata --icons THEMEDIR NAME\n       mkdata --fonts\n");
        return 2;
    }
    return generate(argv[1], argc == 3 ? argv[2] : nullptr);
}
