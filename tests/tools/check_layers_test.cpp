// tools/check-layers.sh on small trees of its own: a tree that keeps the folder graph passes,
// and each kind of forbidden include (Win32's layer by its own name, not as <windows.h>, too)
// is named with its file and line and fails the check.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/shell_xvfb.h"

namespace {

const std::string script = std::string(ZOLTA_SOURCE_DIR) + "/tools/check-layers.sh";

struct CheckResult {
  int status;
  std::string output;  // stdout and stderr together
};

class CheckLayers : public ::testing::Test {
 protected:
  void SetUp() override {
    root = makeTemporaryFolder();
    for (const char* folder :
         {"app", "music", "gfx", "metaballs", "frame", "effects", "support", "platform"})
      std::filesystem::create_directory(root + "/" + folder);
    // A tree that keeps the graph: every allowed kind of include once.
    write("app/win_main.cpp", "#include \"frame/render_frame.h\"\n#include <windows.h>\n");
    write("effects/sparks.cpp",
          "#include <cmath>\n#include \"gfx/placement.h\"\n#include \"app/frame_clock.h\"\n");
    write("gfx/scene_resources.cpp",
          "#include \"effects/sparks.h\"\n#include \"metaballs/iso_surface.h\"\n");
    write("support/transform.h", "#include <d3d9.h>\n#include \"platform/bass.h\"\n");
    write("platform/bass_music.cpp",
          "#include <libopenmpt/libopenmpt.h>\n#include \"support/printable_name.h\"\n");
  }
  void TearDown() override { removeFolder(root); }

  void write(const std::string& file, const std::string& text) {
    std::ofstream(root + "/" + file) << text;
  }

