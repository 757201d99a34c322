// The Windows resources of the pictures (resource_script_writer.h).
#include "resource_script_writer.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

constexpr int iconGroupId = 101;  // the program file's icon

bool writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) std::fprintf(stderr, "zolta_artwork: cannot write %s\n", path.c_str());
  return static_cast<bool>(file);
}

void putLittleEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// An icon file of one 256 x 256 image stored as PNG, as Windows has read them since Vista.
std::vector<std::uint8_t> iconFile(const std::vector<std::uint8_t>& png) {
  constexpr std::uint32_t headerBytes = 6 + 16;  // ICONDIR and one ICONDIRENTRY
  std::vector<std::uint8_t> icon;
  putLittleEndian(icon, 0, 2);   // reserved
  putLittleEndian(icon, 1, 2);   // type: icon
  putLittleEndian(icon, 1, 2);   // one image
  putLittleEndian(icon, 0, 1);   // width 256
  putLittleEndian(icon, 0, 1);   // height 256
  putLittleEndian(icon, 0, 1);   // no palette
  putLittleEndian(icon, 0, 1);   // reserved
  putLittleEndian(icon, 1, 2);   // colour planes
  putLittleEndian(icon, 32, 2);  // bits per pixel
  putLittleEndian(icon, static_cast<std::uint32_t>(png.size()), 4);
  putLittleEndian(icon, headerBytes, 4);  // where the image starts
  icon.insert(icon.end(), png.begin(), png.end());
  return icon;
}

}  // namespace

bool writeResourceScript(const std::string& folder, const std::vector<EncodedPicture>& pictures,
                         const std::string& iconPng) {
  std::ifstream pngFile(iconPng, std::ios::binary);
  const std::vector<std::uint8_t> png((std::istreambuf_iterator<char>(pngFile)),
                                      std::istreambuf_iterator<char>());
  if (png.empty()) {
    std::fprintf(stderr, "zolta_artwork: cannot read %s\n", iconPng.c_str());
    return false;
  }
  bool ok = writeBytes(folder + "/zolta.ico", iconFile(png));
  std::string script = "// The resources of zolta.exe, written by the artwork generator.\n";
  script += std::to_string(iconGroupId) + " ICON \"" + folder + "/zolta.ico\"\n";
  for (const EncodedPicture& picture : pictures) {
    const std::string path = folder + "/picture_" + std::to_string(picture.id) + ".bin";
    ok = writeBytes(path, picture.blob) && ok;
    script += std::to_string(picture.id) + " BINARYDATA \"" + path + "\"\n";
  }
  return writeBytes(folder + "/zolta.rc",
                    std::vector<std::uint8_t>(script.begin(), script.end())) &&
         ok;
}
