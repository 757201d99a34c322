// Turns the readable note data of score.h into tracker cells.
#include "score.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace tunes {
namespace {

constexpr int vibratoEffect = 0x4;
constexpr int portamentoEffect = 0x3;
constexpr int arpeggioEffect = 0x0;
constexpr int defaultVibrato = 0x44;     // speed 4, depth 4
constexpr int defaultPortamento = 0x18;  // pitch units per tick
constexpr int softKick = 44, softSnare = 34, softHat = 26, loudHat = 44, crashVolume = 56;  // 0..64

int dataErrors = 0;

void report(const std::string& message) {
  std::fprintf(stderr, "tunes: %s\n", message.c_str());
  ++dataErrors;
}

std::vector<std::string_view> tokens(std::string_view text) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    size_t start = i;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i > start && text.substr(start, i - start) != "|")
      out.push_back(text.substr(start, i - start));
  }
  return out;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads two hex digits at `pos` when present; advances `pos`.
int optionalHex(std::string_view text, size_t& pos, int fallback) {
  if (pos + 1 < text.size() && hexDigit(text[pos]) >= 0 && hexDigit(text[pos + 1]) >= 0) {
    int value = hexDigit(text[pos]) * 16 + hexDigit(text[pos + 1]);
    pos += 2;
    return value;
  }
  return fallback;
}

int readNumber(std::string_view text, size_t& pos) {
  int value = 0;
  while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
    value = value * 10 + (text[pos++] - '0');
  return value;
}

constexpr int notALetter = -100;

// Semitone of a note letter with an optional sharp or flat (Cb = -1);
// `pos` moves past it. notALetter when there is no note letter.
int pitchClass(std::string_view text, size_t& pos) {
  static const int letters[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (pos >= text.size() || text[pos] < 'A' || text[pos] > 'G') return notALetter;
  int semitone = letters[text[pos++] - 'A'];
  if (pos < text.size() && text[pos] == '#')
    ++semitone, ++pos;
  else if (pos < text.size() && text[pos] == 'b')
    --semitone, ++pos;
  return semitone;
}

int trackerNote(const Voice& voice, int pitch) { return pitch - voice.pitchOffset; }

struct Chord {
  int root = 0;  // pitch class
  std::vector<int> intervals;
};

bool parseChord(std::string_view name, Chord& chord) {
  size_t pos = 0;
  chord.root = pitchClass(name, pos);
  if (chord.root == notALetter) return false;
  chord.root = (chord.root + 12) % 12;
  std::string_view quality = name.substr(pos);
  static const struct {
    const char* name;
    std::vector<int> intervals;
  } qualities[] = {{"", {0, 4, 7}},       {"m", {0, 3, 7}},        {"7", {0, 4, 7, 10}},
                   {"m7", {0, 3, 7, 10}}, {"maj7", {0, 4, 7, 11}}, {"sus2", {0, 2, 7}},
                   {"sus4", {0, 5, 7}},   {"dim", {0, 3, 6}},      {"aug", {0, 4, 8}}};
  for (const auto& q : qualities) {
    if (quality == q.name) {
      chord.intervals = q.intervals;
      return true;
    }
  }
  return false;
}

// The chord sounding at each row; no rows at all when the chord text has a mistake, so that
// every row handed out has a root and intervals.
std::vector<Chord> chordRows(std::string_view chords, int rowsPerChord) {
  std::vector<Chord> rows;
  Chord current;
  bool have = false;
  for (std::string_view token : tokens(chords)) {
    if (token != ".") {
      if (!parseChord(token, current)) {
        report("bad chord '" + std::string(token) + "'");
        return {};
      }
      have = true;
    } else if (!have) {
      report("chord list starts with '.'");
      return {};
    }
    for (int i = 0; i < rowsPerChord; ++i) rows.push_back(current);
  }
  return rows;
}

// Pitch of `semitone` above the root, moved into [lowest, lowest + 12) by octaves.
int placed(int pitchClassValue, int lowest) {
  int pitch = lowest + ((pitchClassValue - (lowest - 1)) % 12 + 12) % 12;
  return pitch;
}

char rhythmAt(std::string_view rhythm, int row) {
  return rhythm.empty() ? '.' : rhythm[row % rhythm.size()];
}

}  // namespace

