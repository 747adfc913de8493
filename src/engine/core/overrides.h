#pragma once
// A class that fills a seam says, beside its definition, which methods of
// the interface it gives a body of its own. An interface's methods default
// to doing nothing so that tests and headless parts may leave them, but the
// program's own class must not: one left at its default fails the build,
// naming the method, instead of doing nothing at run time.
#include <type_traits>

// The type of `&Derived::method` names the class whose declaration the name
// finds from Derived: Base's own when no class on the way overrides it.
#define RC_OVERRIDES(Derived, Base, method)                                                      \
  static_assert(!std::is_same_v<decltype(&Derived::method), decltype(&Base::method)>, #Derived \
                " leaves " #Base "::" #method " at its do-nothing default")
