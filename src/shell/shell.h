// The application shell: start-up, the message pump, frame timing, the keyboard dispatcher, the show
// state and the music.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

enum PARTS : unsigned char {
    PART_INTRO = 0,
    PART_MENU = 1,
    PART_ARTMENU = 2,
    PART_CREDITS = 3,
    PART_GREETINGS = 4,
    PART_PICTURE = 5,
};

// --- main.cpp: start-up, window procedure, message pump, frame timing ---
extern char QUIT;                       // the show is ending; timed loops stop drawing
extern char waitblank;                  // presentation waits for the end of the vertical blank
extern unsigned char *virscr, *virscr2; // 640 x 480 frame buffers
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
void initengine();
LRESULT WindowProc(HWND window, unsigned message, WPARAM wParam, LPARAM lParam);
// The program: parses the options, runs the show, returns the exit status.
int showcasemain(int argc, char **argv);
// The show itself on a started platform: start-up, the intro, the main loop and the way out, with proc as
// the window procedure (WindowProc, or one that watches it). Returns the exit status.
int runshow(WNDPROC proc);

// --- datatree.cpp: where the data tree is ---
struct DataTree {
    std::string dir;        // the folder the show plays from
    bool installed = false; // the tree installed beside the program, not one the user pointed at
};
// The first file of the show's tree that dir lacks, in slash form; empty when the tree is complete.
std::string firstmissingdatafile(const std::string &dir);
// The folder of the running program; empty when it cannot be told.
std::string executabledir();
// The tree to play: given (--data) when not empty; else the current folder cwd when its tree is complete;
// else ../share/showcase beside the program; else data/ beside it (a build folder). False with a one-line
// message naming the folder, the first missing file and how to point at a tree.
bool finddatatree(const std::string &given, const std::string &cwd, const std::string &exedir, DataTree &tree,
                  std::string &error);

// --- keyboard.cpp: keyboard dispatch and show state ---
extern PARTS whichpart;
extern unsigned char menucursel; // item in front: 0 gallery, 1 credits, 2 greetings, 3 exit
extern unsigned char menurotpos; // turn of the menu, 256 units a turn
extern int curartsel;            // selected gallery picture 0..12
extern int artmenupos;           // bar scroll position in rows, 0..1200
extern unsigned char glcount;    // glow phase of the selection box
extern int picofs;               // first shown row of the open picture
extern char SHOWCREDITS, SHOWGREETINGS;

void keydispatcher(int key, long data);

// --- music.cpp: the module behind the whole show ---
void initmidas();           // load ".\music\velun.xm"
void playmodule();          // start it looping in the background at volume 40
void setmusicvolume(int v); // 0 silence .. 64, 40 the normal level
void pollmusic();
void stopmidas(); // stop and release; safe to call more than once
bool musicloaded();
bool musicplaying();