int noteNumber(std::string_view name) {
  size_t pos = 0;
  int semitone = pitchClass(name, pos);
  if (semitone == notALetter || pos >= name.size() ||
      !std::isdigit(static_cast<unsigned char>(name[pos]))) {
    report("bad note '" + std::string(name) + "'");
    return 0;
  }
  int octave = name[pos] - '0';
  if (pos + 1 != name.size()) {
    report("bad note '" + std::string(name) + "'");
    return 0;
  }
  int note = octave * 12 + semitone + 1;
  if (note < 1 || note > 96) {
    report("note '" + std::string(name) + "' out of range");
    return 0;
  }
  return note;
}

Track phrase(const Voice& voice, std::string_view text, int unitRows) {
  Track track;
  for (std::string_view token : tokens(text)) {
    size_t pos = 0;
    int note = noNote;
    bool rest = false, hold = false;
    if (token[0] == '-')
      rest = true, pos = 1;
    else if (token[0] == '.')
      hold = true, pos = 1;
    else {
      while (pos < token.size() &&
             (std::isupper(static_cast<unsigned char>(token[pos])) || token[pos] == '#' ||
              token[pos] == 'b' || std::isdigit(static_cast<unsigned char>(token[pos]))))
        ++pos;
      note = noteNumber(token.substr(0, pos));
    }
    int units = 1, vibrato = 0, arpeggioParam = -1, volume = noVolume, slide = 0;
    while (pos < token.size()) {
      char c = token[pos++];
      if (c == '/')
        units = readNumber(token, pos);
      else if (c == '~')
        vibrato = optionalHex(token, pos, defaultVibrato);
      else if (c == '=')
        arpeggioParam = optionalHex(token, pos, -1);
      else if (c == '!')
        volume = readNumber(token, pos);
      else if (c == '>')
        slide = optionalHex(token, pos, defaultPortamento);
      else {
        report("bad phrase token '" + std::string(token) + "'");
        break;
      }
    }
    int rows = units * unitRows;
    if (rows < 1 || (arpeggioParam == -1 && token.find('=') != std::string_view::npos)) {
      report("bad phrase token '" + std::string(token) + "'");
      rows = 1;
    }
    for (int r = 0; r < rows; ++r) {
      Cell cell;
      if (r == 0 && rest) cell.note = keyOff;
      if (r == 0 && !rest && !hold) {
        cell.note = note ? trackerNote(voice, note) : noNote;
        cell.instrument = voice.instrument;
        cell.volume = volume != noVolume ? volume : voice.volume;
        if (slide) cell.effect = portamentoEffect, cell.param = slide;
      }
      if (!rest && !hold) {
        if (arpeggioParam >= 0)
          cell.effect = arpeggioEffect, cell.param = arpeggioParam;
        else if (slide && r > 0)
          cell.effect = portamentoEffect, cell.param = 0;
        else if (vibrato && r > 0)
          cell.effect = vibratoEffect, cell.param = vibrato;
      }
      track.push_back(cell);
    }
  }
  return track;
}

