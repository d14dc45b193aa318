// SIGTERM and SIGINT end the show the way closing its window does: the handler only notes the signal, and
// the next look at the queue turns it into the destroy message, so music and display are released by the
// show itself and the program ends with status 0.
#include "platform/desktop/signals.h"

#include <SDL.h>

#include <csignal>

namespace {

volatile std::sig_atomic_t pending = 0;
constexpr int SIGNALS[] = {SIGTERM, SIGINT};
struct sigaction previous[2];
bool caught[2] = {false, false};

extern "C" void onclosesignal(int) {
    pending = 1;
}

} // namespace

void closesignals_catch() {
    // SDL's own handlers would make a quit event of them; these are ours.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    closesignals_release();
    pending = 0;
    struct sigaction sa {};
    sa.sa_handler = onclosesignal;
    sigemptyset(&sa.sa_mask);
    // Once taken, the signal's own action is back: a second one ends a show that does not end.
    sa.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int i = 0; i < 2; i++) {
        struct sigaction old {};
        sigaction(SIGNALS[i], nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue; // started in the background: keep ignoring it
        previous[i] = old;
        caught[i] = sigaction(SIGNALS[i], &sa, nullptr) == 0;
    }
}

void closesignals_release() {
    for (int i = 0; i < 2; i++)
        if (caught[i]) {
            sigaction(SIGNALS[i], &previous[i], nullptr);
            caught[i] = false;
        }
}

bool closesignals_taken() {
    if (!pending) return false;
    pending = 0;
    return true;
}
