// Named objects of the mesh section: triangle meshes, lights and cameras. Points exchange y and z: the
// files are z-up, the show is y-up.
#include "scene/loader.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

object *D3SObjects;
long D3SObjectCounter;
long D3SCurrentObject;
char *ObjectName;
d3point *TempVerts;
camera cams[D3SMAXCAMS];
int numcams;
spot lights[D3SMAXLIGHTS];
int numlights;
char matname[80];

namespace {

d3point readpoint(long p) {
    return d3point{ReadFloat(p), ReadFloat(p + 8), ReadFloat(p + 4), 0.0f};
}

// The processor's float-to-integer store: out-of-range values and NaN give the integer indefinite.
int32_t fistp(double v) {
    if (!(v >= -2147483648.0 && v < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// The face-order comparison treats a NaN as equal, as the processor's compare-and-branch did.
bool sameish(float a, float b) {
    return a == b || std::isnan(a) || std::isnan(b);
}

int facelists; // face lists with faces read in the current mesh
long meshslot; // the current mesh's slot in D3SObjects

} // namespace

void ReadObjectChunk(long *p, long parentend) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    long pos = start;
    ObjectName = ReadObjectName(&pos, end);
    while (pos < end) {
        switch (d3swalkid(pos, end)) {
        case 0x4100:
            ReadObjectTriMesh(&pos, end);
            break;
        case 0x4600:
            ReadObjectLight(&pos, end);
            break;
        case 0x4700:
            ReadObjectCamera(&pos, end);
            break;
        case 0x4010:
        case 0x4012:
            ReadUnknownChunk(&pos, end);
            break;
        default:
            pos += 2;
        }
    }
    *p = end;
}

void ReadObjectTriMesh(long *p, long parentend) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    if (D3SObjectCounter >= D3SMAXOBJECTS) d3sbad("more than %d meshes", D3SMAXOBJECTS);
    D3SObjectCounter += 1;
    const long slot = D3SObjectCounter - 1;
    object *o = &D3SObjects[slot];
    facelists = 0;
    meshslot = slot;
    long pos = start + 6;
    while (pos < end) {
        switch (d3swalkid(pos, end)) {
        case 0x4110:
            ReadObjectVertexlist(&pos, end, o);
            break;
        case 0x4120:
            ReadObjectFacelist(&pos, end, o);
            break;
        case 0x4140:
            ReadObjectMappingcoords(&pos, end, o);
            break;
        case 0x4160:
            ReadObjectTranslationmatrix(&pos, end, o);
            break;
        case 0x4111:
        case 0x4165:
        case 0x4170:
            ReadUnknownChunk(&pos, end);
            break;
        default:
            pos += 2;
        }
    }
    // A mesh whose face list never came is dropped like one without faces, so that no object is left with
    // vertices but no point lists.
    std::free(TempVerts);
    TempVerts = nullptr;
    if (D3SObjectCounter == slot + 1 && facelists == 0) D3SObjectCounter -= 1;
    // A short mapping list is padded with zeros, so that every vertex has a pair.
    if (D3SObjectCounter == slot + 1 && o->mapcoords && o->nummapcoords < o->numverts) {
        float *padded = static_cast<float *>(d3sblock(sizeof(float) * 2 * o->numverts));
        std::memcpy(padded, o->mapcoords, sizeof(float) * 2 * o->nummapcoords);
        o->mapcoords = padded;
        o->nummapcoords = o->numverts;
    }
    *p = end;
}

void ReadObjectVertexlist(long *p, long parentend, object *o) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    d3sneed(start + 6, 2, end, "vertex count");
    const unsigned count = ReadInt(start + 6);
    d3sneed(start + 8, 12L * count, end, "vertex list");
    if (facelists) d3sbad("vertex list at offset %ld follows its mesh's face list", start);
    o->numverts = static_cast<int>(count);
    std::free(TempVerts);
    TempVerts = static_cast<d3point *>(std::calloc(count ? count : 1, sizeof(d3point)));
    if (!TempVerts) d3sbad("out of memory");
    o->name = ObjectName;
    for (unsigned i = 0; i < count; i++) TempVerts[i] = readpoint(start + 8 + 12L * i);
    *p = end;
}

