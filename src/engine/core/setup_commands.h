#pragma once
// The console commands that belong to the shell itself.

// SYSSETUP key value: sets one set-up setting (renderer, sound, movie).
int SysSetupCommand(const char* rest);
// DEBUGFLAG flag [value]: reports a debug flag, or sets it first.
int DebugFlagCommand(const char* rest);
// ?: one reply per table entry, its stored name, in table order.
int ListConsoleCommandsCommand(const char* rest);
