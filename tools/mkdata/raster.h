// Pictures in the making: float RGB images, noise, drawing helpers and the two file writers.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace mkdata {

struct Rgb {
    float r = 0, g = 0, b = 0;
};
inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator-(Rgb a, Rgb b) {
    return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Rgb operator*(Rgb a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
inline Rgb operator*(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Rgb mix(Rgb a, Rgb b, float t) {
    return a + (b - a) * t;
}
inline Rgb hex(uint32_t v) {
    return {static_cast<float>((v >> 16) & 255) / 255.0f, static_cast<float>((v >> 8) & 255) / 255.0f,
            static_cast<float>(v & 255) / 255.0f};
}
inline float clamp01(float v) {
    return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
}
inline float smoothstep(float a, float b, float x) {
    const float t = clamp01((x - a) / (b - a));
    return t * t * (3.0f - 2.0f * t);
}

// A colour ramp: stops at rising positions 0..1.
struct Ramp {
    std::vector<std::pair<float, Rgb>> stops;
    Rgb at(float t) const;
};

struct Image {
    int w = 0, h = 0;
    std::vector<Rgb> px;
    Image() = default;
    Image(int width, int height, Rgb fill = {})
        : w(width), h(height), px(static_cast<size_t>(width * height), fill) {}
    Rgb &at(int x, int y) { return px[static_cast<size_t>(y * w + x)]; }
    const Rgb &at(int x, int y) const { return px[static_cast<size_t>(y * w + x)]; }
    // Bilinear sample at pixel-centre coordinates, clamped to the edges.
    Rgb sample(float x, float y) const;
    // Blends colour c over pixel (x, y) with coverage a; outside pixels are ignored.
    void blend(int x, int y, Rgb c, float a) {
        if (x < 0 || y < 0 || x >= w || y >= h || a <= 0.0f) return;
        Rgb &p = at(x, y);
        p = mix(p, c, a > 1.0f ? 1.0f : a);
    }
    void add(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        Rgb &p = at(x, y);
        p = p + c;
    }
};

// Deterministic random numbers (the same on every machine and library).
class Random {
  public:
    explicit Random(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    uint64_t next() {
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    float uniform() { return static_cast<float>(next() >> 40) / 16777216.0f; } // [0, 1)
    float range(float a, float b) { return a + (b - a) * uniform(); }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

  private:
    uint64_t s_;
};

// Gradient noise in about -1..1. A period > 0 makes it repeat every period lattice cells in x and y, so
// that textures tile without a seam.
float noise(float x, float y, uint32_t seed, int period = 0);
// Fractal sums of noise: octaves doubling in frequency and halving in weight.
float fbm(float x, float y, int octaves, uint32_t seed, int period = 0);
float ridged(float x, float y, int octaves, uint32_t seed, int period = 0);

// Soft shapes with anti-aliased edges.
void fillcircle(Image &img, float cx, float cy, float r, Rgb c, float alpha = 1.0f);
void fillrect(Image &img, float x0, float y0, float x1, float y1, Rgb c, float alpha = 1.0f);
void glowdisc(Image &img, float cx, float cy, float r, Rgb c); // additive, falling off to the radius
void line(Image &img, float x0, float y0, float x1, float y1, float width, Rgb c, float alpha = 1.0f);
// Box blur of the given radius, repeated three times (close to a Gaussian).
Image blur(const Image &img, int radius);
Image resize(const Image &img, int w, int h); // area-averaging when shrinking, bilinear when growing

// Writers. Both return false and fill error (naming the file) on failure.
bool writejpeg(const Image &img, const std::string &path, int quality, std::string &error);
bool writebmp24(const Image &img, const std::string &path, std::string &error);
// Reads a JPEG into img at its own size; false with the file and libjpeg's reason in error.
bool readjpeg(const std::string &path, Image &img, std::string &error);
uint8_t tobyte(float v);

} // namespace mkdata