void ReadObjectFacelist(long *p, long parentend, object *o) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    d3sneed(start + 6, 2, end, "face count");
    const unsigned count = ReadInt(start + 6);
    d3sneed(start + 8, 8L * count, end, "face list");
    if (count == 0) {
        // A mesh without faces is dropped; the next mesh takes its slot. A second empty face list in the same
        // mesh drops nothing more.
        if (D3SObjectCounter == meshslot + 1) D3SObjectCounter -= 1;
        std::free(TempVerts);
        TempVerts = nullptr;
        *p = end;
        return;
    }
    if (!TempVerts) d3sbad("face list at offset %ld comes without a vertex list", start);
    const int v = o->numverts;
    const int f = static_cast<int>(count);
    o->points = static_cast<d3point *>(d3sblock(sizeof(d3point) * (2 * v + f)));
    o->destpoints = static_cast<d3point *>(d3sblock(sizeof(d3point) * (2 * v + f)));
    o->vertexpairs = static_cast<float *>(d3sblock(sizeof(float) * 2 * (v ? v : 1)));
    o->faces = static_cast<face *>(d3sblock(sizeof(face) * f));
    o->numfaces = f;
    std::memcpy(o->points, TempVerts, sizeof(d3point) * v);
    long pos = start + 8;
    for (int i = 0; i < f; i++, pos += 8) {
        const unsigned a = ReadInt(pos), b = ReadInt(pos + 2), c = ReadInt(pos + 4);
        if (a >= unsigned(v) || b >= unsigned(v) || c >= unsigned(v))
            d3sbad("face %d uses vertex %u but the mesh has %d vertices", i,
                   a >= unsigned(v)   ? a
                   : b >= unsigned(v) ? b
                                      : c,
                   v);
        face &fc = o->faces[i];
        fc.count = 3;
        fc.index[0] = int(c);
        fc.index[1] = int(b);
        fc.index[2] = int(a);
        fc.flags = int(ReadInt(pos + 6));
        d3ssettleface(o, i);
    }
    std::free(TempVerts);
    TempVerts = nullptr;
    facelists += 1;
    while (pos < end) {
        if (d3swalkid(pos, end) == 0x4130)
            ReadObjectFaceMaterial(&pos, end, o);
        else
            pos += 2;
    }
    *p = end;
}

void CalcFaceNormal(const object *o, int f, d3point *out) {
    const face &fc = o->faces[f];
    const int n = fc.count;
    int k = 0;
    for (int i = 1; i < n; i++)
        if (o->points[fc.index[i]].y > o->points[fc.index[k]].y) k = i;
    const d3point &K = o->points[fc.index[k]];
    const d3point &P = o->points[fc.index[(k + 1) % n]];
    const d3point &Q = o->points[fc.index[(n + k - 1) % n]];
    const float ux = Q.x - K.x, uy = Q.y - K.y, uz = Q.z - K.z;
    const float vx = P.x - K.x, vy = P.y - K.y, vz = P.z - K.z;
    float x = uy * vz - uz * vy, y = uz * vx - ux * vz, z = ux * vy - uy * vx;
    const float r = 1.0f / std::sqrt(x * x + y * y + z * z);
    out->x = x * r;
    out->y = y * r;
    out->z = z * r;
}

void d3ssettleface(object *o, int f) {
    face &fc = o->faces[f];
    const int c = fc.index[0], b = fc.index[1], a = fc.index[2];
    // Reference normal from the corner with the largest z.
    int k = 0;
    for (int i = 1; i < 3; i++)
        if (o->points[fc.index[i]].z > o->points[fc.index[k]].z) k = i;
    const d3point &K = o->points[fc.index[k]];
    const d3point &P = o->points[fc.index[(k + 1) % 3]];
    const d3point &Q = o->points[fc.index[(k + 2) % 3]];
    const float ux = P.x - K.x, uy = P.y - K.y, uz = P.z - K.z;
    const float vx = Q.x - K.x, vy = Q.y - K.y, vz = Q.z - K.z;
    float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const float r = 1.0f / std::sqrt(nx * nx + ny * ny + nz * nz);
    nx *= r;
    ny *= r;
    nz *= r;
    const int orders[6][3] = {{c, b, a}, {c, a, b}, {b, c, a}, {b, a, c}, {a, c, b}, {a, b, c}};
    for (int i = 0; i < 5; i++) {
        fc.index[0] = orders[i][0];
        fc.index[1] = orders[i][1];
        fc.index[2] = orders[i][2];
        d3point n;
        CalcFaceNormal(o, f, &n);
        if (sameish(n.x, nx) && sameish(n.y, ny) && sameish(n.z, nz)) return;
    }
    fc.index[0] = a;
    fc.index[1] = b;
    fc.index[2] = c;
}

