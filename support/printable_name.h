// printableName: the one way a file name or path reaches the terminal. A name is whatever
// bytes the file system holds, so printing it raw lets it retitle or clear the terminal
// (escape sequences) or forge a line of its own (a newline). Control bytes - C0 (0x00-0x1F),
// DEL (0x7F) and C1 (0x80-0x9F) - are written as the four characters `\xNN` (lower-case hex);
// bytes 0xA0-0xFF stay as they are, so Latin-1 names still read. A well-formed UTF-8
// character passes whole (its continuation bytes may lie in 0x80-0x9F), except the C1
// controls U+0080-U+009F, whose two bytes are escaped. A backslash itself is left alone.
#pragma once

#include <string>

std::string printableName(const char* name);  // null prints as "(no name)"
