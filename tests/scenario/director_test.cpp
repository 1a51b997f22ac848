// The director's keys in screen mode 0 and the key chain that serves every mode, driven through
// zenthar-sim and checked from the screen messages and native calls of the trace.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rehearse.h"
#include "trail.h"

namespace {

using Lines = std::vector<std::string>;
using zt::Shown;
using zt::Trail;

// Handles the simulated world hands out: the player is 1, the rest count up from 100 in the
// order of creation (bystanders and cars of the set-up first, then the peds the plug-in makes).
constexpr const char* kWorld =
    "player at 10 20 5\n"
    "player weapon 7\n"
    "ped bob model 2001 at 12 20 5\n"  // 100
    "car van model 90 at 30 40 5\n";   // 101

// A whole mode-0 session: capture, cast two peds, save spots and the car, and order one about.
TEST(DirectCommands, WholeSessionInModeZero) {
  const zt::Rehearsal r = zt::Rehearse(std::string(kWorld) +
                                       "at 0.5 press backslash\n"  // bob is 2 away: model 2001
                                       "at 1.0 press num1\n"       // cast1 (102) in slot 0
                                       "at 1.5 press num+\n"
                                       "at 2.0 press num+\n"
                                       "at 2.5 player at 28 40 5\n"
                                       "at 3.0 press num1\n"  // cast2 (103) in slot 2, by the van
                                       "at 3.5 player at 50 60 5\n"
                                       "at 4.0 press num2\n"  // slot 2's spot
                                       "at 4.5 press num3\n"  // walk there
                                       "at 5.0 press num5\n"  // hands up: stops it by the van
                                       "at 5.5 player enter van\n"
                                       "at 6.0 press num7\n"
                                       "at 6.5 player leave\n"
                                       "at 6.6 player at 60 60 5\n"
                                       "at 7.0 press num9\n"   // door, 1 s, then driver's seat
                                       "at 9.5 press num3\n"   // now it drives to the spot
                                       "at 10.0 press num0\n"  // and leaves the van
                                       "at 10.5 press num4\n"
                                       "at 11.0 press num8\n"
                                       "at 11.5 press num6\n"  // door, 1 s, then passenger seat
                                       "at 13.5 press num.\n"
                                       "run 15\n");
  EXPECT_EQ(Shown(r),
            (Lines{"500 Model has been got", "1000 Char create", "1500 ID changed to 1",
                   "2000 ID changed to 2", "3000 Char create", "4000 My pos saved",
                   "4500 Ped goto saved pos", "5000 Ped handsup", "6000 My car saved",
                   "8000 Char enter to saved car as driver", "9500 Ped goto saved pos",
                   "10000 Char leaved from car", "10500 Char got my weapon", "11000 Char combat me",
                   "12500 Char enter to saved car as passenger", "13500 Char deleted"}));
  EXPECT_EQ(
      Trail(r, 0, 3500, "", true),
      (Lines{"500 GET_CHAR_COORDINATES [1,\"&\",\"&\",\"&\"]",
             "500 GET_CLOSEST_CHAR [10,20,5,10,1,1,\"&\"]", "500 DOES_CHAR_EXIST [100]",
             "500 DOES_CHAR_EXIST [100]", "500 GET_CHAR_MODEL [100,\"&\"]",
             "1000 IS_THIS_MODEL_A_PED [2001]", "1000 GET_CHAR_COORDINATES [1,\"&\",\"&\",\"&\"]",
             "1000 CREATE_CHAR [4,2001,10,20,5,\"&\",true]", "3000 IS_THIS_MODEL_A_PED [2001]",
             "3000 GET_CHAR_COORDINATES [1,\"&\",\"&\",\"&\"]",
             "3000 CREATE_CHAR [4,2001,28,40,5,\"&\",true]"}));
  EXPECT_EQ(Trail(r, 3500, 15001, "", true),
            (Lines{"4000 GET_CHAR_COORDINATES [1,\"&\",\"&\",\"&\"]",
                   "4500 DOES_CHAR_EXIST [103]",
                   "4500 IS_CHAR_IN_ANY_CAR [103]",
                   "4500 TASK_GO_STRAIGHT_TO_COORD [103,50,60,5,2,45000]",
                   "5000 DOES_CHAR_EXIST [103]",
                   "5000 TASK_HANDS_UP [103,1]",
                   "6000 GET_CAR_CHAR_IS_USING [1,\"&\"]",
                   "6000 DOES_VEHICLE_EXIST [101]",
                   "7000 DOES_CHAR_EXIST [103]",
                   "7000 DOES_VEHICLE_EXIST [101]",
                   "7000 TASK_OPEN_DRIVER_DOOR [103,101,1]",
                   "8000 TASK_ENTER_CAR_AS_DRIVER [103,101,-1]",
                   "9500 DOES_CHAR_EXIST [103]",
                   "9500 IS_CHAR_IN_ANY_CAR [103]",
                   "9500 GET_CAR_CHAR_IS_USING [103,\"&\"]",
                   "9500 TASK_CAR_MISSION_COORS_TARGET [103,101,50,60,5,4,60,1,5,10]",
                   "10000 DOES_CHAR_EXIST [103]",
                   "10000 TASK_LEAVE_ANY_CAR [103]",
                   "10500 DOES_CHAR_EXIST [103]",
                   "10500 GET_CURRENT_CHAR_WEAPON [1,\"&\"]",
                   "10500 GIVE_WEAPON_TO_CHAR [103,7,900,false]",
                   "10500 TASK_SWAP_WEAPON [103,7]",
                   "11000 DOES_CHAR_EXIST [103]",
                   "11000 TASK_COMBAT [103,1]",
                   "11500 DOES_CHAR_EXIST [103]",
                   "11500 DOES_VEHICLE_EXIST [101]",
                   "11500 TASK_OPEN_PASSENGER_DOOR [103,101,0,1]",
                   "12500 TASK_ENTER_CAR_AS_PASSENGER [103,101,-1,0]",
                   "13500 DOES_CHAR_EXIST [103]",
                   "13500 DELETE_CHAR [\"&\"]"}));
  // The captured model, the saved car and the weapon come back through the out-values.
  EXPECT_EQ(zt::Field(r.Calls("GET_CHAR_MODEL").at(0), "out"), "[2001]");
  EXPECT_EQ(zt::Field(r.Calls("GET_CAR_CHAR_IS_USING").at(0), "out"), "[101]");
  EXPECT_EQ(zt::Field(r.Calls("DELETE_CHAR").at(0), "out"), "[0]");
  EXPECT_NE(r.Find({"\"seated\"", "cast2", "van", "driver"}), -1);
  // The closest search found bob, so the box search is never made; nothing goes to the log.
  EXPECT_EQ(r.Calls("GET_RANDOM_CHAR_IN_AREA_OFFSET_NO_SAVE").size(), 0u);
  EXPECT_EQ(r.Logs(), Lines{});
}

// No ped near enough for the closest search: the box of ±5 around the player is searched, and
// when that finds nobody either, the model captured before stays and nothing is shown.
TEST(DirectCommands, CaptureFallsBackToTheBoxSearchAndKeepsTheOldModel) {
  const zt::Rehearsal r = zt::Rehearse(
      "missing GET_CLOSEST_CHAR\n"
      "player at 10 20 5\n"
      "ped bob model 2001 at 14 16 9\n"  // inside the box, at its corner
      "ped ann model 2002 at 40 20 5\n"  // far from both
      "at 0.5 press backslash\n"
      "at 1.0 player at 40 26 5\n"  // ann is 6 north: outside the box
      "at 1.5 press backslash\n"    // nobody: no message, model stays 2001
      "at 2.0 press num1\n"
      "run 3\n");
  EXPECT_EQ(Trail(r, 0, 1000),
            (Lines{"GET_CHAR_COORDINATES [1,\"&\",\"&\",\"&\"]", "GET_CLOSEST_CHAR missing",
                   "DOES_CHAR_EXIST [0]",
                   "GET_RANDOM_CHAR_IN_AREA_OFFSET_NO_SAVE [5,15,0,15,25,10,\"&\"]",
                   "DOES_CHAR_EXIST [100]", "GET_CHAR_MODEL [100,\"&\"]"}));
  EXPECT_EQ(Trail(r, 1000, 2000),
            (Lines{"GET_CHAR_COORDINATES [1,\"&\",\"&\",\"&\"]", "GET_CLOSEST_CHAR missing",
                   "DOES_CHAR_EXIST [0]",
                   "GET_RANDOM_CHAR_IN_AREA_OFFSET_NO_SAVE [35,21,0,45,31,10,\"&\"]",
                   "DOES_CHAR_EXIST [0]"}));
  EXPECT_EQ(Shown(r), (Lines{"500 Model has been got", "2000 Char create"}));
  EXPECT_EQ(Trail(r, 2000, 3000, "CREATE_CHAR"), Lines{"CREATE_CHAR [4,2001,40,26,5,\"&\",true]"});
}

// Creating needs a captured ped model; creating twice on one slot keeps the second ped only,
// leaves the first alone, and the number of slots played grows only with the highest slot.
TEST(DirectCommands, CreateNeedsAModelAndTwiceOnASlotKeepsTheSecondPed) {
  const zt::Rehearsal r = zt::Rehearse(std::string(kWorld) +
                                       "at 0.5 press num1\n"  // no model yet: nothing at all
                                       "at 1.0 press backslash\n"
                                       "at 1.5 press num-\n"  // slot 254
                                       "at 2.5 press num1\n"  // cast1 (102) in 254
                                       "at 3.0 press num1\n"  // cast2 (103) in 254
                                       "at 3.5 press num5\n"  // acts on cast2
                                       "at 4.0 press num.\n"  // deletes cast2 only
                                       "at 4.5 press num5\n"  // empty slot: nothing
                                       "at 5.0 press num1\n"  // cast3 (104) in 254
                                       "at 5.5 press num5\n"
                                       "run 6\n");
  EXPECT_EQ(Trail(r, 500, 1000), Lines{"IS_THIS_MODEL_A_PED [0]"});
  EXPECT_EQ(
      Shown(r, 1500, 6000),
      (Lines{"1500 ID changed to 254", "2500 Char create", "3000 Char create", "3500 Ped handsup",
             "4000 Char deleted", "5000 Char create", "5500 Ped handsup"}));
  EXPECT_EQ(Trail(r, 0, UINT64_MAX, "TASK_HANDS_UP"),
            (Lines{"TASK_HANDS_UP [103,1]", "TASK_HANDS_UP [104,1]"}));
  EXPECT_EQ(r.Calls("DELETE_CHAR").size(), 1u);
  EXPECT_EQ(r.Find({"\"deleted\"", "cast1"}), -1);
  EXPECT_NE(r.Find({"\"deleted\"", "cast2"}), -1);
  EXPECT_EQ(Trail(r, 4500, 5000), Lines{"DOES_CHAR_EXIST [0]"});
}

// Saving the car on foot forgets the saved car, so both car-entering commands do nothing; the
// passenger key on an empty slot passes over, the driver key consumes the press silently.
TEST(DirectCommands, SaveCarOnFootForgetsTheSavedCar) {
  const zt::Rehearsal r = zt::Rehearse(std::string(kWorld) +
                                       "at 0.5 press backslash\n"
                                       "at 1.0 player enter van\n"
                                       "at 1.5 press num1\n"  // cast1 (102)
                                       "at 2.0 press num7\n"  // van saved
                                       "at 2.5 player leave\n"
                                       "at 3.0 press num7\n"  // on foot: forgotten, no message
                                       "at 3.5 press num9\n"
                                       "at 4.0 press num6\n"
                                       "at 4.5 press num+\n"  // slot 1, empty
                                       "at 5.0 press num9 num*\n"
                                       "at 5.5 press num6 num/\n"
                                       "run 7\n");
  EXPECT_EQ(Shown(r, 1500, 7000),
            (Lines{"1500 Char create", "2000 My car saved", "4500 ID changed to 1",
                   "5033 Screen changed to 1", "5500 Screen changed to 0"}));
  EXPECT_EQ(Trail(r, 3000, 4500, "", true),
            (Lines{"3000 GET_CAR_CHAR_IS_USING [1,\"&\"]", "3000 DOES_VEHICLE_EXIST [0]",
                   "3500 DOES_CHAR_EXIST [102]", "3500 DOES_VEHICLE_EXIST [0]",
                   "4000 DOES_CHAR_EXIST [102]", "4000 DOES_VEHICLE_EXIST [0]"}));
  // Keypad 9 is acted on in the pass of 5.0 s (keypad * waits a pass); keypad 6 is passed
  // over on the empty slot, so keypad / acts in the same pass.
  EXPECT_EQ(Trail(r, 5000, 6000, "", true),
            (Lines{"5000 DOES_CHAR_EXIST [0]", "5500 DOES_CHAR_EXIST [0]"}));
}

// Every wait the plug-in asks of the host, in milliseconds, as the host records it.
class Waits : public sim::Subscriber {
 public:
  void OnEvent(const sim::RunEvent& e) override {
    if (e.kind == sim::RunEvent::Kind::wait) ms.push_back(e.code);
  }
  std::vector<int> ms;
};

// Both car-entering commands open the door and give it one whole second before the ped gets in;
// a show waits a tenth of a second after each slot.
TEST(DirectCommands, CarDoorsGetASecondAndShowSlotsATenth) {
  Waits waits;
  sim::RunOptions options;
  options.extra.push_back(&waits);
  zt::Rehearse(std::string(kWorld) +
                   "at 0.5 press backslash\n"
                   "at 1.0 press num1 num+\n"
                   "at 1.5 press num1 num-\n"  // cast1, cast2 in slots 0 and 1
                   "at 2.0 player enter van\n"
                   "at 2.5 press num7\n"
                   "at 3.0 player leave\n"
                   "at 3.5 press num9\n"
                   "at 5.0 press num6\n"
                   "at 7.0 press scroll\n"
                   "at 7.5 press backslash\n"  // screen 0: a tenth after each of two slots
                   "run 9\n",
               options);
  EXPECT_EQ(waits.ms, (std::vector<int>{1000, 1000, 100, 100}));
}

// Keys pressed between two passes act one a pass, in chain order; a key that is polled but
// fails a condition loses its press, so it does not come back in the next pass.
TEST(KeyChain, KeysPressedTogetherActOneAPassInChainOrder) {
  const zt::Rehearsal r = zt::Rehearse(
      "at 0.5 press num+ num1\n"              // no model: keypad 1 takes its pass silently
      "at 1.0 press plus num* num+ scroll\n"  // mode 0: plus takes a pass silently
      "at 2.0 press num3 num/\n"              // no ped: keypad 3 is passed over, / acts at once
      "at 2.5 press num3\n"                   // its press was lost, not kept
      "run 3\n");
  EXPECT_EQ(Shown(r),
            (Lines{"533 ID changed to 1", "1000 ID changed to 2", "1033 Screen changed to 1",
                   "1100 Screen mode", "2000 Screen changed to 0"}));
  EXPECT_EQ(Trail(r, 500, 533), Lines{"IS_THIS_MODEL_A_PED [0]"});
  EXPECT_EQ(Trail(r, 533, 2000), Lines{});
  EXPECT_EQ(Trail(r, 2000, 3000, "", true),
            (Lines{"2000 DOES_CHAR_EXIST [0]", "2500 DOES_CHAR_EXIST [0]"}));
}

// Every selection wraps at both ends, in every mode; the mode-dependent keys do nothing in mode
// 0 but still end the pass.
TEST(KeyChain, SelectionsWrapAtBothEnds) {
  const zt::Rehearsal r = zt::Rehearse(
      "at 0.5 press num-\n"
      "at 0.6 press num+\n"
      "at 0.7 press num/\n"
      "at 0.8 press num*\n"
      "at 0.9 press num+\n"
      "at 1.0 press pgup pgdn minus plus scroll\n"  // mode 0: four silent passes, then mode 1
      "at 2.5 press pgdn\n"                         // seat of cue (0, 1): 0 -> 3
      "at 2.6 press pgup\n"                         // 3 -> 0
      "at 2.7 press pgup\n"                         // 0 -> 1
      "at 2.8 press num*\n"                         // another cue: its own seat, still 0
      "at 2.9 press pgup\n"
      "at 3.0 press minus\n"  // never-edited screen 1: 1 second
      "at 3.1 press minus\n"
      "at 3.2 press plus\n"
      "at 3.3 press num/\n"
      "at 3.4 press plus\n"  // screen 0 too starts from 0
      "at 3.5 press num/\n"  // screen 255
      "at 3.6 press pgdn\n"  // seat of cue (255, 1), fresh: 3
      "at 4.0 press scroll\n"
      "at 4.5 press pgdn\n"  // explosion 0 -> 31
      "at 4.6 press pgup\n"
      "at 4.7 press pgup\n"
      "at 4.8 press minus\n"  // target 0 -> -1 (the player)
      "at 4.9 press minus\n"  // -> 254
      "at 5.0 press plus\n"   // -> -1
      "at 5.1 press plus\n"   // -> 0
      "at 5.2 press num8\n"   // a rocket under id 1 on screen 255
      "at 5.3 press num2\n"   // aim at slot 0's (absent) ped
      "at 5.4 press minus\n"
      "at 5.5 press num2\n"
      "at 6.0 press scroll\n"
      "run 7\n");
  EXPECT_EQ(Shown(r), (Lines{"500 ID changed to 254",
                             "600 ID changed to 0",
                             "700 Screen changed to 255",
                             "800 Screen changed to 0",
                             "900 ID changed to 1",
                             "1133 Screen mode",
                             "2500 SeatID changed to 3",
                             "2600 SeatID changed to 0",
                             "2700 SeatID changed to 1",
                             "2800 Screen changed to 1",
                             "2900 SeatID changed to 1",
                             "3000 Screen do time changed to 1",
                             "3100 Screen do time changed to 1",
                             "3200 Screen do time changed to 2",
                             "3300 Screen changed to 0",
                             "3400 Screen do time changed to 1",
                             "3500 Screen changed to 255",
                             "3600 SeatID changed to 3",
                             "4000 Screen mode 2",
                             "4500 ExpID changed to 31",
                             "4600 ExpID changed to 0",
                             "4700 ExpID changed to 1",
                             "4800 Selected ped changed to -1",
                             "4900 Selected ped changed to 254",
                             "5000 Selected ped changed to -1",
                             "5100 Selected ped changed to 0",
                             "5200 This been ROCKET EXPLODE #1 at screen 255",
                             "5300 Ped 1 will been AIM TO PED 0 at screen 255",
                             "5400 Selected ped changed to -1",
                             "5500 Ped 1 will been AIM TO PED -1 at screen 255",
                             "6000 Screen mode off"}));
}

// A screen's duration goes up and down one second a key and never below one.
TEST(KeyChain, DurationStepsOneSecondAKeyBothWays) {
  zt::Script s("");
  s("press scroll");
  for (int i = 0; i < 4; ++i) s("press plus");
  for (int i = 0; i < 4; ++i) s("press minus");
  Lines expected{"Screen mode"};
  for (const char* d : {"1", "2", "3", "4", "3", "2", "1", "1"}) {
    expected.push_back(std::string("Screen do time changed to ") + d);
  }
  EXPECT_EQ(zt::Rehearse(s.Run(500)).Screens(), expected);
}

// The longest messages, with three numbers of three digits or a sign, come out whole.
TEST(KeyChain, MessagesWithTheLargestNumbersComeOutWhole) {
  const zt::Rehearsal r = zt::Rehearse(
      "at 0.5 press num- num/ scroll\n"  // slot 254, screen 255, mode 1
      "at 1.0 press num8\n"              // combat target 0
      "at 1.5 press num9\n"
      "at 2.0 press scroll\n"
      "at 2.5 press minus\n"
      "at 2.6 press minus\n"  // target 254
      "at 3.0 press num2\n"
      "at 3.5 press pgdn\n"
      "at 4.0 press num9\n"
      "run 5\n");
  EXPECT_EQ(
      Shown(r, 1000),
      (Lines{"1000 Ped 254 will been COMBAT 0 at screen 255",
             "1500 Ped 254 will been SEAT AS DRIVER at screen 255", "2000 Screen mode 2",
             "2500 Selected ped changed to -1", "2600 Selected ped changed to 254",
             "3000 Ped 254 will been AIM TO PED 254 at screen 255", "3500 ExpID changed to 31",
             "4000 This been GRENADE EXPLODE #31 at screen 255"}));
}

// While the keys are off only the on/off key works: no other key is acted on, none shows a
// message, and the presses made meanwhile are lost.
TEST(KeyChain, KeysOffLeaveOnlyTheOnOffKey) {
  const zt::Rehearsal r = zt::Rehearse(std::string(kWorld) +
                                       "at 0.5 press pause\n"
                                       "at 1.0 press backslash\n"
                                       "at 1.1 press num1 num2 num7 num8 num9\n"
                                       "at 1.5 press num+ num- num* num/ pgup pgdn minus plus\n"
                                       "at 2.0 press scroll\n"
                                       "at 2.5 press pause\n"
                                       "at 3.0 press num+\n"
                                       "at 3.5 press scroll\n"
                                       "run 4\n");
  EXPECT_EQ(Shown(r), (Lines{"500 Zenthar is off", "2500 Zenthar is on", "3000 ID changed to 1",
                             "3500 Screen mode"}));
  EXPECT_EQ(Trail(r, 500, 2500), Lines{});
}

// A configured mode or on/off key that is also a fixed key is polled after the fixed key and
// loses to it whenever the fixed key acts.
TEST(KeyChain, ConfiguredKeysEqualToFixedKeysLoseToThem) {
  {
    SCOPED_TRACE("on/off key on keypad + (107)");
    const zt::Rehearsal r = zt::Rehearse(
        "ini \"OnOff=107\" \"ChangeMode=145\"\n"
        "at 0.5 press num+\n"
        "at 1.0 press num+\n"
        "at 1.5 press pause\n"  // 19 is no longer the on/off key
        "at 2.0 press scroll\n"
        "run 3\n");
    EXPECT_EQ(Shown(r), (Lines{"500 ID changed to 1", "1000 ID changed to 2", "2000 Screen mode"}));
  }
  {
    SCOPED_TRACE("mode key on keypad 5 (101), a ped-exists key");
    const zt::Rehearsal r = zt::Rehearse(std::string(kWorld) +
                                         "ini \"OnOff=19\" \"ChangeMode=101\"\n"
                                         "at 0.5 press num5\n"  // no ped: passed over, press lost
                                         "at 1.0 press scroll\n"
                                         "at 1.5 press backslash\n"
                                         "at 2.0 press num1\n"
                                         "at 2.5 press num5\n"  // a ped: hands up, mode stays
                                         "run 3\n");
    EXPECT_EQ(Shown(r), (Lines{"1500 Model has been got", "2000 Char create", "2500 Ped handsup"}));
  }
  {
    SCOPED_TRACE("mode key on main-keyboard - (189)");
    const zt::Rehearsal r = zt::Rehearse(
        "ini \"OnOff=19\" \"ChangeMode=189\"\n"
        "at 0.5 press minus\n"  // mode 0: consumed, silently
        "at 1.0 press minus\n"
        "run 2\n");
    EXPECT_EQ(Shown(r), Lines{});
  }
}

// With DOES_CHAR_EXIST unknown to the host every ped counts as absent: the ped-exists keys are
// passed over and keypad 8 and 9 in mode 0 consume their press silently.
TEST(KeyChain, UnknownExistenceNativeMeansNoPed) {
  const zt::Rehearsal r = zt::Rehearse(std::string(kWorld) +
                                       "missing DOES_CHAR_EXIST\n"
                                       "at 0.5 press backslash\n"  // no candidate exists
                                       "at 1.0 press num3 num5 num. num6 num4 num0 num+\n"
                                       "at 1.5 press num8 num-\n"
                                       "at 2.0 press num9 num-\n"
                                       "at 2.5 press scroll\n"
                                       "at 3.0 press num3 num5 num. num6 num4 num0 num8\n"
                                       "run 4\n");
  EXPECT_EQ(Shown(r),
            (Lines{"1000 ID changed to 1", "1533 ID changed to 0", "2033 ID changed to 254",
                   "2500 Screen mode", "3000 Ped 254 will been COMBAT 0 at screen 0"}));
  EXPECT_EQ(r.Calls("TASK_COMBAT").size(), 0u);
  EXPECT_EQ(r.Calls("TASK_OPEN_DRIVER_DOOR").size(), 0u);
  EXPECT_EQ(r.Calls("GET_CHAR_MODEL").size(), 0u);
}

}  // namespace
