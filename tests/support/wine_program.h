// Helpers for end-to-end tests of the Windows build: zolta.exe of the Windows build tree run
// under Wine (tools/windows/wine-run.sh, with the tree's own Wine prefix) as a child process.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/shell_xvfb.h"

// The Windows build tree the tests look at (make windows builds it).
std::string windowsBuildFolder();

// The Windows path under which Wine's drive Z: shows an absolute path of this machine.
std::string windowsPathOf(const std::string& path);

// Starts the Windows build's zolta.exe with arguments under Wine in workingFolder on an X
// display, with the extra NAME=value entries of set, in a Wine session of its own.
std::unique_ptr<ChildProcess> startWindowsProgram(const std::vector<std::string>& arguments,
                                                  const std::string& workingFolder,
                                                  const std::string& display,
                                                  const std::vector<std::string>& set);

// The same for another executable of the Windows build tree, such as "zolta-frames.exe".
std::unique_ptr<ChildProcess> startWindowsExecutable(const std::string& executable,
                                                     const std::vector<std::string>& arguments,
                                                     const std::string& workingFolder,
                                                     const std::string& display,
                                                     const std::vector<std::string>& set);
