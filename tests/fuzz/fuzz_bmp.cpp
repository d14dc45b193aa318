// libFuzzer target: the BMP reader over a file's bytes, into a block of a gallery picture's size at an
// offset taken from the input. Every input must be read (clipped to the block) or refused with a reason.
#include "image/image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static std::vector<unsigned char> dest(640 * 480 * 4);
    // The last two bytes, when there are more than a header's worth, choose the offset.
    int x = 0, y = 0;
    if (size > 56) {
        x = int8_t(data[size - 2]);
        y = int8_t(data[size - 1]);
    }
    decodebmp32(data, size, x, y, dest.data(), dest.size());
    return 0;
}
