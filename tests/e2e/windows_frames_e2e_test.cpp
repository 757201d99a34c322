// The frame differential: the Linux build's zolta-frames (our Direct3D layer over OpenGL) and
// the Windows build's zolta-frames.exe (Wine's Direct3D 9) render the same frames of the same
// run of the default tunes on the same virtual clock, keys included, and the pictures are
// compared pixel by pixel, region by region. Wine's one known deviation, the lit metaballs
// (README "Against Wine's Direct3D 9"), stays inside the metaballs' region and only darkens;
// everywhere else the two agree. Wine's Direct3D channels report nothing about the program's
// own calls. The frames and a difference picture per frame stay in test-output/.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/screen_layout.h"
#include "tests/support/e2e_run.h"
#include "tests/support/frame_difference.h"
#include "tests/support/shell_xvfb.h"
#include "tests/support/wine_program.h"

namespace {

namespace fs = std::filesystem;

constexpr int runWaitMs = 35 * 60 * 1000;  // 4,880 frames of Wine's software rendering
constexpr int tolerance = 8;               // levels per channel that count as the same
const char* const frameList = "1,200,900,1400,2100,3100,4880";
const char* const keys = "1000:B,2000:B,3000:C";  // next tune twice, then pause
const char* const wineChannels = "warn+d3d9,warn+d3d";
// Mesa rasterising on the calling thread: the same pictures, a third less time on two cores.
const char* const singleThreadedMesa = "LP_NUM_THREADS=0";

constexpr Rectangle none{0, 0, 0, 0};
constexpr Rectangle whole{0, 0, clientWidth, clientHeight};

// The frames compared, each with where the lit metaballs of the second pass lie in it: their
// bounding box, 4 pixels wider (the virtual clock puts them there on every run).
struct ComparedFrame {
  long frame;
  Rectangle metaballs;
};
const std::vector<ComparedFrame> compared = {
    {1, none},                    // under the start-up static
    {200, {266, 204, 119, 127}},  //
    {900, {273, 176, 88, 135}},   //
    {1400, {238, 170, 213, 87}},  //
    {2100, {300, 93, 126, 197}},  //
    {3100, {293, 200, 54, 126}},  //
    {4880, {84, 128, 324, 160}},  //
};

Rectangle rectangleOf(const PixelRect& r) { return {r.x, r.y, r.width, r.height}; }

// A part of the picture, with or without the metaballs in it, and the share of its pixels that
// must agree (0: only reported).
struct Area {
  const char* name;
  Rectangle area;
  bool lessMetaballs;
  double agreeing;
};
const std::vector<Area> areas = {
    {"whole picture", whole, false, 0.0},
    {"outside the metaballs", whole, true, 0.995},
    {"carousel", {262, 85, 268, 165}, true, 0.99},
    {"track label", {545, 110, 92, 75}, true, 0.99},
    {"information text", {330, 258, 310, 44}, true, 0.99},
    {"scroller", {225, 455, 410, 25}, true, 0.99},
    {"title strip", {0, 0, clientWidth, titleStripRows}, true, 0.99},
    {"control buttons",
     {controlButton(0).x, controlButton(0).y, buttonCount* buttonPitch, controlButton(0).height},
     true,
     0.99},
    {"repeat lamp", rectangleOf(repeatLampPicture), true, 0.99},
    {"volume bar", {383, 215, 120, 28}, true, 0.99},
    {"speaker patch", rectangleOf(speakerPatch), true, 0.99},
};

FrameRegion regionOf(const Area& area, const ComparedFrame& frame) {
  return {area.name, area.area, area.lessMetaballs ? frame.metaballs : none};
}

std::string framePath(const std::string& folder, long frame) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%05ld.png", frame);
  return folder + name;
}

// What Wine's Direct3D says of its own doing, not of a call of the program's (README "Against
// Wine's Direct3D 9"): its CreateDevice asking its own swapchain and device for
// IDirect3DBaseTexture9; its default of a render state the program never sets; the first
// LockRect(D3DLOCK_DISCARD) of a dynamic texture missing its client-side allocator, which the
// lock then passes by; and the frames tool's GetRenderTargetData, once per frame saved.
const std::vector<std::string> winesOwn = {
    "QueryInterface {580ca87e-1d3c-4d54-991d-b7d3e3c298ce} not implemented",
    "state_debug_monitor token: 0xbaadcafe",
    "wined3d_device_gl_create_bo Failed to allocate buffer",
    "adapter_gl_alloc_bo Failed to create OpenGL buffer",
    "wined3d_texture_load_location Operation requires 0x2 access, but texture only has 0x1",
};

// Wine's warnings and errors on its Direct3D channels, one per line, but for those of winesOwn.
std::vector<std::string> direct3DComplaints(const std::string& errors) {
  std::vector<std::string> complaints;
  for (const std::string& line : textLines(errors)) {
    const bool direct3D =
        line.find(":d3d") != std::string::npos &&
        (line.find(":warn:") != std::string::npos || line.find(":err:") != std::string::npos);
    bool known = false;
    for (const std::string& own : winesOwn) known = known || line.find(own) != std::string::npos;
    if (direct3D && !known) complaints.push_back(line);
  }
  return complaints;
}

