// The generator's own building blocks: its BMP writer read back by the show's reader (the JPEG writer is
// read back with every picture of the tree), errors that name the file, seamless texture maps, text widths,
// and the XM writer, whose modules load in libopenmpt without a warning and play what they say.
#include "image/image.h"
#include "makers.h"
#include "text.h"
#include "xmwrite.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(Writers, BmpOfEveryRowPaddingReadsBackThroughTheShowsReader) {
    // Widths 1 to 4 need 3, 2, 1 and 0 bytes of padding per row; rows are stored bottom-up.
    for (int w = 1; w <= 4; ++w) {
        const int h = 3;
        mkdata::Image img(w, h);
        std::vector<unsigned char> expected;
        for (int i = 0; i < w * h; ++i) {
            const auto r = static_cast<unsigned char>(i * 40), g = static_cast<unsigned char>(i * 70),
                       b = static_cast<unsigned char>(i * 25);
            img.px[static_cast<size_t>(i)] = {r / 255.0f, g / 255.0f, b / 255.0f};
            expected.insert(expected.end(), {b, g, r, 0});
        }
        expected.push_back(0xEE); // nothing written past the picture
        const std::string path =
            std::string(SHOWCASE_BUILD_DIR) + "/tests/mkdata/pad.bmp-" + std::to_string(getpid());
        std::string error;
        ASSERT_TRUE(mkdata::writebmp24(img, path, error)) << error;
        std::vector<unsigned char> dest(expected.size(), 0xEE);
        readbmp32(path.c_str(), 0, 0, dest.data(), dest.size() - 1);
        EXPECT_EQ(dest, expected) << w << " x " << h;
        std::remove(path.c_str());
    }
}

TEST(Writers, TextureMapsAreSeamlessWhereTheyRepeat) {
    // The scenes repeat these maps across their surfaces: the last column must run on into the first
    // (and the last row into the first) about as smoothly as any two neighbouring columns do.
    for (const mkdata::TextureMap &t : mkdata::texturemaps()) {
        const std::string name = t.file;
        if (name.rfind("lbl", 0) == 0 || name.rfind("door", 0) == 0 || name == "sky.jpg" ||
            name == "gold.jpg")
            continue; // pictures placed once, not repeated
        const mkdata::Image img = t.make();
        ASSERT_EQ(img.w, 256);
        ASSERT_EQ(img.h, 256);
        // Difference between column (or row) a and b.
        auto lines = [&](bool rows, int a, int b) {
            double d = 0.0;
            for (int i = 0; i < 256; ++i) {
                const mkdata::Rgb p = rows ? img.at(i, a) - img.at(i, b) : img.at(a, i) - img.at(b, i);
                d += std::fabs(p.r) + std::fabs(p.g) + std::fabs(p.b);
            }
            return d;
        };
        // Designed edges (tiles, planks, plates) appear inside the map too: the seam may be as sharp as the
        // sharpest of them, no sharper.
        for (bool rows : {false, true}) {
            double sharpest = 0.0;
            for (int k = 0; k < 255; ++k) sharpest = std::max(sharpest, lines(rows, k, k + 1));
            EXPECT_LE(lines(rows, 255, 0), sharpest * 1.1 + 1.0) << name << (rows ? " rows" : " columns");
        }
    }
}

TEST(Writers, TextIsWiderAtALargerSize) {
    std::string error;
    ASSERT_TRUE(mkdata::checkfonts(error)) << error;
    EXPECT_GT(mkdata::textwidth(mkdata::Font::Sans, 20.0f, "GALLERY"),
              mkdata::textwidth(mkdata::Font::Sans, 10.0f, "GALLERY"));
}

xmwrite::Module smallmodule() {
    xmwrite::Module m;
    m.channels = 8;
    m.bpm = 125;
    m.speed = 6;
    m.order = {0, 1, 0};
    xmwrite::Sample s;
    for (int i = 0; i < 256; ++i) s.data.push_back(static_cast<int16_t>(i < 128 ? 8000 : -8000));
    s.loop = xmwrite::Loop::Forward;
    s.looplength = 256;
    s.tune(44100.0, 44100.0 / 256.0);
    xmwrite::Instrument &square = m.instruments.emplace_back();
    square.samples = {s};
    square.volumeenvelope.points = {{0, 64}, {10, 40}, {40, 0}};
    square.volumeenvelope.sustain = 1;
    square.fadeout = 512;
    xmwrite::Pattern p(16, 8);
    p.at(0, 0) = {xmwrite::notenumber("C-4"), 1, xmwrite::setvolume(48), 0, 0};
    p.at(4, 1) = {xmwrite::notenumber("G-4"), 1, 0, 0xC, 32};
    p.at(8, 0) = {xmwrite::NOTE_OFF, 0, 0, 0, 0};
    p.at(15, 7) = {0, 0, 0, 0xF, 3}; // speed change on the last row of the last channel
    m.patterns = {p, xmwrite::Pattern(32, 8)};
    return m;
}

