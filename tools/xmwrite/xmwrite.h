// A small writer of FastTracker 2 extended modules (.xm): patterns, sampled instruments with envelopes,
// and the song order. Used to make the show's own music and small modules for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xmwrite {

// Notes as FastTracker 2 numbers them: 1 is C-0, 49 is C-4, 96 is B-7; 97 releases the note (key off).
constexpr uint8_t NOTE_C4 = 49;
constexpr uint8_t NOTE_OFF = 97;

// Turns a note name such as "C-4", "F#2" or "A#5" into its number; 0 for anything else.
uint8_t notenumber(const char *name);

// One cell of a pattern. Zero fields are empty. volume is the volume-column byte: 0x10 + v sets the
// volume v (0..64); use setvolume() for that.
struct Cell {
    uint8_t note = 0;
    uint8_t instrument = 0; // 1-based, 0 = none
    uint8_t volume = 0;
    uint8_t effect = 0;
    uint8_t param = 0;
};
constexpr uint8_t setvolume(int v) {
    return static_cast<uint8_t>(0x10 + (v < 0 ? 0 : v > 64 ? 64 : v));
}

struct Pattern {
    int rows = 64;
    int channels = 0;
    std::vector<Cell> cells; // rows x channels, row after row

    Pattern() = default;
    Pattern(int rowcount, int channelcount)
        : rows(rowcount), channels(channelcount),
          cells(static_cast<size_t>(rowcount) * static_cast<size_t>(channelcount)) {}
    Cell &at(int row, int channel) { return cells[static_cast<size_t>(row * channels + channel)]; }
    const Cell &at(int row, int channel) const {
        return cells[static_cast<size_t>(row * channels + channel)];
    }
};

enum class Loop : uint8_t { None = 0, Forward = 1, PingPong = 2 };

// A sample: signed 16-bit mono. Loop points and lengths are in sample frames.
struct Sample {
    std::string name;
    std::vector<int16_t> data;
    Loop loop = Loop::None;
    uint32_t loopstart = 0;
    uint32_t looplength = 0;
    uint8_t volume = 64; // 0..64
    int8_t finetune = 0; // 1/128 semitone
    uint8_t panning = 128;
    int8_t relativenote = 0;

    // Sets relativenote and finetune so that note C-4 plays a sample recorded at samplerate, whose
    // pitch is basefrequency, at the pitch of C-4 (261.63 Hz).
    void tune(double samplerate, double basefrequency);
};

struct EnvelopePoint {
    uint16_t tick;
    uint8_t value; // 0..64
};

struct Envelope {
    std::vector<EnvelopePoint> points; // at most 12, ticks rising; empty = off
    int sustain = -1;                  // point index, -1 = none
    int loopstart = -1, loopend = -1;  // point indices, -1 = no loop
};

struct Instrument {
    std::string name;
    std::vector<Sample> samples; // at most 16
    uint8_t keymap[96] = {};     // sample index per note 1..96 (all 0 = the first sample for every note)
    Envelope volumeenvelope;
    Envelope panningenvelope;
    uint16_t fadeout = 0; // volume fade after key off, 0..0xFFF
    uint8_t vibratotype = 0, vibratosweep = 0, vibratodepth = 0, vibratorate = 0;
};

struct Module {
    std::string name;
    int channels = 8; // 2..32, even (FastTracker 2 plays only even counts)
    int speed = 6;    // ticks per row, 1..31
    int bpm = 125;    // 32..255
    int restart = 0;  // order position the song jumps back to after the last one
    bool linearfrequencies = true;
    std::vector<uint8_t> order; // pattern numbers, 1..256 entries
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments; // at most 128
};

// Checks the module against the format's limits; returns an empty string when it can be written, else
// a sentence naming the first problem.
std::string validate(const Module &module);

// The module as the bytes of an .xm file. The module must be valid (see validate).
std::vector<uint8_t> encode(const Module &module);

// Validates and writes the module to path. On failure returns false and puts a message naming the file
// and the problem into error.
bool save(const Module &module, const std::string &path, std::string &error);

} // namespace xmwrite
