// The packed-byte effects against a memcpy of the same buffer in the same run. At the end the program
// prints each effect's time as a ratio of its copy: a saturating add over 640 x 480 should stay within
// 2x of the copy and the merge within 3x.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "effects/effects.h"
#include "effects/packed.h"

namespace {

constexpr size_t LOW = 320 * 240 * 4, HIGH = 640 * 480 * 4;

struct Buffers {
    std::vector<unsigned char> a, b, c, bar;
    Buffers() : a(HIGH), b(HIGH), c(HIGH), bar(100 * 1600 * 4) {
        std::mt19937 gen(1);
        for (auto *v : {&a, &b, &c, &bar})
            for (auto &byte : *v) byte = static_cast<unsigned char>(gen());
        fillfadenrtab();
    }
};

Buffers &buffers() {
    static Buffers b;
    return b;
}

// Other work on the machine disturbs single runs: every benchmark runs five times and the ratios use
// the fastest of them, in processor time (time spent waiting for the processor is not the effect's).
double fastest(const std::vector<double> &v) {
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}
#define SHOWBENCH(...)                                                                                       \
    BENCHMARK(__VA_ARGS__)->Repetitions(5)->DisplayAggregatesOnly(true)->ComputeStatistics("min", fastest)

void copybench(benchmark::State &state, size_t n) {
    auto &bf = buffers();
    for (auto _ : state) {
        std::memcpy(bf.a.data(), bf.b.data(), n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}
void BM_memcpy_320x240(benchmark::State &state) {
    copybench(state, LOW);
}
void BM_memcpy_640x480(benchmark::State &state) {
    copybench(state, HIGH);
}
SHOWBENCH(BM_memcpy_320x240);
SHOWBENCH(BM_memcpy_640x480);

template <auto Fade> void fadeinbench(benchmark::State &state) {
    auto &bf = buffers();
    for (auto _ : state) {
        Fade(bf.a.data(), bf.b.data(), fadenrtab[0x5A], 1);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(LOW));
}
SHOWBENCH(fadeinbench<fadeinpicture>)->Name("BM_fadeinpicture");
SHOWBENCH(fadeinbench<plain::fadeinpicture>)->Name("BM_fadeinpicture_plain");

template <auto Fade> void fadetowhitebench(benchmark::State &state) {
    auto &bf = buffers();
    for (auto _ : state) {
        Fade(bf.a.data(), fadenrtab[3], 1);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(LOW));
}
SHOWBENCH(fadetowhitebench<fadetowhite>)->Name("BM_fadetowhite");
SHOWBENCH(fadetowhitebench<plain::fadetowhite>)->Name("BM_fadetowhite_plain");

// The logo fade's saturating add over a whole 640 x 480 buffer: its four 320 x 240 quarters in turn.
template <auto Fade> void saturatingaddbench(benchmark::State &state) {
    auto &bf = buffers();
    for (auto _ : state) {
        for (size_t q = 0; q < HIGH; q += LOW) Fade(bf.a.data() + q, bf.b.data() + q, fadenrtab[255], 1);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(HIGH));
}
SHOWBENCH(saturatingaddbench<fadeinpicture>)->Name("BM_saturatingadd_640x480");
SHOWBENCH(saturatingaddbench<plain::fadeinpicture>)->Name("BM_saturatingadd_640x480_plain");

template <auto Glow> void hilightbench(benchmark::State &state) {
    auto &bf = buffers();
    int glow = 0;
    for (auto _ : state) {
        Glow(glow, bf.a.data(), bf.bar.data(), 600, 1);
        glow = (glow + 2) & 127;
        benchmark::ClobberMemory();
    }
}
SHOWBENCH(hilightbench<hilightselection>)->Name("BM_hilightselection");
SHOWBENCH(hilightbench<plain::hilightselection>)->Name("BM_hilightselection_plain");

template <auto Blur> void motionblurbench(benchmark::State &state) {
    auto &bf = buffers();
    for (auto _ : state) {
        Blur(bf.a.data(), 0x010101u);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(HIGH));
}
SHOWBENCH(motionblurbench<motionblur>)->Name("BM_motionblur");
SHOWBENCH(motionblurbench<plain::motionblur>)->Name("BM_motionblur_plain");

template <auto Merge> void mergebench(benchmark::State &state) {
    auto &bf = buffers();
    for (auto _ : state) {
        Merge(bf.b.data(), bf.a.data(), bf.c.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(HIGH));
}
SHOWBENCH(mergebench<mergepicandparticles>)->Name("BM_mergepicandparticles");
SHOWBENCH(mergebench<plain::mergepicandparticles>)->Name("BM_mergepicandparticles_plain");

// One frame's trees: up to 2,187 dots of 4 x 4 pixels.
void BM_trees(benchmark::State &state) {
    auto &bf = buffers();
    x[0] = 10.f, x[1] = 40.f, x[2] = 70.f, x[3] = 5.f, x[4] = 20.f, x[5] = 60.f;
    for (int i = 0; i < 3; ++i) {
        sx[i] = std::sin(x[i] * 0.01f) * 6.283f;
        sx[i + 3] = std::sin(x[i + 3] * 0.01f);
    }
    for (auto _ : state) {
        for (int k = 0; k < 3; ++k)
            genfractal(320.0f, 200.0f, sx[k], 80.0f, 6, k + 1, reinterpret_cast<int *>(bf.a.data()));
        benchmark::ClobberMemory();
    }
}
SHOWBENCH(BM_trees);

// One whole frame of the credits or greetings screen without its presentation (no display is open, so
// the blit returns at once): fade, trees, merge. The 60 Hz budget is 16,667 us.
void BM_leavesframe(benchmark::State &state) {
    auto &bf = buffers();
    initleaves();
    int frame = 1;
    for (auto _ : state) {
        play(bf.a.data(), bf.b.data(), bf.c.data(), frame);
        frame = frame % 1000 + 1;
        benchmark::ClobberMemory();
    }
}
SHOWBENCH(BM_leavesframe)->Unit(benchmark::kMicrosecond);

// Remembers every benchmark's time and prints the ratios against the copies at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const auto &r : runs)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "min" && !r.error_occurred)
                times_[r.run_name.function_name] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        struct Ratio {
            const char *effect, *copy;
            double limit;
        };
        const Ratio ratios[] = {
            {"BM_saturatingadd_640x480", "BM_memcpy_640x480", 2.0},
            {"BM_motionblur", "BM_memcpy_640x480", 2.0},
            {"BM_mergepicandparticles", "BM_memcpy_640x480", 3.0},
            {"BM_fadeinpicture", "BM_memcpy_320x240", 2.0},
            {"BM_fadetowhite", "BM_memcpy_320x240", 2.0},
        };
        std::printf("\nfastest of five runs, as a ratio to a memcpy of the same buffer (limit):\n");
        for (const auto &r : ratios) {
            auto e = times_.find(r.effect), c = times_.find(r.copy);
            if (e == times_.end() || c == times_.end() || c->second <= 0) continue;
            const double ratio = e->second / c->second;
            std::printf("  %-28s %5.2fx  (%.0fx) %s\n", r.effect, ratio, r.limit,
                        ratio <= r.limit ? "ok" : "OVER");
        }
    }

  private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
