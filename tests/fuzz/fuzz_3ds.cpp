// libFuzzer target: the .3DS reader over an image in memory. Every input must be read or refused with a
// message; texture maps are not read. All blocks are released after each input.
#include "scene/scene.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string error;
    world *w = read3dsimage(data, size, "fuzz.3ds", &error, false);
    if (!w && error.rfind("fuzz.3ds: ", 0) != 0) __builtin_trap(); // a refusal always names the file
    freeloadedscenes();
    return 0;
}
