#include "mk3ds.h"

#include <cstdio>
#include <cstring>

namespace mk3ds {

void ChunkWriter::begin(uint16_t id) {
    open_.push_back(out_.size());
    u16(id);
    u32(0);
}

void ChunkWriter::end() {
    const size_t start = open_.back();
    open_.pop_back();
    const uint32_t len = static_cast<uint32_t>(out_.size() - start);
    for (int i = 0; i < 4; i++) out_[start + 2 + i] = static_cast<unsigned char>(len >> (8 * i));
}

void ChunkWriter::u8(uint8_t v) {
    out_.push_back(v);
}

void ChunkWriter::u16(uint16_t v) {
    out_.push_back(static_cast<unsigned char>(v));
    out_.push_back(static_cast<unsigned char>(v >> 8));
}

void ChunkWriter::u32(uint32_t v) {
    for (int i = 0; i < 4; i++) out_.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void ChunkWriter::f32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    u32(bits);
}

void ChunkWriter::str(const std::string &s) {
    out_.insert(out_.end(), s.begin(), s.end());
    out_.push_back(0);
}

void ChunkWriter::raw(const RawChunk &c) {
    begin(c.id);
    bytes(c.data);
    end();
}

void ChunkWriter::bytes(const std::vector<unsigned char> &b) {
    out_.insert(out_.end(), b.begin(), b.end());
}

namespace {

void colour(ChunkWriter &w, uint16_t id, Rgb c) {
    w.begin(id);
    w.begin(0x0011);
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
    w.end();
    w.end();
}

void material(ChunkWriter &w, const Material &m) {
    w.begin(0xAFFF);
    w.begin(0xA000);
    w.str(m.name);
    w.end();
    colour(w, 0xA010, m.ambient);
    colour(w, 0xA020, m.diffuse);
    colour(w, 0xA030, m.specular);
    if (!m.map.empty()) {
        w.begin(0xA200);
        w.begin(0x0030);
        w.u16(m.mappercent);
        w.end();
        w.begin(0xA300);
        w.str(m.map);
        w.end();
        w.begin(0xA351);
        w.u16(0);
        w.end();
        if (m.uscale) {
            w.begin(0xA354);
            w.f32(*m.uscale);
            w.end();
        }
        if (m.vscale) {
            w.begin(0xA356);
            w.f32(*m.vscale);
            w.end();
        }
        w.end();
    }
    for (const RawChunk &c : m.extra) w.raw(c);
    w.end();
}

void vec(ChunkWriter &w, Vec3 v) {
    w.f32(v.x);
    w.f32(v.y);
    w.f32(v.z);
}

void mesh(ChunkWriter &w, const Mesh &m) {
    w.begin(0x4000);
    w.str(m.name);
    w.begin(0x4100);
    w.begin(0x4110);
    w.u16(static_cast<uint16_t>(m.vertices.size()));
    for (const Vec3 &v : m.vertices) vec(w, v);
    w.end();
    if (!m.mapcoords.empty()) {
        w.begin(0x4140);
        w.u16(static_cast<uint16_t>(m.mapcoords.size()));
        for (const Mesh::Uv &uv : m.mapcoords) {
            w.f32(uv.u);
            w.f32(uv.v);
        }
        w.end();
    }
    if (m.writematrix) {
        w.begin(0x4160);
        for (const auto &row : m.matrix)
            for (float f : row) w.f32(f);
        w.end();
    }
    for (const RawChunk &c : m.extra) w.raw(c);
    if (m.writefaces) {
        w.begin(0x4120);
        w.u16(static_cast<uint16_t>(m.faces.size()));
        for (const Face &f : m.faces) {
            w.u16(f.a);
            w.u16(f.b);
            w.u16(f.c);
            w.u16(f.flags);
        }
        for (const MaterialGroup &g : m.groups) {
            w.begin(0x4130);
            w.str(g.material);
            w.u16(static_cast<uint16_t>(g.faces.size()));
            for (uint16_t f : g.faces) w.u16(f);
            w.end();
        }
        if (!m.smoothing.empty()) {
            w.begin(0x4150);
            for (uint32_t s : m.smoothing) w.u32(s);
            w.end();
        }
        for (const RawChunk &c : m.faceextra) w.raw(c);
        w.end();
    }
    w.end();
    w.end();
}

void light(ChunkWriter &w, const Light &l) {
    w.begin(0x4000);
    w.str(l.name);
    w.begin(0x4600);
    vec(w, l.position);
    w.begin(0x0010);
    w.f32(l.r);
    w.f32(l.g);
    w.f32(l.b);
    w.end();
    if (l.off) {
        w.begin(0x4620);
        w.end();
    }
    if (l.spot) {
        w.begin(0x4610);
        vec(w, l.target);
        w.f32(l.hotspot);
        w.f32(l.falloff);
        w.end();
    }
    w.end();
    w.end();
}

void cameraobj(ChunkWriter &w, const Camera &c) {
    w.begin(0x4000);
    w.str(c.name);
    w.begin(0x4700);
    vec(w, c.position);
    vec(w, c.target);
    w.f32(c.bank);
    w.f32(c.lens);
    w.end();
    w.end();
}

// Writes the key header: frame, flags and the optional spline values.
void keyhead(ChunkWriter &w, const Key &k) {
    const float v[5] = {k.tension, k.continuity, k.bias, k.easeto, k.easefrom};
    uint16_t flags = 0;
    for (int i = 0; i < 5; i++)
        if (v[i] != 0.0f) flags |= static_cast<uint16_t>(1 << i);
    w.u32(static_cast<uint32_t>(k.frame));
    w.u16(flags);
    for (int i = 0; i < 5; i++)
        if (flags & (1 << i)) w.f32(v[i]);
}

void trackhead(ChunkWriter &w, uint16_t id, size_t count) {
    w.begin(id);
    w.u16(0); // track flags: single play
    w.u32(0);
    w.u32(0);
    w.u32(static_cast<uint32_t>(count));
}

void postrack(ChunkWriter &w, const std::vector<PosKey> &keys) {
    trackhead(w, 0xB020, keys.size());
    for (const PosKey &k : keys) {
        keyhead(w, k.key);
        vec(w, k.value);
    }
    w.end();
}

void nodehead(ChunkWriter &w, int id, const std::string &name, int parent) {
    w.begin(0xB030);
    w.u16(static_cast<uint16_t>(id));
    w.end();
    w.begin(0xB010);
    w.str(name);
    w.u16(0x4000); // flags 1
    w.u16(0);      // flags 2
    w.u16(static_cast<uint16_t>(parent));
    w.end();
}

void keyframer(ChunkWriter &w, const Keyframer &k) {
    w.begin(0xB000);
    w.begin(0xB00A);
    w.u16(k.revision);
    w.str(k.name);
    w.u32(static_cast<uint32_t>(k.end) - static_cast<uint32_t>(k.start));
    w.end();
    w.begin(0xB008);
    w.u32(static_cast<uint32_t>(k.start));
    w.u32(static_cast<uint32_t>(k.end));
    w.end();
    w.begin(0xB009);
    w.u32(static_cast<uint32_t>(k.current));
    w.end();
    int next = 0;
    auto number = [&next](int given) {
        const int id = given >= 0 ? given : next;
        next = id + 1 > next ? id + 1 : next;
        return id;
    };
    for (const ObjectNode &o : k.objects) {
        w.begin(0xB002);
        nodehead(w, number(o.id), o.name, o.parent);
        if (o.writepivot) {
            w.begin(0xB013);
            vec(w, o.pivot);
            w.end();
        }
        if (o.position.empty())
            postrack(w, {PosKey{}});
        else
            postrack(w, o.position);
        trackhead(w, 0xB021, 1); // rotation: angle, axis
        keyhead(w, Key{});
        w.f32(0);
        w.f32(0);
        w.f32(0);
        w.f32(1);
        w.end();
        trackhead(w, 0xB022, 1); // scale
        keyhead(w, Key{});
        vec(w, Vec3{1, 1, 1});
        w.end();
        w.end();
    }
    for (const CameraNode &c : k.cameras) {
        w.begin(0xB003);
        nodehead(w, number(c.id), c.name, -1);
        postrack(w, c.position.empty() ? std::vector<PosKey>{PosKey{}} : c.position);
        if (!c.fov.empty()) {
            trackhead(w, 0xB023, c.fov.size());
            for (const FovKey &f : c.fov) {
                keyhead(w, f.key);
                w.f32(f.fov);
            }
            w.end();
        }
        if (!c.roll.empty()) {
            trackhead(w, 0xB024, c.roll.size());
            for (const RollKey &r : c.roll) {
                keyhead(w, r.key);
                w.f32(r.roll);
            }
            w.end();
        }
        w.end();
        if (!c.target.empty()) {
            w.begin(0xB004);
            nodehead(w, number(c.targetid), c.name, -1);
            postrack(w, c.target);
            w.end();
        }
    }
    for (const RawChunk &c : k.extra) w.raw(c);
    w.end();
}

} // namespace

Material makematerial(const std::string &name, const std::string &map) {
    Material m;
    m.name = name;
    m.map = map;
    return m;
}

Light makelight(const std::string &name, Vec3 position) {
    Light l;
    l.name = name;
    l.position = position;
    return l;
}

Light makespot(const std::string &name, Vec3 position, Vec3 target) {
    Light l = makelight(name, position);
    l.spot = true;
    l.target = target;
    return l;
}

Camera makecamera(const std::string &name, Vec3 position, Vec3 target, float bank, float lens) {
    Camera c;
    c.name = name;
    c.position = position;
    c.target = target;
    c.bank = bank;
    c.lens = lens;
    return c;
}

std::vector<unsigned char> write3ds(const Scene &scene) {
    ChunkWriter w;
    w.begin(0x4D4D);
    w.begin(0x0002);
    w.u32(scene.version);
    w.end();
    w.begin(0x3D3D);
    w.begin(0x3D3E);
    w.u32(3);
    w.end();
    w.begin(0x0100);
    w.f32(scene.masterscale);
    w.end();
    for (const Material &m : scene.materials) material(w, m);
    for (const Mesh &m : scene.meshes) mesh(w, m);
    for (const Light &l : scene.lights) light(w, l);
    for (const Camera &c : scene.cameras) cameraobj(w, c);
    for (const RawChunk &c : scene.extra) w.raw(c);
    w.end();
    if (scene.keyframer) keyframer(w, *scene.keyframer);
    w.end();
    return std::move(w.data());
}

bool save3ds(const Scene &scene, const std::string &path, std::string *error) {
    const std::vector<unsigned char> bytes = write3ds(scene);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok && error) *error = path + ": cannot write the scene file";
    return ok;
}

} // namespace mk3ds
