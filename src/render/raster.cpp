// The three scan-line rasterisers. Each walks the rows of a set-up triangle along its left and right
// edges and fills every span in runs of 16 pixels: one division per run for perspective, then 16.16
// texel steps inside the run. They differ only in the pixel written.
//
// Clipping normally keeps a triangle inside the frame, but rounding at the side planes and garbage
// coordinates can reach a pixel or more beyond it. So rows are limited to the frame's once per triangle
// and each run is cut to its columns once per run; pixels outside are stepped over, never written.
#include <algorithm>
#include <cstring>

#include "render/rounding.h"
#include "render/tribuffer.h"

#if SHOWCASE_SSE2
#include <emmintrin.h>
#endif

namespace {

// Each mapper has its packed form and its plain one (the "plain" entries), which give the same bytes.
enum class pixelop { tmap, trans, gouraud, tmapplain, transplain, gouraudplain };
constexpr bool istmap(pixelop o) {
    return o == pixelop::tmap || o == pixelop::tmapplain;
}
constexpr bool istrans(pixelop o) {
    return o == pixelop::trans || o == pixelop::transplain;
}

inline uint32_t texel(const uint32_t *tex, uint32_t u, uint32_t v) {
    return tex[((v >> 8) & 0xff00u) | ((u >> 16) & 0xffu)];
}

inline uint32_t halfsum(uint32_t t, uint32_t d) {
    return ((t >> 1) & 0x7f7f7fu) + ((d >> 1) & 0x7f7f7fu);
}

inline uint32_t gouraudplain(uint32_t t, const uint16_t cw[4]) {
    uint32_t r = 0;
    for (int j = 0; j < 4; j++) {
        int c = int16_t(cw[j]) >> 7;
        c = c < 0 ? 0 : c > 255 ? 255 : c;
        const int s = int((t >> (8 * j)) & 255u) + c;
        r |= uint32_t(s > 255 ? 255 : s) << (8 * j);
    }
    return r;
}

// Colour words of the Gouraud rasteriser: four 16-bit words, stepped with wrap-around.
struct colourwords {
#if SHOWCASE_SSE2
    __m128i cw, step;
#endif
    uint16_t w[4], d[4];
};

template <pixelop O> struct rowstate {
    const uint32_t *tex;
    int width; // of the frame: runs are cut to columns 0 .. width - 1
    colourwords col;
};

template <pixelop O> inline void advancecolour(colourwords &c, int k) {
    if constexpr (O == pixelop::gouraudplain) {
        for (int j = 0; j < 4; j++) c.w[j] = uint16_t(c.w[j] + uint16_t(c.d[j] * unsigned(k)));
    }
#if SHOWCASE_SSE2
    if constexpr (O == pixelop::gouraud)
        c.cw = _mm_add_epi16(c.cw, _mm_mullo_epi16(c.step, _mm_set1_epi16(short(k))));
#endif
}

#if SHOWCASE_SSE2
// A whole run of 16 pixels walks four texel addresses at once: u and v of four neighbouring pixels side
// by side, each lane stepped as the scalar loop steps it.
struct quadwalk {
    __m128i uu, vv, du4, dv4;
    quadwalk(uint32_t U, uint32_t V, uint32_t du, uint32_t dv)
        : uu(_mm_setr_epi32(int(U), int(U + du), int(U + 2 * du), int(U + 3 * du))),
          vv(_mm_setr_epi32(int(V), int(V + dv), int(V + 2 * dv), int(V + 3 * dv))),
          du4(_mm_set1_epi32(int(4 * du))), dv4(_mm_set1_epi32(int(4 * dv))) {}
    // The four texels' addresses, as two pairs of 32-bit indices; then one step of four pixels.
    [[gnu::always_inline]] void next(uint64_t &a, uint64_t &b) {
        const __m128i idx = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(vv, 8), _mm_set1_epi32(0xff00)),
                                         _mm_and_si128(_mm_srli_epi32(uu, 16), _mm_set1_epi32(0xff)));
        a = uint64_t(_mm_cvtsi128_si64(idx));
        b = uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(idx, idx)));
        uu = _mm_add_epi32(uu, du4);
        vv = _mm_add_epi32(vv, dv4);
    }
    // The four texels side by side.
    [[gnu::always_inline]] __m128i texels(const uint32_t *tex) {
        uint64_t a, b;
        next(a, b);
        return _mm_unpacklo_epi64(_mm_unpacklo_epi32(_mm_cvtsi32_si128(int(tex[uint32_t(a)])),
                                                     _mm_cvtsi32_si128(int(tex[a >> 32]))),
                                  _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(tex[uint32_t(b)])),
                                                     _mm_cvtsi32_si128(int(tex[b >> 32]))));
    }
};
#endif

