// The planner's choices: the shortest way round each selection ring, the order of visits, and
// the player's moves the plug-in's rules call for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "plan/planner.h"
#include "plan/shots.h"

namespace {

// Steps of visiting `order` from `start` on a ring, each leg the short way round.
int TourSteps(int start, const std::vector<int>& order, int size) {
  int steps = 0;
  for (int p : order) {
    steps += plan::RingSteps(start, p, size);
    start = p;
  }
  return steps;
}

// The fewest steps of any order: every permutation, for a handful of points.
int BestSteps(int start, std::vector<int> points, int size) {
  std::sort(points.begin(), points.end());
  int best = -1;
  do {
    const int steps = TourSteps(start, points, size);
    if (best < 0 || steps < best) best = steps;
  } while (std::next_permutation(points.begin(), points.end()));
  return best;
}

TEST(RingTour, VisitsEveryPointOnceWithTheFewestSteps) {
  const std::uint64_t seed = 77;
  std::mt19937_64 random(seed);
  for (int round = 0; round < 2000; ++round) {
    const int size = std::uniform_int_distribution<int>(1, 40)(random);
    const int start = std::uniform_int_distribution<int>(0, size - 1)(random);
    std::vector<int> points;
    const int n = std::uniform_int_distribution<int>(0, std::min(size, 6))(random);
    for (int i = 0; i < n; ++i)
      points.push_back(std::uniform_int_distribution<int>(0, size - 1)(random));
    std::vector<int> order = plan::RingTour(start, points, size);
    std::vector<int> unique = points;
    std::sort(unique.begin(), unique.end());
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(sorted, unique) << "seed " << seed << " round " << round;
    ASSERT_EQ(TourSteps(start, order, size), BestSteps(start, unique, size))
        << "seed " << seed << " round " << round << ": ring " << size << " from " << start;
  }
}

TEST(RingTour, StepsTakeTheShortWayRoundTheWrap) {
  EXPECT_EQ(plan::RingSteps(0, 254, 255), 1);
  EXPECT_EQ(plan::RingSteps(0, 128, 255), 127);
  EXPECT_EQ(plan::RingSteps(0, 255, 256), 1);
  EXPECT_EQ(plan::RingSteps(3, 0, 4), 1);
  EXPECT_EQ(plan::RingSteps(5, 5, 32), 0);
}

plan::ShotList Read(const std::string& text) {
  plan::ShotList shots;
  const std::string problem = plan::ParseShotList("t.shots", text, shots);
  EXPECT_EQ(problem, "");
  return shots;
}

// The plan in a few words a step: "key num- ID changed to 254", "walk 1 2 3", "enter taxi".
std::vector<std::string> Steps(const plan::Plan& plan) {
  std::vector<std::string> out;
  for (const plan::PlanStep& step : plan.steps) {
    switch (step.kind) {
      case plan::PlanStep::Kind::heading:
        break;
      case plan::PlanStep::Kind::walk:
        out.push_back("walk " + plan::Number(step.spot.pos.x) + " " +
                      plan::Number(step.spot.pos.y) + " " + plan::Number(step.spot.pos.z));
        break;
      case plan::PlanStep::Kind::enter:
        out.push_back("enter " + step.car);
        break;
      case plan::PlanStep::Kind::leave:
        out.push_back("leave");
        break;
      case plan::PlanStep::Kind::weapon:
        out.push_back("weapon " + std::to_string(step.weapon));
        break;
      case plan::PlanStep::Kind::key:
        out.push_back(step.message);
        break;
    }
  }
  return out;
}

TEST(Planner, CastsEachModelAfterOneCaptureBesideAPedOfIt) {
  const plan::Plan plan = plan::MakePlan(
      Read("ped bob model 2001 at 3 0 0\nped ann model 2002 at -3 4 0\n"
           "cast 254 like bob at 1 1 0\ncast 2 like ann at 2 2 0\ncast 0 like bob at 0 0 0\n"));
  EXPECT_EQ(Steps(plan),
            (std::vector<std::string>{"walk 3 0 0", "Model has been got", "walk 0 0 0",
                                      "Char create", "ID changed to 254", "walk 1 1 0",
                                      "Char create", "walk -3 4 0", "Model has been got",
                                      "ID changed to 0", "ID changed to 1", "ID changed to 2",
                                      "walk 2 2 0", "Char create", "Screen mode", "Play started"}))
      << "slot 254 is one step below slot 0";
  EXPECT_EQ(plan.lowerBound, 2 + 3 + 1 + 1);
  EXPECT_EQ(plan.keys, 11);
}

TEST(Planner, GetsIntoTheCarForCarCuesAndOutBeforeWalking) {
  const plan::Plan plan = plan::MakePlan(
      Read("player weapon 7\nped bob model 2001 at 0 0 0\ncar taxi model 90 at 12 6 0\n"
           "cast 0 like bob at 0 0 0\ncast 2 like bob at 0 0 0\ncast 3 like bob at 0 0 0\n"
           "screen 0\n  0 ride taxi seat 3\n  1 drive taxi\n  2 go 5 5 0\n  3 gun 9\n"));
  EXPECT_EQ(Steps(plan), (std::vector<std::string>{"Model has been got",
                                                   "Char create",
                                                   "ID changed to 1",
                                                   "ID changed to 2",
                                                   "Char create",
                                                   "ID changed to 3",
                                                   "Char create",
                                                   "Screen mode",
                                                   "weapon 9",
                                                   "Ped 3 will been SWAP TO THIS GUN at screen 0",
                                                   "ID changed to 2",
                                                   "walk 5 5 0",
                                                   "Ped 2 will been GO TO THIS POS at screen 0",
                                                   "ID changed to 1",
                                                   "enter taxi",
                                                   "Ped 1 will been SEAT AS DRIVER at screen 0",
                                                   "ID changed to 0",
                                                   "Ped 0 will been SEAT AS PASSENGER at screen 0",
                                                   "SeatID changed to 3",
                                                   "leave",
                                                   "Play started"}))
      << "the slots are visited down from where the casting ends; seat 3 is one Page Down";
}

TEST(Planner, FightsAtAnotherTargetWaitForItsSelectionInModeTwo) {
  const plan::ShotList shots = Read(
      "ped bob model 2001 at 0 0 0\ncast 0 like bob at 0 0 0\ncast 1 like bob at 0 0 0\n"
      "cast 2 like bob at 0 0 0\nscreen 0 lasts 1\n  0 fight slot 1\n  1 fight slot 0\n  2 "
      "look at player\n");
  const plan::Plan plan = plan::MakePlan(shots);
  EXPECT_EQ(Steps(plan), (std::vector<std::string>{"Model has been got",
                                                   "Char create",
                                                   "ID changed to 1",
                                                   "Char create",
                                                   "ID changed to 2",
                                                   "Char create",
                                                   "Screen mode",
                                                   "Screen do time changed to 1",
                                                   "ID changed to 1",
                                                   "Ped 1 will been COMBAT 0 at screen 0",
                                                   "Screen mode 2",
                                                   "ID changed to 2",
                                                   "Selected ped changed to -1",
                                                   "Ped 2 will been LOOK TO PED -1 at screen 0",
                                                   "Selected ped changed to 0",
                                                   "Selected ped changed to 1",
                                                   "Screen mode off",
                                                   "Screen mode",
                                                   "ID changed to 1",
                                                   "ID changed to 0",
                                                   "Ped 0 will been COMBAT 1 at screen 0",
                                                   "Play started"}));
  // Screen by screen, the next slot is the one nearest in slot and target keys together.
  EXPECT_EQ(plan::MakePlan(shots, plan::Fights::byScreen).keys, 23);
}

TEST(Planner, ScenarioPressesOneKeyAHostTickAndRunsPastTheShow) {
  const plan::ShotList shots = Read(
      "ped bob model 2001 at 0 0 0\ncast 0 like bob at 0 0 0\nscreen 0 lasts 1\n  0 phone\n"
      "screen 1 lasts 2\n  0 hang up\n");
  const plan::Plan plan = plan::MakePlan(shots);
  EXPECT_EQ(plan.playedScreens, 2);
  const std::string text = plan::PlanScenarioText(shots, plan);
  EXPECT_NE(text.find("at 0.100 press backslash  # Model has been got\n"
                      "at 0.200 press num1  # Char create\n"),
            std::string::npos)
      << text;
  // Play at 1 s; two screens, each one slot's 0.1 s wait and a tick to spare besides its 1 s or
  // 2 s; then 2 s more.
  EXPECT_NE(text.find("at 1.000 press backslash  # Play started\nrun 6.402\n"), std::string::npos)
      << text;
}

}  // namespace