// A module as libopenmpt plays it at 48 kHz in mono from second from to second to: its rising zero crossings
// and its peak.
std::pair<int, float> heard(const xmwrite::Module &m, double from, double to) {
    openmpt::module mod(xmwrite::encode(m));
    std::vector<float> buf(static_cast<size_t>(to * 48000));
    mod.read(48000, buf.size(), buf.data());
    int crossings = 0;
    float peak = 0.0f;
    for (size_t i = static_cast<size_t>(from * 48000) + 1; i < buf.size(); ++i) {
        crossings += buf[i - 1] < 0.0f && buf[i] >= 0.0f;
        peak = std::max(peak, std::fabs(buf[i]));
    }
    return {crossings, peak};
}

TEST(XmWrite, LoadsInLibopenmptWithoutWarningsKeepsItsShapeAndPlaysItsNotes) {
    const xmwrite::Module m = smallmodule();
    ASSERT_EQ(xmwrite::validate(m), "");
    std::ostringstream log;
    openmpt::module mod(xmwrite::encode(m), log);
    EXPECT_EQ(log.str() + mod.get_metadata("warnings"), "");
    // Channels, orders, patterns, instruments, the second pattern's rows. (That it is read as XM, with its
    // instruments' names, the generated module's test shows.)
    EXPECT_EQ((std::vector{mod.get_num_channels(), mod.get_num_orders(), mod.get_num_patterns(),
                           mod.get_num_instruments(), mod.get_pattern_num_rows(1)}),
              (std::vector{8, 3, 2, 1, 32}));
    // 16 rows at speed 6, then 32 + 16 rows at speed 3 (the change on row 15 holds from there), at 125 BPM
    // a tick lasts 20 ms.
    EXPECT_NEAR(mod.get_duration_seconds(), (15 * 6 + 1 * 3 + 48 * 3) * 0.02, 0.001);

    // The sample data survives delta coding and plays at the pitch of its note, tuned by its relative note
    // and finetune. In the first 0.4 s only the C-4 of channel 0 sounds: a square wave tuned to C-4 rises
    // through zero 261.6 times a second, a semitone higher or lower 6 times more or fewer in 0.4 s.
    const auto [crossings, peak] = heard(m, 0.0, 0.4);
    EXPECT_NEAR(crossings, 105, 2);
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
        // The loop holds one period of a square wave: it must keep swinging.
        const auto [crossings, late] = heard(m, 1.0, 1.1);
        EXPECT_TRUE(loop == xmwrite::Loop::None ? late == 0.0f : late > 0.005f && crossings > 10)
            << static_cast<int>(loop) << ": peak " << late << ", " << crossings << " crossings";
    }
}

TEST(XmWrite, RefusesWhatTheFormatCannotHold) {
    auto refusal = [](const std::function<void(xmwrite::Module &)> &change) {
        xmwrite::Module m = smallmodule();
        change(m);
        return xmwrite::validate(m);
    };
    EXPECT_NE(refusal([](auto &m) { m.channels = 7; }).find("7 channels"), std::string::npos);
    EXPECT_NE(refusal([](auto &m) { m.order.push_back(5); }).find("pattern 5"), std::string::npos);
    EXPECT_NE(refusal([](auto &m) { m.instruments[0].samples[0].looplength = 300; }).find("loop"),
              std::string::npos);
    EXPECT_NE(refusal([](auto &m) { m.patterns[0].at(0, 0).instrument = 2; }), "");
    for (const char *name : {"H-4", "C-8", "C-", "C#10"}) EXPECT_EQ(xmwrite::notenumber(name), 0) << name;
}

TEST(Writers, EveryWriterNamesTheFileItCannotWrite) {
    const mkdata::Image img(8, 8);
    std::string jpeg, bmp, xm;
    EXPECT_FALSE(mkdata::writejpeg(img, "/nonexistent-dir/x.jpg", 90, jpeg));
    EXPECT_FALSE(mkdata::writebmp24(img, "/nonexistent-dir/x.bmp", bmp));
    EXPECT_FALSE(xmwrite::save(smallmodule(), "/nonexistent-dir/x.xm", xm));
    for (const auto &[error, file] : {std::pair{jpeg, "x.jpg"}, {bmp, "x.bmp"}, {xm, "x.xm"}})
        EXPECT_NE(error.find(std::string("/nonexistent-dir/") + file), std::string::npos) << error;
}

} // namespace
