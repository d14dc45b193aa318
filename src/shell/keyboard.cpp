// Keyboard dispatch: what each key does in each state of the show. Animations run to their end inside
// the handler; the gallery, credits, greetings and exit pump messages, so this is re-entered nested.
#include "display/display.h"
#include "effects/effects.h"
#include "shell/shell.h"
#include "show/show.h"

static void menukey(int key) {
    switch (key) {
    case VK_LEFT:
        movemenuleft();
        break;
    case VK_RIGHT:
        movemenuright();
        break;
    case VK_RETURN:
        doselitem();
        break;
    default:
        blittoscreen(virscr);
        break;
    }
}

static void artmenukey(int key) {
    switch (key) {
    case VK_UP:
        if (artmenupos > 0) artmenuup();
        break;
    case VK_DOWN:
        if (artmenupos < 1200) artmenudown();
        break;
    case VK_RETURN:
        whichpart = PART_PICTURE;
        showpicture();
        break;
    case VK_ESCAPE:
        whichpart = PART_MENU;
        movecamfrombox();
        waitblank = 0;
        break;
    default:
        blittoscreen(artmenu);
        break;
    }
}

// Escape leaves the credits or the greetings; the running screen sees its flag cleared and returns.
static void leaveskey(int key, char &flag) {
    if (key != VK_ESCAPE) return;
    flag = 0;
    switchmode(320, 240);
    drawmenu();
    whichpart = PART_MENU;
}

static void picturekey(int key) {
    switch (key) {
    case VK_UP:
        pollmusic();
        scrollpicup();
        break;
    case VK_DOWN:
        pollmusic();
        scrollpicdown();
        break;
    case VK_ESCAPE:
        backtoartmenu();
        break;
    default:
        showpiconscreen(picofs);
        break;
    }
}

void keydispatcher(int key, long data) {
    (void)data;
    // Once the show is ending the display is gone: keys still queued behind the quit do nothing.
    if (QUIT) return;
    switch (whichpart) {
    case PART_INTRO:
        break;
    case PART_MENU:
        menukey(key);
        break;
    case PART_ARTMENU:
        artmenukey(key);
        break;
    case PART_CREDITS:
        leaveskey(key, SHOWCREDITS);
        break;
    case PART_GREETINGS:
        leaveskey(key, SHOWGREETINGS);
        break;
    case PART_PICTURE:
        picturekey(key);
        break;
    }
}
