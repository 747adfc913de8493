#pragma once
// A test's second program, run as a fresh image of this test program: a
// plain fork would carry whatever the tests run before it left in the
// game's state, so a child would start differently in a shuffled run of
// the whole program than in a test of its own.
#include <sys/types.h>

#include <string>
#include <vector>

// The role's body; it ends its process itself (_exit).
using FreshRole = void (*)(const std::vector<std::string>& args);

// Names a role; call from a static initialiser.
bool RegisterFreshRole(const char* role, FreshRole body);

// Starts this program again to play `role` with `args`; `anyTest` is a test
// of this program for the filter (the role runs before any test, and a
// filter that matches none runs nothing at all). The child's pid.
pid_t StartFreshRole(const char* role, const std::vector<std::string>& args, const char* anyTest);
