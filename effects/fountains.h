// Sprite fountains: two groups of 32 music-note sprites launched upwards while the left or
// right channel is loud; a launched note rises, swings in a damped oscillation, tumbles and
// shrinks to nothing, then waits out of sight until it is launched again.
#pragma once

struct NoteSprite {
  float x;           // world x of the quad's origin corner
  float y;           // world y; also the tumble angle and the source of the size; flying while < 3
  float z;           // world z, always 4
  float swingSpeed;  // sideways speed / 50, world units a second
  float riseSpeed;   // upward speed / 50, world units a second
  float turnPoint;   // offset from the swing centre at which the note reverses, world units
  bool movingRight;  // true: x grows
  int picture;       // index into noteTextures, 0-4
};

constexpr int notesPerGroup = 32;

extern NoteSprite leftNotes[notesPerGroup];
extern NoteSprite rightNotes[notesPerGroup];
extern long long leftNoteStamp;   // counter value of the left group's last launch; 0 = never
extern long long rightNoteStamp;  // counter value of the right group's last launch; 0 = never

// The fixed values of one group.
struct FountainGroup {
  long long* stamp;   // the group's launch stamp
  float swingCentre;  // world x about which the notes swing
  float launchX;      // world x of a launched note
  float turnSize;     // smallest turn-point offset at launch, world units (plus 0-1 at random)
};

extern const FountainGroup leftFountain;
extern const FountainGroup rightFountain;

// Start values of the 64 notes: all waiting. The launch stamps are kept.
void resetNotes();

// One frame of one note: moves it while in flight; launches it while waiting if level (the
// group's channel level) is above 14000, playback runs and 0.2 s have passed since the
// group's last launch.
void stepNote(NoteSprite& note, const FountainGroup& group, unsigned int level, float frameSeconds);

// Moves, launches and draws the notes of both groups on the current render target.
void drawFountains(float frameSeconds);
