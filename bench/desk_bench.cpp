// The desk's requests answered natively, in the process, to set the WebAssembly engine's against
// (bench/wasm_bench.js reads these figures from the benchmark's JSON): each example's shot list
// and film, and the largest film as a scenario, as a shot list and as its autosave opened.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "desk/engine.h"
#include "examples.h"
#include "largest_film.h"
#include "largest_shots.h"
#include "rehearsal/json.h"
#include "rehearsal/runner.h"
#include "rehearsal/take_scenario.h"

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

// What the take runner autosaves of the largest film rehearsed from a fresh world, as a player's
// session would leave it in takes/.
std::string LargestAutosave() {
  sim::Scenario scenario;
  sim::ParseScenario("largest.film", zb::LargestFilm(), scenario);
  const sim::AutosaveFolder folder(&scenario);
  sim::RunOptions run;
  run.writeTrace = false;
  std::string take;
  if (!sim::RunScenario(scenario, run).ok || !folder.Take(take)) return "";
  return take;
}

void DeskLargest(benchmark::State& state, const char* op) {
  const std::string which = op;
  if (which == "open") {
    const std::string take = LargestAutosave();
    if (take.empty()) state.SkipWithError("the largest film autosaved nothing");
    Answer(state, Request(op, "2026-01-01_00-00-00.take", take));
    return;
  }
  const bool shots = which == "shots";
  const std::string text = shots ? zb::LargestShotsText() : zb::LargestFilm();
  Answer(state, Request(op, shots ? "largest.shots" : "largest.film", text));
}

// DeskExample/OP/NAME for every example, the shot list's request and the film's, and
// DeskLargest/OP/largest, those and the opening of its autosave.
const bool registered = [] {
  for (const char* op : {"shots", "rehearse", "open"}) {
    for (const char* name : zb::kExamples) {
      if (std::string(op) == "open") break;
      const std::string title = std::string("DeskExample/") + op + "/" + name;
      benchmark::RegisterBenchmark(title.c_str(), DeskExample, op, name)
          ->Unit(benchmark::kMillisecond);
    }
    const std::string title = std::string("DeskLargest/") + op + "/largest";
    benchmark::RegisterBenchmark(title.c_str(), DeskLargest, op)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
