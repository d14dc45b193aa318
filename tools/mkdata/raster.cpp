#include "raster.h"

#include <jpeglib.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace mkdata {

Rgb Ramp::at(float t) const {
    if (stops.empty()) return {};
    if (t <= stops.front().first) return stops.front().second;
    for (size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].first) {
            const float span = stops[i].first - stops[i - 1].first;
            const float k = span > 0.0f ? (t - stops[i - 1].first) / span : 1.0f;
            return mix(stops[i - 1].second, stops[i].second, k);
        }
    }
    return stops.back().second;
}

Rgb Image::sample(float x, float y) const {
    x = std::clamp(x, 0.0f, static_cast<float>(w - 1));
    y = std::clamp(y, 0.0f, static_cast<float>(h - 1));
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
    const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
    return mix(mix(at(x0, y0), at(x1, y0), fx), mix(at(x0, y1), at(x1, y1), fx), fy);
}

namespace {

uint32_t hash3(int x, int y, uint32_t seed) {
    uint32_t h =
        static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

float grad(int ix, int iy, uint32_t seed, float dx, float dy) {
    // Eight gradient directions.
    static const float g[8][2] = {{1, 0},
                                  {-1, 0},
                                  {0, 1},
                                  {0, -1},
                                  {0.7071f, 0.7071f},
                                  {-0.7071f, 0.7071f},
                                  {0.7071f, -0.7071f},
                                  {-0.7071f, -0.7071f}};
    const uint32_t h = hash3(ix, iy, seed) & 7u;
    return g[h][0] * dx + g[h][1] * dy;
}

int wrap(int v, int period) {
    if (period <= 0) return v;
    v %= period;
    return v < 0 ? v + period : v;
}

} // namespace

float noise(float x, float y, uint32_t seed, int period) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float dx = x - fx, dy = y - fy;
    const float ux = dx * dx * dx * (dx * (dx * 6.0f - 15.0f) + 10.0f);
    const float uy = dy * dy * dy * (dy * (dy * 6.0f - 15.0f) + 10.0f);
    const int x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    const int y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    const float a = grad(x0, y0, seed, dx, dy), b = grad(x1, y0, seed, dx - 1.0f, dy);
    const float c = grad(x0, y1, seed, dx, dy - 1.0f), d = grad(x1, y1, seed, dx - 1.0f, dy - 1.0f);
    return 1.4f * (a + (b - a) * ux + (c - a) * uy + (a - b - c + d) * ux * uy);
}

float fbm(float x, float y, int octaves, uint32_t seed, int period) {
    float sum = 0.0f, amp = 0.5f;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * noise(x, y, seed + static_cast<uint32_t>(o) * 101u, period);
        x *= 2.0f;
        y *= 2.0f;
        if (period > 0) period *= 2;
        amp *= 0.5f;
    }
    return sum;
}

float ridged(float x, float y, int octaves, uint32_t seed, int period) {
    float sum = 0.0f, amp = 0.5f, weight = 1.0f;
    for (int o = 0; o < octaves; ++o) {
        float n = 1.0f - std::fabs(noise(x, y, seed + static_cast<uint32_t>(o) * 131u, period));
        n *= n * weight;
        weight = clamp01(n * 2.0f);
        sum += amp * n;
        x *= 2.0f;
        y *= 2.0f;
        if (period > 0) period *= 2;
        amp *= 0.5f;
    }
    return sum;
}

void fillcircle(Image &img, float cx, float cy, float r, Rgb c, float alpha) {
    const int x0 = static_cast<int>(std::floor(cx - r - 1)), x1 = static_cast<int>(std::ceil(cx + r + 1));
    const int y0 = static_cast<int>(std::floor(cy - r - 1)), y1 = static_cast<int>(std::ceil(cy + r + 1));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float d = std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy);
            img.blend(x, y, c, alpha * clamp01(r - d + 0.5f));
        }
    }
}

void fillrect(Image &img, float x0, float y0, float x1, float y1, Rgb c, float alpha) {
    for (int y = static_cast<int>(std::floor(y0)); y < static_cast<int>(std::ceil(y1)); ++y) {
        const float cy =
            clamp01(std::min(static_cast<float>(y) + 1.0f, y1) - std::max(static_cast<float>(y), y0));
        for (int x = static_cast<int>(std::floor(x0)); x < static_cast<int>(std::ceil(x1)); ++x) {
            const float cx =
                clamp01(std::min(static_cast<float>(x) + 1.0f, x1) - std::max(static_cast<float>(x), x0));
            img.blend(x, y, c, alpha * cx * cy);
        }
    }
}

