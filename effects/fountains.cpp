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
#include <d3d9.h>
#include <windows.h>

NoteSprite leftNotes[notesPerGroup];
NoteSprite rightNotes[notesPerGroup];
long long leftNoteStamp = 0;
long long rightNoteStamp = 0;

const FountainGroup leftFountain{&leftNoteStamp, -2.3f, -2.3f, 0.8f};
const FountainGroup rightFountain{&rightNoteStamp, 5.0f, 4.6f, 1.3f};

namespace {

constexpr float ceiling = 3.0f;            // world y from which a note waits
constexpr float noteZ = 4.0f;              // world z of every note
constexpr float waitingY = 4.0f;           // world y of the notes before their first launch
constexpr float swingSpeed = 0.05f;        // swing speed / 50, world units a second
constexpr float waitingRise = 0.005f;      // rise speed / 50 before the first launch
constexpr float speedFactor = 50.0f;       // speeds are stored as 1/50 of units a second
constexpr float turnDamping = -0.9f;       // turn point after a turn, times the previous one
constexpr unsigned int loudLevel = 14000;  // channel level above which notes launch, 0-32768
constexpr double launchInterval = 0.2;     // seconds between launches of one group
constexpr float launchY = -0.6f;           // world y of a launched note
constexpr float baseRise = 0.02f;          // rise speed / 50 of a launch, plus up to 0.01 more
constexpr float riseSpread = 0.01f;        // random part of the rise speed / 50
constexpr float vanishY = 0.8f;            // world y at which a note's size reaches 0

void moveNote(NoteSprite& note, const FountainGroup& group, float frameSeconds) {
  const float step = frameSeconds * note.swingSpeed * speedFactor;
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
    note.turnPoint *= turnDamping;
  }
  note.y += frameSeconds * note.riseSpeed * speedFactor;
}

void launchNote(NoteSprite& note, const FountainGroup& group) {
  note.x = group.launchX;
  const float direction = note.movingRight ? 1.0f : -1.0f;
  note.turnPoint = direction * (randomUnit() + group.turnSize);
  note.y = launchY;
  const float spread = randomUnit();
  *group.stamp = frameClock.lastCounter;
  note.riseSpeed = baseRise + riseSpread * spread;
}

void drawNote(const NoteSprite& note) {
  const float size = vanishY - note.y;
  if (size <= 0.0f) return;  // a note of size 0 leaves no trace
  setWorldPlacement(
      Placement{{note.y, note.y, 0.0f}, {note.x, note.y, note.z}, {size, size, size}});
  IDirect3DDevice9* device = deviceState.device;
  device->SetTexture(0, noteTextures[note.picture]);
  device->SetStreamSource(0, noteQuad, 0, sizeof(TexturedVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

void runGroup(NoteSprite (&notes)[notesPerGroup], const FountainGroup& group, unsigned int level,
              float frameSeconds) {
  for (NoteSprite& note : notes) {
    stepNote(note, group, level, frameSeconds);
    drawNote(note);
  }
}

}  // namespace

void resetNotes() {
  // movingRight alternates and the pictures cycle over the 64 notes, left group first.
  for (int n = 0; n < 2 * notesPerGroup; ++n) {
    const bool left = n < notesPerGroup;
    NoteSprite& note = left ? leftNotes[n] : rightNotes[n - notesPerGroup];
    note.movingRight = n % 2 == 0;
    note.x = left ? leftFountain.swingCentre : rightFountain.swingCentre;
    note.y = waitingY;
    note.z = noteZ;
    note.swingSpeed = swingSpeed;
    note.riseSpeed = waitingRise;
    note.turnPoint = note.movingRight ? 1.0f : -1.0f;
    note.picture = n % notePictureCount;
  }
}

void stepNote(NoteSprite& note, const FountainGroup& group, unsigned int level,
              float frameSeconds) {
  if (note.y < ceiling) {
    moveNote(note, group, frameSeconds);
    return;
  }
  if (static_cast<unsigned short>(level) > loudLevel && !paused && !stopped &&
      secondsSinceStamp(*group.stamp) > launchInterval)
    launchNote(note, group);
}

void drawFountains(float frameSeconds) {
  IDirect3DDevice9* device = deviceState.device;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_INVSRCCOLOR);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
  device->SetFVF(texturedFvf);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

  runGroup(leftNotes, leftFountain, leftLevel, frameSeconds);
  runGroup(rightNotes, rightFountain, rightLevel, frameSeconds);
}