// Draws count pixels of one run at dst, stepping u and v (and the colour).
template <pixelop O>
[[gnu::always_inline]] inline void drawpixels(uint32_t *dst, int count, uint32_t &u, uint32_t &v, int32_t du,
                                              int32_t dv, rowstate<O> &s) {
    const uint32_t *tex = s.tex;
    uint32_t U = u, V = v;
    // Two pixels a step: the second texel's address does not wait for the first step's adds.
    if constexpr (istmap(O)) {
#if SHOWCASE_SSE2
        if (O == pixelop::tmap && count == 16) {
            quadwalk w(U, V, uint32_t(du), uint32_t(dv));
            for (int i = 0; i < 16; i += 4) {
                uint64_t a, b;
                w.next(a, b);
                dst[i] = tex[uint32_t(a)];
                dst[i + 1] = tex[a >> 32];
                dst[i + 2] = tex[uint32_t(b)];
                dst[i + 3] = tex[b >> 32];
            }
            u = U + 16 * uint32_t(du);
            v = V + 16 * uint32_t(dv);
            return;
        }
#endif
        int i = 0;
        for (; i + 2 <= count; i += 2) {
            dst[i] = texel(tex, U, V);
            dst[i + 1] = texel(tex, U + uint32_t(du), V + uint32_t(dv));
            U += 2 * uint32_t(du);
            V += 2 * uint32_t(dv);
        }
        if (i < count) {
            dst[i] = texel(tex, U, V);
            U += uint32_t(du);
            V += uint32_t(dv);
        }
    } else if constexpr (istrans(O)) {
        int i = 0;
#if SHOWCASE_SSE2
        if (O == pixelop::trans && count >= 4) {
            quadwalk w(U, V, uint32_t(du), uint32_t(dv));
            const __m128i half = _mm_set1_epi32(0x7f7f7f);
            for (; i + 4 <= count; i += 4) {
                __m128i *p = reinterpret_cast<__m128i *>(dst + i);
                const __m128i d = _mm_srli_epi32(_mm_loadu_si128(p), 1);
                const __m128i t = _mm_srli_epi32(w.texels(tex), 1);
                _mm_storeu_si128(p, _mm_add_epi32(_mm_and_si128(t, half), _mm_and_si128(d, half)));
            }
            U += uint32_t(i) * uint32_t(du);
            V += uint32_t(i) * uint32_t(dv);
        }
#endif
        for (; i + 2 <= count; i += 2) {
            dst[i] = halfsum(texel(tex, U, V), dst[i]);
            dst[i + 1] = halfsum(texel(tex, U + uint32_t(du), V + uint32_t(dv)), dst[i + 1]);
            U += 2 * uint32_t(du);
            V += 2 * uint32_t(dv);
        }
        if (i < count) {
            dst[i] = halfsum(texel(tex, U, V), dst[i]);
            U += uint32_t(du);
            V += uint32_t(dv);
        }
    } else if constexpr (O == pixelop::gouraudplain) {
        colourwords &c = s.col;
        for (int i = 0; i < count; i++) {
            dst[i] = gouraudplain(texel(tex, U, V), c.w);
            U += uint32_t(du);
            V += uint32_t(dv);
            for (int j = 0; j < 4; j++) c.w[j] = uint16_t(c.w[j] + c.d[j]);
        }
    } else {
#if SHOWCASE_SSE2
        int i = 0;
        if (count >= 4) {
            // Four pixels at a time: their colour words in two registers, two pixels each.
            quadwalk w(U, V, uint32_t(du), uint32_t(dv));
            const __m128i step = s.col.step, step2 = _mm_add_epi16(step, step);
            const __m128i step4 =
                _mm_unpacklo_epi64(_mm_add_epi16(step2, step2), _mm_add_epi16(step2, step2));
            __m128i lo = _mm_unpacklo_epi64(s.col.cw, _mm_add_epi16(s.col.cw, step));
            __m128i hi = _mm_add_epi16(lo, _mm_unpacklo_epi64(step2, step2));
            for (; i + 4 <= count; i += 4) {
                const __m128i c = _mm_packus_epi16(_mm_srai_epi16(lo, 7), _mm_srai_epi16(hi, 7));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), _mm_adds_epu8(w.texels(tex), c));
                lo = _mm_add_epi16(lo, step4);
                hi = _mm_add_epi16(hi, step4);
            }
            s.col.cw = _mm_move_epi64(lo);
            U += uint32_t(i) * uint32_t(du);
            V += uint32_t(i) * uint32_t(dv);
        }
        // Two pixels at a time: the colour words of pixel i and i + 1 side by side in one register.
        __m128i cw = s.col.cw;
        const __m128i step2 = _mm_add_epi16(s.col.step, s.col.step);
        __m128i pair = _mm_unpacklo_epi64(cw, _mm_add_epi16(cw, s.col.step));
        for (; i + 2 <= count; i += 2) {
            const uint32_t t0 = texel(tex, U, V);
            const uint32_t t1 = texel(tex, U + uint32_t(du), V + uint32_t(dv));
            U += 2 * uint32_t(du);
            V += 2 * uint32_t(dv);
            __m128i c = _mm_srai_epi16(pair, 7);
            c = _mm_packus_epi16(c, c);
            const __m128i t = _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(t0)), _mm_cvtsi32_si128(int(t1)));
            _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + i), _mm_adds_epu8(t, c));
            pair = _mm_add_epi16(pair, _mm_unpacklo_epi64(step2, step2));
        }
        cw = pair; // low half: the words of pixel i
        if (i < count) {
            __m128i c = _mm_srai_epi16(cw, 7);
            c = _mm_packus_epi16(c, c);
            dst[i] = uint32_t(_mm_cvtsi128_si32(_mm_adds_epu8(_mm_cvtsi32_si128(int(texel(tex, U, V))), c)));
            U += uint32_t(du);
            V += uint32_t(dv);
            cw = _mm_add_epi16(cw, s.col.step);
        }
        s.col.cw = _mm_move_epi64(cw);
