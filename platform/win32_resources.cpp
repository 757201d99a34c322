// Resources of the Win32 subset: FindResourceA and friends over the table compiled into the
// program (platform/hooks/resource_table.h). A resource handle points at its table entry;
// loading and locking hand out the entry's bytes, which live for the whole run.
#include <cstdlib>
#include <cstring>

#include "platform/hooks/resource_table.h"
#include "platform/win32_internal.h"

namespace {

// The numeric id of MAKEINTRESOURCEA(id) or "#id"; -1 for a name that is neither.
int resourceId(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
  if (name[0] != '#') return -1;
  char* end = nullptr;
  const long id = std::strtol(name + 1, &end, 10);
  return (*end == '\0' && id >= 0 && id <= 0xffff) ? static_cast<int>(id) : -1;
}

const EmbeddedResource* entryOf(HRSRC resource) {
  return reinterpret_cast<const EmbeddedResource*>(resource);
}

}  // namespace

HRSRC WINAPI FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
  const int id = name ? resourceId(name) : -1;
  if (id < 0 || !type || IS_INTRESOURCE(type)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  for (int i = 0; i < embeddedResourceCount; ++i) {
    const EmbeddedResource& entry = embeddedResources[i];
    if (entry.id == id && std::strcmp(entry.type, type) == 0) {
      return reinterpret_cast<HRSRC>(const_cast<EmbeddedResource*>(&entry));
    }
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
  return resource ? entryOf(resource)->size : 0;
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
  return resource ? const_cast<unsigned char*>(entryOf(resource)->bytes) : nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL resource) { return resource; }
