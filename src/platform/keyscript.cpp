// Key scripts: lines of "SECONDS KEY [xN]" pressed on the show's clock, for headless runs and tests.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/program.h"

namespace {

constexpr double TICKHZ = 60.0;

// A script spans at most a day of the show's clock (5,184,000 ticks): no more repeats than ticks in a
// day, and no press later than a day. Anything beyond is a typing slip, not a show anyone watches, and
// every press stays well inside the clock's 32-bit milliseconds.
constexpr double MAXSECONDS = 24.0 * 60.0 * 60.0;
constexpr long MAXREPEAT = long(MAXSECONDS * TICKHZ);

// One script line: a key pressed count times, one tick apart from ms on. Repeats are not laid out one
// by one; a heap of the lines orders the next press of each.
struct ScriptKey {
    double ms;         // the first press
    int vk;            // 0: close the window
    LayerKey layerkey; // else 0: a key the layer keeps (F12, the volume keys)
    long count;
    long pressed = 0;
    uint32_t next() const { return uint32_t(std::llround(ms + double(pressed) * 1000.0 / TICKHZ)); }
};

std::vector<ScriptKey> script;
std::vector<size_t> pending; // a min-heap of the lines with presses to come: by next press, then line

// Whether line a presses after line b: later first, the later line first among equal times.
bool later(size_t a, size_t b) {
    const uint32_t ta = script[a].next(), tb = script[b].next();
    return ta != tb ? ta > tb : a > b;
}

std::string lowercase(const std::string &n) {
    std::string s;
    for (char c : n) s += char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Keys a script can press that the layer keeps for itself.
LayerKey layerkeyfromname(const std::string &n) {
    const std::string s = lowercase(n);
    if (s == "f12") return LAYERKEY_SCREENSHOT;
    if (s == "minus" || s == "-") return LAYERKEY_VOLUMEDOWN;
    if (s == "plus" || s == "+") return LAYERKEY_VOLUMEUP;
    if (s == "m" || s == "mute") return LAYERKEY_MUTE;
    return LayerKey(0);
}

int vkfromname(const std::string &n) {
    const std::string s = lowercase(n);
    if (s == "enter" || s == "return") return VK_RETURN;
    if (s == "escape" || s == "esc") return VK_ESCAPE;
    if (s == "left") return VK_LEFT;
    if (s == "up") return VK_UP;
    if (s == "right") return VK_RIGHT;
    if (s == "down") return VK_DOWN;
    if (s == "space") return VK_SPACE;
    if (s == "close") return 0;
    if (s.size() == 1 && std::isalnum(static_cast<unsigned char>(s[0]))) return std::toupper(s[0]);
    return -1;
}

} // namespace

void clearscript() {
    script.clear();
    pending.clear();
}

bool loadscript(const std::string &path) {
    clearscript();
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read the key script %s\n", programname(), path.c_str());
        return false;
    }
    std::string line;
    int lineno = 0;
    auto bad = [&](const std::string &what) {
        std::fprintf(stderr, "%s:%d: %s\n", path.c_str(), lineno, what.c_str());
        clearscript();
        return false;
    };
    while (std::getline(in, line)) {
        lineno++;
        if (size_t h = line.find('#'); h != std::string::npos) line.erase(h);
        std::istringstream ls(line);
        double seconds;
        std::string name;
        if (!(ls >> seconds)) {
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            return bad("expected a time in seconds and a key name");
        }
        if (!(ls >> name) || !(seconds >= 0)) return bad("expected a time in seconds and a key name");
        if (seconds > MAXSECONDS) return bad("a time past a day (86400 seconds)");
        const LayerKey layer = layerkeyfromname(name);
        const int vk = layer ? VK_SPACE : vkfromname(name);
        if (vk < 0) return bad("unknown key '" + name + "'");
        // An optional "xN" repeats the key N times, one tick apart (keyboard auto-repeat).
        long repeat = 1;
        if (std::string rep; ls >> rep) {
            char *end = nullptr;
            errno = 0;
            const long n = rep.size() > 1 && rep[0] == 'x' && std::isdigit(static_cast<unsigned char>(rep[1]))
                               ? std::strtol(rep.c_str() + 1, &end, 10)
                               : -1;
            if (n < 0 || *end != '\0')
                return bad("expected a repeat count 'xN' after the key, not '" + rep + "'");
            if (n < 1 || n > MAXREPEAT || errno == ERANGE)
                return bad("the repeat count '" + rep + "' is not from 1 to 5184000 (a day of ticks)");
            repeat = n;
            if (ls >> rep) return bad("unexpected '" + rep + "' after the repeat count");
        }
        script.push_back(ScriptKey{seconds * 1000.0, vk, layer, repeat});
    }
    pending.resize(script.size());
    for (size_t i = 0; i < pending.size(); i++) pending[i] = i;
    std::make_heap(pending.begin(), pending.end(), later);
    return true;
}

void feedscript(uint32_t now, void (*layerkey)(LayerKey)) {
    while (!pending.empty() && script[pending.front()].next() <= now) {
        std::pop_heap(pending.begin(), pending.end(), later);
        ScriptKey &k = script[pending.back()];
        if (++k.pressed < k.count)
            std::push_heap(pending.begin(), pending.end(), later);
        else
            pending.pop_back();
        if (k.layerkey) {
            if (layerkey) layerkey(k.layerkey);
        } else if (k.vk == 0)
            closewindow();
        else if (!windowgone())
            post(MSG{nullptr, WM_KEYDOWN, WPARAM(k.vk), 0});
    }
}

long nextscriptkey() {
    return pending.empty() ? -1 : long(script[pending.front()].next());
}
