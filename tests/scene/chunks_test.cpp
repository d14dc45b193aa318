// The chunk reader: byte order, the byte-scan search, sub-chunk walks, names, and files that lie.
#include "helpers.h"

#include <cstring>

namespace {

class Chunks : public SceneTest {};

// Places a raw image as the file the primitive readers work on.
void useimage(const std::vector<unsigned char> &b) {
    D3SFile = b.data();
    D3SFileSize = long(b.size());
}

// Inserts a chunk at offset at, growing the chunks whose headers start at the given offsets.
void splice(std::vector<unsigned char> &b, size_t at, const std::vector<unsigned char> &chunk,
            std::initializer_list<size_t> parents) {
    b.insert(b.begin() + long(at), chunk.begin(), chunk.end());
    for (size_t p : parents) {
        uint32_t len = b[p + 2] | b[p + 3] << 8 | b[p + 4] << 16 | uint32_t(b[p + 5]) << 24;
        len += uint32_t(chunk.size());
        for (int i = 0; i < 4; i++) b[p + 2 + i] = uint8_t(len >> (8 * i));
    }
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
    // Unaligned: the float's bytes shifted by one.
    EXPECT_EQ(ReadInt(1), 0x0AB0u);
}

TEST_F(Chunks, SearchScansEveryPositionOfItsStartsParity) {
    const std::vector<unsigned char> file = mk3ds::write3ds(mk3ds::Scene{});
    useimage(file);
    EXPECT_EQ(LinSearchChunk(0x3D3D, 6), 16); // main header 6 + version chunk 10
    EXPECT_EQ(LinSearchChunk(0xB000, 6), -1);

    std::vector<unsigned char> b(16, 0);
    b[7] = 0x3D; // 0x3D3D at odd offset 7 (bytes 7 and 8)
    b[8] = 0x3D;
    useimage(b);
    EXPECT_EQ(LinSearchChunk(0x3D3D, 6), -1);
    EXPECT_EQ(LinSearchChunk(0x3D3D, 5), 7);
    // A search that starts at the last byte does not read past the image.
    EXPECT_EQ(LinSearchChunk(0x3D3D, 15), -1);
}

TEST_F(Chunks, WalkStepsThroughUnknownChunksAndReadsWhatFollows) {
    mk3ds::Scene s;
    s.meshes.push_back(trianglemesh("AFTER"));
    std::vector<unsigned char> b = mk3ds::write3ds(s);
    // An unknown 10-byte chunk first in the mesh section (behind its header at 16).
    splice(b, 22, {0x34, 0x12, 10, 0, 0, 0, 1, 2, 3, 4}, {0, 16});
    world *w = load(b);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->numobjects, 1);
    EXPECT_STREQ(w->objects[0].name, "AFTER");
}

TEST_F(Chunks, WalkResynchronisesOnDataThatLooksLikeAChunk) {
    // Unknown data that holds the bytes of a named-object chunk is read as one: the walk scans, it does not
    // skip by the unknown chunk's length.
    mk3ds::Scene inner;
    inner.meshes.push_back(trianglemesh("HIDDEN"));
    const std::vector<unsigned char> whole = mk3ds::write3ds(inner);
    const size_t objat = 16 + 6 + 10 + 10; // main, mesh section header, mesh version, master scale
    ASSERT_EQ(whole[objat], 0x00);
    ASSERT_EQ(whole[objat + 1], 0x40);
    std::vector<unsigned char> chunk = {0x00, 0x70, 0, 0, 0, 0};
    chunk.insert(chunk.end(), whole.begin() + long(objat), whole.end());
    const uint32_t len = uint32_t(chunk.size());
    for (int i = 0; i < 4; i++) chunk[2 + i] = uint8_t(len >> (8 * i));
    std::vector<unsigned char> b = mk3ds::write3ds(mk3ds::Scene{});
    splice(b, 22, chunk, {0, 16});
    world *w = load(b);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->numobjects, 1);
    EXPECT_STREQ(w->objects[0].name, "HIDDEN");
}

TEST_F(Chunks, NamesKeepAtMost49Characters) {
    const std::string n49(49, 'A'), n60(60, 'B');
    mk3ds::Scene s;
    s.meshes.push_back(trianglemesh(n49));
    s.meshes.push_back(trianglemesh(n60));
    world *w = load(s);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->numobjects, 2);
    EXPECT_EQ(std::string(w->objects[0].name), n49);
    EXPECT_EQ(w->objects[0].name[49], 0);
    EXPECT_EQ(std::string(w->objects[1].name), std::string(49, 'B'));
    // The long name was stepped over whole: the mesh's vertices were still found.
    EXPECT_EQ(w->objects[1].numverts, 3);
}

TEST_F(Chunks, BadFilesAreRefusedWithTheFileAndTheFault) {
    std::string err;
    EXPECT_EQ(load(std::vector<unsigned char>{}, &err), nullptr);
    EXPECT_EQ(err, "test.3ds: the file is empty");
    EXPECT_EQ(load(std::vector<unsigned char>{'G', 'I', 'F', '8', '9', 'a', 0, 0}, &err), nullptr);
    EXPECT_NE(err.find("test.3ds: not a 3D Studio file"), std::string::npos) << err;

    mk3ds::Scene s;
    s.meshes.push_back(trianglemesh("M"));
    const std::vector<unsigned char> good = mk3ds::write3ds(s);
    const size_t obj = 42, mesh = obj + 6 + 2, verts = mesh + 6;
    ASSERT_EQ(good[verts + 1], 0x41);
    ASSERT_EQ(good[verts], 0x10);

    std::vector<unsigned char> b = good; // vertex list longer than its mesh
    b[verts + 3] = 0x10;
    EXPECT_EQ(load(b, &err), nullptr);
    EXPECT_NE(err.find("chunk 0x4110"), std::string::npos) << err;
    EXPECT_NE(err.find("runs past its parent"), std::string::npos) << err;

    b = good; // a zero length would stop the walk in place
    b[verts + 2] = 0;
    EXPECT_EQ(load(b, &err), nullptr);
    EXPECT_NE(err.find("shorter than its header"), std::string::npos) << err;

    b = good; // a vertex count that does not fit its chunk
    b[verts + 6] = 200;
    EXPECT_EQ(load(b, &err), nullptr);
    EXPECT_NE(err.find("vertex list"), std::string::npos) << err;

    b = good; // the file cut short: the mesh section runs past its end
    b.resize(b.size() - 7);
    EXPECT_EQ(load(b, &err), nullptr);
    EXPECT_NE(err.find("runs past"), std::string::npos) << err;

    b = good; // a name without its terminator up to the end of its chunk
    b.resize(obj + 7);
    b[obj + 2] = 7;
    b[obj + 3] = b[obj + 4] = b[obj + 5] = 0;
    b[16 + 2] = uint8_t(b.size() - 16);
    b[16 + 3] = 0;
    EXPECT_EQ(load(b, &err), nullptr);
    EXPECT_NE(err.find("has no end"), std::string::npos) << err;
}

} // namespace
