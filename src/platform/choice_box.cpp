#include "platform/choice_box.h"

#include <cstdio>

#include "platform/headless.h"

namespace platform {
namespace {

ChoiceBoxBackend& Backend() {
  static ChoiceBoxBackend backend;
  return backend;
}

}  // namespace

int ShowChoiceBox(std::string_view caption, std::string_view text,
                  std::span<const std::string_view> labels, int defaultChoice) {
  if (Backend() && !IsHeadless()) {
    int choice = Backend()(caption, text, labels, defaultChoice);
    return choice >= 0 && size_t(choice) < labels.size() ? choice : defaultChoice;
  }
  std::fprintf(stderr, "[%.*s] %.*s\n", int(caption.size()), caption.data(), int(text.size()),
               text.data());
  if (defaultChoice >= 0 && size_t(defaultChoice) < labels.size())
    std::fprintf(stderr, "  -> %.*s\n", int(labels[defaultChoice].size()),
                 labels[defaultChoice].data());
  return defaultChoice;
}

ChoiceBoxBackend SetChoiceBoxBackend(ChoiceBoxBackend backend) {
  ChoiceBoxBackend old = std::move(Backend());
  Backend() = std::move(backend);
  return old;
}

}  // namespace platform
