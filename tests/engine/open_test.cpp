// What the desk opens besides a shot list, and what it exports of one: a take (autosaved, torn,
// planned) or a scenario opened as the shot list of its film, with where it came from; files that
// do not read, with their file and line; and the exports' names and kinds.
// tests/wasm/same_answers.js holds the WebAssembly module's answers to the tools' own files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "answer.h"
#include "rehearsal/runner.h"
#include "rehearsal/take_scenario.h"
#include "tessel/host.h"
#include "views/check.h"

namespace {

using engine_test::Answer;
using engine_test::Example;
using engine_test::kSentinel;
using engine_test::Request;

// What the take runner autosaves of an example film rehearsed from a fresh world.
std::string Autosave(const std::string& film) {
  sim::Scenario scenario;
  EXPECT_EQ(sim::ParseScenario(film, Example(film), scenario), "");
  const sim::AutosaveFolder folder(&scenario);
  sim::RunOptions run;
  run.writeTrace = false;
  EXPECT_TRUE(sim::RunScenario(scenario, run).ok) << film;
  std::string take;
  EXPECT_TRUE(folder.Take(take)) << film << ": nothing was autosaved";
  return take;
}

void ExpectClean(const char* after) {
  EXPECT_EQ(tessel::NativeCount(), 0u) << after;
  EXPECT_EQ(tessel::ThreadCount(), 0) << after;
  EXPECT_FALSE(tessel::PluginLoaded()) << after;
}

// The keys a take holds: its presses and captures, a line each.
int Keys(const std::string& take) {
  int keys = 0;
  for (std::size_t at = 0; at < take.size(); at = take.find('\n', at) + 1) {
    if (take.compare(at, 6, "press ") == 0 || take.compare(at, 8, "capture ") == 0) ++keys;
    if (take.find('\n', at) == std::string::npos) break;
  }
  return keys;
}

TEST(OpenAnswer, AnAutosaveOpensAsTheShotListOfItsFilmNamedAfterIt) {
  const std::string take = Autosave("demo.film");
  const std::string keys = std::to_string(Keys(take));
  const Answer opened(Request("open", "takes/2026-01-01_00-00-00.take", take));
  ExpectClean("an autosave opened");
  EXPECT_TRUE(opened.fields.Flag("ok")) << opened.json.substr(0, 600);
  EXPECT_EQ(opened.Text("file"), "2026-01-01_00-00-00.shots");
  EXPECT_EQ(opened.Text("from"),
            "the film of 2026-01-01_00-00-00.take, an autosave of " + keys + " keys");
  EXPECT_TRUE(
      opened.Has("\"source\":{\"file\":\"2026-01-01_00-00-00.take\",\"kind\":\"autosave\","
                 "\"version\":2,\"steps\":"))
      << opened.json.substr(0, 600);
  EXPECT_TRUE(opened.Has(",\"keys\":" + keys + "}")) << opened.json.substr(0, 600);
  EXPECT_TRUE(opened.Has("\"problems\":[]"));
  const std::string list = opened.Text("text");
  EXPECT_EQ(list.rfind("# The film of 2026-01-01_00-00-00.take, as zenthar-sim --shots wrote it.\n"
                       "player at 0 0 0\n",
                       0),
            0u)
      << list;
  // What the desk does next with it: the list plans and records the same film.
  const Answer planned(Request("shots", opened.Text("file"), list));
  EXPECT_TRUE(planned.fields.Flag("verified")) << planned.json.substr(0, 600);
  EXPECT_TRUE(planned.Has("\"plan\":{\"keys\":23,")) << planned.json.substr(0, 600);
}

TEST(OpenAnswer, ATornAutosaveOpensWithoutItsLastLineAndSaysSo) {
  const std::string take = Autosave("car-chase.film");
  const std::size_t lastLine = take.rfind('\n', take.size() - 2) + 1;
  const std::string whole = take.substr(0, lastLine);
  const int lines = static_cast<int>(std::count(whole.begin(), whole.end(), '\n')) + 1;
  // A crash in the middle of the last line: what is there of it reads as a key, but has no end.
  const std::string cut = take.substr(lastLine, 9);
  const Answer torn(Request("open", "2026-01-01_00-00-00.take", whole + cut));
  const Answer untorn(Request("open", "2026-01-01_00-00-00.take", whole));
  EXPECT_TRUE(torn.fields.Flag("ok")) << torn.json.substr(0, 600);
  EXPECT_EQ(torn.Text("text"), untorn.Text("text"));
  const std::string from =
      untorn.Text("from") + "; torn line " + std::to_string(lines) + " left out";
  EXPECT_EQ(torn.Text("from"), from);
  EXPECT_TRUE(
      torn.Has(",\"torn\":{\"line\":" + std::to_string(lines) + ",\"text\":\"" + cut + "\"}}"))
      << "cut: " << cut << "\nanswer: " << torn.json.substr(0, 600);
  EXPECT_FALSE(untorn.Has("\"torn\""));
}

TEST(OpenAnswer, APlannedTakeAndAScenarioOpenAsTheirFilms) {
  const Answer take(Request("open", "demo.take",
                            engine_test::ReadFile(std::string(ZENTHAR_DOCS) + "/demo.take")));
  EXPECT_TRUE(take.fields.Flag("ok")) << take.json.substr(0, 600);
  EXPECT_EQ(take.Text("file"), "demo.shots");
  const int keys = Keys(engine_test::ReadFile(std::string(ZENTHAR_DOCS) + "/demo.take"));
  EXPECT_EQ(take.Text("from"),
            "the film of demo.take, a planned take of " + std::to_string(keys) + " keys");
  EXPECT_TRUE(take.Has("\"kind\":\"take\",\"version\":1,")) << take.json.substr(0, 600);
  // The take stages its car and captures beside the player: the list's set holds them.
  EXPECT_NE(take.Text("text").find("car taxi model 90 at 12 6 0\n"), std::string::npos)
      << take.Text("text");

  const Answer film(Request("open", "films/demo.film", Example("demo.film")));
  EXPECT_TRUE(film.fields.Flag("ok")) << film.json.substr(0, 600);
  EXPECT_EQ(film.Text("file"), "demo.shots");
  EXPECT_EQ(film.Text("from"), "the film of demo.film, a scenario");
  EXPECT_TRUE(film.Has("\"source\":{\"file\":\"demo.film\",\"kind\":\"scenario\"}"));
  EXPECT_EQ(film.Text("text").rfind("# The film of demo.film, as zenthar-sim --shots wrote it.\n"),
            0u);
  ExpectClean("a take and a scenario opened");
}

TEST(OpenAnswer, AShotListOpensAsItIsWithoutARehearsal) {
  const std::string list = "# not even read\nscreen 0 lasts 1\n";
  const Answer opened(Request("open", "lists/Mine.SHOTS", list));
  EXPECT_TRUE(opened.fields.Flag("ok"));
  EXPECT_EQ(opened.Text("file"), "Mine.SHOTS");
  EXPECT_EQ(opened.Text("text"), list);
  EXPECT_EQ(opened.Text("from"), "");
  EXPECT_TRUE(opened.Has("\"source\":{\"file\":\"Mine.SHOTS\",\"kind\":\"shots\"}"));
}

struct BadFile {
  const char* file;
  const char* text;
  const char* error;  // as zenthar-sim prints it
};

TEST(OpenAnswer, AFileThatDoesNotReadGetsItsProblemWithItsFileAndLine) {
  const BadFile table[] = {
      {"bad.take", "zenthar-take 2\npress num1\nmove 1 2\n", "bad.take:3: usage: move X Y Z"},
      {"bad.take", "zenthar-take 3\n",
       "bad.take:1: a take of version 3; this runner reads versions "
       "1 and 2"},
      // A key that shows nothing is an autosave's alone.
      {"bad.take", "zenthar-take 1\nweapon 7\npress num1\n",
       "bad.take:3: usage: press KEY \"MESSAGE\""},
      {"bad.take", "zenthar-take 2\nenter van\n", "bad.take:2: no car named 'van' is staged above"},
      {"bad.film", "player at 0 0 0\nat 1 fly\nrun 2\n", "bad.film:2: unknown event 'fly'"},
      // A take line is refused: the desk has only the file it was given. A problem above it
      // comes first, as it would in zenthar-sim.
      {"bad.film", "player at 0 0 0\n\ntake demo.take\nrun 2\n",
       "bad.film:3: a take line names another file, and the desk has only this one: open the "
       "take itself, or rehearse this scenario with zenthar-sim"},
      {"bad.film", "\xEF\xBB\xBFtake demo.take\n", "bad.film:1: a take line names another file"},
      {"bad.film", "run 2 3\ntake demo.take\n", "bad.film:1: expected: run T"},
      // One that is not a take line is the reader's to judge.
      {"bad.film", "take\n", "bad.film:1: expected: take FILE"},
  };
  for (const BadFile& bad : table) {
    const Answer answer(Request("open", bad.file, bad.text));
    EXPECT_FALSE(answer.fields.Flag("ok")) << answer.json;
    const std::string error = answer.Text("error");
    EXPECT_EQ(error.substr(0, std::string(bad.error).size()), bad.error) << "file:\n" << bad.text;
    // The same problem, as its line and its text.
    const std::string line =
        error.substr(error.find(':') + 1, error.find(": ") - error.find(':') - 1);
    EXPECT_TRUE(answer.Has("\"problems\":[{\"line\":" + line + ",\"text\":\"")) << answer.json;
    EXPECT_EQ(answer.Text("text"), kSentinel);
  }
  ExpectClean("files that do not read");
}

TEST(RehearseAnswer, ATakeRehearsesThroughTheTakeRunner) {
  const std::string take = engine_test::ReadFile(std::string(ZENTHAR_DOCS) + "/demo.take");
  const Answer answer(Request("rehearse", "demo.take", take, ",\"check\":true"));
  EXPECT_TRUE(answer.fields.Flag("ok")) << answer.json.substr(0, 400);
  const std::string trace = answer.Text("trace");
  EXPECT_NE(trace.find("{\"t\":0,\"ev\":\"register\",\"thread\":\"Take\"}"), std::string::npos);
  EXPECT_NE(trace.find("\"text\":\"Take done: " + std::to_string(Keys(take)) + " keys\""),
            std::string::npos)
      << trace.substr(0, 400);
  EXPECT_EQ(answer.Text("sheet").rfind("# Film sheet: demo.take\n", 0), 0u);
  ExpectClean("a take rehearsed");
}

TEST(ExportAnswer, EachExportIsNamedAfterTheListAndIsWhatItSays) {
  struct Case {
    const char* as;
    const char* file;
    const char* begins;
    const char* title;  // the plan's scenario, as zenthar-sim names it
    const char* drawn;  // what only the rehearsal's record draws: a cast member, its path
  };
  const Case table[] = {
      {"player", "demo.html", "<!DOCTYPE html>", "demo.film", "\"n\":\"cast2\""},
      {"storyboard", "demo.svg", "<svg", "demo.film", "<polyline points="},
      {"sheet", "demo.sheet.md", "# Film sheet: demo.film\n", "demo.film", "rocket"},
  };
  for (const Case& c : table) {
    const Answer answer(Request("export", "lists/demo.shots", Example("demo.shots"),
                                std::string(",\"as\":\"") + c.as + "\""));
    EXPECT_TRUE(answer.fields.Flag("ok")) << c.as << ": " << answer.json.substr(0, 400);
    EXPECT_EQ(answer.Text("file"), c.file);
    const std::string text = answer.Text("text");
    EXPECT_NE(text.find(c.begins), std::string::npos) << c.as << ": " << text.substr(0, 200);
    EXPECT_LT(text.find(c.begins), 100u) << c.as << ": " << text.substr(0, 200);
    EXPECT_NE(text.find(c.title), std::string::npos) << c.as;
    EXPECT_NE(text.find(c.drawn), std::string::npos) << c.as << ": " << text.substr(0, 400);
  }
  ExpectClean("the exports");
}

TEST(ExportAnswer, AListThatDoesNotReadOrAnExportNobodyKnowsIsRefused) {
  const Answer bad(Request("export", "bad.shots", "screen 0 lasts\n", ",\"as\":\"sheet\""));
  EXPECT_FALSE(bad.fields.Flag("ok"));
  EXPECT_EQ(bad.Text("error").rfind("bad.shots:1: ", 0), 0u) << bad.json;
  EXPECT_TRUE(bad.Has("\"problems\":[{\"line\":1,")) << bad.json;
  EXPECT_EQ(bad.Text("text"), kSentinel);

  for (const char* more : {"", ",\"as\":\"trace\"", ",\"as\":true"}) {
    const Answer answer(Request("export", "demo.shots", Example("demo.shots"), more));
    EXPECT_FALSE(answer.fields.Flag("ok"));
    EXPECT_EQ(answer.Text("error"),
              "request: no \"as\" the export knows; it is player, storyboard or sheet")
        << more;
  }
}

}  // namespace
