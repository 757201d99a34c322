// Spark motion and the burst timer on the virtual clock.
#include "effects/sparks.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/frame_clock.h"
#include "effects/random_value.h"
#include "platform/hooks/clock.h"

namespace {

constexpr long long oneSecond = clockTicksPerSecond;
constexpr float deadY = -3.0f;  // exactly on the death line

class SparksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    useVirtualClock();
    frameClock.frequency = static_cast<double>(clockTicksPerSecond);
    sparkBurstStamp = 0;
    sparkBurstCount = 0;
    resetSparks();
  }
  void TearDown() override { useRealClock(); }

  // Moves time on and starts a frame: lastCounter is the counter read just before it.
  void startFrameAfter(long long ticks) {
    advanceVirtualClock(ticks);
    frameClock.lastCounter = clockNow();
  }

  static void killAll() {
    for (Spark& spark : sparks) spark.y = deadY;
  }
  static int restartedCount() {
    int restarted = 0;
    for (const Spark& spark : sparks) restarted += spark.y == 0.0f && spark.driftSpeed == 1.0f;
    return restarted;
  }
};

TEST_F(SparksTest, StartValuesAndOneStepOfMotion) {
  for (const Spark& spark : sparks) {
    EXPECT_EQ(spark.x, 0.0f);
    EXPECT_EQ(spark.y, 0.0f);
    EXPECT_EQ(spark.driftSpeed, -0.1f);
    EXPECT_EQ(spark.fallSpeed, 0.5f);
  }
  Spark& spark = sparks[0];
  updateSpark(spark, 0.0f);
  EXPECT_EQ(spark.y, 0.0f) << "a frame of 0 seconds does not move it";
  EXPECT_FLOAT_EQ(spark.fallSpeed, 0.55f) << "the fall speed grows per frame, not per second";

  updateSpark(spark, 0.1f);
  EXPECT_FLOAT_EQ(spark.y, -0.055f) << "falls by the speed it had before growing";
  EXPECT_FLOAT_EQ(spark.fallSpeed, 0.605f);
  EXPECT_FLOAT_EQ(spark.x, 0.01f) << "the start drift is to the right";
  EXPECT_FLOAT_EQ(spark.driftSpeed, -0.11f);
}

TEST_F(SparksTest, StampZeroMeasuresFromTheCounterOrigin) {
  startFrameAfter(3 * oneSecond);  // counter at 4 s: not yet 20 s from its origin
  killAll();
  updateSpark(sparks[0], 0.02f);
  EXPECT_EQ(sparks[0].y, deadY) << "a spark exactly on the death line is dead and stays so";

  startFrameAfter(17 * oneSecond);  // counter at 21 s
  restartRandomValues(42);
  const float expectedFall = randomUnit();
  restartRandomValues(42);
  updateSpark(sparks[0], 0.02f);
  EXPECT_EQ(sparks[0].x, 0.0f);
  EXPECT_EQ(sparks[0].y, 0.0f) << "restarted at once";
  EXPECT_EQ(sparks[0].driftSpeed, 1.0f);
  EXPECT_EQ(sparks[0].fallSpeed, expectedFall);
  EXPECT_EQ(sparkBurstCount, 1);
  EXPECT_EQ(sparkBurstStamp, 0);
}

TEST_F(SparksTest, FifteenthRestartEndsTheBurstAndStampsTheFrame) {
  startFrameAfter(30 * oneSecond);
  killAll();
  for (Spark& spark : sparks) updateSpark(spark, 0.02f);
  EXPECT_EQ(restartedCount(), 10);
  EXPECT_EQ(sparkBurstCount, 10);

  startFrameAfter(oneSecond / 10);
  const long long burstFrame = frameClock.lastCounter;
  advanceVirtualClock(oneSecond / 1000);  // time passes inside the frame
  killAll();
  for (Spark& spark : sparks) updateSpark(spark, 0.02f);
  EXPECT_EQ(restartedCount(), 5) << "only five restarts were left in the burst";
  EXPECT_EQ(sparkBurstCount, 0);
  EXPECT_EQ(sparkBurstStamp, burstFrame) << "the stamp is the frame's counter, not the current one";
  for (int i = 5; i < sparkCount; ++i) EXPECT_EQ(sparks[i].y, deadY) << "spark " << i;
}

TEST_F(SparksTest, DeadSparksWaitTwentySecondsAfterABurst) {
  startFrameAfter(5 * oneSecond);
  sparkBurstStamp = frameClock.lastCounter;
  killAll();

  startFrameAfter(20 * oneSecond);  // exactly 20 s: not more than 20
  for (Spark& spark : sparks) updateSpark(spark, 0.02f);
  EXPECT_EQ(restartedCount(), 0);
  EXPECT_EQ(sparks[3].y, deadY);

  startFrameAfter(1);
  updateSpark(sparks[3], 0.02f);
  EXPECT_EQ(sparks[3].y, 0.0f);
  EXPECT_EQ(sparkBurstCount, 1);
}

TEST_F(SparksTest, SparkWithoutFallSpeedNeverFallsAndDriftsBack) {
  Spark& spark = sparks[0];
  spark = Spark{0.0f, 0.0f, 1.0f, 0.0f};  // a restart that drew rand() = 0
  for (int frame = 0; frame < 1500; ++frame) updateSpark(spark, 0.01f);
  EXPECT_EQ(spark.y, 0.0f);
  EXPECT_EQ(spark.fallSpeed, 0.0f);
  EXPECT_LT(spark.driftSpeed, 0.0f) << "after ten seconds it drifts right";
  const float x = spark.x;
  updateSpark(spark, 0.01f);
  EXPECT_GT(spark.x, x);
}

TEST_F(SparksTest, ResetKeepsTheBurstTimer) {
  sparkBurstStamp = 1234;
  sparkBurstCount = 7;
  sparks[2] = Spark{-3.0f, -4.0f, 0.5f, 9.0f};
  resetSparks();
  EXPECT_EQ(sparks[2].y, 0.0f);
  EXPECT_EQ(sparks[2].fallSpeed, 0.5f);
  EXPECT_EQ(sparkBurstStamp, 1234);
  EXPECT_EQ(sparkBurstCount, 7);
}

}  // namespace
