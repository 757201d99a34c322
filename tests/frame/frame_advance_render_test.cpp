// The automatic advance inside a frame, on real tone modules through the real audio layer
// and a real window: the frame in which the tune loops already shows the new track.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/main_window.h"
#include "frame/render_frame.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"
#include "music/playlist.h"
#include "platform/hooks/manual_audio.h"
#include "tests/support/audio_module_writer.h"
#include "tests/support/frame_scene.h"
#include "tests/support/test_window.h"

namespace {

constexpr float frameSeconds = 0.016f;  // one simulated frame
constexpr int outputRate = 44100;       // frames per second of the audio output
constexpr int frameLimit = 400;         // more than two passes of the 0.8 s tune

// The "B" key release that the automatic advance sends, as the window procedure handles it.
LRESULT CALLBACK keyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYUP && wParam == 'B') {
    nextTrack();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class FrameAdvanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(freshScratchFolder("frame_advance"));
    std::filesystem::create_directories("data/msx");
    const ToneModule fiveOrders = {.orderCount = 5, .loopToOrder = 0};  // 0.8 s, then again
    writeBytes("data/msx/Tone-A.mod", makeToneModule(fiveOrders));
    writeBytes("data/msx/Tone-B.mod", makeToneModule(fiveOrders));

    destroyPlaylist();
    scanMusicFolder();
    ASSERT_TRUE(openFrameScene());  // derives the track fields of the scan
    ASSERT_EQ(playlist.count, 2);

    appWindow = createTestWindow("FrameAdvanceTest", keyProc, 64, 64);
    ASSERT_NE(appWindow, nullptr);

    bassUseManualOutput(true);
    startAudio();
    currentTrack = carouselSteps = 0;
    paused = stopped = advanceArmed = false;
    repeatTrack = false;
    loadAndPlay(playlist.playOrder[0]->path);
  }

  void TearDown() override {
    stopAudio();
    closeFrameScene();
    if (appWindow) DestroyWindow(appWindow);
    appWindow = nullptr;
    destroyPlaylist();
    std::filesystem::path scratch = std::filesystem::current_path();
    std::filesystem::current_path(previousFolder);
    std::filesystem::remove_all(scratch);
  }

  // One frame's worth of output heard after the frame.
  static void playOneFrame() {
    std::vector<float> output(size_t(frameSeconds * outputRate) * 2);
    bassPullOutput(output.data(), int(output.size() / 2));
  }

  // Saves a picture under the folder the test started in, not the scratch folder.
  void saveAtHome(const Picture& picture, const std::string& name) {
    std::filesystem::path scratch = std::filesystem::current_path();
    std::filesystem::current_path(previousFolder);
    savePicture(picture, name);
    std::filesystem::current_path(scratch);
  }

  std::filesystem::path previousFolder;
};

}  // namespace

TEST_F(FrameAdvanceTest, TheFrameThatAdvancesShowsTheNewTrack) {
  renderFrame(0.0f);
  Picture firstLabel = readSurface(labelSurface);
  float firstY = playlist.playOrder[0]->carouselY;
  Picture playing;

  int frames = 0;
  while (currentTrack == 0 && frames < frameLimit) {
    playOneFrame();
    renderFrame(frameSeconds);
    ++frames;
    if (frames == 20) playing = readSurface(backBuffer);
  }
  ASSERT_EQ(currentTrack, 1) << "no automatic advance within " << frames << " frames";
  EXPECT_EQ(carouselSteps, 1) << "the glide has just begun";
  EXPECT_NEAR(playlist.playOrder[0]->carouselY, firstY + 0.01f, 1e-6f)
      << "the list moves in the frame that advanced";
  Picture advancedLabel = readSurface(labelSurface);

  repeatTrack = true;
  renderFrame(frameSeconds);
  Picture nextLabel = readSurface(labelSurface);
  EXPECT_EQ(advancedLabel.pixels, nextLabel.pixels) << "the advancing frame drew \"Track 2\"";
  EXPECT_NE(advancedLabel.pixels, firstLabel.pixels);
  saveAtHome(playing, "frame_playing_tone");
  saveAtHome(advancedLabel, "label_after_advance");
}
