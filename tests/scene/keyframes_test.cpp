// The keyframer: frame segment, camera position and target splines, roll tracks, pivots.
#include "helpers.h"

namespace {

class Keyframes : public SceneTest {};

mk3ds::PosKey pk(int frame, float x, float y, float z, float tension = 0) {
    return {{frame, tension}, {x, y, z}};
}

mk3ds::Scene withcamera(int frames, std::vector<mk3ds::PosKey> pos, std::vector<mk3ds::RollKey> roll = {},
                        std::vector<mk3ds::PosKey> target = {}) {
    mk3ds::Scene s = camerascene(frames);
    s.keyframer->cameras.push_back(
        {"Camera01", -1, -1, std::move(pos), std::move(roll), {}, std::move(target)});
    return s;
}

TEST_F(Keyframes, SegmentMakesTheTableFromTheLastCamera) {
    mk3ds::Scene s = camerascene(30);
    s.keyframer->start = 10;
    s.cameras.insert(s.cameras.begin(), mk3ds::makecamera("First", {9, 9, 9}, {9, 9, 9}));
    world *w = load(s);
    EXPECT_EQ(w->numframes, 20);
    ASSERT_NE(w->campositions, nullptr);
    EXPECT_EQ(w->campositions[0].position.y, 3.0f);
    EXPECT_EQ(w->campositions[19].target.z, 5.0f);

    mk3ds::Scene nocam = camerascene(5); // a scene without a camera starts from a zero camera
    nocam.cameras.clear();
    EXPECT_EQ(load(nocam)->campositions[0].position.x, 0.0f);
}

// Without tension two keys move at constant speed; tension one eases along the line (3u^2 - 2u^3).
TEST_F(Keyframes, TwoKeysMoveAtConstantSpeedOrEaseWithTensionOne) {
    for (float t : {0.0f, 1.0f}) {
        const camera *c = load(withcamera(100, {pk(0, 0, 10, 20, t), pk(100, 100, 10, 40, t)}))->campositions;
        EXPECT_EQ(xyz(c[0].position), (F3{0, 20, 10})); // exactly the first key, y and z exchanged
        for (int f : {10, 25, 50, 75, 99}) {
            const float u = float(f) / 100.0f, eased = t > 0 ? u * u * (3.0f - 2.0f * u) : u;
            EXPECT_NEAR(c[f].position.x, 100.0f * eased, 1e-3f) << f << " at tension " << t;
            EXPECT_NEAR(c[f].position.y, 20.0f + 20.0f * eased, 1e-3f) << f << " at tension " << t;
            EXPECT_NEAR(c[f].position.z, 10.0f, 1e-3f) << f << " at tension " << t;
        }
        // A hundred frames, no more: the spare entry after the table's last frame is not written.
        EXPECT_EQ(c[100].position.x, 0.0f);
    }
}

// A segment of d frames gives d frames: with keys at 0, d, 2d and 3d each segment starts exactly on its
// key and the tail from frame 3d on holds the last key. Stepping u by 1 / d in
// floats rounded to nearest gives d + 1 frames for most d of 12 or more.
TEST_F(Keyframes, EverySegmentOfDFramesGivesDFrames) {
    std::vector<camera> table;
    auto check = [&](long d) {
        NumOfFrames = 3 * d + 3;
        table.assign(size_t(NumOfFrames + 10), camera{});
        campositions = table.data();
        key k[4] = {};
        for (int i = 1; i < 4; i++) k[i].frame = i * d;
        k[1].value = {1000.0f, 3.0f, 7.0f, 0.0f};
        k[2].value = {-500.0f, 4.0f, 8.0f, 0.0f};
        k[3].value = {0.0f, 5.0f, 9.0f, 0.0f};
        k[1].tension = 0.5f; // a roll through the middle key that comes back: no frame near a key by chance
        CalcPosTrack(k, 4, 0);
        EXPECT_EQ(xyz(table[size_t(d)].position), (F3{1000, 7, 3})) << "d = " << d;
        if (d % 16 == 1) { // the roll track steps the same way
            CalcRollTrack(k, 4);
            EXPECT_EQ(table[size_t(d)].roll, d3sroll(1000.0f)) << "d = " << d;
        }
        EXPECT_EQ(xyz(table[size_t(2 * d)].position), (F3{-500, 8, 4})) << "d = " << d;
        EXPECT_EQ(xyz(table[size_t(3 * d)].position), (F3{0, 9, 5})) << "d = " << d;
        if (d > 1) {
            EXPECT_NE(table[size_t(3 * d - 1)].position.x, 0.0f) << "d = " << d;
        }
        return !HasFailure();
    };
    for (long d = 1; d <= 5000; d++)
        if (!check(d)) return;
    // Beyond some 5,000 frames the upward-rounded steps reach 1.0 early; such segments step as j / d.
    for (long d : {5061L, 12345L, 100000L})
        if (!check(d)) return;
    campositions = nullptr;
}

TEST_F(Keyframes, FramesOutsideTheKeysHoldTheNearestKey) {
    const camera *c = load(withcamera(20, {pk(5, 1, 2, 3), pk(10, 6, 2, 3)}))->campositions;
    for (int f = 0; f <= 5; f++) EXPECT_EQ(c[f].position.x, 1.0f) << f;
    for (int f = 10; f < 20; f++) EXPECT_EQ(xyz(c[f].position), (F3{6, 3, 2})) << f;
    // A single key fills every frame; a target node writes the target.
    c = load(withcamera(8, {pk(5, 1, 2, 3)}, {}, {pk(0, 7, 8, 9)}))->campositions;
    for (int f = 0; f < 8; f++) EXPECT_EQ(xyz(c[f].position), (F3{1, 3, 2})) << f;
    EXPECT_EQ(xyz(c[3].target), (F3{7, 9, 8}));
}

// The tangents as 3D Studio's splines define them, with unequal tension and continuity to tell the terms
// apart.
TEST_F(Keyframes, TangentsOfThreeKeys) {
    key k[3] = {};
    k[1].value = {2, 0, 0, 0};
    k[2].value = {6, 0, 0, 0};
    k[1].continuity = 0.5f;
    k[1].tension = 0.5f;
    // Middle key: (1 - t)/2 ((1 -+ c) a + (1 +- c) b) with a = 2, b = 4.
    EXPECT_FLOAT_EQ(GiveTangent(k, 3, 1, 0).x, 0.25f * (0.5f * 2 + 1.5f * 4));
    EXPECT_FLOAT_EQ(GiveTangent(k, 3, 1, 1).x, 0.25f * (1.5f * 2 + 0.5f * 4));
    // Ends: 1.5 times the chord less half the neighbour's tangent.
    EXPECT_FLOAT_EQ(GiveTangent(k, 3, 0, 1).x, 1.5f * 2 - 0.5f * 1.75f);
    EXPECT_FLOAT_EQ(GiveTangent(k, 3, 2, 0).x, 1.5f * 4 - 0.5f * 1.25f);
    // Two keys: the chord times one less the key's own tension.
    k[1].tension = 0.25f;
    EXPECT_FLOAT_EQ(GiveTangent(k, 2, 0, 0).x, 2.0f);
    EXPECT_FLOAT_EQ(GiveTangent(k, 2, 1, 1).x, 1.5f);
}

TEST_F(Keyframes, RollTracksTurnDegreesInto255Units) {
    EXPECT_EQ(d3sroll(-10.0f), 249); // 11 and 360 degrees: where a track holds its key, below
    const camera *c = load(withcamera(10, {pk(0, 0, 0, 0)}, {{{3}, 11}, {{6}, 11}}))->campositions;
    for (int f = 0; f < 3; f++) EXPECT_EQ(c[f].roll, 7) << f; // 7.79 truncated
    EXPECT_EQ(c[3].roll, 8);
    EXPECT_EQ(c[9].roll, 8);
    EXPECT_EQ(load(withcamera(4, {pk(0, 0, 0, 0)}, {{{0}, 360}}))->campositions[2].roll, 255);
}

TEST_F(Keyframes, ObjectNodesGivePivotsAndMoveNothing) {
    mk3ds::Scene s = camerascene(10);
    s.meshes = {trianglemesh("BOX"), trianglemesh("BALL")};
    s.keyframer->objects.push_back({"$$$DUMMY", 0, -1, true, {7, 7, 7}, {}});
    s.keyframer->objects.push_back({"BALL", 1, -1, true, {1, 2, 3}, {pk(0, 50, 50, 50), pk(10, 60, 60, 60)}});
    world *w = load(s);
    EXPECT_EQ(w->objects[0].pivot.x, 0.0f); // the dummy's pivot went nowhere
    EXPECT_EQ(xyz(w->objects[1].pivot), (F3{1, 3, 2}));
    EXPECT_EQ(w->campositions[5].position.x, 1.0f);
    EXPECT_EQ(w->objects[1].points[0].x, 0.0f);
}

TEST_F(Keyframes, KeysOutsideTheTableAreKeptOutOrRefused) {
    // Keys past the table's end write only the frames the table has.
    EXPECT_NEAR(load(withcamera(10, {pk(0, 0, 0, 0), pk(1000, 1000, 0, 0)}))->campositions[19].position.x,
                19.0f, 1e-2f);
    EXPECT_EQ(load(withcamera(10, {pk(500, 5, 0, 0)}, {{{70000}, 90}}))->campositions[9].position.x, 5.0f);

    // Every track lays out the whole table: many tracks over the longest table are refused, not laid out
    // for minutes.
    mk3ds::Scene many = camerascene(int(D3SMAXFRAMES));
    for (int i = 0; i < 40; i++)
        many.keyframer->cameras.push_back({"Camera01", -1, -1, {pk(0, float(i), 0, 0)}, {}, {}, {}});
    refused(many, "the key tracks lay out more than 33554432 camera frames in all");

    refused(withcamera(10, {pk(5, 0, 0, 0), pk(2, 1, 1, 1)}),
            "test.3ds: key frames go backwards (2 after 5)");
    refused(withcamera(10, {pk(-3, 0, 0, 0)}), "test.3ds: key frame -3 is negative");
    mk3ds::Scene back = camerascene(10);
    back.keyframer->start = 20;
    refused(back, "test.3ds: the frame segment ends (10) before it starts (20)");
    back.keyframer->start = -2000000000;
    back.keyframer->end = 2000000000;
    refused(back, "frames (at most");

    // A key count that does not fit the camera node's position track.
    std::vector<unsigned char> b = mk3ds::write3ds(withcamera(10, {pk(0, 0, 0, 0)}));
    size_t at = 0;
    for (size_t i = 0; i + 1 < b.size(); i++)
        if (b[i] == 0x20 && b[i + 1] == 0xB0) at = i;
    ASSERT_NE(at, 0u);
    b[at + 16] = b[at + 17] = 0xFF;
    refused(b, "key count 65535 does not fit its track");
}

} // namespace
