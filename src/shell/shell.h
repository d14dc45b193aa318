// The application shell, the top of the program: start-up, the window procedure, the data tree and the
// keyboard dispatcher. The state it shares with the layers below is state/state.h.
#pragma once

#include <cstdint>
#include <string>

#include "platform/music.h"
#include "state/state.h"

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

// --- keyboard.cpp: what each key does in each state of the show ---
void keydispatcher(int key, long data);
