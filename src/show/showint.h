// Helpers shared by the show's sequences (not part of the show's public face).
#pragma once

#include "render/render.h"
#include "scene/scene.h"

// The frame the show draws its 3D parts into: 320 x 240, or that times showscale. Set with the assets.
extern renderframe showframe;
// Bytes of that frame, and of each 320 x 240 picture of the show enlarged to its size.
inline long framebytes() {
    return showframe.pitch * showframe.height;
}

// One step of a pump that runs inside a key handler: removes one waiting message and dispatches it.
// Returns false when the queue was empty. A WM_QUIT taken here sets QUIT and is posted again, so the
// main loop still sees it once the nested loops have unwound.
bool pumpmessage();

// A camera frame index that lies inside the scene's camera table (0 .. numframes - 1).
int clampcamframe(const world *w, long frame);

// True while the exit sequence runs: Enter in the menu then starts nothing.
bool exitinprogress();

// A fade level that moves by fractions of a level per pass of a timed loop. The level shown, and the one
// the loops test, is the position truncated, as always; what the truncation leaves over carries to the
// next pass, so that a fade takes the same measured time at any frame rate instead of losing up to a level
// per pass. Every pass moves it by at least MINFADEMOVE, so every fade comes to its end.
constexpr float MINFADEMOVE = 1.0f / 16.0f;
struct fadelevel {
    float pos;
    int level() const { return static_cast<int>(pos); } // truncated towards zero
    int rise(float by) {
        pos += by > MINFADEMOVE ? by : MINFADEMOVE;
        return level();
    }
    int fall(float by) {
        pos -= by > MINFADEMOVE ? by : MINFADEMOVE;
        return level();
    }
};

constexpr int LOWRESBYTES = 320 * 240 * 4; // a 320 x 240 frame or picture
constexpr int HIRESBYTES = 640 * 480 * 4;  // a 640 x 480 frame or picture

// One menu frame from the menu scene's camera of the given frame, turned by menurotpos, presented,
// followed by background (null: none).
void boxframe(int frame, const unsigned char *background);

// What a drawn pass of a timed sequence showed: the segment (intro 1..10, exit 1..4), the camera frame
// used (-1 when none) and the fade level or music volume of the pass (-1 when none). Null by default;
// the tests watch the sequences through it.
struct sequencepass {
    int segment;
    int camframe;
    int level;
};
extern void (*onsequencepass)(const sequencepass &);
