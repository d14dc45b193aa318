// "velun", the show's music: an original composition in A minor for ten channels, with every
// instrument synthesised here (drums, bass, pads, lead, plucked arpeggio, crash). 18 patterns of 64 rows
// at 125 BPM make 2 minutes 18 seconds; the last section ends on the dominant and leads back into the
// pad intro, so the loop is seamless.
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

// ---- tonal instruments: looped waveforms with a whole number of cycles in the loop ----

// A band-limited sawtooth of `harmonics` partials, softened towards the top.
double saw(double phase, int harmonics, double softness) {
    double v = 0.0;
    for (int h = 1; h <= harmonics; ++h) v += std::sin(phase * h) / h * std::exp(-softness * h);
    return v * 0.6;
}

Sample bass() {
    // One cycle of a warm saw with a sine below it, 256 samples long, tuned to C-3.
    Sample s;
    const int period = 256;
    const double rate = 130.8127827 * period;
    for (int i = 0; i < period * 8; ++i) {
        const double ph = 2.0 * PI * i / period;
        s.data.push_back(pcm(0.7 * saw(ph, 40, 0.09) + 0.6 * std::sin(ph)));
    }
    s.loop = xmwrite::Loop::Forward;
    s.loopstart = 0;
    s.looplength = static_cast<uint32_t>(period * 8);
    s.tune(rate, 130.8127827);
    return s;
}

Sample pad() {
    // Three saws a little apart (127, 128 and 129 cycles per loop) and an octave above: a slow chorus
    // that repeats once per loop. 128 cycles in the loop make C-4.
    Sample s;
    const int length = 16384;
    const double rate = 261.6255653 * length / 128.0;
    for (int i = 0; i < length; ++i) {
        const double x = 2.0 * PI * i / length;
        double v = saw(x * 127.0, 24, 0.12) + saw(x * 128.0, 24, 0.12) + saw(x * 129.0, 24, 0.12);
        v += 0.5 * saw(x * 256.0 + 1.0, 12, 0.15);
        s.data.push_back(pcm(v * 0.33));
    }
    s.loop = xmwrite::Loop::Forward;
    s.loopstart = 0;
    s.looplength = length;
    s.tune(rate, 261.6255653);
    return s;
}

