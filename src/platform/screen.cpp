// The shown screen and the virtual clock, the same on every platform.
#include <cstring>

#include "platform/screen.h"

void ShownScreen::keep(const uint32_t *pixels, int width, int height) {
    if (last.size() != size_t(width) * height) last.resize(size_t(width) * height);
    std::memcpy(last.data(), pixels, size_t(width) * height * 4);
    lastw = width;
    lasth = height;
}

void ShownScreen::keepforidle() {
    if (lastw != 0) return;
    last.assign(640 * 480, 0);
    lastw = 640;
    lasth = 480;
}

bool ShownScreen::ticked(long limit) {
    if (virtualclock) virtualticks++;
    shown++;
    if (limit < 0 || shown < limit || limitposted) return false;
    limitposted = true;
    return true;
}
