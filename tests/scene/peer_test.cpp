// Peer checks: lib3ds reads our writer's files and other people's files as our reader does.
#include "helpers.h"

#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace {

class Peer : public SceneTest {};

std::vector<unsigned char> slurp(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string cut49(const char *s) {
    return std::string(s).substr(0, 49);
}

// Compares what lib3ds and our reader found in the file at path (our world w). Meshes without faces are
// dropped by our reader by design; lib3ds keeps them.
void compare(const std::string &path, const world *w) {
    Lib3dsFile *f = lib3ds_file_load(path.c_str());
    ASSERT_NE(f, nullptr) << path;
    // lib3ds keeps its meshes and materials sorted by name; ours follow the file. Match by name.
    std::vector<bool> used(size_t(w->numobjects), false);
    int meshes = 0;
    for (Lib3dsMesh *m = f->meshes; m; m = m->next) {
        if (m->faces == 0) continue;
        SCOPED_TRACE(path + " mesh " + m->name);
        meshes++;
        int at = -1;
        for (int i = 0; i < w->numobjects && at < 0; i++)
            if (!used[size_t(i)] && std::string(w->objects[i].name) == cut49(m->name)) at = i;
        ASSERT_GE(at, 0);
        used[size_t(at)] = true;
        const object &o = w->objects[at];
        EXPECT_EQ(Lib3dsDword(o.numverts), m->points);
        EXPECT_EQ(Lib3dsDword(o.numfaces), m->faces);
        for (Lib3dsDword i = 0; i < m->points && i < Lib3dsDword(o.numverts); i++) {
            EXPECT_EQ(o.points[i].x, m->pointL[i].pos[0]);
            EXPECT_EQ(o.points[i].y, m->pointL[i].pos[2]);
            EXPECT_EQ(o.points[i].z, m->pointL[i].pos[1]);
        }
        for (Lib3dsDword i = 0; i < m->faces && i < Lib3dsDword(o.numfaces); i++) {
            const face &fc = o.faces[i];
            std::multiset<int> ours(fc.index, fc.index + 3);
            std::multiset<int> theirs(m->faceL[i].points, m->faceL[i].points + 3);
            EXPECT_EQ(ours, theirs) << "face " << i;
            // A face whose material lib3ds names has that material with us, when the file defines it.
            const std::string mat = cut49(m->faceL[i].material);
            for (int k = 0; !mat.empty() && k < w->nummaterials; k++)
                if (mat == w->materials[k].name) {
                    EXPECT_EQ(std::string(w->materials[fc.materialindex].name), mat) << "face " << i;
                    break;
                }
        }
    }
    EXPECT_EQ(meshes, w->numobjects) << path;
    int mats = 0;
    for (Lib3dsMaterial *m = f->materials; m; m = m->next, mats++) {
        int at = -1;
        for (int k = 0; k < w->nummaterials && at < 0; k++)
            if (cut49(m->name) == w->materials[k].name) at = k;
        ASSERT_GE(at, 0) << path << " material " << m->name;
        if (m->texture1_map.name[0]) {
            ASSERT_NE(w->materials[at].mapname, nullptr) << path << " " << m->name;
            EXPECT_EQ(std::string(w->materials[at].mapname), cut49(m->texture1_map.name)) << path;
        }
    }
    EXPECT_EQ(mats, w->nummaterials) << path;
    int ncams = 0;
    for (Lib3dsCamera *c = f->cameras; c; c = c->next, ncams++) {
        if (ncams >= D3SMAXCAMS) break;
        EXPECT_EQ(cams[ncams].position.x, c->position[0]) << path;
        EXPECT_EQ(cams[ncams].position.y, c->position[2]) << path;
        EXPECT_EQ(cams[ncams].target.z, c->target[1]) << path;
    }
    EXPECT_EQ(ncams, w->numcams) << path;
    lib3ds_file_free(f);
}

// Loads path from a scratch folder with placeholder texture maps for every map it names.
world *loadwithmaps(const std::string &path, const std::string &scratch) {
    const std::vector<unsigned char> bytes = slurp(path);
    std::string err;
    world *probe = read3dsimage(bytes.data(), bytes.size(), path.c_str(), &err, false);
    EXPECT_NE(probe, nullptr) << err;
    if (!probe) return nullptr;
    fs::create_directories(scratch + "/gfx/maps");
    for (int i = 0; i < probe->nummaterials; i++)
        if (probe->materials[i].mapname)
            writejpeg(scratch + "/gfx/maps/" + d3sjpgname(probe->materials[i].mapname), 8, 8, 90, 90, 90);
    freeloadedscenes();
    const auto old = fs::current_path();
    fs::current_path(scratch);
    world *w = read3dsimage(bytes.data(), bytes.size(), path.c_str(), &err, true);
    fs::current_path(old);
    EXPECT_NE(w, nullptr) << err;
    return w;
}

TEST_F(Peer, Lib3dsReadsOurScenesAsWeDo) {
    mk3ds::Scene s;
    mk3ds::Material wood = mk3ds::makematerial("GOUTXTWOOD"), env = mk3ds::makematerial("ENVCHROME");
    wood.map = "WOOD.JPG";
    wood.uscale = 2;
    env.map = "CHROME.GIF";
    s.materials = {wood, env, mk3ds::makematerial("PLAIN")};
    mk3ds::Mesh box;
    box.name = "BOX";
    box.vertices = {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 3, 0}, {1, 1, 4}};
    box.faces = {{0, 1, 2, 7}, {0, 2, 3, 7}, {0, 1, 4, 7}, {2, 3, 4, 7}};
    box.groups = {{"GOUTXTWOOD", {0, 1}}, {"ENVCHROME", {2, 3}}};
    box.smoothing = {1, 1, 2, 2};
    box.mapcoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5f, 0.5f}};
    box.matrix[3][0] = 5;
    mk3ds::Mesh empty = trianglemesh("EMPTY");
    empty.faces.clear();
    s.meshes = {box, empty, trianglemesh("TRI", "PLAIN")};
    s.lights.push_back(mk3ds::makelight("OMNI", {1, 2, 3}));
    s.lights.push_back({"SPOT", {4, 5, 6}, 1, 0.5f, 0.25f, false, true, {0, 0, 0}, 20, 40});
    s.cameras.push_back({"CAM", {10, -20, 5}, {0, 0, 1}, 0, 35});
    s.cameras.push_back({"CAM2", {1, 1, 1}, {0, 0, 0}, 0.5f, 50});
    mk3ds::Keyframer k;
    k.end = 40;
    k.objects.push_back({"BOX", -1, -1, true, {1, 1, 1}, {}});
    mk3ds::CameraNode cn;
    cn.name = "CAM2";
    for (int f : {0, 15, 40}) {
        mk3ds::PosKey p;
        p.key.frame = f;
        p.key.tension = f == 15 ? 0.5f : 0;
        p.key.continuity = f == 15 ? -0.25f : 0;
        p.value = {float(f), 2, 3};
        cn.position.push_back(p);
        mk3ds::PosKey t = p;
        t.value = {0, float(f), 0};
        cn.target.push_back(t);
    }
    mk3ds::RollKey r;
    r.roll = 30;
    cn.roll = {r};
    k.cameras.push_back(cn);
    s.keyframer = k;

    const std::string dir = scratchdir("peer");
    const std::string path = dir + "/scene.3ds";
    ASSERT_TRUE(mk3ds::save3ds(s, path));
    world *w = loadwithmaps(path, dir);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->numobjects, 2);
    compare(path, w);

    // The keyframer: frames, node names and the keys of the camera's tracks.
    Lib3dsFile *f = lib3ds_file_load(path.c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->segment_to - f->segment_from, w->numframes);
    int seen = 0;
    for (Lib3dsNode *n = f->nodes; n; n = n->next) {
        if (n->type == LIB3DS_CAMERA_NODE) {
            seen++;
            EXPECT_STREQ(n->name, "CAM2");
            std::vector<int> frames;
            for (Lib3dsLin3Key *key = n->data.camera.pos_track.keyL; key; key = key->next) {
                frames.push_back(key->tcb.frame);
                // Each key's value is where our table puts the eye at that frame.
                if (key->tcb.frame < 40) {
                    const camera &c = w->campositions[key->tcb.frame];
                    EXPECT_EQ(c.position.x, key->value[0]);
                    EXPECT_EQ(c.position.y, key->value[2]);
                    EXPECT_EQ(c.position.z, key->value[1]);
                }
                if (key->tcb.frame == 15) {
                    EXPECT_EQ(key->tcb.tens, 0.5f);
                    EXPECT_EQ(key->tcb.cont, -0.25f);
                }
            }
            EXPECT_EQ(frames, (std::vector<int>{0, 15, 40}));
            ASSERT_NE(n->data.camera.roll_track.keyL, nullptr);
            EXPECT_EQ(n->data.camera.roll_track.keyL->value, 30.0f);
            EXPECT_EQ(w->campositions[7].roll, d3sroll(30.0f));
        } else if (n->type == LIB3DS_TARGET_NODE) {
            seen++;
            for (Lib3dsLin3Key *key = n->data.target.pos_track.keyL; key; key = key->next)
                if (key->tcb.frame < 40) {
                    EXPECT_EQ(w->campositions[key->tcb.frame].target.z, key->value[1]);
                }
        } else if (n->type == LIB3DS_OBJECT_NODE) {
            seen++;
            EXPECT_STREQ(n->name, "BOX");
            EXPECT_EQ(n->data.object.pivot[2], w->objects[0].pivot.y);
        }
    }
    EXPECT_EQ(seen, 3);
    // lib3ds and we agree on the texture names and the map scale.
    for (Lib3dsMaterial *m = f->materials; m; m = m->next)
        if (std::strcmp(m->name, "GOUTXTWOOD") == 0) { // ours is material 0
            EXPECT_EQ(m->texture1_map.scale[0], w->materials[0].uscale);
        }
    lib3ds_file_free(f);
}

