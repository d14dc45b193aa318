// The state every layer reads: the flags the loops look at, the frame buffers, the angle tables, the one
// message record and window, the frame-timing ring of the timed sequences, and where the show stands.
// It sits below the renderer, the display, the effects and the show, so none of them reaches up into the
// shell that starts them.
#pragma once

#include "platform/platform.h"

enum PARTS : unsigned char {
    PART_INTRO = 0,
    PART_MENU = 1,
    PART_ARTMENU = 2,
    PART_CREDITS = 3,
    PART_GREETINGS = 4,
    PART_PICTURE = 5,
};

// --- state.cpp: flags, buffers, tables, the message record and the frame-timing ring ---
extern char QUIT;                       // the show is ending; timed loops stop drawing
extern char waitblank;                  // presentation waits for the end of the vertical blank
extern unsigned char *virscr, *virscr2; // frame buffers: 640 x 480, or the 3D frame when that is larger
// How many times larger than 320 x 240 the show draws its 3D frames (1 to 8; 1 is the show as it always
// was). Set once, before the show starts.
extern int showscale;
extern float costab[256], sintab[256];
extern int T1[8], T2[8]; // tick counts before rendering and after presenting
extern int POSINTS;      // ring slot of the next rendered frame
extern MSG msg;          // the one message record of every pump
extern HWND hWnd;        // the one window

// Removes at most one message; 1 when the queue was empty. WM_QUIT sets QUIT and is not dispatched.
int nomessage();
// Handles every waiting message; 1 when the queue is empty and QUIT is not set. The intro and the exit
// pump with it, so that keys pressed meanwhile cost them no frame and leave their pace to the music's.
int nomessages();
// Frames that one pass of a timed loop advances: mean render time of the ring x 0.001 x speed.
float updateframecount(float speed);
// The two halves of a measured frame in a timed loop.
void framestart();
void frameend();
// Zero-filled heap block; align is accepted and not used. Blocks live until the process ends.
void *mymalloc(long size, long align);
void calctabs();

// --- where the show stands (set by the shell's keyboard dispatcher and the show's sequences) ---
extern PARTS whichpart;
extern unsigned char menucursel; // item in front: 0 gallery, 1 credits, 2 greetings, 3 exit
extern unsigned char menurotpos; // turn of the menu, 256 units a turn
extern int curartsel;            // selected gallery picture 0..12
extern int artmenupos;           // bar scroll position in rows, 0..1200
extern unsigned char glcount;    // glow phase of the selection box
extern int picofs;               // first shown row of the open picture
extern char SHOWCREDITS, SHOWGREETINGS;
