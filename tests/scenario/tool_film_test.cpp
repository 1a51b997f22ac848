// The film recorder: it rebuilds the plug-in's film from what a run shows, and checks every
// played cue against the natives the plug-in issued. These tests hold the mirror to what the
// plug-in did, field by field and on every example film.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "rehearsal/film.h"
#include "rehearse.h"
#include "views/sheet.h"

namespace {

std::int32_t HandleOf(const sim::FilmReport& report, const std::string& name) {
  for (const auto& [handle, n] : report.names) {
    if (n == name) return handle;
  }
  ADD_FAILURE() << "no handle named " << name;
  return -999;
}

std::string Problems(const sim::FilmReport& report) {
  std::string all;
  for (const std::string& p : report.problems) all += "\n  " + p;
  return all;
}

// Casting, both recording modes, every field source, seats, targets, explosions and durations,
// then one show.
const char* kFieldsFilm = R"(
player at 1 2 3
player weapon 7
ped bob model 2001 at 3 0 0
car van model 90 at 10 0 0
at 0.5 press backslash
at 1.0 press num1
at 1.2 press num+
at 1.4 press num+
at 1.6 player at 5 5 0
at 1.8 press num1
at 2.0 press scroll
at 2.2 player enter van
at 2.4 press num9
at 2.6 press pgup
at 2.8 press pgup
at 3.0 press num6
at 3.2 player leave
at 3.4 player weapon 9
at 3.6 press num4
at 3.8 press num*
at 4.0 press num-
at 4.2 press num9
at 4.4 press scroll
at 4.6 press minus
at 4.8 press num-
at 5.0 press num2
at 5.2 press plus
at 5.4 press plus
at 5.6 press plus
at 5.8 press num4
at 6.0 player at 7 8 9
at 6.2 press num5
at 6.4 press pgdn
at 6.6 press num9
at 6.8 press scroll
at 7.0 press scroll
at 7.2 press plus
at 7.4 press num/
at 7.6 press plus
at 8.0 press backslash
run 15
)";

TEST(FilmRecorder, MirrorsEveryFieldTheRecordingKeysWrite) {
  const zt::Rehearsal r = zt::Rehearse(kFieldsFilm);
  const sim::FilmReport& report = r.out.film;
  const sim::Film& film = report.film;
  ASSERT_TRUE(report.problems.empty()) << Problems(report);
  const std::int32_t cast1 = HandleOf(report, "cast1");
  const std::int32_t cast2 = HandleOf(report, "cast2");
  const std::int32_t van = HandleOf(report, "van");

  EXPECT_EQ(film.pedCount, 3);
  EXPECT_EQ(film.pedHandle[0], cast1);
  EXPECT_EQ(film.pedHandle[1], 0);
  EXPECT_EQ(film.pedHandle[2], cast2);
  EXPECT_EQ(report.slotOf.at(cast2), 2);

  // Screen 0, slot 2: driver, then passenger (seat 2 set in between), then the weapon; each
  // recording keeps the fields the next one does not write.
  const sim::Cue& swap = film.cue(0, 2);
  EXPECT_EQ(swap.code, 4);
  EXPECT_EQ(swap.weapon, 9);
  EXPECT_EQ(swap.car, van);
  EXPECT_EQ(swap.seat, 2);

  // Screen 1, slot 1 holds no ped: keypad 9 records anyway, on foot, so with no car.
  EXPECT_EQ(film.cue(1, 1).code, 9);
  EXPECT_EQ(film.cue(1, 1).car, 0);

  // Screen 1, slot 0: aim at the player, look at slot 2's ped, then look at this spot.
  const sim::Cue& look = film.cue(1, 0);
  EXPECT_EQ(look.code, 25);
  EXPECT_EQ(look.target, cast2);
  EXPECT_EQ(look.targetSlot, 2);
  EXPECT_EQ(look.pos.x, 7.0f);
  EXPECT_EQ(look.pos.y, 8.0f);
  EXPECT_EQ(look.pos.z, 9.0f);

  EXPECT_EQ(film.explosionCount, 32);
  EXPECT_TRUE(film.explosion(1, 31).set);
  EXPECT_EQ(film.explosion(1, 31).kind, 0);
  EXPECT_EQ(film.explosion(1, 31).pos.y, 8.0f);
  EXPECT_EQ(film.durations[0], 1);
  EXPECT_EQ(film.durations[1], 1);
  EXPECT_EQ(film.durations[2], 0);
  EXPECT_EQ(film.screenMode, 1);
  EXPECT_EQ(film.editScreen, 0);
  EXPECT_EQ(film.selectedPed, 0);
  EXPECT_EQ(film.selectedExplosion, 31);
  EXPECT_EQ(film.targetPed, 2);
}

