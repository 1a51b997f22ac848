// The largest film there can be, recorded key by key and played through zenthar-sim's runner
// with the trace on: 255 peds, a cue in every cell of 256 screens, 32 explosions a screen,
// every screen 1 s long.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "largest_film.h"
#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"

namespace {

void LargestFilmThroughTheTool(benchmark::State& state) {
  sim::Scenario scenario;
  const std::string problem = sim::ParseScenario("largest.film", zb::LargestFilm(), scenario);
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  std::size_t traceBytes = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const sim::RunOutput out = sim::RunScenario(scenario, {});
    const auto end = std::chrono::steady_clock::now();
    if (!out.ok) state.SkipWithError(out.error.c_str());
    traceBytes = out.trace.size();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  state.counters["game_s"] = static_cast<double>(scenario.runUntil) / 1000.0;
  state.counters["game_s_per_wall_s"] = benchmark::Counter(
      static_cast<double>(scenario.runUntil) / 1000.0 * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
  state.counters["trace_MB"] = static_cast<double>(traceBytes) / 1e6;
}
BENCHMARK(LargestFilmThroughTheTool)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
