// Peer checks: lib3ds reads our writer's files and other people's files as our reader does.
#include "helpers.h"

#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <algorithm>
#include <set>
#include <span>

namespace fs = std::filesystem;

namespace {

class Peer : public SceneTest {};

std::string cut49(const char *s) {
    return std::string(s).substr(0, 49);
}

// lib3ds's y/z-exchanged point as ours.
F3 fromlib3ds(const float *p) {
    return {p[0], p[2], p[1]};
}

// Compares what lib3ds and our reader found in the file at path (our world w). Meshes without faces are
// dropped by our reader by design; lib3ds keeps them. lib3ds sorts meshes and materials by name; ours follow
// the file, so they are matched by name.
void compare(const std::string &path, const world *w) {
    Lib3dsFile *f = lib3ds_file_load(path.c_str());
    ASSERT_NE(f, nullptr) << path;
    std::vector<bool> used(size_t(w->numobjects), false);
    int meshes = 0;
    for (Lib3dsMesh *m = f->meshes; m; m = m->next) {
        if (m->faces == 0) continue;
        SCOPED_TRACE(path + " mesh " + m->name);
        meshes++;
        int at = -1;
        for (int i = 0; i < w->numobjects && at < 0; i++)
            if (!used[size_t(i)] && w->objects[i].name == cut49(m->name)) at = i;
        ASSERT_GE(at, 0);
        used[size_t(at)] = true;
        const object &o = w->objects[at];
        EXPECT_EQ(Lib3dsDword(o.numverts), m->points);
        EXPECT_EQ(Lib3dsDword(o.numfaces), m->faces);
        for (Lib3dsDword i = 0; i < m->points && i < Lib3dsDword(o.numverts); i++)
            EXPECT_EQ(xyz(o.points[i]), fromlib3ds(m->pointL[i].pos));
        for (Lib3dsDword i = 0; i < m->faces && i < Lib3dsDword(o.numfaces); i++) {
            const face &fc = o.faces[i];
            EXPECT_EQ(std::multiset<int>(fc.index, fc.index + 3),
                      std::multiset<int>(m->faceL[i].points, m->faceL[i].points + 3))
                << "face " << i;
            // A face whose material lib3ds names has that material with us, when the file defines it.
            const std::string mat = cut49(m->faceL[i].material);
            if (!mat.empty() && std::any_of(w->materials, w->materials + w->nummaterials,
                                            [&](const material &x) { return mat == x.name; })) {
                EXPECT_EQ(w->materials[fc.materialindex].name, mat) << "face " << i;
            }
        }
    }
    EXPECT_EQ(meshes, w->numobjects) << path;
    // The same materials by name, each with the map lib3ds names, where it names one.
    std::multiset<std::pair<std::string, std::string>> theirs, ours;
    for (Lib3dsMaterial *m = f->materials; m; m = m->next)
        theirs.insert({cut49(m->name), cut49(m->texture1_map.name)});
    for (const material &m : std::span(w->materials, size_t(w->nummaterials)))
        ours.insert({m.name, m.mapname ? m.mapname : ""});
    EXPECT_EQ(theirs, ours) << path;
    int ncams = 0;
    for (Lib3dsCamera *c = f->cameras; c && ncams < D3SMAXCAMS; c = c->next, ncams++) {
        EXPECT_EQ(xyz(cams[ncams].position), fromlib3ds(c->position)) << path;
        EXPECT_EQ(xyz(cams[ncams].target), fromlib3ds(c->target)) << path;
    }
    EXPECT_EQ(ncams, w->numcams) << path;
    lib3ds_file_free(f);
}

// Loads path from a scratch folder with placeholder texture maps for every map it names.
world *loadwithmaps(const std::string &path, const std::string &scratch) {
    const std::string s = programrun::slurp(path);
    const std::vector<unsigned char> bytes(s.begin(), s.end());
    std::string err;
    world *w = read3dsimage(bytes.data(), bytes.size(), path.c_str(), &err, false);
    EXPECT_NE(w, nullptr) << err;
    if (!w) return nullptr;
    fs::create_directories(scratch + "/gfx/maps");
    for (int i = 0; i < w->nummaterials; i++)
        if (w->materials[i].mapname)
            writejpeg(scratch + "/gfx/maps/" + d3sjpgname(w->materials[i].mapname), 8, 8, {0.5f, 0.5f, 0.5f});
    freeloadedscenes();
    indir(scratch, [&] { w = read3dsimage(bytes.data(), bytes.size(), path.c_str(), &err, true); });
    EXPECT_NE(w, nullptr) << err;
    return w;
}

// Our writer's keyframer and map scale as lib3ds reads them. Meshes, materials and cameras are compared on
// other people's files below, which pins our reader to lib3ds; the reader's own tests pin the writer to it.
TEST_F(Peer, Lib3dsReadsOurKeyframerAndMapScaleAsWeDo) {
    mk3ds::Scene s = camerascene(40);
    s.cameras[0] = mk3ds::makecamera("CAM2", {1, 1, 1}, {0, 0, 0}, 0.5f);
    s.materials = {mk3ds::makematerial("GOUTXTWOOD", "WOOD.JPG")};
    s.materials[0].uscale = 2;
    s.meshes = {trianglemesh("BOX", "GOUTXTWOOD")};
    s.keyframer->objects.push_back({"BOX", -1, -1, true, {1, 1, 1}, {}});
    mk3ds::CameraNode cn{"CAM2", -1, -1, {}, {{{0}, 30}}, {}, {}};
    for (int f : {0, 15, 40}) {
        cn.position.push_back({{f, f == 15 ? 0.5f : 0, f == 15 ? -0.25f : 0}, {float(f), 2, 3}});
        cn.target.push_back({{f}, {0, float(f), 0}});
    }
    s.keyframer->cameras.push_back(cn);
    const std::string path = programrun::scratch("scene", "peer") + "/scene.3ds";
    ASSERT_TRUE(mk3ds::save3ds(s, path));
    const world *w = load(s);
    ASSERT_NE(w, nullptr);

    // The keyframer: frames, the node names and the keys of the camera's position track, each key's value
    // where our table puts the eye at that frame (targets and pivots take the same reading and exchange).
    Lib3dsFile *f = lib3ds_file_load(path.c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->segment_to - f->segment_from, w->numframes);
    std::vector<std::string> nodes;
    for (Lib3dsNode *n = f->nodes; n; n = n->next) {
        nodes.push_back(n->name);
        if (n->type != LIB3DS_CAMERA_NODE) continue;
        std::vector<int> frames;
        for (Lib3dsLin3Key *key = n->data.camera.pos_track.keyL; key; key = key->next) {
            frames.push_back(key->tcb.frame);
            if (key->tcb.frame < 40) {
                EXPECT_EQ(xyz(w->campositions[key->tcb.frame].position), fromlib3ds(key->value));
            }
            if (key->tcb.frame == 15) {
                EXPECT_EQ((std::array{key->tcb.tens, key->tcb.cont}), (std::array{0.5f, -0.25f}));
            }
        }
        EXPECT_EQ(frames, (std::vector<int>{0, 15, 40}));
        ASSERT_NE(n->data.camera.roll_track.keyL, nullptr);
        EXPECT_EQ(n->data.camera.roll_track.keyL->value, 30.0f);
        EXPECT_EQ(w->campositions[7].roll, d3sroll(30.0f));
    }
    std::sort(nodes.begin(), nodes.end());
    EXPECT_EQ(nodes, (std::vector<std::string>{"BOX", "CAM2", "CAM2"}));
    ASSERT_NE(f->materials, nullptr);
    EXPECT_EQ(f->materials->texture1_map.scale[0], w->materials[0].uscale);
    lib3ds_file_free(f);
}

TEST_F(Peer, OtherPeoplesFilesReadAsLib3dsReadsThem) {
    std::vector<std::string> files;
    for (const char *dir : {"/usr/share/assimp/models/3DS", "/usr/share/assimp/models/invalid"})
        if (fs::is_directory(dir))
            for (const auto &e : fs::directory_iterator(dir)) {
                if (e.path().extension() == ".3ds" || e.path().extension() == ".3DS")
                    files.push_back(e.path().string());
            }
    const std::string scratch = programrun::scratch("scene", "real");
    const std::string roomgz = "/usr/share/doc/libirrlicht-dev/media/room.3ds.gz";
    if (fs::exists(roomgz)) {
        ASSERT_EQ(std::system(("gzip -dc '" + roomgz + "' > '" + scratch + "/room.3ds'").c_str()), 0);
        files.push_back(scratch + "/room.3ds");
    }
    if (files.empty()) GTEST_SKIP() << "no third-party .3ds files installed";
    int read = 0;
    for (const std::string &path : files) {
        SCOPED_TRACE(path);
        freeloadedscenes();
        if (fs::file_size(path) == 0)
            continue; // the empty file of the invalid set: the chunk tests refuse one
        if (world *w = loadwithmaps(path, scratch + "/" + fs::path(path).stem().string())) {
            compare(path, w);
            read++;
        }
    }
    EXPECT_GE(read, 1);
}

} // namespace
