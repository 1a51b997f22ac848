// Round trips through the real plug-in: a film becomes a shot list, the shot list a plan, and
// rehearsing the plan records the same film again. For the example films, and for shot lists
// made up from seeds; a failure prints the seed, and ZENTHAR_PLAN_SEED=N replays from it
// (ZENTHAR_PLAN_LISTS=M sets how many lists are made).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "plan/planner.h"
#include "plan/random_shots.h"
#include "plan/shots.h"
#include "plan/take.h"
#include "plan/verify.h"
#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "rehearse.h"

namespace {

namespace fs = std::filesystem;

fs::path ExamplesFolder() {
  return fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : fallback;
}

// The shot list as a film can give it back: coordinates instead of place names, everything in
// screen, slot and id order, and no empty screen.
std::string Canonical(plan::ShotList shots) {
  shots.places.clear();
  auto plain = [](plan::Spot& spot) { spot.place.clear(); };
  for (plan::CastMember& member : shots.cast) {
    plain(member.spot);
    for (const sim::Actor& ped : shots.setUp.peds) {
      if (ped.model == member.model) {
        member.like = ped.name;
        break;
      }
    }
  }
  std::sort(shots.cast.begin(), shots.cast.end(),
            [](const auto& a, const auto& b) { return a.slot < b.slot; });
  std::sort(shots.screens.begin(), shots.screens.end(),
            [](const auto& a, const auto& b) { return a.number < b.number; });
  for (plan::ShotScreen& screen : shots.screens) {
    for (plan::ShotCue& cue : screen.cues) plain(cue.spot);
    for (plan::ShotExplosion& blast : screen.explosions) plain(blast.spot);
    std::sort(screen.cues.begin(), screen.cues.end(),
              [](const auto& a, const auto& b) { return a.slot < b.slot; });
    std::sort(screen.explosions.begin(), screen.explosions.end(),
              [](const auto& a, const auto& b) { return a.id < b.id; });
  }
  std::erase_if(shots.screens, [](const plan::ShotScreen& s) {
    return s.duration == 0 && s.cues.empty() && s.explosions.empty();
  });
  return plan::FormatShotList(shots, "");
}

// Plans `shots`, rehearses the plan and returns the film it recorded as a canonical shot list;
// every difference the verification finds is a test failure.
std::string PlanAndRehearse(const plan::ShotList& shots, plan::Plan* planOut = nullptr,
                            plan::Fights fights = plan::Fights::best,
                            plan::Targets targets = plan::Targets::best) {
  const plan::Plan plan = plan::MakePlan(shots, fights, targets);
  if (planOut != nullptr) *planOut = plan;
  const plan::Verification v =
      plan::Verify(shots, plan, plan::PlanScenarioText(shots, plan), sim::RunOptions{});
  EXPECT_TRUE(v.ran);
  std::string differences;
  for (std::size_t i = 0; i < v.differences.size() && i < 10; ++i) {
    differences += v.differences[i] + "\n";
  }
  EXPECT_EQ(differences, "");
  std::vector<std::string> skipped;
  sim::Scenario set = shots.setUp;
  const std::string back = Canonical(plan::FilmToShots(set, v.out.film, skipped));
  EXPECT_EQ(skipped, std::vector<std::string>{});
  return back;
}

// Writes the take of `shots` and rehearses it through the take runner; the film it recorded as a
// canonical shot list, every difference a test failure.
std::string TakeAndRehearse(const plan::ShotList& shots, std::uint64_t* ticks = nullptr) {
  const plan::Plan plan = plan::MakePlan(shots);
  const fs::path path = zt::TempPath("roundtrip.take");
  std::ofstream(path, std::ios::binary) << plan::TakeText(shots, plan, shots.file);
  const plan::Verification v = plan::VerifyTake(shots, plan, path.string(), sim::RunOptions{});
  fs::remove(path);
  EXPECT_TRUE(v.ran && v.take);
  std::string differences;
  for (std::size_t i = 0; i < v.differences.size() && i < 10; ++i) {
    differences += v.differences[i] + "\n";
  }
  EXPECT_EQ(differences, "");
  if (ticks != nullptr) *ticks = v.takeTicks;
  std::vector<std::string> skipped;
  sim::Scenario set = shots.setUp;
  return Canonical(plan::FilmToShots(set, v.out.film, skipped));
}

int PressedKeys(const sim::Scenario& scenario) {
  int keys = 0;
  for (const sim::Action& action : scenario.actions) {
    if (action.kind == sim::ActionKind::press) keys += static_cast<int>(action.keys.size());
  }
  return keys;
}

TEST(PlanRoundTrip, EveryExampleFilmComesBackFromItsShotList) {
  int films = 0;
  for (const auto& entry : fs::directory_iterator(ExamplesFolder())) {
    if (entry.path().extension() != ".film") continue;
    ++films;
    SCOPED_TRACE(entry.path().filename().string());
    sim::Scenario scenario;
    ASSERT_EQ(sim::ParseScenario(entry.path().string(), ReadFile(entry.path()), scenario), "");
    const sim::RunOutput original = sim::RunScenario(scenario, {});
    ASSERT_TRUE(original.ok) << original.error;
    std::vector<std::string> skipped;
    const plan::ShotList fromFilm = plan::FilmToShots(scenario, original.film, skipped);
    // The car chase records a drive on foot first, then again in the cruiser: only the second
    // is in the film.
    EXPECT_EQ(skipped, std::vector<std::string>{});
    const std::string text = plan::FormatShotList(fromFilm, "");
    plan::ShotList reread;
    ASSERT_EQ(plan::ParseShotList("from-film.shots", text, reread), "");
    EXPECT_EQ(Canonical(reread), Canonical(fromFilm));
    plan::Plan plan;
    EXPECT_EQ(PlanAndRehearse(reread, &plan), Canonical(fromFilm));
    EXPECT_LE(plan.keys, PressedKeys(scenario)) << "the plan presses more keys than the film";
    EXPECT_GE(plan.keys, plan.lowerBound);
  }
  EXPECT_GE(films, 4);
}

TEST(PlanRoundTrip, EveryExampleShotListIsTheFilmOfItsExample) {
  // With the keys each plan presses today: a plan with more keys would record the film too.
  const std::pair<const char*, int> examples[] = {
      {"demo", 23}, {"car-chase", 38}, {"every-action", 69}, {"explosions", 39}};
  for (const auto& [name, keys] : examples) {
    SCOPED_TRACE(name);
    const fs::path film = ExamplesFolder() / (std::string(name) + ".film");
    const fs::path list = ExamplesFolder() / (std::string(name) + ".shots");
    sim::Scenario scenario;
    ASSERT_EQ(sim::ParseScenario(film.string(), ReadFile(film), scenario), "");
    const sim::RunOutput original = sim::RunScenario(scenario, {});
    ASSERT_TRUE(original.ok) << original.error;
    plan::ShotList shots;
    ASSERT_EQ(plan::LoadShotList(list.string(), shots), "");
    EXPECT_EQ(plan::CompareFilm(shots, original.film), std::vector<std::string>{});
    EXPECT_EQ(plan::MakePlan(shots).keys, keys);
    sim::FilmReport extra = original.film;
    const int slots = extra.film.pedCount++;
    EXPECT_EQ(plan::CompareFilm(shots, extra),
              std::vector<std::string>{"the film plays " + std::to_string(slots + 1) +
                                       " slots, the cast needs " + std::to_string(slots)});
  }
}

TEST(PlanVerification, NamesWhatTheFilmLacksWhenAKeyGoesMissing) {
  plan::ShotList shots;
  ASSERT_EQ(plan::LoadShotList((ExamplesFolder() / "demo.shots").string(), shots), "");
  const plan::Plan plan = plan::MakePlan(shots);
  std::string text = plan::PlanScenarioText(shots, plan);
  const std::size_t handsUp = text.find("press num5  # Ped 1 will been HANDS UP");
  ASSERT_NE(handsUp, std::string::npos) << text;
  const std::size_t begin = text.rfind('\n', handsUp) + 1;
  text.erase(begin, text.find('\n', handsUp) + 1 - begin);
  const plan::Verification v = plan::Verify(shots, plan, text, sim::RunOptions{});
  ASSERT_TRUE(v.ran);
  ASSERT_GE(v.differences.size(), 2u);
  EXPECT_EQ(v.differences[0],
            "key 17 (Num 5, slot 1: hands up) should show 'Ped 1 will been HANDS UP at screen 1', "
            "the game showed 'Screen changed to 2'");
  EXPECT_EQ(v.differences[1],
            "screen 1 slot 1 (line 23): the shot list has 'hands up', the film has 'no cue'");
}

TEST(PlanVerification, AKeyWhoseMessageNeverComesIsNamed) {
  plan::ShotList shots;
  ASSERT_EQ(plan::LoadShotList((ExamplesFolder() / "demo.shots").string(), shots), "");
  const plan::Plan plan = plan::MakePlan(shots);
  std::string text = plan::PlanScenarioText(shots, plan);
  const std::size_t play = text.find("press backslash  # Play started");
  ASSERT_NE(play, std::string::npos) << text;
  const std::size_t begin = text.rfind('\n', play) + 1;
  text.erase(begin, text.find('\n', play) + 1 - begin);
  const plan::Verification v = plan::Verify(shots, plan, text, sim::RunOptions{});
  ASSERT_TRUE(v.ran);
  ASSERT_FALSE(v.differences.empty());
  EXPECT_EQ(v.differences[0], "key " + std::to_string(plan.keys) +
                                  " (\\, play the film) should show 'Play started', the game "
                                  "showed 'nothing'");
}

TEST(PlanRoundTrip, RandomShotListsComeBackFromTheirRehearsal) {
  const std::uint64_t seed = EnvNumber("ZENTHAR_PLAN_SEED", 20261208);
  const std::uint64_t lists = EnvNumber("ZENTHAR_PLAN_LISTS", 300);
  std::set<int> codes, kinds, seats, targets;
  bool screen255 = false, slot254 = false;
  for (std::uint64_t i = 0; i < lists; ++i) {
    const std::uint64_t listSeed = seed + i;
    plan::RandomShape shape;
    shape.extremes = i % 10 == 0;
    const plan::ShotList shots = plan::RandomShotList(listSeed, shape);
    const std::string text = plan::FormatShotList(shots, "");
    SCOPED_TRACE("list seed " + std::to_string(listSeed) + " (ZENTHAR_PLAN_SEED=" +
                 std::to_string(listSeed) + " ZENTHAR_PLAN_LISTS=1 replays it):\n" + text);
    plan::ShotList reread;
    ASSERT_EQ(plan::ParseShotList(shots.file, text, reread), "");
    // Every way of recording fights and aims at targets is proven, besides the best one.
    const plan::Fights fights[] = {plan::Fights::best, plan::Fights::byTarget,
                                   plan::Fights::byScreen};
    const plan::Targets aims[] = {plan::Targets::best, plan::Targets::withScreen,
                                  plan::Targets::last};
    EXPECT_EQ(PlanAndRehearse(reread, nullptr, fights[i % 3], aims[i / 3 % 3]), Canonical(shots));
    // One in five also comes back through a take, from a player start far from the origin, so
    // the take's places relative to it must land exactly.
    if (i % 5 == 0) {
      plan::ShotList away = reread;
      away.setUp.playerPos = {1234.567f - static_cast<float>(i), -987.3f,
                              0.1f * static_cast<float>(i)};
      EXPECT_EQ(TakeAndRehearse(away), Canonical(away)) << "through its take";
    }
    if (HasFailure()) break;
    for (const plan::ShotScreen& screen : shots.screens) {
      screen255 = screen255 || screen.number == 255;
      for (const plan::ShotCue& cue : screen.cues) {
        codes.insert(cue.code);
        slot254 = slot254 || cue.slot == 254;
        if (cue.code == 6) seats.insert(cue.seat);
        if (plan::FindCueKind(cue.code)->field == plan::CueField::target) {
          targets.insert(cue.target < 0 ? -1 : cue.target == 254 ? 254 : 0);
        }
      }
      for (const plan::ShotExplosion& blast : screen.explosions) kinds.insert(blast.kind);
    }
  }
  std::printf("%llu random shot lists from seed %llu\n", static_cast<unsigned long long>(lists),
              static_cast<unsigned long long>(seed));
  if (lists >= 100) {
    EXPECT_EQ(codes.size(), 19u);
    EXPECT_EQ(kinds.size(), 3u);
    EXPECT_EQ(seats, (std::set<int>{0, 1, 2, 3}));
    EXPECT_EQ(targets, (std::set<int>{-1, 0, 254}));
    EXPECT_TRUE(screen255);
    EXPECT_TRUE(slot254);
  }
}

// The largest film there can be, 256 screens of 255 cues, retaken by the runner key by key.
TEST(TakeRoundTrip, TheLargestFilmRetakes) {
  const plan::ShotList shots = plan::FullShotList(20261208, plan::kScreens, plan::kSlots);
  std::uint64_t ticks = 0;
  EXPECT_EQ(TakeAndRehearse(shots, &ticks), Canonical(shots));
  EXPECT_GT(ticks, 0u);
}

}  // namespace
