// zenthar-sim as a user meets it: malformed scenarios, the help text, and the storyboard.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "rehearsal/film.h"
#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "rehearse.h"
#include "tessel/host.h"
#include "views/storyboard.h"

namespace {

const char* kHeader = "ped bob model 2001 at 3 0 0\ncar van model 90 at 10 0 0\n";

struct BadLine {
  const char* line;
  const char* problem;
};

TEST(ScenarioErrors, EveryMalformedLineIsNamedWithItsFileAndLine) {
  const BadLine table[] = {
      {"jump 3", "unknown statement 'jump'"},
      {"at 1 press num1 numx", "unknown key name 'numx'"},
      {"at 1 press", "expected: at T press KEY"},
      {"at one press num1", "bad number 'one'"},
      {"at 1e999 press num1", "bad number '1e999'"},
      {"player at 1 2", "expected: player at X Y Z"},
      {"player at 1 2 zz", "bad number 'zz'"},
      {"player at 1 2 1e39", "number 1e39 out of range"},
      {"player weapon 1.5", "bad number '1.5'"},
      {"fps 0", "number 0 out of range 1..1000"},
      {"clock -1", "number -1 out of range"},
      {"ped carl model 2001 at 1 2", "expected: ped NAME model M at X Y Z"},
      {"ped bob model 2001 at 1 2 3", "duplicate name 'bob' (first used on line 1)"},
      {"car bob model 90 at 1 2 3", "duplicate name 'bob'"},
      {"ped player model 2001 at 1 2 3", "the name 'player' is reserved"},
      {"ped cast1 model 2001 at 1 2 3", "the name 'cast1' is reserved"},
      {"at 1 kill carl", "unknown ped 'carl'"},
      {"at 1 kill van", "unknown ped 'van'"},
      {"at 1 remove bus", "unknown ped or car 'bus'"},
      {"at 1 wreck bob", "unknown car 'bob'"},
      {"at 1 player enter bus", "unknown car 'bus'"},
      {"at 1 dance", "unknown event 'dance'"},
      {"at -1 press num1", "time -1 out of range"},
      {"model 2002", "expected: model M ped"},
      {"ini \"OnOff=1", "unterminated quoted text"},
      {"missing", "expected: missing NATIVE"},
  };
  for (const BadLine& bad : table) {
    sim::Scenario scenario;
    const std::string text = std::string(kHeader) + bad.line + "\nrun 5\n";
    const std::string problem = sim::ParseScenario("bad.film", text, scenario);
    const std::string expected = std::string("bad.film:3: ") + bad.problem;
    EXPECT_EQ(problem.substr(0, expected.size()), expected)
        << "line: " << bad.line << "\nexpected: " << expected << "\nactual:   " << problem;
  }
}

TEST(ScenarioErrors, TimeGoingBackwardsAndASecondRunAreRefused) {
  sim::Scenario scenario;
  EXPECT_EQ(sim::ParseScenario("f", "at 2 press num1\nat 1.5 press num2\n", scenario),
            "f:2: time 1.5 s goes backwards (an earlier line is at 2.000000 s)");
  EXPECT_EQ(sim::ParseScenario("f", "at 2 press num1\nrun 1\n", scenario).substr(0, 27),
            "f:2: time 1 s goes backward");
  EXPECT_EQ(sim::ParseScenario("f", "run 5\nrun 6\n", scenario), "f:2: a second run line");
}

TEST(ScenarioErrors, AMalformedScenarioRunsNothing) {
  // The problem is on the last line: nothing before it may have been kept for a run.
  sim::Scenario scenario;
  const std::string problem =
      sim::ParseScenario("f", "player at 1 2 3\nat 1 press num1\nat 2 press nope\n", scenario);
  EXPECT_EQ(problem, "f:3: unknown key name 'nope'");
  EXPECT_EQ(sim::LoadScenario("/no/such/file.film", scenario),
            "/no/such/file.film: cannot open the scenario");
#if !defined(_WIN32)
  // A device opens and reads as empty; only a regular file is read.
  EXPECT_EQ(sim::LoadScenario("/dev/null", scenario),
            "/dev/null: is a device, pipe or socket, not a scenario file");
#endif
}

// A native left registered by an earlier run or test would answer in the world's stead, so the
// rehearsal refuses to start and leaves it where it is; a run of its own leaves the host empty.
void AnswerNothing(NativeCallContext*) {}

TEST(HostHygiene, ARehearsalRefusesAHostLeftDirtyAndLeavesItsOwnClean) {
  sim::Scenario scenario;
  ASSERT_EQ(sim::ParseScenario("f", "at 0.1 press scroll\nrun 1\n", scenario), "");
  ASSERT_TRUE(tessel::RegisterNative("DOES_CHAR_EXIST", AnswerNothing));
  const sim::RunOutput refused = sim::RunScenario(scenario, {});
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.error,
            "the host is not clean: 1 native is registered already; a rehearsal starts from an "
            "empty host");
  EXPECT_EQ(tessel::NativeCount(), 1u) << "the refusal touches nothing";
  ASSERT_TRUE(tessel::UnregisterNative("DOES_CHAR_EXIST"));

