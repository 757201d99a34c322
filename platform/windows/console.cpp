// Where the program's stdout and stderr go on Windows. The program is a windowed one, so
// started from Explorer it opens no console; started from a console, it writes its lines to
// that console. Standard handles that already lead somewhere (a file, a pipe) are kept.
// Runs before main, as the C runtime starts.
#include <windows.h>

#include <cstdio>

namespace {

bool leadsSomewhere(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

struct ParentConsole {
  ParentConsole() {
    const bool out = leadsSomewhere(STD_OUTPUT_HANDLE), err = leadsSomewhere(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!out) (void)std::freopen("CONOUT$", "w", stdout);
    if (!err) (void)std::freopen("CONOUT$", "w", stderr);
  }
};

const ParentConsole parentConsole;

}  // namespace