TEST(WindowsFrames, MatchTheLinuxFramesOutsideWinesKnownDeviation) {
  ASSERT_TRUE(fs::exists(windowsBuildFolder() + "/zolta-frames.exe"))
      << "no Windows build: run make windows";
  XvfbServer server{1024, 768};
  ASSERT_TRUE(server.running()) << "Xvfb did not start";
  const std::string folder = makeTemporaryFolder();
  ASSERT_FALSE(folder.empty());
  fs::create_directories(folder + "/data");
  fs::copy(ZOLTA_SOURCE_DIR "/data/msx", folder + "/data/msx");
  const std::string output = fs::absolute("test-output").string();
  const std::string linuxFrames = output + "/windows-frames-linux";
  const std::string windowsFrames = output + "/windows-frames-windows";
  for (const std::string& out : {linuxFrames, windowsFrames}) {
    fs::remove_all(out);
    fs::create_directories(out);
  }

  auto windows = startWindowsExecutable(
      "zolta-frames.exe",
      {"--frames", frameList, "--keys", keys, "--out", windowsPathOf(windowsFrames)}, folder,
      server.display(), {std::string("WINEDEBUG=") + wineChannels, singleThreadedMesa});
  const ProgramRun linuxRun =
      runProgram({ZOLTA_BINARY_DIR "/zolta-frames", "--frames", frameList, "--keys", keys, "--out",
                  linuxFrames},
                 folder, {"ZOLTA_D3D_DEBUG=1", singleThreadedMesa}, {}, runWaitMs);
  EXPECT_EQ(linuxRun.status, 0) << linuxRun.errors;
  EXPECT_EQ(linuxRun.errors, "") << "our Direct3D layer refused a call (ZOLTA_D3D_DEBUG)";
  int status = -1;
  ASSERT_TRUE(windows->waitForExit(runWaitMs, &status)) << "zolta-frames.exe did not end";
  EXPECT_EQ(status, 0) << windows->stderrText();
  EXPECT_EQ(direct3DComplaints(windows->stderrText()), std::vector<std::string>{})
      << "Wine's Direct3D complained (" << wineChannels << ")";
  removeFolder(folder);

  std::printf("pixels within %d levels, %%\n%-22s", tolerance, "region");
  for (const ComparedFrame& frame : compared) std::printf("%8ld", frame.frame);
  std::printf("\n");
  std::vector<Picture> linuxPictures, windowsPictures;
  std::vector<FrameDifference> differences;
  for (const ComparedFrame& frame : compared) {
    linuxPictures.push_back(readPng(framePath(linuxFrames, frame.frame)));
    windowsPictures.push_back(readPng(framePath(windowsFrames, frame.frame)));
  }
  for (size_t i = 0; i < compared.size(); ++i) {
    ASSERT_EQ(linuxPictures[i].width, clientWidth) << "no Linux frame " << compared[i].frame;
    ASSERT_EQ(windowsPictures[i].width, clientWidth) << "no Windows frame " << compared[i].frame;
    differences.emplace_back(linuxPictures[i], windowsPictures[i], tolerance);
    savePicture(differences.back().picture(),
                "windows-frames-difference-" + std::to_string(compared[i].frame));
  }
  const auto printRow = [&](const char* name, auto figure) {
    std::printf("%-22s", name);
    for (size_t i = 0; i < compared.size(); ++i) std::printf("%8.1f", 100.0 * figure(i));
    std::printf("\n");
  };
  for (const Area& area : areas)
    printRow(area.name,
             [&](size_t i) { return differences[i].sameShare(regionOf(area, compared[i])); });
  const auto metaballsOf = [&](size_t i) {
    return FrameRegion{"metaballs", compared[i].metaballs, none};
  };
  printRow("metaballs", [&](size_t i) { return differences[i].sameShare(metaballsOf(i)); });
  printRow("metaballs: darker",
           [&](size_t i) { return differences[i].darkerInBShare(metaballsOf(i)); });
  printRow("metaballs: brightness",
           [&](size_t i) { return differences[i].brightnessOfBInDiffering(metaballsOf(i)); });

  for (size_t i = 0; i < compared.size(); ++i) {
    const FrameDifference& difference = differences[i];
    for (const Area& area : areas)
      EXPECT_GE(difference.sameShare(regionOf(area, compared[i])), area.agreeing)
          << area.name << ", frame " << compared[i].frame << " (test-output/windows-frames-*)";
    // Wine clamps each light's share where the documented rule clamps only the sum, so where
    // the metaballs differ, Wine's are darker; it draws them all the same.
    EXPECT_GE(difference.darkerInBShare(metaballsOf(i)), 0.99) << "frame " << compared[i].frame;
    EXPECT_GE(difference.brightnessOfBInDiffering(metaballsOf(i)), 0.3)
        << "frame " << compared[i].frame << ": Wine's metaballs are missing, not darker";
  }
}

}  // namespace
