// "Snowplough Boogie": a twelve-bar blues in F, shuffled (swung eighths fall
// on the first and fourth row of each beat), 135 BPM, four-channel MOD.
// A walking boogie bass, off-beat chord chucks and a brassy saw lead.
// Bass intro, the head, a solo chorus, a stop-time chorus, the head again
// and a turnaround, then back to the start.
// Channels (Amiga panning): 1 bass (left), 2 drums (right), 3 chords (right), 4 lead (left).
#include "chip_samples.h"
#include "score.h"
#include "songs.h"

namespace tunes {

Song snowploughBoogie() {
  Song song;
  song.title = "Snowplough Boogie";
  song.channels = 4;
  song.speed = 6;
  song.tempo = 135;
  song.instruments = {
      pluckedWave("boogie bass", Wave::Saw, middleCycle * 2, 0.2, 0.5),
      pluckedWave("brass saw", Wave::Saw, middleCycle / 2, 0.3, 0.85),
      pluckedChord("chuck square", Wave::Square, middleCycle, {4, 5, 6, 7}, 0.25, 0.8),
      kickDrum(),
      snareDrum(),
      closedHat(),
      openHat(),
      crashCymbal(),
  };
  song.instruments[0].volume = 58;
  song.instruments[1].volume = 64;
  song.instruments[2].volume = 60;
  const Voice bass{1, -12};
  const Voice lead{2, 12};
  const Voice chords{3, 0};
  const DrumKit kit{4, 5, 6, 7, 8, 0};
  const int bar = 16;
  const int lowBass = noteNumber("F2"), lowChord = noteNumber("F4");

  // The twelve bars in three patterns of four.
  const char* blues[3] = {"F7 Bb7 F7 F7", "Bb7 Bb7 F7 F7", "C7 Bb7 F7 C7"};
  const char* boogie = "R..35..67..65..3";
  const char* chuck = "...X...X...X...X";
  std::string shuffle = repeat("K..hS..hK..hS..h", 3);
  std::string shuffleFill = shuffle + "K..hS..hK..SS.SS";
  std::string shuffleCrash =
      "C..hS..hK..hS..h" + repeat("K..hS..hK..hS..h", 2) + "K..hS..hK..hS..h";

  const char* head[3] = {
      "C5/3 Eb5 F5/3 C5 Eb5/4 C5/4 | D5/3 F5 Ab5/3 F5 D5/8 | C5/3 Eb5 F5/3 A5 C6/4 A5/4 | F5/12~ "
      "-/4",
      "F5/3 Ab5 Bb5/3 Ab5 F5/4 D5/4 | Ab5/3 F5 D5/4 F5/8~ | C5/3 Eb5 F5/3 C5 Eb5/4 C5/4 | A4/12~ "
      "-/4",
      "G5/3 E5 G5/3 Bb5 C6/8~ | Bb5/3 Ab5 F5/3 D5 F5/8 | C5/3 Eb5 F5/3 A5 C6/3 A5 F5/4 | E5/8~ "
      "G5/4 -/4"};
  const char* solo[3] = {
      "F5 Ab5 A5 C6 Eb6/3 C6 A5/3 F5 Ab5/4 | F5/3 D5 F5 F#5 G5 Ab5 Bb5/8~ |"
      " C6/3 A5 C6/3 A5 C6/3 Eb6 F6/4 | Eb6/3 C6 A5/3 F5 Eb5/3 C5 F5/4",
      "Bb5/3 Ab5 F5/3 D5 Bb4/3 D5 F5/4 | Ab5/4~ F5/4 D5/4 Ab4/4 | A4/3 C5 F5/3 A5 C6/8~ | C6/3 A5 "
      "F5/3 Eb5 C5/8",
      "E5/3 G5 Bb5/3 C6 E6/8~ | D6/3 Bb5 F5/3 D5 Ab5/8~ | A5/3 F5 C5/3 Eb5 F5/8 | G5/3 E5 C5/3 Bb4 "
      "C5/4 -/4"};

  auto chorusPattern = [&](int part, const std::string& beat, const char* melody) {
    return addPattern(
        song,
        {bassLine(bass, blues[part], bar, boogie, lowBass), drums(kit, beat, 64),
         chordStrikes(chords, chords, blues[part], bar, chuck, lowChord), phrase(lead, melody, 1)});
  };
  auto stopTime = [&](int part) {
    return addPattern(song,
                      {bassLine(bass, blues[part], bar, "R...............", lowBass),
                       drums(kit, repeat("K.......h.h.h.h.", 3) + "K.......S.S.SSSS", 64),
                       chordStrikes(chords, chords, blues[part], bar, "X.-.............", lowChord),
                       phrase(lead, head[part], 1)});
  };
  Track rest = release(64);
  int intro = addPattern(
      song, {bassLine(bass, "F7 F7 F7 F7", bar, boogie, lowBass),
             drums(kit, repeat("...h...h...h...h", 3) + "...h...h...S.SSS", 64), rest, rest});
  int head1 = chorusPattern(0, shuffleCrash, head[0]);
  int head2 = chorusPattern(1, shuffle, head[1]);
  int head3 = chorusPattern(2, shuffleFill, head[2]);
  int solo1 = chorusPattern(0, shuffleCrash, solo[0]);
  int solo2 = chorusPattern(1, shuffle, solo[1]);
  int solo3 = chorusPattern(2, shuffleFill, solo[2]);
  int stop1 = stopTime(0);
  int stop2 = stopTime(1);
  int stop3 = stopTime(2);
  int turnaround =
      addPattern(song, {bassLine(bass, "F7 Bb7 F7 C7", bar, boogie, lowBass),
                        drums(kit, shuffleCrash.substr(0, 48) + "K..hS..hS.S.SSSS", 64),
                        chordStrikes(chords, chords, "F7 Bb7 F7 C7", bar, chuck, lowChord),
                        phrase(lead,
                               "F5/3 Ab5 A5/3 C6 F6/8~ | D6/3 Bb5 Ab5/3 F5 D5/8 |"
                               " C6/3 A5 F5/3 Eb5 C5/8 | G4/3 Bb4 C5/3 E5 G5/4 -/4",
                               1)});

  song.orders = {intro, head1, head2, head3, solo1, solo2, solo3,
                 stop1, stop2, stop3, head1, head2, head3, turnaround};
  return song;
}

}  // namespace tunes