#endif
    }
    u = U;
    v = V;
}

// One run of count pixels starting at column x, cut to the frame's columns.
template <pixelop O>
[[gnu::always_inline]] inline void run(uint32_t *row, int x, int count, uint32_t &u, uint32_t &v, int32_t du,
                                       int32_t dv, rowstate<O> &s) {
    if (x >= 0 && x + count <= s.width) {
        drawpixels<O>(row + x, count, u, v, du, dv, s);
        return;
    }
    const int from = std::max(x, 0), to = std::min(x + count, s.width);
    if (from >= to) {
        u += uint32_t(du) * uint32_t(count);
        v += uint32_t(dv) * uint32_t(count);
        if constexpr (O == pixelop::gouraud || O == pixelop::gouraudplain) advancecolour<O>(s.col, count);
        return;
    }
    if (from > x) {
        u += uint32_t(du) * uint32_t(from - x);
        v += uint32_t(dv) * uint32_t(from - x);
        if constexpr (O == pixelop::gouraud || O == pixelop::gouraudplain) advancecolour<O>(s.col, from - x);
    }
    drawpixels<O>(row + from, to - from, u, v, du, dv, s);
    if (to < x + count) {
        u += uint32_t(du) * uint32_t(x + count - to);
        v += uint32_t(dv) * uint32_t(x + count - to);
        if constexpr (O == pixelop::gouraud || O == pixelop::gouraudplain)
            advancecolour<O>(s.col, x + count - to);
    }
}

