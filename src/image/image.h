// Picture readers: BMP and JPEG files into 32-bit pixels (blue, green, red, 0), rows packed.
#pragma once

#include <cstddef>

// Reads an uncompressed 24-bit BMP with a 54-byte header into dest at (x, y), rows of the picture's own
// width. destsize is the size of dest in bytes: what does not fit is clipped. A missing file prints
// "BMP file not found\n" and aborts; a file of another kind stops the program with a message naming it.
void readbmp32(const char *filename, int x, int y, unsigned char *dest, size_t destsize);

// Decodes a JPEG into dest, rows of the picture's own width; what does not fit in destsize bytes is
// clipped. Returns 0 when the file cannot be opened (dest untouched), 1 when decoded. A decoding error
// prints the library's message and ends the program with status 255.
int readjpg(const char *filename, unsigned char *dest, size_t destsize);

// Pictures larger than this on either side are refused before any decoding: no picture of the show comes
// near it, and a header that claims more is lying.
constexpr long MAXPICTURESIDE = 32768;

// The readers' cores on a file's bytes in memory, for the fuzzers and the tests: null when read (what
// does not fit in destsize bytes is clipped), else the reason the picture is refused. They never end the
// program.
const char *decodebmp32(const unsigned char *file, size_t size, int x, int y, unsigned char *dest,
                        size_t destsize);
const char *decodejpg(const unsigned char *data, size_t size, unsigned char *dest, size_t destsize);
