// "Waltz for a Robot": G major in 3/4, 120 BPM, nine-channel XM with 48-row
// patterns (four bars of twelve rows). Oom-pah-pah: a triangle bass on the
// first beat, saw chords on the second and third; a triangle lead with
// a soft pulse counter-voice and an echo. Intro, A, A', B, B', A, A', a music
// box bridge, A, A', B, B', outro, then back to the start.
// Channels: 1 drums, 2 bass, 3 chords, 4 lead, 5 counter-voice, 6 lead echo, 7-9 saw pad.
#include "chip_samples.h"
#include "score.h"
#include "songs.h"

namespace tunes {

Song robotWaltz() {
  Song song;
  song.title = "Waltz for a Robot";
  song.channels = 9;
  song.speed = 6;
  song.tempo = 120;

  Instrument lead = enveloped(loopedWave("lead triangle", Wave::Triangle, middleCycle),
                              {{0, 0}, {2, 64}, {10, 58}, {40, 52}}, 3, 800);
  lead.vibratoDepth = 3;
  lead.vibratoRate = 6;
  lead.vibratoSweep = 50;
  lead.volume = 64;
  lead.panning = 56;
  Instrument leadEcho = lead;
  leadEcho.panning = 200;
  Instrument counter = enveloped(loopedWave("counter pulse 12%", Wave::Pulse12, middleCycle),
                                 {{0, 0}, {8, 40}, {30, 32}}, 2, 600);
  counter.volume = 52;
  counter.panning = 80;
  Instrument bass = enveloped(loopedWave("bass triangle", Wave::Triangle, middleCycle * 2),
                              {{0, 64}, {12, 50}, {48, 38}}, 2, 2000);
  bass.panning = 156;
  Instrument chords = enveloped(loopedWave("chord saw", Wave::Saw, middleCycle),
                                {{0, 60}, {4, 48}, {16, 36}, {30, 24}}, -1, 0);
  chords.volume = 60;
  chords.panning = 208;
  // A soft saw pad spread left, centre and right: the three chord tones in the fifth octave.
  Instrument padSaw =
      enveloped(loopedWave("pad saw", Wave::Saw, middleCycle), {{0, 0}, {8, 48}, {36, 40}}, 2, 800);
  padSaw.volume = 64;
  auto padAt = [&](int panning) {
    Instrument placedPad = padSaw;
    placedPad.panning = panning;
    return placedPad;
  };
  auto drum = [](Instrument instrument, int panning) {
    instrument = enveloped(instrument, {}, -1, 0);
    instrument.panning = panning;
    return instrument;
  };
  song.instruments = {lead,
                      leadEcho,
                      counter,
                      bass,
                      chords,
                      drum(kickDrum(), 64),
                      drum(snareDrum(), 88),
                      drum(closedHat(), 176),
                      drum(crashCymbal(), 88),
                      padAt(40),
                      padAt(128),
                      padAt(216)};
  const Voice leadVoice{1, 0};
  const Voice counterVoice{3, 0};
  const Voice bassVoice{4, -12};
  const Voice chordVoice{5, 0};
  const DrumKit kit{6, 7, 8, 0, 9, 0};
  const int bar = 12;  // rows per 3/4 bar: four rows a beat
  const int rows = 4 * bar;
  const int echoVolume = 36, echoDelay = 3;  // 0..64, rows
  const int lowBass = noteNumber("E2"), lowChord = noteNumber("G4"), lowCounter = noteNumber("D5");
  const Voice padVoices[3] = {{10, 0}, {11, 0}, {12, 0}};
  const int lowPad = noteNumber("C5");
  auto pad = [&](const char* progression, int tone) {
    return chordTone(padVoices[tone], progression, bar, "X...........", tone, lowPad);
  };

  const char* progA = "G Em C D";
  const char* progA2 = "G Em Am D";
  const char* progB = "Em Bm C G";
  const char* progB2 = "C D Bm Em";
  const char* progBox = "Em Am D G";
  const char* progBox2 = "C Am D D";
  const char* pahPah = "....X...X...";
  const char* oom = "R...........5...........";
  std::string waltz = "K...h...h...K...h...s...K...h...h...K...s.s.S.S.";
  std::string waltzCrash = "C...h...h...K...h...s...K...h...h...K...h...s...";

  Track themeA = phrase(leadVoice, "B5/4 D6/2 | G5/2 B5/2 E6/2 | E6/3 D6 C6/2 | A5/2 G#5 A5/3~", 2);
  Track themeA2 =
      phrase(leadVoice, "B5/2 D6/2 G6/2 | F#6/3 E6 D6/2 | C6/2 E6/2 A5/2 | D6/4~ C6/2", 2);
  Track themeB = phrase(leadVoice, "G5/2 E5/2 G5/2 | F#5/4~ D5/2 | E5/2 G5/2 C6/2 | B5/6~", 2);
  Track themeB2 =
      phrase(leadVoice, "E6/3 D6 C6/2 | D6/2 F#6/2 A6/2 | F#6/3 E6 D6/2 | E6/4~ D6/2", 2);
  Track box = phrase(leadVoice, "E6 - G6 - B6 - | A6 - E6 - C6 - | D6 - F#6 - A6 - | G6/6~", 2);
  Track box2 = phrase(leadVoice, "G6 - E6 - C6 - | E6 - C6 - A5 - | F#5/2 A5/2 D6/2 | C6/6~", 2);
  Track outro = phrase(leadVoice, "B5/4 D6/2 | E6/3 D6 C6/2 | A5/2 B5/2 C6/2 | B5/4~ -/2", 2);

  Track rest = release(rows);
  auto section = [&](const std::string& beat, const char* progression, const Track& melody,
                     bool withCounter) {
    Track harmony = withCounter
                        ? chordTone(counterVoice, progression, bar, "X...........", 1, lowCounter)
                        : rest;
    return addPattern(
        song, {drums(kit, beat, rows), bassLine(bassVoice, progression, bar, oom, lowBass),
               arpeggio(chordVoice, progression, bar, pahPah, lowChord), melody, harmony,
               echo(melody, echoDelay, echoVolume, 2), pad(progression, 0), pad(progression, 1),
               pad(progression, 2)});
  };
  int intro1 = addPattern(song, {drums(kit, repeat("....h...h...", 3) + "....s...s.s.", rows),
                                 bassLine(bassVoice, progA, bar, oom, lowBass),
                                 arpeggio(chordVoice, progA, bar, pahPah, lowChord), rest, rest,
                                 rest, rest, rest, rest});
  int intro2 =
      addPattern(song, {drums(kit, waltz, rows), bassLine(bassVoice, progA2, bar, oom, lowBass),
                        arpeggio(chordVoice, progA2, bar, pahPah, lowChord), rest,
                        chordTone(counterVoice, progA2, bar, "X...........", 1, lowCounter), rest,
                        pad(progA2, 0), pad(progA2, 1), pad(progA2, 2)});
  int a1 = section(waltzCrash, progA, themeA, true);
  int a2 = section(waltz, progA2, themeA2, true);
  int b1 = section(waltzCrash, progB, themeB, false);
  int b2 = section(waltz, progB2, themeB2, false);
  int m1 = section(waltzCrash, progBox, box, false);
  int m2 = section(waltz, progBox2, box2, true);
  int end = section(waltzCrash, "G C D G", outro, true);

  song.orders = {intro1, intro2, a1, a2, b1, b2, a1, a2, m1, m2, a1, a2, b1, b2, end};
  return song;
}

}  // namespace tunes
