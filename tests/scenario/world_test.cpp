// The simulated world as a director meets it: peds walk, drive, take seats, die in explosions and
// disappear when deleted; scenario events change the world; missing natives show in the trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "rehearse.h"

namespace {

// The state line of one ped or car, by name ("" when it is not in the world).
std::string StateOf(const zt::Rehearsal& r, const std::string& name) {
  std::istringstream in(r.out.state);
  const std::string tag = "{\"name\":\"" + name + "\"";
  for (std::string line; std::getline(in, line);) {
    const std::size_t at = line.find(tag);
    if (at != std::string::npos) return line.substr(at);
  }
  return "";
}

std::string Unquote(const std::string& text) {
  return text.size() >= 2 && text.front() == '"' ? text.substr(1, text.size() - 2) : text;
}

// A position field "[x,y,z]" as numbers.
std::vector<double> Position(const std::string& line) {
  std::string text = zt::Field(line, "pos");
  std::vector<double> xyz;
  for (char& c : text) {
    if (c == '[' || c == ']' || c == ',') c = ' ';
  }
  std::istringstream in(text);
  for (double v; in >> v;) xyz.push_back(v);
  return xyz;
}

// The world events of one kind, as "ped/car" names.
std::vector<std::string> WorldEvents(const zt::Rehearsal& r, const std::string& what) {
  std::vector<std::string> found;
  for (const std::string& line : r.Events("world")) {
    if (zt::Field(line, "what") != "\"" + what + "\"") continue;
    const std::string ped = Unquote(zt::Field(line, "ped"));
    const std::string car = Unquote(zt::Field(line, "car"));
    found.push_back(ped.empty() ? car : car.empty() ? ped : ped + "/" + car);
  }
  return found;
}

std::int64_t TimeOfWorld(const zt::Rehearsal& r, const std::string& what, const std::string& who) {
  const int at = r.Find({"\"ev\":\"world\"", "\"what\":\"" + what + "\"", "\"" + who + "\""});
  return at < 0 ? -1 : static_cast<std::int64_t>(zt::TimeOf(r.lines[at]));
}

bool Shown(const zt::Rehearsal& r, const std::string& text) {
  for (const std::string& s : r.Screens()) {
    if (s == text) return true;
  }
  return false;
}

using Names = std::vector<std::string>;

// Captures bob's model and creates cast1 where the player stands, at 1 s.
const char kCast[] =
    "ped bob model 2001 at 12 20 5\n"
    "at 0.5 press backslash\n"
    "at 1.0 press num1\n";

// At 30 ticks a second a tick is 33 or 34 ms.
constexpr std::int64_t kTick = 34;

TEST(World, AWalkingPedArrivesAtWalkingPace) {
  // 14 units at 1.4 units a second: 10 seconds from the order at 3 s.
  const zt::Rehearsal r = zt::Rehearse(std::string("player at 10 20 5\n") + kCast +
                                       "at 1.5 player at 24 20 5\n"
                                       "at 2.0 press num2\n"
                                       "at 2.5 player at 10 30 5\n"
                                       "at 3.0 press num3\n"
                                       "run 20\n");
  ASSERT_TRUE(Shown(r, "Ped goto saved pos"));
  const std::int64_t arrived = TimeOfWorld(r, "arrived", "cast1");
  EXPECT_GE(arrived, 13000 - kTick) << "arrived too soon";
  EXPECT_LE(arrived, 13000 + 2 * kTick) << "arrived too late";
  EXPECT_EQ(Position(StateOf(r, "cast1")), (std::vector<double>{24, 20, 5}));
  EXPECT_EQ(Unquote(zt::Field(StateOf(r, "cast1"), "task")), "idle");
}

TEST(World, AWalkingPedGivesUpAfterItsTimeout) {
  // 100 units away: 45 s at 1.4 units a second covers 63 of them.
  const zt::Rehearsal r = zt::Rehearse(std::string("player at 10 20 5\n") + kCast +
                                       "at 1.5 player at 110 20 5\n"
                                       "at 2.0 press num2\n"
                                       "at 2.5 player at 10 30 5\n"
                                       "at 3.0 press num3\n"
                                       "run 60\n");
  EXPECT_EQ(TimeOfWorld(r, "arrived", "cast1"), -1);
  const std::int64_t gaveUp = TimeOfWorld(r, "gave-up", "cast1");
  EXPECT_GE(gaveUp, 48000) << "gave up before its 45 s";
  EXPECT_LE(gaveUp, 48000 + kTick) << "walked on past its 45 s";
  const std::vector<double> pos = Position(StateOf(r, "cast1"));
  ASSERT_EQ(pos.size(), 3u);
  EXPECT_NEAR(pos[0], 10 + 1.4 * 45, 0.2) << "distance walked before giving up";
  EXPECT_EQ(pos[1], 20);
}

TEST(World, AnExplosionKillsThePedsInItsRadiusAndWrecksTheCarsInIt) {
  // Screen 0 holds one fire explosion at the player's spot; playing it sets it off, radius 5.
  const zt::Rehearsal r = zt::Rehearse(
      "player at 0 0 0\n"
      "ped bob model 2001 at 1 0 0\n"
      "ped near model 2001 at 4.9 0 0\n"
      "ped edge model 2001 at 0 5 0\n"
      "ped far model 2001 at 5.1 0 0\n"
      "ped high model 2001 at 3 0 4.5\n"
      "car van model 90 at 3 0 0\n"
      "car bus model 91 at 0 -6 0\n"
      "at 0.5 press backslash\n"
      "at 1.0 press num1\n"
      "at 1.5 press scroll\n"
      "at 2.0 press scroll\n"
      "at 2.5 press num7\n"
      "at 3.0 press backslash\n"
      "run 5\n");
  ASSERT_EQ(r.Calls("ADD_EXPLOSION").size(), 1u);
  Names died = WorldEvents(r, "died");
  std::sort(died.begin(), died.end());
  EXPECT_EQ(died, (Names{"bob", "cast1", "edge", "near"}));
  EXPECT_EQ(WorldEvents(r, "wrecked"), Names{"van"});
  for (const char* alive : {"far", "high", "player"}) {
    EXPECT_EQ(zt::Field(StateOf(r, alive), "health"), "100") << alive;
  }
  EXPECT_EQ(zt::Field(StateOf(r, "near"), "health"), "0");
  EXPECT_EQ(Unquote(zt::Field(StateOf(r, "near"), "task")), "dead");
  EXPECT_EQ(zt::Field(StateOf(r, "van"), "wrecked"), "true");
  EXPECT_EQ(zt::Field(StateOf(r, "bus"), "wrecked"), "false");
}

TEST(World, ADeletedPedNoLongerExists) {
  const zt::Rehearsal r = zt::Rehearse(std::string("player at 10 20 5\n") + kCast +
                                       "at 1.5 press num.\n"
                                       "at 2.0 press num5\n"
                                       "run 3\n");
  ASSERT_TRUE(Shown(r, "Char deleted"));
  EXPECT_EQ(WorldEvents(r, "deleted"), Names{"cast1"});
  EXPECT_EQ(StateOf(r, "cast1"), "") << "still in the world";
  const std::vector<std::string> del = r.Calls("DELETE_CHAR");
  ASSERT_EQ(del.size(), 1u);
  EXPECT_EQ(zt::Field(del[0], "out"), "[0]") << "the handle is written back as 0";
  EXPECT_FALSE(Shown(r, "Ped handsup")) << "a deleted ped takes no orders";
}

TEST(World, ARemovedPedNoLongerExistsForItsOldHandle) {
  const zt::Rehearsal r = zt::Rehearse(std::string("player at 10 20 5\n") + kCast +
                                       "at 1.5 remove cast1\n"
                                       "at 2.0 press num5\n"
                                       "run 3\n");
  const std::vector<std::string> created = r.Calls("CREATE_CHAR");
  ASSERT_EQ(created.size(), 1u);
  const std::string handle = zt::Field(created[0], "out");  // "[h]"
  const int asked = r.Find(
      {"\"name\":\"DOES_CHAR_EXIST\"", "\"args\":[" + handle.substr(1, handle.size() - 2) + "]"},
      r.Find({"\"what\":\"deleted\""}));
  ASSERT_GE(asked, 0) << "DOES_CHAR_EXIST was not asked about the removed ped";
  EXPECT_EQ(zt::Field(r.lines[asked], "result"), "false");
  EXPECT_FALSE(Shown(r, "Ped handsup"));
  EXPECT_EQ(StateOf(r, "cast1"), "");
}

// cast1 drives the van, cast2 sits in passenger seat 0, and cast3 finds the driver's seat taken.
const char kSeats[] =
    "player at 0 0 0\n"
    "ped bob model 2001 at 1 0 0\n"
    "car van model 90 at 6 0 0\n"
    "at 0.5 press backslash\n"
    "at 1.0 press num1\n"
    "at 1.5 player enter van\n"
    "at 2.0 press num7\n"
    "at 2.5 player leave\n"
    "at 3.0 press num9\n"
    "at 4.0 press num+\n"
    "at 4.5 press num1\n"
    "at 5.0 press num6\n"
    "at 6.5 press num+\n"
    "at 7.0 press num1\n"
    "at 7.5 press num9\n";

TEST(World, EnteringACarTakesTheSeatAskedFor) {
  const zt::Rehearsal r = zt::Rehearse(std::string(kSeats) + "run 12\n");
  EXPECT_EQ(WorldEvents(r, "seated"), (Names{"player/van", "cast1/van", "cast2/van"}));
  const int passenger = r.Find({"\"what\":\"seated\"", "cast2", "passenger 0"});
  EXPECT_GE(passenger, 0) << "cast2 is not in passenger seat 0";
  EXPECT_GE(r.Find({"\"what\":\"seated\"", "cast1", "driver"}), 0);
  EXPECT_EQ(WorldEvents(r, "seat-taken"), Names{"cast3/van"});
  const std::string van = StateOf(r, "van");
  EXPECT_EQ(Unquote(zt::Field(van, "driver")), "cast1");
  EXPECT_EQ(zt::Field(van, "passengers"), R"(["cast2","","",""])");
  EXPECT_EQ(zt::Field(StateOf(r, "cast2"), "seat"), "0");
  EXPECT_EQ(zt::Field(StateOf(r, "cast1"), "seat"), "-1");
  EXPECT_EQ(Unquote(zt::Field(StateOf(r, "cast3"), "car")), "") << "cast3 stays on foot";
}

TEST(World, APassengerAskedToDriveAnOccupiedCarIsRefused) {
  // cast2, already a passenger, is told to take the driver's seat that cast1 holds.
  const zt::Rehearsal r = zt::Rehearse(std::string(kSeats) +
                                       "at 9.0 press num-\n"
                                       "at 9.5 press num9\n"
                                       "run 11\n");
  const std::vector<std::string> taken = WorldEvents(r, "seat-taken");
  EXPECT_EQ(std::count(taken.begin(), taken.end(), "cast2/van"), 1) << "no refusal for cast2";
  EXPECT_EQ(Unquote(zt::Field(StateOf(r, "van"), "driver")), "cast1");
  EXPECT_EQ(zt::Field(StateOf(r, "cast2"), "seat"), "0");

  // Once cast1 has got out, the same order moves cast2 across to the wheel.
  const zt::Rehearsal moved = zt::Rehearse(std::string(kSeats) +
                                           "at 9.0 press num-\n"
                                           "at 9.5 press num-\n"
                                           "at 10.0 press num0\n"
                                           "at 10.5 press num+\n"
                                           "at 11.0 press num9\n"
                                           "run 13\n");
  EXPECT_GE(moved.Find({"\"what\":\"seated\"", "cast2", "driver"}), 0);
  EXPECT_EQ(Unquote(zt::Field(StateOf(moved, "van"), "driver")), "cast2");
  EXPECT_EQ(zt::Field(StateOf(moved, "van"), "passengers"), R"(["","","",""])");
}

TEST(World, ThePassengerSeatOfACueIsTheSeatTaken) {
  // Recorded in mode 1 with seat 2 (Page Up twice), played back: TASK_ENTER_CAR_AS_PASSENGER
  // gets -1 then 2, and the ped ends up in seat 2.
  const zt::Rehearsal r = zt::Rehearse(std::string("player at 0 0 0\n") +
                                       "ped bob model 2001 at 1 0 0\n"
                                       "car van model 90 at 6 0 0\n"
                                       "at 0.5 press backslash\n"
                                       "at 1.0 press num1\n"
                                       "at 1.5 press scroll\n"
                                       "at 2.0 press pgup\n"
                                       "at 2.5 press pgup\n"
                                       "at 3.0 player enter van\n"
                                       "at 3.5 press num6\n"
                                       "at 4.0 player leave\n"
                                       "at 4.5 press backslash\n"
                                       "run 12\n");
  const std::vector<std::string> calls = r.Calls("TASK_ENTER_CAR_AS_PASSENGER");
  ASSERT_EQ(calls.size(), 1u);
  const std::string args = zt::Field(calls[0], "args");
  EXPECT_NE(args.find(",-1,2]"), std::string::npos) << args;
  EXPECT_GE(r.Find({"\"what\":\"seated\"", "cast1", "passenger 2"}), 0);
  EXPECT_EQ(zt::Field(StateOf(r, "van"), "passengers"), R"(["","","cast1",""])");
}

TEST(World, DrivingCarriesTheCarAndEveryoneInIt) {
  // cast1 drives the van 54 units at 60 units a second; cast2 rides along.
  const std::string drive = std::string(kSeats) +
                            "at 9.0 press num-\n"
                            "at 9.5 press num-\n"
                            "at 10.0 player at 60 0 0\n"
                            "at 10.5 press num2\n"
                            "at 11.0 player at 0 10 0\n"
                            "at 11.5 press num3\n";
  const zt::Rehearsal r = zt::Rehearse(drive + "run 16\n");
  ASSERT_EQ(r.Calls("TASK_CAR_MISSION_COORS_TARGET").size(), 1u);
  const std::int64_t arrived = TimeOfWorld(r, "arrived", "van");
  EXPECT_GE(arrived, 11500 + 900 - kTick);
  EXPECT_LE(arrived, 11500 + 900 + 2 * kTick);
  for (const char* name : {"van", "cast1", "cast2"}) {
    EXPECT_EQ(Position(StateOf(r, name)), (std::vector<double>{60, 0, 0})) << name;
  }

  // Without its driver the van stops halfway.
  const zt::Rehearsal removed = zt::Rehearse(drive + "at 12.0 remove cast1\nrun 16\n");
  EXPECT_EQ(TimeOfWorld(removed, "arrived", "van"), -1) << "the van drove on without a driver";
  EXPECT_LT(Position(StateOf(removed, "van")).at(0), 60);
}

TEST(World, LeavingACarPutsThePedBesideIt) {
  const zt::Rehearsal r = zt::Rehearse(std::string(kSeats) +
                                       "at 9.0 press num-\n"
                                       "at 9.5 press num-\n"
                                       "at 10.0 press num0\n"
                                       "run 11\n");
  EXPECT_GE(r.Find({"\"what\":\"left-car\"", "cast1", "van"}), 0);
  const std::string cast1 = StateOf(r, "cast1");
  EXPECT_EQ(Unquote(zt::Field(cast1, "car")), "");
  const std::vector<double> pos = Position(cast1);
  ASSERT_EQ(pos.size(), 3u);
  const double d = std::hypot(pos[0] - 6, pos[1] - 0);
  EXPECT_GT(d, 0.5) << "not beside the car but in it";
  EXPECT_LT(d, 4.0) << "too far from the car";
  EXPECT_EQ(Unquote(zt::Field(StateOf(r, "van"), "driver")), "");
}

TEST(World, BlowingUpACarKillsTheOnesInIt) {
  // Mode 2, keypad 3 records the player's car for slot 0; cast1 then drives it; the show blows
  // it up.
  const zt::Rehearsal r = zt::Rehearse(
      "player at 0 0 0\n"
      "ped bob model 2001 at 1 0 0\n"
      "car van model 90 at 6 0 0\n"
      "at 0.5 press backslash\n"
      "at 1.0 press num1\n"
      "at 1.5 player enter van\n"
      "at 2.0 press num7\n"
      "at 2.5 press scroll\n"
      "at 3.0 press scroll\n"
      "at 3.5 press num3\n"
      "at 4.0 player leave\n"
      "at 4.5 player at 0 30 0\n"
      "at 5.0 press scroll\n"
      "at 5.5 press num9\n"
      "at 10.0 press scroll\n"
      "at 10.5 press scroll\n"
      "at 11.0 press backslash\n"
      "run 13\n");
  ASSERT_GE(r.Find({"\"what\":\"seated\"", "cast1", "driver"}), 0);
  ASSERT_EQ(r.Calls("EXPLODE_CAR").size(), 1u);
  EXPECT_EQ(WorldEvents(r, "wrecked"), Names{"van"});
  EXPECT_EQ(WorldEvents(r, "died"), Names{"cast1"});
  EXPECT_EQ(zt::Field(StateOf(r, "bob"), "health"), "100") << "bob stood away from the van";
  EXPECT_EQ(zt::Field(StateOf(r, "player"), "health"), "100");
}

TEST(World, ScenarioEventsKillRemoveAndWreck) {
  const zt::Rehearsal r = zt::Rehearse(std::string(kSeats) +
                                       "ped sam model 2002 at 50 50 0\n"
                                       "at 9.0 kill sam\n"
                                       "at 9.5 remove cast2\n"
                                       "at 10.0 wreck van\n"
                                       "run 11\n");
  EXPECT_EQ(zt::Field(StateOf(r, "sam"), "health"), "0");
  EXPECT_EQ(StateOf(r, "cast2"), "");
  EXPECT_EQ(zt::Field(StateOf(r, "van"), "passengers"), R"(["","","",""])")
      << "a removed ped frees its seat";
  EXPECT_EQ(zt::Field(StateOf(r, "van"), "wrecked"), "true");
  EXPECT_EQ(zt::Field(StateOf(r, "cast1"), "health"), "0") << "the driver of a wrecked car";
  EXPECT_EQ(zt::Field(StateOf(r, "cast3"), "health"), "100") << "cast3 was never in the van";
  EXPECT_TRUE(r.Events("warning").empty());
}

TEST(World, AMissingNativeShowsInTheTraceAndTheCommandFails) {
  const zt::Rehearsal r = zt::Rehearse(std::string("missing DOES_CHAR_EXIST\n") +
                                       "player at 10 20 5\n" + kCast + "run 2\n");
  EXPECT_GE(r.Find({R"("ev":"native","name":"DOES_CHAR_EXIST","missing":true)"}), 0);
  EXPECT_FALSE(Shown(r, "Model has been got")) << "a missing DOES_CHAR_EXIST read as true";
  EXPECT_TRUE(r.Calls("GET_CHAR_MODEL").empty());

  const zt::Rehearsal s = zt::Rehearse(std::string("missing IS_THIS_MODEL_A_PED\n") +
                                       "player at 10 20 5\n" + kCast + "run 2\n");
  EXPECT_EQ(s.Find({R"({"t":1000,"ev":"native","name":"IS_THIS_MODEL_A_PED","missing":true})"}),
            s.Find({"IS_THIS_MODEL_A_PED"}))
      << "the whole trace line of a missing native";
  EXPECT_FALSE(Shown(s, "Char create"));
  EXPECT_TRUE(WorldEvents(s, "created").empty());
}

TEST(World, RunsAreDeterministicAndHandlesAreNeverReused) {
  const std::string film = std::string("player at 10 20 5\n") + kCast +
                           "at 1.5 press num.\n"
                           "at 2.0 press num1\n"
                           "run 3\n";
  const zt::Rehearsal a = zt::Rehearse(film);
  const zt::Rehearsal b = zt::Rehearse(film);
  EXPECT_EQ(a.out.trace, b.out.trace);
  EXPECT_EQ(a.out.state, b.out.state);
  const std::vector<std::string> created = a.Calls("CREATE_CHAR");
  ASSERT_EQ(created.size(), 2u);
  EXPECT_NE(zt::Field(created[0], "out"), zt::Field(created[1], "out"))
      << "a deleted ped's handle came back";
  EXPECT_NE(StateOf(a, "cast2"), "");
}

}  // namespace
