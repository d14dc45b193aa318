// Helpers of the picture tests: a scratch folder, guarded buffers, ImageMagick as the reference.
#pragma once

#include "common/programrun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

inline std::string testdir() {
    static std::string dir = [] {
        char t[] = "/tmp/showcase-image-XXXXXX";
        return std::string(mkdtemp(t));
    }();
    return dir;
}

using programrun::slurp;

// A destination block with guard bytes behind it, so that a write past its end shows.
class Guarded {
  public:
    explicit Guarded(size_t size, unsigned char fill = 0) : size_(size), bytes_(size + 64, fill) {
        std::memset(bytes_.data() + size, 0xA5, 64);
    }
    unsigned char *data() { return bytes_.data(); }
    size_t size() const { return size_; }
    uint32_t pixel(int width, int x, int y) const {
        uint32_t v;
        std::memcpy(&v, &bytes_[(size_t(y) * width + x) * 4], 4);
        return v;
    }
    bool intact() const {
        for (size_t i = size_; i < bytes_.size(); i++)
            if (bytes_[i] != 0xA5) return false;
        return true;
    }

  private:
    size_t size_;
    std::vector<unsigned char> bytes_;
};

// Is this a BMP of the one form the reader understands: 40-byte header, 24 bits, uncompressed?
inline bool isplain24bitbmp(const std::string &path) {
    const std::string b = slurp(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
    auto le = [&](size_t at, int n) {
        uint32_t v = 0;
        for (int i = n - 1; i >= 0; i--) v = v << 8 | uint8_t(b[at + i]);
        return v;
    };
    return le(14, 4) == 40 && le(28, 2) == 24 && le(30, 4) == 0 && le(10, 4) == 54 && int32_t(le(22, 4)) > 0;
}

void readbmp32(const char *filename, int x, int y, unsigned char *dest, size_t destsize);

// Decodes path with our reader and with ImageMagick, and expects the same pixels.
inline void expectsameasimagemagick(const std::string &path) {
    const std::string size = programrun::output("identify -format '%w %h' '" + path + "'");
    int w = 0, h = 0;
    ASSERT_EQ(std::sscanf(size.c_str(), "%d %d", &w, &h), 2) << path;
    const std::string rgb = programrun::output("convert '" + path + "' -depth 8 rgb:-");
    ASSERT_EQ(rgb.size(), size_t(w) * h * 3) << path;
    Guarded dest(size_t(w) * h * 4);
    readbmp32(path.c_str(), 0, 0, dest.data(), dest.size());
    ASSERT_TRUE(dest.intact());
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const size_t i = (size_t(y) * w + x) * 3;
            const uint32_t want =
                uint32_t(uint8_t(rgb[i])) << 16 | uint32_t(uint8_t(rgb[i + 1])) << 8 | uint8_t(rgb[i + 2]);
            ASSERT_EQ(dest.pixel(w, x, y), want) << path << " at " << x << "," << y;
        }
}
