// Capture speed: frames a second written to a PNG folder and to a video through ffmpeg, against the
// previous writer of the same run (every frame compressed at zlib level 3 with all five filters tried, on
// the show's own thread). The show keeps 60 frames a second; a capture at or above that never holds it back.
// Frames: the data tree's menu background and credits picture, moved a little every frame so that no two
// frames are the same (a synthetic picture where the data tree is missing).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "image/image.h"
#include "platform/capture.h"

namespace fs = std::filesystem;

namespace {

constexpr int FRAMES = 120;

struct Clip {
    int width, height;
    std::vector<std::vector<uint32_t>> frames;
};

Clip makeclip(int width, int height, const char *picture) {
    std::vector<uint32_t> pic(size_t(width) * height);
    const std::string path = std::string(SHOWCASE_BUILD_DIR) + "/data/gfx/" + picture;
    if (!readjpg(path.c_str(), reinterpret_cast<unsigned char *>(pic.data()), pic.size() * 4)) {
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                pic[size_t(y) * width + x] = uint32_t((x * 7) ^ (y * 13)) * 0x010101u & 0x00FFFFFFu;
    }
    Clip c{width, height, {}};
    for (int f = 0; f < 16; f++) {
        std::vector<uint32_t> frame(pic.size());
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                frame[size_t(y) * width + x] = pic[size_t((y + f) % height) * width + (x + 3 * f) % width];
        c.frames.push_back(std::move(frame));
    }
    return c;
}

const Clip &clip(int width) {
    static const Clip low = makeclip(320, 240, "menubgd.jpg");
    static const Clip high = makeclip(640, 480, "credits.jpg");
    return width == 320 ? low : high;
}

std::string scratch() {
    const fs::path d = fs::temp_directory_path() / "showcase-bench-capture";
    fs::remove_all(d);
    fs::create_directories(d);
    return d.string();
}

// The previous capture: every frame a PNG at level 3, all filters, on the calling thread.
void BM_PngFolderPrevious(benchmark::State &state) {
    const Clip &c = clip(int(state.range(0)));
    const std::string dir = scratch();
    for (auto _ : state) {
        for (int f = 0; f < FRAMES; f++) {
            char name[32];
            std::snprintf(name, sizeof name, "/frame-%06d.png", f);
            writepng(dir + name, c.frames[f % c.frames.size()].data(), c.width, c.height, 3);
        }
    }
    state.SetItemsProcessed(state.iterations() * FRAMES);
    state.counters["frames_per_second"] =
        benchmark::Counter(double(state.iterations() * FRAMES), benchmark::Counter::kIsRate);
}

void capturerun(benchmark::State &state, const std::string &dest) {
    const Clip &c = clip(int(state.range(0)));
    static float silence[2 * 800] = {};
    for (auto _ : state) {
        if (!capture_start(dest)) {
            state.SkipWithError("cannot start the capture");
            return;
        }
        for (int f = 0; f < FRAMES; f++) {
            capture_frame(c.frames[f % c.frames.size()].data(), c.width, c.height);
            capture_audio(silence, 800);
        }
        if (!capture_finish()) state.SkipWithError("the capture failed");
    }
    state.SetItemsProcessed(state.iterations() * FRAMES);
    state.counters["frames_per_second"] =
        benchmark::Counter(double(state.iterations() * FRAMES), benchmark::Counter::kIsRate);
}

// The capture as it is now: level 1, the Up filter and run-length matching, compressed on worker threads.
void BM_PngFolderCapture(benchmark::State &state) {
    capturerun(state, scratch() + "/frames");
}

void BM_VideoCaptureMp4(benchmark::State &state) {
    if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) {
        state.SkipWithError("ffmpeg is not installed");
        return;
    }
    capturerun(state, scratch() + "/show.mp4");
}

// The frame checksum of a ".sums" capture, taken every frame, against the byte-by-byte FNV-1a it replaced.
uint32_t framesumbytewise(const uint32_t *pixels, int width, int height) {
    uint32_t h = 2166136261u;
    auto byte = [&h](uint8_t b) { h = (h ^ b) * 16777619u; };
    for (int v : {width, height})
        for (int k = 0; k < 4; k++) byte(uint8_t(unsigned(v) >> (8 * k)));
    for (size_t i = 0, n = size_t(width) * height; i < n; i++) {
        byte(uint8_t(pixels[i] >> 16));
        byte(uint8_t(pixels[i] >> 8));
        byte(uint8_t(pixels[i]));
    }
    return h;
}

template <uint32_t (*SUM)(const uint32_t *, int, int)> void BM_FrameSum(benchmark::State &state) {
    const Clip c = makeclip(640, 480, "credits.jpg");
    size_t f = 0;
    for (auto _ : state) benchmark::DoNotOptimize(SUM(c.frames[f++ % c.frames.size()].data(), 640, 480));
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_FrameSum<framesumbytewise>)
    ->Name("BM_FrameSumBytewisePrevious_640x480")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameSum<framesum>)->Name("BM_FrameSum_640x480")->Unit(benchmark::kMicrosecond);

// Wall-clock time: the work is spread over threads and ffmpeg's process.
BENCHMARK(BM_PngFolderPrevious)
    ->Arg(320)
    ->Arg(640)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_PngFolderCapture)
    ->Arg(320)
    ->Arg(640)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_VideoCaptureMp4)
    ->Arg(320)
    ->Arg(640)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
