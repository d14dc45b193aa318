// The file image and the primitive readers over it: every multi-byte value is assembled byte by byte in
// little-endian order, and every read is checked against the image.
#include "scene/loader.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

const unsigned char *D3SFile;
long D3SFileSize;

namespace {
std::vector<void *> sceneblocks;

void inimage(long p, long n) {
    if (p < 0 || n < 0 || p > D3SFileSize - n) d3sbad("the file ends inside a chunk (offset %ld)", p);
}
} // namespace

void d3sbad(const char *fmt, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    throw d3sfault{buf};
}

void *d3sblock(size_t bytes) {
    void *b = std::calloc(bytes ? bytes : 1, 1);
    if (!b) d3sbad("out of memory (%zu bytes)", bytes);
    sceneblocks.push_back(b);
    return b;
}

void d3sfreeblocks() {
    for (void *b : sceneblocks) std::free(b);
    sceneblocks.clear();
    sceneblocks.shrink_to_fit();
}

unsigned ChunkID(long p) {
    inimage(p, 2);
    return D3SFile[p] + 256u * D3SFile[p + 1];
}

unsigned ReadInt(long p) {
    return ChunkID(p);
}

unsigned long d3sChunkLength(long p) {
    inimage(p, 4);
    return D3SFile[p] + (1ul << 8) * D3SFile[p + 1] + (1ul << 16) * D3SFile[p + 2] +
           (1ul << 24) * D3SFile[p + 3];
}

unsigned long ReadLong(long p) {
    return d3sChunkLength(p);
}

float ReadFloat(long p) {
    const uint32_t bits = static_cast<uint32_t>(ReadLong(p));
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

long LinSearchChunk(unsigned id, long p) {
    // Every position of the start's parity, inside chunks as well as between them.
    for (; p >= 0 && p <= D3SFileSize - 2; p += 2)
        if (ChunkID(p) == id) return p;
    return -1;
}

unsigned d3swalkid(long p, long end) {
    return p + 2 <= end ? ChunkID(p) : 0;
}

long d3schunkend(long p, long parentend) {
    const unsigned id = ChunkID(p);
    const unsigned long len = d3sChunkLength(p + 2);
    if (len < 6) d3sbad("chunk 0x%04X at offset %ld is shorter than its header (length %lu)", id, p, len);
    if (p > parentend || len > static_cast<unsigned long>(parentend - p))
        d3sbad("chunk 0x%04X at offset %ld runs past its parent (length %lu, %ld bytes left)", id, p, len,
               parentend - p);
    return p + static_cast<long>(len);
}

void d3sneed(long p, long n, long end, const char *what) {
    if (n < 0 || p > end - n) d3sbad("%s at offset %ld does not fit its chunk", what, p);
    inimage(p, n);
}

void ReadUnknownChunk(long *p, long parentend) {
    *p = d3schunkend(*p, parentend);
}

long d3snamelength(long p, long end) {
    if (end > D3SFileSize) end = D3SFileSize;
    for (long q = p; q < end; q++)
        if (D3SFile[q] == 0) return q - p;
    d3sbad("the name at offset %ld has no end within its chunk", p);
}

int ReadNameGivePtr(long p, char *dest, long end) {
    const long len = d3snamelength(p, end);
    const int copy = len > 49 ? 49 : static_cast<int>(len); // a name keeps at most 49 characters
    std::memset(dest, 0, 50);
    std::memcpy(dest, D3SFile + p, copy);
    return copy;
}

char *ReadName(long p, long end) {
    char *name = static_cast<char *>(d3sblock(50));
    ReadNameGivePtr(p, name, end);
    return name;
}

char *ReadObjectName(long *p, long end) {
    char *name = ReadName(*p + 6, end);
    *p += 6 + d3snamelength(*p + 6, end) + 1;
    return name;
}
