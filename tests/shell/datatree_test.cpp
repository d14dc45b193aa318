// Finding the data tree: which folder wins, and what a folder that lacks a file is told.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/programrun.h"
#include "shell/shell.h"
#include "show/show.h"

namespace fs = std::filesystem;

namespace {

// A tree of empty files: the check looks only at which files are there.
void maketree(const std::string &dir, bool uppercase = false) {
    for (std::string f : showdatafiles()) {
        if (uppercase)
            for (char &c : f) c = char(std::toupper(static_cast<unsigned char>(c)));
        fs::create_directories(fs::path(dir + "/" + f).parent_path());
        std::ofstream(dir + "/" + f) << "x";
    }
}

} // namespace

TEST(DataTree, EveryFileTheShowReadsIsCheckedInTheOrderItIsReadWhateverItsLetterCase) {
    const std::vector<std::string> &files = showdatafiles();
    const std::string dir = programrun::scratch("tree", "each");
    maketree(dir);
    EXPECT_EQ(firstmissingdatafile(dir), "");
    for (const std::string &f : files) {
        const std::string path = dir + "/" + f;
        fs::rename(path, path + ".away");
        EXPECT_EQ(firstmissingdatafile(dir), f);
        // A folder of that name is not the file.
        fs::create_directory(path);
        EXPECT_EQ(firstmissingdatafile(dir), f);
        fs::remove(path);
        fs::rename(path + ".away", path);
    }
    // Names are matched without regard to letter case.
    fs::remove_all(dir);
    maketree(dir, true);
    EXPECT_EQ(firstmissingdatafile(dir), "");
    fs::remove_all(dir);
}

TEST(DataTree, GivenFolderFirstThenCurrentThenInstalledThenBuildFolder) {
    const std::string root = programrun::scratch("tree", "order");
    const std::string cwd = root + "/cwd", exedir = root + "/prefix/bin",
                      share = root + "/prefix/share/showcase", build = exedir + "/data",
                      given = root + "/given";
    for (const std::string &d : {cwd, exedir, given}) fs::create_directories(d);
    // The tree found (and whether it is the installed one), or why none was.
    auto found = [&](const std::string &chosen) {
        DataTree tree;
        std::string error;
        if (!finddatatree(chosen, cwd, exedir, tree, error)) return error;
        return tree.dir + (tree.installed ? " (installed)" : "");
    };

    // Nothing anywhere: the current folder is named, with the way to point at a tree, in one line.
    EXPECT_EQ(found(""), cwd +
                             " is not a complete data tree: music/velun.xm is missing; point at a data tree "
                             "with --data DIR ('make run' in the source folder generates one in build/data)");
    // A partial installed tree is named before an empty current folder.
    maketree(share);
    fs::remove(share + "/gfx/eye.jpg");
    EXPECT_EQ(found("").rfind(share + " is not a complete data tree: gfx/eye.jpg is missing;", 0), 0u);
    fs::remove_all(share);
    maketree(build);
    EXPECT_EQ(found(""), build);
    maketree(share);
    EXPECT_EQ(found(""), share + " (installed)");
    // A current folder with only part of a tree does not count; a complete one wins.
    fs::create_directories(cwd + "/gfx");
    EXPECT_EQ(found(""), share + " (installed)");
    maketree(cwd);
    EXPECT_EQ(found(""), cwd);
    // --data overrides all of them, and is never passed over for another.
    maketree(given);
    EXPECT_EQ(found(given), given);
    fs::remove(given + "/gfx/artbalk.bmp");
    EXPECT_EQ(found(given).rfind(given + " is not a complete data tree: gfx/artbalk.bmp is missing;", 0), 0u);
    EXPECT_EQ(
        found(root + "/nowhere")
            .rfind("cannot open the data folder " + root + "/nowhere; point at a data tree with --data DIR",
                   0),
        0u);
    fs::remove_all(root);
}
