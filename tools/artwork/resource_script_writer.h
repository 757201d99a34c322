// Writes the pictures as the Windows program's resources: a resource script for windres
// (zolta.rc) beside one file per picture (type "BINARYDATA") and the program's icon (group 101).
#pragma once

#include <string>
#include <vector>

#include "resource_source_writer.h"

// Writes FOLDER/zolta.rc, FOLDER/picture_<id>.bin for every picture and FOLDER/zolta.ico, an icon
// file holding the PNG at `iconPng`; the script names them by FOLDER's path. False (and one stderr
// line) on failure.
bool writeResourceScript(const std::string& folder, const std::vector<EncodedPicture>& pictures,
                         const std::string& iconPng);
