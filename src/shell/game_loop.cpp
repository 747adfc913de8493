#include "shell/game_loop.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/core/run_state.h"
#include "platform/headless.h"
#include "platform/paths.h"
#include "shell/startup.h"

namespace {

constexpr const char* kMemoryReportName = "memreport.txt";

std::FILE*& MemoryReportFile() {
  static std::FILE* file = nullptr;
  return file;
}

}  // namespace

// ---- Main loop ----------------------------------------------------------------

void RunMainLoop(ShellProgram& program) {
  GameRunState& run = RunState();
  bool idleBefore = false;
  while (!run.quit) {
    PumpMessages();
    if (run.quit) break;
    program.Frame();
    // Nothing waits for a display here, so pace the passes like one. When
    // every pass runs a fixed step the game runs at full speed: a pass that
    // moved the game on is followed at once. A fixed pass is a little shorter
    // than a logic tick, so now and then one runs none; only a second idle
    // pass in a row means the game is waiting (paused, in the menus, for
    // the network), and rests briefly.
    if (platform::IsHeadless()) {
      if (!GameScheduler().FixedPace()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      } else {
        const bool idle = !program.PassMovedGameOn();
        if (idle && idleBefore) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        idleBefore = idle;
      }
    }
  }
}

// ---- Activation -------------------------------------------------------------

void DeactivateApp() {
  RunState().appActive = false;
  if (ShellProgram* program = CurrentShellProgram()) program->Activate(false);
}

void ActivateApp() {
  RunState().drawingEnabled = true;
  RunState().appActive = true;
  if (ShellProgram* program = CurrentShellProgram()) program->Activate(true);
}

// ---- Memory report ----------------------------------------------------------

bool StartMemoryReport() {
  std::FILE*& report = MemoryReportFile();
  if (report) return true;
  report = platform::OpenGameFile(kMemoryReportName, "w");
  if (!report) {
    ReportErrorF(1, "Unable to create %s.", kMemoryReportName);
    return false;
  }
  CMemoryManager& memory = MemoryManager();
  memory.SetReportCallback([file = report](const char* line) { std::fprintf(file, "%s\n", line); });
  memory.SetDebugFlags(CMemoryManager::kReportActivity);
  return true;
}

void FinishMemoryReport() {
  std::FILE*& report = MemoryReportFile();
  if (!report) return;
  CMemoryManager& memory = MemoryManager();
  memory.ReportAllocations();
  memory.ReportFreeBlocks();
  memory.ReportStats();
  memory.SetDebugFlags(0);
  memory.SetReportCallback({});
  std::fclose(report);
  report = nullptr;
}

bool MemoryReportOpen() { return MemoryReportFile() != nullptr; }
