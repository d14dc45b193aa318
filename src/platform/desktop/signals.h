// Inside the platform layer: SIGTERM and SIGINT as the window's close request.
#pragma once

// Takes SIGTERM and SIGINT (those not ignored when the program started) for the close request, instead of
// SDL. A second signal of the same kind, once the first was taken, ends the program at once.
void closesignals_catch();
// Gives the signals back as they were.
void closesignals_release();
// True once for each signal that came since the last call.
bool closesignals_taken();
