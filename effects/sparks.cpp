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
#include "platform/d3d9.h"
#include "platform/win32.h"

Spark sparks[SPARK_COUNT];
long long sparkBurstStamp = 0;
int sparkBurstCount = 0;

namespace {

constexpr float SPAWN_X = -6.1f;         // world x of the spawn point
constexpr float SPAWN_Y = 1.1f;          // world y of the spawn point
constexpr float SPAWN_Z = 4.0f;          // world z of the spawn point
constexpr float SPARK_SCALE = 6.0f;      // placement scale (does not change a point's size)
constexpr float DEATH_LINE = -3.0f;      // y at or below which a spark is dead, world units
constexpr float FALL_GROWTH = 1.1f;      // fall speed factor per frame
constexpr float DRIFT_CHANGE = 0.1f;     // drift speed loss, world units a second per second
constexpr double BURST_INTERVAL = 20.0;  // seconds from the end of a burst to the next
constexpr int BURST_SIZE = 15;           // restarts per burst
constexpr float START_DRIFT = -0.1f;     // drift speed at start-up, world units a second
constexpr float START_FALL = 0.5f;       // fall speed at start-up, world units a second
constexpr float RESTART_DRIFT = 1.0f;    // drift speed of a restarted spark, world units a second
constexpr float POINT_SIZE = 0.05f;      // D3DRS_POINTSIZE (the vertex's own size wins)
constexpr float POINT_SCALE_B = 1.0f;    // D3DRS_POINTSCALE_B

// A float render state is passed as its bit pattern.
DWORD floatState(float value) { return std::bit_cast<std::uint32_t>(value); }

}  // namespace

void resetSparks() {
  for (Spark& spark : sparks) spark = Spark{0.0f, 0.0f, START_DRIFT, START_FALL};
}

void updateSpark(Spark& spark, float frameSeconds) {
  if (spark.y > DEATH_LINE) {
    spark.y -= frameSeconds * spark.fallSpeed;
    spark.fallSpeed *= FALL_GROWTH;
    spark.x -= frameSeconds * spark.driftSpeed;
    spark.driftSpeed -= frameSeconds * DRIFT_CHANGE;
    return;
  }
  if (secondsSinceStamp(sparkBurstStamp) > BURST_INTERVAL && sparkBurstCount < BURST_SIZE) {
    spark = Spark{0.0f, 0.0f, RESTART_DRIFT, randomUnit()};
    ++sparkBurstCount;
  }
  if (sparkBurstCount >= BURST_SIZE) {  // the burst is over: the next one in twenty seconds
    sparkBurstCount = 0;
    sparkBurstStamp = frameClock.lastCounter;
  }
}

void drawSparks(float frameSeconds) {
  IDirect3DDevice9* device = deviceState.device;
  device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device->SetRenderState(D3DRS_POINTSIZE, floatState(POINT_SIZE));
  device->SetRenderState(D3DRS_POINTSCALE_B, floatState(POINT_SCALE_B));
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device->SetFVF(POINT_FVF);
  device->SetTexture(0, sparkTexture);
  device->SetStreamSource(0, sparkVertex, 0, sizeof(PointVertex));

  for (Spark& spark : sparks) {
    // Drawn where it stood at the start of its turn; a restarted spark shows from next frame.
    const Placement placement = uprightPlacement(spark.x + SPAWN_X, spark.y + SPAWN_Y, SPAWN_Z,
                                                 SPARK_SCALE, SPARK_SCALE, SPARK_SCALE);
    updateSpark(spark, frameSeconds);
    setWorldPlacement(placement);
    device->DrawPrimitive(D3DPT_POINTLIST, 0, 1);
  }
}
