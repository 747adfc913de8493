#include "platform/headless.h"

#include <cstdlib>
#include <cstring>

namespace platform {
namespace {
int g_forced = -1;
}

bool IsHeadless() {
  if (g_forced >= 0) return g_forced != 0;
  const char* v = std::getenv("CITYRUN_HEADLESS");
  return v && *v && std::strcmp(v, "0") != 0;
}

void SetHeadless(bool headless) { g_forced = headless ? 1 : 0; }

}  // namespace platform
