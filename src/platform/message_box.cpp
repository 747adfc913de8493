#include "platform/message_box.h"

#include <cstdio>
#include <string>

namespace platform {
namespace {

MessageBoxBackend& Backend() {
  static MessageBoxBackend backend;
  return backend;
}

BoxResult LogBox(std::string_view caption, std::string_view text, BoxIcon, BoxButtons buttons) {
  std::fprintf(stderr, "[%.*s] %.*s\n", int(caption.size()), caption.data(), int(text.size()),
               text.data());
  return UnshownBoxAnswer(buttons);
}

}  // namespace

BoxResult UnshownBoxAnswer(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::Ok: return BoxResult::Ok;
    case BoxButtons::YesNo: return BoxResult::No;
    case BoxButtons::YesNoCancel: return BoxResult::Cancel;
  }
  return BoxResult::Cancel;
}

BoxResult ShowMessageBox(std::string_view caption, std::string_view text, BoxIcon icon,
                         BoxButtons buttons) {
  if (Backend()) return Backend()(caption, text, icon, buttons);
  return LogBox(caption, text, icon, buttons);
}

MessageBoxBackend SetMessageBoxBackend(MessageBoxBackend backend) {
  MessageBoxBackend old = std::move(Backend());
  Backend() = std::move(backend);
  return old;
}

}  // namespace platform
