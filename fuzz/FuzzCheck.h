#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// The checks of a target are not what is being explored: leaving them out
// of the coverage keeps libFuzzer's feedback on the game's code, and fast.
#define DW_FUZZ_CHECK_CODE __attribute__((no_sanitize("coverage")))

namespace dw::fuzz {

// Stops the run with the broken property: libFuzzer then keeps the input
// that broke it as a crash file.
[[noreturn]] inline void broken(const std::string& what) {
  std::fprintf(stderr, "broken: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

inline void require(bool holds, const char* what) {
  if (!holds) broken(what);
}
inline void require(bool holds, const std::string& what) {
  if (!holds) broken(what);
}

}  // namespace dw::fuzz