void ReadObjectFaceMaterial(long *p, long parentend, object *o) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    std::memset(matname, 0, sizeof matname);
    ReadNameGivePtr(start + 6, matname, end);
    const long countpos = start + 6 + d3snamelength(start + 6, end) + 1;
    d3sneed(countpos, 2, end, "material face count");
    const unsigned count = ReadInt(countpos);
    d3sneed(countpos + 2, 2L * count, end, "material face list");
    // Only the materials of this file are searched, so that a face's material index always indexes the
    // world's materials; a name that matches none leaves the faces without a material.
    int m = -1;
    for (int i = 0; i < NumMaterials && m < 0; i++)
        if (MaterialPool[i].name && std::strcmp(MaterialPool[i].name, matname) == 0) m = i;
    for (unsigned i = 0; i < count; i++) {
        const unsigned f = ReadInt(countpos + 2 + 2L * i);
        if (f >= unsigned(o->numfaces))
            d3sbad("material \"%s\" lists face %u but the mesh has %d faces", matname, f, o->numfaces);
        if (m < 0) continue;
        o->faces[f].texture = MaterialPool[m].texture;
        o->faces[f].materialindex = m;
        o->faces[f].flags = MaterialPool[m].maptype;
    }
    *p = end;
}

void ReadObjectMappingcoords(long *p, long parentend, object *o) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    d3sneed(start + 6, 2, end, "mapping count");
    const unsigned count = ReadInt(start + 6);
    d3sneed(start + 8, 8L * count, end, "mapping list");
    o->mapcoords = static_cast<float *>(d3sblock(sizeof(float) * 2 * count));
    o->nummapcoords = static_cast<int>(count);
    for (unsigned i = 0; i < count; i++) {
        o->mapcoords[2 * i] = ReadFloat(start + 8 + 8L * i);
        o->mapcoords[2 * i + 1] = 1.0f - ReadFloat(start + 12 + 8L * i);
    }
    *p = end;
}

void ReadObjectTranslationmatrix(long *p, long parentend, object *o) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    d3sneed(start + 6, 48, end, "mesh matrix");
    std::memset(o->meshmatrix, 0, sizeof o->meshmatrix);
    o->meshmatrix[3][3] = 1.0f;
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++) o->meshmatrix[r][c] = ReadFloat(start + 6 + 4L * (3 * r + c));
    o->translation = readpoint(start + 42);
    *p = end;
}

void ReadObjectLight(long *p, long parentend) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    if (numlights >= D3SMAXLIGHTS) d3sbad("more than %d lights", D3SMAXLIGHTS - 1);
    d3sneed(start + 6, 12, end, "light position");
    spot &l = lights[numlights];
    l = spot{}; // an entry used by an earlier load keeps no spotlight target
    l.position = readpoint(start + 6);
    long pos = start + 18;
    while (pos < end) {
        switch (d3swalkid(pos, end)) {
        case 0x4610: {
            const long spotend = d3schunkend(pos, end);
            d3sneed(pos + 6, 12, spotend, "spotlight target");
            l.target = readpoint(pos + 6);
            pos = spotend;
            break;
        }
        case 0x4620:
        case 0x465A:
            ReadUnknownChunk(&pos, end);
            break;
        default:
            pos += 2;
        }
    }
    numlights += 1;
    *p = end;
}

void ReadObjectCamera(long *p, long parentend) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    if (numcams >= D3SMAXCAMS) d3sbad("more than %d cameras", D3SMAXCAMS);
    d3sneed(start + 6, 28, end, "camera");
    camera &c = cams[numcams];
    c.position = readpoint(start + 6);
    c.target = readpoint(start + 18);
    // The bank angle is taken as radians: 256 units make a turn.
    const double bank = ReadFloat(start + 30);
    c.roll = static_cast<unsigned char>(fistp(bank * 0.15915494327375637 * 256.0) & 255);
    numcams += 1;
    *p = end;
}
