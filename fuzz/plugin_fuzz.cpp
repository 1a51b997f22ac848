// The whole plug-in driven by an arbitrary stream of key presses, time steps, world events and
// natives going missing; after every pass every selection, count and playback value must be in
// range. Out-of-table reads and writes are caught by the address sanitizer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "harness.h"
#include "mash.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static zt::PluginHarness harness;
  harness.Reset(size >= 4 ? bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24u : 0);
  for (std::size_t i = 0; i + 1 < size && i < 8192; i += 2) {
    if (!zt::ApplyMashOp(harness, bytes[i], bytes[i + 1])) continue;
    const std::string problem = zt::SceneInvariantProblem();
    if (!problem.empty()) {
      std::fprintf(stderr, "after operation %zu: %s\n", i / 2, problem.c_str());
      std::abort();
    }
  }
  return 0;
}
