// The shared state: the flags every loop looks at, the frame buffers, the angle tables, the one message
// record, the frame-timing ring that paces the timed sequences, and where the show stands.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/program.h"
#include "state/state.h"

char QUIT = 0;
char waitblank = 0;
unsigned char *virscr = nullptr, *virscr2 = nullptr;
int showscale = 1;
float costab[256], sintab[256];
int T1[8], T2[8];
int POSINTS = 0;
MSG msg;
HWND hWnd = nullptr;

PARTS whichpart = PART_INTRO;
unsigned char menucursel = 0;
unsigned char menurotpos = 0;
int curartsel = 0;
int artmenupos = 0;
unsigned char glcount = 0;
int picofs = 0;
char SHOWCREDITS = 0, SHOWGREETINGS = 0;

int nomessage() {
    if (!PeekMessage(&msg)) return 1;
    if (msg.message == WM_QUIT) {
        QUIT = 1;
        return 0;
    }
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    return 0;
}

int nomessages() {
    while (nomessage() == 0) {
    }
    return QUIT ? 0 : 1;
}

float updateframecount(float speed) {
    int sum = 0;
    for (int k = 0; k < 8; k++) sum += T2[k] - T1[k];
    int mean = sum >> 3;
    // A ring with nothing measured yet (or frames too fast to measure) still moves a timed loop on,
    // so that a loop which draws nothing because the window is gone always reaches its end.
    if (mean < 1) mean = 1;
    return float(mean) * 0.001f * speed;
}

void framestart() {
    T1[POSINTS] = int(GetTickCount());
}

void frameend() {
    T2[POSINTS] = int(GetTickCount());
    POSINTS = (POSINTS + 1) & 7;
}

void *mymalloc(long size, long) {
    void *p = std::calloc(size_t(size > 0 ? size : 1), 1);
    if (!p) {
        std::fprintf(stderr, "%s: out of memory (%ld bytes)\n", programname(), size);
        std::exit(1);
    }
    return p;
}

void calctabs() {
    std::printf("Calcing tabs\n");
    for (int i = 0; i < 256; i++) {
        // 3.14, not pi: the 256 steps fall a little short of a whole turn.
        const double angle = double(i) * 0.00390625 * 2.0 * 3.14;
        costab[i] = float(std::cos(angle));
        sintab[i] = float(std::sin(angle));
    }
}
