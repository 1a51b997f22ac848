// Autosave: the take runner writes down every key the plug-in takes with what the key read of
// the player, and the file, performed from a fresh world, records the same film. For the example
// films and for seeded random hand-directed scenarios; and what happens when the file cannot be
// written, the runner goes mid-film, a take runs meanwhile, or two sessions start in the same
// second. A full disk is in full_disk_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "plan/planner.h"
#include "plan/shots.h"
#include "plan/verify.h"
#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "rehearsal/take_scenario.h"
#include "rehearse.h"
#include "round_trip.h"

namespace {

namespace fs = std::filesystem;

fs::path ExamplesFolder() {
  return fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

using zt::kHandFilm;
using zt::Parsed;
using zt::Performed;
using zt::ReadText;
using zt::RunnerSaid;
using zt::WithAutosave;

TEST(Autosave, EveryExampleFilmComesBackFromItsAutosave) {
  int films = 0;
  for (const auto& entry : fs::directory_iterator(ExamplesFolder())) {
    if (entry.path().extension() != ".film") continue;
    ++films;
    SCOPED_TRACE(entry.path().filename().string());
    sim::Scenario scenario;
    ASSERT_EQ(sim::ParseScenario(entry.path().string(), ReadText(entry.path().string()), scenario),
              "");
    const zt::RoundTrip trip = zt::AutosaveRoundTrip(scenario, true);
    ASSERT_FALSE(trip.take.empty()) << "nothing was autosaved";
    EXPECT_EQ(trip.take.rfind("zenthar-take 2\n", 0), 0u);
    EXPECT_EQ(trip.replayed.film, trip.made.film) << trip.take;
    const std::vector<std::string> said = RunnerSaid(trip.replayed.out.trace);
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back().rfind("Take done: ", 0), 0u) << said.back();
  }
  EXPECT_GE(films, 4);
}

// A film made only by hand, through its autosave, becomes a shot list whose set holds the take's
// cars and a ped of each captured model; the planner plans it and the plan records it.
TEST(Autosave, AnAutosavedFilmIsAShotListThePlannerPlans) {
  for (const char* name : {"demo", "car-chase"}) {
    SCOPED_TRACE(name);
    const fs::path film = ExamplesFolder() / (std::string(name) + ".film");
    const sim::Scenario made = Parsed(ReadText(film.string()));
    const zt::RoundTrip trip = zt::AutosaveRoundTrip(made, false);
    sim::Scenario byItself;
    ASSERT_EQ(sim::TakeScenario("autosaved.take", trip.take, byItself), "");
    // Each car stands where the film's own stood when first used: these films drive none before.
    // The demo uses no car; the chase both of its own.
    const sim::Scenario set = sim::TakeSet(byItself);
    EXPECT_EQ(set.cars.size(), std::string(name) == "car-chase" ? 2u : 0u);
    for (const sim::Actor& car : set.cars) {
      const auto same = std::find_if(made.cars.begin(), made.cars.end(),
                                     [&](const sim::Actor& c) { return c.model == car.model; });
      ASSERT_NE(same, made.cars.end()) << "model " << car.model;
      EXPECT_EQ(car.pos.x, same->pos.x) << car.name;
      EXPECT_EQ(car.pos.y, same->pos.y) << car.name;
      EXPECT_EQ(car.pos.z, same->pos.z) << car.name;
    }
    std::vector<std::string> skipped;
    const plan::ShotList shots = plan::FilmToShots(set, trip.replayed.out.film, skipped);
    EXPECT_EQ(skipped, std::vector<std::string>{});
    const plan::Plan plan = plan::MakePlan(shots);
    const plan::Verification v =
        plan::Verify(shots, plan, plan::PlanScenarioText(shots, plan), sim::RunOptions{});
    EXPECT_TRUE(v.ran);
    EXPECT_EQ(v.differences, std::vector<std::string>{}) << plan::FormatShotList(shots, "");
  }
}

TEST(Autosave, RandomHandDirectedScenariosComeBack) {
  const char* replay = std::getenv("ZENTHAR_SEED");
  const std::uint64_t seed =
      replay != nullptr ? std::strtoull(replay, nullptr, 10) : std::random_device{}();
  const char* count = std::getenv("ZENTHAR_SCENARIOS");
  const int scenarios = count != nullptr ? std::atoi(count) : 300;
  std::printf("autosave round trips: %d from seed %llu (replay with ZENTHAR_SEED=%llu)\n",
              scenarios, static_cast<unsigned long long>(seed),
              static_cast<unsigned long long>(seed));
  int captures = 0, cars = 0, weapons = 0, quiet = 0, moves = 0, parks = 0, wrecks = 0;
  for (int i = 0; i < scenarios; ++i) {
    const std::uint64_t one = seed + static_cast<std::uint64_t>(i);
    const std::string text = zt::RandomHandScenario(one);
    SCOPED_TRACE("scenario seed " + std::to_string(one) + " (ZENTHAR_SEED=" + std::to_string(one) +
                 " ZENTHAR_SCENARIOS=1 replays it):\n" + text);
    const zt::RoundTrip trip = zt::AutosaveRoundTrip(Parsed(text), true, false);
    if (trip.take.empty()) continue;
    ASSERT_EQ(trip.replayed.film, trip.made.film) << "the take:\n" << trip.take;
    captures += trip.take.find("\ncapture ") != std::string::npos;
    cars += trip.take.find("\nenter ") != std::string::npos;
    weapons += trip.take.find("\nweapon ") != std::string::npos;
    moves += trip.take.find("\nmove ") != std::string::npos;
    parks += trip.take.find("\npark ") != std::string::npos;
    wrecks += trip.made.film.find(", wrecked") != std::string::npos;
    std::istringstream lines(trip.take);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("press ", 0) == 0 && line.find('"') == std::string::npos) {
        ++quiet;
        break;
      }
    }
  }
  std::printf(
      "takes with captures %d, cars entered %d, weapons %d, quiet keys %d, moves %d, parks %d, "
      "films with a wrecked car %d\n",
      captures, cars, weapons, quiet, moves, parks, wrecks);
  if (scenarios >= 100) {
    EXPECT_GT(captures, scenarios / 2);
    EXPECT_GT(cars, scenarios / 5);
    EXPECT_GT(weapons, scenarios / 20);
    EXPECT_GT(quiet, scenarios / 5);
    EXPECT_GT(moves, scenarios / 2);
  }
}