// A span of 1 to 15 pixels wholly inside the row: two pixels a step after an odd first one.
[[gnu::always_inline]] inline void shortspan(uint32_t *p, int n, uint32_t U, uint32_t V, uint32_t du,
                                             uint32_t dv, const uint32_t *tex) {
    if (n & 1) {
        *p++ = texel(tex, U, V);
        U += du;
        V += dv;
    }
    uint32_t *const end = p + (n & ~1);
    uint32_t U1 = U + du, V1 = V + dv;
    const uint32_t du2 = 2 * du, dv2 = 2 * dv;
    for (; p < end; p += 2) {
        p[0] = texel(tex, U, V);
        p[1] = texel(tex, U1, V1);
        U += du2;
        V += dv2;
        U1 += du2;
        V1 += dv2;
    }
}

#if SHOWCASE_SSE2
// Four pixels of a span at once: texel addresses from u and v side by side.
[[gnu::always_inline]] inline void quadstore(uint32_t *p, __m128i uu, __m128i vv, const uint32_t *tex) {
    const __m128i idx = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(vv, 8), _mm_set1_epi32(0xff00)),
                                     _mm_and_si128(_mm_srli_epi32(uu, 16), _mm_set1_epi32(0xff)));
    const uint64_t a = uint64_t(_mm_cvtsi128_si64(idx));
    const uint64_t b = uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(idx, idx)));
    p[0] = tex[uint32_t(a)];
    p[1] = tex[a >> 32];
    p[2] = tex[uint32_t(b)];
    p[3] = tex[b >> 32];
}

// A span of 4 to 15 pixels wholly inside the row, from its start u, v and steps du, dv side by side in
// c: a fixed set of four-pixel groups, the last ones overlapping the first where the span is not a
// multiple of four long. A pixel drawn twice gets the same texel twice, and no loop runs a count that
// changes from row to row.
[[gnu::always_inline]] inline void shortspanquads(uint32_t *p, int n, __m128i c, uint32_t su, uint32_t sv,
                                                  const uint32_t *tex) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i du = _mm_shuffle_epi32(c, 0xaa), dv = _mm_shuffle_epi32(c, 0xff);
    // Lane k: the start value plus k steps.
    auto ramp = [&](__m128i start, __m128i d) {
        return _mm_add_epi32(
            start, _mm_add_epi32(_mm_unpacklo_epi32(zero, d), _mm_unpacklo_epi64(zero, _mm_add_epi32(d, d))));
    };
    const __m128i uu = ramp(_mm_shuffle_epi32(c, 0x00), du), vv = ramp(_mm_shuffle_epi32(c, 0x55), dv);
    // The group ending at the span's last pixel starts n - 4 steps on.
    const uint32_t back = uint32_t(n - 4);
    const __m128i ue = _mm_add_epi32(uu, _mm_set1_epi32(int(back * su)));
    const __m128i ve = _mm_add_epi32(vv, _mm_set1_epi32(int(back * sv)));
    quadstore(p, uu, vv, tex);
    quadstore(p + n - 4, ue, ve, tex);
    if (n > 8) {
        const __m128i du4 = _mm_slli_epi32(du, 2), dv4 = _mm_slli_epi32(dv, 2);
        quadstore(p + 4, _mm_add_epi32(uu, du4), _mm_add_epi32(vv, dv4), tex);
        quadstore(p + n - 8, _mm_sub_epi32(ue, du4), _mm_sub_epi32(ve, dv4), tex);
    }
}
#endif

// A short span of the texture mapper that reaches past either side of the area, out of line for the
// same reason as longspan.
template <pixelop O>
[[gnu::noinline]] void clippedrun(uint32_t *row, int x, int count, uint32_t u, uint32_t v, int32_t du,
                                  int32_t dv, rowstate<O> &s) {
    run<O>(row, x, count, u, v, du, dv, s);
}

