// "Night Shift": E minor, 140 BPM, nine-channel XM. A driving saw bass, a
// running arpeggio, a pulse lead with an echo (or a counter-melody in
// the bridge) and a saw pad. Intro in two steps, A, A', B, B', bridge, a dub break, A', B,
// B', outro, then back to the start.
// Channels: 1 kick/snare, 2 hats, 3 bass, 4 arpeggio, 5 lead, 6 echo/counter-melody, 7-9 pad.
#include "chip_samples.h"
#include "score.h"
#include "songs.h"

namespace tunes {

Song nightShift() {
  Song song;
  song.title = "Night Shift";
  song.channels = 9;
  song.speed = 6;
  song.tempo = 140;

  Instrument lead = enveloped(loopedWave("lead square", Wave::Square, middleCycle),
                              {{0, 64}, {4, 56}, {30, 46}}, 2, 1500);
  lead.vibratoDepth = 2;
  lead.vibratoRate = 12;
  lead.vibratoSweep = 30;
  lead.volume = 52;
  lead.panning = 56;
  Instrument counter = enveloped(loopedWave("counter pulse 25%", Wave::Pulse25, middleCycle),
                                 {{0, 64}, {4, 56}, {30, 46}}, 2, 1500);
  counter.volume = 64;
  counter.panning = 176;
  Instrument bass = enveloped(loopedWave("bass saw", Wave::Saw, middleCycle * 2),
                              {{0, 64}, {6, 40}, {20, 30}}, 2, 4000);
  bass.volume = 40;
  bass.panning = 152;
  Instrument arp = enveloped(loopedWave("arp saw", Wave::Saw, middleCycle),
                             {{0, 60}, {10, 50}, {40, 42}}, 2, 1000);
  arp.volume = 48;
  arp.panning = 208;
  // A soft saw pad spread left, centre and right: the three chord tones in the fifth octave.
  Instrument padSaw = enveloped(loopedWave("pad saw", Wave::Saw, middleCycle),
                                {{0, 0}, {10, 64}, {40, 52}}, 2, 800);
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
                      counter,
                      bass,
                      arp,
                      drum(kickDrum(), 128),
                      drum(snareDrum(), 96),
                      drum(closedHat(), 200),
                      drum(openHat(), 200),
                      drum(crashCymbal(), 96),
                      drum(tomDrum(), 128),
                      padAt(64),
                      padAt(128),
                      padAt(176)};
  const Voice leadVoice{1, 0};
  const Voice counterVoice{2, 0};
  const Voice bassVoice{3, -12};
  const Voice arpVoice{4, 0};
  const DrumKit kit{5, 6, 7, 8, 9, 10};
  const Voice padVoices[3] = {{11, 0}, {12, 0}, {13, 0}};
  const int bar = 16;
  const int echoVolume = 40, echoDelay = 3;  // 0..64, rows
  const int lowBass = noteNumber("E2"), lowArp = noteNumber("F4"), lowPad = noteNumber("C5");
  auto pad = [&](const char* progression, int tone) {
    return chordTone(padVoices[tone], progression, bar, "X...............", tone, lowPad);
  };

  const char* progA = "Em C G D";
  const char* progB = "Am Em C B7";
  const char* progBridge = "C D Bm Em";
  const char* drive = "R.R8R.R8R.R8R.R8";
  std::string beat = repeat("K...S...K.K.S...", 3);
  std::string beatFill = beat + "K...S...K.S.SSSS";
  std::string beatCrash = "C...S...K.K.S..." + repeat("K...S...K.K.S...", 2) + "K...S...TTMMLLSS";
  std::string hats = repeat("hhHhhhHhhhHhhhHo", 4);

  Track themeA = phrase(leadVoice,
                        "B4/2 E5/2 G5 F#5 E5 B4 | C5/3 E5 G5/2 E5/2 | D5/2 G5/2 B5 A5 G5 D5 |"
                        " F#5/6~ -/2",
                        2);
  Track themeA2 = phrase(leadVoice,
                         "B4/2 E5/2 G5 A5 B5 E6 | E6/3 D6 C6/2 G5/2 | B5/2 D6/2 B5 A5 G5 B5 |"
                         " A5 G#5/2 A5~ F#5/2 D5/2",
                         2);
  Track themeB = phrase(leadVoice,
                        "C6/2 B5 A5 E5/4~ | G5/2 F#5 E5 B4/4~ | C5 E5 G5 C6 E6/2 D6 C6 |"
                        " D#6/4~ B5/2 F#5/2",
                        2);
  Track themeB2 = phrase(leadVoice,
                         "A5/2 C6/2 E6/4~ | D6 B5 G5 E5 G5/2 B5/2 | C6/2 E6/2 G6/2 E6/2 |"
                         " F#6/4~ D#6/2 B5/2",
                         2);
  Track bridge = phrase(leadVoice, "G5/8~ | A5/8~ | B5/4~ D6/4~ | E6/8~", 2);
  Track bridgeCounter = phrase(counterVoice, "E5/8~ | F#5/8~ | F#5/8~ | G5/6~ -/2", 2);
  Track outro = phrase(
      leadVoice, "B4/2 E5/2 G5 F#5 E5 B4 | C5/3 E5 G5/2 E5/2 | D5/2 F#5/2 A5/4~ | E5/6~ -/2", 2);

  auto section = [&](const std::string& beatText, const char* progression, const Track& melody,
                     const Track& second) {
    return addPattern(
        song, {drums(kit, beatText, 64), drums(kit, hats, 64),
               bassLine(bassVoice, progression, bar, drive, lowBass),
               arpeggio(arpVoice, progression, bar, "X.....X.....X...", lowArp), melody, second,
               pad(progression, 0), pad(progression, 1), pad(progression, 2)});
  };
  auto withEcho = [&](const std::string& beatText, const char* progression, const Track& melody) {
    return section(beatText, progression, melody, echo(melody, echoDelay, echoVolume, 2));
  };
  Track rest = release(64);
  int intro1 = addPattern(
      song, {drums(kit, repeat("K...............", 3) + "K.......S...S.SS", 64),
             drums(kit, hats, 64), rest, arpeggio(arpVoice, progA, bar, "X...............", lowArp),
             rest, rest, rest, rest, rest});
  int intro2 = section(beatFill, progA, rest, rest);
  int a1 = withEcho(beatCrash, progA, themeA);
  int a2 = withEcho(beatFill, progA, themeA2);
  int b1 = withEcho(beatCrash, progB, themeB);
  int b2 = withEcho(beatFill, progB, themeB2);
  int c1 = section(beatCrash, progBridge, bridge, bridgeCounter);
  int dub = addPattern(song, {drums(kit, repeat("K.......S.......", 3) + "K.......S.S.SSSS", 64),
                              drums(kit, repeat("....o.......o...", 4), 64),
                              bassLine(bassVoice, progA, bar, "R.....R.....8.R.", lowBass), rest,
                              rest, rest, pad(progA, 0), pad(progA, 1), pad(progA, 2)});
  int end = withEcho(beatCrash, "Em C D Em", outro);

  song.orders = {intro1, intro2, a1, a2, b1, b2, c1, dub, a2, b1, b2, end};
  return song;
}

}  // namespace tunes