TEST(FilmRecorder, MirrorsTheShowStepByStep) {
  const zt::Rehearsal r = zt::Rehearse(kFieldsFilm);
  const sim::FilmReport& report = r.out.film;
  ASSERT_TRUE(report.problems.empty()) << Problems(report);
  ASSERT_EQ(report.shows.size(), 1u);
  const sim::Show& show = report.shows[0];
  ASSERT_EQ(show.steps.size(), 2u);
  EXPECT_TRUE(show.finished);
  EXPECT_EQ(show.start, 8000u);
  EXPECT_EQ(show.steps[0].screen, 0);
  EXPECT_EQ(show.steps[1].screen, 1);
  // Three slots at 100 ms each, then the one-second pause, on 30 passes a second.
  EXPECT_EQ(show.steps[0].end - show.steps[0].start, 300u) << "screen 0 ran its three slots";
  EXPECT_GE(show.steps[1].start, show.steps[0].end + 1000);
  EXPECT_LT(show.steps[1].start, show.steps[0].end + 1000 + 34);
  EXPECT_EQ(show.end, show.steps[1].end);
  // Every visited slot was checked against the natives: 3 slots on 2 screens.
  EXPECT_EQ(report.cuesVerified, 6);
  EXPECT_EQ(show.steps[0].slots[1].pedExists, false);
  EXPECT_EQ(show.steps[0].slots[2].action, "TASK_SWAP_WEAPON");
  EXPECT_EQ(show.steps[1].slots[0].action, "TASK_LOOK_AT_COORD");
  ASSERT_EQ(show.steps[1].explosions.size(), 1u);
  EXPECT_EQ(show.steps[1].explosions[0].kind, 0);
  // The plug-in's own log agrees on when the show ended.
  const int off = r.Find({"\"ev\":\"log\"", "Show off"});
  ASSERT_GE(off, 0);
  EXPECT_EQ(zt::TimeOf(r.lines[static_cast<std::size_t>(off)]), show.end);
}

TEST(FilmRecorder, FollowsPedsReplacedAndDeletedAndCuesRecordedDuringTheShow) {
  const zt::Rehearsal r = zt::Rehearse(R"(
ped bob model 2001 at 3 0 0
at 0.5 press backslash
at 1.0 press num1
at 1.2 player at 4 0 0
at 1.4 press num1
at 1.6 press num+
at 1.8 press num1
at 2.0 press num.
at 2.2 press num-
at 2.4 press scroll
at 2.6 press num5
at 2.8 press plus
at 3.0 press plus
at 3.2 press num*
at 3.4 press plus
at 3.6 press plus
at 3.8 press backslash
at 4.5 press num3
run 12
)");
  const sim::FilmReport& report = r.out.film;
  ASSERT_TRUE(report.problems.empty()) << Problems(report);
  EXPECT_EQ(report.film.pedHandle[0], HandleOf(report, "cast2"))
      << "the second create on slot 0 replaced the first";
  EXPECT_EQ(report.film.pedHandle[1], 0) << "slot 1's ped was deleted";
  EXPECT_EQ(report.film.pedCount, 2);
  // Keypad 3 at 4.5 s recorded screen 1's cue while screen 0 was pausing; the show played it.
  ASSERT_EQ(report.shows.size(), 1u);
  ASSERT_EQ(report.shows[0].steps.size(), 2u);
  EXPECT_EQ(report.shows[0].steps[1].slots[0].action, "TASK_GO_STRAIGHT_TO_COORD");
  EXPECT_EQ(report.cuesVerified, 4);
}

TEST(FilmRecorder, ShowsOfOneScreenWithoutCastAndPlayedTwice) {
  // Screen 0 alone (screen 1 has no duration), no ped: the step takes no time and the show
  // ends at once; the play key then starts a second show.
  const zt::Rehearsal r = zt::Rehearse(R"(
at 0.5 press scroll
at 1.0 press backslash
at 2.0 press backslash
run 4
)");
  const sim::FilmReport& report = r.out.film;
  ASSERT_TRUE(report.problems.empty()) << Problems(report);
  ASSERT_EQ(report.shows.size(), 2u);
  for (const sim::Show& show : report.shows) {
    EXPECT_TRUE(show.finished);
    ASSERT_EQ(show.steps.size(), 1u);
    EXPECT_EQ(show.steps[0].end, show.steps[0].start);
  }
  EXPECT_EQ(report.shows[1].start, 2000u);
  EXPECT_EQ(r.Logs().size(), 4u) << "two starts and two ends in the host log";
}

