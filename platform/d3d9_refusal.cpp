// Reasons for refused Direct3D calls on stderr (platform/d3d9_refusal.h).
#include "platform/d3d9_refusal.h"

#include <cstdlib>
#include <set>
#include <string>

#include "support/stderr_line.h"

HRESULT refused(const char* call, const char* reason, HRESULT result) {
  static std::set<std::string> reported;
  if (!std::getenv("ZOLTA_D3D_DEBUG")) return result;
  std::string line = std::string("d3d9: ") + call + ": " + reason;
  if (reported.insert(line).second) stderrLine("%s", line.c_str());
  return result;
}
