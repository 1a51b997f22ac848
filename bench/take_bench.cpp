// Takes: how many host ticks the runner needs from its start to its last key, against the floor
// of one plug-in pass a key plus the plug-in's own waits and a model load, on every example and
// on the largest film; and in rough worlds, less the ticks their stalls took, against the calm
// world's. Autosave: what it costs the plug-in's pass and the runner's, idle and a key a pass.
// Reads: what a read of the player's place costs the plug-in's pass while the runner answers it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "examples.h"
#include "largest_film.h"
#include "plan/planner.h"
#include "plan/random_shots.h"
#include "plan/shots.h"
#include "plan/take.h"
#include "plan/verify.h"
#include "rehearsal/runner.h"
#include "tessel/host.h"
#include "world/natives.h"

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

// The rough worlds a take is measured in.
constexpr std::uint64_t kRoughSeeds[] = {1, 2, 3};

// The take of `plan` rehearsed on calm ground, or rough from `seed`; false with the first
// difference when it does not verify.
bool Verified(benchmark::State& state, const plan::ShotList& shots, const plan::Plan& plan,
              const std::string& name, const std::uint64_t* seed, plan::Verification& v) {
  const fs::path path = fs::temp_directory_path() / ("zenthar-bench-" + name + ".take");
  std::ofstream(path, std::ios::binary) << plan::TakeText(shots, plan, name);
  sim::RunOptions options;
  options.rough = seed != nullptr;
  options.roughSeed = seed != nullptr ? *seed : 0;
  v = plan::VerifyTake(shots, plan, path.string(), options);
  fs::remove(path);
  if (v.differences.empty()) return true;
  state.SkipWithError((name + (seed != nullptr ? " (rough " + std::to_string(*seed) + ")" : "") +
                       ": " + v.differences[0])
                          .c_str());
  return false;
}

// Retakes `shots`, in the calm world and, with `seeds`, in rough ones; false with the first
// difference when a take does not verify. The rough figure is the longest take less its stalls.
bool Retake(benchmark::State& state, const plan::ShotList& shots, const std::string& name,
            std::initializer_list<std::uint64_t> seeds = {}) {
  const plan::Plan plan = plan::MakePlan(shots);
  plan::Verification v;
  if (!Verified(state, shots, plan, name, nullptr, v)) return false;
  state.counters[name + "_ticks"] = static_cast<double>(v.takeTicks);
  state.counters[name + "_floor"] = static_cast<double>(Floor(shots, plan));
  state.counters[name + "_keys"] = plan.keys;
  std::uint64_t worst = 0, stalls = 0;
  for (const std::uint64_t seed : seeds) {
    if (!Verified(state, shots, plan, name, &seed, v)) return false;
    worst = std::max(worst, v.takeTicks - v.stallTicks);
    stalls = std::max(stalls, v.stallTicks);
  }
  if (seeds.size() > 0) {
    state.counters[name + "_rough_ticks"] = static_cast<double>(worst);
    state.counters[name + "_stall_ticks"] = static_cast<double>(stalls);
  }
  return true;
}

void TakeTicksOnExamples(benchmark::State& state) {
  for (auto _ : state) {
    for (const char* name : zb::kExamples) {
      plan::ShotList shots;
      if (!zb::LoadExample(state, name, shots)) return;
      if (!Retake(state, shots, name, {kRoughSeeds[0], kRoughSeeds[1], kRoughSeeds[2]})) return;
    }
  }
}
BENCHMARK(TakeTicksOnExamples)->Iterations(1)->Unit(benchmark::kMillisecond);

void TakeOfTheLargestFilm(benchmark::State& state) {
  const plan::ShotList shots = plan::FullShotList(zb::kLargestSeed, plan::kScreens, plan::kSlots);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!Retake(state, shots, "largest")) return;
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(TakeOfTheLargestFilm)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void TakeOfTheLargestFilmInARoughWorld(benchmark::State& state) {
  const plan::ShotList shots = plan::FullShotList(zb::kLargestSeed, plan::kScreens, plan::kSlots);
  for (auto _ : state) {
    if (!Retake(state, shots, "largest", {kRoughSeeds[0]})) return;
  }
}
BENCHMARK(TakeOfTheLargestFilmInARoughWorld)->Iterations(1)->Unit(benchmark::kSecond);

// What autosave costs: the time inside the plug-in's passes and inside the runner's, and the
// natives the runner calls and the bytes it writes, over a run of host ticks with the world's
// natives answering. The plug-in alone, beside the runner with autosave off, and with autosave
// on; idle, and with a key taken every pass.
class Clock : public tessel::Listener, public world::CallObserver {
 public:
  void OnPassBegin() override { begin_ = std::chrono::steady_clock::now(); }
  void OnPassEnd() override {
    const auto spent = std::chrono::steady_clock::now() - begin_;
    (tessel::RunningThread() == tessel::ThreadAt(0) ? plugin : runner) += spent;
  }
  void OnNativeCall(const world::NativeCall& call) override {
    if (tessel::RunningThread() != tessel::ThreadAt(0)) {
      ++runnerNatives;
    } else if (call.name == "GET_CHAR_COORDINATES") {
      ++placeReads;
    }
  }
  std::chrono::steady_clock::duration plugin{}, runner{};
  std::uint64_t runnerNatives = 0, placeReads = 0;