Track drums(const DrumKit& kit, std::string_view pattern, int rows) {
  constexpr int drumNote = 61;  // C-5: drum samples play at their recorded rate
  Track track(rows);
  for (int r = 0; r < rows && !pattern.empty(); ++r) {
    char c = pattern[r % pattern.size()];
    Cell& cell = track[r];
    if (c == '.') continue;
    cell.note = drumNote;
    switch (c) {
      case 'K':
        cell.instrument = kit.kick;
        cell.volume = maxVolume;
        break;
      case 'k':
        cell.instrument = kit.kick;
        cell.volume = softKick;
        break;
      case 'S':
        cell.instrument = kit.snare;
        cell.volume = maxVolume;
        break;
      case 's':
        cell.instrument = kit.snare;
        cell.volume = softSnare;
        break;
      case 'H':
        cell.instrument = kit.hat;
        cell.volume = loudHat;
        break;
      case 'h':
        cell.instrument = kit.hat;
        cell.volume = softHat;
        break;
      case 'O':
        cell.instrument = kit.openHat;
        cell.volume = loudHat;
        break;
      case 'o':
        cell.instrument = kit.openHat;
        cell.volume = softHat;
        break;
      case 'C':
        cell.instrument = kit.crash;
        cell.volume = crashVolume;
        break;
      case 'T':
        cell.instrument = kit.tom;
        cell.volume = maxVolume;
        cell.note = drumNote + 3;
        break;
      case 'M':
        cell.instrument = kit.tom;
        cell.volume = maxVolume;
        cell.note = drumNote - 2;
        break;
      case 'L':
        cell.instrument = kit.tom;
        cell.volume = maxVolume;
        cell.note = drumNote - 7;
        break;
      default:
        report(std::string("bad drum '") + c + "'");
        cell = Cell();
        continue;
    }
    if (cell.instrument == 0) {
      report(std::string("drum '") + c + "' has no instrument in this kit");
      cell = Cell();
    }
  }
  return track;
}

Track bassLine(const Voice& voice, std::string_view chords, int rowsPerChord,
               std::string_view rhythm, int lowest) {
  std::vector<Chord> rows = chordRows(chords, rowsPerChord);
  Track track(rows.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    char c = rhythmAt(rhythm, int(r));
    const Chord& chord = rows[r];
    int root = placed(chord.root, lowest);
    int interval = -1;
    switch (c) {
      case 'R': interval = 0; break;
      case '2': interval = 2; break;
      case '3': interval = chord.intervals[1]; break;
      case '4': interval = 5; break;
      case '6': interval = 9; break;
      case '5': interval = chord.intervals[2]; break;
      case '7': interval = chord.intervals.size() > 3 ? chord.intervals[3] : 10; break;
      case '8': interval = 12; break;
      case '-': track[r].note = keyOff; continue;
      case '.': continue;
      default: report(std::string("bad bass rhythm '") + c + "'"); continue;
    }
    track[r].note = trackerNote(voice, root + interval);
    track[r].instrument = voice.instrument;
    track[r].volume = voice.volume;
  }
  return track;
}

Track arpeggio(const Voice& voice, std::string_view chords, int rowsPerChord,
               std::string_view rhythm, int lowest) {
  std::vector<Chord> rows = chordRows(chords, rowsPerChord);
  Track track(rows.size());
  int param = -1;  // arpeggio of the sounding chord, -1 when silent
  for (size_t r = 0; r < rows.size(); ++r) {
    char c = rhythmAt(rhythm, int(r));
    const Chord& chord = rows[r];
    // a seventh chord sounds root, third and seventh, the bluesier pair
    int upper = chord.intervals.size() > 3 ? chord.intervals[3] : chord.intervals[2];
    int chordParam = (chord.intervals[1] << 4) | upper;
    if (c == 'X') {
      track[r].note = trackerNote(voice, placed(chord.root, lowest));
      track[r].instrument = voice.instrument;
      track[r].volume = voice.volume;
      param = chordParam;
    } else if (c == '-') {
      track[r].note = keyOff;
      param = -1;
      continue;
    } else if (c != '.') {
      report(std::string("bad chord rhythm '") + c + "'");
      continue;
    }
    if (param >= 0) track[r].param = param;
  }
  return track;
}

