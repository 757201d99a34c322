// Helpers for end-to-end tests (tests/support/e2e_run.h).
#include "tests/support/e2e_run.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "app/screen_layout.h"
#include "tests/support/shell_xvfb.h"

namespace {

constexpr int volumeSegments = 10;
constexpr int litSegmentGrey = 80;  // a lit segment of the volume bar is brighter than this

// Client pixel at the middle of segment s of the slanted volume bar: the bar's texture column
// 10·s + 5 halfway down its quad.
void volumeSegmentCentre(int segment, int* x, int* y) {
  const double u = (10 * segment + 5.5) / 100.0;
  const auto& [topLeft, topRight, bottomRight, bottomLeft] = volumeBarQuad;
  const auto along = [u](const float* from, const float* to, int axis) {
    return (1 - u) * from[axis] + u * to[axis];
  };
  *x = static_cast<int>(
      std::lround(0.5 * along(topLeft, topRight, 0) + 0.5 * along(bottomLeft, bottomRight, 0)));
  *y = static_cast<int>(
      std::lround(0.5 * along(topLeft, topRight, 1) + 0.5 * along(bottomLeft, bottomRight, 1)));
}

std::string readWhole(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

ProgramRun runProgram(const std::vector<std::string>& arguments, const std::string& workingFolder,
                      const std::vector<std::string>& set, const std::vector<std::string>& unset,
                      int timeoutMs) {
  ProgramRun run;
  char outPath[] = "/tmp/zolta-e2e-out-XXXXXX";
  char errPath[] = "/tmp/zolta-e2e-err-XXXXXX";
  const int outFd = mkstemp(outPath);
  const int errFd = mkstemp(errPath);
  if (outFd < 0 || errFd < 0) return run;
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(workingFolder.c_str()) != 0) _exit(127);
    for (const std::string& name : unset) unsetenv(name.c_str());
    for (const std::string& entry : set) {
      const size_t equals = entry.find('=');
      setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
    dup2(outFd, 1);
    dup2(errFd, 2);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(outFd);
  close(errFd);
  if (pid > 0) {
    int raw = 0;
    run.ended = waitUntil([&] { return waitpid(pid, &raw, WNOHANG) == pid; }, timeoutMs);
    if (!run.ended) {
      kill(pid, SIGKILL);
      waitpid(pid, &raw, 0);
    }
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  }
  run.output = readWhole(outPath);
  run.errors = readWhole(errPath);
  std::remove(outPath);
  std::remove(errPath);
  return run;
}

void expectExitStatusZero(ChildProcess& program, int timeoutMs) {
  int status = -1;
  ASSERT_TRUE(program.waitForExit(timeoutMs, &status)) << "the program did not end";
  EXPECT_EQ(status, 0) << "stderr:\n" << program.stderrText();
}

bool saveClientArea(const std::string& display, int left, int top, const std::string& pngPath,
                    int timeoutMs) {
  const std::string crop = "640x480+" + std::to_string(left) + "+" + std::to_string(top);
  const ProgramRun run = runProgram({"/usr/bin/import", "-display", display, "-window", "root",
                                     "-crop", crop, "+repage", pngPath},
                                    "/", {}, {}, timeoutMs);
  EXPECT_EQ(run.status, 0) << "import failed: " << run.errors;
  return run.status == 0;
}

std::string ClientAreaShots::take() {
  constexpr int importTimeoutMs = 10000;
  std::string path = folder + "/shot-" + std::to_string(++taken) + ".png";
  saveClientArea(display, left, top, path, importTimeoutMs);
  return path;
}

int ClientAreaShots::differing(const std::string& a, const std::string& b, Rectangle area) const {
  return differingPixels(a, b, area.x, area.y, area.width, area.height, tolerance);
}

std::string ClientAreaShots::waitForChange(const std::string& reference, Rectangle area,
                                           int minimumPixels, int timeoutMs) {
  std::string shot;
  if (waitUntil([&] { return differing(reference, shot = take(), area) >= minimumPixels; },
                timeoutMs))
    return shot;
  return "";
}

std::string ClientAreaShots::waitForStill(Rectangle area, double drawnGrey, int timeoutMs) {
  std::string previous = take(), still;
  waitUntil(
      [&] {
        const std::string shot = take();
        const bool drawn =
            averageBrightness(shot, area.x, area.y, area.width, area.height) > drawnGrey;
        if (drawn && differing(previous, shot, area) == 0) still = shot;
        previous = shot;
        return !still.empty();
      },
      timeoutMs);
  return still;
}

std::map<std::string, std::string> folderSnapshot(const std::string& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const fs::path path = it->path();
    const std::string name = fs::relative(path, folder, error).string();
    if (fs::is_symlink(it->symlink_status())) {
      entries[name] = "link to " + fs::read_symlink(path, error).string();
    } else if (it->is_regular_file()) {
      const auto stamp = fs::last_write_time(path, error).time_since_epoch().count();
      entries[name] = std::to_string(it->file_size()) + " bytes, written " + std::to_string(stamp);
    } else {
      entries[name] = "folder";
    }
  }
  return entries;
}

std::vector<std::string> textLines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) lines.push_back(line);
  return lines;
}

