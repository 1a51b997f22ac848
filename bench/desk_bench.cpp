// The desk's requests answered natively, in the process, to set the WebAssembly engine's against
// (bench/wasm_bench.js reads these figures from the benchmark's JSON): each example's shot list
// and film, and the largest film as a scenario and as a shot list.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "desk/engine.h"
#include "examples.h"
#include "largest_film.h"
#include "largest_shots.h"
#include "rehearsal/json.h"

namespace {

std::string ReadExample(const char* name, const char* extension) {
  std::ifstream in(zb::ExamplePath(name, extension), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The request the page makes for `text`: a shot list's, or a scenario's as the test of the same
// answers makes it.
std::string Request(const std::string& op, const std::string& file, const std::string& text) {
  return "{\"op\":" + sim::JsonString(op) + ",\"file\":" + sim::JsonString(file) +
         ",\"text\":" + sim::JsonString(text) + ",\"check\":true}";
}

void Answer(benchmark::State& state, const std::string& request) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string answer = desk::Answer(request);
    if (answer.rfind("{\"ok\":true", 0) != 0) state.SkipWithError(answer.substr(0, 200).c_str());
    bytes = answer.size();
  }
  state.counters["answer_MB"] = static_cast<double>(bytes) / 1e6;
}

void DeskExample(benchmark::State& state, const char* op, const char* name) {
  const char* extension = std::string(op) == "shots" ? ".shots" : ".film";
  Answer(state, Request(op, std::string(name) + extension, ReadExample(name, extension)));
}
BENCHMARK_CAPTURE(DeskExample, shots / demo, "shots", "demo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeskExample, shots / car - chase, "shots", "car-chase")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeskExample, shots / every - action, "shots", "every-action")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeskExample, shots / explosions, "shots", "explosions")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeskExample, rehearse / demo, "rehearse", "demo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeskExample, rehearse / car - chase, "rehearse", "car-chase")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeskExample, rehearse / every - action, "rehearse", "every-action")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeskExample, rehearse / explosions, "rehearse", "explosions")
    ->Unit(benchmark::kMillisecond);

void DeskLargest(benchmark::State& state, const char* op) {
  const bool shots = std::string(op) == "shots";
  const std::string text =
      shots ? plan::FormatShotList(zb::LargestShotList(), "# The largest film there can be.\n")
            : zb::LargestFilm();
  Answer(state, Request(op, shots ? "largest.shots" : "largest.film", text));
}
BENCHMARK_CAPTURE(DeskLargest, shots / largest, "shots")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeskLargest, rehearse / largest, "rehearse")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
