// Internals of the leaves that tests and tools reach: the generator's state and the pulse of the fade.
#pragma once

#include <cstdint>

// The show's generator is never seeded; tests and tools may put it back to its start-up state (1).
void setshowrandstate(uint32_t next);
// The darkening of frame n of a leaves screen: |sin(n / 30) x 20|, truncated; 0..20 over about 94 frames.
int leafblur(int frame);