Track chordStrikes(const Voice& major, const Voice& minor, std::string_view chords,
                   int rowsPerChord, std::string_view rhythm, int lowest) {
  std::vector<Chord> rows = chordRows(chords, rowsPerChord);
  Track track(rows.size());
  int held = noNote, heldInstrument = 0;
  for (size_t r = 0; r < rows.size(); ++r) {
    char c = rhythmAt(rhythm, int(r));
    const Chord& chord = rows[r];
    const bool isMinor = chord.intervals[1] == 3;
    const Voice& voice = isMinor ? minor : major;
    int note = trackerNote(voice, placed(chord.root, lowest));
    if (c == '-') {
      track[r].note = keyOff;
      held = noNote;
    } else if (c == 'X' || (c == '.' && held != noNote &&
                            (held != note || heldInstrument != voice.instrument))) {
      track[r].note = note;
      track[r].instrument = voice.instrument;
      track[r].volume = voice.volume;
      held = note;
      heldInstrument = voice.instrument;
    } else if (c != '.') {
      report(std::string("bad chord rhythm '") + c + "'");
    }
  }
  return track;
}

Track chordTone(const Voice& voice, std::string_view chords, int rowsPerChord,
                std::string_view rhythm, int tone, int lowest) {
  std::vector<Chord> rows = chordRows(chords, rowsPerChord);
  Track track(rows.size());
  int held = noNote;
  for (size_t r = 0; r < rows.size(); ++r) {
    char c = rhythmAt(rhythm, int(r));
    const Chord& chord = rows[r];
    int interval = chord.intervals[tone % chord.intervals.size()];
    int note = trackerNote(voice, placed(chord.root + interval, lowest));
    if (c == '-') {
      track[r].note = keyOff;
      held = noNote;
    } else if (c == 'X' || (c == '.' && held != noNote && held != note)) {
      track[r].note = note;
      track[r].instrument = voice.instrument;
      track[r].volume = voice.volume;
      held = note;
    } else if (c != '.') {
      report(std::string("bad chord rhythm '") + c + "'");
    }
  }
  return track;
}

Track echo(const Track& source, int delay, int volume, int instrument) {
  Track track(source.size());
  for (size_t r = delay; r < source.size(); ++r) {
    Cell cell = source[r - delay];
    if (cell.note != noNote && cell.note != keyOff) {
      cell.volume = volume;
      if (instrument) cell.instrument = instrument;
    } else {
      cell.volume = noVolume;
    }
    track[r] = cell;
  }
  return track;
}

Track silence(int rows) { return Track(rows); }

Track release(int rows) {
  Track track(rows);
  if (rows > 0) track[0].note = keyOff;
  return track;
}

Track join(std::initializer_list<Track> parts) {
  Track track;
  for (const Track& part : parts) track.insert(track.end(), part.begin(), part.end());
  return track;
}

Track overlay(const Track& base, const Track& top) {
  Track track = base;
  if (top.size() != base.size()) report("overlay of tracks of different lengths");
  for (size_t r = 0; r < track.size() && r < top.size(); ++r) {
    const Cell& cell = top[r];
    if (cell.note != noNote || cell.effect != 0 || cell.param != 0 || cell.volume != noVolume)
      track[r] = cell;
  }
  return track;
}

std::string repeat(std::string_view text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

int addPattern(Song& song, std::initializer_list<Track> channels) {
  int number = int(song.patterns.size());
  if (int(channels.size()) != song.channels) {
    report(song.title + ": pattern " + std::to_string(number) + " has " +
           std::to_string(channels.size()) + " channels, the song " +
           std::to_string(song.channels));
    return number;
  }
  int rows = int(channels.begin()->size());
  Pattern pattern(rows, song.channels);
  int channel = 0;
  for (const Track& track : channels) {
    if (int(track.size()) != rows)
      report(song.title + ": pattern " + std::to_string(number) + " channel " +
             std::to_string(channel + 1) + " has " + std::to_string(track.size()) + " rows, not " +
             std::to_string(rows));
    for (int r = 0; r < rows && r < int(track.size()); ++r) pattern.at(r, channel) = track[r];
    ++channel;
  }
  song.patterns.push_back(pattern);
  return number;
}

bool scoreOk() { return dataErrors == 0; }

int scoreErrorCount() { return dataErrors; }

}  // namespace tunes
