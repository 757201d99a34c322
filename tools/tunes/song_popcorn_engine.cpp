// "Popcorn Engine": C major, speed 5 at 125 BPM (150 beats a minute), a
// bouncy four-channel MOD. Staccato square lead, off-beat square chord stabs and an
// octave-hopping bass. Intro, A, A', B, B', chorus twice, a drum-and-bass
// break, everything again and an outro, then back to the start.
// Channels (Amiga panning): 1 lead (left), 2 chords (right), 3 bass (right), 4 drums (left).
#include "chip_samples.h"
#include "score.h"
#include "songs.h"

namespace tunes {

Song popcornEngine() {
  Song song;
  song.title = "Popcorn Engine";
  song.channels = 4;
  song.speed = 5;
  song.tempo = 125;
  song.instruments = {
      pluckedWave("lead square", Wave::Square, middleCycle / 2, 0.3, 0.9),
      pluckedChord("major stab square", Wave::Square, middleCycle, {4, 5, 6, 8}, 0.3, 0.7),
      pluckedWave("bass saw", Wave::Saw, middleCycle * 2, 0.25, 0.45),
      kickDrum(),
      snareDrum(),
      closedHat(),
      openHat(),
      crashCymbal(),
      tomDrum(),
      pluckedChord("minor stab square", Wave::Square, middleCycle, {10, 12, 15, 20}, 0.3, 0.7),
  };
  song.instruments[0].volume = 56;
  song.instruments[1].volume = song.instruments[9].volume = 64;
  song.instruments[2].volume = 54;
  const Voice lead{1, 12};
  const Voice stab{2, 0}, minorStab{10, 0};
  const Voice bass{3, -12};
  const DrumKit kit{4, 5, 6, 7, 8, 9};
  const int bar = 16;
  const int lowBass = noteNumber("F2"), lowStab = noteNumber("G4");

  const char* progA = "C Am F G";
  const char* progB = "F G Em Am";
  const char* progChorus = "C G Am F";
  const char* skank = "..X...X...X...X.";
  const char* bounce = "R.8.R.8.R.8.5.8.";
  std::string beat = repeat("K.H.S.H.K.KHS.H.", 3);
  std::string beatFill = beat + "K.H.S.H.K.S.S.SS";
  std::string beatCrash = "C.H.S.H.K.KHS.H." + repeat("K.H.S.H.K.KHS.H.", 2) + "K.H.S.H.TTMMLLSS";

  Track themeA = phrase(lead,
                        "G5 - E5 G5 C6/2 G5 E5 | A5 - E5 A5 C6/2 A5 E5 | F5 A5 C6 A5 F5 A5 C6 F6 |"
                        " D6/2 B5 G5 F#5 G5 - .",
                        2);
  Track themeA2 = phrase(lead,
                         "G5 - E5 G5 C6/2 D6 E6 | C6 - A5 C6 E6/2 D6 C6 | A5 C6 F6 C6 A5 F5 G5 A5 |"
                         " G5/3~ - E5 F5 F#5 G5",
                         2);
  Track themeB =
      phrase(lead, "A5/2 C6/2 A5 G5 F5/2 | G5/2 B5/2 D6/3 - | E6 D6 B5 G5 E5 F#5 G5/2 | A5/8~", 2);
  Track themeB2 = phrase(lead,
                         "C6 A5 F5 A5 C6/2 F6/2 | D6 B5 G5 F#5 G5 B5 D6/2 | E6/2 D6/2 B5/2 G5/2 |"
                         " A5/2 B5/2 C6/2 D6/2",
                         2);
  Track chorus = phrase(lead,
                        "E6 E6 - D6 C6 D6 E6/2 | D6 D6 - C6 B5 C6 D6/2 | C6 C6 - B5 A5 B5 C6 E6 |"
                        " F6/4~ E6/2 D6/2",
                        2);
  Track chorus2 = phrase(lead,
                         "E6 E6 - D6 C6 D6 E6 G6 | G6 F6 - E6 D6 E6 D6/2 | C6 B5 - A5/3 C6/2 |"
                         " F5 A5 C6 F6 E6/4~",
                         2);
  Track outro = phrase(lead,
                       "E6 E6 - D6 C6 D6 E6/2 | D6 D6 - C6 B5 C6 D6/2 | C6/2 G5/2 E5/2 G5/2 |"
                       " C6/6~ -/2",
                       2);

  auto section = [&](const std::string& beatText, const char* progression, const char* bassRhythm,
                     const Track& melody) {
    return addPattern(
        song, {melody, chordStrikes(stab, minorStab, progression, bar, skank, lowStab),
               bassLine(bass, progression, bar, bassRhythm, lowBass), drums(kit, beatText, 64)});
  };
  Track rest = release(64);
  int intro1 =
      addPattern(song, {rest, chordStrikes(stab, minorStab, progA, bar, skank, lowStab), rest,
                        drums(kit, repeat("..H...H...H...H.", 3) + "..H...H...S.SSSS", 64)});
  int intro2 = section(beatFill, progA, bounce, phrase(lead, "-/24 | G5 F#5 G5 A5 B5 D6 G6/2", 2));
  int a1 = section(beatCrash, progA, bounce, themeA);
  int a2 = section(beatFill, progA, bounce, themeA2);
  int b1 = section(beatCrash, progB, "R..8R..8R..8R.58", themeB);
  int b2 = section(beatFill, progB, "R..8R..8R..8R.58", themeB2);
  int c1 = section(beatCrash, progChorus, bounce, chorus);
  int c2 = section(beatFill, progChorus, bounce, chorus2);
  int engine = addPattern(
      song, {rest, chordStrikes(stab, minorStab, progChorus, bar, "X.-.............", lowStab),
             bassLine(bass, progChorus, bar, "R.R8R.R8R.R8R.58", lowBass),
             drums(kit, repeat("K.kHS.kHK.kHS.kH", 3) + "S.S.SSSSTTMMLL.C", 64)});
  int end = section(beatCrash, "C G C C", bounce, outro);

  song.orders = {intro1, intro2, a1, a2, b1, b2, c1, c2, engine, a1, a2, b1, b2, c1, c2, end};
  return song;
}

}  // namespace tunes
