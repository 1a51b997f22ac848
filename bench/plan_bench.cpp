// The planner's figures: keys pressed against the lower bound on the example films and on a large
// random film, the time to plan the largest film (256 screens x 255 slots), and the time to plan
// and verify it by rehearsal, to set against rehearsing its hand-made scenario.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "examples.h"
#include "largest_film.h"
#include "largest_shots.h"
#include "plan/planner.h"
#include "plan/random_shots.h"
#include "plan/shots.h"
#include "plan/verify.h"
#include "rehearsal/scenario.h"

namespace {

void PlanLargestFilm(benchmark::State& state) {
  const plan::ShotList shots = zb::LargestShotList();
  plan::Plan plan;
  std::size_t bytes = 0;
  for (auto _ : state) {
    plan = plan::MakePlan(shots);
    bytes = plan::PlanScenarioText(shots, plan).size();
  }
  state.counters["keys"] = plan.keys;
  state.counters["lower_bound"] = plan.lowerBound;
  state.counters["scenario_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(PlanLargestFilm)->Unit(benchmark::kMillisecond);

void PlanAndVerifyLargestFilm(benchmark::State& state) {
  const plan::ShotList shots = zb::LargestShotList();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const plan::Plan plan = plan::MakePlan(shots);
    const plan::Verification v =
        plan::Verify(shots, plan, plan::PlanScenarioText(shots, plan), sim::RunOptions{});
    const auto end = std::chrono::steady_clock::now();
    if (!v.ran || !v.differences.empty()) {
      state.SkipWithError(v.differences.empty() ? "the rehearsal did not run"
                                                : v.differences[0].c_str());
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}
BENCHMARK(PlanAndVerifyLargestFilm)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Keys the planner presses for each example, its lower bound, and the keys of the example's
// own scenario, written by hand.
void PlanKeysOnExamples(benchmark::State& state) {
  for (auto _ : state) {
    for (const char* name : zb::kExamples) {
      plan::ShotList shots;
      if (!zb::LoadExample(state, name, shots)) return;
      sim::Scenario film;
      sim::ParseScenario(name, ReadFile(zb::ExamplePath(name, ".film")), film);
      int hand = 0;
      for (const sim::Action& action : film.actions) {
        if (action.kind == sim::ActionKind::press) hand += static_cast<int>(action.keys.size());
      }
      const plan::Plan plan = plan::MakePlan(shots);
      state.counters[std::string(name) + "_keys"] = plan.keys;
      state.counters[std::string(name) + "_bound"] = plan.lowerBound;
      state.counters[std::string(name) + "_hand"] = hand;
    }
  }
}
BENCHMARK(PlanKeysOnExamples)->Iterations(1);

// A large random film: every cue code, targets, seats and explosions on 256 screens x 255 slots.
void PlanKeysOnLargeRandomFilm(benchmark::State& state) {
  const plan::ShotList shots = plan::FullShotList(zb::kLargestSeed, plan::kScreens, plan::kSlots);
  plan::Plan plan;
  for (auto _ : state) plan = plan::MakePlan(shots);
  state.counters["keys"] = plan.keys;
  state.counters["lower_bound"] = plan.lowerBound;
}
BENCHMARK(PlanKeysOnLargeRandomFilm)->Unit(benchmark::kMillisecond);

}  // namespace
