// The keyframer: frame count, pivots, and the camera path turned into one camera per frame by a
// tension/continuity spline, once at load.
#include "scene/loader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

long NumOfFrames;
long D3SFrameWrites;
camera *campositions;

namespace {

int32_t fistp(double v) {
    if (!(v >= -2147483648.0 && v < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Frames a track may write: the table that the frame segment made (none before the first segment).
long tablesize() {
    return campositions ? NumOfFrames + 10 : 0;
}

d3point *posdest(long f, int which) {
    if (f < 0 || f >= tablesize()) return nullptr; // keys beyond the table write nothing
    return which == 0 ? &campositions[f].position : &campositions[f].target;
}

void putpos(long f, int which, float x, float y, float z) {
    if (d3point *d = posdest(f, which)) *d = d3point{x, z, y, 0.0f};
}

void putroll(long f, unsigned char r) {
    if (f >= 0 && f < tablesize()) campositions[f].roll = r;
}

// Counts frames about to be laid out against what one file may ask for.
void layout(long frames) {
    D3SFrameWrites += frames;
    if (D3SFrameWrites > D3SMAXFRAMEWRITES)
        d3sbad("the key tracks lay out more than %ld camera frames in all (tables of %ld frames)",
               D3SMAXFRAMEWRITES, NumOfFrames);
}

// Checks that a track can be laid into the frame table: frames that start at 0 or later and never go back.
void checkframes(const key *keys, int n) {
    if (keys[0].frame < 0) d3sbad("key frame %ld is negative", keys[0].frame);
    for (int i = 1; i < n; i++)
        if (keys[i].frame < keys[i - 1].frame)
            d3sbad("key frames go backwards (%ld after %ld)", keys[i].frame, keys[i - 1].frame);
}

struct vec3f {
    float x, y, z;
};
vec3f val(const key &k) {
    return {k.value.x, k.value.y, k.value.z};
}

// Reads a track's header and keys; each key's value has values floats.
std::vector<key> readtrack(long start, long end, int values, bool roll) {
    d3sneed(start + 6, 14, end, "track header");
    unsigned long count = ReadLong(start + 16);
    if (roll) count &= 0xFFFF;
    const unsigned long least = 6 + 4ul * values; // a key without spline values
    if (count > static_cast<unsigned long>(end - start - 20) / least)
        d3sbad("key count %lu does not fit its track at offset %ld", count, start);
    std::vector<key> keys(count);
    long pos = start + 20;
    for (key &k : keys) {
        d3sneed(pos, 6, end, "key");
        const unsigned long frame = ReadLong(pos);
        k.frame = roll ? long(frame & 0xFFFF) : long(static_cast<int32_t>(frame));
        const unsigned flags = ReadInt(pos + 4);
        pos += 6;
        float *optional[5] = {&k.tension, &k.continuity, &k.bias, &k.easeto, &k.easefrom};
        for (int i = 0; i < 5; i++)
            if (flags & (1u << i)) {
                d3sneed(pos, 4, end, "key spline value");
                *optional[i] = ReadFloat(pos);
                pos += 4;
            }
        d3sneed(pos, 4L * values, end, "key value");
        k.value.x = ReadFloat(pos);
        if (values == 3) {
            k.value.y = ReadFloat(pos + 4);
            k.value.z = ReadFloat(pos + 8);
        }
        pos += 4L * values;
    }
    return keys;
}

} // namespace

unsigned char d3sroll(float degrees) {
    return static_cast<unsigned char>(fistp(std::floor(degrees * 0.0027777777777777775 * 255.0 + 0.5)) & 255);
}

void ReadNumberOfFramesChunk(long *p, long parentend) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    d3sneed(start + 6, 8, end, "frame segment");
    const long first = static_cast<int32_t>(ReadLong(start + 6));
    const long last = static_cast<int32_t>(ReadLong(start + 10));
    if (last < first) d3sbad("the frame segment ends (%ld) before it starts (%ld)", last, first);
    if (last - first > D3SMAXFRAMES)
        d3sbad("the frame segment has %ld frames (at most %ld)", last - first, D3SMAXFRAMES);
    NumOfFrames = last - first;
    layout(NumOfFrames + 10);
    campositions = static_cast<camera *>(d3sblock(sizeof(camera) * (NumOfFrames + 10)));
    // Frames start from the last camera of the mesh section; a scene without one starts from a zero camera.
    if (numcams > 0)
        for (long f = 0; f < NumOfFrames; f++) campositions[f] = cams[numcams - 1];
    *p = end;
}

void ReadObjectDescriptionChunk(long *p, long parentend) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    bool unmatched = false; // a node whose name names no mesh (a dummy) changes nothing
    long pos = start + 6;
    while (pos < end) {
        switch (d3swalkid(pos, end)) {
        case 0xB030: {
            const long e = d3schunkend(pos, end);
            d3sneed(pos + 6, 2, e, "node id");
            D3SCurrentObject = ReadInt(pos + 6);
            pos = e;
            break;
        }
        case 0xB010: {
            const long e = d3schunkend(pos, end);
            char name[50];
            ReadNameGivePtr(pos + 6, name, e);
            unmatched = true;
            for (long i = 0; i < D3SObjectCounter; i++)
                if (D3SObjects[i].name && std::strcmp(D3SObjects[i].name, name) == 0) {
                    D3SCurrentObject = i;
                    unmatched = false;
                    break;
                }
            pos = e;
            break;
        }
        case 0xB013: {
            const long e = d3schunkend(pos, end);
            d3sneed(pos + 6, 12, e, "pivot");
            if (!unmatched && D3SCurrentObject >= 0 && D3SCurrentObject < D3SObjectCounter)
                D3SObjects[D3SCurrentObject].pivot =
                    d3point{ReadFloat(pos + 6), ReadFloat(pos + 14), ReadFloat(pos + 10), 0.0f};
            pos = e;
            break;
        }
        case 0xB020:
            ReadPoskeys(&pos, end, 2);
            break;
        default:
            pos += 2;
        }
    }
    *p = end;
}

namespace {
void cameranode(long *p, long parentend, int which, long stepover) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    long pos = start + 6;
    while (pos < end) {
        const unsigned id = d3swalkid(pos, end);
        if (id == 0xB020)
            ReadPoskeys(&pos, end, which);
        else if (id == 0xB024)
            ReadRollkeys(&pos, end);
        else if (id == 0xB010 || id == 0xB013 || (id >= 0xB021 && id <= 0xB023) ||
                 (id >= 0xB025 && id <= 0xB029))
            ReadUnknownChunk(&pos, end);
        else
            pos += stepover;
    }
    *p = end;
}
} // namespace

