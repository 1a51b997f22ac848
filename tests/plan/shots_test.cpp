// The shot-list reader: every cue and explosion with its fields, and a clear FILE:LINE: problem
// for every malformed or unrecordable line.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "plan/shots.h"

namespace {

const char* kSet =
    "player at 0 0 0\n"
    "player weapon 7\n"
    "ped bob model 2001 at 3 0 0\n"
    "ped ann model 2002 at -3 4 0\n"
    "car taxi model 90 at 12 6 0\n"
    "place corner at 20 0 0\n"
    "cast 0 like bob at 0 0 0\n"
    "cast 1 like ann at corner\n";  // line 8

TEST(ShotList, ReadsEveryCueAndExplosionWithItsFields) {
  const std::string text = std::string(kSet) +
                           "screen 0 lasts 2\n"
                           "  0 phone\n"
                           "  1 go corner\n"
                           "  2 hang up\n"
                           "screen 1 lasts 3\n"
                           "  0 gun 9\n"
                           "  1 hands up\n"
                           "  2 fight player\n"
                           "  3 fight slot 254\n"
                           "  4 drive taxi\n"
                           "  5 horn\n"
                           "screen 2\n"
                           "  0 ride taxi seat 3\n"
                           "  1 get out\n"
                           "screen 3 lasts 1\n"
                           "  0 die\n"
                           "  2 aim at 1.5 -2 3\n"
                           "  3 aim at player\n"
                           "  1 blow up taxi\n"
                           "screen 255 lasts 3600\n"
                           "  0 look at slot 1\n"
                           "  1 look at corner\n"
                           "  4 aim at slot 0\n"
                           "screen 4\n"
                           "  0 look at car taxi\n"
                           "  1 shoot\n"
                           "  254 horn\n"
                           "screen 5\n"
                           "  1 burn\n"
                           "  0 ride taxi\n"
                           "  fire at corner id 3\n"
                           "  rocket at 1 2 3\n"
                           "  grenade at 4 5 6\n"
                           "  fire at 0 0 0 id 0\n";
  plan::ShotList shots;
  ASSERT_EQ(plan::ParseShotList("a.shots", text, shots), "");
  ASSERT_EQ(shots.cast.size(), 2u);
  EXPECT_EQ(shots.cast[1].model, 2002);
  EXPECT_EQ(shots.cast[1].spot.place, "corner");
  EXPECT_EQ(shots.cast[1].spot.pos.x, 20.0f);
  ASSERT_EQ(shots.screens.size(), 7u);
  std::set<int> codes;
  for (const plan::ShotScreen& screen : shots.screens) {
    for (const plan::ShotCue& cue : screen.cues) codes.insert(cue.code);
  }
  EXPECT_EQ(codes.size(), 19u);
  const plan::ShotScreen& s1 = shots.screens[1];
  EXPECT_EQ(s1.duration, 3);
  EXPECT_EQ(s1.cues[0].weapon, 9);
  EXPECT_EQ(s1.cues[2].target, plan::kPlayerTarget);
  EXPECT_EQ(s1.cues[3].target, 254);
  EXPECT_EQ(s1.cues[4].car, "taxi");
  EXPECT_EQ(shots.screens[2].duration, 0);
  EXPECT_EQ(shots.screens[2].cues[0].seat, 3);
  EXPECT_EQ(shots.screens[3].cues[1].code, 21);
  EXPECT_EQ(shots.screens[3].cues[1].spot.pos.y, -2.0f);
  EXPECT_EQ(shots.screens[3].cues[2].code, 22);
  EXPECT_EQ(shots.screens[4].number, 255);
  EXPECT_EQ(shots.screens[4].cues[0].code, 24);
  EXPECT_EQ(shots.screens[4].cues[1].code, 25);
  EXPECT_EQ(shots.screens[5].cues[0].code, 26);
  // Explosions without an id take the lowest ids the screen leaves free, in their order.
  const std::vector<plan::ShotExplosion>& blasts = shots.screens[6].explosions;
  ASSERT_EQ(blasts.size(), 4u);
  EXPECT_EQ(blasts[0].id, 3);
  EXPECT_EQ(blasts[1].id, 1);
  EXPECT_EQ(blasts[1].kind, 4);
  EXPECT_EQ(blasts[2].id, 2);
  EXPECT_EQ(blasts[2].kind, 0);
  EXPECT_EQ(blasts[3].id, 0);
  EXPECT_EQ(shots.screens[6].cues[1].seat, 0);

  // Written out and read again, the list is the same.
  const std::string written = plan::FormatShotList(shots, "# again\n");
  plan::ShotList again;
  ASSERT_EQ(plan::ParseShotList("b.shots", written, again), "");
  EXPECT_EQ(plan::FormatShotList(again, "# again\n"), written);
}

struct BadLine {
  const char* lines;
  int line;
  const char* problem;
};

TEST(ShotList, EveryMalformedOrUnrecordableLineIsNamedWithItsLine) {
  const BadLine table[] = {
      {"screen 256", 9, "screen 256 is outside 0..255"},
      {"screen 0 lasts 3601", 9, "duration (seconds) 3601 is outside 0..3600"},
      {"screen 0 for 3", 9, "expected: screen N [lasts SECONDS]"},
      {"screen 0\nscreen 0", 10, "screen 0 is listed already (line 9)"},
      {"screen 0\n  255 phone", 10, "slot 255 is outside 0..254"},
      {"screen 0\n  -1 phone", 10, "slot -1 is outside 0..254"},
      {"screen 0\n  0 drive bus", 10, "no car 'bus' on the set"},
      {"screen 0\n  0 drive", 10, "expected a car's name"},
      {"screen 0\n  0 ride taxi seat 4", 10, "seat 4 is outside 0..3"},
      {"screen 0\n  0 go nowhere", 10, "unknown place 'nowhere'"},
      {"screen 0\n  0 go 1 2", 10, "expected a spot: X Y Z"},
      {"screen 0\n  0 fight", 10, "expected a target: player, or slot N"},
      {"screen 0\n  0 fight slot 300", 10, "slot 300 is outside 0..254"},
      {"screen 0\n  0 dance", 10, "unknown cue 'dance'"},
      {"screen 0\n  0 phone now", 10, "unexpected 'now'"},
      {"screen 0\n  0 phone\n  0 horn", 11, "slot 0 has a cue on this screen already (line 10)"},
      {"screen 0\n  9 hands up", 10, "slot 9 is never cast, and 'hands up' is recorded only"},
      {"screen 0\n  9 look at car taxi", 10, "slot 9 is never cast"},
      {"screen 0\n  rocket at corner id 32", 10, "explosion id 32 is outside 0..31"},
      {"screen 0\n  fire at corner id 1\n  rocket at 0 0 0 id 1", 11,
       "explosion id 1 is used already on this screen (line 10)"},
      {"  0 phone", 9, "a cue before any screen line"},
      {"  rocket at corner", 9, "an explosion before any screen line"},
      {"cast 0 like bob at corner", 9, "slot 0 is cast already (line 7)"},
      {"cast 2 like carl at corner", 9, "no ped 'carl' on the set to take the model from"},
      {"cast 2 bob at corner", 9, "expected: cast SLOT like PED at SPOT"},
      {"place corner at 1 2 3", 9, "the name 'corner' is taken"},
      {"place taxi at 1 2 3", 9, "the name 'taxi' is taken"},
      {"place slot at 1 2 3", 9, "a place's name starts with a letter"},
      {"place 9th at 1 2 3", 9, "a place's name starts with a letter"},
      {"at 1 press num1", 9, "'at' belongs in a scenario"},
      {"run 30", 9, "'run' belongs in a scenario"},
      {"ped carl model 2001 at 1 2", 9, "expected: ped NAME model M at X Y Z"},
      {"car taxi model 90 at 1 2 3", 9, "duplicate name 'taxi' (first used on line 5)"},
      {"jump", 9, "unknown statement 'jump'"},
      {"screen 0\n  0 go \"1 2 3", 10, "unterminated quoted text"},
  };
  for (const BadLine& bad : table) {
    SCOPED_TRACE(bad.lines);
    plan::ShotList shots;
    const std::string problem =
        plan::ParseShotList("f.shots", std::string(kSet) + bad.lines + "\n", shots);
    const std::string where = "f.shots:" + std::to_string(bad.line) + ": ";
    EXPECT_EQ(problem.substr(0, where.size()), where) << problem;
    EXPECT_NE(problem.find(bad.problem), std::string::npos)
        << "actual: " << problem << "\nexpected to contain: " << bad.problem;
  }
}

TEST(ShotList, AModelNoPedCanBeToldApartForIsRefused) {
  const std::string text =
      "ped bob model 2001 at 3 0 0\n"
      "ped ann model 2002 at 3 0 0\n"
      "cast 0 like ann at 0 0 0\n";
  plan::ShotList shots;
  EXPECT_EQ(plan::ParseShotList("g.shots", text, shots),
            "g.shots:3: every ped of ann's model stands on the spot of another ped, so its model "
            "cannot be captured");
}

}  // namespace
