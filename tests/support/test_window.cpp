// A window for tests that watch a window procedure (tests/support/test_window.h).
#include "tests/support/test_window.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

HWND createTestWindow(const char* className, WNDPROC procedure, int width, int height) {
  static std::set<std::string> registered;
  if (registered.count(className) == 0) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = className;
    if (RegisterClassExA(&windowClass) == 0) {
      ADD_FAILURE() << "window class " << className << " could not be registered";
      return nullptr;
    }
    registered.insert(className);
  }
  return CreateWindowExA(0, className, className, 0, 0, 0, width, height, nullptr, nullptr, nullptr,
                         nullptr);
}
