// Recording cues and explosions in screen modes 1 and 2: the message of every key, what the
// key reads from the game when it records, and (by playing the film) what it stored.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rehearse.h"
#include "trail.h"

namespace {

using Lines = std::vector<std::string>;
using zt::Script;
using zt::Trail;

// Player 1, bob 100, van 101; the plug-in's peds follow: cast1 102 in slot 0, cast2 103 in
// slot 1, both standing by the player at 10 20 5.
Script Cast() {
  Script s(
      "player at 10 20 5\n"
      "player weapon 7\n"
      "ped bob model 2001 at 12 20 5\n"
      "car van model 90 at 30 40 5\n");
  s("press backslash")("press num1")("press num+")("press num1")("press num-");
  return s;
}

// What a recording key read from the game (after the key chain's existence test for the keys
// that need a ped), without the player-ped lookups and the message.
Lines ReadAt(const zt::Rehearsal& r, std::uint64_t t) {
  return Trail(r, t, t + 1);
}

// Every key of mode 1 on its own screen for slot 0, then the film played from the same mode.
TEST(Recording, EveryKeyOfModeOne) {
  Script s = Cast();
  s("press scroll")("player weapon 9")("player enter van");
  s("press num1")("press plus");
  s("press num*")("press num2")("press plus");
  s("press num*")("player at 40 50 5")("press num3");
  const std::uint64_t goTo = s.At();
  s("press plus");
  s("press num*")("press num5")("press plus");
  s("press num*")("press num7")("press plus");
  s("press num*")("press num8");  // target 0: slot 0's own ped
  const std::uint64_t combat = s.At();
  s("press plus");
  s("press num*")("press num9");
  const std::uint64_t driver = s.At();
  s("press plus");
  s("press num*")("press num6");
  const std::uint64_t passenger = s.At();
  s("press pgup")("press pgup")("press plus");
  s("press num*")("press num4");
  const std::uint64_t weapon = s.At();
  s("press plus");
  s("press num*")("press num0")("press plus");
  s("press num*")("press num.")("press plus");
  s("player leave")("player at 0 0 0")("press backslash");
  const std::uint64_t play = s.At();
  const zt::Rehearsal r = zt::Rehearse(s.Run(15000));

  const Lines shown = r.Screens();
  Lines recorded;
  for (const std::string& text : shown) {
    if (text.rfind("Ped ", 0) == 0 || text.rfind("Seat", 0) == 0) recorded.push_back(text);
  }
  EXPECT_EQ(
      recorded,
      (Lines{"Ped 0 will been USE PHOME at screen 0", "Ped 0 will been NOT USE PHOME at screen 1",
             "Ped 0 will been GO TO THIS POS at screen 2", "Ped 0 will been HANDS UP at screen 3",
             "Ped 0 will been SOUND HORN at screen 4", "Ped 0 will been COMBAT 0 at screen 5",
             "Ped 0 will been SEAT AS DRIVER at screen 6",
             "Ped 0 will been SEAT AS PASSENGER at screen 7", "SeatID changed to 1",
             "SeatID changed to 2", "Ped 0 will been SWAP TO THIS GUN at screen 8",
             "Ped 0 will been EXIT FROM CAR at screen 9", "Ped 0 will been DIE at screen 10"}));
  EXPECT_EQ(ReadAt(r, goTo),
            (Lines{"DOES_CHAR_EXIST [102]", "GET_CHAR_COORDINATES [1,\"&\",\"&\",\"&\"]"}));
  EXPECT_EQ(
      zt::Field(r.lines[r.Find({"GET_CHAR_COORDINATES", "\"t\":" + std::to_string(goTo)})], "out"),
      "[40,50,5]");
  EXPECT_EQ(ReadAt(r, combat), Lines{});
  EXPECT_EQ(ReadAt(r, driver), Lines{"GET_CAR_CHAR_IS_USING [1,\"&\"]"});
  EXPECT_EQ(ReadAt(r, passenger),
            (Lines{"DOES_CHAR_EXIST [102]", "GET_CAR_CHAR_IS_USING [1,\"&\"]"}));
  EXPECT_EQ(ReadAt(r, weapon),
            (Lines{"DOES_CHAR_EXIST [102]", "GET_CURRENT_CHAR_WEAPON [1,\"&\"]"}));
  EXPECT_EQ(zt::Field(r.Calls("GET_CURRENT_CHAR_WEAPON").at(0), "out"), "[9]");

  EXPECT_EQ(
      Trail(r, play),
      (Lines{// screen 0
             "DOES_CHAR_EXIST [102]", "TASK_USE_MOBILE_PHONE [102,true]", "DOES_CHAR_EXIST [103]",
             // screen 1
             "DOES_CHAR_EXIST [102]", "TASK_USE_MOBILE_PHONE [102,false]", "DOES_CHAR_EXIST [103]",
             // screen 2: on foot, to where the player stood
             "DOES_CHAR_EXIST [102]", "IS_CHAR_IN_ANY_CAR [102]",
             "TASK_GO_STRAIGHT_TO_COORD [102,40,50,5,2,45000]", "DOES_CHAR_EXIST [103]",
             // screen 3
             "DOES_CHAR_EXIST [102]", "TASK_HANDS_UP [102,1]", "DOES_CHAR_EXIST [103]",
             // screen 4: the horn needs a car, and the ped has none
             "DOES_CHAR_EXIST [102]", "IS_CHAR_IN_ANY_CAR [102]", "DOES_CHAR_EXIST [103]",
             // screen 5: the target is the handle slot 0 held at recording
             "DOES_CHAR_EXIST [102]", "DOES_CHAR_EXIST [102]", "TASK_COMBAT [102,102]",
             "DOES_CHAR_EXIST [103]",
             // screen 6: the car the player sat in at recording
             "DOES_CHAR_EXIST [102]", "DOES_VEHICLE_EXIST [101]",
             "TASK_ENTER_CAR_AS_DRIVER [102,101,-1]", "DOES_CHAR_EXIST [103]",
             // screen 7: the seat chosen after recording
             "DOES_CHAR_EXIST [102]", "DOES_VEHICLE_EXIST [101]",
             "TASK_ENTER_CAR_AS_PASSENGER [102,101,-1,2]", "DOES_CHAR_EXIST [103]",
             // screen 8: the weapon held at recording, not the one held now
             "DOES_CHAR_EXIST [102]", "TASK_SWAP_WEAPON [102,9]", "DOES_CHAR_EXIST [103]",
             // screen 9
             "DOES_CHAR_EXIST [102]", "TASK_LEAVE_ANY_CAR [102]", "DOES_CHAR_EXIST [103]",
             // screen 10
             "DOES_CHAR_EXIST [102]", "TASK_DIE [102]", "DOES_CHAR_EXIST [103]"}));
  EXPECT_EQ(r.Logs(), (Lines{"--- Start Play ---", "--- Show off ---"}));
}

// Every key of mode 2 on its own screen for slot 0, the explosions on the side, then the film.
TEST(Recording, EveryKeyOfModeTwo) {
  Script s = Cast();
  s("press scroll")("press scroll")("player enter van")("player at 40 50 5");
  s("press num1");  // screen 0: aim at (40, 50, 5)
  const std::uint64_t aim = s.At();
  s("press num*")("press plus")("press num2");  // screen 1: aim at slot 1's ped
  const std::uint64_t aimAtPed = s.At();
  s("press num*")("press num3");  // screen 2: blow up the van
  const std::uint64_t explode = s.At();
  s("press num*")("press num1")("player at 44 50 5")("press num5");  // screen 3: look there
  const std::uint64_t look = s.At();
  s("press num*")("press num.");                                // screen 4
  s("press num*")("press num6");                                // screen 5: look at the van
  s("press num*")("press minus")("press minus")("press num4");  // screen 6: look at player
  const std::uint64_t lookAtPlayer = s.At();
  s("press num*")("press num0");  // screen 7
  // Durations for screens 7 down to 0, in mode 1, and play from there.
  s("press scroll")("press scroll")("press plus");
  for (int screen = 6; screen >= 0; --screen) s("press num/")("press plus");
  s("player leave")("player at 0 0 0")("press backslash");
  const std::uint64_t play = s.At();
  const zt::Rehearsal r = zt::Rehearse(s.Run(12000));

  Lines recorded;
  for (const std::string& text : r.Screens()) {
    if (text.rfind("Ped ", 0) == 0 || text.rfind("Selected", 0) == 0) recorded.push_back(text);
  }
  EXPECT_EQ(
      recorded,
      (Lines{"Ped 0 will been AIM TO THIS POS at screen 0", "Selected ped changed to 1",
             "Ped 0 will been AIM TO PED 1 at screen 1",
             "Ped 0 will been EXPLODE THIS CAR at screen 2",
             "Ped 0 will been AIM TO THIS POS at screen 3",
             "Ped 0 will been LOOK TO THIS POS at screen 3", "Ped 0 will been FIRE at screen 4",
             "Ped 0 will been LOOK TO THIS CAR at screen 5", "Selected ped changed to 0",
             "Selected ped changed to -1", "Ped 0 will been LOOK TO PED -1 at screen 6",
             "Ped 0 will been FIRE FROM GUN at screen 7"}));
  EXPECT_EQ(ReadAt(r, aim), Lines{"GET_CHAR_COORDINATES [1,\"&\",\"&\",\"&\"]"});
  EXPECT_EQ(ReadAt(r, aimAtPed), Lines{});
  EXPECT_EQ(ReadAt(r, explode),
            (Lines{"DOES_CHAR_EXIST [102]", "GET_CAR_CHAR_IS_USING [1,\"&\"]"}));
  EXPECT_EQ(ReadAt(r, look),
            (Lines{"DOES_CHAR_EXIST [102]", "GET_CHAR_COORDINATES [1,\"&\",\"&\",\"&\"]"}));
  // The player as target: the player ped is looked up, and nothing else is read.
  EXPECT_EQ(Trail(r, lookAtPlayer, lookAtPlayer + 1, "GET_PLAYER_CHAR"),
            Lines{"GET_PLAYER_CHAR [0,\"&\"]"});
  EXPECT_EQ(ReadAt(r, lookAtPlayer), Lines{"DOES_CHAR_EXIST [102]"});

  EXPECT_EQ(
      Trail(r, play),
      (Lines{
          // screen 0
          "DOES_CHAR_EXIST [102]", "TASK_AIM_GUN_AT_COORD [102,40,50,5,1]", "DOES_CHAR_EXIST [103]",
          // screen 1: slot 1's ped at recording
          "DOES_CHAR_EXIST [102]", "DOES_CHAR_EXIST [103]", "TASK_AIM_GUN_AT_CHAR [102,103,1]",
          "DOES_CHAR_EXIST [103]",
          // screen 2
          "DOES_CHAR_EXIST [102]", "DOES_VEHICLE_EXIST [101]", "EXPLODE_CAR [101,true,false]",
          "DOES_CHAR_EXIST [103]",
          // screen 3: the later recording replaced the aim, with its own position
          "DOES_CHAR_EXIST [102]", "TASK_LOOK_AT_COORD [102,44,50,5,1,0]", "DOES_CHAR_EXIST [103]",
          // screen 4
          "DOES_CHAR_EXIST [102]", "START_CHAR_FIRE [102]", "DOES_CHAR_EXIST [103]",
          // screen 5: the van still exists, wrecked
          "DOES_CHAR_EXIST [102]", "DOES_VEHICLE_EXIST [101]", "TASK_LOOK_AT_VEHICLE [102,101,1,0]",
          "DOES_CHAR_EXIST [103]",
          // screen 6: the player
          "DOES_CHAR_EXIST [102]", "DOES_CHAR_EXIST [1]", "TASK_LOOK_AT_CHAR [102,1,1,0]",
          "DOES_CHAR_EXIST [103]",
          // screen 7
          "DOES_CHAR_EXIST [102]", "FIRE_PED_WEAPON [102,0,0,0]", "DOES_CHAR_EXIST [103]"}));
}

// Explosions need no ped, touch no cue and raise the id count that every screen scans; the
// same id recorded again on one screen keeps only the second kind and position.
TEST(Recording, ExplosionsOfAllThreeKinds) {
  Script s("player at 100 100 5\n");
  s("press scroll")("press scroll");
  s("press num7");  // fire #0 on screen 0
  s("press pgup")("press pgup")("press pgup")("player at 110 100 5")("press num8");  // rocket #3
  s("press num*")("press num9");           // grenade #3 on screen 1
  s("player at 120 100 5")("press num7");  // and again as fire, elsewhere
  s("press pgdn")("press pgdn")("press pgdn")("press pgdn")("press num9");  // grenade #31
  s("press scroll")("press scroll")("press plus")("press num/")("press plus");
  s("press backslash");
  const std::uint64_t play = s.At();
  const zt::Rehearsal r = zt::Rehearse(s.Run(3000));
  Lines recorded;
  for (const std::string& text : r.Screens()) {
    if (text.rfind("This", 0) == 0) recorded.push_back(text);
  }
  EXPECT_EQ(
      recorded,
      (Lines{"This been FIRE EXPLODE #0 at screen 0", "This been ROCKET EXPLODE #3 at screen 0",
             "This been GRENADE EXPLODE #3 at screen 1", "This been FIRE EXPLODE #3 at screen 1",
             "This been GRENADE EXPLODE #31 at screen 1"}));
  EXPECT_EQ(
      Trail(r, play, UINT64_MAX, "", true),
      (Lines{std::to_string(play) + " ADD_EXPLOSION [100,100,5,1,5,1,0,0]",
             std::to_string(play) + " ADD_EXPLOSION [110,100,5,4,5,1,0,0]",
             std::to_string(zt::PassAt(play + 1000)) + " ADD_EXPLOSION [120,100,5,1,5,1,0,0]",
             std::to_string(zt::PassAt(play + 1000)) + " ADD_EXPLOSION [120,100,5,0,5,1,0,0]"}));
}

}  // namespace
