// The 60 Hz pace of shown frames on a real clock.
#include "platform/pacing.h"

#include <cmath>

namespace {

long tickof(double seconds) {
    return long(std::floor(seconds * PACEHZ));
}

} // namespace

double FramePacer::showtime(double now) const {
    if (tickof(now) > lasttick) return now;
    // Tick boundaries are computed from the tick number, so rounding never lands a frame in the tick it
    // waited to leave.
    const double next = double(lasttick + 1) / PACEHZ;
    return tickof(next) > lasttick ? next : std::nextafter(next, 1e300);
}

void FramePacer::shown(double at) {
    const long t = tickof(at);
    // A late frame starts the count afresh: the pace never catches up by showing frames faster.
    lasttick = t > lasttick ? t : lasttick + 1;
}