  CheckResult check() {
    CheckResult result{-1, ""};
    FILE* pipe = popen(("'" + script + "' '" + root + "' 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) result.output += buffer;
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
  }

  std::string root;
};

TEST_F(CheckLayers, ATreeThatKeepsTheGraphPasses) {
  const CheckResult result = check();
  EXPECT_EQ(result.status, 0) << result.output;
}

TEST_F(CheckLayers, AFolderEdgeTheGraphForbidsFails) {
  write("effects/fountains.cpp", "#include \"gfx/device.h\"\n#include \"frame/render_frame.h\"\n");
  write("metaballs/iso_surface.cpp", "#include \"effects/sparks.h\"\n");
  const CheckResult result = check();
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.output.find("effects/fountains.cpp:2: includes frame/render_frame.h"),
            std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find("metaballs/iso_surface.cpp:1: includes effects/sparks.h"),
            std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find("2 include(s)"), std::string::npos) << result.output;
}

TEST_F(CheckLayers, ThirdPartySystemAndPrivatePlatformHeadersInTheProgramFail) {
  write("frame/track_info.cpp", "#include <cstring>\n#include <SDL.h>\n");
  write("music/playlist.cpp", "#  include <dirent.h>\n#include <libopenmpt/libopenmpt.h>\n");
  write("app/frame_clock.cpp",
        "#include \"platform/hooks/clock.h\"\n#include \"platform/sdl_window.h\"\n#include "
        "\"platform/win32.h\"\n");
  const CheckResult result = check();
  EXPECT_EQ(result.status, 1);
  for (const char* line :
       {"frame/track_info.cpp:2: includes <SDL.h>", "music/playlist.cpp:1: includes <dirent.h>",
        "music/playlist.cpp:2: includes <libopenmpt/libopenmpt.h>",
        "app/frame_clock.cpp:1: includes platform/hooks/clock.h",
        "app/frame_clock.cpp:2: includes platform/sdl_window.h",
        "app/frame_clock.cpp:3: includes platform/win32.h"})
    EXPECT_NE(result.output.find(line), std::string::npos) << "missing: " << line << "\n"
                                                           << result.output;
  EXPECT_EQ(result.output.find("<cstring>"), std::string::npos) << "a standard header is allowed";
}

TEST_F(CheckLayers, GlibcExtensionsCalledFromTheProgramFail) {
  write("effects/random_value.cpp",
        "#include <cstdlib>\n// random_r is the platform's business\nint v() { random_r(&data, "
        "&value); }\n"
        "void s() { srandom_r (1, &data); }\n");
  write("support/text.cpp", "const char* end = strchrnul(text, ':');\nint my_random_r(int);\n");
  write("platform/c_runtime.cpp", "int r() { random_r(&data, &value); }\n");
  const CheckResult result = check();
  EXPECT_EQ(result.status, 1);
  for (const char* line :
       {"effects/random_value.cpp:3: calls random_r", "effects/random_value.cpp:4: calls srandom_r",
        "support/text.cpp:1: calls strchrnul"})
    EXPECT_NE(result.output.find(line), std::string::npos) << "missing: " << line << "\n"
                                                           << result.output;
  EXPECT_NE(result.output.find("3 include(s) or call(s)"), std::string::npos)
      << "a comment, a longer name and the platform are not faults\n"
      << result.output;
}

TEST_F(CheckLayers, ThePlatformIncludingTheProgramFails) {
  write("platform/win32_time.cpp", "#include \"app/win_main.h\"\n");
  const CheckResult result = check();
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.output.find("platform/win32_time.cpp:1: includes app/win_main.h"),
            std::string::npos)
      << result.output;
}

// A folder's hooks serve tests and tools: in the program only the file defining them includes them.
TEST_F(CheckLayers, AHooksHeaderIncludedByAnyButItsDefiningFileFails) {
  write("gfx/image_loader.cpp", "#include \"gfx/hooks/image_loader.h\"\n");
  write("gfx/scene_resources.cpp", "#include \"gfx/hooks/image_loader.h\"\n");
  write("frame/render_frame.cpp", "#include \"gfx/hooks/image_loader.h\"\n");
  const CheckResult result = check();
  EXPECT_EQ(result.status, 1);
  for (const char* line :
       {"gfx/scene_resources.cpp:1: includes gfx/hooks/image_loader.h: hooks are",
        "frame/render_frame.cpp:1: includes gfx/hooks/image_loader.h: hooks are"})
    EXPECT_NE(result.output.find(line), std::string::npos) << "missing: " << line << "\n"
                                                           << result.output;
  EXPECT_NE(result.output.find("2 include(s)"), std::string::npos) << "the defining file may\n"
                                                                   << result.output;
}

// One program: a platform type and a program type of the same name would be one type defined twice.
TEST_F(CheckLayers, ATypeNameDefinedInThePlatformAndInTheProgramFails) {
  write("platform/d3d9_bounds.h", "struct PixelRect {\n  int left, top;\n};\nclass GLDevice;\n");
  write("app/screen_layout.h",
        "struct PixelRect {\n  int x, y;\n};\nstruct GLDevice final : Base {\n};\n");
  const CheckResult result = check();
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.output.find("both define a type named PixelRect"), std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find("1 include(s)"), std::string::npos)
      << "a declaration is no definition\n"
      << result.output;
}

// A player key spelled in platform code fails; the same letters in comments, strings, other
// literals and letter ranges do not, nor do the program's own keys.
TEST_F(CheckLayers, ThePlatformSpellingTheProgramsKeysFails) {
  write(
      "platform/win32_messages.cpp",
      "// the 'B' key\nWPARAM keyOf(int k) { return k ? 'B' : 'A' + k; }\n"
      "const char* text = \"%X 'C' \\\"'Y'\\\"\", quote = '\\'', letter = 'x'; int big = 1'000;\n"
      "/* 'X' over\n two lines 'Y' */ void post(HWND w) { PostMessageA(w, WM_KEYUP, 'V', 0); }\n");
  write("app/window_proc.cpp", "void onKeyUp(WPARAM key) { if (key == 'B') next(); }\n");
  const CheckResult result = check();
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.output.find("platform/win32_messages.cpp:2: spells the program's key 'B'"),
            std::string::npos);
  EXPECT_NE(result.output.find("platform/win32_messages.cpp:5: spells the program's key 'V'"),
            std::string::npos);
  EXPECT_NE(result.output.find("2 include(s) or call(s) or key(s)"), std::string::npos)
      << result.output;
}

}  // namespace
