// The example films the benchmarks measure, read from the repository's examples folder.
#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "plan/shots.h"

namespace zb {

inline const char* const kExamples[] = {"demo", "car-chase", "every-action", "explosions"};

inline std::filesystem::path ExamplePath(const char* name, const char* extension) {
  return std::filesystem::path(ZENTHAR_EXAMPLES) / (std::string(name) + extension);
}

// Reads examples/NAME.shots; a shot list that does not read ends the benchmark with an error.
inline bool LoadExample(benchmark::State& state, const char* name, plan::ShotList& shots) {
  if (plan::LoadShotList(ExamplePath(name, ".shots").string(), shots).empty()) return true;
  state.SkipWithError("an example shot list does not read");
  return false;
}

}  // namespace zb