void ReadCameraTrackChunk(long *p, long parentend) {
    cameranode(p, parentend, 0, 2);
}

// The target node resynchronises one byte at a time.
void ReadCameraTargetTrackChunk(long *p, long parentend) {
    cameranode(p, parentend, 1, 1);
}

void ReadPoskeys(long *p, long parentend, int which) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    const std::vector<key> keys = readtrack(start, end, 3, false);
    if (which != 2 && !keys.empty()) layout(tablesize());
    CalcPosTrack(keys.data(), static_cast<int>(keys.size()), which);
    *p = end;
}

void ReadRollkeys(long *p, long parentend) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    const std::vector<key> keys = readtrack(start, end, 1, true);
    if (!keys.empty()) layout(tablesize());
    CalcRollTrack(keys.data(), static_cast<int>(keys.size()));
    *p = end;
}

d3point GiveTangent(const key *keys, int n, int i, int which) {
    const vec3f p = val(keys[i]);
    const float t = keys[i].tension;
    vec3f r;
    if (n == 2) {
        const vec3f p0 = val(keys[0]), p1 = val(keys[1]);
        const float s = 1.0f - (i == 0 ? keys[0].tension : keys[1].tension);
        r = {(p1.x - p0.x) * s, (p1.y - p0.y) * s, (p1.z - p0.z) * s};
    } else if (i == 0) {
        const vec3f p1 = val(keys[1]);
        const d3point d1 = GiveTangent(keys, n, 1, 0);
        r = {(1.0f - t) * (1.5f * (p1.x - p.x) - 0.5f * d1.x),
             (1.0f - t) * (1.5f * (p1.y - p.y) - 0.5f * d1.y),
             (1.0f - t) * (1.5f * (p1.z - p.z) - 0.5f * d1.z)};
    } else if (i == n - 1) {
        const vec3f pm = val(keys[i - 1]);
        const d3point s = GiveTangent(keys, n, i - 1, 1);
        r = {(1.0f - t) * (1.5f * (p.x - pm.x) - 0.5f * s.x), (1.0f - t) * (1.5f * (p.y - pm.y) - 0.5f * s.y),
             (1.0f - t) * (1.5f * (p.z - pm.z) - 0.5f * s.z)};
    } else {
        const vec3f pm = val(keys[i - 1]), pp = val(keys[i + 1]);
        const float c = keys[i].continuity;
        const float g = which == 0 ? 0.5f + 0.5f * c : 0.5f - 0.5f * c;
        const vec3f a = {p.x - pm.x, p.y - pm.y, p.z - pm.z};
        const vec3f b = {pp.x - p.x, pp.y - p.y, pp.z - p.z};
        r = {(1.0f - t) * (a.x + g * (b.x - a.x)), (1.0f - t) * (a.y + g * (b.y - a.y)),
             (1.0f - t) * (a.z + g * (b.z - a.z))};
    }
    return d3point{r.x, r.y, r.z, 0.0f};
}

