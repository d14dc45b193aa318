// Start-up, the window procedure, the main loop and the way out.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "display/display.h"
#include "platform/capture.h"
#include "platform/program.h"
#include "render/render.h"
#include "shell/shell.h"
#include "show/show.h"

void initengine() {
    std::printf("Initing memory...\n Mallocing %d", 15000000);
    std::printf("Finished\n");
    calctabs();
    inittribuffer();
    initplanes();
    // The show's arithmetic assumes the processor in single precision, rounding upwards, from here on;
    // every conversion that relies on it is written out with that rounding, so nothing is switched.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
}

LRESULT WindowProc(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        stopmidas();
        finiDDObjects();
        QUIT = 1;
        ShowCursor(true);
        PostQuitMessage(0);
        break;
    case WM_PAINT:
        if (virscr && whichpart != PART_INTRO && whichpart != PART_PICTURE)
            blittoscreen(virscr);
        else if (whichpart == PART_PICTURE)
            showpiconscreen(0);
        break;
    case WM_KEYDOWN:
        keydispatcher(int(wParam), long(lParam));
        break;
    default:
        break;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

namespace {

void usage(const char *program) {
    std::printf("Usage: %s [OPTION]...\n"
                "Plays the show: intro, 3D menu, gallery, credits, greetings and exit.\n"
                "\n"
                "Keys: Left/Right turn the menu, Enter selects, Up/Down move in the gallery and scroll a\n"
                "picture, Escape steps back. The show's own keys aside, Alt+Enter toggles full screen, F12\n"
                "writes a screenshot, minus and plus (keypad too) set the volume and M mutes.\n"
                "\n"
                "Options:\n"
                "  --window          open a window instead of taking the full screen\n"
                "  --data DIR        play the data tree in DIR (default: see below)\n"
                "  --volume N        music volume, 0 to 100 (default %d: the show's own level)\n"
                "  --mute            start with the music muted\n"
                "  --scale N         draw the 3D parts N times larger, 320N x 240N, 1 to 8 (default 1:\n"
                "                    the show's own 320 x 240); the screen, screenshots and captures\n"
                "                    grow with it\n"
                "  --keys FILE       press keys from a script: lines of 'SECONDS KEY', KEY one of Enter,\n"
                "                    Escape, Left, Right, Up, Down, Space, Close, F12, Minus, Plus, M;\n"
                "                    an optional 'xN' repeats\n"
                "  --headless        no display and no sound card: run on a virtual 60 Hz clock\n"
                "  --capture PATH    headless, and write what is shown: a folder of PNG frames with\n"
                "                    audio.wav (new, empty or a previous capture's, which it replaces), or\n"
                "                    through ffmpeg a video file by its ending, in any case:\n",
                program, volume_percent(VOLUME_NORMAL));
    for (const CaptureFormat *f = capture_formats(); f->ending; f++)
        std::printf("                      %-14s %s\n", f->ending, f->what);
    std::printf("                    or a file ending in .sums: one checksum a frame, to compare runs;\n"
                "                    other video, sound and picture names are refused; Ctrl+C ends\n"
                "                    the show with the capture complete\n");
    std::printf("  --frames N        close the window after N shown frames\n"
                "  --help            display this help and exit\n"
                "  --version         output version information and exit\n");
    if (displaywindowwidth() == 640)
        std::printf("\n"
                    "This program shows every frame in the top-left quarter of a 640 x 480 screen, as the\n"
                    "show's fixed-mode presentation always did; the other three quarters keep whatever\n"
                    "was last drawn there (after the gallery, the last picture) by design. showcase-fs\n"
                    "fills the screen.\n");
    std::printf("\n"
                "The data tree (scenes, pictures, music) is taken from --data DIR; without it, from the\n"
                "current folder when it holds a complete tree, else from ../share/showcase beside the\n"
                "program (where it is installed), else from data/ beside it (a build folder).\n");
}

bool needvalue(int i, int argc, const char *opt) {
    if (i + 1 < argc) return true;
    std::fprintf(stderr, "%s: %s needs a value (see --help)\n", programname(), opt);
    return false;
}

} // namespace

int showcasemain(int argc, char **argv) {
    if (argc > 0) setprogramname(argv[0]);
    const char *program = programname();
    PlatformOptions options;
    std::string datadir;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) cwd[0] = 0;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            usage(program);
            return 0;
        } else if (a == "--version") {
            std::printf("%s %s\n", program, SHOWCASE_VERSION);
            return 0;
        } else if (a == "--mute") {
            options.mute = true;
        } else if (a == "--volume") {
            if (!needvalue(i, argc, "--volume")) return 2;
            char *end = nullptr;
            const long v = std::strtol(argv[++i], &end, 10);
            if (!end || end == argv[i] || *end || v < 0 || v > 100) {
                std::fprintf(stderr, "%s: --volume wants a number from 0 to 100, not '%s'\n", programname(),
                             argv[i]);
                return 2;
            }
            options.volume = volume_frompercent(int(v));
        } else if (a == "--scale") {
            if (!needvalue(i, argc, "--scale")) return 2;
            char *end = nullptr;
            const long v = std::strtol(argv[++i], &end, 10);
            if (!end || end == argv[i] || *end || v < 1 || v > MAXSCALE) {
                std::fprintf(stderr, "%s: --scale wants a whole number from 1 to %d, not '%s'\n",
                             programname(), MAXSCALE, argv[i]);
                return 2;
            }
            showscale = int(v);
        } else if (a == "--window") {
            options.window = true;
        } else if (a == "--headless") {
            options.headless = true;
        } else if (a == "--data") {
            if (!needvalue(i, argc, "--data")) return 2;
            datadir = argv[++i];
        } else if (a == "--keys") {
            if (!needvalue(i, argc, "--keys")) return 2;
            options.keys = argv[++i];
        } else if (a == "--capture") {
            if (!needvalue(i, argc, "--capture")) return 2;
            options.capture = argv[++i];
            options.headless = true;
        } else if (a == "--frames") {
            if (!needvalue(i, argc, "--frames")) return 2;
            char *end = nullptr;
            options.frames = std::strtol(argv[++i], &end, 10);
            if (!end || *end || options.frames < 0) {
                std::fprintf(stderr, "%s: --frames wants a number of frames, not '%s'\n", programname(),
                             argv[i]);
                return 2;
            }
        } else {
            std::fprintf(stderr, "%s: unknown option '%s' (see --help)\n", programname(), argv[i]);
            return 2;
        }
    }
    // Paths given on the command line are relative to where the program was started.
    auto absolute = [&](std::string &p) {
        if (!p.empty() && p[0] != '/') p = std::string(cwd) + "/" + p;
    };
    absolute(options.keys);
    absolute(options.capture);
    // The whole tree is checked before anything is opened, so that a wrong folder gives one clear line.
    DataTree tree;
    std::string error;
    if (!finddatatree(datadir, cwd, executabledir(), tree, error) || chdir(tree.dir.c_str()) != 0) {
        if (error.empty()) error = "cannot open the data folder " + tree.dir;
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
        return 2;
    }
    // F12 writes where the show was started, unless it plays the installed tree: then it was most likely
    // started from a menu, and the pictures folder is where its user will look (the empty name).
    options.screenshotdir = tree.installed ? std::string() : std::string(cwd);
    // A video keeps the size of the largest screen the display shows: the 3D frame's screen, or the
    // 640 x 480 screens when that is larger.
    options.videowidth = std::max(640, displaywindowwidth() * showscale);
    options.videoheight = std::max(480, displaywindowheight() * showscale);
    if (!platform_init(options)) return 2;
    return runshow(WindowProc);
}

int runshow(WNDPROC proc) {
    initengine();
    hWnd =
        CreateShowWindow("Veltor", displaywindowwidth() * showscale, displaywindowheight() * showscale, proc);
    if (!hWnd) return 2;
    initmidas();
    ShowCursor(false);
    // Room for a 640 x 480 screen, or for the 3D frame when it is larger.
    const long framebytes = std::max(1228800L, 1228800L * showscale * showscale / 4);
    virscr = static_cast<unsigned char *>(mymalloc(framebytes, 4096));
    virscr2 = static_cast<unsigned char *>(mymalloc(framebytes, 4096));
    init3dscenes();
    initvideomode();
    playmodule();

    waitblank = 1;
    runintro();
    whichpart = PART_MENU;
    waitblank = 0;
    int status = 0;
    if (QUIT) {
        status = int(msg.wParam);
    } else {
        drawmenu();
        for (;;) {
            if (!PeekMessage(&msg)) {
                IdleMessage();
                continue;
            }
            if (msg.message == WM_QUIT) {
                status = int(msg.wParam);
                break;
            }
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }
    stopmidas();
    // What the run was asked to write counts: a capture that failed fails the run.
    if (!platform_shutdown() && status == 0) status = 1;
    return status;
}