void glowdisc(Image &img, float cx, float cy, float r, Rgb c) {
    const int x0 = static_cast<int>(cx - r), x1 = static_cast<int>(cx + r) + 1;
    const int y0 = static_cast<int>(cy - r), y1 = static_cast<int>(cy + r) + 1;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float d =
                std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy) / r;
            if (d < 1.0f) {
                const float k = (1.0f - d) * (1.0f - d);
                img.add(x, y, c * k);
            }
        }
    }
}

void line(Image &img, float x0, float y0, float x1, float y1, float width, Rgb c, float alpha) {
    const float minx = std::min(x0, x1) - width - 1, maxx = std::max(x0, x1) + width + 1;
    const float miny = std::min(y0, y1) - width - 1, maxy = std::max(y0, y1) + width + 1;
    const float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int y = static_cast<int>(miny); y <= static_cast<int>(maxy); ++y) {
        for (int x = static_cast<int>(minx); x <= static_cast<int>(maxx); ++x) {
            const float px = static_cast<float>(x) + 0.5f - x0, py = static_cast<float>(y) + 0.5f - y0;
            const float t = len2 > 0.0f ? clamp01((px * dx + py * dy) / len2) : 0.0f;
            const float d = std::hypot(px - t * dx, py - t * dy);
            img.blend(x, y, c, alpha * clamp01(width * 0.5f - d + 0.5f));
        }
    }
}

Image blur(const Image &src, int radius) {
    Image a = src, b = src;
    if (radius <= 0) return a;
    const float k = 1.0f / static_cast<float>(2 * radius + 1);
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < a.h; ++y) {
            Rgb sum{};
            for (int i = -radius; i <= radius; ++i) sum = sum + a.at(std::clamp(i, 0, a.w - 1), y);
            for (int x = 0; x < a.w; ++x) {
                b.at(x, y) = sum * k;
                sum = sum + a.at(std::min(x + radius + 1, a.w - 1), y) - a.at(std::max(x - radius, 0), y);
            }
        }
        for (int x = 0; x < a.w; ++x) {
            Rgb sum{};
            for (int i = -radius; i <= radius; ++i) sum = sum + b.at(x, std::clamp(i, 0, a.h - 1));
            for (int y = 0; y < a.h; ++y) {
                a.at(x, y) = sum * k;
                sum = sum + b.at(x, std::min(y + radius + 1, a.h - 1)) - b.at(x, std::max(y - radius, 0));
            }
        }
    }
    return a;
}

Image resize(const Image &src, int w, int h) {
    Image out(w, h);
    const float sx = static_cast<float>(src.w) / static_cast<float>(w);
    const float sy = static_cast<float>(src.h) / static_cast<float>(h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (sx <= 1.0f && sy <= 1.0f) {
                out.at(x, y) = src.sample((static_cast<float>(x) + 0.5f) * sx - 0.5f,
                                          (static_cast<float>(y) + 0.5f) * sy - 0.5f);
                continue;
            }
            const int x0 = static_cast<int>(static_cast<float>(x) * sx);
            const int x1 = std::max(x0 + 1, static_cast<int>(static_cast<float>(x + 1) * sx));
            const int y0 = static_cast<int>(static_cast<float>(y) * sy);
            const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<float>(y + 1) * sy));
            Rgb sum{};
            for (int yy = y0; yy < std::min(y1, src.h); ++yy)
                for (int xx = x0; xx < std::min(x1, src.w); ++xx) sum = sum + src.at(xx, yy);
            out.at(x, y) =
                sum * (1.0f / static_cast<float>((std::min(x1, src.w) - x0) * (std::min(y1, src.h) - y0)));
        }
    }
    return out;
}

uint8_t tobyte(float v) {
    return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f));
}

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegerrorexit(j_common_ptr cinfo) {
    JpegError *e = reinterpret_cast<JpegError *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    longjmp(e->jump, 1);
}