// 1 / n for the tail runs of 1 to 15 pixels.
const float RECIPROCALS[16] = {0.0f,         1.0f / 1.0f,  1.0f / 2.0f,  1.0f / 3.0f,
                               1.0f / 4.0f,  1.0f / 5.0f,  1.0f / 6.0f,  1.0f / 7.0f,
                               1.0f / 8.0f,  1.0f / 9.0f,  1.0f / 10.0f, 1.0f / 11.0f,
                               1.0f / 12.0f, 1.0f / 13.0f, 1.0f / 14.0f, 1.0f / 15.0f};

// A span of 16 pixels or more: whole runs of 16 with one division each, then the tail run. Out of
// line, so that the loop over rows keeps its values in registers for the short spans that most rows
// have.
template <pixelop O>
[[gnu::noinline]] void longspan(uint32_t *line, int xl, int n, v4 E, v4 q, v4 dEdx, rowstate<O> &s) {
    constexpr bool G = O == pixelop::gouraud || O == pixelop::gouraudplain;
    const float duwdx = dEdx[0], dvwdx = dEdx[1], dwdx = dEdx[2];
    const float Ws = E[2], UWs = E[0], VWs = E[1];
    float u = q[0], v = q[1];
    uint32_t U = uint32_t(ceil32(u * 65536.0f)), V = uint32_t(ceil32(v * 65536.0f));
    int x = xl;
    int remaining = n;
    int k = 0;
    const float step16 = 16.0f * dwdx;
    float wnext = Ws + step16;
    if (xl < -16) {
        // Only garbage coordinates start a span this far left: begin at the run that reaches
        // column 0, with u and v taken afresh there, instead of walking the invisible runs.
        k = -xl / 16;
        const float m = float(16 * k);
        const float wk = m * dwdx + Ws;
        u = (m * duwdx + UWs) / wk;
        v = (m * dvwdx + VWs) / wk;
        U = uint32_t(ceil32(u * 65536.0f));
        V = uint32_t(ceil32(v * 65536.0f));
        wnext = wk + step16;
        x += 16 * k;
        remaining -= 16 * k;
        if constexpr (G) advancecolour<O>(s.col, 16 * k);
    }
    float inv = remaining >= 16 ? 1.0f / wnext : 0.0f;
    while (remaining >= 16) {
        const float m = float(16 * (k + 1));
        const float u2 = (UWs + m * duwdx) * inv;
        const float v2 = (VWs + m * dvwdx) * inv;
        const int32_t du = ceil32((u2 - u) * 0.0625f * 65536.0f);
        const int32_t dv = ceil32((v2 - v) * 0.0625f * 65536.0f);
        wnext = wnext + step16;
        if (remaining >= 32) inv = 1.0f / wnext; // only a further full run uses it
        run<O>(line, x, 16, U, V, du, dv, s);
        u = u2;
        v = v2;
        k++;
        remaining -= 16;
        x += 16;
        if (x >= s.width) break; // the rest of the span lies right of the area
    }
    if (remaining > 0 && x < s.width) {
        const float invn = RECIPROCALS[remaining];
        const float u2 = q[2], v2 = q[3];
        const int32_t du = ceil32((u2 - u) * invn * 65536.0f);
        const int32_t dv = ceil32((v2 - v) * invn * 65536.0f);
        run<O>(line, x, remaining, U, V, du, dv, s);
    }
}

// The left edge's interpolated values: u/z, v/z and 1/z side by side (the fourth lane unused), so that a
// row's step and its span's end values are single packed operations, each lane the same as one float.
struct edgevalues {
    v4 E;
    float C[3];
};

