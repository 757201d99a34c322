// Spark shower: motion of the ten sparks, the burst timer that restarts dead ones, and their
// draw as additive point sprites of the spark texture.
#include "effects/sparks.h"

#include <bit>
#include <cstdint>

#include "app/frame_clock.h"
#include "effects/random_value.h"
#include "gfx/device.h"
#include "gfx/placement.h"
#include "gfx/scene_resources.h"
#include <d3d9.h>
#include <windows.h>

Spark sparks[sparkCount];
long long sparkBurstStamp = 0;
int sparkBurstCount = 0;

namespace {

constexpr float spawnX = -6.1f;         // world x of the spawn point
constexpr float spawnY = 1.1f;          // world y of the spawn point
constexpr float spawnZ = 4.0f;          // world z of the spawn point
constexpr float sparkScale = 6.0f;      // placement scale (does not change a point's size)
constexpr float deathLine = -3.0f;      // y at or below which a spark is dead, world units
constexpr float fallGrowth = 1.1f;      // fall speed factor per frame
constexpr float driftChange = 0.1f;     // drift speed loss, world units a second per second
constexpr double burstInterval = 20.0;  // seconds from the end of a burst to the next
constexpr int burstSize = 15;           // restarts per burst
constexpr float startDrift = -0.1f;     // drift speed at start-up, world units a second
constexpr float startFall = 0.5f;       // fall speed at start-up, world units a second
constexpr float restartDrift = 1.0f;    // drift speed of a restarted spark, world units a second
constexpr float pointSize = 0.05f;      // D3DRS_POINTSIZE (the vertex's own size wins)
constexpr float pointScaleB = 1.0f;     // D3DRS_POINTSCALE_B

// A float render state is passed as its bit pattern.
DWORD floatState(float value) { return std::bit_cast<std::uint32_t>(value); }

}  // namespace

void resetSparks() {
  for (Spark& spark : sparks) spark = Spark{0.0f, 0.0f, startDrift, startFall};
}

void updateSpark(Spark& spark, float frameSeconds) {
  if (spark.y > deathLine) {
    spark.y -= frameSeconds * spark.fallSpeed;
    spark.fallSpeed *= fallGrowth;
    spark.x -= frameSeconds * spark.driftSpeed;
    spark.driftSpeed -= frameSeconds * driftChange;
    return;
  }
  if (secondsSinceStamp(sparkBurstStamp) > burstInterval && sparkBurstCount < burstSize) {
    spark = Spark{0.0f, 0.0f, restartDrift, randomUnit()};
    ++sparkBurstCount;
  }
  if (sparkBurstCount >= burstSize) {  // the burst is over: the next one in twenty seconds
    sparkBurstCount = 0;
    sparkBurstStamp = frameClock.lastCounter;
  }
}

void drawSparks(float frameSeconds) {
  IDirect3DDevice9* device = deviceState.device;
  device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device->SetRenderState(D3DRS_POINTSIZE, floatState(pointSize));
  device->SetRenderState(D3DRS_POINTSCALE_B, floatState(pointScaleB));
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device->SetFVF(pointFvf);
  device->SetTexture(0, sparkTexture);
  device->SetStreamSource(0, sparkVertex, 0, sizeof(PointVertex));

  for (Spark& spark : sparks) {
    // Drawn where it stood at the start of its turn; a restarted spark shows from next frame.
    const Placement placement = uprightPlacement(spark.x + spawnX, spark.y + spawnY, spawnZ,
                                                 sparkScale, sparkScale, sparkScale);
    updateSpark(spark, frameSeconds);
    setWorldPlacement(placement);
    device->DrawPrimitive(D3DPT_POINTLIST, 0, 1);
  }
}
