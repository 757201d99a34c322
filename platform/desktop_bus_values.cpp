// The pure rules of the desktop bus (platform/desktop_bus_values.h).
#include "platform/desktop_bus_values.h"

#include <cmath>
#include <cstdint>

namespace {

// Length of the valid UTF-8 sequence at the start of bytes, 0 when it is not one.
size_t utf8SequenceLength(std::string_view bytes) {
  const auto byte = [&](size_t index) { return static_cast<uint8_t>(bytes[index]); };
  const uint8_t lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length;
  uint32_t point;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, point = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, point = lead & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (size_t index = 1; index < length; ++index) {
    if ((byte(index) & 0xC0) != 0x80) return 0;
    point = point << 6 | (byte(index) & 0x3F);
  }
  const uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < shortest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
    return 0;
  return length;
}

}  // namespace

const char* playbackStatusName(PlaybackState state) {
  switch (state) {
    case PlaybackState::playing: return "Playing";
    case PlaybackState::paused: return "Paused";
    case PlaybackState::stopped: return "Stopped";
  }
  return "Stopped";
}

int volumeFromBus(double busVolume) {
  if (std::isnan(busVolume)) return -1;
  if (busVolume <= 0.0) return 0;
  if (busVolume >= highestRemoteVolume / 100.0) return highestRemoteVolume;
  return static_cast<int>(std::lround(busVolume * 100.0));
}

std::string_view trimmedSpaces(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string validUtf8(std::string_view bytes) {
  std::string text;
  while (!bytes.empty()) {
    const size_t length = utf8SequenceLength(bytes);
    if (length == 0) {
      text += "\xEF\xBF\xBD";
      bytes.remove_prefix(1);
    } else {
      text.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
    }
  }
  return text;
}

std::string fileUrl(std::string_view absolutePath) {
  static const char hexDigits[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (const char character : absolutePath) {
    const auto byte = static_cast<uint8_t>(character);
    const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                       (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                       byte == '~' || byte == '/';
    if (plain) {
      url += character;
    } else {
      url += '%';
      url += hexDigits[byte >> 4];
      url += hexDigits[byte & 0x0F];
    }
  }
  return url;
}