TEST(Autosave, TheFileIsNamedByTheLocalTimeAndTheRunnerSaysWhereOnce) {
  const fs::path top = zt::TempPath("autosave-name");
  const fs::path folder = top / "films" / "new";
  const zt::Rehearsal r = zt::Rehearse(WithAutosave(kHandFilm, folder.string()));
  const std::vector<fs::path> files = FilesIn(folder);
  ASSERT_EQ(files.size(), 1u) << "the folder and its parent were made";
  EXPECT_EQ(files[0].filename(), "2026-01-01_00-00-00.take");
  EXPECT_EQ(RunnerSaid(r.out.trace),
            std::vector<std::string>{"Autosave: " + files[0].generic_string()});
  const int said = r.Find({"\"by\":\"Take\""});
  ASSERT_GE(said, 0);
  EXPECT_EQ(zt::TimeOf(r.lines[static_cast<std::size_t>(said)]), 500u)
      << "the file came with the first key";
  const std::string take = ReadText(files[0].string());
  EXPECT_NE(take.find("\n# start 10 20 0\n\ncapture 2001\npress num1"), std::string::npos)
      << "the take starts where the first key was pressed, so no move comes first:\n"
      << take;
  EXPECT_NE(take.find("\ncar car1 model 90 at 5 2 0\nenter car1\npress num9 \"Ped 1 will been "
                      "SEAT AS DRIVER at screen 0\"\nleave at 20 20.25 0\npress num3"),
            std::string::npos)
      << "staged where first used, places relative to the first key, out of the car before a "
         "move takes it along:\n"
      << take;
  fs::remove_all(top);
}

// Into the taxi and back to the first spot in it: the take cannot know where the taxi puts the
// player, so the place is written although it is the one written last.
TEST(Autosave, APlaceReadInACarIsWrittenEvenWhereThePlayerWasBefore) {
  const zt::RoundTrip trip = zt::AutosaveRoundTrip(
      Parsed("player at 10 20 0\ncar taxi model 90 at 15 22 0\nat 0.5 press num2\n"
             "at 1.0 press scroll\nat 1.5 player enter taxi\nat 2.0 press num9\n"
             "at 2.5 player at 10 20 0\nat 3.0 press scroll\nat 3.5 press num1\nrun 6\n"),
      false);
  EXPECT_NE(trip.take.find("\nenter car1\npress num9 \"Ped 0 will been SEAT AS DRIVER at screen "
                           "0\"\npress scroll \"Screen mode 2\"\nmove 0 0 0\npress num1"),
            std::string::npos)
      << trip.take;
  EXPECT_EQ(trip.replayed.film, trip.made.film);
}

