// Note launches, flight and start values of the sprite fountains on the virtual clock.
#include "effects/fountains.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/frame_clock.h"
#include "effects/random_value.h"
#include "music/playback.h"
#include "platform/hooks/clock.h"

namespace {

constexpr long long oneSecond = clockTicksPerSecond;
constexpr unsigned int loudLevel = 14001;

class FountainsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    useVirtualClock();
    frameClock.frequency = static_cast<double>(clockTicksPerSecond);
    frameClock.lastCounter = clockNow();
    leftNoteStamp = 0;
    rightNoteStamp = 0;
    paused = false;
    stopped = false;
    resetNotes();
  }
  void TearDown() override { useRealClock(); }

  void startFrameAfter(long long ticks) {
    advanceVirtualClock(ticks);
    frameClock.lastCounter = clockNow();
  }

  // One frame of a whole group, as the fountain runs it; returns the number of notes launched.
  static int runGroup(NoteSprite (&notes)[notesPerGroup], const FountainGroup& group,
                      unsigned int level, float frameSeconds) {
    int launched = 0;
    for (NoteSprite& note : notes) {
      const bool waiting = note.y >= 3.0f;
      stepNote(note, group, level, frameSeconds);
      launched += waiting && note.y < 3.0f;
    }
    return launched;
  }
};

TEST_F(FountainsTest, StartValuesAlternateOverBothGroups) {
  EXPECT_TRUE(leftNotes[0].movingRight);
  EXPECT_FALSE(leftNotes[1].movingRight);
  EXPECT_EQ(leftNotes[1].turnPoint, -1.0f);
  EXPECT_TRUE(rightNotes[0].movingRight);
  EXPECT_EQ(rightNotes[0].turnPoint, 1.0f);
  EXPECT_EQ(leftNotes[0].picture, 0);
  EXPECT_EQ(leftNotes[6].picture, 1);
  EXPECT_EQ(rightNotes[0].picture, 2) << "the picture cycle runs on from the left group";
  for (const NoteSprite& note : rightNotes) {
    EXPECT_EQ(note.x, 5.0f);
    EXPECT_EQ(note.y, 4.0f);
    EXPECT_EQ(note.z, 4.0f);
    EXPECT_EQ(note.swingSpeed, 0.05f);
    EXPECT_EQ(note.riseSpeed, 0.005f);
  }
  EXPECT_EQ(leftNotes[31].x, -2.3f);
}

TEST_F(FountainsTest, LaunchNeedsALevelAbove14000) {
  EXPECT_EQ(runGroup(leftNotes, leftFountain, 14000, 0.02f), 0);
  EXPECT_EQ(leftNoteStamp, 0);
  EXPECT_EQ(runGroup(leftNotes, leftFountain, loudLevel, 0.02f), 1) << "stamp 0: at once";
  EXPECT_EQ(leftNoteStamp, frameClock.lastCounter);
  EXPECT_EQ(rightNoteStamp, 0) << "the groups are independent";

  const NoteSprite& note = leftNotes[0];
  EXPECT_EQ(note.x, -2.3f);
  EXPECT_EQ(note.y, -0.6f);
  EXPECT_GE(note.riseSpeed, 0.02f);
  EXPECT_LE(note.riseSpeed, 0.03f);
  EXPECT_GE(note.turnPoint, 0.8f) << "moving right: a positive turn point of r + 0.8";
  EXPECT_LE(note.turnPoint, 1.8f);

  restartRandomValues(5);
  const float r1 = randomUnit();
  restartRandomValues(5);
  startFrameAfter(oneSecond);
  EXPECT_EQ(runGroup(rightNotes, rightFountain, 65535, 0.02f), 1);
  EXPECT_EQ(rightNotes[0].x, 4.6f);
  EXPECT_EQ(rightNotes[0].turnPoint, r1 + 1.3f);
}

