// The take runner in a game that does not do as it is told: the plug-in reads the take's places,
// car, weapon and capture whatever the game answers, while the runner puts the player, the cars
// and the capture ped as near as the game allows; it stops, and presses nothing more, where the
// game will not have them there; a stall of the game loses no key; a show plays to its end in
// the world it was made in before the take goes on.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "plan/planner.h"
#include "plan/shots.h"
#include "plan/take.h"
#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "rehearse.h"
#include "round_trip.h"
#include "views/check.h"

namespace {

namespace fs = std::filesystem;

// A world that meddles: `meddle` sees every world event as it happens and may change the world.
class Meddler : public sim::RunHooks, public sim::Subscriber {
 public:
  using Meddle = std::function<void(world::World& w, const world::Event& event)>;
  explicit Meddler(Meddle meddle) : meddle_(std::move(meddle)) {}
  void Started(world::World& w) override { world_ = &w; }
  void OnEvent(const sim::RunEvent& e) override {
    if (e.kind == sim::RunEvent::Kind::world && world_ != nullptr) meddle_(*world_, *e.worldEvent);
  }

 private:
  Meddle meddle_;
  world::World* world_ = nullptr;
};

// A rehearsal of `take` beside the plug-in: the player alone at the origin, F9 at 0.1 s, `more`
// statements, and the world meddled with when `meddler` is given.
zt::Rehearsal Take(const std::string& take, const std::string& more = "",
                   Meddler* meddler = nullptr, int seconds = 20) {
  const fs::path path = zt::TempPath("honest-runner.take");
  std::ofstream(path, std::ios::binary) << take;
  sim::Scenario scenario = zt::Parsed("model 2001 ped\nmodel 2002 ped\nmodel 90 car\ntake " +
                                      sim::QuoteWord(path.string()) + "\nat 0.1 press f9\n" + more +
                                      "run " + std::to_string(seconds) + "\n");
  sim::RunOptions options;
  options.review = sim::CheckFilm;
  if (meddler != nullptr) options.extra.push_back(meddler);
  zt::Rehearsal r;
  r.out = sim::RunScenario(scenario, options, meddler);
  EXPECT_TRUE(r.out.ok) << r.out.error;
  // Windows refuses to delete a file that is still open: the runner has let go of the take.
  EXPECT_TRUE(fs::remove(path)) << "the take file is still open";
  std::istringstream in(r.out.trace);
  for (std::string line; std::getline(in, line);) r.lines.push_back(line);
  return r;
}

// The screen messages of the plug-in (runner false) or of the runner, in order, unquoted.
std::vector<std::string> Said(const zt::Rehearsal& r, bool runner) {
  std::vector<std::string> said;
  for (const std::string& line : r.Events("screen")) {
    if ((line.find("\"by\":\"Take\"") != std::string::npos) != runner) continue;
    const std::string text = zt::Field(line, "text");
    said.push_back(text.substr(1, text.size() - 2));
  }
  return said;
}

// The plug-in's own calls of a native: its arguments and out-values as the trace writes them.
std::vector<std::string> PlugInCalls(const zt::Rehearsal& r, const std::string& native) {
  std::vector<std::string> calls;
  for (const std::string& line : r.Calls(native)) {
    if (line.find("\"by\":") == std::string::npos) {
      calls.push_back(zt::Field(line, "args") + " -> " + zt::Field(line, "out"));
    }
  }
  return calls;
}

bool Near(const world::Vec3& a, float x, float y, float z, float within) {
  return std::fabs(a.x - x) <= within && std::fabs(a.y - y) <= within &&
         std::fabs(a.z - z) <= within;
}

// The game sets the player down off the take's spot; the plug-in records the take's spot.
TEST(HonestRunner, TheFilmHoldsTheTakesPlacesWhereverTheGameSetsThePlayerDown) {
  const zt::Rehearsal r = Take(
      "zenthar-take 1\ncapture 2001\npress num1 \"Char create\"\nmove 10.5 -3.25 0.75\n"
      "press scroll \"Screen mode\"\npress num3 \"Ped 0 will been GO TO THIS POS at screen 0\"\n"
      "press backslash \"Play started\"\n",
      "rough 7\n");
  EXPECT_EQ(Said(r, true).back(), "Take done: 5 keys");
  const sim::Film& film = r.out.film.film;
  const world::Vec3 cue = film.cue(0, 0).pos;
  EXPECT_TRUE(cue.x == 10.5f && cue.y == -3.25f && cue.z == 0.75f)
      << cue.x << " " << cue.y << " " << cue.z;
  EXPECT_EQ(r.out.film.problems, std::vector<std::string>{});
  EXPECT_NE(r.Find({"\"name\":\"TASK_GO_STRAIGHT_TO_COORD\"",
                    "[" + std::to_string(film.pedHandle[0]) + ",10.5,-3.25,0.75,2,45000]"}),
            -1)
      << "the show sends the ped to the take's very spot";
  const std::vector<std::string> reads = PlugInCalls(r, "GET_CHAR_COORDINATES");
  ASSERT_EQ(reads.size(), 3u) << "the capture, the ped's creation and the cue";
  EXPECT_EQ(reads[2].find("10.5,-3.25,0.75"), std::string::npos)
      << "the game put the player elsewhere: " << reads[2];
}

// Once the take is done the game answers the plug-in's reads again: a cue by hand afterwards is
// recorded where the player stands, not where the take last put it.
TEST(HonestRunner, AfterTheTakeThePlugInReadsTheGameAgain) {
  const zt::Rehearsal r = Take(
      "zenthar-take 1\ncapture 2001\npress num1 \"Char create\"\nmove 10 0 0\n"
      "press scroll \"Screen mode\"\n",
      "at 2 player at 7 7 0\nat 2.5 press num3\n");
  EXPECT_EQ(Said(r, true).back(), "Take done: 3 keys");
  const world::Vec3 cue = r.out.film.film.cue(0, 0).pos;
  EXPECT_TRUE(cue.x == 7.0f && cue.y == 7.0f && cue.z == 0.0f)
      << cue.x << " " << cue.y << " " << cue.z;
  EXPECT_EQ(r.out.film.problems, std::vector<std::string>{});
}

// A ped of another model stands nearer than the capture ped (slot 0's, where the player stood):
// the game would give the plug-in that one, the take gives it the capture ped and its model.
TEST(HonestRunner, ACaptureTakesTheTakesModelWhoeverStandsNearer) {
  const zt::Rehearsal r = Take(
      "zenthar-take 1\ncapture 2001\npress num1 \"Char create\"\ncapture 2002\n"
      "press num+ \"ID changed to 1\"\npress num1 \"Char create\"\n");
  EXPECT_EQ(Said(r, true).back(), "Take done: 5 keys");
  EXPECT_EQ(r.out.film.film.pedModel[1], 2002);
  const std::vector<std::string> closest = PlugInCalls(r, "GET_CLOSEST_CHAR");
  ASSERT_EQ(closest.size(), 2u);
  EXPECT_NE(closest[1].find("-> [" + std::to_string(r.out.film.film.pedHandle[0]) + "]"),
            std::string::npos)
      << "the game's answer was slot 0's ped: " << closest[1];
}

// A wall between the start and the spot: the game sets the player down 7 units short.
TEST(HonestRunner, APlaceTheGameNeverLetsYouReachStopsTheTakeAndNothingIsPressedAfter) {
  Meddler wall([](world::World& w, const world::Event& e) {
    if (e.what == "moved" && e.ped == "player" && Near(e.pos, 50, 0, 0, 1)) {
      w.player().pos = {43, 0, 0};
    }
  });
  const zt::Rehearsal r = Take(
      "zenthar-take 1\npress num+ \"ID changed to 1\"\nmove 50 0 0\n"
      "press num2 \"My pos saved\"\npress num+ \"ID changed to 2\"\n",
      "", &wall);
  EXPECT_EQ(Said(r, true).back(),
            "Take stopped at step 2: the game put you 7.00 units from the take's place, 2 at most");
  EXPECT_EQ(Said(r, false), std::vector<std::string>{"ID changed to 1"}) << "nothing after";
  const int moved = r.Find({"\"what\":\"moved\"", "\"ped\":\"player\""});
  const int stopped = r.Find({"Take stopped"});
  ASSERT_NE(moved, -1);
  EXPECT_GE(zt::TimeOf(r.lines[static_cast<std::size_t>(stopped)]) -
                zt::TimeOf(r.lines[static_cast<std::size_t>(moved)]),
            900u)
      << "the game was given thirty passes to get there";
}

// The game takes the player out of the taxi and puts it right back in.
TEST(HonestRunner, ALeaveTheGameRefusesStopsTheTake) {
  Meddler door([](world::World& w, const world::Event& e) {
    if (e.what == "left-car" && e.ped == "player")
      w.WarpIntoCar(w.player(), *w.FindCarByName(e.car));
  });
  const zt::Rehearsal r = Take(
      "zenthar-take 1\ncar taxi model 90 at 5 0 0\nenter taxi\nleave at 3 0 0\n"
      "press num+ \"ID changed to 1\"\n",
      "", &door);
  EXPECT_EQ(Said(r, true).back(),
            "Take stopped at step 3: the game did not let you out of the car");
  EXPECT_TRUE(Said(r, false).empty());
}

// The taxi is a wreck as soon as it is staged, and the game seats nobody in a wreck.
TEST(HonestRunner, ACarThatCannotBeEnteredStopsTheTake) {
  Meddler wrecker([](world::World& w, const world::Event& e) {
    if (e.what == "created" && e.car == "taxi") w.Wreck(*w.FindCarByName("taxi"), "test");
  });
  const zt::Rehearsal r =
      Take("zenthar-take 1\ncar taxi model 90 at 5 0 0\nenter taxi\npress num7 \"My car saved\"\n",
           "", &wrecker);
  EXPECT_EQ(Said(r, true).back(), "Take stopped at step 2: the game did not let you into car taxi");
  EXPECT_TRUE(Said(r, false).empty());
}

// Something pushes the capture ped off as soon as it stands, or takes it away: no capture.
TEST(HonestRunner, ACapturePedThatIsPushedAwayOrGoneStopsTheTake) {
  const char* take = "zenthar-take 1\ncapture 2001\npress num1 \"Char create\"\n";
  Meddler push([](world::World& w, const world::Event& e) {
    if (e.what == "created" && e.ped == "extra1") w.FindPedByName("extra1")->pos.y += 30;
  });
  const zt::Rehearsal pushed = Take(take, "", &push);
  EXPECT_EQ(Said(pushed, true).back(),
            "Take stopped at step 1: the game put the capture ped 30.00 units from the take's "
            "place, 2 at most");
  EXPECT_TRUE(Said(pushed, false).empty()) << "the capture key was not pressed";
  EXPECT_NE(pushed.Find({"\"what\":\"deleted\"", "\"ped\":\"extra1\""}), -1) << "the ped goes";

  Meddler remove([](world::World& w, const world::Event& e) {
    if (e.what == "created" && e.ped == "extra1") w.RemovePed(w.FindPedByName("extra1")->handle);
  });
  const zt::Rehearsal gone = Take(take, "", &remove);
  EXPECT_EQ(Said(gone, true).back(), "Take stopped at step 1: the capture ped is not there");
  EXPECT_TRUE(Said(gone, false).empty());
}

// The game stalls half a minute just after the take asks for its models, before the world has
// loaded any: one long pass is no model that never loads.
TEST(HonestRunner, AStallWhileAModelLoadsIsNoModelThatNeverLoads) {
  const zt::Rehearsal r =
      Take("zenthar-take 1\ncapture 2001\npress num1 \"Char create\"\n", "at 0.12 stall 30\n");
  EXPECT_EQ(Said(r, true).back(), "Take done: 2 keys");
  ASSERT_EQ(r.Events("stall").size(), 1u);
  EXPECT_EQ(zt::Field(r.Events("stall")[0], "ms"), "30000");
}

// The planned take of the car chase, with three stalls of half a minute on the way, one while a
// car door opens: every key comes, and the film is the calm take's.
TEST(HonestRunner, StallsOfHalfAMinuteMidTakeLoseNoKeyAndTheFilmIsTheSame) {
  const fs::path shots =
      fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples" / "car-chase.shots";
  plan::ShotList list;
  ASSERT_EQ(plan::LoadShotList(shots.string(), list), "");
  const plan::Plan plan = plan::MakePlan(list);
  const std::string take = plan::TakeText(list, plan, "car-chase.shots");
  const std::string set = "player weapon 0\nmodel 91 car\n";
  const zt::Rehearsal calm = Take(take, set, nullptr, 40);
  const zt::Rehearsal stalled =
      Take(take, set + "at 0.5 stall 30\nat 0.9 stall 30\nat 1.6 stall 30\n", nullptr, 40);
  const std::string done = "Take done: " + std::to_string(plan.keys) + " keys";
  EXPECT_EQ(Said(calm, true).back(), done);
  EXPECT_EQ(Said(stalled, true).back(), done);
  EXPECT_EQ(stalled.Events("stall").size(), 3u);
  EXPECT_EQ(plan::CompareFilm(list, stalled.out.film), std::vector<std::string>{});
  EXPECT_EQ(Said(stalled, false), Said(calm, false)) << "the same messages in the same order";
}

// A show of two screens plays to its end, its last screen's step, before the take moves the
// player on; a show of one screen ends in the pass that starts it, and the take goes on at once.
TEST(HonestRunner, AShowPlaysToItsEndBeforeTheTakeGoesOn) {
  const zt::Rehearsal two = Take(
      "zenthar-take 2\npress scroll \"Screen mode\"\npress plus \"Screen do time changed to 1\"\n"
      "press num* \"Screen changed to 1\"\npress plus \"Screen do time changed to 1\"\n"
      "press backslash \"Play started\"\nmove 5 0 0\npress num/ \"Screen changed to 0\"\n");
  EXPECT_EQ(Said(two, true).back(), "Take done: 6 keys");
  const int off = two.Find({"\"ev\":\"log\"", "--- Show off ---"});
  const int moved = two.Find({"\"name\":\"SET_CHAR_COORDINATES\""});
  ASSERT_NE(off, -1);
  EXPECT_GT(moved, off) << "moved after the show";
  const int started = two.Find({"\"text\":\"Play started\""});
  EXPECT_GE(zt::TimeOf(two.lines[static_cast<std::size_t>(moved)]) -
                zt::TimeOf(two.lines[static_cast<std::size_t>(started)]),
            1000u)
      << "screen 0 lasted its second";

  const zt::Rehearsal one = Take(
      "zenthar-take 2\npress scroll \"Screen mode\"\npress backslash \"Play started\"\n"
      "move 5 0 0\npress num+ \"ID changed to 1\"\n");
  EXPECT_EQ(Said(one, true).back(), "Take done: 3 keys");
  const int played = one.Find({"\"text\":\"Play started\""});
  const int next = one.Find({"\"name\":\"SET_CHAR_COORDINATES\""});
  ASSERT_NE(next, -1);
  EXPECT_LE(zt::TimeOf(one.lines[static_cast<std::size_t>(next)]) -
                zt::TimeOf(one.lines[static_cast<std::size_t>(played)]),
            100u);
}

// A park sets a staged car down, and the player in it along: the plug-in then reads the player
// there.
TEST(HonestRunner, AParkSetsACarDownWithThePlayerInIt) {
  const zt::Rehearsal r = Take(
      "zenthar-take 2\ncapture 2001\npress num1 \"Char create\"\ncar taxi model 90 at 5 0 0\n"
      "park taxi at 20 0 0\nenter taxi\npark taxi at 30 1.5 0\npress scroll \"Screen mode\"\n"
      "press num3 \"Ped 0 will been GO TO THIS POS at screen 0\"\n",
      "rough 3\n");
  EXPECT_EQ(Said(r, true).back(), "Take done: 4 keys");
  const world::Vec3 cue = r.out.film.film.cue(0, 0).pos;
  EXPECT_TRUE(cue.x == 30.0f && cue.y == 1.5f && cue.z == 0.0f)
      << cue.x << " " << cue.y << " " << cue.z;
  EXPECT_NE(r.out.state.find("\"name\":\"taxi\",\"handle\":"), std::string::npos);
  EXPECT_NE(r.out.state.find("\"pos\":[30,1.5,0],\"driver\":\"player\""), std::string::npos)
      << "set down exactly, rough world or not, with the player at the wheel:\n"
      << r.out.state;
}

}  // namespace