// The player drives the taxi off after the key that read it, leaves it and plays the show from a
// van no key read: before the play key the take stages the van where it stands, puts the player
// in it, and parks the taxi where the player left it. The show plays in the film's own world.
TEST(Autosave, BeforeAPlayKeyItWritesWhereThePlayerAndEveryCarStand) {
  const zt::RoundTrip trip = zt::AutosaveRoundTrip(
      Parsed("player at 10 20 0\nped bob model 2001 at 11 20 0\ncar taxi model 90 at 15 22 0\n"
             "car van model 91 at 30 20 0\nat 0.5 press backslash\nat 1.0 press num1\n"
             "at 1.5 press scroll\nat 2.0 player enter taxi\nat 2.5 press num6\n"
             "at 3.0 press plus\nat 3.5 player at 40 40 0\nat 4.0 player leave\n"
             "at 4.5 player enter van\nat 5.0 player at 33.5 20.25 0\n"
             "at 5.2 press scroll\nat 5.3 press scroll\nat 5.4 player leave\n"
             "at 5.5 player at 11.5 20 0\nat 5.6 press backslash\nat 5.8 press scroll\n"
             "at 6.0 player enter van\nat 6.2 press backslash\nrun 12\n"),
      true);
  EXPECT_NE(trip.take.find("\npress plus \"Screen do time changed to 1\"\n"
                           "press scroll \"Screen mode 2\"\npress scroll \"Screen mode off\"\n"
                           "leave at 1.5 0 0\ncapture 2001\npress scroll \"Screen mode\"\n"
                           "car car2 model 91 at 23.5 0.25 0\n"
                           "enter car2\nmove 23.5 0.25 0\npark car1 at 30 20 0\n"
                           "press backslash \"Play started\"\n"),
            std::string::npos)
      << "the capture wrote no world of a show, the play key did:\n"
      << trip.take;
  EXPECT_EQ(trip.replayed.film, trip.made.film);
  const std::string& state = trip.replayed.out.state;
  const std::size_t taxi = state.find("{\"name\":\"car1\"");
  ASSERT_NE(taxi, std::string::npos) << state;
  EXPECT_NE(state.substr(taxi, state.find('\n', taxi) - taxi).find("\"pos\":[40,40,0]"),
            std::string::npos)
      << "the taxi stood where the player had left it:\n"
      << state;
}

// The set of a take rehearsed by itself: a capture ped stands beside the player, who may sit in a
// car that was driven or parked since it was staged.
TEST(Autosave, ATakesSetFollowsTheCarsItDrivesAndParks) {
  sim::Scenario byItself;
  ASSERT_EQ(sim::TakeScenario("set.take",
                              "zenthar-take 2\ncar taxi model 90 at 5 0 0\nenter taxi\n"
                              "move 10 0 0\nleave at 12 0 0\nenter taxi\ncapture 2001\n"
                              "park taxi at 30 0 0\ncapture 2002\n",
                              byItself),
            "");
  const sim::Scenario set = sim::TakeSet(byItself);
  ASSERT_EQ(set.peds.size(), 2u);
  EXPECT_EQ(set.peds[0].pos.x, 11.0f) << "the taxi was driven to 10";
  EXPECT_EQ(set.peds[1].pos.x, 31.0f) << "and then parked at 30";
  ASSERT_EQ(set.cars.size(), 1u);
  EXPECT_EQ(set.cars[0].pos.x, 5.0f) << "the set's car stands where it was staged";
}

TEST(Autosave, TwoSessionsInTheSameSecondGiveTwoFilesThatBothPerform) {
  const fs::path folder = zt::TempPath("autosave-twice");
  zt::Rehearse(WithAutosave(kHandFilm, folder.string()));
  zt::Rehearse(WithAutosave("player at 1 1 1\nat 0.5 press num+\n", folder.string()));
  const std::vector<fs::path> files = FilesIn(folder);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].filename(), "2026-01-01_00-00-00.take");
  EXPECT_EQ(files[1].filename(), "2026-01-01_00-00-00_2.take") << "never over the first";
  EXPECT_EQ(Performed(ReadText(files[0].string())).film,
            zt::Film(Parsed(std::string(kHandFilm) + "run 12\n"), false).film);
  const zt::Filmed second = Performed(ReadText(files[1].string()));
  EXPECT_EQ(RunnerSaid(second.out.trace).back(), "Take done: 1 keys");
  fs::remove_all(folder);
}

