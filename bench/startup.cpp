// Start-up from launch to the first intro frame: the whole program run headless until its first shown
// frame, against launching a program that does nothing, in the same run.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

extern char **environ;

namespace {

void launch(benchmark::State &state, const std::string &program, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid;
        if (posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start the program");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the program failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&quiet);
}

void BM_LaunchNothing(benchmark::State &state) {
    launch(state, "/bin/true", {});
}

// Loads every scene and picture, sets up the display and music, and shows the intro's first frame.
void BM_StartupToFirstIntroFrame(benchmark::State &state) {
    const std::string dir = SHOWCASE_BUILD_DIR;
    launch(state, dir + "/showcase-fs", {"--headless", "--data", dir + "/data", "--frames", "1"});
}

} // namespace

BENCHMARK(BM_LaunchNothing)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartupToFirstIntroFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
