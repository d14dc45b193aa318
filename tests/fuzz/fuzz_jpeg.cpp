// libFuzzer target: the JPEG reader over a file's bytes, into a block of a 640 x 480 picture. Every input
// must be decoded (clipped to the block) or refused with the library's reason, within the memory cap.
#include "image/image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static std::vector<unsigned char> dest(640 * 480 * 4);
    decodejpg(data, size, dest.data(), dest.size());
    return 0;
}
