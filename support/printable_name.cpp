// printableName: control bytes of a name written as \xNN escapes.
#include "support/printable_name.h"

namespace {

bool isControlByte(unsigned char byte) { return byte < 0x20 || (byte >= 0x7F && byte < 0xA0); }

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 character of two or more bytes at `text` that is not a C1
// control; 0 when there is none (a lone byte, an overlong form, a surrogate, beyond U+10FFFF).
int printableUtf8Length(const unsigned char* text) {
  unsigned char lead = text[0];
  int length = lead >= 0xC2 && lead <= 0xDF   ? 2
               : lead >= 0xE0 && lead <= 0xEF ? 3
               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                              : 0;
  if (length == 0) return 0;
  for (int i = 1; i < length; ++i)
    if (!isContinuation(text[i])) return 0;  // also stops at the terminating zero
  unsigned char second = text[1];
  if (lead == 0xC2 && second < 0xA0) return 0;   // U+0080-U+009F: C1 controls
  if (lead == 0xE0 && second < 0xA0) return 0;   // overlong
  if (lead == 0xED && second >= 0xA0) return 0;  // surrogates
  if (lead == 0xF0 && second < 0x90) return 0;   // overlong
  if (lead == 0xF4 && second >= 0x90) return 0;  // beyond U+10FFFF
  return length;
}

}  // namespace

std::string printableName(const char* name) {
  if (!name) return "(no name)";
  static const char hexDigits[] = "0123456789abcdef";
  const unsigned char* cursor = reinterpret_cast<const unsigned char*>(name);
  std::string printable;
  while (*cursor) {
    if (int length = printableUtf8Length(cursor)) {
      printable.append(reinterpret_cast<const char*>(cursor), length);
      cursor += length;
      continue;
    }
    unsigned char byte = *cursor++;
    if (!isControlByte(byte)) {
      printable += char(byte);
      continue;
    }
    printable += "\\x";
    printable += hexDigits[byte >> 4];
    printable += hexDigits[byte & 0x0F];
  }
  return printable;
}