int distinctColours(const std::string& pngPath, int limit) {
  cairo_surface_t* image = cairo_image_surface_create_from_png(pngPath.c_str());
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(image);
    return 0;
  }
  std::set<unsigned int> colours;
  const int width = cairo_image_surface_get_width(image),
            height = cairo_image_surface_get_height(image);
  const int stride = cairo_image_surface_get_stride(image);
  const unsigned char* pixels = cairo_image_surface_get_data(image);
  for (int y = 0; y < height && static_cast<int>(colours.size()) < limit; ++y)
    for (int x = 0; x < width; ++x)
      colours.insert(*reinterpret_cast<const unsigned int*>(pixels + y * stride + x * 4) &
                     0xFFFFFFu);
  cairo_surface_destroy(image);
  return static_cast<int>(colours.size());
}

int differingPixels(const std::string& pngA, const std::string& pngB, int x, int y, int width,
                    int height, int tolerance) {
  cairo_surface_t* a = cairo_image_surface_create_from_png(pngA.c_str());
  cairo_surface_t* b = cairo_image_surface_create_from_png(pngB.c_str());
  int count = -1;
  const auto fits = [&](cairo_surface_t* image) {
    return cairo_surface_status(image) == CAIRO_STATUS_SUCCESS &&
           cairo_image_surface_get_width(image) >= x + width &&
           cairo_image_surface_get_height(image) >= y + height;
  };
  if (fits(a) && fits(b)) {
    count = 0;
    const int strideA = cairo_image_surface_get_stride(a),
              strideB = cairo_image_surface_get_stride(b);
    const unsigned char* pixelsA = cairo_image_surface_get_data(a);
    const unsigned char* pixelsB = cairo_image_surface_get_data(b);
    for (int row = y; row < y + height; ++row)
      for (int column = x; column < x + width; ++column) {
        const unsigned char* pa = pixelsA + row * strideA + column * 4;
        const unsigned char* pb = pixelsB + row * strideB + column * 4;
        for (int channel = 0; channel < 3; ++channel)
          if (std::abs(pa[channel] - pb[channel]) > tolerance) {
            ++count;
            break;
          }
      }
  }
  cairo_surface_destroy(a);
  cairo_surface_destroy(b);
  return count;
}

double averageBrightness(const std::string& pngPath, int x, int y, int width, int height) {
  cairo_surface_t* image = cairo_image_surface_create_from_png(pngPath.c_str());
  double mean = -1.0;
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS && width > 0 && height > 0 && x >= 0 &&
      y >= 0 && cairo_image_surface_get_width(image) >= x + width &&
      cairo_image_surface_get_height(image) >= y + height) {
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* pixels = cairo_image_surface_get_data(image);
    long sum = 0;
    for (int row = y; row < y + height; ++row)
      for (int column = x; column < x + width; ++column) {
        const unsigned char* pixel = pixels + row * stride + column * 4;
        sum += pixel[0] + pixel[1] + pixel[2];
      }
    mean = sum / (3.0 * width * height);
  }
  cairo_surface_destroy(image);
  return mean;
}

std::vector<int> pixelsPerRow(const std::string& pngPath, int x, int y, int width, int height,
                              ColourRange range) {
  cairo_surface_t* image = cairo_image_surface_create_from_png(pngPath.c_str());
  std::vector<int> counts;
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS && x >= 0 && y >= 0 &&
      cairo_image_surface_get_width(image) >= x + width &&
      cairo_image_surface_get_height(image) >= y + height) {
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* pixels = cairo_image_surface_get_data(image);
    const auto within = [](int value, int low, int high) { return value >= low && value <= high; };
    for (int row = y; row < y + height; ++row) {
      int count = 0;
      for (int column = x; column < x + width; ++column) {
        const unsigned char* pixel =
            pixels + row * stride + column * 4;  // blue, green, red, unused
        if (within(pixel[2], range.lowRed, range.highRed) &&
            within(pixel[1], range.lowGreen, range.highGreen) &&
            within(pixel[0], range.lowBlue, range.highBlue))
          ++count;
      }
      counts.push_back(count);
    }
  }
  cairo_surface_destroy(image);
  return counts;
}

std::vector<double> volumeSegmentBrightness(const std::string& pngPath) {
  std::vector<double> brightness;
  for (int segment = 0; segment < volumeSegments; ++segment) {
    int x, y;
    volumeSegmentCentre(segment, &x, &y);
    brightness.push_back(averageBrightness(pngPath, x - 1, y - 1, 3, 3));
  }
  return brightness;
}

int litVolumeSegments(const std::string& pngPath) {
  int lit = 0;
  for (const double brightness : volumeSegmentBrightness(pngPath))
    if (brightness > litSegmentGrey) ++lit;
  return lit;
}
