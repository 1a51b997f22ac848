// The largest film there can be, recorded key by key and played through zenthar-sim's runner
// with the trace on: 255 peds, a cue in every cell of 256 screens, 32 explosions a screen,
// every screen 1 s long.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "runner.h"
#include "scenario.h"

namespace {

class FilmWriter {
 public:
  void Line(const std::string& text) { text_ += text + "\n"; }
  // Each press gets a frame of its own: one key acts per pass.
  void Press(const char* key) {
    t_ += 40;
    text_ += "at " + std::to_string(t_ / 1000) + "." + Pad(t_ % 1000) + " press " + key + "\n";
  }
  std::uint64_t t() const { return t_; }
  const std::string& text() const { return text_; }

 private:
  static std::string Pad(std::uint64_t ms) {
    std::string s = std::to_string(ms);
    return std::string(3 - s.size(), '0') + s;
  }
  std::string text_;
  std::uint64_t t_ = 0;
};

std::string LargestFilm() {
  FilmWriter film;
  film.Line("player at 0 0 0");
  film.Line("ped bob model 2001 at 1 0 0");
  film.Press("backslash");
  for (int slot = 0; slot < 255; ++slot) {
    film.Press("num1");
    film.Press("num+");
  }
  film.Press("scroll");
  const char* cueKeys[] = {"num1", "num2", "num7"};
  for (int screen = 0; screen < 256; ++screen) {
    film.Press("plus");
    for (int slot = 0; slot < 255; ++slot) {
      film.Press(cueKeys[slot % 3]);
      film.Press("num+");
    }
    film.Press("scroll");
    for (int id = 0; id < 32; ++id) {
      film.Press("num9");
      film.Press("pgup");
    }
    film.Press("scroll");
    film.Press("scroll");
    film.Press("num*");
  }
  film.Press("backslash");
  const std::uint64_t showSeconds = 256 * (255 / 10 + 2);
  film.Line("run " + std::to_string(film.t() / 1000 + showSeconds));
  return film.text();
}

void LargestFilmThroughTheTool(benchmark::State& state) {
  sim::Scenario scenario;
  const std::string problem = sim::ParseScenario("largest.film", LargestFilm(), scenario);
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