// libjpeg reports a fault by a longjmp back to the setjmp here, so no C++ object is made or ended between the
// two: the caller owns the row buffer and composes the message.
bool compressjpeg(const Image &img, FILE *f, int quality, uint8_t *row, JpegError &jerr) {
    jpeg_compress_struct cinfo;
    cinfo.err = jpeg_std_error(&jerr.mgr);
    jerr.mgr.error_exit = jpegerrorexit;
    if (setjmp(jerr.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(img.w);
    cinfo.image_height = static_cast<JDIMENSION>(img.h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.write_JFIF_header = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) {
            const Rgb &p = img.at(x, y);
            row[static_cast<size_t>(x) * 3] = tobyte(p.r);
            row[static_cast<size_t>(x) * 3 + 1] = tobyte(p.g);
            row[static_cast<size_t>(x) * 3 + 2] = tobyte(p.b);
        }
        JSAMPROW r = row;
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// libjpeg reports a fault by a longjmp back to the setjmp here, which must not skip the end of a C++ object:
// the row is libjpeg's own, the picture the caller's, and the caller composes the message.
bool decompressjpeg(FILE *f, Image &img, JpegError &jerr) {
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&jerr.mgr);
    jerr.mgr.error_exit = jpegerrorexit;
    if (setjmp(jerr.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    img = Image(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                cinfo.output_width * 3, 1);
    for (int y = 0; y < img.h; ++y) {
        jpeg_read_scanlines(&cinfo, row, 1);
        for (int x = 0; x < img.w; ++x)
            img.at(x, y) = {row[0][static_cast<size_t>(x) * 3] / 255.0f,
                            row[0][static_cast<size_t>(x) * 3 + 1] / 255.0f,
                            row[0][static_cast<size_t>(x) * 3 + 2] / 255.0f};
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

bool writejpeg(const Image &img, const std::string &path, int quality, std::string &error) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) {
        error = path + ": cannot be opened for writing: " + strerror(errno);
        return false;
    }
    std::vector<uint8_t> row(static_cast<size_t>(img.w) * 3);
    JpegError jerr;
    const bool encoded = compressjpeg(img, f, quality, row.data(), jerr);
    const bool closed = fclose(f) == 0;
    if (!encoded) {
        error = path + ": " + jerr.message;
        return false;
    }
    if (!closed) {
        error = path + ": could not be written completely";
        return false;
    }
    return true;
}

bool writebmp24(const Image &img, const std::string &path, std::string &error) {
    // Uncompressed 24-bit BMP: a 14-byte file header and a 40-byte information header, rows bottom-up,
    // each padded to a multiple of four bytes.
    const uint32_t stride = (static_cast<uint32_t>(img.w) * 3 + 3) & ~3u;
    const uint32_t datasize = stride * static_cast<uint32_t>(img.h);
    std::vector<uint8_t> out(54 + datasize, 0);
    auto put16 = [&](size_t at, uint32_t v) {
        out[at] = static_cast<uint8_t>(v);
        out[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, 54 + datasize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(img.w));
    put32(22, static_cast<uint32_t>(img.h));
    put16(26, 1);
    put16(28, 24);
    put32(34, datasize);
    put32(38, 2835); // 72 dots per inch
    put32(42, 2835);
    for (int y = 0; y < img.h; ++y) {
        uint8_t *row = out.data() + 54 + static_cast<size_t>(img.h - 1 - y) * stride;
        for (int x = 0; x < img.w; ++x) {
            const Rgb &p = img.at(x, y);
            row[x * 3] = tobyte(p.b);
            row[x * 3 + 1] = tobyte(p.g);
            row[x * 3 + 2] = tobyte(p.r);
        }
    }
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) {
        error = path + ": cannot be opened for writing: " + strerror(errno);
        return false;
    }
    const bool ok = fwrite(out.data(), 1, out.size(), f) == out.size();
    if (fclose(f) != 0 || !ok) {
        error = path + ": could not be written completely";
        return false;
    }
    return true;
}

bool readjpeg(const std::string &path, Image &img, std::string &error) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) {
        error = path + ": cannot be opened";
        return false;
    }
    JpegError jerr;
    const bool decoded = decompressjpeg(f, img, jerr);
    fclose(f);
    if (!decoded) error = path + ": " + jerr.message;
    return decoded;
}

} // namespace mkdata
