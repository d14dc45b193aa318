// The XM writer: modules it writes load in libopenmpt without a warning and play what they say.
#include "xmwrite.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <sstream>

namespace {

xmwrite::Module smallmodule() {
    xmwrite::Module m;
    m.name = "test";
    m.channels = 8;
    m.bpm = 125;
    m.speed = 6;
    xmwrite::Instrument square;
    square.name = "square";
    xmwrite::Sample s;
    s.name = "square";
    for (int i = 0; i < 256; ++i) s.data.push_back(static_cast<int16_t>(i < 128 ? 8000 : -8000));
    s.loop = xmwrite::Loop::Forward;
    s.loopstart = 0;
    s.looplength = 256;
    s.tune(44100.0, 44100.0 / 256.0);
    square.samples.push_back(s);
    square.volumeenvelope.points = {{0, 64}, {10, 40}, {40, 0}};
    square.volumeenvelope.sustain = 1;
    square.fadeout = 512;
    m.instruments.push_back(square);
    xmwrite::Pattern p(16, 8);
    p.at(0, 0) = {xmwrite::notenumber("C-4"), 1, xmwrite::setvolume(48), 0, 0};
    p.at(4, 1) = {xmwrite::notenumber("G-4"), 1, 0, 0xC, 32};
    p.at(8, 0) = {xmwrite::NOTE_OFF, 0, 0, 0, 0};
    p.at(15, 7) = {0, 0, 0, 0xF, 3}; // speed change on the last row of the last channel
    m.patterns.push_back(p);
    m.patterns.push_back(xmwrite::Pattern(32, 8));
    m.order = {0, 1, 0};
    return m;
}

TEST(XmWrite, LoadsInLibopenmptWithoutWarningsAndKeepsItsShape) {
    const xmwrite::Module m = smallmodule();
    ASSERT_EQ(xmwrite::validate(m), "");
    const std::vector<uint8_t> bytes = xmwrite::encode(m);
    std::ostringstream log;
    openmpt::module mod(bytes, log);
    EXPECT_EQ(log.str(), "");
    EXPECT_EQ(mod.get_metadata("warnings"), "");
    EXPECT_EQ(mod.get_metadata("type"), "xm");
    EXPECT_EQ(mod.get_num_channels(), 8);
    EXPECT_EQ(mod.get_num_orders(), 3);
    EXPECT_EQ(mod.get_num_patterns(), 2);
    EXPECT_EQ(mod.get_num_instruments(), 1);
    EXPECT_EQ(mod.get_pattern_num_rows(1), 32);
    EXPECT_EQ(mod.get_instrument_names()[0], "square");
    // 16 rows at speed 6, then 32 + 16 rows at speed 3 (the change on row 15 holds from there), at 125 BPM
    // a tick lasts 20 ms.
    EXPECT_NEAR(mod.get_duration_seconds(), (15 * 6 + 1 * 3 + 48 * 3) * 0.02, 0.001);
}

TEST(XmWrite, SampleDataSurvivesDeltaCodingAndPlaysAtThePitchOfItsNote) {
    const xmwrite::Module m = smallmodule();
    openmpt::module mod(xmwrite::encode(m));
    std::vector<float> buf(48000 / 10);
    mod.read(48000, buf.size(), buf.data()); // the first 0.1 s: only the C-4 of channel 0 sounds
    // Count rising zero crossings: a square wave tuned to C-4 crosses 261.6 times a second.
    int crossings = 0;
    for (size_t i = 1; i < buf.size(); ++i) crossings += buf[i - 1] < 0.0f && buf[i] >= 0.0f;
    EXPECT_NEAR(crossings, 26, 2);
    float peak = 0.0f;
    for (float v : buf) peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.01f); // the player mixes eight channels with headroom
}

TEST(XmWrite, LoopsKeepAShortSampleSoundingAndPlainSamplesEnd) {
    // A 100-frame sample lasts about 12 ms at C-4; with its loop (written in bytes for 16-bit data) it
    // must still sound a second later, without it it must have stopped.
    for (xmwrite::Loop loop : {xmwrite::Loop::Forward, xmwrite::Loop::PingPong, xmwrite::Loop::None}) {
        xmwrite::Module m = smallmodule();
        xmwrite::Sample &s = m.instruments[0].samples[0];
        s.data.resize(100);
        for (size_t i = 0; i < 100; ++i) s.data[i] = static_cast<int16_t>(i % 50 < 25 ? 9000 : -9000);
        s.loop = loop;
        s.loopstart = 50;
        s.looplength = 50;
        m.instruments[0].volumeenvelope = {};
        ASSERT_EQ(xmwrite::validate(m), "");
        openmpt::module mod(xmwrite::encode(m));
        std::vector<float> buf(48000 + 4800);
        mod.read(48000, buf.size(), buf.data());
        float late = 0.0f;
        int crossings = 0; // the loop holds one period of a square wave: it must keep swinging
        for (size_t i = 48000; i < buf.size(); ++i) {
            late = std::max(late, std::fabs(buf[i]));
            crossings += (buf[i - 1] < 0.0f) != (buf[i] < 0.0f);
        }
        if (loop == xmwrite::Loop::None) {
            EXPECT_EQ(late, 0.0f);
        } else {
            EXPECT_GT(late, 0.005f) << static_cast<int>(loop);
            EXPECT_GT(crossings, 20) << static_cast<int>(loop);
        }
    }
}

TEST(XmWrite, NoteNamesAndTuning) {
    EXPECT_EQ(xmwrite::notenumber("C-0"), 1);
    EXPECT_EQ(xmwrite::notenumber("C-4"), 49);
    EXPECT_EQ(xmwrite::notenumber("A#5"), 71);
    EXPECT_EQ(xmwrite::notenumber("B-7"), 96);
    EXPECT_EQ(xmwrite::notenumber("H-4"), 0);
    EXPECT_EQ(xmwrite::notenumber("C-8"), 0);
    xmwrite::Sample s;
    s.tune(8363.0, 261.6255653); // a C-4 recorded at 8363 Hz needs no correction
    EXPECT_EQ(s.relativenote, 0);
    EXPECT_EQ(s.finetune, 0);
    s.tune(8363.0 * 4.0, 261.6255653 / 2.0); // three octaves up in rate, one down in pitch
    EXPECT_EQ(s.relativenote, 36);
    EXPECT_EQ(s.finetune, 0);
}

TEST(XmWrite, RefusesWhatTheFormatCannotHold) {
    xmwrite::Module m = smallmodule();
    m.channels = 7;
    EXPECT_NE(xmwrite::validate(m).find("7 channels"), std::string::npos);
    m = smallmodule();
    m.order.push_back(5);
    EXPECT_NE(xmwrite::validate(m).find("pattern 5"), std::string::npos);
    m = smallmodule();
    m.instruments[0].samples[0].looplength = 300;
    EXPECT_NE(xmwrite::validate(m).find("loop"), std::string::npos);
    m = smallmodule();
    m.patterns[0].at(0, 0).instrument = 2;
    EXPECT_NE(xmwrite::validate(m), "");
    std::string error;
    EXPECT_FALSE(xmwrite::save(smallmodule(), "/nonexistent-dir/x.xm", error));
    EXPECT_NE(error.find("/nonexistent-dir/x.xm"), std::string::npos);
}

} // namespace