  const sim::RunOutput ran = sim::RunScenario(scenario, {});
  EXPECT_TRUE(ran.ok) << ran.error;
  EXPECT_NE(ran.transcript.find("Screen mode"), std::string::npos) << ran.transcript;
  EXPECT_EQ(tessel::NativeCount(), 0u);
  EXPECT_EQ(tessel::ThreadCount(), 0);
  EXPECT_FALSE(tessel::PluginLoaded());
}

// A long run's trace and transcript handed to streams as the run goes are the same bytes as
// those kept in memory, across the megabyte boundaries where they are handed over, and the
// output keeps none of them.
TEST(Streaming, TheTraceAndTranscriptGoOutAsTheRunGoesAndStayWhole) {
  std::string text = "fps 100\n";
  for (int i = 0; i < 12000; ++i) {
    text += "at " + std::to_string(i / 50) + "." + std::to_string(i % 50 * 2 / 10) +
            std::to_string(i % 50 * 2 % 10) + " press num+\n";
  }
  sim::Scenario scenario;
  ASSERT_EQ(sim::ParseScenario("long.film", text, scenario), "");
  const sim::RunOutput kept = sim::RunScenario(scenario, {});
  ASSERT_TRUE(kept.ok) << kept.error;
  ASSERT_GT(kept.trace.size(), 2u << 20) << "the run should cross the boundary twice";

  std::ostringstream trace, transcript;
  sim::RunOptions streamed;
  streamed.traceTo = &trace;
  streamed.transcriptTo = &transcript;
  const sim::RunOutput sent = sim::RunScenario(scenario, streamed);
  ASSERT_TRUE(sent.ok) << sent.error;
  EXPECT_TRUE(trace.str() == kept.trace) << "the streamed trace differs";
  EXPECT_TRUE(transcript.str() == kept.transcript) << "the streamed transcript differs";
  EXPECT_EQ(sent.trace.size() + sent.transcript.size(), 0u);

  sim::RunOptions traceOnly;
  traceOnly.writeTranscript = false;
  const sim::RunOutput bare = sim::RunScenario(scenario, traceOnly);
  EXPECT_TRUE(bare.trace == kept.trace);
  EXPECT_EQ(bare.transcript, "");
}

// A problem quotes what was written; a control character in it comes out as \xNN, so the report
// stays one line that a terminal shows as it is.
TEST(ScenarioErrors, ControlCharactersInAProblemAreEscaped) {
  sim::Scenario scenario;
  EXPECT_EQ(sim::ParseScenario("f", std::string("jump\0\x1b[2J\n", 10), scenario),
            "f:1: unknown statement 'jump\\x00\\x1B[2J'");
  EXPECT_EQ(sim::ParseScenario("f", "at 1 press \"a\rb\"\n", scenario),
            "f:1: unknown key name 'a\\x0Db'");
}

TEST(Help, ListsEveryStatementAndKeyName) {
  const std::string help = sim::ScenarioHelp();
  for (const char* statement : {"fps N",
                                "clock N",
                                "ini ",
                                "missing NATIVE",
                                "player at X Y Z",
                                "player weapon W",
                                "ped NAME model M at X Y Z",
                                "car NAME model M at X Y Z",
                                "model M ped",
                                "at T press KEY",
                                "at T player at",
                                "at T player enter CAR",
                                "at T player leave",
                                "at T player weapon W",
                                "at T kill PED",
                                "at T remove PED",
                                "at T wreck CAR",
                                "at T stall S",
                                "rough [SEED]",
                                "run T"}) {
    EXPECT_NE(help.find(statement), std::string::npos) << "help lacks: " << statement;
  }
  for (const char* key : {"backslash", "num0..num9", "num.", "num+", "num-", "num*", "num/", "pgup",
                          "pgdn", "minus", "plus", "scroll", "pause", "f1..f12", "vk:N"}) {
    EXPECT_NE(help.find(key), std::string::npos) << "help lacks the key name " << key;
  }
  // Every name the help spells out is one the parser takes, and means the code it says.
  const std::pair<const char*, int> names[] = {
      {"backslash", 220}, {"num0", 96},  {"num9", 105},  {"num.", 110},
      {"num+", 107},      {"num-", 109}, {"num*", 106},  {"num/", 111},
      {"pgup", 33},       {"pgdn", 34},  {"minus", 189}, {"plus", 187},
      {"scroll", 145},    {"pause", 19}, {"f12", 123},   {"vk:200", 200}};
  for (const auto& [name, code] : names) {
    int got = -1;
    EXPECT_TRUE(sim::KeyCode(name, got)) << name;
    EXPECT_EQ(got, code) << name;
  }
}

