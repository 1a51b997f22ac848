#include "rehearsal/take_scenario.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "rehearsal/decimal.h"

namespace sim {

namespace {

// Take rehearsals tick as the game does.
constexpr int kTakeFps = 30;
constexpr int kScreenCount = 256;
constexpr std::uint64_t kPressMs = 100;
constexpr std::uint64_t kDoorMs = 1000;
constexpr std::uint64_t kSlotMs = 100;
constexpr std::uint64_t kSlackMs = 5000;
// Whatever lengths a take gives its screens, its rehearsal shows an hour of them at most.
constexpr std::uint64_t kLongestShowMs = 3600 * 1000;

// The number after `prefix` when `text` is the prefix and a whole number.
bool Numbered(const std::string& text, const char* prefix, int& number) {
  const std::size_t n = std::strlen(prefix);
  if (text.compare(0, n, prefix) != 0 || text.size() == n) return false;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data() + n, end, number);
  return result.ec == std::errc() && result.ptr == end;
}

// How long the film plays: screen 0, then each screen with a length, every slot cast taking
// its 100 ms on each.
std::uint64_t ShowMs(const std::vector<std::uint64_t>& seconds, std::uint64_t slots) {
  std::uint64_t show = 0;
  for (std::size_t s = 0; s < seconds.size() && (s == 0 || seconds[s] > 0); ++s) {
    show += seconds[s] * 1000 + slots * kSlotMs;
  }
  return std::min(show, kLongestShowMs);
}

// A tick for each step and the car doors; for a play, the show before it, which the runner lets
// end before the key can start another; then the last show. It goes by the messages the take
// expects: each screen's length and the slots cast.
std::uint64_t TakeMs(const std::string& take) {
  std::vector<std::uint64_t> seconds(kScreenCount, 0);
  int screen = 0, slot = 0;
  std::uint64_t slots = 0, ms = kPressMs, show = 0;
  ForEachTakeStep(take, [&](const take::Step& step) {
    ms += 1000 / kTakeFps + 1;
    if (step.kind != take::StepKind::press) return;
    const std::string text = step.text;
    int n = 0;
    if (Numbered(text, "Screen changed to ", n) && n >= 0 && n < kScreenCount) screen = n;
    if (Numbered(text, "Screen do time changed to ", n) && n > 0) {
      seconds[static_cast<std::size_t>(screen)] = static_cast<std::uint64_t>(n);
    }
    if (Numbered(text, "ID changed to ", n)) slot = n;
    if (text == "Char create") slots = std::max(slots, static_cast<std::uint64_t>(slot) + 1);
    if (text == "Play started") {
      ms += show + slots * kSlotMs;
      show = ShowMs(seconds, slots);
    }
    if (step.value == 102 || step.value == 105) ms += kDoorMs;
  });
  return ms + std::max(show, ShowMs(seconds, slots)) + kSlackMs;
}

// "# start X Y Z": where an autosave's first key was pressed, in the world it was made in.
bool StartLine(const std::string& line, world::Vec3& start) {
  std::istringstream words(line);
  std::string hash, what, rest;
  words >> hash >> what;
  if (hash != "#" || what != "start") return false;
  double axes[3] = {};
  for (double& axis : axes) {
    std::string word;
    if (!(words >> word)) return false;
    if (!ReadDecimal(word, axis)) return false;
  }
  if (words >> rest) return false;
  start = {static_cast<float>(axes[0]), static_cast<float>(axes[1]), static_cast<float>(axes[2])};
  return true;
}

world::Vec3 Placed(const world::Vec3& origin, const take::Step& step) {
  // As the runner places a step: in double from the start, rounded once.
  return {static_cast<float>(origin.x + step.x), static_cast<float>(origin.y + step.y),
          static_cast<float>(origin.z + step.z)};
}

}  // namespace

bool IsTake(const std::string& text) {
  std::istringstream words(text.substr(0, text.find('\n')));
  std::string first;
  words >> first;
  return first == "zenthar-take";
}

