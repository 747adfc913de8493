#pragma once
// The main loop, activation and the memory report. The shell knows nothing of
// the subsystems built on it: it runs the program it is given (the game
// root, see startup.h) and calls it once per main-loop pass.
#include "engine/core/run_state.h"

class ShellProgram;

// Until the quit flag is set: the window messages, then one frame of the
// program. Headless, the passes are paced as a display would pace them.
void RunMainLoop(ShellProgram& program);

// The window gained or lost the focus: the run flags, then the program.
void ActivateApp();
void DeactivateApp();

// The memory manager's activity log: StartMemoryReport opens "memreport.txt"
// in the game root and sends every log line there (reporting only, no fills);
// FinishMemoryReport writes the allocation, free-block and statistics reports
// and closes the file. The game's start and shutdown call them when the
// MEMREPORT start-up option is set. False when the file cannot be created.
bool StartMemoryReport();
void FinishMemoryReport();
bool MemoryReportOpen();
