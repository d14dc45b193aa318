// The chunk reader: byte order, the byte-scan search, sub-chunk walks, names, and files that lie.
#include "helpers.h"

namespace {

class Chunks : public SceneTest {};

// Places a raw image as the file the primitive readers work on.
void useimage(const std::vector<unsigned char> &b) {
    D3SFile = b.data();
    D3SFileSize = long(b.size());
}

TEST_F(Chunks, ValuesAreLittleEndianAndUnsigned) {
    const std::vector<unsigned char> b = {0x00, 0xB0, 0x0A, 0x00, 0x00, 0x00, 0x00,
                                          0x00, 0x80, 0x3F, 0xFF, 0xFF, 0xFF, 0xFF};
    useimage(b);
    EXPECT_EQ(ChunkID(0), 0xB000u);
    EXPECT_EQ(d3sChunkLength(2), 10u);
    EXPECT_EQ(ReadFloat(6), 1.0f);
    EXPECT_EQ(ReadLong(10), 0xFFFFFFFFul);
    EXPECT_EQ(ReadInt(11), 0xFFFFu);
    EXPECT_EQ(ReadInt(1), 0x0AB0u); // unaligned
}

TEST_F(Chunks, SearchScansEveryPositionOfItsStartsParity) {
    const std::vector<unsigned char> file = mk3ds::write3ds(mk3ds::Scene{});
    useimage(file);
    EXPECT_EQ(LinSearchChunk(0x3D3D, 6), 16); // main header 6 + version chunk 10
    EXPECT_EQ(LinSearchChunk(0xB000, 6), -1);

    std::vector<unsigned char> b(16, 0);
    b[7] = b[8] = 0x3D; // 0x3D3D at odd offset 7
    useimage(b);
    EXPECT_EQ(LinSearchChunk(0x3D3D, 6), -1);
    EXPECT_EQ(LinSearchChunk(0x3D3D, 5), 7);
    EXPECT_EQ(LinSearchChunk(0x3D3D, 15), -1); // starting at the last byte reads nothing past the image
}

TEST_F(Chunks, WalkStepsOverUnknownChunksAndResynchronisesOnWhatLooksLikeAChunk) {
    // An unknown chunk whose data holds the bytes of a named object: the walk scans, it does not skip by the
    // unknown chunk's length. Inside the mesh, the faces after an unknown chunk are still read.
    mk3ds::Scene inner, outer;
    inner.meshes = {trianglemesh("HIDDEN")};
    const std::vector<unsigned char> whole = mk3ds::write3ds(inner);
    const size_t objat = 16 + 6 + 10 + 10; // main, mesh section header, mesh version, master scale
    ASSERT_EQ(whole[objat + 1], 0x40);
    outer.meshes = {trianglemesh("AFTER")};
    outer.meshes[0].extra = {{0x1234, {1, 2, 3, 4}}};
    outer.extra = {{0x7000, {whole.begin() + long(objat), whole.end()}}};
    world *w = load(outer);
    ASSERT_EQ(w->numobjects, 2);
    EXPECT_STREQ(w->objects[0].name, "AFTER");
    EXPECT_EQ(w->objects[0].numfaces, 1);
    EXPECT_STREQ(w->objects[1].name, "HIDDEN");
}

TEST_F(Chunks, BadFilesAreRefusedWithTheFileAndTheFault) {
    refused(std::vector<unsigned char>{}, "test.3ds: the file is empty");
    refused(std::vector<unsigned char>{'G', 'I', 'F', '8', '9', 'a', 0, 0}, "test.3ds: not a 3D Studio file");
    // A main chunk that claims more bytes than the file holds: the file was cut short.
    refused(std::vector<unsigned char>{0x4D, 0x4D, 0x00, 0x10, 0x00, 0x00, 0x02, 0x00}, "chunk 0x4D4D");

    mk3ds::Scene s;
    s.meshes.push_back(trianglemesh("M"));
    const std::vector<unsigned char> good = mk3ds::write3ds(s);
    const size_t obj = 42, verts = obj + 6 + 2 + 6;
    ASSERT_EQ(good[verts + 1], 0x41);
    std::vector<unsigned char> b = good; // vertex list longer than its mesh
    b[verts + 3] = 0x10;
    refused(b, "chunk 0x4110");
    refused(b, "runs past its parent");
    b = good; // a zero length would stop the walk in place
    b[verts + 2] = 0;
    refused(b, "shorter than its header");
    b = good; // a vertex count that does not fit its chunk
    b[verts + 6] = 200;
    refused(b, "vertex list");
    b = good; // the file cut short: the mesh section runs past its end
    b.resize(b.size() - 7);
    refused(b, "runs past");
    b = good; // a name without its terminator up to the end of its chunk
    b.resize(obj + 7);
    b[obj + 2] = 7;
    b[obj + 3] = b[obj + 4] = b[obj + 5] = 0;
    b[16 + 2] = uint8_t(b.size() - 16);
    b[16 + 3] = 0;
    b[2] = uint8_t(b.size()); // the main chunk ends with the file
    b[3] = b[4] = b[5] = 0;
    refused(b, "has no end");
}

// The fuzz corpus replayed: every file is either read or refused with a message, never a fault.
TEST_F(Chunks, EveryCorpusFileIsReadOrRefused) {
    int n = 0;
    for (const auto &e : std::filesystem::directory_iterator(SCENE_CORPUS)) {
        const std::string s = programrun::slurp(e.path().string());
        const std::vector<unsigned char> b(s.begin(), s.end());
        const std::string name = e.path().filename().string();
        std::string err;
        const bool read = read3dsimage(b.data(), b.size(), name.c_str(), &err, false) != nullptr;
        EXPECT_TRUE(read || err.rfind(name + ": ", 0) == 0) << err;
        freeloadedscenes();
        n++;
    }
    EXPECT_GT(n, 0);
}

} // namespace
