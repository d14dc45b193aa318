// The triangle buffer: one block of records for the whole run, handed out afresh every frame, a list of
// the records to draw, sorted far to near, and the loop that draws them.
#include "render/tribuffer.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/program.h"
#include "render/rounding.h"
#include "state/state.h"

textmapclip *TRIBUFFER;
int whichtri;
int whichindex;
int maxsize;
textmapclip *sortedtri[9000];
textmapclip *curtri;

void inittribuffer() {
    std::printf("Initing tribuffer\n");
    TRIBUFFER = static_cast<textmapclip *>(mymalloc(long(sizeof(textmapclip)) * TRIBUFFERRECORDS, 4));
    if (!TRIBUFFER) {
        std::fprintf(stderr, "%s: cannot allocate the triangle buffer (%d records)\n", programname(),
                     TRIBUFFERRECORDS);
        std::exit(1);
    }
    whichtri = 0;
    whichindex = 0;
    maxsize = TRIBUFFERRECORDS;
}

textmapclip *gettextmapclip() {
    // The check follows the advance, so the last record of the block is never handed out.
    whichtri++;
    if (whichtri >= maxsize) {
        std::fprintf(stderr, "%s: a frame needs more than %d triangles, the limit of the triangle buffer\n",
                     programname(), maxsize - 1);
        std::exit(1);
    }
    return &TRIBUFFER[whichtri - 1];
}

namespace {

// The keys of the records being sorted, side by side, so that the comparisons read a small array
// instead of one record each; they are exchanged together with the pointers.
int32_t sortkeys[sizeof sortedtri / sizeof sortedtri[0]];

// Hoare partition with the pivot read from position left at every comparison: the pivot changes when
// the first exchange moves a new record there. Equal keys therefore land in this exact order.
void sortkeyed(int32_t *k, textmapclip **s, int left, int right) {
    while (left < right) {
        int i = left - 1;
        int j = right + 1;
        for (;;) {
            do j--;
            while (k[j] < k[left]);
            do i++;
            while (k[i] > k[left]);
            if (i < j) {
                std::swap(k[i], k[j]);
                std::swap(s[i], s[j]);
            } else {
                break;
            }
        }
        sortkeyed(k, s, left, j);
        left = j + 1;
    }
}

} // namespace

void qsorttribuffer(int left, int right) {
    if (left >= right) return;
    for (int i = left; i <= right; i++) sortkeys[i] = sortedtri[i]->depth;
    sortkeyed(sortkeys, sortedtri, left, right);
}

void drawtribuffer(unsigned char *screen, const renderframe &f) {
    for (int i = 0; i < whichindex; i++) {
        curtri = sortedtri[i];
        curtri->draw(curtri, screen, f);
    }
}
