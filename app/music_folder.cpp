// Choosing the music folder (app/music_folder.h).
#include "app/music_folder.h"

#include <filesystem>
#include <system_error>

#include <windows.h>

#include "support/printable_name.h"

namespace fs = std::filesystem;

namespace {

const char* const workingFolderTunes = "data/msx/";
const char* const installedTunes = "share/zolta/msx";  // under the installation prefix

}  // namespace

std::string chooseMusicFolder(const std::string& given, const std::string& executable,
                              std::string* note) {
  note->clear();
  if (!given.empty()) return given.ends_with('/') ? given : given + '/';
  std::error_code error;
  if (fs::exists(workingFolderTunes, error) || executable.empty()) return workingFolderTunes;
  const fs::path installed = fs::path(executable).parent_path().parent_path() / installedTunes;
  if (!fs::is_directory(installed, error)) return workingFolderTunes;
  *note = "no data/msx/ in the working folder - playing the installed tunes in " +
          printableName((installed.string() + "/").c_str());
  return installed.string() + "/";
}

std::string runningExecutable() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);  // cut to size: try a larger buffer
  }
}
