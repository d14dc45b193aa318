#include "xmwrite.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace xmwrite {

namespace {

class Writer {
  public:
    std::vector<uint8_t> bytes;
    void u8(unsigned v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void u16(unsigned v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    // A fixed-width text field, padded with zeros (FastTracker 2 pads names with spaces or zeros alike).
    void text(const std::string &s, size_t width) {
        for (size_t i = 0; i < width; ++i) u8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
    }
    void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
    void put16at(size_t at, unsigned v) {
        bytes[at] = static_cast<uint8_t>(v & 0xFF);
        bytes[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }
};

std::string checkenvelope(const Envelope &e, const char *what, size_t instrument) {
    char buf[160];
    if (e.points.size() > 12) {
        snprintf(buf, sizeof buf, "instrument %zu: %s envelope has %zu points (at most 12)", instrument + 1,
                 what, e.points.size());
        return buf;
    }
    for (size_t i = 0; i < e.points.size(); ++i) {
        if (e.points[i].value > 64 || (i > 0 && e.points[i].tick <= e.points[i - 1].tick)) {
            snprintf(buf, sizeof buf, "instrument %zu: %s envelope point %zu is out of order or above 64",
                     instrument + 1, what, i);
            return buf;
        }
    }
    const int n = static_cast<int>(e.points.size());
    if (e.sustain >= n || e.loopstart >= n || e.loopend >= n || (e.loopstart >= 0) != (e.loopend >= 0) ||
        e.loopstart > e.loopend) {
        snprintf(buf, sizeof buf, "instrument %zu: %s envelope sustain or loop point is outside its points",
                 instrument + 1, what);
        return buf;
    }
    return {};
}

void writeenvelope(Writer &w, const Envelope &e) {
    for (size_t i = 0; i < 12; ++i) {
        w.u16(i < e.points.size() ? e.points[i].tick : 0);
        w.u16(i < e.points.size() ? e.points[i].value : 0);
    }
}

uint8_t envelopetype(const Envelope &e) {
    if (e.points.empty()) return 0;
    return static_cast<uint8_t>(1 | (e.sustain >= 0 ? 2 : 0) | (e.loopstart >= 0 ? 4 : 0));
}

void writecell(Writer &w, const Cell &c) {
    // Packed form: a flag byte with bit 7 set says which of the five fields follow.
    const uint8_t mask = static_cast<uint8_t>((c.note ? 1 : 0) | (c.instrument ? 2 : 0) | (c.volume ? 4 : 0) |
                                              (c.effect ? 8 : 0) | (c.param ? 16 : 0));
    w.u8(0x80 | mask);
    if (c.note) w.u8(c.note);
    if (c.instrument) w.u8(c.instrument);
    if (c.volume) w.u8(c.volume);
    if (c.effect) w.u8(c.effect);
    if (c.param) w.u8(c.param);
}

} // namespace

uint8_t notenumber(const char *name) {
    static const char *const names[12] = {"C-", "C#", "D-", "D#", "E-", "F-",
                                          "F#", "G-", "G#", "A-", "A#", "B-"};
    if (!name || strlen(name) != 3 || name[2] < '0' || name[2] > '7') return 0;
    for (int i = 0; i < 12; ++i) {
        if (name[0] == names[i][0] && name[1] == names[i][1])
            return static_cast<uint8_t>(1 + i + 12 * (name[2] - '0'));
    }
    return 0;
}

void Sample::tune(double samplerate, double basefrequency) {
    // C-4 with no relative note and no finetune plays the sample at 8363 Hz.
    const double semis = 12.0 * std::log2((samplerate / basefrequency) * 261.6255653 / 8363.0);
    int steps = static_cast<int>(std::lround(semis * 128.0));
    int rel = steps >= 0 ? (steps + 64) / 128 : -((-steps + 63) / 128);
    int fine = steps - rel * 128;
    if (rel > 127) rel = 127;
    if (rel < -128) rel = -128;
    relativenote = static_cast<int8_t>(rel);
    finetune = static_cast<int8_t>(fine < -128 ? -128 : fine > 127 ? 127 : fine);
}

std::string validate(const Module &m) {
    char buf[200];
    if (m.channels < 2 || m.channels > 32 || m.channels % 2) {
        snprintf(buf, sizeof buf, "%d channels: a module needs an even number from 2 to 32", m.channels);
        return buf;
    }
    if (m.speed < 1 || m.speed > 31) return "speed must be 1 to 31 ticks per row";
    if (m.bpm < 32 || m.bpm > 255) return "tempo must be 32 to 255 BPM";
    if (m.order.empty() || m.order.size() > 256) return "the order list needs 1 to 256 entries";
    if (m.restart < 0 || static_cast<size_t>(m.restart) >= m.order.size())
        return "the restart position lies outside the order list";
    if (m.patterns.empty() || m.patterns.size() > 256) return "a module needs 1 to 256 patterns";
    if (m.instruments.size() > 128) return "a module holds at most 128 instruments";
    for (size_t i = 0; i < m.order.size(); ++i) {
        if (m.order[i] >= m.patterns.size()) {
            snprintf(buf, sizeof buf, "order position %zu names pattern %u, which does not exist", i,
                     m.order[i]);
            return buf;
        }
    }
    for (size_t p = 0; p < m.patterns.size(); ++p) {
        const Pattern &pat = m.patterns[p];
        if (pat.rows < 1 || pat.rows > 256 || pat.channels != m.channels ||
            pat.cells.size() != static_cast<size_t>(pat.rows * pat.channels)) {
            snprintf(buf, sizeof buf, "pattern %zu: needs 1 to 256 rows of %d channels", p, m.channels);
            return buf;
        }
        for (const Cell &c : pat.cells) {
            if (c.note > NOTE_OFF || c.instrument > m.instruments.size()) {
                snprintf(buf, sizeof buf, "pattern %zu: a cell names a note above 97 or a missing instrument",
                         p);
                return buf;
            }
        }
    }
    for (size_t i = 0; i < m.instruments.size(); ++i) {
        const Instrument &ins = m.instruments[i];
        if (ins.samples.size() > 16) {
            snprintf(buf, sizeof buf, "instrument %zu has %zu samples (at most 16)", i + 1,
                     ins.samples.size());
            return buf;
        }
        for (uint8_t k : ins.keymap) {
            if (!ins.samples.empty() && k >= ins.samples.size()) {
                snprintf(buf, sizeof buf, "instrument %zu: the key map names a missing sample", i + 1);
                return buf;
            }
        }
        for (const char *what : {"volume", "panning"}) {
            std::string e = checkenvelope(what[0] == 'v' ? ins.volumeenvelope : ins.panningenvelope, what, i);
            if (!e.empty()) return e;
        }
        if (ins.fadeout > 0xFFF) {
            snprintf(buf, sizeof buf, "instrument %zu: fadeout above 4095", i + 1);
            return buf;
        }
        for (size_t s = 0; s < ins.samples.size(); ++s) {
            const Sample &smp = ins.samples[s];
            if (smp.data.size() > 0x3FFFFFFF || smp.volume > 64) {
                snprintf(buf, sizeof buf, "instrument %zu sample %zu: too long or volume above 64", i + 1,
                         s + 1);
                return buf;
            }
            if (smp.loop != Loop::None &&
                (smp.looplength == 0 ||
                 smp.loopstart + static_cast<uint64_t>(smp.looplength) > smp.data.size())) {
                snprintf(buf, sizeof buf, "instrument %zu sample %zu: the loop lies outside the sample",
                         i + 1, s + 1);
                return buf;
            }
        }
    }
    return {};
}

std::vector<uint8_t> encode(const Module &m) {
    Writer w;
    w.text("Extended Module: ", 17);
    w.text(m.name, 20);
    w.u8(0x1A);
    w.text("showcase xmwrite", 20);
    w.u16(0x0104);
    w.u32(276); // header size, counted from this field: 20 bytes of fields and the 256-byte order table
    w.u16(static_cast<unsigned>(m.order.size()));
    w.u16(static_cast<unsigned>(m.restart));
    w.u16(static_cast<unsigned>(m.channels));
    w.u16(static_cast<unsigned>(m.patterns.size()));
    w.u16(static_cast<unsigned>(m.instruments.size()));
    w.u16(m.linearfrequencies ? 1 : 0);
    w.u16(static_cast<unsigned>(m.speed));
    w.u16(static_cast<unsigned>(m.bpm));
    for (size_t i = 0; i < 256; ++i) w.u8(i < m.order.size() ? m.order[i] : 0);

    for (const Pattern &p : m.patterns) {
        w.u32(9); // pattern header length
        w.u8(0);  // packing type
        w.u16(static_cast<unsigned>(p.rows));
        const size_t sizeat = w.bytes.size();
        w.u16(0);
        const size_t start = w.bytes.size();
        for (const Cell &c : p.cells) writecell(w, c);
        w.put16at(sizeat, static_cast<unsigned>(w.bytes.size() - start));
    }

    for (const Instrument &ins : m.instruments) {
        if (ins.samples.empty()) {
            w.u32(29);
            w.text(ins.name, 22);
            w.u8(0);
            w.u16(0);
            continue;
        }
        w.u32(263);
        w.text(ins.name, 22);
        w.u8(0);
        w.u16(static_cast<unsigned>(ins.samples.size()));
        w.u32(40); // sample header size
        for (uint8_t k : ins.keymap) w.u8(k);
        writeenvelope(w, ins.volumeenvelope);
        writeenvelope(w, ins.panningenvelope);
        w.u8(static_cast<unsigned>(ins.volumeenvelope.points.size()));
        w.u8(static_cast<unsigned>(ins.panningenvelope.points.size()));
        for (const Envelope *e : {&ins.volumeenvelope, &ins.panningenvelope}) {
            w.u8(e->sustain >= 0 ? static_cast<unsigned>(e->sustain) : 0);
            w.u8(e->loopstart >= 0 ? static_cast<unsigned>(e->loopstart) : 0);
            w.u8(e->loopend >= 0 ? static_cast<unsigned>(e->loopend) : 0);
        }
        w.u8(envelopetype(ins.volumeenvelope));
        w.u8(envelopetype(ins.panningenvelope));
        w.u8(ins.vibratotype);
        w.u8(ins.vibratosweep);
        w.u8(ins.vibratodepth);
        w.u8(ins.vibratorate);
        w.u16(ins.fadeout);
        w.zeros(22);
        for (const Sample &s : ins.samples) {
            const uint32_t loopstart = s.loop == Loop::None ? 0 : s.loopstart;
            const uint32_t looplength = s.loop == Loop::None ? 0 : s.looplength;
            w.u32(static_cast<uint32_t>(s.data.size() * 2)); // lengths in bytes: 16-bit data
            w.u32(loopstart * 2);
            w.u32(looplength * 2);
            w.u8(s.volume);
            w.u8(static_cast<uint8_t>(s.finetune));
            w.u8(static_cast<unsigned>(s.loop) | 0x10);
            w.u8(s.panning);
            w.u8(static_cast<uint8_t>(s.relativenote));
            w.u8(0); // delta-coded data
            w.text(s.name, 22);
        }
        for (const Sample &s : ins.samples) {
            int16_t previous = 0;
            for (int16_t v : s.data) {
                const uint16_t delta =
                    static_cast<uint16_t>(static_cast<uint16_t>(v) - static_cast<uint16_t>(previous));
                w.u16(delta);
                previous = v;
            }
        }
    }
    return w.bytes;
}

bool save(const Module &module, const std::string &path, std::string &error) {
    std::string problem = validate(module);
    if (!problem.empty()) {
        error = path + ": " + problem;
        return false;
    }
    const std::vector<uint8_t> bytes = encode(module);
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) {
        error = path + ": cannot be opened for writing: " + strerror(errno);
        return false;
    }
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (fclose(f) != 0 || !ok) {
        error = path + ": could not be written completely";
        return false;
    }
    return true;
}

} // namespace xmwrite
