// "Crystal Caverns Below": D minor, 100 BPM, eight-channel XM. Slow saw pads,
// a triangle bass and a square lead with its echo on the other side, over a
// half-time beat. Intro, A, A', B, B', bridge in the relative major, a break,
// A, B', outro, then back to the start.
// Channels: 1 kick/snare, 2 hats, 3 bass, 4-5 pad, 6 lead, 7 lead echo, 8 shimmer arpeggio.
#include "chip_samples.h"
#include "score.h"
#include "songs.h"

namespace tunes {

Song crystalCaverns() {
  Song song;
  song.title = "Crystal Caverns Below";
  song.channels = 8;
  song.speed = 6;
  song.tempo = 100;

  Instrument lead = enveloped(loopedWave("lead square", Wave::Square, middleCycle),
                              {{0, 0}, {1, 64}, {6, 50}, {24, 42}}, 3, 1200);
  lead.vibratoDepth = 3;
  lead.vibratoRate = 9;
  lead.vibratoSweep = 40;
  lead.volume = 56;
  lead.panning = 72;
  Instrument leadEcho = lead;
  leadEcho.panning = 184;
  Instrument bass = enveloped(loopedWave("bass triangle", Wave::Triangle, middleCycle * 2),
                              {{0, 64}, {10, 52}, {40, 40}}, 2, 3000);
  bass.panning = 168;
  Instrument padLeft = enveloped(loopedWave("pad saw", Wave::Saw, middleCycle),
                                 {{0, 0}, {16, 40}, {40, 34}}, 2, 500);
  padLeft.volume = 52;
  padLeft.panning = 40;
  Instrument padRight = padLeft;
  padRight.panning = 216;
  Instrument shimmer = enveloped(loopedWave("shimmer pulse 12%", Wave::Pulse12, middleCycle),
                                 {{0, 48}, {6, 26}, {24, 14}}, 2, 800);
  shimmer.volume = 36;
  shimmer.panning = 208;
  auto drum = [](Instrument instrument, int panning) {
    instrument = enveloped(instrument, {}, -1, 0);
    instrument.panning = panning;
    return instrument;
  };
  song.instruments = {lead,
                      leadEcho,
                      bass,
                      padLeft,
                      padRight,
                      shimmer,
                      drum(kickDrum(), 128),
                      drum(snareDrum(), 120),
                      drum(closedHat(), 160),
                      drum(openHat(), 160),
                      drum(crashCymbal(), 100),
                      drum(tomDrum(), 110)};
  const Voice leadVoice{1, 0};
  const Voice bassVoice{3, -12};
  const Voice padLeftVoice{4, 0}, padRightVoice{5, 0};
  const Voice shimmerVoice{6, 0};
  const DrumKit kit{7, 8, 9, 10, 11, 12};
  const int bar = 16;
  const int echoVolume = 36, echoDelay = 3;  // 0..64, rows
  const int lowBass = noteNumber("D2"), lowPad = noteNumber("C5"), lowShimmer = noteNumber("D5");

  const char* progA = "Dm Bb C Am";
  const char* progB = "Gm Dm Bb A";
  const char* progBridge = "Bb F C Dm";
  const char* padRhythm = "X...............";
  const char* bassWalk = "R.....R.5.....R.";
  const char* shimmerRhythm = "X.....X.....X...";
  std::string halfTime = repeat("K.....k.S.....k.", 3) + "K.....k.S...S.SS";
  std::string halfTimeCrash =
      "C.....k.S.....k." + repeat("K.....k.S.....k.", 2) + "K.....k.S.S.TML.";
  std::string hats = repeat("H.h.H.h.H.h.H.h.", 3) + "H.h.H.h.H.h.O...";

  Track themeA =
      phrase(leadVoice, "D5/3 E5 F5/2 A5/2 | G5/3 F5 D5/4~ | E5/2 G5/2 C6/2 Bb5 A5 | A5/6~ -/2", 2);
  Track themeA2 =
      phrase(leadVoice,
             "A5/3 G5 F5/2 E5 D5 | D5/2 F5/2 Bb5/4~ | C6/2 Bb5 A5 G5/2 E5/2 | E5/4~ A4/2 -/2", 2);
  Track themeB = phrase(
      leadVoice,
      "Bb5/3 A5 G5/2 D5/2 | F5/3 E5 D5/4~ | D5 F5 Bb5/2 A5 G5 F5/2 | A5 G#5 A5 E5 C#5/2 E5/2", 2);
  Track themeB2 = phrase(
      leadVoice, "G5/2 Bb5/2 D6/4~ | C6 A5 F5/2 A5/4~ | Bb5/2 A5/2 G5/2 F5/2 | E5/6~ -/2", 2);
  Track bridge = phrase(leadVoice, "D6/6~ C6 Bb5 | C6/6~ A5/2 | G5/4~ E5/2 G5/2 | F5/8~", 2);
  Track outro =
      phrase(leadVoice, "D5/3 E5 F5/2 A5/2 | G5/3 F5 D5/4~ | E5/2 C#5/2 E5/4~ | D5/6~ -/2", 2);

  auto pads = [&](const char* progression) {
    return std::pair{chordTone(padLeftVoice, progression, bar, padRhythm, 1, lowPad),
                     chordTone(padRightVoice, progression, bar, padRhythm, 2, lowPad)};
  };
  auto [padA1, padA2] = pads(progA);
  auto [padB1, padB2] = pads(progB);
  auto [padC1, padC2] = pads(progBridge);
  auto [padO1, padO2] = pads("Dm Bb A Dm");
  Track shimmerA = arpeggio(shimmerVoice, progA, bar, shimmerRhythm, lowShimmer);
  Track shimmerB = arpeggio(shimmerVoice, progB, bar, shimmerRhythm, lowShimmer);
  Track shimmerC = arpeggio(shimmerVoice, progBridge, bar, shimmerRhythm, lowShimmer);
  Track bassA = bassLine(bassVoice, progA, bar, bassWalk, lowBass);
  Track bassB = bassLine(bassVoice, progB, bar, bassWalk, lowBass);
  Track bassC = bassLine(bassVoice, progBridge, bar, "R.......5...8...", lowBass);
  Track rest = release(64);

  int intro1 = addPattern(song, {rest, rest, rest, padA1, padA2, rest, rest, shimmerA});
  int intro2 = addPattern(song, {drums(kit, repeat("K...............", 3) + "K.......S.S.SSSS", 64),
                                 drums(kit, hats, 64), bassA, padA1, padA2, rest, rest, shimmerA});
  auto withLead = [&](const std::string& beat, const Track& bassTrack,
                      const std::pair<Track, Track>& pad, const Track& melody,
                      const Track& shimmerTrack) {
    return addPattern(
        song, {drums(kit, beat, 64), drums(kit, hats, 64), bassTrack, pad.first, pad.second, melody,
               echo(melody, echoDelay, echoVolume, 2), shimmerTrack});
  };
  int a1 = withLead(halfTimeCrash, bassA, {padA1, padA2}, themeA, rest);
  int a2 = withLead(halfTime, bassA, {padA1, padA2}, themeA2, shimmerA);
  int b1 = withLead(halfTimeCrash, bassB, {padB1, padB2}, themeB, rest);
  int b2 = withLead(halfTime, bassB, {padB1, padB2}, themeB2, shimmerB);
  int c1 = withLead(halfTimeCrash, bassC, {padC1, padC2}, bridge, shimmerC);
  int pause = addPattern(song, {drums(kit, repeat("................", 3) + "....L...M...T.TT", 64),
                                drums(kit, repeat("h...............", 4), 64), bassA, padA1, padA2,
                                rest, rest, shimmerA});
  int end = withLead(halfTimeCrash, bassLine(bassVoice, "Dm Bb A Dm", bar, bassWalk, lowBass),
                     {padO1, padO2}, outro, rest);

  song.orders = {intro1, intro2, a1, a2, b1, b2, c1, pause, a1, b2, end};
  return song;
}

}  // namespace tunes