TEST(FilmRecorder, EveryExampleFilmIsFollowedWithoutALoss) {
  namespace fs = std::filesystem;
  const fs::path examples =
      fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
  ASSERT_TRUE(fs::is_directory(examples)) << examples.string();
  int films = 0;
  for (const auto& entry : fs::directory_iterator(examples)) {
    if (entry.path().extension() != ".film") continue;
    ++films;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const zt::Rehearsal r = zt::Rehearse(text.str());
    const sim::FilmReport& report = r.out.film;
    EXPECT_TRUE(report.problems.empty()) << entry.path().string() << Problems(report);
    int visits = 0;
    for (const sim::Show& show : report.shows) {
      for (const sim::Step& step : show.steps) visits += static_cast<int>(step.slots.size());
    }
    EXPECT_EQ(report.cuesVerified, visits)
        << entry.path().string() << ": every slot visit is checked against the natives";
    EXPECT_EQ(static_cast<int>(r.Logs().size()),
              static_cast<int>(report.shows.size() * 2 -
                               (report.shows.empty() || report.shows.back().finished ? 0 : 1)))
        << entry.path().string() << ": a start and an end line per show";
  }
  EXPECT_GE(films, 1);
}

// Feeds the recorder a run by hand, to see that it notices when the plug-in does something
// other than the film says.
class Feed {
 public:
  void Pass() { Emit(sim::RunEvent::Kind::passBegin); }
  void EndPass() { Emit(sim::RunEvent::Kind::passEnd); }
  void Wait(unsigned ms) {
    sim::RunEvent e = Make(sim::RunEvent::Kind::wait);
    e.code = static_cast<int>(ms);
    recorder.OnEvent(e);
    t += ms;
  }
  void Native(const std::string& name, std::vector<world::Value> args,
              std::vector<world::Value> outs = {}, std::int32_t result = 0) {
    world::NativeCall call;
    call.name = name;
    call.args = std::move(args);
    call.outs = std::move(outs);
    call.result = result;
    sim::RunEvent e = Make(sim::RunEvent::Kind::native);
    e.call = &call;
    recorder.OnEvent(e);
  }
  void Screen(const std::string& text) {
    Native("PRINT_STRING_WITH_LITERAL_STRING_NOW", {Text("STRING"), Text(text), Int(2000), Int(0)});
    sim::RunEvent e = Make(sim::RunEvent::Kind::screen);
    e.text = text;
    recorder.OnEvent(e);
  }
  static world::Value Int(std::int32_t i) { return {world::Value::Kind::integer, i, 0.0f, ""}; }
  static world::Value Bool(bool b) { return {world::Value::Kind::boolean, b ? 1 : 0, 0.0f, ""}; }
  static world::Value Text(const std::string& s) { return {world::Value::Kind::text, 0, 0.0f, s}; }

  sim::FilmRecorder recorder;
  std::uint64_t t = 0;

 private:
  sim::RunEvent Make(sim::RunEvent::Kind kind) {
    sim::RunEvent e;
    e.kind = kind;
    e.t = t;
    return e;
  }
  void Emit(sim::RunEvent::Kind kind) { recorder.OnEvent(Make(kind)); }
};

// One ped in slot 0 with "hands up" on screen 0; the show's step issues `action` `times` times.
sim::FilmReport PlayHandsUp(const std::string& action, const std::vector<world::Value>& args,
                            int times = 1) {
  Feed f;
  f.Pass();
  f.Native("CREATE_CHAR", {}, {Feed::Int(102)});
  f.Screen("Char create");
  f.EndPass();
  f.t += 100;
  f.Pass();
  f.Screen("Screen mode");
  f.EndPass();
  f.t += 100;
  f.Pass();
  f.Native("DOES_CHAR_EXIST", {Feed::Int(102)}, {}, 1);
  f.Screen("Ped 0 will been HANDS UP at screen 0");
  f.EndPass();
  f.t += 100;
  f.Pass();
  f.Native("DOES_CHAR_EXIST", {Feed::Int(102)}, {}, 1);
  for (int i = 0; i < times; ++i) f.Native(action, args);
  f.Wait(100);
  f.Screen("Play started");
  f.EndPass();
  return f.recorder.report();
}

