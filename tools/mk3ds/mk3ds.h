// mk3ds: writes 3D Studio .3DS files in the layout 3D Studio itself writes.
//
// Build a Scene out of plain records and hand it to write3ds (bytes in memory) or save3ds (a file).
// Everything is given in the FILE's own frame: z is up, exactly the numbers that land in the file
// (the show's reader exchanges y and z when it loads them). Angles are written as given.
//
// Layout written:
//   0x4D4D main
//     0x0002 version (u32)
//     0x3D3D mesh section
//       0x3D3E mesh version (u32), 0x0100 master scale (float)
//       0xAFFF material: 0xA000 name, 0xA010/0xA020/0xA030 colours (0x0011 rgb bytes),
//              0xA200 texture map: 0x0030 percentage (u16) FIRST, 0xA300 map name, 0xA351 tiling,
//                     0xA354 u scale, 0xA356 v scale (only when given)
//       0x4000 named object: name, then one of
//         0x4100 triangle mesh: 0x4110 vertices, 0x4140 mapping coords (when given), 0x4160 local matrix,
//                0x4120 faces (a, b, c, flags) with 0x4130 material groups and 0x4150 smoothing groups
//         0x4600 light: position, 0x0010 colour (floats), 0x4610 spotlight (target, hotspot, falloff),
//                0x4620 light off
//         0x4700 camera: position, target, bank, lens
//       extra raw chunks of the mesh section (Scene::extra), last
//     0xB000 keyframer (when Scene::keyframer is set)
//       0xB00A header (revision, name, animation length), 0xB008 frame segment, 0xB009 current frame,
//       object nodes 0xB002, then per camera node 0xB003 and its target node 0xB004:
//         0xB030 node id, 0xB010 name/flags/parent, 0xB013 pivot (objects), 0xB020 position track,
//         0xB021 rotation and 0xB022 scale tracks (objects, one key each), 0xB023 fov and 0xB024 roll
//         tracks (cameras)
//
// Tracks: flags (u16), 8 unused bytes, key count (u32), then per key: frame (u32), spline flags (u16), the
// tension/continuity/bias/ease-to/ease-from floats whose flag bit is set (a value is written when it is not
// 0), then the value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mk3ds {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

// A raw chunk: its ID and the bytes after its 6-byte header. Used to place chunks the writer does not
// model (or malformed ones) into a file.
struct RawChunk {
    uint16_t id = 0;
    std::vector<unsigned char> data;
};

struct Material {
    std::string name;
    Rgb ambient{40, 40, 40}, diffuse{200, 200, 200}, specular{230, 230, 230};
    std::string map;             // texture map file name; empty: no texture map block
    uint16_t mappercent = 100;   // the percentage sub-chunk that leads the texture map block
    std::optional<float> uscale; // 0xA354, written only when given
    std::optional<float> vscale; // 0xA356, written only when given
    std::vector<RawChunk> extra; // written at the end of the material block
};

struct Face {
    uint16_t a = 0, b = 0, c = 0;
    uint16_t flags = 7; // 3D Studio's edge-visibility bits; bit 3 wraps u, bit 4 wraps v
};

struct MaterialGroup {
    std::string material;
    std::vector<uint16_t> faces;
};

struct Mesh {
    std::string name;
    std::vector<Vec3> vertices;
    std::vector<Face> faces;
    std::vector<MaterialGroup> groups;
    std::vector<uint32_t> smoothing; // one group mask per face; empty: no smoothing chunk
    struct Uv {
        float u = 0, v = 0;
    };
    std::vector<Uv> mapcoords; // empty: no mapping chunk (any count may be given, it is written as is)
    bool writematrix = true;
    // The local matrix as 3D Studio stores it: three axis rows, then the origin.
    float matrix[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
    bool writefaces = true;          // false: no 0x4120 chunk at all
    std::vector<RawChunk> extra;     // written inside 0x4100, after the matrix, before the faces
    std::vector<RawChunk> faceextra; // written inside 0x4120, after the groups
};

struct Light {
    std::string name;
    Vec3 position;
    float r = 1, g = 1, b = 1;
    bool off = false;
    bool spot = false; // a spotlight writes 0x4610 with its target
    Vec3 target;
    float hotspot = 30, falloff = 45;
};

struct Camera {
    std::string name;
    Vec3 position, target;
    float bank = 0; // written as given (3D Studio stores degrees; the show's reader takes radians)
    float lens = 50;
};

// One spline key. The spline flags are derived: a bit is set (and its float written) for every value that
// is not 0.
struct Key {
    int32_t frame = 0;
    float tension = 0, continuity = 0, bias = 0, easeto = 0, easefrom = 0;
};

struct PosKey {
    Key key;
    Vec3 value;
};

struct RollKey {
    Key key;
    float roll = 0; // degrees
};

struct FovKey {
    Key key;
    float fov = 45; // degrees
};

struct ObjectNode {
    std::string name; // the mesh's name ("$$$DUMMY" for a dummy)
    int id = -1;      // node id; -1: numbered in write order
    int parent = -1;  // parent node id, -1 for none (written as 0xFFFF)
    bool writepivot = true;
    Vec3 pivot;
    std::vector<PosKey> position; // empty: one key at frame 0 at the origin
};

struct CameraNode {
    std::string name; // the camera's name; the target node gets the same name
    int id = -1, targetid = -1;
    std::vector<PosKey> position;
    std::vector<RollKey> roll;  // empty: no roll track
    std::vector<FovKey> fov;    // empty: no fov track
    std::vector<PosKey> target; // the target node's position track; empty: no target node
};

struct Keyframer {
    std::string name = "MAXSCENE";
    uint16_t revision = 5;
    int32_t start = 0, end = 100, current = 0;
    std::vector<ObjectNode> objects;
    std::vector<CameraNode> cameras;
    std::vector<RawChunk> extra; // written at the end of the keyframer section
};

struct Scene {
    uint32_t version = 3;
    float masterscale = 1;
    std::vector<Material> materials;
    // Named objects are written meshes first, then lights, then cameras, each in vector order.
    std::vector<Mesh> meshes;
    std::vector<Light> lights;
    std::vector<Camera> cameras;
    std::vector<RawChunk> extra; // at the end of the mesh section
    std::optional<Keyframer> keyframer;
};

// Shorthands for the common records (brace-initialising only some fields of a record draws
// -Wmissing-field-initializers).
Material makematerial(const std::string &name, const std::string &map = "");
Light makelight(const std::string &name, Vec3 position);
Light makespot(const std::string &name, Vec3 position, Vec3 target);
Camera makecamera(const std::string &name, Vec3 position, Vec3 target, float bank = 0, float lens = 50);

// The file's bytes.
std::vector<unsigned char> write3ds(const Scene &scene);
// Writes the file; false (with a message naming the file in *error when given) when it cannot be written.
bool save3ds(const Scene &scene, const std::string &path, std::string *error = nullptr);

// Low-level chunk builder, for layouts the records above do not cover (tests of odd files).
class ChunkWriter {
  public:
    void begin(uint16_t id); // opens a chunk; its length is filled in by end()
    void end();
    void u8(uint8_t v);
    void u16(uint16_t v);
    void u32(uint32_t v);
    void f32(float v);
    void str(const std::string &s); // with its terminating zero
    void raw(const RawChunk &c);
    void bytes(const std::vector<unsigned char> &b);
    std::vector<unsigned char> &data() { return out_; }

  private:
    std::vector<unsigned char> out_;
    std::vector<size_t> open_;
};

} // namespace mk3ds
