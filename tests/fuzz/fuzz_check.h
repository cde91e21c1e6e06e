#pragma once
// An invariant of a fuzz target: a broken one is printed and aborts, which libFuzzer
// reports as a crash and keeps the input of.
#include <cstdio>
#include <cstdlib>

namespace lnx::fuzz {

inline void check(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", invariant);
  std::abort();
}

} // namespace lnx::fuzz
