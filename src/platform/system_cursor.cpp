#include "platform/system_cursor.h"

namespace platform {
namespace {

class NullSystemCursors : public SystemCursors {
 public:
  int32_t Create(const uint8_t*, int32_t, int32_t, int32_t, int32_t) override { return -1; }
  void Set(int32_t) override {}
  void DestroyAll() override {}
};

SystemCursors*& Installed() {
  static SystemCursors* cursors = nullptr;
  return cursors;
}

}  // namespace

SystemCursors& GetSystemCursors() {
  static NullSystemCursors none;
  return Installed() ? *Installed() : none;
}

void SetSystemCursors(SystemCursors* cursors) { Installed() = cursors; }

}  // namespace platform
