// Autosave round trips in a world that fights back: a film directed by hand in a rough world,
// where peds land off their spots, passers-by stand in the way, models stream in late and ticks
// come late, autosaves what the plug-in read; that take performs the same film, fates and all, in
// the calm world and in another rough one. For every example film, seeded random hand-directed
// films and the largest film there can be. Each world's seed is printed; ZENTHAR_SEED replays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "largest_film.h"
#include "rehearsal/scenario.h"
#include "round_trip.h"

namespace {

namespace fs = std::filesystem;

using zt::Ground;
using zt::Rough;

std::uint64_t BaseSeed() {
  const char* replay = std::getenv("ZENTHAR_SEED");
  return replay != nullptr ? std::strtoull(replay, nullptr, 10) : std::random_device{}();
}

// The film made on `made` ground comes back from its autosave on each of the others.
void ExpectSameFilmOn(const sim::Scenario& scenario, Ground made,
                      std::initializer_list<Ground> replays, bool trace = true) {
  std::string take;
  for (const Ground& replayed : replays) {
    SCOPED_TRACE(replayed.rough
                     ? "replayed in the rough world of seed " + std::to_string(replayed.seed)
                     : std::string("replayed in the calm world"));
    const zt::RoundTrip trip = zt::AutosaveRoundTrip(scenario, true, trace, made, replayed);
    ASSERT_FALSE(trip.take.empty()) << "nothing was autosaved";
    if (!take.empty()) {
      ASSERT_EQ(trip.take, take) << "the same world makes the same take";
    }
    take = trip.take;
    ASSERT_EQ(trip.replayed.film, trip.made.film) << "the take:\n" << trip.take;
  }
}

TEST(RoughRoundTrip, EveryExampleFilmComesBackInACalmWorldAndAnotherRoughOne) {
  const std::uint64_t base = BaseSeed();
  std::printf("example films in rough worlds from seed %llu (replay with ZENTHAR_SEED=%llu)\n",
              static_cast<unsigned long long>(base), static_cast<unsigned long long>(base));
  const fs::path examples =
      fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
  int films = 0;
  for (const auto& entry : fs::directory_iterator(examples)) {
    if (entry.path().extension() != ".film") continue;
    ++films;
    for (std::uint64_t n = 0; n < 3; ++n) {
      const std::uint64_t seed = base + n;
      SCOPED_TRACE(entry.path().filename().string() + " made in the rough world of seed " +
                   std::to_string(seed));
      const sim::Scenario scenario = zt::Parsed(zt::ReadText(entry.path().string()));
      ExpectSameFilmOn(scenario, Rough(seed), {Ground{}, Rough(seed + 1000)});
    }
  }
  EXPECT_GE(films, 4);
}

// A few hundred films by hand (ZENTHAR_SCENARIOS, 200 by default), each made in a rough world of
// its own seed and brought back in the calm world and in the rough world of the next seed.
TEST(RoughRoundTrip, RandomHandDirectedFilmsComeBackInACalmWorldAndAnotherRoughOne) {
  const std::uint64_t seed = BaseSeed();
  const char* count = std::getenv("ZENTHAR_SCENARIOS");
  const int scenarios = count != nullptr ? std::atoi(count) : 200;
  std::printf("rough round trips: %d from seed %llu (replay with ZENTHAR_SEED=%llu)\n", scenarios,
              static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
  int stalled = 0, passerModels = 0, parks = 0, wrecks = 0;
  for (int i = 0; i < scenarios; ++i) {
    const std::uint64_t one = seed + static_cast<std::uint64_t>(i);
    const std::string text = zt::RandomHandScenario(one);
    SCOPED_TRACE("scenario and world seed " + std::to_string(one) + " (ZENTHAR_SEED=" +
                 std::to_string(one) + " ZENTHAR_SCENARIOS=1 replays it):\n" + text);
    const sim::Scenario scenario = zt::Parsed(text);
    for (const Ground replayed : {Ground{}, Rough(one + 1)}) {
      const zt::RoundTrip trip = zt::AutosaveRoundTrip(scenario, true, false, Rough(one), replayed);
      if (trip.take.empty()) break;
      ASSERT_EQ(trip.replayed.film, trip.made.film)
          << (replayed.rough ? "in the rough world of the next seed" : "in the calm world")
          << "; the take:\n"
          << trip.take;
      if (replayed.rough) continue;
      stalled += trip.made.out.stalledMs > 0;
      passerModels += trip.take.find("\ncapture 300") != std::string::npos;
      parks += trip.take.find("\npark ") != std::string::npos;
      wrecks += trip.made.film.find(", wrecked") != std::string::npos;
    }
    if (HasFatalFailure()) return;
  }
  std::printf(
      "made with stalls %d, captures of a passer-by %d, takes with parks %d, films with a "
      "wrecked car %d\n",
      stalled, passerModels, parks, wrecks);
  if (scenarios >= 100) {
    EXPECT_GT(stalled, scenarios / 5);
    EXPECT_GT(passerModels, scenarios / 50);
    EXPECT_GT(parks, scenarios / 10);
    EXPECT_GT(wrecks, 0);
  }
}

// 256 screens of 255 cues and 32 explosions, key by key, with a show of over two hours.
TEST(RoughRoundTrip, TheLargestFilmComesBack) {
  const std::uint64_t seed = BaseSeed();
  std::printf(
      "the largest film in the rough world of seed %llu, replayed in that of %llu "
      "(ZENTHAR_SEED=%llu)\n",
      static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed + 1),
      static_cast<unsigned long long>(seed));
  ExpectSameFilmOn(zt::Parsed(zb::LargestFilm()), Rough(seed), {Rough(seed + 1)}, false);
}

}  // namespace
