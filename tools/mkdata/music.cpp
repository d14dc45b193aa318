// "velun", the show's music: an original composition in A minor for twelve channels, with every
// instrument synthesised here (drums, an evolving bass, a breathing pad, a pulse-width lead, a plucked
// string, a bell). 21 patterns of 64 rows at 125 BPM, each played once: an intro, the groove, two themes,
// a breakdown and a build, the return, a bridge and a solo, and an outro that thins back to the intro's
// own texture and ends on the dominant, so that the loop back to the start has no seam. The parts are
// spread across the stereo field: pads left, middle and right, the lead with its echo on the other side.
#include "makers.h"
#include "xmwrite.h"

#include <cmath>
#include <cstdio>

namespace mkdata {

namespace {

using xmwrite::Cell;
using xmwrite::Instrument;
using xmwrite::Sample;

constexpr double PI = 3.14159265358979323846;
constexpr double RATE = 44100.0;
// All instruments' volumes scale with this, set so that the module renders at about -20 LUFS.
constexpr double MASTER = 0.59;

int16_t pcm(double v) {
    v = std::tanh(v); // soft limit, so no sample clips
    return static_cast<int16_t>(std::lround(v * 32000.0));
}

Instrument single(const char *name, Sample s) {
    Instrument ins;
    ins.name = name;
    s.name = name;
    ins.samples.push_back(std::move(s));
    return ins;
}

// ---- drums (recorded at 44.1 kHz; played at C-4 they sound as made) ----

Sample kick() {
    Sample s;
    double phase = 0.0;
    Random r(1);
    for (int i = 0; i < static_cast<int>(RATE * 0.42); ++i) {
        const double t = i / RATE;
        const double f = 45.0 + 110.0 * std::exp(-t * 28.0);
        phase += 2.0 * PI * f / RATE;
        const double click = (r.uniform() - 0.5) * std::exp(-t * 400.0) * 0.6;
        s.data.push_back(pcm(2.2 * std::sin(phase) * std::exp(-t * 7.0) + click));
    }
    s.tune(RATE, 261.6255653);
    return s;
}

Sample snare() {
    Sample s;
    Random r(2);
    double lp = 0.0, phase = 0.0;
    for (int i = 0; i < static_cast<int>(RATE * 0.3); ++i) {
        const double t = i / RATE;
        const double white = r.uniform() * 2.0 - 1.0;
        lp += (white - lp) * 0.55;
        const double noise = (white - lp * 0.6) * std::exp(-t * 16.0);
        phase += 2.0 * PI * (185.0 + 60.0 * std::exp(-t * 60.0)) / RATE;
        s.data.push_back(pcm(0.9 * noise + 0.7 * std::sin(phase) * std::exp(-t * 25.0)));
    }
    s.tune(RATE, 261.6255653);
    return s;
}

Sample hat(double seconds, double decay, uint64_t seed) {
    Sample s;
    Random r(seed);
    double prev = 0.0, hp = 0.0;
    for (int i = 0; i < static_cast<int>(RATE * seconds); ++i) {
        const double t = i / RATE;
        const double white = r.uniform() * 2.0 - 1.0;
        hp = 0.6 * (hp + white - prev); // high-pass: keep the sizzle
        prev = white;
        s.data.push_back(pcm(1.2 * hp * std::exp(-t * decay)));
    }
    s.tune(RATE, 261.6255653);
    return s;
}

Sample crash() {
    Sample s;
    Random r(5);
    double prev = 0.0, hp = 0.0, ring = 0.0;
    for (int i = 0; i < static_cast<int>(RATE * 1.8); ++i) {
        const double t = i / RATE;
        const double white = r.uniform() * 2.0 - 1.0;
        hp = 0.7 * (hp + white - prev);
        prev = white;
        ring += 2.0 * PI * 3200.0 / RATE;
        s.data.push_back(pcm((0.8 * hp + 0.15 * std::sin(ring) * hp) * std::exp(-t * 2.2)));
    }
    s.tune(RATE, 261.6255653);
    return s;
}

// ---- tonal instruments: whole numbers of cycles in every loop, so that loops join without a click ----

// A band-limited sawtooth of `harmonics` partials, softened towards the top.
double saw(double phase, int harmonics, double softness) {
    double v = 0.0;
    for (int h = 1; h <= harmonics; ++h) v += std::sin(phase * h) / h * std::exp(-softness * h);
    return v * 0.6;
}

Sample bass() {
    // A plucked saw whose brightness dies away: 24 cycles going from bright to dark, then 8 dark ones
    // looped, with a sine below. 256 samples a cycle, tuned to C-3.
    Sample s;
    const int period = 256, attack = 24, loop = 8;
    const double rate = 130.8127827 * period;
    for (int c = 0; c < attack + loop; ++c) {
        const double soft = 0.05 + 0.3 * std::min(1.0, static_cast<double>(c) / attack);
        for (int i = 0; i < period; ++i) {
            const double ph = 2.0 * PI * i / period;
            s.data.push_back(pcm(0.75 * saw(ph, 48, soft) + 0.55 * std::sin(ph)));
        }
    }
    s.loop = xmwrite::Loop::Forward;
    s.loopstart = static_cast<uint32_t>(attack * period);
    s.looplength = static_cast<uint32_t>(loop * period);
    s.tune(rate, 130.8127827);
    return s;
}

Sample pad() {
    // Three saws a little apart (127, 128 and 129 cycles per loop) and an octave above, their brightness
    // swelling and falling once per loop: a slow chorus that breathes. 128 cycles in the loop make C-4.
    Sample s;
    const int length = 16384;
    const double rate = 261.6255653 * length / 128.0;
    for (int i = 0; i < length; ++i) {
        const double x = 2.0 * PI * i / length;
        const double soft = 0.1 + 0.06 * std::sin(x);
        double v = saw(x * 127.0, 24, soft) + saw(x * 128.0, 24, soft) + saw(x * 129.0, 24, soft);
        v += 0.5 * saw(x * 256.0 + 1.0, 12, soft + 0.04);
        s.data.push_back(pcm(v * 0.33));
    }
    s.loop = xmwrite::Loop::Forward;
    s.loopstart = 0;
    s.looplength = length;
    s.tune(rate, 261.6255653);
    return s;
}

Sample lead() {
    // A pulse whose width sweeps from narrow to square and back over 64 cycles (pulse-width modulation),
    // 128 samples a cycle, looped whole.
    Sample s;
    const int period = 128, cycles = 64;
    const double rate = 261.6255653 * period;
    for (int i = 0; i < period * cycles; ++i) {
        const double ph = 2.0 * PI * i / period;
        const double width = 0.5 + 0.32 * std::sin(2.0 * PI * i / (period * cycles));
        // A pulse is the difference of two saws a width apart.
        const double v = saw(ph, 30, 0.05) - saw(ph - 2.0 * PI * width, 30, 0.05);
        s.data.push_back(pcm(v * 0.85));
    }
    s.loop = xmwrite::Loop::Forward;
    s.loopstart = 0;
    s.looplength = period * cycles;
    s.tune(rate, 261.6255653);
    return s;
}

Sample bell() {
    // A struck bell by frequency modulation: an inharmonic partial (3.5 times the pitch) that fades faster
    // than the tone. 1.6 seconds at the pitch of C-5, not looped.
    Sample s;
    const double f = 523.2511306;
    for (int i = 0; i < static_cast<int>(RATE * 1.6); ++i) {
        const double t = i / RATE;
        const double index = 2.2 * std::exp(-t * 5.0);
        const double v = std::sin(2.0 * PI * f * t + index * std::sin(2.0 * PI * f * 3.5 * t));
        s.data.push_back(pcm(0.8 * v * std::exp(-t * 2.6) * std::min(1.0, t * 400.0)));
    }
    s.tune(RATE, f);
    return s;
}

Sample pluck() {
    // A plucked string (Karplus-Strong): a burst of noise in a delay line of one period, softened
    // on every pass. 128 samples per period make C-4.
    Sample s;
    const int period = 128;
    const double rate = 261.6255653 * period;
    Random r(9);
    std::vector<double> line(period);
    for (double &v : line) v = r.uniform() * 2.0 - 1.0;
    double dc = 0.0;
    for (double v : line) dc += v;
    for (double &v : line) v -= dc / period;
    for (int i = 0; i < static_cast<int>(rate * 1.2); ++i) {
        const int k = i % period;
        const double out = line[static_cast<size_t>(k)];
        line[static_cast<size_t>(k)] = 0.996 * 0.5 * (out + line[static_cast<size_t>((k + 1) % period)]);
        s.data.push_back(pcm(out * 1.1));
    }
    s.tune(rate, 261.6255653);
    return s;
}

// ---- the score ----

enum : uint8_t { KICK = 1, SNARE, HAT, OPENHAT, BASS, PAD, LEAD, PLUCK, CRASH, BELL };
enum Channel {
    CH_KICK,
    CH_SNARE,
    CH_HAT,
    CH_BASS,
    CH_PAD1,
    CH_PAD2,
    CH_PAD3,
    CH_LEAD,
    CH_ECHO,
    CH_ARP,
    CH_FX,
    CH_BELL,
    CHANNELS
};

// Effects of the format used here.
constexpr uint8_t PORTAMENTO = 0x3, VIBRATO = 0x4, PANNING = 0x8;

struct Chord {
    const char *root;     // bass note
    const char *notes[3]; // pad voicing
};
const Chord Am{"A-2", {"A-3", "C-4", "E-4"}}, F{"F-2", {"A-3", "C-4", "F-4"}},
    C{"C-3", {"G-3", "C-4", "E-4"}}, G{"G-2", {"G-3", "B-3", "D-4"}}, Em{"E-2", {"G-3", "B-3", "E-4"}},
    Dm{"D-3", {"A-3", "D-4", "F-4"}}, E{"E-2", {"G#3", "B-3", "E-4"}};

struct Section {
    const Chord *chords[4];
    int kick;  // 0 none, 1 on the half bar, 2 four to the bar
    int snare; // 0 none, 1 back beat, 2 a roll building through the pattern
    int hats;  // 0 none, 1 soft eighths, 2 eighths with open hats, 3 sixteenths
    int bass;  // 0 none, 1 eighths, 2 a long note a bar, 3 pumping octaves
    int arp;   // 0 none, 1 soft, 2 full
    bool fill, crash;
    const char *melody; // "note rows" pairs, "---" a rest, "^" before a note glides into it; null for none
    const char *bells;  // the same for the bell
    int padvolume;
    bool fadeout; // the drums and the bass fade over the pattern
};

uint8_t note(const char *name) {
    const uint8_t n = xmwrite::notenumber(name);
    if (!n) fprintf(stderr, "mkdata: music: bad note %s\n", name);
    return n;
}
uint8_t up(uint8_t n, int semis) {
    return static_cast<uint8_t>(n + semis);
}

// Writes a line of "note rows" pairs into channel ch: long notes get vibrato after their first bar part,
// "^" notes glide from the note before. echo > 0 writes it again echo rows later into CH_ECHO, quieter.
void writeline(xmwrite::Pattern &p, int ch, uint8_t instrument, const char *line, int volume, int echo) {
    int row = 0;
    const char *m = line;
    char name[5] = {};
    int len = 0, used = 0;
    while (row < 64 && sscanf(m, " %4s %d%n", name, &len, &used) == 2) {
        m += used;
        const bool glide = name[0] == '^';
        const char *n = glide ? name + 1 : name;
        xmwrite::Cell cell;
        if (std::string(n) == "---") {
            cell = {xmwrite::NOTE_OFF, 0, 0, 0, 0};
        } else {
            cell = {note(n), instrument, xmwrite::setvolume(volume), 0, 0};
            if (glide) cell.effect = PORTAMENTO, cell.param = 0x30;
            for (int r = row + 4; r < row + len && r < 64 && len >= 8; ++r)
                p.at(r, ch) = {0, 0, 0, VIBRATO, 0x46};
        }
        p.at(row, ch) = cell;
        if (echo > 0) {
            for (int r = row; r < row + len; ++r)
                if (r + echo < 64) {
                    xmwrite::Cell e = p.at(r, ch);
                    if (e.volume) e.volume = xmwrite::setvolume(volume * 9 / 20);
                    if (e.note && e.note != xmwrite::NOTE_OFF) e.effect = PANNING, e.param = 0x30;
                    p.at(r + echo, CH_ECHO) = e;
                }
        }
        row += len;
    }
}

xmwrite::Pattern makepattern(const Section &s) {
    xmwrite::Pattern p(64, CHANNELS);
    const uint8_t padpan[3] = {0x10, 0x80, 0xF0};
    for (int bar = 0; bar < 4; ++bar) {
        const Chord &ch = *s.chords[bar];
        const int r0 = bar * 16;
        for (int i = 0; i < 3; ++i)
            p.at(r0, CH_PAD1 + i) = {note(ch.notes[i]), PAD, xmwrite::setvolume(s.padvolume * 4 / 3), PANNING,
                                     padpan[i]};
        for (int r = 0; r < 16; ++r) {
            const int row = r0 + r;
            const bool lastbar = bar == 3;
            // A fading pattern takes the drums and the bass down to a third by its end.
            const int fade = s.fadeout ? 64 - row * 2 / 3 : 64;
            auto vol = [&](int v) { return xmwrite::setvolume(v * fade / 64); };
            const bool kick = s.kick == 2 ? r % 4 == 0 : s.kick == 1 ? r % 8 == 0 : false;
            if (kick && !(s.fill && lastbar && r >= 8))
                p.at(row, CH_KICK) = {note("C-4"), KICK, vol(64), 0, 0};
            if (s.snare == 1 && (r == 4 || r == 12))
                p.at(row, CH_SNARE) = {note("C-4"), SNARE, vol(60), 0, 0};
            if (s.snare == 2) { // quarters, then eighths, then sixteenths, rising
                const int every = bar < 2 ? 4 : bar == 2 ? 2 : 1;
                if (r % every == 0)
                    p.at(row, CH_SNARE) = {note("C-4"), SNARE, xmwrite::setvolume(20 + row * 2 / 3), 0, 0};
            }
            if (s.hats == 1 && r % 2 == 0)
                p.at(row, CH_HAT) = {note("C-4"), HAT, vol(r % 4 == 2 ? 26 : 16), 0, 0};
            if (s.hats == 2) {
                if (r % 2 == 0)
                    p.at(row, CH_HAT) = {note("C-4"), r % 4 == 2 ? OPENHAT : HAT, vol(r % 4 == 2 ? 40 : 30),
                                         0, 0};
                else if (r % 4 == 3)
                    p.at(row, CH_HAT) = {note("C-4"), HAT, vol(16), 0, 0};
            }
            if (s.hats == 3)
                p.at(row, CH_HAT) = {note("C-4"), HAT,
                                     xmwrite::setvolume(14 + row / 3 + (r % 4 == 0 ? 10 : 0)), 0, 0};
            if (s.fill && lastbar && r >= 8) // a snare roll rising into the next section
                p.at(row, CH_SNARE) = {note("C-4"), SNARE, xmwrite::setvolume(32 + (r - 8) * 4), 0, 0};
            const uint8_t root = note(ch.root);
            if (s.bass == 1 && r % 2 == 0)
                p.at(row, CH_BASS) = {r % 4 == 2 ? up(root, 12) : root, BASS, vol(r % 4 == 0 ? 64 : 50), 0,
                                      0};
            if (s.bass == 2 && r == 0) p.at(row, CH_BASS) = {root, BASS, vol(60), 0, 0};
            if (s.bass == 3)
                p.at(row, CH_BASS) = {r % 2 ? up(root, 12) : root, BASS, vol(r % 2 ? 40 : 60), 0, 0};
            if (s.arp) {
                static const int order[8] = {0, 1, 2, 3, 2, 1, 3, 1};
                const int k = order[r % 8];
                const uint8_t n = k == 3 ? up(note(ch.notes[0]), 12) : note(ch.notes[k]);
                const int v = (s.arp == 2 ? 40 : 26) - (r % 4 == 0 ? 0 : 12);
                p.at(row, CH_ARP) = {up(n, 12), PLUCK, xmwrite::setvolume(v), 0, 0};
            }
        }
    }
    if (s.crash) p.at(0, CH_FX) = {note("C-4"), CRASH, xmwrite::setvolume(44), 0, 0};
    if (s.melody) writeline(p, CH_LEAD, LEAD, s.melody, 54, 3);
    if (s.bells) writeline(p, CH_BELL, BELL, s.bells, 44, 0);
    return p;
}

const char *const melodyA =
    "E-5 6 D-5 2 C-5 4 B-4 2 C-5 2  A-4 6 C-5 2 F-5 4 E-5 4  G-4 4 C-5 4 E-5 4 G-5 4  "
    "F-5 6 E-5 2 D-5 4 B-4 4";
const char *const melodyA2 = "E-5 4 A-5 4 G-5 2 E-5 2 D-5 4  C-5 6 D-5 2 E-5 4 F-5 4  G-5 8 E-5 4 C-5 4  "
                             "D-5 12 --- 4";
const char *const melodyB =
    "A-5 4 G-5 4 F-5 4 E-5 4  D-5 6 E-5 2 G-5 8  B-4 4 E-5 4 G-5 4 B-5 4  A-5 12 --- 4";
const char *const melodyB2 = "C-6 6 A-5 2 F-5 4 A-5 4  B-5 6 G-5 2 D-5 8  E-5 4 G-5 4 B-5 4 E-6 4  "
                             "C-6 8 B-5 4 A-5 4";
const char *const melodyC =
    "F-5 4 A-5 4 D-6 8  B-5 4 G-5 4 D-5 8  E-5 4 G-5 4 C-6 4 G-5 4  G#5 8 B-5 4 E-5 4";
const char *const melodyC2 =
    "D-6 6 C-6 2 A-5 8  B-5 6 A-5 2 G-5 8  G-5 4 E-5 4 C-5 4 E-5 4  B-4 8 G#4 4 --- 4";
const char *const soloA = "A-5 2 C-6 2 E-6 4 D-6 2 C-6 2 B-5 4  A-5 4 ^C-6 4 F-5 8  "
                          "G-5 2 A-5 2 C-6 4 E-6 4 G-6 4  ^F-6 6 E-6 2 D-6 4 B-5 4";
const char *const soloB = "C-6 4 A-5 2 F-5 2 ^A-5 8  B-5 2 D-6 2 G-6 4 ^F-6 4 D-6 4  "
                          "E-6 4 B-5 4 G-5 4 E-5 4  A-5 12 --- 4";
const char *const bellsA = "E-6 8 C-6 8  A-5 16  G-5 8 C-6 8  B-5 16";
const char *const bellsB = "A-5 4 C-6 4 E-6 8  F-6 8 C-6 8  E-6 4 D-6 4 C-6 8  B-5 8 D-6 8";
const char *const farewell = "--- 16  --- 16  E-6 8 C-6 8  B-5 16";

xmwrite::Module compose() {
    xmwrite::Module m;
    m.name = "velun";
    m.channels = CHANNELS;
    m.speed = 6;
    m.bpm = 125;
    m.restart = 0;

    // Levels are set for about -20 LUFS as rendered by openmpt123.
    const double level = MASTER;
    auto add = [&](const char *name, Sample smp, int volume, int panning) {
        Instrument ins = single(name, std::move(smp));
        ins.samples[0].volume = static_cast<uint8_t>(std::lround(volume * level));
        ins.samples[0].panning = static_cast<uint8_t>(panning);
        m.instruments.push_back(std::move(ins));
        return &m.instruments.back();
    };
    add("kick", kick(), 64, 0x80);
    add("snare", snare(), 64, 0x78);
    add("closed hat", hat(0.09, 60.0, 3), 60, 0xB8);
    add("open hat", hat(0.35, 11.0, 4), 52, 0xB8);
    Instrument *b = add("bass", bass(), 64, 0x80);
    b->volumeenvelope.points = {{0, 64}, {8, 50}, {30, 42}};
    b->volumeenvelope.sustain = 2;
    b->fadeout = 1024;
    Instrument *pd = add("pad", pad(), 52, 0x80);
    pd->volumeenvelope.points = {{0, 0}, {8, 64}, {48, 50}};
    pd->volumeenvelope.sustain = 2;
    pd->fadeout = 256;
    Instrument *ld = add("lead", lead(), 52, 0xA0);
    ld->volumeenvelope.points = {{0, 64}, {4, 54}, {24, 44}};
    ld->volumeenvelope.sustain = 2;
    ld->fadeout = 768;
    ld->vibratotype = 0;
    ld->vibratosweep = 48;
    ld->vibratodepth = 6;
    ld->vibratorate = 20;
    add("pluck", pluck(), 58, 0xD8);
    add("crash", crash(), 52, 0x68);
    add("bell", bell(), 50, 0x38);

    const Chord *A[4] = {&Am, &F, &C, &G};
    const Chord *B[4] = {&F, &G, &Em, &Am};
    const Chord *CC[4] = {&Dm, &G, &C, &E};
    // chords, kick, snare, hats, bass, arpeggio, fill, crash, melody, bells, pad volume, fade out
    const Section sections[] = {
        {{A[0], A[1], A[2], A[3]}, 0, 0, 1, 0, 1, false, false, nullptr, nullptr, 40, false},     // 0 intro
        {{A[0], A[1], A[2], A[3]}, 1, 0, 1, 2, 1, true, false, nullptr, nullptr, 38, false},      // 1 pulse
        {{A[0], A[1], A[2], A[3]}, 2, 1, 2, 1, 0, true, true, nullptr, nullptr, 34, false},       // 2 groove
        {{A[0], A[1], A[2], A[3]}, 2, 1, 2, 1, 2, false, false, nullptr, bellsA, 32, false},      // 3
        {{A[0], A[1], A[2], A[3]}, 2, 1, 2, 1, 0, false, true, melodyA, nullptr, 30, false},      // 4 theme
        {{A[0], A[1], A[2], A[3]}, 2, 1, 2, 1, 2, true, false, melodyA2, nullptr, 30, false},     // 5
        {{B[0], B[1], B[2], B[3]}, 2, 1, 2, 1, 0, false, true, melodyB, nullptr, 30, false},      // 6 second
        {{B[0], B[1], B[2], B[3]}, 2, 1, 2, 1, 2, true, false, melodyB2, nullptr, 30, false},     // 7
        {{A[0], A[1], A[2], A[3]}, 0, 0, 0, 2, 0, false, true, nullptr, bellsA, 46, false},       // 8 break
        {{A[0], A[1], A[2], A[3]}, 1, 0, 0, 2, 2, false, false, nullptr, bellsB, 44, false},      // 9
        {{B[0], B[1], B[2], B[3]}, 2, 2, 3, 3, 2, false, false, nullptr, nullptr, 36, false},     // 10 build
        {{A[0], A[1], A[2], A[3]}, 2, 1, 2, 1, 2, false, true, melodyA, nullptr, 30, false},      // 11 return
        {{A[0], A[1], A[2], A[3]}, 2, 1, 2, 1, 2, true, false, melodyA2, bellsA, 30, false},      // 12
        {{CC[0], CC[1], CC[2], CC[3]}, 2, 1, 2, 1, 2, false, true, melodyC, nullptr, 30, false},  // 13 bridge
        {{CC[0], CC[1], CC[2], CC[3]}, 2, 1, 2, 1, 2, true, false, melodyC2, nullptr, 30, false}, // 14
        {{A[0], A[1], A[2], A[3]}, 2, 1, 3, 1, 2, false, true, soloA, nullptr, 30, false},        // 15 solo
        {{B[0], B[1], B[2], B[3]}, 2, 1, 3, 1, 2, true, false, soloB, nullptr, 30, false},        // 16
        {{B[0], B[1], B[2], B[3]}, 2, 1, 2, 1, 0, false, true, melodyB, nullptr, 30, false},   // 17 reprise
        {{B[0], B[1], B[2], B[3]}, 2, 1, 2, 1, 2, false, false, melodyB2, nullptr, 30, false}, // 18
        {{A[0], A[1], A[2], A[3]}, 2, 0, 2, 1, 2, false, false, nullptr, bellsB, 36, true},    // 19 outro
        {{A[0], A[1], A[2], A[3]}, 0, 0, 1, 0, 1, false, false, nullptr, farewell, 40, false}, // 20 to the
                                                                                               // start
    };
    for (const Section &s : sections) m.patterns.push_back(makepattern(s));
    for (size_t i = 0; i < m.patterns.size(); ++i) m.order.push_back(static_cast<uint8_t>(i));
    // The volume column sets a note's volume outright, so the level applies there as well.
    for (xmwrite::Pattern &p : m.patterns)
        for (xmwrite::Cell &c : p.cells)
            if (c.volume >= 0x10 && c.volume <= 0x50)
                c.volume = xmwrite::setvolume(static_cast<int>(std::lround((c.volume - 0x10) * level)));
    return m;
}

} // namespace

bool writemusic(const std::string &path, std::string &error) {
    return xmwrite::save(compose(), path, error);
}

std::string musicsummary() {
    const xmwrite::Module m = compose();
    char buf[120];
    const double seconds = static_cast<double>(m.order.size()) * 64.0 * m.speed * 2.5 / m.bpm;
    snprintf(buf, sizeof buf, "music: %zu patterns in %zu orders, %d channels, %.0f s before it loops",
             m.patterns.size(), m.order.size(), m.channels, seconds);
    return buf;
}

} // namespace mkdata