template <pixelop O> void plot(textmapclip *t, unsigned char *screen, const renderframe &f) {
    constexpr bool G = O == pixelop::gouraud || O == pixelop::gouraudplain;
    const long pitch = f.pitch;
    const int width = f.width;
    const int32_t last = t->lastrow;
    const int end = std::min(last, f.height);
    int row = t->currow;
    t->currow = last;
    if (row >= end) return;

    rowstate<O> s;
    s.tex = t->texture;
    s.width = width;
    if constexpr (G) {
        for (int j = 0; j < 4; j++) s.col.d[j] = uint16_t(t->dcoldx[j]);
        s.col.w[3] = 0; // the fourth word only reaches the pixel's unused top byte
    }

    int a = 0, b = 0;
    if (t->flattop > 0) b = 1;
    if (t->flattop < 0) a = 2;
    int le = (a + 2) % 3, re = (b + 1) % 3;

    // Rows above the area are not walked one by one: both edges start at row 0 instead.
    const bool jumped = row < 0;
    if (jumped) {
        row = 0;
        for (int k = 0; k < 2 && row >= t->vrow[re]; k++) {
            b = (b + 1) % 3;
            re = (re + 1) % 3;
        }
        for (int k = 0; k < 2 && row >= t->vrow[le]; k++) {
            a = (a + 2) % 3;
            le = (a + 2) % 3;
        }
    }

    // The current edges' steps live in locals: the pixel stores could otherwise alias the record.
    int32_t leftx, rightx, stepl, stepr, endl, endr;
    edgevalues L, dL;
    auto startleft = [&](float pa) {
        dL.E = v4{t->edgeduw[le], t->edgedvw[le], t->edgedw[le], 0.0f};
        L.E = v4{t->uw[a], t->vw[a], t->w[a], 0.0f} + dL.E * pa;
        if constexpr (G)
            for (int k = 0; k < 3; k++) {
                L.C[k] = t->col[a][k] + t->edgedcol[le][k] * pa;
                dL.C[k] = t->edgedcol[le][k];
            }
        leftx = wrapadd(t->vx[a], int32_t((int64_t(t->edgedx[le]) * ceil32(pa * 65536.0f)) >> 16));
        stepl = t->edgedx[le];
        endl = t->vrow[le];
    };
    auto startright = [&](float pb) {
        rightx = wrapadd(t->vx[b], int32_t((int64_t(t->edgedx[b]) * ceil32(pb * 65536.0f)) >> 16));
        stepr = t->edgedx[b];
        endr = t->vrow[re];
    };
    startleft((jumped ? 0.0f : float(t->vrow[a])) - t->vy[a]);
    startright((jumped ? 0.0f : float(t->vrow[b])) - t->vy[b]);

    const float dwdx = t->dwdx, duwdx = t->duwdx, dvwdx = t->dvwdx;
    const v4 dEdx = {duwdx, dvwdx, dwdx, 0.0f};
    // The first row at which either edge ends: one test a row instead of two.
    int switchat = std::min(endl, endr);
    auto switchedges = [&](int r) __attribute__((always_inline)) {
        if (r < switchat) return;
        if (r >= endr) {
            b = (b + 1) % 3;
            re = (re + 1) % 3;
            startright(float(t->vrow[b]) - t->vy[b]);
        }
        if (r >= endl) {
            a = (a + 2) % 3;
            le = (a + 2) % 3;
            startleft(float(t->vrow[a]) - t->vy[a]);
        }
        switchat = std::min(endl, endr);
    };
    // What a row's span starts from. The start and end texel coordinates come from one packed division
    // (each lane the same correctly rounded quotient as a single division), taken a row ahead so that
    // it runs while the previous row's pixels are drawn.
    struct rowstart {
        int xl, xr;
        v4 E; // u/z, v/z and 1/z at the span's start
        v4 q; // u and v at the start and at the end
        float C[3];
    };
    auto capture = [&](rowstart &r) {
        r.xl = leftx >> 16;
        r.xr = rightx >> 16;
        r.E = L.E;
        if constexpr (G)
            for (int j = 0; j < 3; j++) r.C[j] = L.C[j];
        const float mend = float(r.xr - r.xl);
        const v4 atend = mend * dEdx + L.E;
        r.q = SHUFFLE4(L.E, atend, 0, 1, 4, 5) / SHUFFLE4(L.E, atend, 2, 2, 6, 6);
    };

    unsigned char *rowaddr = screen + long(row) * pitch;
    switchedges(row);
    rowstart cur, next;
    capture(cur);
    for (; row < end; row++, rowaddr += pitch, cur = next) {
        leftx = wrapadd(leftx, stepl);
        rightx = wrapadd(rightx, stepr);
        L.E += dL.E;
        if constexpr (G)
            for (int j = 0; j < 3; j++) L.C[j] += dL.C[j];
        if (row + 1 < end) {
            switchedges(row + 1);
            capture(next);
        }

        const int xl = cur.xl, xr = cur.xr, n = xr - xl;
        if (n <= 0) continue;
        const bool inside = unsigned(xl) <= unsigned(width - n);
        if (!inside && (xr <= 0 || xl >= width)) continue;
        uint32_t *line = reinterpret_cast<uint32_t *>(rowaddr);
        const v4 q = cur.q;
        if constexpr (G) {
            for (int j = 0; j < 3; j++) s.col.w[j] = uint16_t(ceil16(cur.C[j] * 128.0f));
#if SHOWCASE_SSE2
            if constexpr (O == pixelop::gouraud) {
                s.col.cw = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(s.col.w));
                s.col.step = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(s.col.d));
            }
#endif
        }
        if (n < 16) {
            // Most spans are a single run shorter than 16 pixels: its start texel and both steps come
            // from one packed conversion.
            const v4 steps = (q - SHUFFLE4(q, q, 0, 1, 0, 1)) * RECIPROCALS[n];
            // Through memory: four loads are cheaper than taking the lanes out one by one.
            const i4 cv = ceil4(SHUFFLE4(q, steps, 0, 1, 6, 7) * 65536.0f);
            alignas(16) int32_t c[4];
            std::memcpy(c, &cv, sizeof c);
            uint32_t U = uint32_t(c[0]), V = uint32_t(c[1]);
            if constexpr (istmap(O)) {
                if (inside) {
#if SHOWCASE_SSE2
                    if (O == pixelop::tmap && n >= 4) {
                        shortspanquads(line + xl, n, __m128i(cv), uint32_t(c[2]), uint32_t(c[3]), s.tex);
                        continue;
                    }
#endif
                    shortspan(line + xl, n, U, V, uint32_t(c[2]), uint32_t(c[3]), s.tex);
                    continue;
                }
            }
            if constexpr (istmap(O))
                clippedrun<O>(line, xl, n, U, V, c[2], c[3], s);
            else
                run<O>(line, xl, n, U, V, c[2], c[3], s);
            continue;
        }
        longspan<O>(line, xl, n, cur.E, q, dEdx, s);
    }
}

} // namespace

