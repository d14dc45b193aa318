// The show as a user gets it: what a wrong data folder says, an install under a scratch DESTDIR started
// from another folder, the Debian package unpacked and started, and the desktop files validated.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/programrun.h"
#include "show/show.h"

namespace fs = std::filesystem;

namespace {

const std::string BIN = SHOWCASE_BUILD_DIR;

using programrun::hastool;
using programrun::Outcome;
using programrun::run;
using programrun::slurp;

std::string scratch(const std::string &name) {
    return programrun::scratch("install", name);
}

const char *const PROGRAMS[] = {"showcase", "showcase-fs", "showcase-scene", "showcase-render"};

// What every install holds under its prefix, besides the data tree.
void expectinstalled(const std::string &prefix) {
    for (const char *p : PROGRAMS) {
        EXPECT_TRUE(fs::exists(prefix + "/bin/" + p)) << p;
        const std::string page = slurp(prefix + "/share/man/man6/" + p + ".6.gz");
        EXPECT_GT(page.size(), 100u) << p;
        if (page.size() > 2) {
            EXPECT_EQ(page.substr(0, 2), "\x1f\x8b") << p << ".6.gz is not gzip";
        }
        // The show's own pages say what --help has no room for.
        if (std::string(p) != "showcase" && std::string(p) != "showcase-fs") continue;
        const std::string logs = scratch(std::string(p) + "-page");
        const Outcome man = run("zcat '" + prefix + "/share/man/man6/" + p + ".6.gz'", logs, logs);
        for (const char *section :
             {".SH KEYS", ".SH \"FULL SCREEN\"", ".SH FILES", ".SH ENVIRONMENT", ".SH \"EXIT STATUS\""})
            EXPECT_NE(man.out.find(section), std::string::npos) << p << ": " << section;
        EXPECT_NE(man.out.find("Alt+Enter"), std::string::npos) << p;
    }
    for (const char *d : {"showcase-fs.desktop", "showcase.desktop"})
        EXPECT_TRUE(fs::exists(prefix + "/share/applications/" + d)) << d;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string s = std::to_string(size);
        const std::string icon = prefix + "/share/icons/hicolor/" + s + "x" + s + "/apps/showcase.png";
        const std::string png = slurp(icon);
        ASSERT_GT(png.size(), 24u) << icon;
        // The PNG header's width and height are the size of its folder.
        auto be32 = [&](size_t at) {
            return (unsigned char)png[at] << 24 | (unsigned char)png[at + 1] << 16 |
                   (unsigned char)png[at + 2] << 8 | (unsigned char)png[at + 3];
        };
        EXPECT_EQ(be32(16), unsigned(size)) << icon;
        EXPECT_EQ(be32(20), unsigned(size)) << icon;
    }
    EXPECT_TRUE(fs::exists(prefix + "/share/metainfo/" SHOWCASE_APP_ID ".metainfo.xml"));
    EXPECT_TRUE(fs::exists(prefix + "/share/doc/showcase/copyright"));
    for (const std::string &f : showdatafiles())
        EXPECT_TRUE(fs::exists(prefix + "/share/showcase/" + f)) << f;
    // The data tree is exactly the files the generator listed: nothing else that lies in build/data.
    std::set<std::string> listed, installed;
    std::istringstream list(slurp(BIN + "/data.files"));
    for (std::string line; std::getline(list, line);) listed.insert(line);
    EXPECT_GT(listed.size(), showdatafiles().size());
    for (const auto &e : fs::recursive_directory_iterator(prefix + "/share/showcase"))
        if (!e.is_directory()) installed.insert(fs::relative(e.path(), prefix + "/share/showcase").string());
    EXPECT_EQ(installed, listed);
}

// Files that are not the data tree's own, left in build/data as F12 leaves a screenshot there while the show
// runs from it; taken away again at the end.
struct Strays {
    const std::vector<std::string> files{BIN + "/data/showcase-0001.png", BIN + "/data/gfx/notes.txt"};
    Strays() {
        for (const std::string &f : files) std::ofstream(f) << "not the show's\n";
    }
    ~Strays() {
        for (const std::string &f : files) fs::remove(f);
    }
};

// Starts an installed showcase-fs from a folder that holds no tree: it must find the one installed
// beside it, play 30 frames and end cleanly.
void expectfindsitsdata(const std::string &prefix, const std::string &name) {
    const std::string elsewhere = scratch(name + "-elsewhere");
    const Outcome r = run("'" + prefix + "/bin/showcase-fs' --headless --frames 30", elsewhere, elsewhere);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("data tree"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Initing planes\n"), std::string::npos) << r.out;
    const Outcome v = run("'" + prefix + "/bin/showcase-fs' --version", elsewhere, elsewhere);
    EXPECT_EQ(v.out, "showcase-fs " SHOWCASE_VERSION_STRING "\n");
    fs::remove_all(elsewhere);
}

class DataFolder : public ::testing::TestWithParam<const char *> {};

} // namespace