namespace {

struct hermite {
    float h1, h2, h3, h4;
};
hermite basis(float u) {
    const float u2 = u * u, u3 = u2 * u;
    return {2.0f * u3 - 3.0f * u2 + 1.0f, -2.0f * u3 + 3.0f * u2, u3 - 2.0f * u2 + u, u3 - u2};
}

// u steps by 1 / d in single precision rounded upwards, as the show's processor mode rounds
// every sum: then u stays below 1.0 for exactly d steps, so a segment of d frames gives d frames and
// the path meets every key on its frame. (Rounding to nearest gives d + 1 frames for most d of 12 or
// more, and each such segment pushes the rest of the path a frame later.) The rounding is written out
// here rather than switched on: a sum of two such floats is exact as a double, then rounded up.
float roundedup(double v) {
    const float f = static_cast<float>(v);
    return static_cast<double>(f) < v ? std::nextafter(f, INFINITY) : f;
}

// The smallest float s with s x d >= 1: 1 / d rounded upwards (the products are exact as doubles).
float upwardstep(long d) {
    float s = roundedup(1.0 / static_cast<double>(d));
    while (static_cast<double>(s) * static_cast<double>(d) < 1.0) s = std::nextafter(s, INFINITY);
    for (float below = std::nextafter(s, 0.0f); static_cast<double>(below) * static_cast<double>(d) >= 1.0;
         below = std::nextafter(s, 0.0f))
        s = below;
    return s;
}

// Whether the rounded-up steps stay below 1.0 for exactly d steps. They do for every d below some 5,000;
// beyond that the rounding adds up and 1.0 is reached a step or more early.
//
// The answer must not cost a step per frame: a key far beyond the table would make loading take as long
// as its maker likes. Within one binade of u every rounded-up sum adds the same amount (u is a multiple
// of the binade's ulp, so the step rounds up to a whole number of ulps), so a run of sums that stay in the
// binade is one multiplication; only the sums that cross into the next binade are taken one by one. All
// sums below are exact as doubles for d up to 2^24 + 4 (step and u span at most 48 bits).
bool upwardstepsfit(float step, long d) {
    // Past 2^24 + 4 the steps are below the ulp of [0.5, 1): from 0.5, reached by step 0.5 d + 1 at the
    // latest, every step adds one ulp, and 2^23 more reach 1.0 before step d.
    if (d > (1L << 24) + 4) return false;
    const double s = step;
    double u = 0.0;
    long j = 1; // the next step to take; steps 1 .. d - 1 must stay below 1.0
    while (j < d) {
        if (u > 0.0) {
            int e;
            std::frexp(u, &e);
            const double top = std::ldexp(1.0, e);       // the binade's end
            const double ulp = std::ldexp(1.0, e - 24);  // a float's ulp in the binade
            const double add = ulp * std::ceil(s / ulp); // what each sum in it adds
            if (u + s < top) {
                // Sums from u + k add for k = 0 .. n - 1 stay below top.
                long n = static_cast<long>((top - s - u) / add);
                while (n > 0 && u + static_cast<double>(n - 1) * add + s >= top) n--;
                while (u + static_cast<double>(n) * add + s < top) n++;
                n = std::min(n, d - j);
                u += static_cast<double>(n) * add;
                j += n;
                if (u >= 1.0) return false;
                continue;
            }
        }
        u = roundedup(u + s);
        j++;
        if (u >= 1.0) return false;
    }
    return true;
}

// Steps through one segment, calling put(frame, u-basis) for each frame; returns the next frame. A segment
// of d frames gives d frames whatever d: u steps upwards as above, or as j / d where those steps would
// fall short; keys on the same frame give one frame. Stops once the frame runs past the table.
template <class Put> long segment(const key &k0, const key &k1, long cur, Put put) {
    const long d = k1.frame - k0.frame;
    if (d < 1) {
        if (cur < tablesize()) put(cur++, basis(0.0f));
        return cur;
    }
    const float step = upwardstep(d);
    const bool upward = upwardstepsfit(step, d);
    float u = 0.0f;
    for (long j = 0; j < d && cur < tablesize(); j++) {
        put(cur, basis(u));
        cur += 1;
        u = upward ? roundedup(static_cast<double>(u) + static_cast<double>(step))
                   : static_cast<float>(j + 1) / static_cast<float>(d);
    }
    return cur;
}

} // namespace

