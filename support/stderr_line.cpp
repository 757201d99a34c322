// stderrLine (support/stderr_line.h).
#include "support/stderr_line.h"

#include <cstdarg>
#include <cstdio>
#include <string>

void stderrLine(const char* format, ...) {
  std::string line = "zolta: ";
  const std::size_t start = line.size();
  va_list arguments;
  va_start(arguments, format);
  va_list measured;
  va_copy(measured, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measured);
  va_end(measured);
  if (length > 0) {
    line.resize(start + std::size_t(length) + 1);  // vsnprintf writes a terminating zero
    std::vsnprintf(line.data() + start, std::size_t(length) + 1, format, arguments);
    line.resize(start + std::size_t(length));
  }
  va_end(arguments);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}
