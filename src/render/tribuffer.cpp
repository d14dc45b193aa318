// The triangle buffer: one block of records for the whole run, handed out afresh every frame, a list of
// the records to draw, sorted far to near, and the loop that draws them.
#include "render/tribuffer.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "render/rounding.h"
#include "shell/shell.h"

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
        std::fprintf(stderr, "showcase: cannot allocate the triangle buffer (%d records)\n",
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
        std::fprintf(stderr,
                     "showcase: a frame needs more than %d triangles, the limit of the triangle buffer\n",
                     maxsize - 1);
        std::exit(1);
    }
    return &TRIBUFFER[whichtri - 1];
}

// Hoare partition with the pivot read from position left at every comparison: the pivot changes when
// the first exchange moves a new record there. Equal keys therefore land in this exact order.
void qsorttribuffer(int left, int right) {
    textmapclip **s = sortedtri;
    while (left < right) {
        int i = left - 1;
        int j = right + 1;
        for (;;) {
            do j--;
            while (s[j]->depth < s[left]->depth);
            do i++;
            while (s[i]->depth > s[left]->depth);
            if (i < j)
                std::swap(s[i], s[j]);
            else
                break;
        }
        qsorttribuffer(left, j);
        left = j + 1;
    }
}

void drawtribuffer(unsigned char *screen) {
    for (int i = 0; i < whichindex; i++) {
        curtri = sortedtri[i];
        curtri->draw(curtri, screen);
    }
}