TEST(Autosave, OffInTakeIniItWritesNothing) {
  const fs::path folder = zt::TempPath("autosave-off");
  const zt::Rehearsal r =
      zt::Rehearse(WithAutosave(kHandFilm, folder.string(), "take.ini \"Autosave=0\"\n"));
  EXPECT_FALSE(fs::exists(folder)) << "not even the folder";
  EXPECT_TRUE(RunnerSaid(r.out.trace).empty());
  EXPECT_EQ(r.Screens().size(), 9u) << "the plug-in answered every key";
}

// Where the folder should be there is a file: nothing can be written there, by anyone.
TEST(Autosave, AFolderThatCannotBeWrittenGetsOneMessageAndTheGameGoesOn) {
  const fs::path blocker = zt::TempPath("autosave-blocked");
  std::ofstream(blocker) << "not a folder\n";
  const zt::Rehearsal r = zt::Rehearse(WithAutosave(kHandFilm, (blocker / "takes").string()));
  EXPECT_EQ(
      RunnerSaid(r.out.trace),
      std::vector<std::string>{"Autosave: cannot write " + (blocker / "takes").generic_string() +
                               "/2026-01-01_00-00-00.take; autosave is off"});
  EXPECT_EQ(r.Screens().size(), 10u) << "the plug-in's nine messages and the runner's one";
  EXPECT_EQ(r.out.film.shows.size(), 1u) << "the show played";
  fs::remove(blocker);
}

// The runner goes at 4.2 s, after the key in the taxi: the file holds every key up to then, and
// performs the film as it stood.
TEST(Autosave, TheRunnerUnloadedMidFilmLeavesAFileOfEveryKeyUpToThen) {
  const fs::path folder = zt::TempPath("autosave-unloaded");
  std::string hand = kHandFilm;
  const std::size_t after = hand.find("at 4.5");
  zt::Rehearse(WithAutosave(hand.substr(0, after) + "at 4.2 unload take\n" + hand.substr(after),
                            folder.string()));
  const std::vector<fs::path> files = FilesIn(folder);
  ASSERT_EQ(files.size(), 1u);
  const std::string upToThen = hand.substr(0, hand.find("at 4.5")) + "run 4.2\n";
  EXPECT_EQ(Performed(ReadText(files[0].string())).film, zt::Film(Parsed(upToThen), false).film);
  EXPECT_EQ(ReadText(files[0].string()).back(), '\n');
  fs::remove_all(folder);
}

// A take performed while autosave is on: the autosave holds the take's keys, and performs too.
TEST(Autosave, ATakeRunningMeanwhileIsAutosavedAsWell) {
  const fs::path folder = zt::TempPath("autosave-take");
  const fs::path take = zt::TempPath("autosave-take.take");
  std::ofstream(take, std::ios::binary) << "zenthar-take 1\ncar taxi model 90 at 5 2 0\n"
                                           "move 3 0 0\ncapture 2001\nmove 0 0 0\n"
                                           "press num1 \"Char create\"\nenter taxi\n"
                                           "press scroll \"Screen mode\"\n"
                                           "press num9 \"Ped 0 will been SEAT AS DRIVER at "
                                           "screen 0\"\n";
  const std::string scenario = "player at 10 20 0\nmodel 2001 ped\nmodel 90 car\ntake " +
                               sim::QuoteWord(take.string()) + "\nat 0.1 press f9\n";
  const zt::Rehearsal r =
      zt::Rehearse(WithAutosave(scenario, folder.string(), "at 2 press num+\n"));
  const std::vector<fs::path> files = FilesIn(folder);
  ASSERT_EQ(files.size(), 1u);
  const std::string saved = ReadText(files[0].string());
  EXPECT_NE(saved.find("capture 2001\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\npress num9 \"Ped 0 will been SEAT AS DRIVER at screen 0\"\n"
                       "press num+ \"ID changed to 1\"\n"),
            std::string::npos)
      << "the take's keys, then the player's own:\n"
      << saved;
  EXPECT_EQ(Performed(saved).film,
            zt::Film(Parsed(scenario + "at 2 press num+\nrun 12\n"), false).film);
  fs::remove(take);
  fs::remove_all(folder);
}

}  // namespace
