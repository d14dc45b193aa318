// The show as a user gets it: what a wrong data folder says, and the Debian package unpacked, started from
// another folder and moved, with its desktop files validated.
#include <gtest/gtest.h>

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

const char *const PROGRAMS[] = {"showcase", "showcase-fs", "showcase-scene", "showcase-render"};

// What every install holds under its prefix: the programs, their manual pages, the icons and the data
// tree (the desktop files and the copyright are read where they are checked).
void expectinstalled(const std::string &prefix) {
    for (const char *p : PROGRAMS) {
        EXPECT_TRUE(fs::exists(prefix + "/bin/" + p)) << p;
        const std::string logs = programrun::scratch("install", std::string(p) + "-page");
        const Outcome man = run("zcat '" + prefix + "/share/man/man6/" + p + ".6.gz'", logs, logs);
        EXPECT_NE(man.out.find("\n.TH "), std::string::npos) << p << ".6.gz: " << man.err;
        // The show's own pages say what --help has no room for.
        if (std::string(p) != "showcase" && std::string(p) != "showcase-fs") continue;
        for (const char *section : {".SH KEYS", ".SH \"FULL SCREEN\"", ".SH FILES", ".SH ENVIRONMENT",
                                    ".SH \"EXIT STATUS\"", "Alt+Enter"})
            EXPECT_NE(man.out.find(section), std::string::npos) << p << ": " << section;
    }
    // Every size of icon (that each is the size of its folder, lintian checks).
    for (const char *s : {"16", "22", "24", "32", "48", "64", "128", "256"})
        EXPECT_TRUE(fs::exists(prefix + "/share/icons/hicolor/" + s + "x" + s + "/apps/showcase.png")) << s;
    // The data tree is exactly the files the generator listed: nothing else that lies in build/data.
    std::set<std::string> listed, installed;
    std::istringstream list(slurp(BIN + "/data.files"));
    for (std::string line; std::getline(list, line);) listed.insert(line);
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

} // namespace

TEST(DataFolder, AFolderThatIsNotADataTreeGetsOneLineAndStatus2BeforeAnythingStarts) {
    const std::string dir = programrun::scratch("install", "notatree");
    // The programs share the check (the options test gives each a folder that is not there).
    const Outcome r = run("'" + BIN + "/showcase-fs' --headless --data .", dir, dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "") << "nothing starts before the tree is checked";
    EXPECT_EQ(r.err, "showcase-fs: . is not a complete data tree: " + showdatafiles().front() +
                         " is missing; point at a data tree with --data DIR ('make run' in the source "
                         "folder generates one in build/data)\n");
    fs::remove_all(dir);
}

// The Debian package is the install of the build's install rules (CPack installs it under a DESTDIR as a
// user's make install does): it must hold the show, name its libraries, start from any folder, still find
// its tree when its prefix is moved, and pass lintian and the validators of its desktop files.
TEST(Package, TheDebianPackageHoldsTheShowWhichStartsFromAnyFolderAndMovesWithItsPrefix) {
    if (!hastool("cpack") || !hastool("dpkg-shlibdeps"))
        GTEST_SKIP() << "cpack or dpkg-shlibdeps is missing; run scripts/install-deps";
    const std::string dir = programrun::scratch("install", "deb");
    const Strays strays;
    Outcome r = run("cpack -G DEB -B '" + dir + "' --config '" + BIN + "/CPackConfig.cmake'", dir, dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const std::string deb = dir + "/showcase_" SHOWCASE_VERSION_STRING "_amd64.deb";

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
    // Moved elsewhere as a whole and started from a folder that holds no tree, it still finds the one
    // installed beside it, plays 30 frames and ends cleanly.
    const std::string prefix = dir + "/root/moved";
    fs::rename(dir + "/root/usr", prefix);
    const std::string elsewhere = programrun::scratch("install", "elsewhere");
    r = run("'" + prefix + "/bin/showcase-fs' --headless --frames 30", elsewhere, elsewhere);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Initing planes\n"), std::string::npos) << r.out;
    fs::remove_all(elsewhere);

    // The desktop entries and the AppStream file pass their validators, and name what is installed.
    std::string missing;
    if (hastool("desktop-file-validate") && hastool("appstreamcli")) {
        for (const char *d : {"showcase-fs", "showcase"}) {
            const std::string entry = prefix + "/share/applications/" + d + ".desktop";
            const Outcome v = run("desktop-file-validate '" + entry + "'", dir, dir);
            EXPECT_EQ(v.status, 0) << v.out << v.err;
            EXPECT_EQ(v.out + v.err, "") << "no hints either";
            const std::string text = slurp(entry);
            EXPECT_NE(text.find(std::string("\nExec=") + d + "\n"), std::string::npos) << text;
            EXPECT_NE(text.find("\nIcon=showcase\n"), std::string::npos) << text;
        }
        const Outcome a = run("appstreamcli validate --no-net --pedantic '" + prefix +
                                  "/share/metainfo/" SHOWCASE_APP_ID ".metainfo.xml'",
                              dir, dir);
        EXPECT_EQ(a.status, 0) << a.out << a.err;
        EXPECT_EQ(a.out.find("P: "), std::string::npos) << a.out;
    } else {
        missing += " desktop-file-validate or appstreamcli";
    }
    if (hastool("lintian")) {
        r = run("lintian --fail-on error,warning '" + deb + "'", dir, dir);
        EXPECT_EQ(r.status, 0) << r.out << r.err;
    } else {
        missing += " lintian";
    }
    fs::remove_all(dir);
    if (!missing.empty()) GTEST_SKIP() << missing << " is missing; run scripts/install-deps";
}