TEST_F(FountainsTest, OneLaunchPerGroupEveryFifthOfASecond) {
  startFrameAfter(oneSecond);
  ASSERT_EQ(runGroup(leftNotes, leftFountain, loudLevel, 0.1f), 1);
  startFrameAfter(oneSecond / 10);
  EXPECT_EQ(runGroup(leftNotes, leftFountain, loudLevel, 0.1f), 0);
  startFrameAfter(oneSecond / 10);  // exactly 0.2 s since the launch: not more
  EXPECT_EQ(runGroup(leftNotes, leftFountain, loudLevel, 0.1f), 0);
  startFrameAfter(1);
  EXPECT_EQ(runGroup(leftNotes, leftFountain, loudLevel, 0.1f), 1);
  EXPECT_LT(leftNotes[1].y, 3.0f) << "the first waiting note in index order goes next";
}

TEST_F(FountainsTest, PausedOrStoppedLaunchesNothingButFlightsFinish) {
  ASSERT_EQ(runGroup(leftNotes, leftFountain, loudLevel, 0.0f), 1);
  paused = true;
  startFrameAfter(oneSecond);
  EXPECT_EQ(runGroup(leftNotes, leftFountain, loudLevel, 0.5f), 0);
  paused = false;
  stopped = true;
  startFrameAfter(oneSecond);
  EXPECT_EQ(runGroup(leftNotes, leftFountain, loudLevel, 0.5f), 0);
  for (int frame = 0; frame < 400 && leftNotes[0].y < 3.0f; ++frame)
    runGroup(leftNotes, leftFountain, loudLevel, 0.01f);
  EXPECT_GE(leftNotes[0].y, 3.0f) << "the note in flight completes its rise";
  EXPECT_GE(leftNotes[1].y, 3.0f);
  stopped = false;
  startFrameAfter(oneSecond);
  EXPECT_EQ(runGroup(leftNotes, leftFountain, loudLevel, 0.01f), 1);
}

TEST_F(FountainsTest, SwingTurnsAndNarrowsByNineTenths) {
  ASSERT_EQ(runGroup(leftNotes, leftFountain, loudLevel, 0.0f), 1);
  NoteSprite& note = leftNotes[0];
  const float firstTurn = note.turnPoint;
  float x = note.x;
  const float rise = note.riseSpeed;
  stepNote(note, leftFountain, 0, 0.01f);
  EXPECT_NEAR(note.x - x, 0.025f, 1e-6f) << "2.5 world units a second, to the right";
  EXPECT_FLOAT_EQ(note.y, -0.6f + 0.01f * rise * 50.0f);

  int frames = 1;
  while (note.movingRight && frames < 1000) {
    x = note.x;
    stepNote(note, leftFountain, 0, 0.01f);
    ++frames;
  }
  EXPECT_GT(note.x + 2.3f, firstTurn) << "turns once past the turn point";
  EXPECT_LE(x + 2.3f, firstTurn) << "not before";
  EXPECT_FLOAT_EQ(note.turnPoint, -0.9f * firstTurn);

  while (!note.movingRight && frames < 2000) {
    stepNote(note, leftFountain, 0, 0.01f);
    ++frames;
  }
  EXPECT_LT(note.x + 2.3f, -0.9f * firstTurn) << "the second turn is on the other side";
  EXPECT_FLOAT_EQ(note.turnPoint, 0.81f * firstTurn);
}

TEST_F(FountainsTest, ResetRestoresNotesButKeepsStamps) {
  ASSERT_EQ(runGroup(leftNotes, leftFountain, loudLevel, 0.0f), 1);
  ASSERT_EQ(runGroup(rightNotes, rightFountain, loudLevel, 0.0f), 1);
  const long long stamp = leftNoteStamp;
  resetNotes();
  EXPECT_EQ(leftNotes[0].y, 4.0f);
  EXPECT_EQ(leftNotes[0].turnPoint, 1.0f);
  EXPECT_EQ(leftNotes[0].riseSpeed, 0.005f);
  EXPECT_EQ(rightNotes[0].x, 5.0f);
  EXPECT_EQ(leftNoteStamp, stamp);
  EXPECT_EQ(rightNoteStamp, stamp);
}

}  // namespace