void ForEachTakeStep(const std::string& text,
                     const std::function<void(const take::Step& step)>& visit) {
  take::Summary summary{};
  int line = 0;
  char problem[take::kProblemSize] = {};
  if (!take::CheckTakeText(text.data(), text.size(), summary, line, problem, sizeof problem)) {
    return;
  }
  // Line by line in place: the largest film's take is twenty megabytes.
  std::string content;
  std::size_t at = text.find('\n');
  for (int n = 2; n <= summary.lastLine && at != std::string::npos && at + 1 < text.size(); ++n) {
    const std::size_t begin = at + 1;
    at = text.find('\n', begin);
    content.assign(text, begin, (at == std::string::npos ? text.size() : at) - begin);
    take::Step step;
    if (take::ReadLine(content.c_str(), summary.version, step, problem, sizeof problem) &&
        step.kind != take::StepKind::none) {
      visit(step);
    }
  }
}

std::string TakeScenario(const std::string& file, const std::string& text, Scenario& out) {
  out = Scenario{};
  out.file = file;
  out.fps = kTakeFps;
  take::Summary summary{};
  int line = 0;
  char problem[take::kProblemSize] = {};
  if (!take::CheckTakeText(text.data(), text.size(), summary, line, problem, sizeof problem)) {
    return file + ":" + std::to_string(line) + ": " + problem;
  }
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (StartLine(text.substr(at, end - at), out.playerPos)) break;
    at = end + 1;
  }
  std::set<std::int32_t> peds, cars;
  ForEachTakeStep(text, [&](const take::Step& step) {
    if (step.kind == take::StepKind::capture) peds.insert(step.value);
    if (step.kind == take::StepKind::car) cars.insert(step.value);
  });
  out.pedModels.assign(peds.begin(), peds.end());
  out.carModels.assign(cars.begin(), cars.end());
  out.hasTake = true;
  out.take = text;
  Action start;
  start.t = kPressMs;
  start.keys = {take::KeyCode("f9")};
  out.actions.push_back(start);
  out.runUntil = TakeMs(text);
  return "";
}

Scenario TakeSet(const Scenario& scenario) {
  Scenario set = scenario;
  if (!scenario.hasTake) return set;
  auto named = [&](const std::string& name) {
    const auto same = [&](const Actor& actor) { return actor.name == name; };
    return std::any_of(set.peds.begin(), set.peds.end(), same) ||
           std::any_of(set.cars.begin(), set.cars.end(), same);
  };
  const world::Vec3 origin = scenario.playerPos;
  world::Vec3 player = origin;
  std::map<std::string, world::Vec3> staged;  // where each car stands as the take goes
  std::string in;                             // the car the player sits in
  ForEachTakeStep(scenario.take, [&](const take::Step& step) {
    if (step.kind == take::StepKind::car) {
      staged[step.name] = Placed(origin, step);
      if (!named(step.name)) set.cars.push_back({step.name, step.value, Placed(origin, step)});
    } else if (step.kind == take::StepKind::move || step.kind == take::StepKind::leave) {
      player = Placed(origin, step);
      // A move takes the car along.
      if (step.kind == take::StepKind::move && !in.empty()) staged[in] = player;
      if (step.kind == take::StepKind::leave) in.clear();
    } else if (step.kind == take::StepKind::enter) {
      player = staged[step.name];
      in = step.name;
    } else if (step.kind == take::StepKind::park) {
      staged[step.name] = Placed(origin, step);
      if (in == step.name) player = staged[step.name];
    } else if (step.kind == take::StepKind::capture) {
      // Beside the player, as the runner stands the ped whose model the key takes.
      const std::string name = "capture-" + std::to_string(step.value);
      if (!named(name)) set.peds.push_back({name, step.value, {player.x + 1, player.y, player.z}});
    }
  });
  return set;
}

AutosaveFolder::AutosaveFolder(Scenario* scenario) {
  if (scenario == nullptr) return;
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("zenthar-autosave-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  folder_ = folder.string();
  scenario->autosave = folder_;
}

AutosaveFolder::~AutosaveFolder() {
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

bool AutosaveFolder::Take(std::string& text) const {
  std::error_code error;
  std::vector<std::filesystem::path> takes;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    if (entry.path().extension() == ".take") takes.push_back(entry.path());
  }
  if (takes.empty()) return false;
  std::sort(takes.begin(), takes.end());
  return ReadWholeFile(takes.front().string(), "take", text).empty();
}

}  // namespace sim
