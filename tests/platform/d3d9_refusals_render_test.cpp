// With ZOLTA_D3D_DEBUG set, the Direct3D layer says on stderr why it refused a call: one line
// per distinct call and reason, never repeated; without the variable it says nothing.
#include <cstdlib>

#include "tests/platform/d3d9_test_scene.h"

namespace {

constexpr const char* debugVariable = "ZOLTA_D3D_DEBUG";

}  // namespace

TEST_F(D3D9Scene, RefusedCallsAreExplainedOnceEachAndOnlyWhenAsked) {
  IDirect3DVertexBuffer9* quad = screenQuad(0.0f, 0.0f, 10.0f, 10.0f);
  device->SetFVF(screenFvf);
  ASSERT_EQ(device->SetStreamSource(0, quad, 0, sizeof(ScreenVertex)), D3D_OK);
  // The fan of two triangles starting at vertex 1 needs vertices 1 to 4 of the four there are.
  auto drawPastTheEnd = [&] { return device->DrawPrimitive(D3DPT_TRIANGLEFAN, 1, 2); };

  unsetenv(debugVariable);
  testing::internal::CaptureStderr();
  EXPECT_EQ(drawPastTheEnd(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  // Refusals made while the variable was unset are not taken as already told.
  setenv(debugVariable, "1", 1);
  testing::internal::CaptureStderr();
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(drawPastTheEnd(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetStreamSource(1, quad, 0, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
  }
  // Calls that succeed say nothing.
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "zolta: d3d9: DrawPrimitive: vertices past the end of the stream\n"
            "zolta: d3d9: EndScene: not in a scene\n"
            "zolta: d3d9: DrawPrimitive: no primitives\n"
            "zolta: d3d9: SetStreamSource: only stream 0\n");

  // Unset again: a new kind of refusal stays silent too.
  unsetenv(debugVariable);
  testing::internal::CaptureStderr();
  EXPECT_EQ(device->SetTexture(8, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(D3D9Scene, RefusalsKeepTheirResultCodeWhenExplained) {
  setenv(debugVariable, "1", 1);
  testing::internal::CaptureStderr();
  IDirect3DTexture9* made = nullptr;
  EXPECT_EQ(device->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &made, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(made, nullptr);
  IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION + 1);
  EXPECT_EQ(direct3D, nullptr);
  unsetenv(debugVariable);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "zolta: d3d9: CreateTexture: no pixels\n"
            "zolta: d3d9: Direct3DCreate9: not the SDK version of d3d9.h\n");
}
