// The real program's cost: zolta-frames runs WinMain, its main loop and renderFrame unseen on the
// virtual clock (Mesa's llvmpipe under SDL's offscreen driver, the music mixed in step), here for
// a short and a long run; the difference gives the whole process's CPU time per frame (every
// thread, user and system, from wait4) and the frames per second of its loop, without start-up
// and the start-up static.
//
// ZOLTA_BASELINE_FRAMES=/path/to/another/build/zolta-frames measures that build in the same run,
// interleaved (A, B, A, B ...), and reports how much less CPU a frame takes here: the way to
// compare a change with the commit before it on a shared machine.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int shortRun = 150;  // frames: past start-up and the 1.3 s static
constexpr int longRun = 450;

struct RunCost {
  double cpuSeconds = -1;
  double wallSeconds = 0;
};

// Runs zolta-frames for `frames` frames in the source folder (it plays data/msx/ from there).
RunCost runFrames(const std::string& program, int frames) {
  const std::string out = "/tmp/program_cpu_bench." + std::to_string(getpid());
  const std::string count = std::to_string(frames);
  std::vector<std::string> arguments{program, "--frames", count, "--out", out};
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, ZOLTA_SOURCE_DIR);
  RunCost cost;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0)
      cost.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  }
  cost.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  std::system(("rm -rf " + out).c_str());
  return cost;
}

// CPU seconds and wall seconds of one frame, from a short and a long run.
bool frameCost(const std::string& program, double* cpu, double* wall) {
  const RunCost shortCost = runFrames(program, shortRun), longCost = runFrames(program, longRun);
  if (shortCost.cpuSeconds < 0 || longCost.cpuSeconds < 0) return false;
  *cpu = (longCost.cpuSeconds - shortCost.cpuSeconds) / (longRun - shortRun);
  *wall = (longCost.wallSeconds - shortCost.wallSeconds) / (longRun - shortRun);
  return true;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// zolta-frames of this build, beside the bench/ folder that holds this benchmark.
std::string ownFramesProgram() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "";
  std::string self(path, size_t(length));
  self = self.substr(0, self.rfind('/'));  // build/bench
  return self.substr(0, self.rfind('/')) + "/zolta-frames";
}

void programFrames(benchmark::State& state) {
  const std::string own = ownFramesProgram();
  const char* baseline = std::getenv("ZOLTA_BASELINE_FRAMES");
  std::vector<double> cpu, wall, baselineCpu, baselineWall, saved;
  for (auto _ : state) {
    double frameCpu, frameWall;
    if (!frameCost(own, &frameCpu, &frameWall)) {
      state.SkipWithError("zolta-frames failed");
      return;
    }
    cpu.push_back(frameCpu);
    wall.push_back(frameWall);
    if (baseline && frameCost(baseline, &frameCpu, &frameWall)) {
      baselineCpu.push_back(frameCpu);
      baselineWall.push_back(frameWall);
      saved.push_back(1.0 - cpu.back() / frameCpu);  // this round's pair
    }
  }
  state.counters["cpu_ms_per_frame"] = median(cpu) * 1e3;
  state.counters["fps"] = 1.0 / median(wall);
  if (!baselineCpu.empty()) {
    state.counters["baseline_cpu_ms_per_frame"] = median(baselineCpu) * 1e3;
    state.counters["baseline_fps"] = 1.0 / median(baselineWall);
    state.counters["cpu_saved_percent"] = 100.0 * median(saved);
  }
}
BENCHMARK(programFrames)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
