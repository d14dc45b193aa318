// The scene loader's entry point: reset, read the file, walk the mesh section and the keyframer, and copy
// what the walk found into blocks that belong to the world.
#include "scene/loader.h"

#include "platform/paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

d3point *transmat[50];
float (*rotmat[50])[4][4];

void SearchScene() {
    const long p = LinSearchChunk(0x3D3D, 6);
    if (p == -1) return;
    const long end = d3schunkend(p, D3SFileSize);
    long pos = p + 6;
    while (pos < end) {
        switch (d3swalkid(pos, end)) {
        case 0xAFFF:
            ReadMaterialChunk(&pos, end);
            break;
        case 0x4000:
            ReadObjectChunk(&pos, end);
            break;
        case 0x1100:
        case 0x1200:
        case 0x1201:
        case 0x1300:
        case 0x1400:
        case 0x1420:
        case 0x1450:
        case 0x1500:
        case 0x2100:
        case 0x2200:
        case 0x2201:
        case 0x2210:
        case 0x2300:
        case 0x2302:
        case 0x3000:
        case 0x7001:
            ReadUnknownChunk(&pos, end);
            break;
        default:
            pos += 2;
        }
    }
    const long k = LinSearchChunk(0xB000, pos);
    if (k == -1) return;
    const long kend = d3schunkend(k, D3SFileSize);
    pos = k; // the section's own header is stepped over like unknown data
    while (pos < kend) {
        switch (d3swalkid(pos, kend)) {
        case 0xB008:
            ReadNumberOfFramesChunk(&pos, kend);
            break;
        case 0xB002:
            ReadObjectDescriptionChunk(&pos, kend);
            break;
        case 0xB003:
            ReadCameraTrackChunk(&pos, kend);
            break;
        case 0xB004:
            ReadCameraTargetTrackChunk(&pos, kend);
            break;
        case 0xB009:
        case 0xB00A:
            ReadUnknownChunk(&pos, kend);
            break;
        default:
            pos += 2;
        }
    }
}

namespace {

template <class T> T *copyblock(const T *from, long n) {
    T *to = static_cast<T *>(d3sblock(sizeof(T) * n));
    if (n) std::memcpy(static_cast<void *>(to), from, sizeof(T) * n);
    return to;
}

// Working blocks of one load, released when it ends (also when it fails).
void releaseworking() {
    std::free(D3SObjects);
    D3SObjects = nullptr;
    std::free(TempVerts);
    TempVerts = nullptr;
    D3SFile = nullptr;
    D3SFileSize = 0;
}

} // namespace

world *read3dsimage(const unsigned char *data, size_t size, const char *name, std::string *error,
                    bool loadmaps) {
    D3SLoadMaps = loadmaps;
    D3SObjectCounter = 0;
    numcams = 0;
    numlights = 1;
    NumMaterials = 0;
    D3SFrameWrites = 0;
    D3SFile = data;
    D3SFileSize = static_cast<long>(size);
    D3SObjects = static_cast<object *>(std::calloc(D3SMAXOBJECTS, sizeof(object)));
    try {
        if (!D3SObjects) d3sbad("out of memory");
        if (size == 0) d3sbad("the file is empty");
        if (size < 6 || ChunkID(0) != 0x4D4D)
            d3sbad("not a 3D Studio file (it does not begin with a main chunk)");
        d3schunkend(0, D3SFileSize); // a main chunk longer than the file: the file was cut short
        SearchScene();
    } catch (const d3sfault &f) {
        releaseworking();
        if (error) *error = std::string(name) + ": " + f.what;
        return nullptr;
    }
    world *w = static_cast<world *>(d3sblock(sizeof(world)));
    w->numobjects = static_cast<int>(D3SObjectCounter);
    w->numlights = numlights;
    w->numcams = numcams;
    w->campositions = campositions;
    w->numframes = NumOfFrames;
    w->transmat = transmat;
    w->rotmat = rotmat;
    w->lights = copyblock(lights, numlights);
    w->materials = copyblock(MaterialPool, NumMaterials);
    w->nummaterials = NumMaterials;
    w->objects = copyblock(D3SObjects, D3SObjectCounter);
    releaseworking();
    return w;
}

world *read3ds(const char *path, bool loadmaps) {
    const std::string real = translatepath(path);
    std::FILE *f = std::fopen(real.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "%s: cannot open the scene file\n", path);
        std::exit(1);
    }
    std::vector<unsigned char> image;
    unsigned char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) image.insert(image.end(), buf, buf + got);
    const bool failed = std::ferror(f);
    std::fclose(f);
    if (failed) {
        std::fprintf(stderr, "%s: cannot read the scene file\n", path);
        std::exit(1);
    }
    std::string error;
    world *w = read3dsimage(image.data(), image.size(), path, &error, loadmaps);
    if (!w) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    return w;
}

world *read3ds(const char *path) {
    return read3ds(path, true);
}

void freeloadedscenes() {
    d3sfreeblocks();
    std::memset(static_cast<void *>(MaterialPool), 0, sizeof MaterialPool);
    std::memset(static_cast<void *>(cams), 0, sizeof cams);
    std::memset(static_cast<void *>(lights), 0, sizeof lights);
    NumOfFrames = 0;
    campositions = nullptr;
    D3SCurrentObject = 0;
    ObjectName = nullptr;
}
