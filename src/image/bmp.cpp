// The BMP reader: uncompressed 24-bit pictures with a 54-byte header, stored bottom-up, into 32-bit
// pixels (blue, green, red, 0) with rows of the picture's own width.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
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

} // namespace

const char *decodebmp32(const unsigned char *file, size_t size, int x, int y, unsigned char *dest,
                        size_t destsize) {
    // Only the plain form is understood; anything else would come out as garbage, so it is refused.
    if (size < 54 || file[0] != 'B' || file[1] != 'M') return "not a BMP picture";
    if (le32(&file[14]) != 40) return "a BMP with a header other than the 40-byte one is not supported";
    if (le16(&file[28]) != 24) return "only 24-bit BMP pictures are supported";
    if (le32(&file[30]) != 0) return "compressed BMP pictures are not supported";
    const uint32_t offset = le32(&file[10]);
    if (offset < 54) return "the BMP's pixel data overlaps its header";

    const long long w = int32_t(le32(&file[18]));
    const long long h = int32_t(le32(&file[22]));
    if (w <= 0 || h == 0) return nullptr;
    if (w > MAXPICTURESIDE || h > MAXPICTURESIDE || -h > MAXPICTURESIDE)
        return "the BMP declares a size larger than any picture can be (more than 32768 pixels a side)";
    const bool topdown = h < 0; // rows stored top-down, as some writers do
    const long long height = topdown ? -h : h;
    const long long stride = w * 3 + w % 4;
    const unsigned char *pixels = file + std::min<size_t>(offset, size);
    const long long available = (long long)(size - size_t(pixels - file));

    // Only the rows and columns that land inside the destination are visited: a header may promise far
    // more than the block holds.
    const long long destpixels = (long long)(destsize / 4);
    for (long long row = std::max(0LL, (long long)y); row < (long long)y + height; row++) {
        const long long first = row * w + x; // destination pixel of column 0
        if (first >= destpixels) break;
        const long long i = topdown ? row - y : height - 1 - (row - y); // the stored row
        const long long j0 = std::max(0LL, -first);
        const long long j1 = std::min(w, destpixels - first);
        for (long long j = j0; j < j1; j++) {
            const long long at = 4 * (first + j);
            const long long src = i * stride + j * 3;
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
    return nullptr;
}

void readbmp32(const char *filename, int x, int y, unsigned char *dest, size_t destsize) {
    const std::string path = translatepath(filename);
    auto fail = [&](const char *why) {
        std::fprintf(stderr, "%s: %s: %s\n", programname(), path.c_str(), why);
        std::exit(1);
    };
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f && (errno == ENOENT || errno == ENOTDIR)) {
        std::fprintf(stderr, "%s: %s: %s\n", programname(), path.c_str(), std::strerror(errno));
        std::printf("BMP file not found\n");
        std::fflush(stdout);
        std::abort();
    }
    // A file that is there but cannot be read (no permission, a folder): the reason, and the usual status.
    if (!f) fail(std::strerror(errno));
    if (struct stat st; fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) fail(std::strerror(EISDIR));
    std::vector<unsigned char> file;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) file.insert(file.end(), buf, buf + n);
    if (std::ferror(f)) fail(std::strerror(errno));
    std::fclose(f);
    if (const char *why = decodebmp32(file.data(), file.size(), x, y, dest, destsize)) fail(why);
}
