// The BMP reader: uncompressed 24-bit pictures with a 54-byte header, stored bottom-up, into 32-bit
// pixels (blue, green, red, 0) with rows of the picture's own width.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/image.h"
#include "platform/paths.h"
#include "platform/program.h"

namespace {

uint32_t le32(const unsigned char *p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const unsigned char *p) {
    return uint16_t(p[0] | p[1] << 8);
}

[[noreturn]] void refuse(const std::string &path, const char *why) {
    std::fprintf(stderr, "%s: %s: %s\n", programname(), path.c_str(), why);
    std::exit(1);
}

} // namespace

void readbmp32(const char *filename, int x, int y, unsigned char *dest, size_t destsize) {
    const std::string path = translatepath(filename);
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        std::printf("BMP file not found\n");
        std::fflush(stdout);
        std::abort();
    }
    std::vector<unsigned char> file;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) file.insert(file.end(), buf, buf + n);
    std::fclose(f);

    // Only the plain form is understood; anything else would come out as garbage, so it is refused.
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') refuse(path, "not a BMP picture");
    if (le32(&file[14]) != 40)
        refuse(path, "a BMP with a header other than the 40-byte one is not supported");
    if (le16(&file[28]) != 24) refuse(path, "only 24-bit BMP pictures are supported");
    if (le32(&file[30]) != 0) refuse(path, "compressed BMP pictures are not supported");
    const uint32_t offset = le32(&file[10]);
    if (offset < 54) refuse(path, "the BMP's pixel data overlaps its header");

    const int w = int32_t(le32(&file[18]));
    const int h = int32_t(le32(&file[22]));
    if (w <= 0 || h == 0) return;
    const bool topdown = h < 0; // rows stored top-down, as some writers do
    const long height = topdown ? -long(h) : h;
    const size_t stride = size_t(w) * 3 + size_t(w % 4);
    const unsigned char *pixels = file.data() + std::min<size_t>(offset, file.size());
    const size_t available = file.size() - size_t(pixels - file.data());

    for (long i = 0; i < height; i++) {
        const long row = (topdown ? i : height - 1 - i) + y;
        for (int j = 0; j < w; j++) {
            const long long at = 4LL * (row * w + x + j);
            if (at < 0 || size_t(at) + 4 > destsize) continue;
            const size_t src = size_t(i) * stride + size_t(j) * 3;
            // Pixels the file does not hold come out black.
            unsigned char b = 0, g = 0, r = 0;
            if (src + 3 <= available) {
                b = pixels[src];
                g = pixels[src + 1];
                r = pixels[src + 2];
            }
            dest[at] = b;
            dest[at + 1] = g;
            dest[at + 2] = r;
            dest[at + 3] = 0;
        }
    }
}
