// The desk's engine as the page meets it: a shot list's answer (its problems with their lines,
// the list as it reads, the plan, the verdict, the warnings beside their cues) and a scenario's,
// and the requests it refuses. tests/wasm/same_answers.js holds the WebAssembly module's answers
// to the tools' own files.
#include <gtest/gtest.h>

#include <string>

#include "answer.h"
#include "tessel/host.h"

namespace {

using engine_test::Answer;
using engine_test::Example;
using engine_test::kSentinel;
using engine_test::Request;

struct BadList {
  const char* text;
  const char* problem;  // as the answer's problems list holds it
};

TEST(ShotsAnswer, AMalformedOrUnrecordableListGetsItsProblemWithItsLine) {
  const BadList table[] = {
      {"ped bob model 2001 at 3 0 0\ncast 0 like bob at 0 0 0\nscreen 0 lasts 1\n  0 dance\n",
       "[{\"line\":4,\"text\":\"unknown cue 'dance'"},
      {"ped bob model 2001 at 3 0 0\ncast 0 like bob at 0 0 0\nscreen 0 lasts 1\n  0 drive van\n",
       "[{\"line\":4,\"text\":\"no car 'van' on the set\"}]"},
      {"ped bob model 2001 at 3 0 0\ncast 0 like bob at 0 0 0\nscreen 0 lasts 1\n  3 hands up\n",
       "[{\"line\":4,\"text\":\"slot 3 is never cast, and 'hands up' is recorded only for a slot "
       "with a ped\"}]"},
      {"player at 0 0\n",
       "[{\"line\":1,\"text\":\"expected: player at X Y Z | player weapon W\"}]"},
      {"at 1 press num1\n", "[{\"line\":1,\"text\":\"'at' belongs in a scenario"},
      {"cast 0 like \"bob\n", "[{\"line\":1,\"text\":\"unterminated quoted text\"}]"},
  };
  for (const BadList& bad : table) {
    const Answer answer(Request("shots", "bad.shots", bad.text));
    EXPECT_TRUE(answer.Has("\"ok\":false,\"problems\":" + std::string(bad.problem)))
        << "list:\n"
        << bad.text << "\nexpected problems: " << bad.problem << "\nactual answer: " << answer.json;
    EXPECT_FALSE(answer.Has("\"shots\":")) << answer.json;
    EXPECT_FALSE(answer.Has("\"player\":")) << answer.json;
  }
}

TEST(ShotsAnswer, TheListAsItReadsWithItsPlacesAndLines) {
  const Answer answer(Request("shots", "demo.shots", Example("demo.shots")));
  const char* expected[] = {
      "\"shots\":{\"player\":{\"pos\":[0,0,0],\"weapon\":7}",
      "\"peds\":[{\"name\":\"bob\",\"model\":2001,\"pos\":[3,0,0],\"line\":0}]",
      "\"cars\":[{\"name\":\"taxi\",\"model\":90,\"pos\":[12,6,0],\"line\":0}]",
      "{\"name\":\"taxi-stand\",\"pos\":[12,6,0],\"line\":10}",
      "{\"slot\":1,\"like\":\"bob\",\"model\":2001,\"spot\":{\"pos\":[2,2,0],\"place\":\"\"},"
      "\"line\":13}",
      "{\"number\":0,\"duration\":2,\"line\":16,\"cues\":[{\"slot\":0,\"code\":1,\"words\":"
      "\"phone\"",
      "{\"slot\":1,\"code\":3,\"words\":\"go corner\",\"spot\":{\"pos\":[20,0,0],\"place\":"
      "\"corner\"},\"car\":\"\",\"target\":0,\"seat\":0,\"weapon\":0,\"line\":18}",
      "\"explosions\":[{\"kind\":4,\"id\":0,\"spot\":{\"pos\":[12,6,0],\"place\":\"taxi-stand\"},"
      "\"line\":28}]",
  };
  for (const char* part : expected) {
    EXPECT_TRUE(answer.Has(part)) << "expected: " << part << "\nactual answer: " << answer.json;
  }
}

TEST(ShotsAnswer, APlanThatVerifiesWithItsFilesAndItsShow) {
  const Answer answer(Request("shots", "demo.shots", Example("demo.shots")));
  EXPECT_TRUE(answer.fields.Flag("ok")) << answer.json.substr(0, 400);
  EXPECT_TRUE(answer.fields.Flag("verified"));
  EXPECT_TRUE(answer.Has("\"problems\":[]"));
  EXPECT_TRUE(answer.Has("\"differences\":[],\"warnings\":[]"));
  // The key count and the lower bound as zenthar-plan prints them; recording ends with the play
  // key, the 23rd of one key a tick from 0.1 s at 10 ticks a second.
  EXPECT_TRUE(answer.Has("\"plan\":{\"keys\":23,\"bound\":18,\"recordMs\":2300,\"showMs\":6903}"))
      << answer.json.substr(0, 2000);
  EXPECT_NE(answer.Text("scenario").find("at 2.300 press backslash"), std::string::npos)
      << answer.Text("scenario");
  EXPECT_EQ(answer.Text("take").rfind("zenthar-take 1\n", 0), 0u) << answer.Text("take");
  EXPECT_NE(answer.Text("script").find("demo.shots"), std::string::npos) << answer.Text("script");
  // The show player's data: the title, and the show of three screens.
  EXPECT_TRUE(answer.Has("\"player\":{\"title\":\"demo.shots\"")) << answer.json.substr(0, 400);
  EXPECT_TRUE(answer.Has("\"show\":{\"start\":"));
}

TEST(ShotsAnswer, WarningsCarryTheLineOfTheCueTheyConcern) {
  const std::string list =
      "ped bob model 2001 at 3 0 0\n"
      "cast 0 like bob at 0 0 0\n"
      "cast 1 like bob at 2 2 0\n"
      "screen 0 lasts 1\n"
      "  0 phone\n"
      "  1 fight slot 1\n"
      "screen 1\n"
      "  1 hands up\n";
  const Answer answer(Request("shots", "check.shots", list));
  EXPECT_TRUE(answer.fields.Flag("ok")) << answer.json.substr(0, 600);
  const char* expected[] = {
      "{\"screen\":0,\"slot\":1,\"line\":6,\"text\":\"\\\"fight\\\" targets the ped itself\"}",
      // About a whole screen: no cue's line.
      "{\"screen\":1,\"slot\":-1,\"line\":0,\"text\":\"never plays",
  };
  for (const char* part : expected) {
    EXPECT_TRUE(answer.Has(part)) << "expected: " << part << "\nactual answer: " << answer.json;
  }
}

TEST(ShotsAnswer, EachRequestLeavesTheHostAsItFoundIt) {
  for (int i = 0; i < 2; ++i) {
    const Answer answer(Request("shots", "explosions.shots", Example("explosions.shots")));
    EXPECT_TRUE(answer.fields.Flag("ok")) << "request " << i << ": " << answer.json.substr(0, 600);
    EXPECT_EQ(tessel::NativeCount(), 0u);
    EXPECT_EQ(tessel::ThreadCount(), 0);
    EXPECT_FALSE(tessel::PluginLoaded());
  }
}

TEST(RehearseAnswer, TheRunsFilesAndTheCheckOnlyWhenAskedFor) {
  const std::string faulty =
      "ped bob model 2001 at 3 0 0\nat 0.5 press backslash\nat 1.0 press num1\n"
      "at 1.5 press scroll\nat 2.0 press num+\nat 2.2 press num+\nat 2.4 press num+\n"
      "at 2.6 press num1\nrun 4\n";
  const Answer checked(Request("rehearse", "faulty.film", faulty, ",\"check\":true"));
  EXPECT_TRUE(checked.fields.Flag("ok")) << checked.json.substr(0, 400);
  EXPECT_EQ(checked.Text("error"), "");
  EXPECT_NE(checked.Text("trace").find("\"ev\":\"warning\""), std::string::npos);
  EXPECT_NE(checked.Text("transcript").find("  check: 1 warning\n"), std::string::npos)
      << checked.Text("transcript");
  EXPECT_EQ(checked.Text("sheet").rfind("# Film sheet: faulty.film\n", 0), 0u)
      << checked.Text("sheet");

  const Answer unchecked(Request("rehearse", "faulty.film", faulty));
  EXPECT_EQ(unchecked.Text("trace").find("\"ev\":\"warning\""), std::string::npos);
  EXPECT_EQ(unchecked.Text("transcript").find("check:"), std::string::npos);
}

TEST(RehearseAnswer, AScenarioThatCannotBeRehearsedHereSaysWhy) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case table[] = {
      {"run five\n", "/bad.film:1: bad number 'five'"},
      {"player at 0 0 0\nat 1 fly\nrun 2\n", "/bad.film:2: unknown event 'fly'"},
      // The take file is there, beside the scenario the request names, and is never read: the
      // page has only the one file.
      {"take demo.take\nrun 2\n", "/bad.film:1: a take line names another file, and the desk"},
  };
  for (const Case& c : table) {
    const Answer answer(Request("rehearse", std::string(ZENTHAR_DOCS) + "/bad.film", c.text));
    EXPECT_FALSE(answer.fields.Flag("ok")) << answer.json;
    const std::string error = std::string(ZENTHAR_DOCS) + c.error;
    EXPECT_EQ(answer.Text("error").substr(0, error.size()), error) << "scenario:\n" << c.text;
    EXPECT_EQ(answer.Text("trace"), kSentinel);
  }
}

