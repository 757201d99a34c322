// The program's device where there is no OpenGL at all: SDL's dummy video driver has none, and
// can only be chosen before video starts, so this test has a process of its own.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "gfx/device.h"
#include "tests/support/render_helpers.h"

namespace {

TEST(GraphicsDevice, NoOpenGLMeansNoDeviceAndMinusOne) {
  ASSERT_FALSE(SDL_WasInit(SDL_INIT_VIDEO))
      << "video was started before the driver could be chosen";
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  EXPECT_EQ(createDevice(false), -1);
  EXPECT_NE(deviceState.direct3D, nullptr) << "the Direct3D object stays, as the device failed";
  EXPECT_EQ(deviceState.device, nullptr);
  releaseOffscreenDevice();
}

}  // namespace
