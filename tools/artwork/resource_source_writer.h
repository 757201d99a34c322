// Writes the C++ source that compiles the pictures into the program: one byte array per
// picture and the table `embeddedResources` declared in platform/hooks/resource_table.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct EncodedPicture {
  int id;                          // resource id, type "BINARYDATA"
  std::vector<std::uint8_t> blob;  // ImageBlob bytes
};

// Writes to a sibling file first and renames it, so an interrupted build leaves no half file.
bool writeResourceSource(const std::string& path, const std::vector<EncodedPicture>& pictures);
