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

} // namespace

void messages_reset() {
    q = Queue{};
}

void messages_setproc(WNDPROC proc) {
    q.proc = proc;
}

void post(const MSG &m) {
    if (q.count == QUEUESIZE) return; // a full queue drops the newest, as a system queue would
    q.queue[(q.head + q.count) % QUEUESIZE] = m;
    q.count++;
}

bool messages_take(MSG *m) {
    if (q.count == 0) return false;
    *m = q.queue[q.head];
    q.head = (q.head + 1) % QUEUESIZE;
    q.count--;
    return true;
}

void closewindow() {
    if (q.windowgone) return;
    q.windowgone = true;
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