TEST_F(Peer, OtherPeoplesFilesReadAsLib3dsReadsThem) {
    std::vector<std::string> files;
    for (const char *dir : {"/usr/share/assimp/models/3DS", "/usr/share/assimp/models/invalid"})
        if (fs::is_directory(dir))
            for (const auto &e : fs::directory_iterator(dir)) {
                std::string ext = e.path().extension().string();
                for (char &c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
                if (ext == ".3ds") files.push_back(e.path().string());
            }
    const std::string scratch = scratchdir("real");
    const std::string roomgz = "/usr/share/doc/libirrlicht-dev/media/room.3ds.gz";
    if (fs::exists(roomgz)) {
        const std::string cmd = "gzip -dc '" + roomgz + "' > '" + scratch + "/room.3ds'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        files.push_back(scratch + "/room.3ds");
    }
    if (files.empty()) GTEST_SKIP() << "no third-party .3ds files installed";
    int read = 0;
    for (const std::string &path : files) {
        SCOPED_TRACE(path);
        freeloadedscenes();
        if (fs::file_size(path) == 0) {
            // The empty file of the invalid set is refused with a message that names it.
            const std::vector<unsigned char> none;
            std::string err;
            EXPECT_EQ(read3dsimage(none.data(), 0, path.c_str(), &err, false), nullptr);
            EXPECT_EQ(err, path + ": the file is empty");
            continue;
        }
        world *w = loadwithmaps(path, scratch + "/" + fs::path(path).stem().string());
        if (!w) continue;
        compare(path, w);
        read++;
    }
    EXPECT_GE(read, 1);
}

} // namespace
