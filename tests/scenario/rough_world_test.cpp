// The rough world, the stand-in for a game that does not do as it is told, held to its bounds: a
// ped a script sets down lands off the spot and settles, passers-by wander and one now and then
// stands beside the player, models stream in late, cars a script makes roll, ticks come late. The
// same seed gives the same world; the calm world, the default, does exactly as it is told.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "rehearsal/scenario.h"
#include "rehearse.h"
#include "world/world.h"

namespace {

using world::Vec3;
using world::World;

std::uint64_t Seed() {
  const char* replay = std::getenv("ZENTHAR_SEED");
  const std::uint64_t seed =
      replay != nullptr ? std::strtoull(replay, nullptr, 10) : std::random_device{}();
  std::printf("rough world seeds from %llu (replay with ZENTHAR_SEED=%llu)\n",
              static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
  return seed;
}

// How far `at` is from `spot` below it, and aside of it in the ground's plane.
struct Offset {
  float below, aside;
};
Offset Off(const Vec3& at, const Vec3& spot) {
  const float dx = at.x - spot.x, dy = at.y - spot.y;
  return {spot.z - at.z, std::sqrt(dx * dx + dy * dy)};
}

void ExpectWithinBounds(const Vec3& at, const Vec3& spot, const std::string& what) {
  const Offset off = Off(at, spot);
  EXPECT_TRUE(off.below >= 0.0f && off.below <= world::kRoughSinkMost)
      << what << ": " << off.below << " below";
  EXPECT_LE(off.aside, world::kRoughAsideMost * 1.0001f) << what << ": aside";
}

// Steps the world on 30 ticks a second from `now` for `ms`.
std::uint64_t StepFor(World& w, std::uint64_t now, std::uint64_t ms) {
  for (std::uint64_t t = now + 33; t <= now + ms; t += 33) w.Step(t, 33);
  return now + ms - ms % 33;
}

TEST(RoughWorld, APedSetDownLandsOffTheSpotAndSettlesWithinBounds) {
  const std::uint64_t seed = Seed();
  int landedOff = 0, drifted = 0;
  for (std::uint64_t n = 0; n < 200; ++n) {
    SCOPED_TRACE("seed " + std::to_string(seed + n));
    World w;
    w.MakeRough(seed + n);
    const Vec3 spot = {100.0f + static_cast<float>(n), -20.5f, 3.25f};
    w.MovePed(w.player(), spot);
    const Vec3 landed = w.player().pos;
    ExpectWithinBounds(landed, spot, "where it landed");
    landedOff += Off(landed, spot).aside > 0.0f || Off(landed, spot).below > 0.0f;
    for (std::uint64_t t = 33; t <= world::kRoughSettleMs + 66; t += 33) {
      w.Step(t, 33);
      ExpectWithinBounds(w.player().pos, spot, "as it settles");
    }
    const Vec3 rests = w.player().pos;
    drifted += rests.x != landed.x || rests.y != landed.y || rests.z != landed.z;
    StepFor(w, world::kRoughSettleMs + 66, 2000);
    EXPECT_TRUE(w.player().pos.x == rests.x && w.player().pos.y == rests.y &&
                w.player().pos.z == rests.z)
        << "it rests where it settled";
    if (HasFailure()) return;
  }
  EXPECT_EQ(landedOff, 200);
  EXPECT_GE(drifted, 190);
}

// In a car the car is set down with the player, exactly, and nothing settles.
TEST(RoughWorld, ACarIsSetDownExactlyWithWhoeverSitsInIt) {
  World w;
  w.MakeRough(7);
  const std::int32_t taxi = w.AddCar("taxi", 90, {5, 0, 0});
  w.PlayerEnter(*w.FindCar(taxi));
  w.MovePed(w.player(), {20.5f, 1.25f, 0.5f});
  StepFor(w, 0, 1000);
  const Vec3 at = w.FindCar(taxi)->pos;
  EXPECT_TRUE(at.x == 20.5f && at.y == 1.25f && at.z == 0.5f) << at.x << " " << at.y << " " << at.z;
  EXPECT_TRUE(w.player().pos.x == 20.5f && w.player().pos.z == 0.5f);
}

TEST(RoughWorld, PassersByWanderAboutThePlayerAndNowAndThenOneStandsBesideIt) {
  const std::uint64_t seed = Seed();
  World w;
  w.MakeRough(seed);
  w.MovePlayer({50, 50, 0});
  int passers = 0;
  for (const world::Ped& ped : w.peds()) {
    if (!ped.passer) continue;
    ++passers;
    EXPECT_EQ(ped.model, world::kRoughPasserModel + passers - 1);
  }
  EXPECT_EQ(passers, world::kRoughPassersBy);
  int beside = 0;
  float farthest = 0;
  for (std::uint64_t t = 33; t < 180000; t += 33) {
    w.Step(t, 33);
    if (t == 90000) w.MovePlayer({-400, 10, 0});  // the player goes far away; they follow
    float nearest = 1e9f;
    for (const world::Ped& ped : w.peds()) {
      if (!ped.passer) continue;
      const float d = world::Distance(ped.pos, w.player().pos);
      nearest = std::min(nearest, d);
      if (t % 3300 == 0 && t != 90024) farthest = std::max(farthest, d);
    }
    beside += nearest <= world::kRoughBesideMost + 0.05f;
  }
  EXPECT_GT(beside, 100) << "ticks with a passer-by right beside the player";
  EXPECT_LE(farthest, 3.0f * world::kRoughPasserReach);
  const World calm;
  for (const world::Ped& ped : calm.peds()) EXPECT_FALSE(ped.passer);
}

TEST(RoughWorld, ModelsStreamInLateButWithinTheirBound) {
  const std::uint64_t seed = Seed();
  int late = 0;
  for (std::uint64_t n = 0; n < 100; ++n) {
    World w;
    w.MakeRough(seed + n);
    w.DeclarePedModel(2001);
    w.RequestModel(2001);
    std::uint64_t t = 0;
    int steps = 0;
    while (!w.ModelLoaded(2001) && t < 5000) {
      t += 33;
      w.Step(t, 33);
      ++steps;
    }
    EXPECT_GE(steps, static_cast<int>(world::kModelLoadSteps));
    EXPECT_LE(t, world::kModelLoadSteps * 33 + world::kRoughModelDelayMostMs + 33)
        << "seed " << seed + n;
    late += steps > static_cast<int>(world::kModelLoadSteps);
  }
  EXPECT_GT(late, 25) << "later than a calm world's three steps";
  World calm;
  calm.DeclarePedModel(2001);
  calm.RequestModel(2001);
  for (std::uint64_t step = 1; step <= world::kModelLoadSteps; ++step) {
    EXPECT_FALSE(calm.ModelLoaded(2001));
    calm.Step(step * 33, 33);
  }
  EXPECT_TRUE(calm.ModelLoaded(2001)) << "three steps in a calm world";
}

TEST(RoughWorld, ACarAScriptMakesRollsALittleAndOneSetDownStaysPut) {
  const std::uint64_t seed = Seed();
  int rolled = 0;
  for (std::uint64_t n = 0; n < 100; ++n) {
    World w;
    w.MakeRough(seed + n);
    w.DeclareCarModel(90);
    const std::int32_t made = w.CreateCar(90, {10, 10, 0});
    const std::uint64_t t = StepFor(w, 0, world::kRoughRollMs + 100);
    const Vec3 at = w.FindCar(made)->pos;
    const float moved = world::Distance(at, {10, 10, 0});
    EXPECT_LE(moved, world::kRoughRollMost * 1.0001f) << "seed " << seed + n;
    EXPECT_EQ(at.z, 0.0f) << "it rolls on the ground";
    rolled += moved > 0.0f;
    StepFor(w, t, 1000);
    EXPECT_EQ(world::Distance(w.FindCar(made)->pos, at), 0.0f) << "and stops";
    const std::int32_t set = w.CreateCar(90, {30, 0, 0});
    w.MoveCar(*w.FindCar(set), {31, 0, 0});
    StepFor(w, t + 1000, 2000);
    EXPECT_EQ(world::Distance(w.FindCar(set)->pos, {31, 0, 0}), 0.0f) << "set down, it stays";
  }
  EXPECT_GT(rolled, 95);
}

TEST(RoughWorld, TicksComeLateNowAndThenAndNoLaterThanTheirBound) {
  World w;
  w.MakeRough(Seed());
  int stalls = 0;
  for (int tick = 0; tick < 300 * world::kRoughStallOdds; ++tick) {
    const std::uint64_t ms = w.NextStall();
    if (ms == 0) continue;
    ++stalls;
    EXPECT_GE(ms, 250u);
    EXPECT_LE(ms, world::kRoughStallMostMs);
  }
  EXPECT_GT(stalls, 200);
  EXPECT_LT(stalls, 400);
  World calm;
  for (int tick = 0; tick < 3000; ++tick) EXPECT_EQ(calm.NextStall(), 0u);
}

std::string Demo() {
  std::ifstream in(std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() /
                       "examples" / "demo.film",
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A rehearsal of the demo film: the same seed, the same run; another seed, another run; the calm
// world names no seed and has no passer-by and no stall.
TEST(RoughWorld, TheSameSeedGivesTheSameWorld) {
  const std::uint64_t seed = Seed();
  const std::string rough = "rough " + std::to_string(seed) + "\n" + Demo();
  const zt::Rehearsal once = zt::Rehearse(rough), again = zt::Rehearse(rough);
  EXPECT_EQ(once.out.trace, again.out.trace);
  EXPECT_EQ(once.lines.front(), "{\"t\":0,\"ev\":\"rough\",\"seed\":" + std::to_string(seed) + "}");
  EXPECT_TRUE(once.out.rough);
  EXPECT_EQ(once.out.roughSeed, seed);
  sim::RunOptions other;
  other.rough = true;
  other.roughSeed = seed + 1;
  const zt::Rehearsal elsewhere = zt::Rehearse(rough, other);
  EXPECT_NE(elsewhere.out.trace, once.out.trace) << "the option's seed has the last word";
  EXPECT_EQ(elsewhere.out.roughSeed, seed + 1);
  EXPECT_NE(once.out.state.find("\"name\":\"passer1\""), std::string::npos);
  const zt::Rehearsal calm = zt::Rehearse(Demo());
  EXPECT_FALSE(calm.out.rough);
  EXPECT_TRUE(calm.Events("rough").empty());
  EXPECT_TRUE(calm.Events("stall").empty());
  EXPECT_EQ(calm.out.state.find("passer"), std::string::npos);
}

// A stall holds up the scenario's clock: the lines after it come that much later on the game's,
// and so does the end of the run.
TEST(RoughWorld, AStallHoldsUpTheScenarioWithTheGame) {
  const zt::Rehearsal r = zt::Rehearse("at 1 stall 2.5\nat 1.5 press num+\nrun 3\n");
  ASSERT_EQ(r.Events("stall").size(), 1u);
  const std::string stall = r.Events("stall")[0];
  EXPECT_EQ(zt::Field(stall, "ms"), "2500");
  EXPECT_EQ(zt::TimeOf(stall), 3533u) << "the tick after 1 s, 2.5 s late";
  ASSERT_EQ(r.Events("key").size(), 1u);
  EXPECT_EQ(zt::TimeOf(r.Events("key")[0]), 4000u) << "1.5 s on the scenario's clock";
  EXPECT_EQ(zt::TimeOf(r.Events("unload").back()), 5500u);
  EXPECT_EQ(r.out.stalledMs, 2500u);
}

// The world stands still through a stall, as a game's does while it loads: a ped walking when the
// game stalls has gone no further after it than it would have without the stall.
TEST(RoughWorld, TheWorldStandsStillThroughAStall) {
  const std::string walk =
      "ped bob model 2001 at 1 1 0\n"
      "at 0.5 press backslash\nat 1.0 player at 3 -2 0\nat 1.5 press num1\n"
      "at 2.0 player at 20 0 0\nat 2.5 press num2\nat 3.0 press num3\n";
  const auto where = [](const zt::Rehearsal& r) {
    const std::size_t at = r.out.state.find("\"name\":\"cast1\"");
    EXPECT_NE(at, std::string::npos) << r.out.state;
    const std::size_t pos = r.out.state.find("\"pos\":", at);
    return r.out.state.substr(pos, r.out.state.find(']', pos) - pos);
  };
  const zt::Rehearsal calm = zt::Rehearse(walk + "run 4\n");
  const zt::Rehearsal stalled = zt::Rehearse(walk + "at 3.2 stall 3\nrun 4\n");
  EXPECT_EQ(where(stalled), where(calm)) << "1 s of walking in each";
  EXPECT_NE(where(calm).find("4.39"), std::string::npos) << where(calm);
  EXPECT_EQ(stalled.out.stalledMs, 3000u);
}

TEST(RoughWorld, BadRoughAndStallLinesAreRefusedWithTheirLine) {
  const std::pair<const char*, const char*> bad[] = {
      {"rough x", "f:2: bad seed 'x' (a whole number from 0 to 18446744073709551615)"},
      {"rough -1", "f:2: bad seed '-1' (a whole number from 0 to 18446744073709551615)"},
      {"rough 18446744073709551616",
       "f:2: bad seed '18446744073709551616' (a whole number from 0 to 18446744073709551615)"},
      {"rough 1 2", "f:2: expected: rough [SEED]"},
      {"rough 1", "f:2: a second rough line"},
      {"at 1 stall", "f:2: expected: at T stall S"},
      {"at 1 stall 0", "f:2: a stall of 0 s; a stall lasts more than 0 and at most 3600 s"},
      {"at 1 stall 3601", "f:2: a stall of 3601 s; a stall lasts more than 0 and at most 3600 s"},
      {"at 1 stall soon", "f:2: bad number 'soon'"},
  };
  for (const auto& [line, problem] : bad) {
    sim::Scenario scenario;
    const std::string first =
        std::string(line).rfind("rough 1", 0) == 0 && std::string(line) == "rough 1" ? "rough 2\n"
                                                                                     : "\n";
    EXPECT_EQ(sim::ParseScenario("f", first + line + "\n", scenario), problem);
  }
  sim::Scenario scenario;
  ASSERT_EQ(sim::ParseScenario("f", "rough 18446744073709551615\n", scenario), "");
  EXPECT_TRUE(scenario.rough);
  EXPECT_EQ(scenario.roughSeed, 18446744073709551615u);
  ASSERT_EQ(sim::ParseScenario("f", "rough\n", scenario), "") << "a seed of its own";
  EXPECT_TRUE(scenario.rough);
}

}  // namespace
