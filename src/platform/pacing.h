// Inside the platform layer: the 60 Hz pace of shown frames on a real clock. The show's key-driven
// animations count frames, so no two frames may share a 60 Hz tick, whatever the display's refresh rate;
// with vertical sync the present then waits for the display's next blank, which only ever delays a frame.
#pragma once

struct FramePacer {
    long lasttick = -1; // the 60 Hz tick of the last shown frame

    // The time (seconds, on the caller's clock) at which a frame ready at `now` may be shown: now, or the
    // start of the tick after the last shown one.
    double showtime(double now) const;
    // Records a frame shown at `at` (the time the pacer allowed, before any wait for the blank).
    void shown(double at);
};

constexpr double PACEHZ = 60.0;