TEST(Requests, ARequestTheEngineCannotAnswerIsRefusedWithTheReason) {
  struct Case {
    std::string request;
    const char* error;
  };
  const Case table[] = {
      {"", "request: expected a JSON object at byte 0"},
      {"[1]", "request: expected a JSON object at byte 0"},
      {"{\"op\":\"shots\"", "request: expected ',' or '}' at byte 13"},
      {"{\"file\":\"a.shots\",\"text\":\"\"}", "request: no \"op\""},
      {"{\"op\":\"plan\",\"file\":\"a.shots\",\"text\":\"\"}", "request: unknown op 'plan'"},
      {"{\"op\":true,\"file\":\"a.shots\",\"text\":\"\"}", "request: no \"op\""},
      {"{\"op\":\"shots\",\"text\":\"\"}", "request: no \"file\""},
      {"{\"op\":\"shots\",\"file\":\"\",\"text\":\"\"}", "request: no \"file\""},
      {"{\"op\":\"rehearse\",\"file\":\"a.film\"}", "request: no \"text\""},
  };
  for (const Case& c : table) {
    const Answer answer(c.request);
    EXPECT_FALSE(answer.fields.Flag("ok"));
    EXPECT_EQ(answer.Text("error").substr(0, std::string(c.error).size()), c.error)
        << "request: " << c.request;
  }
}

TEST(Requests, FieldsTheEngineDoesNotKnowAreReadPast) {
  const Answer answer(
      "{\"id\":7,\"edits\":[{\"slot\":1,\"spot\":[1.5,-2e3,null]}],\"op\":\"rehearse\","
      "\"file\":\"tiny.film\",\"text\":\"player at 0 0 0\\nrun 1\\n\",\"check\":false}");
  EXPECT_TRUE(answer.fields.Flag("ok")) << answer.json.substr(0, 400);
  EXPECT_NE(answer.Text("transcript").find("no show was played"), std::string::npos);
}

}  // namespace
