// Takes: how many host ticks the runner needs from its start to its last key, against the floor
// of one plug-in pass a key plus the plug-in's own waits and a model load, on every example and
// on the largest film.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "examples.h"
#include "plan/planner.h"
#include "plan/random_shots.h"
#include "plan/shots.h"
#include "plan/take.h"
#include "plan/verify.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kTakeFps = 30;
constexpr std::uint64_t kModelLoadTicks = 3;  // the world loads a model three steps after asking
constexpr std::uint64_t kSlotWaitMs = 100;

// The floor: a pass a key, the plug-in's 100 ms a slot when the play key plays screen 0, and one
// model load, since the runner asks for every model at once.
std::uint64_t Floor(const plan::ShotList& shots, const plan::Plan& plan) {
  int slots = 0;
  for (const plan::CastMember& member : shots.cast) slots = std::max(slots, member.slot + 1);
  const std::uint64_t waitMs = static_cast<std::uint64_t>(slots) * kSlotWaitMs;
  return static_cast<std::uint64_t>(plan.keys) + (waitMs * kTakeFps + 999) / 1000 + kModelLoadTicks;
}

// Retakes `shots`; false with the first difference when the take does not verify.
bool Retake(benchmark::State& state, const plan::ShotList& shots, const std::string& name) {
  const plan::Plan plan = plan::MakePlan(shots);
  const fs::path path = fs::temp_directory_path() / ("zenthar-bench-" + name + ".take");
  std::ofstream(path, std::ios::binary) << plan::TakeText(shots, plan, name);
  const plan::Verification v = plan::VerifyTake(shots, plan, path.string(), sim::RunOptions{});
  fs::remove(path);
  if (!v.differences.empty()) {
    state.SkipWithError((name + ": " + v.differences[0]).c_str());
    return false;
  }
  state.counters[name + "_ticks"] = static_cast<double>(v.takeTicks);
  state.counters[name + "_floor"] = static_cast<double>(Floor(shots, plan));
  state.counters[name + "_keys"] = plan.keys;
  return true;
}

void TakeTicksOnExamples(benchmark::State& state) {
  for (auto _ : state) {
    for (const char* name : zb::kExamples) {
      plan::ShotList shots;
      if (!zb::LoadExample(state, name, shots)) return;
      if (!Retake(state, shots, name)) return;
    }
  }
}
BENCHMARK(TakeTicksOnExamples)->Iterations(1)->Unit(benchmark::kMillisecond);

void TakeOfTheLargestFilm(benchmark::State& state) {
  const plan::ShotList shots = plan::FullShotList(20261208, plan::kScreens, plan::kSlots);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!Retake(state, shots, "largest")) return;
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(TakeOfTheLargestFilm)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
