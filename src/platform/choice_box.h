#pragma once
// A box that offers a few choices with their own labels (the safe-mode offer
// at start-up). Headless, or with no backend installed, the text goes to
// standard error and the default choice comes back.
#include <functional>
#include <span>
#include <string_view>

namespace platform {

using ChoiceBoxBackend = std::function<int(std::string_view caption, std::string_view text,
                                           std::span<const std::string_view> labels,
                                           int defaultChoice)>;

// Returns the index of the chosen label; defaultChoice when the box is
// dismissed or cannot be shown.
int ShowChoiceBox(std::string_view caption, std::string_view text,
                  std::span<const std::string_view> labels, int defaultChoice);

// Installs a backend; returns the previous one.
ChoiceBoxBackend SetChoiceBoxBackend(ChoiceBoxBackend backend);

}  // namespace platform
