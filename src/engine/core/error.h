#pragma once
// The one error reporter. Level 0 shows "ERROR!" and ends the program with
// exit code 1, level 1 shows "WARNING!" and returns -1, other levels return -1
// silently. Boxes go through platform::ShowMessageBox.
#include <cstdint>
#include <functional>
#include <string>

int32_t ReportError(int32_t level, int32_t unused, const char* text);
// printf-style convenience over ReportError (the text is cut at 1024 bytes).
int32_t ReportErrorF(int32_t level, const char* format, ...) __attribute__((format(printf, 2, 3)));

void ShowFatalError(int32_t unused, const char* text);
void ShowWarning(int32_t unused, const char* text);
void SetErrorOwnerWindow(void* window);
void* GetErrorOwnerWindow();

// What a level-0 error does after its box: by default the process exits with
// code 1. Tests install a handler that throws so they can observe the error;
// the handler must not return (if it does, the process exits as usual).
using FatalExitHandler = std::function<void(const char* text)>;
FatalExitHandler SetFatalExitHandler(FatalExitHandler handler);

// While one exists, a level-0 error runs its step after the box and before
// the handler and the exit (the innermost first): what a part of the program
// holds outside the game's heap, which the exit gives back without looking
// inside, is released instead of lost.
class FatalCleanup {
 public:
  explicit FatalCleanup(std::function<void()> step);
  ~FatalCleanup();
  FatalCleanup(const FatalCleanup&) = delete;
  FatalCleanup& operator=(const FatalCleanup&) = delete;

 private:
  friend int32_t ReportError(int32_t, int32_t, const char*);
  FatalCleanup* outer_;
  std::function<void()> step_;
};

// Thrown by the test handler below; carries the fatal text.
struct FatalErrorException {
  const char* what;
};
// Installs a handler that throws FatalErrorException (for tests).
void ThrowOnFatalError();

// While one exists, level-1 reports are kept in it instead of shown in a box:
// a caller that tells the player itself why something failed (the front
// end's notices of a failed save or load) takes the text from here. The
// innermost capture takes the reports; the last one is kept.
// True while a WarningCapture takes the level-1 reports.
bool WarningsCaptured();
class WarningCapture {
 public:
  WarningCapture();
  ~WarningCapture();
  WarningCapture(const WarningCapture&) = delete;
  WarningCapture& operator=(const WarningCapture&) = delete;
  const std::string& Text() const { return text_; }
  void Keep(const char* text) { text_ = text ? text : ""; }

 private:
  WarningCapture* outer_;
  std::string text_;
};
