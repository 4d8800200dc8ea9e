#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant ends the run at once, so libFuzzer keeps the input and the corpus replay
// fails with the message.
#define FUZZ_CHECK(condition, what)                                               \
  do {                                                                            \
    if (!(condition)) {                                                           \
      std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n", __FILE__, __LINE__, \
                   what);                                                         \
      std::abort();                                                               \
    }                                                                             \
  } while (false)
