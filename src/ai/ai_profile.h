#pragma once
// A profiler's view of the computer players' work: when a hook is set it is
// called with true before and false after each piece of their work in a
// tick (the per-tick timetables, each player's update, the hourly and
// midnight steps). The game sets none; the benchmark measures with one.
using AiWorkHook = void (*)(bool begin);
void SetAiWorkHook(AiWorkHook hook);
AiWorkHook GetAiWorkHook();

// Calls the hook around a scope.
class AiWorkScope {
 public:
  AiWorkScope() : hook_(GetAiWorkHook()) {
    if (hook_) hook_(true);
  }
  ~AiWorkScope() {
    if (hook_) hook_(false);
  }
  AiWorkScope(const AiWorkScope&) = delete;
  AiWorkScope& operator=(const AiWorkScope&) = delete;

 private:
  AiWorkHook hook_;
};
