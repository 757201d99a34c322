// Readable note data for the tunes. A channel's rows (a Track) are written
// as short texts:
//
//   phrase:  "A4/2 C5 E5/4~ -/2 G4=37/4 .", one token per note; "/n" = n units
//            long, "~" or "~xy" = vibrato after the first row, "=xy" =
//            arpeggio, "!nn" = volume 0..64, ">" or ">xx" = slide into the
//            note, "-" = release, "." = hold. "|" bar lines are ignored.
//   chords:  "Am . F G7", one chord per `chordRows` rows, "." repeats.
//            Qualities: (major) m 7 m7 maj7 sus2 sus4 dim aug.
//   rhythm:  one character per row, repeated over the pattern.
// bass: R root, 2 ninth, 3 third, 4 fourth, 5 fifth, 6 sixth, 7 seventh, 8 octave, "." hold, "-"
// release.
//            chords: X strike, "." hold, "-" release.
//   drums:   K/k kick, S/s snare, H/h closed hat, O/o open hat, C crash,
//            T/M/L high, middle, low tom, "." nothing; upper case is accented.
//
// Pitches are tracker notes (C-4 = 49 = middle C). A Voice's `pitchOffset`
// says how many semitones its sample sounds above a middle-C cycle, so
// "E2" on a bass made of long cycles lands on a note the MOD format can hold.
// Any mistake in the data prints one line on stderr and marks the score bad; make_tunes
// writes no file for a song whose data had a mistake.
#pragma once

#include "module.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tunes {

using Track = std::vector<Cell>;

struct Voice {
  int instrument = 0;
  int pitchOffset = 0;  // semitones the sample sounds above a middle-C cycle
  int volume = noVolume;
};

struct DrumKit {
  int kick = 0, snare = 0, hat = 0, openHat = 0, crash = 0, tom = 0;  // instrument numbers
};

int noteNumber(std::string_view name);  // "C#4" -> 50; 0 and an error when malformed

Track phrase(const Voice& voice, std::string_view text, int unitRows);
Track drums(const DrumKit& kit, std::string_view pattern, int rows);
Track bassLine(const Voice& voice, std::string_view chords, int chordRows, std::string_view rhythm,
               int lowest);
// Chord strikes on one channel, the chord spelled by the arpeggio effect.
Track arpeggio(const Voice& voice, std::string_view chords, int chordRows, std::string_view rhythm,
               int lowest);
// Chord strikes on one channel with chord samples (pluckedChord): the root placed in
// [lowest, lowest + 12), on `minor` for chords with a minor third and on `major` for the rest.
Track chordStrikes(const Voice& major, const Voice& minor, std::string_view chords, int chordRows,
                   std::string_view rhythm, int lowest);
// One tone of each chord (0 root, 1 third, 2 fifth, 3 seventh) placed in
// [lowest, lowest + 12); a held tone moves when the chord changes.
Track chordTone(const Voice& voice, std::string_view chords, int chordRows, std::string_view rhythm,
                int tone, int lowest);
// The track delayed by `delay` rows at `volume`, on `instrument` when not 0.
Track echo(const Track& source, int delay, int volume, int instrument = 0);
Track silence(int rows);
Track release(int rows);  // a release at the first row, then nothing
Track join(std::initializer_list<Track> parts);
// Cells of `top` wherever it has something, `base` elsewhere.
Track overlay(const Track& base, const Track& top);
std::string repeat(std::string_view text, int times);

// Adds a pattern made of one track per channel; returns its number.
int addPattern(Song& song, std::initializer_list<Track> channels);

bool scoreOk();         // false once any data error was reported
int scoreErrorCount();  // data errors reported so far

}  // namespace tunes
