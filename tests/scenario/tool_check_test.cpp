// The cue check: each kind of film fault gives one warning with its screen and slot, in the
// trace and the transcript when asked for, and nothing for a film without faults.
#include <gtest/gtest.h>

#include "rehearsal/film.h"
#include "rehearse.h"

namespace {

const char* kFaultyFilm = R"(
ped bob model 2001 at 3 0 0
car van model 90 at 10 0 0
at 0.5 press backslash
at 1.0 press num1
at 1.2 press num+
at 1.4 press num1
at 1.6 press num+
at 1.8 press num1
at 2.0 press scroll
at 2.2 press num9
at 2.4 player enter van
at 2.6 press num-
at 2.8 press num6
at 3.0 press num-
at 3.2 press num6
at 3.4 press plus
at 3.6 press num*
at 3.8 press plus
at 4.0 press num8
at 4.2 press scroll
at 4.4 press plus
at 4.6 press num+
at 4.8 press num+
at 5.0 press num2
at 5.2 press num+
at 5.4 press num1
at 5.6 press num*
at 5.8 press num*
at 6.0 press num1
at 7.0 remove cast2
run 10
)";

struct Expected {
  int screen;
  int slot;
  const char* text;
};

std::string List(const std::vector<sim::Warning>& warnings) {
  std::string all;
  for (const sim::Warning& w : warnings) {
    all += "\n  (" + std::to_string(w.screen) + ", " + std::to_string(w.slot) + ") " + w.text;
  }
  return all;
}

TEST(CueCheck, WarnsOnceForEachFaultWithItsScreenAndSlot) {
  const zt::Rehearsal r = zt::Rehearse(kFaultyFilm);
  const Expected expected[] = {
      {0, 1, "\"get into the car as passenger\" is skipped: the slot has no ped at the end"},
      {0, 1, "seat 0 of van is also wanted by slot 0 on this screen"},
      {0, 2, "\"get into the car as driver\" was recorded while the player was on foot"},
      {1, 0, "\"fight\" targets the ped itself"},
      {1, 2, "\"aim at\": target cast2 no longer exists"},
      {1, 3, "\"aim at the spot\" is never played: no ped was ever created in slot 3"},
      {3, -1, "never plays: screen 2 has no duration, so the show ends after screen 1"},
  };
  const std::vector<sim::Warning>& got = r.out.warnings;
  ASSERT_EQ(got.size(), std::size(expected)) << "actual:" << List(got);
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].screen, expected[i].screen) << "warning " << i << List(got);
    EXPECT_EQ(got[i].slot, expected[i].slot) << "warning " << i << List(got);
    EXPECT_NE(got[i].text.find(expected[i].text), std::string::npos)
        << "expected: " << expected[i].text << "\nactual:   " << got[i].text;
  }
}

TEST(CueCheck, WarningsGoToTheTraceAndTranscriptOnlyWhenAskedFor) {
  const zt::Rehearsal quiet = zt::Rehearse(kFaultyFilm);
  EXPECT_TRUE(quiet.Events("warning").empty()) << "no --check, no warning lines";
  EXPECT_EQ(quiet.out.transcript.find("warning"), std::string::npos);

  sim::RunOptions options;
  options.check = true;
  const zt::Rehearsal checked = zt::Rehearse(kFaultyFilm, options);
  const std::vector<std::string> lines = checked.Events("warning");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(
      lines[3],
      R"({"t":10000,"ev":"warning","screen":1,"slot":0,"text":"\"fight\" targets the ped itself"})");
  EXPECT_EQ(lines[6].find(R"({"t":10000,"ev":"warning","screen":3,"text":"never plays)"), 0u)
      << lines[6];
  // They come at the end of the run, before the plug-in is unloaded.
  EXPECT_NE(checked.lines.back().find("\"unload\""), std::string::npos);
  EXPECT_NE(checked.out.transcript.find("warning  screen 1: slot 0: \"fight\" targets the ped"),
            std::string::npos)
      << checked.out.transcript;
}

TEST(CueCheck, AFilmThatPlaysAsMeantGivesNoWarning) {
  sim::RunOptions options;
  options.check = true;
  const zt::Rehearsal r = zt::Rehearse(R"(
ped bob model 2001 at 3 0 0
car van model 90 at 10 0 0
at 0.5 press backslash
at 1.0 press num1
at 1.2 press scroll
at 1.4 player enter van
at 1.6 press num9
at 1.8 press plus
at 2.0 press num*
at 2.2 press scroll
at 2.4 press minus
at 2.6 press num4
at 2.8 press scroll
at 3.0 press scroll
at 3.2 press plus
at 3.4 press backslash
run 8
)",
                                       options);
  EXPECT_TRUE(r.out.warnings.empty()) << List(r.out.warnings);
  EXPECT_TRUE(r.Events("warning").empty());
}

TEST(CueCheck, ASeatTakenWhenThePassengerArrives) {
  // Slot 1 sits in seat 0 of the van by a direct command; slot 0's cue wants the same seat.
  const zt::Rehearsal r = zt::Rehearse(R"(
ped bob model 2001 at 3 0 0
car van model 90 at 4 0 0
at 0.5 press backslash
at 1.0 press num1
at 1.2 press num+
at 1.4 press num1
at 1.6 player enter van
at 1.8 press num7
at 2.0 player leave
at 2.2 press num6
at 6.0 press num-
at 6.2 player enter van
at 6.4 press scroll
at 6.6 press num6
at 6.8 player leave
at 7.0 press plus
at 7.2 press backslash
run 20
)");
  bool found = false;
  for (const sim::Warning& w : r.out.warnings) {
    if (w.screen == 0 && w.slot == 0 &&
        w.text.find("seat 0 of van was taken when cast1 got there") != std::string::npos) {
      found = true;
    }
  }
  EXPECT_TRUE(found) << "actual:" << List(r.out.warnings);
}

TEST(CueCheck, ACarTakenAwayIsReportedAndItsCueSkipped) {
  // Slot 0 is to drive the van on screen 0; the van is taken away before the show.
  const zt::Rehearsal r = zt::Rehearse(R"(
ped bob model 2001 at 3 0 0
car van model 90 at 10 0 0
at 0.5 press backslash
at 1.0 press num1
at 1.2 press scroll
at 1.4 player enter van
at 1.6 press num9
at 1.8 player leave
at 2.0 remove van
at 2.2 press backslash
run 5
)");
  ASSERT_EQ(r.out.warnings.size(), 1u) << List(r.out.warnings);
  EXPECT_EQ(r.out.warnings[0].screen, 0);
  EXPECT_EQ(r.out.warnings[0].slot, 0);
  EXPECT_NE(r.out.warnings[0].text.find("car van no longer exists"), std::string::npos)
      << r.out.warnings[0].text;
  EXPECT_NE(r.Find({"\"ev\":\"world\"", "\"what\":\"removed\"", "\"car\":\"van\""}), -1);
  const int exists = r.Find({"DOES_VEHICLE_EXIST", "\"result\":false"});
  EXPECT_NE(exists, -1) << "the show asks whether the van still exists";
  EXPECT_TRUE(r.Calls("TASK_ENTER_CAR_AS_DRIVER").empty()) << "the cue plays into no car";
}

}  // namespace
