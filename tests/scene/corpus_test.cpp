// The fuzz corpus replayed: every file is either read or refused with a message, never a fault.
#include "helpers.h"

#include <filesystem>
#include <fstream>

namespace {

class Corpus : public SceneTest {};

TEST_F(Corpus, EveryFileIsReadOrRefused) {
    int n = 0;
    for (const auto &e : std::filesystem::directory_iterator(SCENE_CORPUS)) {
        std::ifstream f(e.path(), std::ios::binary);
        const std::vector<unsigned char> b{std::istreambuf_iterator<char>(f),
                                           std::istreambuf_iterator<char>()};
        std::string err;
        world *w = read3dsimage(b.data(), b.size(), e.path().filename().c_str(), &err, false);
        if (!w) {
            EXPECT_EQ(err.rfind(e.path().filename().string() + ": ", 0), 0u) << err;
        }
        freeloadedscenes();
        n++;
    }
    EXPECT_GT(n, 0);
}

} // namespace
