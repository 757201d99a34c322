// Sprite fountains: the 2 x 32 note records, their launch on a loud channel, their damped
// swing, rise and tumble, and their draw as note pictures blended to darken the scene.
#include "effects/fountains.h"

#include "app/frame_clock.h"
#include "effects/random_value.h"
#include "gfx/device.h"
#include "gfx/placement.h"
#include "gfx/scene_resources.h"
#include "music/music_sample.h"
#include "music/playback.h"
#include "platform/d3d9.h"
#include "platform/win32.h"

NoteSprite leftNotes[NOTES_PER_GROUP];
NoteSprite rightNotes[NOTES_PER_GROUP];
long long leftNoteStamp = 0;
long long rightNoteStamp = 0;

const FountainGroup leftFountain{&leftNoteStamp, -2.3f, -2.3f, 0.8f};
const FountainGroup rightFountain{&rightNoteStamp, 5.0f, 4.6f, 1.3f};

namespace {

constexpr float CEILING = 3.0f;             // world y from which a note waits
constexpr float NOTE_Z = 4.0f;              // world z of every note
constexpr float WAITING_Y = 4.0f;           // world y of the notes before their first launch
constexpr float SWING_SPEED = 0.05f;        // swing speed / 50, world units a second
constexpr float WAITING_RISE = 0.005f;      // rise speed / 50 before the first launch
constexpr float SPEED_FACTOR = 50.0f;       // speeds are stored as 1/50 of units a second
constexpr float TURN_DAMPING = -0.9f;       // turn point after a turn, times the previous one
constexpr unsigned int LOUD_LEVEL = 14000;  // channel level above which notes launch, 0-65535
constexpr double LAUNCH_INTERVAL = 0.2;     // seconds between launches of one group
constexpr float LAUNCH_Y = -0.6f;           // world y of a launched note
constexpr float BASE_RISE = 0.02f;          // rise speed / 50 of a launch, plus up to 0.01 more
constexpr float RISE_SPREAD = 0.01f;        // random part of the rise speed / 50
constexpr float VANISH_Y = 0.8f;            // world y at which a note's size reaches 0
constexpr int PICTURE_COUNT = 5;            // note pictures

void moveNote(NoteSprite& note, const FountainGroup& group, float frameSeconds) {
  const float step = frameSeconds * note.swingSpeed * SPEED_FACTOR;
  bool turns;
  if (note.movingRight) {
    note.x += step;
    turns = note.x - group.swingCentre > note.turnPoint;
  } else {
    note.x -= step;
    turns = note.x - group.swingCentre < note.turnPoint;
  }
  if (turns) {  // each swing ends 10 % closer to the centre, on the other side
    note.movingRight = !note.movingRight;
    note.turnPoint *= TURN_DAMPING;
  }
  note.y += frameSeconds * note.riseSpeed * SPEED_FACTOR;
}

void launchNote(NoteSprite& note, const FountainGroup& group) {
  note.x = group.launchX;
  const float direction = note.movingRight ? 1.0f : -1.0f;
  note.turnPoint = direction * (randomUnit() + group.turnSize);
  note.y = LAUNCH_Y;
  const float spread = randomUnit();
  *group.stamp = frameClock.lastCounter;
  note.riseSpeed = BASE_RISE + RISE_SPREAD * spread;
}

void drawNote(const NoteSprite& note) {
  const float size = VANISH_Y - note.y;
  if (size <= 0.0f) return;  // a note of size 0 leaves no trace
  setWorldPlacement(
      Placement{{note.y, note.y, 0.0f}, {note.x, note.y, note.z}, {size, size, size}});
  IDirect3DDevice9* device = deviceState.device;
  device->SetTexture(0, noteTextures[note.picture]);
  device->SetStreamSource(0, noteQuad, 0, sizeof(TexturedVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

void runGroup(NoteSprite (&notes)[NOTES_PER_GROUP], const FountainGroup& group, unsigned int level,
              float frameSeconds) {
  for (NoteSprite& note : notes) {
    stepNote(note, group, level, frameSeconds);
    drawNote(note);
  }
}

}  // namespace

void resetNotes() {
  // movingRight alternates and the pictures cycle over the 64 notes, left group first.
  for (int n = 0; n < 2 * NOTES_PER_GROUP; ++n) {
    const bool left = n < NOTES_PER_GROUP;
    NoteSprite& note = left ? leftNotes[n] : rightNotes[n - NOTES_PER_GROUP];
    note.movingRight = n % 2 == 0;
    note.x = left ? leftFountain.swingCentre : rightFountain.swingCentre;
    note.y = WAITING_Y;
    note.z = NOTE_Z;
    note.swingSpeed = SWING_SPEED;
    note.riseSpeed = WAITING_RISE;
    note.turnPoint = note.movingRight ? 1.0f : -1.0f;
    note.picture = n % PICTURE_COUNT;
  }
}

void stepNote(NoteSprite& note, const FountainGroup& group, unsigned int level,
              float frameSeconds) {
  if (note.y < CEILING) {
    moveNote(note, group, frameSeconds);
    return;
  }
  if (static_cast<unsigned short>(level) > LOUD_LEVEL && !paused && !stopped &&
      secondsSinceStamp(*group.stamp) > LAUNCH_INTERVAL)
    launchNote(note, group);
}

void drawFountains(float frameSeconds) {
  IDirect3DDevice9* device = deviceState.device;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_INVSRCCOLOR);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
  device->SetFVF(TEXTURED_FVF);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

  runGroup(leftNotes, leftFountain, leftLevel, frameSeconds);
  runGroup(rightNotes, rightFountain, rightLevel, frameSeconds);
}