// The demo's scenes, small: two peds walk on two screens, a rocket on the second.
const char* kShowFilm = R"(
player at 0 0 0
ped bob model 2001 at 3 0 0
car taxi model 90 at 12 6 0
at 0.5 press backslash
at 1.0 press num1
at 1.5 press num+
at 2.0 player at 2 2 0
at 2.5 press num1
at 3.0 press scroll
at 3.5 player at 20 0 0
at 4.0 press num3
at 4.5 press plus
at 5.0 press num*
at 5.5 press num-
at 6.0 player at 0 15 0
at 6.5 press num3
at 7.0 press plus
at 7.5 press scroll
at 8.0 player at 12 6 0
at 8.5 press num8
at 9.0 press backslash
run 20
)";

TEST(Storyboard, IsOneStandalonePictureOfTheShow) {
  sim::StoryboardSampler sampler;
  sim::RunOptions options;
  options.extra.push_back(&sampler);
  const zt::Rehearsal r = zt::Rehearse(kShowFilm, options);
  const std::string svg = sim::RenderStoryboard(r.out.film, sampler, "show.film", r.out.warnings);
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  for (const char* external : {"href", "url(", "<image", "@import", "<script"}) {
    EXPECT_EQ(svg.find(external), std::string::npos) << "the picture refers out: " << external;
  }
  // Both cast members walked; each has its label and a path in each screen's colour.
  EXPECT_NE(svg.find(">slot 0<"), std::string::npos);
  EXPECT_NE(svg.find(">slot 1<"), std::string::npos);
  EXPECT_NE(svg.find("<polyline points=\""), std::string::npos);
  EXPECT_NE(svg.find("stroke=\"#1f77b4\" stroke-width=\"4\""), std::string::npos)
      << "a path in screen 0's colour";
  EXPECT_NE(svg.find("stroke=\"#e6550d\" stroke-width=\"4\""), std::string::npos)
      << "a path in screen 1's colour";
  EXPECT_NE(svg.find("taxi (wrecked)"), std::string::npos);
  EXPECT_NE(svg.find("rocket s1"), std::string::npos) << "the rocket, on screen 1";
  EXPECT_NE(svg.find(">screen 1</text>"), std::string::npos);
  EXPECT_NE(svg.find("rocket #0"), std::string::npos) << "the rocket in the timeline";
  EXPECT_NE(svg.find("you: s0 slot 1 go"), std::string::npos) << "where the player recorded";
  // Balanced elements: every opened text and group is closed.
  auto count = [&](const std::string& s) {
    std::size_t n = 0;
    for (std::size_t at = svg.find(s); at != std::string::npos; at = svg.find(s, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("<text "), count("</text>"));
  EXPECT_EQ(count("<g "), count("</g>"));
}

TEST(Storyboard, AFilmNeverPlayedIsDrawnAsRecorded) {
  sim::StoryboardSampler sampler;
  sim::RunOptions options;
  options.extra.push_back(&sampler);
  const zt::Rehearsal r = zt::Rehearse(
      "ped bob model 2001 at 3 0 0\nat 0.5 press backslash\nat 1 press num1\n"
      "at 1.5 press scroll\nat 2 press num5\nrun 3\n",
      options);
  const std::string svg = sim::RenderStoryboard(r.out.film, sampler, "t.film", {});
  EXPECT_NE(svg.find("never played"), std::string::npos);
  EXPECT_NE(svg.find(">hands up</text>"), std::string::npos);
  EXPECT_NE(svg.find("estimated from the durations"), std::string::npos);
}

}  // namespace
