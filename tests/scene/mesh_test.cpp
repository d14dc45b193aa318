// Meshes, lights and cameras of the mesh section.
#include "helpers.h"

#include <cmath>

namespace {

class Mesh : public SceneTest {};

TEST_F(Mesh, VerticesExchangeYAndZ) {
    mk3ds::Scene s;
    mk3ds::Mesh m = trianglemesh("M");
    m.vertices[1] = {1, 2, 3};
    s.meshes.push_back(m);
    world *w = load(s);
    ASSERT_EQ(w->numobjects, 1);
    const object &o = w->objects[0];
    EXPECT_EQ(o.numverts, 3);
    EXPECT_EQ(o.numfaces, 1);
    EXPECT_EQ(o.points[1].x, 1.0f);
    EXPECT_EQ(o.points[1].y, 3.0f);
    EXPECT_EQ(o.points[1].z, 2.0f);
    // Room for the vertex normals and the face normal, and a zeroed working copy.
    EXPECT_NE(o.destpoints, nullptr);
    EXPECT_NE(o.vertexpairs, nullptr);
    EXPECT_EQ(o.faces[0].count, 3);
}

// The settled order is a rotation of the file's order and gives the outward normal.
TEST_F(Mesh, FaceOrderIsSettledByItsNormal) {
    mk3ds::Scene s;
    mk3ds::Mesh m;
    m.name = "M";
    // Counter-clockwise about file +z (up), and a tilted one with unequal coordinates.
    m.vertices = {{0, 0, 0},           {1, 0, 0},           {0, 1, 0},
                  {0.3f, -1.7f, 2.9f}, {5.1f, 0.2f, -1.3f}, {-2.2f, 3.3f, 0.7f}};
    m.faces = {{0, 1, 2, 7}, {3, 4, 5, 7}, {0, 2, 1, 7}};
    s.meshes.push_back(m);
    world *w = load(s);
    object &o = w->objects[0];
    auto isrotation = [](const face &f, int a, int b, int c) {
        return (f.index[0] == a && f.index[1] == b && f.index[2] == c) ||
               (f.index[0] == c && f.index[1] == a && f.index[2] == b);
    };
    EXPECT_TRUE(isrotation(o.faces[0], 0, 1, 2));
    EXPECT_TRUE(isrotation(o.faces[1], 3, 4, 5));
    EXPECT_TRUE(isrotation(o.faces[2], 0, 2, 1));
    d3point n;
    CalcFaceNormal(&o, 0, &n);
    EXPECT_NEAR(n.y, 1.0f, 1e-6f); // file up is the show's up
    CalcFaceNormal(&o, 2, &n);
    EXPECT_NEAR(n.y, -1.0f, 1e-6f);
}

TEST_F(Mesh, CollinearFaceKeepsTheReversedOrder) {
    mk3ds::Scene s;
    mk3ds::Mesh m;
    m.name = "LINE";
    m.vertices = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    m.faces = {{0, 1, 2, 7}};
    s.meshes.push_back(m);
    const face &f = load(s)->objects[0].faces[0];
    EXPECT_EQ(f.index[0], 2);
    EXPECT_EQ(f.index[1], 1);
    EXPECT_EQ(f.index[2], 0);
}

TEST_F(Mesh, MeshesWithoutFacesAreDroppedAndTheirSlotReused) {
    mk3ds::Scene s;
    s.meshes.push_back(trianglemesh("FIRST"));
    mk3ds::Mesh empty = trianglemesh("EMPTY");
    empty.faces.clear();
    empty.mapcoords = {{0.5f, 0.5f}, {0.5f, 0.5f}};
    s.meshes.push_back(empty);
    mk3ds::Mesh nofacelist = trianglemesh("NOFACELIST");
    nofacelist.writefaces = false;
    s.meshes.push_back(nofacelist);
    mk3ds::Mesh third = trianglemesh("THIRD");
    third.vertices.push_back({9, 9, 9});
    s.meshes.push_back(third);
    world *w = load(s);
    ASSERT_EQ(w->numobjects, 2);
    EXPECT_STREQ(w->objects[0].name, "FIRST");
    EXPECT_STREQ(w->objects[1].name, "THIRD");
    // THIRD has no mapping chunk and keeps the dropped mesh's list, padded with zeros to its vertices.
    const object &o = w->objects[1];
    ASSERT_NE(o.mapcoords, nullptr);
    ASSERT_EQ(o.nummapcoords, 4);
    EXPECT_EQ(o.mapcoords[2], 0.5f);
    EXPECT_EQ(o.mapcoords[4], 0.0f);
    EXPECT_EQ(o.mapcoords[7], 0.0f);
    EXPECT_EQ(w->objects[0].mapcoords, nullptr);
}

TEST_F(Mesh, TwoEmptyFaceListsDropTheMeshOnce) {
    mk3ds::Scene s;
    s.meshes.push_back(trianglemesh("KEPT"));
    mk3ds::Mesh twice = trianglemesh("TWICE");
    twice.faces.clear();
    twice.extra = {{0x4120, {0, 0}}};
    s.meshes.push_back(twice);
    s.meshes.push_back(trianglemesh("NEXT"));
    world *w = load(s);
    ASSERT_EQ(w->numobjects, 2);
    EXPECT_STREQ(w->objects[0].name, "KEPT");
    EXPECT_STREQ(w->objects[1].name, "NEXT");
}

TEST_F(Mesh, MappingPairsFlipVAndShortListsArePadded) {
    mk3ds::Scene s;
    mk3ds::Mesh m = trianglemesh("M");
    m.mapcoords = {{0.25f, 0.25f}, {1.0f, 0.0f}};
    s.meshes.push_back(m);
    const object &o = load(s)->objects[0];
    ASSERT_EQ(o.nummapcoords, 3);
    EXPECT_EQ(o.mapcoords[0], 0.25f);
    EXPECT_EQ(o.mapcoords[1], 0.75f);
    EXPECT_EQ(o.mapcoords[2], 1.0f);
    EXPECT_EQ(o.mapcoords[3], 1.0f);
    EXPECT_EQ(o.mapcoords[4], 0.0f);
    EXPECT_EQ(o.mapcoords[5], 0.0f);
}

TEST_F(Mesh, MeshMatrixKeepsItsRowsAndExchangesTheOrigin) {
    mk3ds::Scene s;
    mk3ds::Mesh m = trianglemesh("M");
    float v = 1;
    for (auto &row : m.matrix)
        for (float &f : row) f = v++;
    s.meshes.push_back(m);
    const object &o = load(s)->objects[0];
    EXPECT_EQ(o.meshmatrix[0][0], 1.0f);
    EXPECT_EQ(o.meshmatrix[0][2], 3.0f);
    EXPECT_EQ(o.meshmatrix[1][0], 4.0f);
    EXPECT_EQ(o.meshmatrix[2][2], 9.0f);
    EXPECT_EQ(o.meshmatrix[0][3], 0.0f);
    EXPECT_EQ(o.meshmatrix[3][0], 0.0f);
    EXPECT_EQ(o.meshmatrix[3][3], 1.0f);
    EXPECT_EQ(o.translation.x, 10.0f);
    EXPECT_EQ(o.translation.y, 12.0f);
    EXPECT_EQ(o.translation.z, 11.0f);
}

TEST_F(Mesh, LightsAndSpotlights) {
    mk3ds::Scene s;
    s.lights.push_back({"SPOT", {1, 2, 3}, 1, 1, 1, false, true, {4, 5, 6}, 30, 45});
    world *w = load(s);
    ASSERT_EQ(w->numlights, 2);
    EXPECT_EQ(w->lights[0].position.x, 0.0f);
    EXPECT_EQ(w->lights[0].target.y, 0.0f);
    EXPECT_EQ(w->lights[1].position.y, 3.0f);
    EXPECT_EQ(w->lights[1].target.x, 4.0f);
    EXPECT_EQ(w->lights[1].target.y, 6.0f);
    EXPECT_EQ(w->lights[1].target.z, 5.0f);

    // A plain light in the same entry of a later load has no target.
    mk3ds::Scene t;
    t.lights.push_back({"OMNI", {7, 8, 9}, 1, 1, 1, true, false, {}, 30, 45});
    world *w2 = load(t);
    ASSERT_EQ(w2->numlights, 2);
    EXPECT_EQ(w2->lights[1].position.z, 8.0f);
    EXPECT_EQ(w2->lights[1].target.x, 0.0f);
    EXPECT_EQ(w2->lights[1].target.y, 0.0f);
    EXPECT_EQ(w->lights[1].target.x, 4.0f); // the first world kept its own copy
}

TEST_F(Mesh, CamerasAndTheirBank) {
    mk3ds::Scene s;
    s.cameras.push_back({"C0", {1, 2, 3}, {4, 5, 6}, 0.0f, 50});
    s.cameras.push_back({"C1", {0, 0, 0}, {0, 1, 0}, 3.14159f, 50});
    s.cameras.push_back({"C2", {0, 0, 0}, {0, 1, 0}, -0.5f, 50});
    world *w = load(s);
    ASSERT_EQ(w->numcams, 3);
    EXPECT_EQ(cams[0].position.y, 3.0f);
    EXPECT_EQ(cams[0].target.z, 5.0f);
    EXPECT_EQ(cams[0].roll, 0);
    EXPECT_EQ(cams[1].roll, 127);
    EXPECT_EQ(cams[2].roll, uint8_t(-20)); // -20.37 truncated towards zero
}

TEST_F(Mesh, FacesTakeTheirMaterialsBitsAndTheLaterGroupWins) {
    mk3ds::Scene s;
    s.materials.push_back(mk3ds::makematerial("WOOD"));
    s.materials.push_back(mk3ds::makematerial("ENVMAP"));
    mk3ds::Mesh m;
    m.name = "M";
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    m.faces = {{0, 1, 2, 0x18}, {1, 3, 2, 0x18}, {0, 1, 3, 0x18}};
    m.groups = {{"WOOD", {0, 1}}, {"ENVMAP", {1}}, {"NOSUCH", {2}}};
    s.meshes.push_back(m);
    world *w = load(s);
    const object &o = w->objects[0];
    EXPECT_EQ(o.faces[0].materialindex, 0);
    EXPECT_EQ(o.faces[0].flags, MAP_TMAP);
    EXPECT_EQ(o.faces[1].materialindex, 1);
    EXPECT_EQ(o.faces[1].flags, MAP_ENV);
    // A name that matches no material leaves the face as the file gave it.
    EXPECT_EQ(o.faces[2].materialindex, 0);
    EXPECT_EQ(o.faces[2].flags, 0x18);
    EXPECT_EQ(o.faces[2].texture, nullptr);
}

TEST_F(Mesh, IndicesAndCountsOutsideTheirTablesAreRefused) {
    std::string err;
    mk3ds::Scene s;
    mk3ds::Mesh m = trianglemesh("M");
    m.faces[0].b = 3;
    s.meshes.push_back(m);
    EXPECT_EQ(load(s, &err), nullptr);
    EXPECT_EQ(err, "test.3ds: face 0 uses vertex 3 but the mesh has 3 vertices");

    s.meshes[0] = trianglemesh("M", "X");
    s.materials.push_back(mk3ds::makematerial("X"));
    s.meshes[0].groups[0].faces = {1};
    EXPECT_EQ(load(s, &err), nullptr);
    EXPECT_NE(err.find("lists face 1 but the mesh has 1 faces"), std::string::npos) << err;

    mk3ds::Scene many;
    for (int i = 0; i < 51; i++) many.meshes.push_back(trianglemesh("M" + std::to_string(i)));
    EXPECT_EQ(load(many, &err), nullptr);
    EXPECT_EQ(err, "test.3ds: more than 50 meshes");
    many.meshes.pop_back();
    EXPECT_EQ(load(many)->numobjects, 50);

    mk3ds::Scene lit;
    for (int i = 0; i < 15; i++) lit.lights.push_back(mk3ds::makelight("L", {}));
    EXPECT_EQ(load(lit, &err), nullptr);
    EXPECT_EQ(err, "test.3ds: more than 14 lights");

    mk3ds::Scene cam;
    for (int i = 0; i < 16; i++) cam.cameras.push_back(mk3ds::makecamera("C", {}, {}));
    EXPECT_EQ(load(cam, &err), nullptr);
    EXPECT_EQ(err, "test.3ds: more than 15 cameras");

    mk3ds::Scene novert;
    mk3ds::Mesh nv = trianglemesh("NV");
    nv.vertices.clear();
    nv.faces = {{0, 0, 0, 0}};
    novert.meshes.push_back(nv);
    EXPECT_EQ(load(novert, &err), nullptr);
    EXPECT_NE(err.find("uses vertex 0 but the mesh has 0"), std::string::npos) << err;
}

} // namespace