 private:
  std::chrono::steady_clock::time_point begin_;
};

// A game of the benchmarks' own: the world's natives answering, the clock on every pass, the
// plug-in and, with `runner`, the take runner loaded in `name`'s folder, which holds `files`.
class Game {
 public:
  Game(benchmark::State& state, const char* name, bool runner,
       const std::vector<std::pair<const char*, std::string>>& files)
      : folder_(fs::temp_directory_path() / name) {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    for (const auto& [file, text] : files) std::ofstream(folder_ / file) << text;
    world::InstallNatives(world_, &clock, {});
    tessel::SetListener(&clock);
    tessel::ResetClock(0);
    previous_ = fs::current_path();
    fs::current_path(folder_);
    std::vector<std::string> modules = {sim::DefaultPluginPath()};
    if (runner) modules.push_back(sim::DefaultTakePath());
    for (const std::string& module : modules) {
      char error[512] = {};
      if (!tessel::LoadPlugin(module.c_str(), folder_.string().c_str(), error, sizeof error)) {
        state.SkipWithError(error);
      }
    }
  }

  // A tick a key: `key` pressed before each tick for which it gives a code, none for -1.
  template <typename Key>
  void Run(int ticks, Key key) {
    for (int tick = 0; tick < ticks; ++tick) {
      if (const int code = key(tick); code >= 0) tessel::PressKey(code);
      tessel::SetTime(static_cast<std::uint64_t>(tick) * 33);
      tessel::RunTick();
    }
  }

  // Everything unloaded; what the runner wrote into the folder, in bytes of takes.
  std::uintmax_t End() {
    tessel::UnloadPlugin();
    fs::current_path(previous_);
    tessel::SetListener(nullptr);
    world::RemoveNatives();
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
      if (entry.is_regular_file() && entry.path().extension() == ".take") {
        bytes += entry.file_size();
      }
    }
    fs::remove_all(folder_);
    return bytes;
  }

  Clock clock;

 private:
  fs::path folder_, previous_;
  world::World world_;
};

double Ns(std::chrono::steady_clock::duration d) {
  return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count());
}

enum Runner { kNone, kAutosaveOff, kAutosaveOn };

void AutosaveCost(benchmark::State& state) {
  const auto runner = static_cast<Runner>(state.range(0));
  const bool keys = state.range(1) != 0;
  constexpr int kTicks = 20000;
  std::vector<std::pair<const char*, std::string>> files;
  if (runner != kNone) {
    files.emplace_back("take.ini", runner == kAutosaveOn ? "Autosave=1\n" : "Autosave=0\n");
  }
  Game game(state, "zenthar-bench-autosave", runner != kNone, files);
  for (auto _ : state) {
    // Num + and Num - by turns: the plug-in takes one every pass and shows its message.
    game.Run(kTicks, [&](int tick) { return !keys ? -1 : tick % 2 == 0 ? 107 : 109; });
  }
  const std::uintmax_t bytes = game.End();
  state.counters["plugin_pass_ns"] = Ns(game.clock.plugin) / kTicks;
  state.counters["runner_pass_ns"] = Ns(game.clock.runner) / kTicks;
  state.counters["runner_natives_per_pass"] =
      static_cast<double>(game.clock.runnerNatives) / kTicks;
  state.counters["bytes_per_pass"] = static_cast<double>(bytes) / kTicks;
}
BENCHMARK(AutosaveCost)
    ->ArgsProduct({{kNone, kAutosaveOff, kAutosaveOn}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// What the runner's answer to a read costs: the plug-in's pass on a key that reads the player's
// place (Num 2 in mode 0, "My pos saved"), pressed by the host with the plug-in alone, and pressed
// by a take whose runner answers the read, a key a pass either way.
void ReadCost(benchmark::State& state) {
  const bool take = state.range(0) != 0;
  constexpr int kKeys = 20000;
  std::string text = "zenthar-take 1\n";
  for (int i = 0; take && i < kKeys; ++i) text += "press num2 \"My pos saved\"\n";
  Game game(state, "zenthar-bench-reads", take,
            take ? std::vector<std::pair<const char*, std::string>>{{"take.ini", "Autosave=0\n"},
                                                                    {"zenthar.take", text}}
                 : std::vector<std::pair<const char*, std::string>>{});
  for (auto _ : state) {
    // F9 once to start the take, or Num 2 every pass.
    game.Run(kKeys + 10, [&](int tick) {
      return take ? (tick == 0 ? 120 : -1) : tick < kKeys ? 98 : -1;
    });
  }
  game.End();
  const double reads = static_cast<double>(game.clock.placeReads);
  state.counters["reads"] = reads;
  state.counters["plugin_ns_per_read"] = Ns(game.clock.plugin) / reads;
}
BENCHMARK(ReadCost)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
