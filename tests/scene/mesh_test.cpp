// Meshes, lights and cameras of the mesh section.
#include "helpers.h"

namespace {

class Mesh : public SceneTest {};

// That vertices exchange y and z the peer test shows on every vertex of other people's files; the matrix
// keeps its rows, and its origin row is exchanged.
TEST_F(Mesh, TheMatrixKeepsItsRows) {
    mk3ds::Scene s;
    s.meshes = {trianglemesh("M")};
    float v = 1;
    for (auto &row : s.meshes[0].matrix)
        for (float &f : row) f = v++;
    const object &o = load(s)->objects[0];
    EXPECT_EQ((F3{o.meshmatrix[0][0], o.meshmatrix[0][2], o.meshmatrix[1][0]}), (F3{1, 3, 4}));
    EXPECT_EQ((F3{o.meshmatrix[2][2], o.meshmatrix[0][3], o.meshmatrix[3][0]}), (F3{9, 0, 0}));
    EXPECT_EQ(o.meshmatrix[3][3], 1.0f);
    EXPECT_EQ(xyz(o.translation), (F3{10, 12, 11})); // the origin row, y and z exchanged
}

// The settled order is a rotation of the file's order; a collinear face, which has no normal, keeps the
// reversed order. (That the settled order's normal points outward, file up being the show's up, the
// reference scene's frame shows: its floor and faces would be culled.)
TEST_F(Mesh, FaceOrderIsSettledByItsNormal) {
    mk3ds::Scene s;
    mk3ds::Mesh m;
    m.name = "M";
    // Counter-clockwise about file +z (up), a tilted one with unequal coordinates, and a line.
    m.vertices = {{0, 0, 0},           {1, 0, 0},           {0, 1, 0}, {0.3f, -1.7f, 2.9f},
                  {5.1f, 0.2f, -1.3f}, {-2.2f, 3.3f, 0.7f}, {1, 1, 1}, {2, 2, 2}};
    m.faces = {{0, 1, 2, 7}, {3, 4, 5, 7}, {0, 2, 1, 7}, {0, 6, 7, 7}};
    s.meshes.push_back(m);
    object &o = load(s)->objects[0];
    auto isrotation = [](const face &f, int a, int b, int c) {
        return (f.index[0] == a && f.index[1] == b && f.index[2] == c) ||
               (f.index[0] == c && f.index[1] == a && f.index[2] == b);
    };
    EXPECT_TRUE(isrotation(o.faces[0], 0, 1, 2));
    EXPECT_TRUE(isrotation(o.faces[1], 3, 4, 5));
    EXPECT_TRUE(isrotation(o.faces[2], 0, 2, 1));
    EXPECT_EQ(std::vector<int>(o.faces[3].index, o.faces[3].index + 3), (std::vector<int>{7, 6, 0}));
}

// Mapping pairs flip v; a list shorter than its vertices is padded with zeros. Names keep at most 49
// characters, and a longer one is stepped over whole (the mesh after it reads its vertices).
TEST_F(Mesh, MeshesWithoutFacesAreDroppedOnceAndTheirSlotAndMappingReused) {
    mk3ds::Scene s;
    mk3ds::Mesh twice = trianglemesh("TWICE"), empty = trianglemesh("EMPTY"),
                nofacelist = trianglemesh("NOFACELIST"), third = trianglemesh(std::string(60, 'T')),
                own = trianglemesh("OWN");
    twice.faces.clear(); // two empty face lists
    twice.extra = {{0x4120, {0, 0}}};
    empty.faces.clear();
    empty.mapcoords = {{0.5f, 0.5f}, {0.5f, 0.5f}};
    nofacelist.writefaces = false;
    third.vertices.push_back({9, 9, 9});
    own.mapcoords = {{0.25f, 0.25f}, {1.0f, 0.0f}};
    s.meshes = {trianglemesh(std::string(49, 'F')), twice, empty, nofacelist, third, own};
    world *w = load(s);
    ASSERT_EQ(w->numobjects, 3);
    EXPECT_EQ(std::string(w->objects[0].name), std::string(49, 'F'));
    EXPECT_EQ(std::string(w->objects[1].name), std::string(49, 'T'));
    EXPECT_EQ(w->objects[0].mapcoords, nullptr);
    // The third has no mapping chunk and keeps the dropped mesh's list, padded to its vertices.
    const object &o = w->objects[1], &p = w->objects[2];
    ASSERT_NE(o.mapcoords, nullptr);
    ASSERT_EQ(o.nummapcoords, 4);
    EXPECT_EQ(std::vector<float>(o.mapcoords, o.mapcoords + 8),
              (std::vector<float>{.5f, .5f, .5f, .5f, 0, 0, 0, 0}));
    ASSERT_EQ(p.nummapcoords, 3);
    EXPECT_EQ(std::vector<float>(p.mapcoords, p.mapcoords + 6),
              (std::vector<float>{0.25f, 0.75f, 1, 1, 0, 0}));
}

// Where lights and cameras stand, y and z exchanged, the tool's listing and the two-load test show; a
// camera's bank becomes its roll in 255ths of a turn.
TEST_F(Mesh, CameraBankBecomesRoll) {
    mk3ds::Scene s;
    s.cameras = {mk3ds::makecamera("C0", {}, {0, 1, 0}), mk3ds::makecamera("C1", {}, {0, 1, 0}, 3.14159f),
                 mk3ds::makecamera("C2", {}, {0, 1, 0}, -0.5f)};
    ASSERT_EQ(load(s)->numcams, 3);
    EXPECT_EQ((std::array<int, 3>{cams[0].roll, cams[1].roll, cams[2].roll}),
              (std::array<int, 3>{0, 127, uint8_t(-20)})); // -20.37 truncated towards zero
}

TEST_F(Mesh, FacesTakeTheirMaterialsBitsAndTheLaterGroupWins) {
    mk3ds::Scene s;
    s.materials = {mk3ds::makematerial("WOOD"), mk3ds::makematerial("ENVMAP")};
    mk3ds::Mesh m = trianglemesh("M");
    m.vertices.push_back({1, 1, 0});
    m.faces = {{0, 1, 2, 0x18}, {1, 3, 2, 0x18}, {0, 1, 3, 0x18}};
    m.groups = {{"WOOD", {0, 1}}, {"ENVMAP", {1}}, {"NOSUCH", {2}}};
    s.meshes.push_back(m);
    const object &o = load(s)->objects[0];
    // A name that matches no material leaves the face as the file gave it.
    EXPECT_EQ((std::array{o.faces[0].materialindex, o.faces[0].flags, o.faces[1].materialindex,
                          o.faces[1].flags, o.faces[2].materialindex, o.faces[2].flags}),
              (std::array<int, 6>{0, MAP_TMAP, 1, MAP_ENV, 0, 0x18}));
    EXPECT_EQ(o.faces[2].texture, nullptr);
}

TEST_F(Mesh, IndicesAndCountsOutsideTheirTablesAreRefused) {
    mk3ds::Scene s;
    s.meshes = {trianglemesh("M")};
    s.meshes[0].faces[0].b = 3;
    refused(s, "test.3ds: face 0 uses vertex 3 but the mesh has 3 vertices");
    s.meshes[0].vertices.clear();
    s.meshes[0].faces = {{0, 0, 0, 0}};
    refused(s, "uses vertex 0 but the mesh has 0");

    s.meshes[0] = trianglemesh("M", "X");
    s.materials.push_back(mk3ds::makematerial("X"));
    s.meshes[0].groups[0].faces = {1};
    refused(s, "lists face 1 but the mesh has 1 faces");

    mk3ds::Scene many, lit, cam;
    for (int i = 0; i < 51; i++) many.meshes.push_back(trianglemesh("M" + std::to_string(i)));
    refused(many, "test.3ds: more than 50 meshes");
    many.meshes.pop_back();
    EXPECT_EQ(load(many)->numobjects, 50);
    lit.lights.assign(15, mk3ds::makelight("L", {}));
    refused(lit, "test.3ds: more than 14 lights");
    cam.cameras.assign(16, mk3ds::makecamera("C", {}, {}));
    refused(cam, "test.3ds: more than 15 cameras");
}

} // namespace