void CalcPosTrack(const key *keys, int n, int which) {
    if (which == 2 || n < 1 || !campositions) return; // nothing to write: object tracks, empty tracks
    checkframes(keys, n);
    const vec3f first = val(keys[0]);
    for (long f = 0; f < keys[0].frame && f < tablesize(); f++) putpos(f, which, first.x, first.y, first.z);
    long cur = keys[0].frame;
    if (n <= 1) {
        for (long f = 0; f < NumOfFrames; f++) putpos(f, which, first.x, first.y, first.z);
        cur = keys[0].frame + NumOfFrames;
    }
    for (int s = 0; s + 1 < n && cur < tablesize(); s++) {
        const vec3f p0 = val(keys[s]), p1 = val(keys[s + 1]);
        const d3point S = GiveTangent(keys, n, s, 1);
        const d3point D = GiveTangent(keys, n, s + 1, 0);
        cur = segment(keys[s], keys[s + 1], cur, [&](long f, hermite h) {
            putpos(f, which, ((p0.x * h.h1 + S.x * h.h3) + p1.x * h.h2) + D.x * h.h4,
                   ((p0.y * h.h1 + S.y * h.h3) + p1.y * h.h2) + D.y * h.h4,
                   ((p0.z * h.h1 + S.z * h.h3) + p1.z * h.h2) + D.z * h.h4);
        });
    }
    const vec3f last = val(keys[n - 1]);
    for (long f = cur; f < NumOfFrames; f++) putpos(f, which, last.x, last.y, last.z);
}

void CalcRollTrack(const key *keys, int n) {
    if (n < 1 || !campositions) return;
    checkframes(keys, n);
    // Frames before the first key take the roll truncated, without rounding.
    const unsigned char before =
        static_cast<unsigned char>(fistp(keys[0].value.x * 0.0027777777777777775 * 255.0) & 255);
    for (long f = 0; f < keys[0].frame && f < tablesize(); f++) putroll(f, before);
    long cur = keys[0].frame;
    if (n <= 1)
        for (long f = 0; f < NumOfFrames; f++) putroll(f, d3sroll(keys[0].value.x));
    for (int s = 0; s + 1 < n && cur < tablesize(); s++) {
        const float p0 = keys[s].value.x, p1 = keys[s + 1].value.x;
        const float S = GiveTangent(keys, n, s, 1).x;
        const float D = GiveTangent(keys, n, s + 1, 0).x;
        cur = segment(keys[s], keys[s + 1], cur, [&](long f, hermite h) {
            putroll(f, d3sroll(((p0 * h.h1 + S * h.h3) + p1 * h.h2) + D * h.h4));
        });
    }
    for (long f = cur; f < NumOfFrames; f++) putroll(f, d3sroll(keys[n - 1].value.x));
}
