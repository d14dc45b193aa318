// The module behind the whole show: loaded at start-up, looped from playmodule on, its volume on the scale
// 0 (silence) to 64 with 40 the normal level, released once. The desktop plays it with libopenmpt on the
// audio device (desktop/music.cpp), the browser in the page's audio worklet (browser/music.cpp).
#pragma once

void initmidas();           // load ".\music\velun.xm"
void playmodule();          // start it looping in the background at volume 40
void setmusicvolume(int v); // 0 silence .. 64, 40 the normal level
void pollmusic();
void stopmidas(); // stop and release; safe to call more than once
bool musicloaded();
bool musicplaying();
