// "Harbour Lights": A minor, 125 BPM, four-channel MOD. Square chord stabs and a
// plucked saw lead over an octave bass; intro, theme A twice, theme B
// twice, a drumless break, the themes again and a coda, then back to the intro.
// Channels (Amiga panning): 1 drums (left), 2 bass (right), 3 chords (right), 4 lead (left).
#include "chip_samples.h"
#include "score.h"
#include "songs.h"

namespace tunes {

Song harbourLights() {
  Song song;
  song.title = "Harbour Lights";
  song.channels = 4;
  song.speed = 6;
  song.tempo = 125;
  song.instruments = {
      pluckedWave("lead saw", Wave::Saw, middleCycle / 2, 0.3, 0.9),
      pluckedWave("bass saw", Wave::Saw, middleCycle * 2, 0.4, 0.45),
      pluckedChord("major chord square", Wave::Square, middleCycle, {4, 5, 6, 8}, 0.35, 0.8),
      kickDrum(),
      snareDrum(),
      closedHat(),
      openHat(),
      crashCymbal(),
      pluckedChord("minor chord square", Wave::Square, middleCycle, {10, 12, 15, 20}, 0.35, 0.8),
  };
  song.instruments[0].volume = 64;
  song.instruments[1].volume = 56;
  song.instruments[2].volume = song.instruments[8].volume = 64;
  const Voice lead{1, 12};
  const Voice bass{2, -12};
  const Voice chords{3, 0}, minorChords{9, 0};
  const DrumKit kit{4, 5, 6, 7, 8, 0};
  const int bar = 16;  // rows per bar: sixteenth notes
  const int lowBass = noteNumber("E2"), lowChord = noteNumber("F4");

  const char* progressionA = "Am F C G";
  const char* progressionB = "Dm Am F E";
  const char* bassA = "R..R..8.R..R5.8.";
  const char* bassB = "R.8.R.8.R.8.R.8.";
  const char* stabs = "X..X..X...X..X..";
  std::string beat = repeat("K.h.S.h.K.hKS.h.", 3);
  std::string beatFill = beat + "K.h.S.h.K.SsS.SS";
  std::string beatCrash = "C.h.S.h.K.hKS.h." + repeat("K.h.S.h.K.hKS.h.", 2) + "K.h.S.h.K.S.SSSS";

  Track themeA = phrase(
      lead, "A4/2 C5 E5/2 D5 C5 B4 | C5/3 A4 F4/2 A4 C5 | E5/2 G5/2 E5 D5 C5 D5 | B4/4~ G4/2 -/2",
      2);
  Track themeA2 = phrase(
      lead, "A4/2 C5 E5/2 A5 G5 E5 | F5/3 E5 C5/2 A4 C5 | G5/2 E5/2 C5 E5 G5 C6 | B5/4~ A5/2 G5/2",
      2);
  Track themeB =
      phrase(lead, "F5/2 E5 D5 A4/2 D5/2 | E5/3 C5 A4/4~ | A4 C5 F5/2 E5 F5 A5/2 | G#5/6~ -/2", 2);
  Track themeB2 = phrase(
      lead,
      "D5/2 F5 A5 D6/2 C6 A5 | C6/3 B5 A5/4~ | F5 A5 C6/2 A5 F5 C5/2 | B4/2 D5 E5 F#5/2 G#5/2~", 2);
  Track teaser = phrase(lead, "-/8 | ./8 | E5/2 D5/2 C5/2 B4/2 | D5/8~", 2);
  Track coda = phrase(lead, "A4/2 C5 E5/2 A5 G5 E5 | F5/4~ C5/4 | E5/2 G5/2 C6/4~ | B5/4~ -/4", 2);

  Track chordsA = chordStrikes(chords, minorChords, progressionA, bar, stabs, lowChord);
  Track chordsB = chordStrikes(chords, minorChords, progressionB, bar, stabs, lowChord);
  Track bassLineA = bassLine(bass, progressionA, bar, bassA, lowBass);
  Track bassLineB = bassLine(bass, progressionB, bar, bassB, lowBass);

  int intro1 = addPattern(song, {drums(kit, repeat("....h.......h...", 3) + "....h...h.h.S.SS", 64),
                                 release(64), chordsA, release(64)});
  int intro2 = addPattern(song, {drums(kit, beatFill, 64), bassLineA, chordsA, teaser});
  int a1 = addPattern(song, {drums(kit, beatCrash, 64), bassLineA, chordsA, themeA});
  int a2 = addPattern(song, {drums(kit, beatFill, 64), bassLineA, chordsA, themeA2});
  int b1 = addPattern(song, {drums(kit, beatCrash, 64), bassLineB, chordsB, themeB});
  int b2 = addPattern(song, {drums(kit, beatFill, 64), bassLineB, chordsB, themeB2});
  int breakdown = addPattern(
      song, {drums(kit, repeat("....o.......o...", 3) + "S...S...S.S.SSSS", 64),
             bassLine(bass, progressionA, bar, "R.......R.......", lowBass),
             chordStrikes(chords, minorChords, progressionA, bar, "X.......X.......", lowChord),
             release(64)});
  int ending = addPattern(song, {drums(kit, beatCrash, 64), bassLineA, chordsA, coda});

  song.orders = {intro1, intro2, a1, a2, b1, b2, breakdown, a1, a2, b1, b2, ending};
  return song;
}

}  // namespace tunes
