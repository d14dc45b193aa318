// The message queue between the platform and the show, and the window procedure that receives it.
#include "platform/messages.h"

namespace {

constexpr int QUEUESIZE = 256;

struct Queue {
    WNDPROC proc = nullptr;
    MSG queue[QUEUESIZE];
    int head = 0, count = 0;
    bool windowgone = false;
};
Queue q;

MSG &queued(int i) {
    return q.queue[(q.head + i) % QUEUESIZE];
}

// The destroy and quit messages are the way out: never dropped.
bool droppable(unsigned message) {
    return message != WM_DESTROY && message != WM_QUIT;
}

} // namespace

void messages_reset() {
    q = Queue{};
}

void messages_setproc(WNDPROC proc) {
    q.proc = proc;
}

// A full queue drops the newest key or repaint (a held key piles up repeats while the menu turns). The
// destroy and quit messages always get in: they take the place of the newest key or repaint.
void post(const MSG &m) {
    if (q.count == QUEUESIZE) {
        if (droppable(m.message)) return;
        int i = q.count - 1;
        while (i >= 0 && !droppable(queued(i).message)) i--;
        if (i < 0) return; // a queue of nothing but ways out
        for (; i + 1 < q.count; i++) queued(i) = queued(i + 1);
        q.count--;
    }
    queued(q.count) = m;
    q.count++;
}

bool messages_take(MSG *m) {
    if (q.count == 0) return false;
    *m = q.queue[q.head];
    q.head = (q.head + 1) % QUEUESIZE;
    q.count--;
    return true;
}

// The keys and repaints still waiting go with the window, as a destroyed window's messages do: the show
// ends at once instead of first playing out every key that waited, and the destroy message always fits.
void closewindow() {
    if (q.windowgone) return;
    q.windowgone = true;
    int kept = 0;
    for (int i = 0; i < q.count; i++)
        if (!droppable(queued(i).message)) queued(kept++) = queued(i);
    q.count = kept;
    post(MSG{nullptr, WM_DESTROY, 0, 0});
}

bool windowgone() {
    return q.windowgone;
}

void TranslateMessage(const MSG *) {}

LRESULT DispatchMessage(const MSG *m) {
    if (!q.proc || m->message == WM_QUIT) return 0;
    return q.proc(m->hwnd, m->message, m->wParam, m->lParam);
}

void PostQuitMessage(int code) {
    post(MSG{nullptr, WM_QUIT, WPARAM(code), 0});
}

void PostMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    post(MSG{nullptr, message, wParam, lParam});
}

LRESULT DefWindowProc(HWND, unsigned, WPARAM, LPARAM) {
    return 0;
}