Sample lead() {
    // A square wave with a touch of saw: odd partials, 128 samples per cycle, looped.
    Sample s;
    const int period = 128;
    const double rate = 261.6255653 * period;
    for (int i = 0; i < period * 16; ++i) {
        const double ph = 2.0 * PI * i / period;
        double v = 0.0;
        for (int h = 1; h <= 31; h += 2) v += std::sin(ph * h) / h * std::exp(-0.06 * h);
        v = v * 0.9 + 0.25 * saw(ph, 30, 0.08);
        s.data.push_back(pcm(v * 0.9));
    }
    s.loop = xmwrite::Loop::Forward;
    s.loopstart = 0;
    s.looplength = period * 16;
    s.tune(rate, 261.6255653);
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

enum : uint8_t { KICK = 1, SNARE, HAT, OPENHAT, BASS, PAD, LEAD, PLUCK, CRASH };
enum Channel {
    CH_KICK,
    CH_SNARE,
    CH_HAT,
    CH_BASS,
    CH_PAD1,
    CH_PAD2,
    CH_PAD3,
    CH_LEAD,
    CH_ARP,
    CH_FX,
    CHANNELS
};

struct Chord {
    const char *root;     // bass note
    const char *notes[3]; // pad voicing
};
const Chord Am{"A-2", {"A-3", "C-4", "E-4"}}, F{"F-2", {"A-3", "C-4", "F-4"}},
    C{"C-3", {"G-3", "C-4", "E-4"}}, G{"G-2", {"G-3", "B-3", "D-4"}}, Em{"E-2", {"G-3", "B-3", "E-4"}},
    Dm{"D-3", {"A-3", "D-4", "F-4"}}, E{"E-2", {"G#3", "B-3", "E-4"}};

struct Section {
    const Chord *chords[4];
    bool drums, halfdrums, bass, arp, fill, crash;
    const char *melody; // "note rows" pairs; "---" is a rest (key off); null for none
    int padvolume;
};

uint8_t note(const char *name) {
    const uint8_t n = xmwrite::notenumber(name);
    if (!n) fprintf(stderr, "mkdata: music: bad note %s\n", name);
    return n;
}
uint8_t up(uint8_t n, int semis) {
    return static_cast<uint8_t>(n + semis);
}

xmwrite::Pattern makepattern(const Section &s) {
    xmwrite::Pattern p(64, CHANNELS);
    for (int bar = 0; bar < 4; ++bar) {
        const Chord &ch = *s.chords[bar];
        const int r0 = bar * 16;
        for (int i = 0; i < 3; ++i)
            p.at(r0, CH_PAD1 + i) = {note(ch.notes[i]), PAD, xmwrite::setvolume(s.padvolume * 4 / 3), 0, 0};
        for (int r = 0; r < 16; ++r) {
            const int row = r0 + r;
            const bool lastbar = bar == 3;
            if (s.drums) {
                if (r % 4 == 0 && !(s.fill && lastbar && r >= 8))
                    p.at(row, CH_KICK) = {note("C-4"), KICK, 0, 0, 0};
                if (!s.halfdrums) {
                    if (r == 4 || r == 12)
                        p.at(row, CH_SNARE) = {note("C-4"), SNARE, xmwrite::setvolume(64), 0, 0};
                    if (r % 2 == 0)
                        p.at(row, CH_HAT) = {note("C-4"), r % 4 == 2 ? OPENHAT : HAT,
                                             xmwrite::setvolume(r % 4 == 2 ? 40 : 30), 0, 0};
                    else if (r % 4 == 3)
                        p.at(row, CH_HAT) = {note("C-4"), HAT, xmwrite::setvolume(16), 0, 0};
                } else if (r % 4 == 2) {
                    p.at(row, CH_HAT) = {note("C-4"), HAT, xmwrite::setvolume(24), 0, 0};
                }
            }
            if (s.fill && lastbar && r >= 8) // a snare roll rising into the next section
                p.at(row, CH_SNARE) = {note("C-4"), SNARE, xmwrite::setvolume(32 + (r - 8) * 4), 0, 0};
            if (s.bass && r % 2 == 0) {
                const uint8_t root = note(ch.root);
                p.at(row, CH_BASS) = {r % 4 == 2 ? up(root, 12) : root, BASS,
                                      xmwrite::setvolume(r % 4 == 0 ? 64 : 52), 0, 0};
            }
            if (s.arp) {
                static const int order[8] = {0, 1, 2, 3, 2, 1, 3, 1};
                const int k = order[r % 8];
                uint8_t n = k == 3 ? up(note(ch.notes[0]), 12) : note(ch.notes[k]);
                p.at(row, CH_ARP) = {up(n, 12), PLUCK, xmwrite::setvolume(r % 4 == 0 ? 40 : 27), 0, 0};
            }
        }
    }
    if (s.crash) p.at(0, CH_FX) = {note("C-4"), CRASH, xmwrite::setvolume(48), 0, 0};
    if (s.melody) {
        int row = 0;
        const char *m = s.melody;
        char name[4] = {};
        int len = 0, used = 0;
        while (row < 64 && sscanf(m, " %3s %d%n", name, &len, &used) == 2) {
            m += used;
            if (std::string(name) == "---")
                p.at(row, CH_LEAD) = {xmwrite::NOTE_OFF, 0, 0, 0, 0};
            else
                p.at(row, CH_LEAD) = {note(name), LEAD, xmwrite::setvolume(56), 0, 0};
            row += len;
        }
    }
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

xmwrite::Module compose() {
    xmwrite::Module m;
    m.name = "velun";
    m.channels = CHANNELS;
    m.speed = 6;
    m.bpm = 125;
    m.restart = 0;

    m.instruments.push_back(single("kick", kick()));
    Instrument sn = single("snare", snare());
    sn.samples[0].volume = 64;
    m.instruments.push_back(sn);
    Instrument h = single("closed hat", hat(0.09, 60.0, 3));
    h.samples[0].volume = 60;
    m.instruments.push_back(h);
    Instrument oh = single("open hat", hat(0.35, 11.0, 4));
    oh.samples[0].volume = 52;
    m.instruments.push_back(oh);
    Instrument b = single("bass", bass());
    b.samples[0].volume = 64;
    b.volumeenvelope.points = {{0, 64}, {8, 50}, {30, 42}};
    b.volumeenvelope.sustain = 2;
    b.fadeout = 1024;
    m.instruments.push_back(b);
    Instrument pd = single("pad", pad());
    pd.samples[0].volume = 52;
    pd.volumeenvelope.points = {{0, 0}, {8, 64}, {48, 50}};
    pd.volumeenvelope.sustain = 2;
    pd.fadeout = 256;
    pd.panningenvelope.points = {{0, 24}, {64, 40}, {128, 24}};
    pd.panningenvelope.loopstart = 0;
    pd.panningenvelope.loopend = 2;
    m.instruments.push_back(pd);
    Instrument ld = single("lead", lead());
    ld.samples[0].volume = 52;
    ld.volumeenvelope.points = {{0, 64}, {4, 54}, {24, 44}};
    ld.volumeenvelope.sustain = 2;
    ld.fadeout = 768;
    ld.vibratotype = 0;
    ld.vibratosweep = 48;
    ld.vibratodepth = 6;
    ld.vibratorate = 20;
    m.instruments.push_back(ld);
    Instrument pl = single("pluck", pluck());
    pl.samples[0].volume = 58;
    pl.samples[0].panning = 176;
    m.instruments.push_back(pl);
    Instrument cr = single("crash", crash());
    cr.samples[0].volume = 52;
    m.instruments.push_back(cr);

    const Chord *A[4] = {&Am, &F, &C, &G};
    const Chord *B[4] = {&F, &G, &Em, &Am};
    const Chord *CC[4] = {&Dm, &G, &C, &E};
    const Chord *O[4] = {&F, &G, &E, &E};
    // Sections: chords, drums, half-time drums, bass, arpeggio, fill, crash, melody, pad volume.
    const Section sections[] = {
        {{A[0], A[1], A[2], A[3]}, false, false, false, false, false, false, nullptr, 40}, // 0 pads alone
        {{A[0], A[1], A[2], A[3]}, true, true, false, true, false, false, nullptr, 40},  // 1 pulse and pluck
        {{A[0], A[1], A[2], A[3]}, true, false, true, false, true, true, nullptr, 34},   // 2 groove
        {{A[0], A[1], A[2], A[3]}, true, false, true, false, false, true, melodyA, 30},  // 3 theme
        {{A[0], A[1], A[2], A[3]}, true, false, true, true, true, false, melodyA2, 30},  // 4 theme answered
        {{B[0], B[1], B[2], B[3]}, true, false, true, false, false, true, melodyB, 30},  // 5 second theme
        {{B[0], B[1], B[2], B[3]}, true, false, true, true, true, false, melodyB2, 30},  // 6
        {{A[0], A[1], A[2], A[3]}, false, false, false, true, false, true, nullptr, 44}, // 7 break
        {{B[0], B[1], B[2], B[3]}, true, true, true, true, true, false, nullptr, 36},    // 8 build
        {{CC[0], CC[1], CC[2], CC[3]}, true, false, true, true, false, true, melodyC, 30},  // 9 bridge
        {{CC[0], CC[1], CC[2], CC[3]}, true, false, true, true, true, false, melodyC2, 30}, // 10
        {{A[0], A[1], A[2], A[3]}, true, false, true, true, false, true, nullptr, 32}, // 11 groove and pluck
        {{O[0], O[1], O[2], O[3]}, true, true, true, true, false, false, nullptr, 38}, // 12 outro to the
                                                                                       // dominant
    };
    for (const Section &s : sections) m.patterns.push_back(makepattern(s));
    m.order = {0, 1, 2, 3, 4, 5, 6, 7, 8, 3, 4, 5, 6, 9, 10, 11, 2, 12};
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