TEST_P(DataFolder, ATreeMissingAnyOfItsFilesGetsOneLineAndStatus2) {
    const std::string program = GetParam();
    const std::string dir = scratch(program + "-tree");
    // A tree of links to the generated one: every file there, then each taken away in turn.
    const std::string tree = dir + "/tree";
    for (const auto &e : fs::recursive_directory_iterator(programrun::datadir())) {
        const std::string rel = fs::relative(e.path(), programrun::datadir()).string();
        if (e.is_directory())
            fs::create_directories(tree + "/" + rel);
        else
            fs::create_symlink(e.path(), tree + "/" + rel);
    }
    const std::string exe = BIN + "/" + program;
    Outcome r = run("'" + exe + "' --headless --frames 2 --data '" + tree + "'", dir, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string &f : showdatafiles()) {
        fs::rename(tree + "/" + f, dir + "/away");
        r = run("'" + exe + "' --headless --data '" + tree + "'", dir, dir);
        EXPECT_EQ(r.status, 2) << f;
        EXPECT_EQ(r.out, "") << "nothing starts before the tree is checked";
        EXPECT_EQ(r.err,
                  program + ": " + tree + " is not a complete data tree: " + f +
                      " is missing; point at a data tree with --data DIR ('make run' in the source folder "
                      "generates one in build/data)\n");
        fs::rename(dir + "/away", tree + "/" + f);
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Both, DataFolder, ::testing::Values("showcase", "showcase-fs"),
                         [](const auto &info) {
                             return std::string(info.param) == "showcase" ? "fixed" : "modeswitch";
                         });

TEST(Install, TheInstalledShowFindsItsDataFromAnyFolderAndMovesWithItsPrefix) {
    const std::string dest = scratch("destdir");
    const Strays strays;
    const Outcome r = run("DESTDIR='" + dest + "' cmake --install '" + BIN + "' --prefix /usr", dest, dest);
    ASSERT_EQ(r.status, 0) << r.err;
    expectinstalled(dest + "/usr");
    expectfindsitsdata(dest + "/usr", "destdir");
    // Relocatable: the whole prefix moved elsewhere still finds its tree.
    fs::rename(dest + "/usr", dest + "/moved");
    expectfindsitsdata(dest + "/moved", "moved");

    // The desktop entries and the AppStream file pass their validators, and name what is installed.
    if (!hastool("desktop-file-validate") || !hastool("appstreamcli"))
        GTEST_SKIP() << "desktop-file-validate or appstreamcli is missing; run scripts/install-deps";
    const std::string prefix = dest + "/moved";
    for (const char *d : {"showcase-fs", "showcase"}) {
        const std::string entry = prefix + "/share/applications/" + d + ".desktop";
        const Outcome v = run("desktop-file-validate '" + entry + "'", dest, dest);
        EXPECT_EQ(v.status, 0) << v.out << v.err;
        EXPECT_EQ(v.out + v.err, "") << "no hints either";
        const std::string text = slurp(entry);
        EXPECT_NE(text.find(std::string("\nExec=") + d + "\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\nIcon=showcase\n"), std::string::npos) << text;
    }
    const Outcome a = run("appstreamcli validate --no-net --pedantic '" + prefix +
                              "/share/metainfo/" SHOWCASE_APP_ID ".metainfo.xml'",
                          dest, dest);
    EXPECT_EQ(a.status, 0) << a.out << a.err;
    EXPECT_EQ(a.out.find("P: "), std::string::npos) << a.out;
    fs::remove_all(dest);
}

TEST(Package, TheDebianPackageHoldsTheShowAndStartsFromAnyFolder) {
    if (!hastool("cpack") || !hastool("dpkg-shlibdeps"))
        GTEST_SKIP() << "cpack or dpkg-shlibdeps is missing; run scripts/install-deps";
    const std::string dir = scratch("deb");
    const Strays strays;
    Outcome r = run("cpack -G DEB -B '" + dir + "' --config '" + BIN + "/CPackConfig.cmake'", dir, dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const std::string deb = dir + "/showcase_" SHOWCASE_VERSION_STRING "_amd64.deb";
    ASSERT_TRUE(fs::exists(deb)) << r.out;

    // Dependencies come from the binaries, one for each library they link.
    r = run("dpkg-deb -f '" + deb + "' Depends", dir, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char *lib : {"libsdl2-2.0-0", "libopenmpt0", "libjpeg62-turbo", "libpng16-16", "libc6"})
        EXPECT_NE(r.out.find(lib), std::string::npos) << lib << " not in " << r.out;

    r = run("dpkg-deb -x '" + deb + "' root", dir, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    expectinstalled(dir + "/root/usr");
    const std::string copyright = slurp(dir + "/root/usr/share/doc/showcase/copyright");
    for (const char *name :
         {"SDL2", "libopenmpt", "libjpeg-turbo", "libpng", "DejaVu", "License: bitstream-vera"})
        EXPECT_NE(copyright.find(name), std::string::npos) << name;
    expectfindsitsdata(dir + "/root/usr", "deb");

    if (!hastool("lintian")) GTEST_SKIP() << "lintian is missing; run scripts/install-deps";
    r = run("lintian --fail-on error,warning '" + deb + "'", dir, dir);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    fs::remove_all(dir);
}
