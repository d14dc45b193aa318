// Key scripts: lines of "SECONDS KEY [xN]" pressed on the show's clock, for headless runs and tests.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/messages.h"
#include "platform/program.h"

namespace {

constexpr double TICKHZ = 60.0;

struct ScriptKey {
    uint32_t ms;
    int vk;            // 0: close the window
    LayerKey layerkey; // else 0: a key the layer keeps (F12, the volume keys)
};

std::vector<ScriptKey> script;
size_t nextkey = 0;

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
    nextkey = 0;
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
    while (std::getline(in, line)) {
        lineno++;
        if (size_t h = line.find('#'); h != std::string::npos) line.erase(h);
        std::istringstream ls(line);
        double seconds;
        std::string name;
        if (!(ls >> seconds)) {
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            std::fprintf(stderr, "%s:%d: expected a time in seconds and a key name\n", path.c_str(), lineno);
            return false;
        }
        int repeat = 1;
        if (!(ls >> name) || seconds < 0) {
            std::fprintf(stderr, "%s:%d: expected a time in seconds and a key name\n", path.c_str(), lineno);
            return false;
        }
        // An optional "xN" repeats the key N times, one tick apart (keyboard auto-repeat).
        std::string rep;
        if (ls >> rep && rep.size() > 1 && rep[0] == 'x') repeat = std::atoi(rep.c_str() + 1);
        const LayerKey layer = layerkeyfromname(name);
        const int vk = layer ? VK_SPACE : vkfromname(name);
        if (vk < 0 || repeat < 1) {
            std::fprintf(stderr, "%s:%d: unknown key '%s'\n", path.c_str(), lineno, name.c_str());
            return false;
        }
        for (int i = 0; i < repeat; i++)
            script.push_back(
                ScriptKey{uint32_t(std::llround(seconds * 1000.0 + i * 1000.0 / TICKHZ)), vk, layer});
    }
    std::stable_sort(script.begin(), script.end(),
                     [](const ScriptKey &a, const ScriptKey &b) { return a.ms < b.ms; });
    return true;
}

void feedscript(uint32_t now, void (*layerkey)(LayerKey)) {
    while (nextkey < script.size() && script[nextkey].ms <= now) {
        const ScriptKey &k = script[nextkey++];
        if (k.layerkey) {
            if (layerkey) layerkey(k.layerkey);
        } else if (k.vk == 0)
            closewindow();
        else if (!windowgone())
            post(MSG{nullptr, WM_KEYDOWN, WPARAM(k.vk), 0});
    }
}

long nextscriptkey() {
    return nextkey < script.size() ? long(script[nextkey].ms) : -1;
}