TEST(FilmRecorder, NoticesWhenThePlugInDoesNotPlayTheFilm) {
  const sim::FilmReport right = PlayHandsUp("TASK_HANDS_UP", {Feed::Int(102), Feed::Int(1)});
  EXPECT_TRUE(right.problems.empty()) << Problems(right);
  EXPECT_EQ(right.cuesVerified, 1);

  const sim::FilmReport wrongNative = PlayHandsUp("TASK_DIE", {Feed::Int(102)});
  ASSERT_EQ(wrongNative.problems.size(), 1u) << Problems(wrongNative);
  EXPECT_NE(wrongNative.problems[0].find("expected TASK_HANDS_UP(102, 1)"), std::string::npos)
      << wrongNative.problems[0];
  EXPECT_NE(wrongNative.problems[0].find("called TASK_DIE(102)"), std::string::npos)
      << wrongNative.problems[0];

  const sim::FilmReport wrongArgument =
      PlayHandsUp("TASK_HANDS_UP", {Feed::Int(102), Feed::Int(0)});
  EXPECT_EQ(wrongArgument.problems.size(), 1u) << Problems(wrongArgument);
  EXPECT_EQ(wrongArgument.cuesVerified, 0);

  const sim::FilmReport none = PlayHandsUp("TASK_HANDS_UP", {Feed::Int(102), Feed::Int(1)}, 0);
  ASSERT_EQ(none.problems.size(), 1u) << Problems(none);
  EXPECT_NE(none.problems[0].find("screen 0 slot 0: expected TASK_HANDS_UP, the step made no "
                                  "further call"),
            std::string::npos)
      << none.problems[0];

  const sim::FilmReport twice = PlayHandsUp("TASK_HANDS_UP", {Feed::Int(102), Feed::Int(1)}, 2);
  ASSERT_EQ(twice.problems.size(), 1u) << Problems(twice);
  EXPECT_NE(twice.problems[0].find("the plug-in made 1 more calls than the cue (code 5) needs, "
                                   "first TASK_HANDS_UP"),
            std::string::npos)
      << twice.problems[0];
  EXPECT_EQ(twice.cuesVerified, 0);
}

TEST(FilmSheet, ListsScreensCuesFieldsSeatsAndExplosions) {
  const zt::Rehearsal r = zt::Rehearse(kFieldsFilm);
  const std::string sheet = sim::FilmSheet(r.out.film, "fields.film", r.out.warnings);
  const char* const expected[] = {
      "# Film sheet: fields.film",
      "The show plays screens 0 to 1 (2 s of screen time",
      "| 2 | cast2 (ped ",
      "## Screen 0 · 1 s\n",
      "| 2 | swap to the weapon | weapon 9 |  |",
      "## Screen 1 · 1 s · last: the show ends after its cues",
      "| 0 | look at the spot | at (7, 8, 9) |  |",
      "| 1 | get into the car as driver | no car (recorded on foot) |  |",
      "| #31 | grenade | (7, 8, 9) |",
      "## Check",
  };
  for (const char* line : expected) {
    EXPECT_NE(sheet.find(line), std::string::npos) << "missing: " << line << "\nsheet:\n" << sheet;
  }
}

TEST(FilmSheet, ShowsThePassengerSeatTargetsAndScreensThatNeverPlay) {
  const zt::Rehearsal r = zt::Rehearse(R"(
ped bob model 2001 at 3 0 0
car van model 90 at 10 0 0
at 0.5 press backslash
at 1.0 press num1
at 1.2 press scroll
at 1.4 player enter van
at 1.6 press pgdn
at 1.8 press num6
at 2.2 press num*
at 2.4 press num*
at 2.6 press plus
run 4
)");
  const std::string sheet = sim::FilmSheet(r.out.film, "t.film", r.out.warnings);
  EXPECT_NE(sheet.find("| 0 | get into the car as passenger | van (car "), std::string::npos)
      << sheet;
  EXPECT_NE(sheet.find(") | 3 |"), std::string::npos) << "seat 3 after Page Down\n" << sheet;
  EXPECT_NE(sheet.find("## Screen 2 · 1 s · never plays"), std::string::npos) << sheet;
}

}  // namespace
