// Playing a film: the natives of the cues and their conditions, the timing of the screens, how
// a show begins and ends, and what the keys do while it runs. Checked from the trace.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "rehearse.h"
#include "trail.h"

namespace {

using Lines = std::vector<std::string>;
using Times = std::vector<std::uint64_t>;
using zt::PassAt;
using zt::Script;
using zt::Shown;
using zt::TimesOf;
using zt::Trail;

// A set with a van (101) and `peds` peds of bob's model (bob is 100) created in slots 0, 1, …
// as cast1 (102), cast2 (103), … next to the van; ends on slot 0 in mode 1.
Script Cast(int peds, const std::string& extra = "") {
  Script s(extra +
           "player at 28 40 5\n"
           "player weapon 7\n"
           "ped bob model 2001 at 26 40 5\n"
           "car van model 90 at 30 40 5\n");
  s("press backslash");
  for (int slot = 0; slot < peds; ++slot) s("press num1")("press num+");
  for (int slot = 0; slot < peds; ++slot) s("press num-");
  s("press scroll");
  return s;
}

// Sets the edit screen's duration to `seconds` (mode 1), from a never-edited screen.
void Last(Script& s, int seconds) {
  for (int i = 0; i < seconds; ++i) s("press plus");
}

// The times at which playback visited the ped of one handle: every step tests it first.
Times Visits(const zt::Rehearsal& r, const std::string& handle, std::uint64_t from) {
  Times times;
  for (const std::string& line : r.Calls("DOES_CHAR_EXIST")) {
    if (zt::TimeOf(line) >= from && zt::Field(line, "args") == "[" + handle + "]") {
      times.push_back(zt::TimeOf(line));
    }
  }
  return times;
}

std::string At(std::uint64_t t, const std::string& what) {
  return std::to_string(t) + " " + what;
}

// Cues whose car or target is gone are skipped without a word; the car cues act on the car
// the ped sits in.
TEST(Playback, CuesWithoutTheirCarOrTargetAreSkipped) {
  Script s = Cast(3);
  // In mode 0 first: the van is saved and cast1 takes its wheel.
  s("press scroll")("press scroll")("player enter van")("press num7")("player leave");
  s("player at 60 60 5")("press num9").Pause(1500);
  s("press scroll");
  // Screen 0: slot 0 (at the wheel) drives to (60, 60, 5); slot 1 is to take the driver's seat
  // of the car the player was using, none.
  s("press num3")("press num+")("press num9")("press num-");
  Last(s, 1);
  // Screen 1: slot 0 sounds its horn; slot 1 is to be a passenger of no car.
  s("press num*")("press num7")("press num+")("press num6")("press num-");
  Last(s, 1);
  // Screen 2, in mode 2: slot 1 aims at slot 2's ped, which leaves the game before the show;
  // slot 0 looks at the car it was given on foot.
  s("press num*")("press scroll")("press plus")("press plus");
  s("press num+")("press num2")("press num-")("press num6");
  // Screen 3: slot 0 looks at slot 5, where no ped was ever made; slot 1 blows up no car.
  s("press num*")("press plus")("press plus")("press plus")("press num4");
  s("press num+")("press num3")("press num-");
  s("press scroll")("press scroll");
  Last(s, 1);
  s("press num/");
  Last(s, 1);
  s("remove cast3")("press backslash");
  const std::uint64_t play = s.At();
  const zt::Rehearsal r = zt::Rehearse(s.Run(8000));
  EXPECT_NE(r.Find({"\"seated\"", "cast1", "van", "driver"}), -1);
  EXPECT_EQ(Trail(r, play),
            (Lines{// screen 0
                   "DOES_CHAR_EXIST [102]", "IS_CHAR_IN_ANY_CAR [102]",
                   "GET_CAR_CHAR_IS_USING [102,\"&\"]",
                   "TASK_CAR_MISSION_COORS_TARGET [102,101,60,60,5,4,60,1,5,10]",
                   "DOES_CHAR_EXIST [103]", "DOES_VEHICLE_EXIST [0]", "DOES_CHAR_EXIST [104]",
                   // screen 1
                   "DOES_CHAR_EXIST [102]", "IS_CHAR_IN_ANY_CAR [102]",
                   "GET_CAR_CHAR_IS_USING [102,\"&\"]", "SOUND_CAR_HORN [101,1]",
                   "DOES_CHAR_EXIST [103]", "DOES_VEHICLE_EXIST [0]", "DOES_CHAR_EXIST [104]",
                   // screen 2
                   "DOES_CHAR_EXIST [102]", "DOES_VEHICLE_EXIST [0]", "DOES_CHAR_EXIST [103]",
                   "DOES_CHAR_EXIST [104]", "DOES_CHAR_EXIST [104]",
                   // screen 3
                   "DOES_CHAR_EXIST [102]", "DOES_CHAR_EXIST [0]", "DOES_CHAR_EXIST [103]",
                   "DOES_VEHICLE_EXIST [0]", "DOES_CHAR_EXIST [104]"}));
  const std::uint64_t s1 = PassAt(play + 1300);
  const std::uint64_t s2 = PassAt(s1 + 1300);
  const std::uint64_t s3 = PassAt(s2 + 1300);
  EXPECT_EQ(Shown(r, play + 1),
            (Lines{At(play + 300, "Play started"), At(play + 300, "log: --- Start Play ---"),
                   At(s3 + 300, "log: --- Show off ---")}));
}

// Three slots and durations 2, 2, 0: each slot costs 100 ms, a ped gone from the game included;
// the next screen comes at the first pass 2 s after the explosions; the last screen's duration
// is not waited out.
TEST(Playback, ScreensLastTheirSlotsAndTheirDuration) {
  Script s = Cast(3);
  s("player at 90 90 5")("press scroll")("press num7")("press scroll")("press scroll");
  s("press num5");  // slot 0 raises its hands on screen 0
  Last(s, 2);
  s("press num*")("press num+")("press num5")("press num-");  // slot 1 on screen 1
  Last(s, 2);
  s("press backslash");
  const std::uint64_t play = s.At();
  s("remove cast2");  // while screen 0 plays
  const zt::Rehearsal r = zt::Rehearse(s.Run(8000));
  const std::uint64_t second = PassAt(play + 300 + 2000);
  EXPECT_EQ(Trail(r, play, UINT64_MAX, "", true),
            (Lines{At(play, "DOES_CHAR_EXIST [102]"), At(play, "TASK_HANDS_UP [102,1]"),
                   At(play + 100, "DOES_CHAR_EXIST [103]"), At(play + 200, "DOES_CHAR_EXIST [104]"),
                   At(play + 300, "ADD_EXPLOSION [90,90,5,1,5,1,0,0]"),
                   At(second, "DOES_CHAR_EXIST [102]"), At(second + 100, "DOES_CHAR_EXIST [103]"),
                   At(second + 200, "DOES_CHAR_EXIST [104]")}));
  EXPECT_EQ(Shown(r, play),
            (Lines{At(play + 300, "Play started"), At(play + 300, "log: --- Start Play ---"),
                   At(second + 300, "log: --- Show off ---")}));
}

// Durations 0 and 3 for screens 0 and 1: no pause after screen 0, screen 1 at the next pass.
TEST(Playback, ZeroLongFirstScreenIsFollowedAtOnce) {
  Script s = Cast(1);
  s("press num1")("press num*")("press num5");
  Last(s, 3);
  s("press backslash");
  const std::uint64_t play = s.At();
  const zt::Rehearsal r = zt::Rehearse(s.Run(6000));
  const std::uint64_t second = PassAt(play + 101);
  EXPECT_EQ(Trail(r, play, UINT64_MAX, "", true),
            (Lines{At(play, "DOES_CHAR_EXIST [102]"), At(play, "TASK_USE_MOBILE_PHONE [102,true]"),
                   At(second, "DOES_CHAR_EXIST [102]"), At(second, "TASK_HANDS_UP [102,1]")}));
  EXPECT_EQ(Shown(r, play),
            (Lines{At(play + 100, "Play started"), At(play + 100, "log: --- Start Play ---"),
                   At(second + 100, "log: --- Show off ---")}));
}

// A film whose screen 1 has no duration plays screen 0 once and ends at once, logging the end
// once; the same film plays again, the same way, at the next press.
TEST(Playback, FilmOfOneScreenPlaysItOnce) {
  Script s = Cast(1);
  s("press num1");
  Last(s, 2);
  s("press backslash");
  const std::uint64_t play = s.At();
  s.Pause(3000)("press backslash");
  const std::uint64_t again = s.At();
  const zt::Rehearsal r = zt::Rehearse(s.Run(4000));
  const Lines once{"DOES_CHAR_EXIST [102]", "TASK_USE_MOBILE_PHONE [102,true]"};
  EXPECT_EQ(Trail(r, play, again), once);
  EXPECT_EQ(Trail(r, again), once);
  for (const std::uint64_t t : {play, again}) {
    EXPECT_EQ(Shown(r, t, t + 1000),
              (Lines{At(t + 100, "log: --- Show off ---"), At(t + 100, "Play started"),
                     At(t + 100, "log: --- Start Play ---")}));
  }
}

// Every one of the 256 screens with a duration: the show ends after screen 255, as it would
// at a screen without one, and the film can be played again.
TEST(Playback, ShowOfAllScreensEndsAfterTheLast) {
  Script s = Cast(1);
  Last(s, 1);
  for (int screen = 1; screen < 256; ++screen) s("press num* plus");
  s("press num*")("press backslash");
  const std::uint64_t play = s.At();
  const zt::Rehearsal r = zt::Rehearse(s.Run(256 * 1100 + 5000));
  EXPECT_EQ(r.Screens().at(r.Screens().size() - 2), "Screen changed to 0");
  const Times visits = Visits(r, "102", play);
  ASSERT_EQ(visits.size(), 256u);
  std::uint64_t due = play;
  for (std::size_t i = 0; i < visits.size(); ++i) {
    EXPECT_EQ(visits[i], due) << "screen " << i;
    due = PassAt(visits[i] + 1100);
  }
  EXPECT_EQ(Shown(r, play + 1),
            (Lines{At(play + 100, "Play started"), At(play + 100, "log: --- Start Play ---"),
                   At(visits.back() + 100, "log: --- Show off ---")}));
}

// A show started 4 s before the 32-bit tick count wraps keeps every pause across the wrap.
TEST(Playback, PausesSurviveTheTickCountWrap) {
  Script s = Cast(1, "clock 4294960000\n");  // wraps 7.296 s into the run
  Last(s, 2);
  for (int screen = 1; screen < 5; ++screen) {
    s("press num*");
    Last(s, 2);
  }
  s("press backslash");
  const std::uint64_t play = s.At();
  ASSERT_EQ(play, 4000u);
  const zt::Rehearsal r = zt::Rehearse(s.Run(12000));
  Times expected{play};
  for (int screen = 1; screen < 5; ++screen) expected.push_back(PassAt(expected.back() + 2100));
  EXPECT_EQ(Visits(r, "102", play), expected);
  EXPECT_EQ(Shown(r, play + 1),
            (Lines{At(play + 100, "Play started"), At(play + 100, "log: --- Start Play ---"),
                   At(expected.back() + 100, "log: --- Show off ---")}));
}

// During a show the play key does nothing in modes 1 and 2 and captures a model in mode 0;
// switching the keys off does not stop the show.
TEST(Playback, KeysDuringAShow) {
  Script s = Cast(1);
  s("press num1");
  Last(s, 2);
  s("press num*");
  Last(s, 2);
  s("press num*");
  Last(s, 2);
  s("press backslash");
  const std::uint64_t play = s.At();
  s("press backslash")("press scroll")("press backslash")("press scroll");
  s("player at 26 40 5")("press backslash")("press pause")("press backslash")("press num+");
  const std::uint64_t first = play + 200;
  const zt::Rehearsal r = zt::Rehearse(s.Run(7000));
  const std::uint64_t second = PassAt(play + 2100);
  const std::uint64_t third = PassAt(second + 2100);
  EXPECT_EQ(Visits(r, "102", play), (Times{play, second, third}));
  EXPECT_EQ(Shown(r, play),
            (Lines{At(play + 100, "Play started"), At(play + 100, "log: --- Start Play ---"),
                   At(first + 200, "Screen mode 2"), At(first + 600, "Screen mode off"),
                   At(first + 1000, "Model has been got"), At(first + 1200, "Zenthar is off"),
                   At(third + 100, "log: --- Show off ---")}));
  EXPECT_EQ(r.Calls("TASK_USE_MOBILE_PHONE").size(), 1u);
}

// Cues recorded and peds created while a show runs take effect from its next step; a cue for
// a screen already played waits for the next show.
TEST(Playback, ChangesDuringAShowTakeEffectFromTheNextStep) {
  Script s = Cast(1);
  Last(s, 2);
  s("press num*");
  Last(s, 2);
  s("press num*");
  Last(s, 2);  // the edit screen is 2
  s("press backslash");
  const std::uint64_t play = s.At();
  s("press num5");                                                // screen 2, slot 0: hands up
  s("press num/")("press num/")("press num1");                    // screen 0, slot 0: phone
  s("press scroll")("press scroll")("press num+")("press num1");  // cast2 (103) in slot 1
  s.Pause(5000)("press scroll")("press backslash");
  const std::uint64_t again = s.At();
  const zt::Rehearsal r = zt::Rehearse(s.Run(7000));
  const std::uint64_t second = PassAt(play + 2100);
  const std::uint64_t third = PassAt(second + 2200);
  EXPECT_EQ(Trail(r, play, again, "", true),
            (Lines{At(play, "DOES_CHAR_EXIST [102]"),
                   At(play + 200, "DOES_CHAR_EXIST [102]"),  // keypad 5 needs the ped
                   At(play + 1600, "IS_THIS_MODEL_A_PED [2001]"),
                   At(play + 1600, "GET_CHAR_COORDINATES [1,\"&\",\"&\",\"&\"]"),
                   At(play + 1600, "CREATE_CHAR [4,2001,28,40,5,\"&\",true]"),
                   At(second, "DOES_CHAR_EXIST [102]"), At(second + 100, "DOES_CHAR_EXIST [103]"),
                   At(third, "DOES_CHAR_EXIST [102]"), At(third, "TASK_HANDS_UP [102,1]"),
                   At(third + 100, "DOES_CHAR_EXIST [103]")}));
  EXPECT_EQ(Trail(r, again, again + 101),
            (Lines{"DOES_CHAR_EXIST [102]", "TASK_USE_MOBILE_PHONE [102,true]",
                   "DOES_CHAR_EXIST [103]"}));
}

}  // namespace
