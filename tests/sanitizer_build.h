// Whether this test program was built with the address sanitizer, and the
// tests the sanitizer run leaves out.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizerBuild = true;
#else
inline constexpr bool kSanitizerBuild = false;
#endif

// Mesa's software OpenGL driver can deadlock under the sanitizer's allocator
// while it compiles shaders: the tests that drive a real OpenGL context
// outside the game run in the normal build only.
#define SKIP_REAL_OPENGL_UNDER_THE_SANITIZER()                                               \
  do {                                                                                       \
    if (kSanitizerBuild) GTEST_SKIP() << "drives Mesa's OpenGL driver: normal build only"; \
  } while (0)
