// The launcher's icon: a small console with a glowing metaball screen and a music note.
#pragma once

#include <string>

constexpr int iconSize = 256;  // pixels, square

// Draws the icon and writes it as a PNG with alpha; false (and one stderr line) on failure.
bool writeIcon(const std::string& path);
