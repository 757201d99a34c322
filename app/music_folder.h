// Which folder the program plays: the one named on the command line, else data/msx/ under the
// working folder, else the tunes installed beside the program.
#pragma once

#include <string>

// The folder to play, ending in '/': `given` when not empty; else "data/msx/" when the working
// folder has one; else <prefix>/share/zolta/msx/ when it exists, where the program runs as
// <prefix>/bin/<name> (`executable`, with links resolved), and `note` is then the one stderr
// line's words that say so (for stderrLine); else "data/msx/", whose absence the scan reports.
std::string chooseMusicFolder(const std::string& given, const std::string& executable,
                              std::string* note);

// The running program's own file, links resolved; "" when it cannot be told.
std::string runningExecutable();
