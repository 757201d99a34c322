// The real program in a child process of a benchmark: WinMain run unseen (SDL's offscreen
// video) or in a window on an X display, with dummy audio, in a chosen working folder, ended
// by its Present observer, and the child's resident memory as its memory map counts it.
#pragma once

#include <string>

#include "platform/hooks/present_observer.h"

// Kilobytes resident in the calling process: in all, and in the software renderer's libraries
// (LLVM and the Mesa driver), which a hardware driver replaces.
struct Resident {
  long totalKb = 0;
  long rendererKb = 0;
};
Resident readResident();

// Forks a child that runs WinMain in workingFolder with the observer; the observer ends the
// child with _exit(0) once it has what it waited for. False unless the child ended so.
bool runProgramUntil(const std::string& workingFolder, PresentObserver observer);

// The same with the window on the X display (":3"), and `body` run instead of WinMain when
// given: a program of the benchmark's own on the same platform.
bool runOnDisplayUntil(const std::string& display, const std::string& workingFolder,
                       PresentObserver observer, int (*body)() = nullptr);