void plottmaptri(textmapclip *t, unsigned char *screen, const renderframe &f) {
    plot<pixelop::tmap>(t, screen, f);
}
void plottranstmaptri(textmapclip *t, unsigned char *screen, const renderframe &f) {
    plot<pixelop::trans>(t, screen, f);
}

void plotgtmaptri(textmapclip *t, unsigned char *screen, const renderframe &f) {
#if SHOWCASE_SSE2
    plot<pixelop::gouraud>(t, screen, f);
#else
    plot<pixelop::gouraudplain>(t, screen, f);
#endif
}

void plottmaptriplain(textmapclip *t, unsigned char *screen, const renderframe &f) {
    plot<pixelop::tmapplain>(t, screen, f);
}
void plottranstmaptriplain(textmapclip *t, unsigned char *screen, const renderframe &f) {
    plot<pixelop::transplain>(t, screen, f);
}
void plotgtmaptriplain(textmapclip *t, unsigned char *screen, const renderframe &f) {
    plot<pixelop::gouraudplain>(t, screen, f);
}

uint32_t transpixel(uint32_t texel, uint32_t dest) {
    return halfsum(texel, dest);
}

uint32_t gouraudpixel(uint32_t texel, const uint16_t cw[4]) {
#if SHOWCASE_SSE2
    __m128i c = _mm_srai_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(cw)), 7);
    c = _mm_packus_epi16(c, c);
    return uint32_t(_mm_cvtsi128_si32(_mm_adds_epu8(_mm_cvtsi32_si128(int(texel)), c)));
#else
    return gouraudplain(texel, cw);
#endif
}

uint32_t gouraudpixelplain(uint32_t texel, const uint16_t cw[4]) {
    return gouraudplain(texel, cw);
}
