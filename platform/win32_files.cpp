// Directory listing, file deletion, the program's own file name and the last-error value of the
// Win32 subset, over POSIX.
// FindFirstFileA accepts "folder/*.*" or "folder/*" and lists every entry of the folder
// ("." and ".." included) in readdir order; any other pattern is refused.
#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32_internal.h"

namespace {

DWORD lastError = ERROR_SUCCESS;

struct FindHandle {
  DIR* directory;
  std::string folder;  // with a trailing '/', or empty for the working folder
};

DWORD errorFromErrno(int error) {
  switch (error) {
    case ENOENT: return ERROR_PATH_NOT_FOUND;
    case ENOTDIR: return ERROR_DIRECTORY;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    default: return ERROR_FILE_NOT_FOUND;
  }
}

// The folder part of "folder/*.*" or "folder/*" (with its '/'), or false for other patterns.
bool folderOfPattern(const char* pattern, std::string& folder) {
  const char* slash = std::strrchr(pattern, '/');
  const char* name = slash ? slash + 1 : pattern;
  if (std::strcmp(name, "*.*") != 0 && std::strcmp(name, "*") != 0) return false;
  folder.assign(pattern, name - pattern);
  return true;
}

// Fills findData from the next directory entry; false at the end of the listing.
bool readEntry(FindHandle* find, WIN32_FIND_DATAA* findData) {
  errno = 0;
  const dirent* entry = readdir(find->directory);
  if (!entry) {
    lastError = errno ? errorFromErrno(errno) : ERROR_NO_MORE_FILES;
    return false;
  }
  std::memset(findData, 0, sizeof *findData);
  std::snprintf(findData->cFileName, sizeof findData->cFileName, "%s", entry->d_name);
  struct stat info;
  const std::string path = find->folder + entry->d_name;
  if (stat(path.c_str(), &info) == 0) {
    const unsigned long long size =
        S_ISDIR(info.st_mode) ? 0 : static_cast<unsigned long long>(info.st_size);
    findData->dwFileAttributes =
        S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    findData->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    findData->nFileSizeLow = static_cast<DWORD>(size);
  } else {
    findData->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
  }
  return true;
}

}  // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA findData) {
  std::string folder;
  if (!pattern || !folderOfPattern(pattern, folder)) {
    lastError = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
  if (!directory) {
    lastError = errorFromErrno(errno);
    return INVALID_HANDLE_VALUE;
  }
  FindHandle* find = new FindHandle{directory, folder};
  if (!readEntry(find, findData)) {
    closedir(directory);
    delete find;
    lastError = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  return find;
}

BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData) {
  if (!find || find == INVALID_HANDLE_VALUE) return FALSE;
  return readEntry(static_cast<FindHandle*>(find), findData) ? TRUE : FALSE;
}

BOOL WINAPI FindClose(HANDLE find) {
  if (!find || find == INVALID_HANDLE_VALUE) return FALSE;
  FindHandle* handle = static_cast<FindHandle*>(find);
  closedir(handle->directory);
  delete handle;
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR path) {
  if (unlink(path) == 0) return TRUE;
  lastError = errno == ENOENT ? ERROR_FILE_NOT_FOUND : errorFromErrno(errno);
  return FALSE;
}

DWORD WINAPI GetLastError() { return lastError; }

void WINAPI SetLastError(DWORD error) { lastError = error; }

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  char path[4096];
  const ssize_t length = module ? -1 : readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof path || size == 0) {
    lastError = ERROR_FILE_NOT_FOUND;
    return 0;
  }
  const DWORD fits = static_cast<DWORD>(length) < size ? static_cast<DWORD>(length) : size - 1;
  std::memcpy(fileName, path, fits);
  fileName[fits] = '\0';
  lastError = fits < static_cast<DWORD>(length) ? ERROR_INSUFFICIENT_BUFFER : ERROR_SUCCESS;
  return fits < static_cast<DWORD>(length) ? size : fits;
}
