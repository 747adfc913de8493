#include "platform/dialog_window.h"

namespace platform {
namespace {

DialogBackend& Backend() {
  static DialogBackend backend;
  return backend;
}

}  // namespace

bool RunDialogWindow(const DialogSpec& spec, const DialogFrame& frame) {
  return Backend() && Backend()(spec, frame);
}

DialogBackend SetDialogBackend(DialogBackend backend) {
  DialogBackend old = std::move(Backend());
  Backend() = std::move(backend);
  return old;
}

}  // namespace platform
