// The take runner in rehearsals beside the real plug-in: what it does when a take is malformed,
// differs from the game, names a model the game lacks, is stopped, or loses its runner midway;
// and that it moves the player only between the plug-in's passes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "natives/native_context.h"
#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "rehearse.h"
#include "tessel/host.h"
#include "world/natives.h"

namespace {

namespace fs = std::filesystem;

const char* kCast =
    "zenthar-take 1\n"
    "car taxi model 90 at 12 6 0\n"
    "move 3 0 0\n"
    "capture 2001\n"
    "move 0 0 0\n"
    "press num1 \"Char create\"\n";

// A rehearsal of `take` beside the plug-in: the player alone at the origin, F9 at 0.1 s.
zt::Rehearsal Take(const std::string& take, const std::string& more = "", int seconds = 20) {
  const fs::path path = zt::TempPath("runner-test.take");
  std::ofstream(path, std::ios::binary) << take;
  zt::Rehearsal r =
      zt::Rehearse("model 2001 ped\nmodel 90 car\ntake " + sim::QuoteWord(path.string()) +
                   "\nat 0.1 press f9\n" + more + "run " + std::to_string(seconds) + "\n");
  fs::remove(path);
  return r;
}

std::vector<std::string> By(const zt::Rehearsal& r, const char* ev, bool runner) {
  std::vector<std::string> found;
  for (const std::string& line : r.Events(ev)) {
    if ((line.find("\"by\":\"Take\"") != std::string::npos) == runner) {
      found.push_back(zt::Field(line, "text"));
    }
  }
  return found;
}

TEST(TakeRunner, AMalformedTakeIsNamedOnScreenAndNothingIsPressed) {
  const zt::Rehearsal r = Take(std::string(kCast) + "press num1 \"Char create\" twice\n");
  EXPECT_EQ(By(r, "screen", true),
            std::vector<std::string>{"\"Take: line 7: usage: press KEY \\\"MESSAGE\\\"\""});
  EXPECT_TRUE(By(r, "screen", false).empty()) << "the plug-in was not touched";
  EXPECT_TRUE(r.Events("world").empty()) << "no car staged, no ped made, the player not moved";
}

TEST(TakeRunner, AMessageThatDiffersStopsTheTakeAtItsStep) {
  const zt::Rehearsal r = Take(std::string(kCast) + "press num+ \"ID changed to 2\"\n" +
                               "press num+ \"ID changed to 2\"\n");
  EXPECT_EQ(By(r, "screen", false),
            (std::vector<std::string>{"\"Model has been got\"", "\"Char create\"",
                                      "\"ID changed to 1\""}))
      << "nothing after the step that differed";
  EXPECT_EQ(By(r, "screen", true).back(),
            "\"Take stopped at step 6: expected 'ID changed to 2', the game showed 'ID changed "
            "to 1'\"");
}

// Keys off, the plug-in answers no key but its on/off key: the take waits a while, then stops.
TEST(TakeRunner, AMessageThatNeverComesStopsTheTakeAfterAWhile) {
  const zt::Rehearsal r =
      Take("zenthar-take 1\npress pause \"Zenthar is off\"\npress num1 \"Char create\"\n");
  EXPECT_EQ(By(r, "screen", false), std::vector<std::string>{"\"Zenthar is off\""});
  EXPECT_EQ(By(r, "screen", true).back(),
            "\"Take stopped at step 2: expected 'Char create', the game showed 'nothing'\"");
}

TEST(TakeRunner, AModelTheGameLacksStopsTheTakeAfterAWhile) {
  const zt::Rehearsal r = Take("zenthar-take 1\ncapture 9999\npress num1 \"Char create\"\n");
  const std::vector<std::string> said = By(r, "screen", true);
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[1], "\"Take stopped at step 1: model 9999 never loaded\"");
  EXPECT_GE(zt::TimeOf(r.Events("screen").back()), 10000u) << "given ten seconds to load";
  EXPECT_TRUE(r.Calls("CREATE_CHAR").empty());
  EXPECT_EQ(r.Calls("MARK_MODEL_AS_NO_LONGER_NEEDED").size(), 1u) << "the model is let go";
}

// Stopped while a capture ped waits for a key the plug-in ignores (its keys are off): the ped
// goes, and the plug-in's keys work again afterwards, with the runner already unloaded.
TEST(TakeRunner, StoppedHalfWayItLeavesNoCapturePedAndThePlugInItsImports) {
  const zt::Rehearsal r = Take(
      "zenthar-take 1\npress pause \"Zenthar is off\"\ncapture 2001\npress num1 \"Char create\"\n",
      "at 2 press f9\nat 3 unload take\nat 4 press pause\nat 5 press scroll\n");
  EXPECT_EQ(By(r, "screen", true).back(), "\"Take stopped at step 2: the start key was pressed\"");
  EXPECT_GE(r.Find({"\"what\":\"deleted\"", "\"ped\":\"extra1\""}),
            r.Find({"\"what\":\"created\"", "\"ped\":\"extra1\""}));
  EXPECT_NE(r.Find({"\"what\":\"deleted\"", "\"ped\":\"extra1\""}), -1)
      << "the capture ped is gone";
  EXPECT_EQ(
      By(r, "screen", false),
      (std::vector<std::string>{"\"Zenthar is off\"", "\"Zenthar is on\"", "\"Screen mode\""}))
      << "after the runner went, the plug-in reads the keyboard as before";
}

TEST(TakeRunner, UnloadedMidTakeThePlugInGoesOn) {
  std::string take = kCast;
  for (int i = 1; i <= 200; ++i) {
    take += "press num+ \"ID changed to " + std::to_string(i % 255) + "\"\n";
  }
  const zt::Rehearsal r = Take(take, "at 1 unload take\nat 2 press num-\n");
  const std::vector<std::string> plugin = By(r, "screen", false);
  ASSERT_GE(plugin.size(), 4u);
  EXPECT_LT(plugin.size(), 100u) << "the take ended with its runner";
  EXPECT_EQ(zt::TimeOf(r.Events("screen").back()), 2000u) << "the plug-in answered the key";
  EXPECT_EQ(r.Events("unload").size(), 2u) << "the runner, then everything at the end";
}

TEST(TakeRunner, TheStartKeyComesFromTakeIni) {
  const fs::path path = zt::TempPath("runner-test.take");
  std::ofstream(path, std::ios::binary) << kCast;
  const zt::Rehearsal r =
      zt::Rehearse("model 2001 ped\nmodel 90 car\ntake " + sim::QuoteWord(path.string()) +
                   "\ntake.ini \"Start=121\"\nat 0.1 press f9\n"
                   "at 0.5 press f10\nrun 5\n");
  fs::remove(path);
  const std::vector<std::string> said = By(r, "screen", true);
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said.front(), "\"Take started: 2 keys\"");
  EXPECT_GE(zt::TimeOf(r.Events("screen").front()), 500u) << "F9 did nothing";
  EXPECT_EQ(said.back(), "\"Take done: 2 keys\"");
}

// A show whose steps wait 100 ms a slot is running when the take starts: the player moves only
// once the plug-in's pass has ended, never inside a step.
TEST(TakeRunner, ThePlayerMovesOnlyBetweenThePlugInsPasses) {
  const fs::path path = zt::TempPath("runner-test.take");
  std::ofstream(path, std::ios::binary) << "zenthar-take 1\nmove 5 5 0\n";
  std::string scenario = "ped bob model 2001 at 3 0 0\ntake " + sim::QuoteWord(path.string()) +
                         "\nat 0.1 press backslash\n";
  for (int slot = 0; slot < 6; ++slot) {
    scenario += "at " + std::to_string(0.2 + 0.1 * slot) + " press num1 num+\n";
  }
  scenario += "at 1.5 press scroll\nat 1.6 press plus\nat 1.7 press num*\nat 1.8 press plus\n";
  scenario += "at 2 press backslash\nat 3.7 press f9\nrun 8\n";
  const zt::Rehearsal r = zt::Rehearse(scenario);
  fs::remove(path);
  ASSERT_EQ(r.out.film.shows.size(), 1u);
  const int moved = r.Find({"\"what\":\"moved\"", "\"by\":\"Take\""});
  ASSERT_NE(moved, -1);
  const std::uint64_t t = zt::TimeOf(r.lines[static_cast<std::size_t>(moved)]);
  for (const sim::Step& step : r.out.film.shows[0].steps) {
    EXPECT_FALSE(t > step.start && t < step.end)
        << "moved at " << t << " ms inside the step of screen " << step.screen << " (" << step.start
        << " to " << step.end << " ms)";
  }
  EXPECT_GT(t, 3700u);
}

// Version 2: a press that names no message must be taken and show nothing. Num 7 on foot saves
// no car and says nothing; Num + says which slot; with the keys off nothing is taken at all.
TEST(TakeRunner, AQuietPressMustBeTakenAndShowNothing) {
  EXPECT_EQ(By(Take("zenthar-take 2\npress num7\npress num+ \"ID changed to 1\"\n"), "screen", true)
                .back(),
            "\"Take done: 2 keys\"");
  EXPECT_EQ(By(Take("zenthar-take 2\npress num+\n"), "screen", true).back(),
            "\"Take stopped at step 1: expected no message, the game showed 'ID changed to 1'\"");
  const zt::Rehearsal off = Take("zenthar-take 2\npress pause \"Zenthar is off\"\npress num7\n");
  EXPECT_EQ(By(off, "screen", true).back(),
            "\"Take stopped at step 2: the game did not take the key\"");
  EXPECT_GE(zt::TimeOf(off.Events("screen").back()), 5000u) << "given five seconds";
}

// A version 2 take whose last line lost its line end: the line is left out, even though what is
// left of it would read.
TEST(TakeRunner, ATornLastLineIsLeftOutAndTheRunnerSaysSo) {
  const zt::Rehearsal r =
      Take("zenthar-take 2\npress num+ \"ID changed to 1\"\npress num+ \"ID changed to 2\"");
  EXPECT_EQ(By(r, "screen", false), std::vector<std::string>{"\"ID changed to 1\""});
  EXPECT_EQ(By(r, "screen", true),
            (std::vector<std::string>{"\"Take started: 1 keys; torn line 3 left out\"",
                                      "\"Take done: 1 keys\""}));
  // Its messages as the plug-in shows its own, for longer.
  EXPECT_NE(r.Find({"\"name\":\"PRINT_STRING_WITH_LITERAL_STRING_NOW\",\"args\":[\"STRING\","
                    "\"Take done: 1 keys\",3000,0]",
                    "\"by\":\"Take\""}),
            -1);
}

// The second play key comes while the first show plays, which takes it and does nothing: the
// runner presses it again once the show is over.
TEST(TakeRunner, APlayKeyDuringAShowIsPressedAgainAfterIt) {
  const zt::Rehearsal r = Take(
      "zenthar-take 1\npress scroll \"Screen mode\"\npress plus \"Screen do time changed to 1\"\n"
      "press num* \"Screen changed to 1\"\npress plus \"Screen do time changed to 1\"\n"
      "press backslash \"Play started\"\npress backslash \"Play started\"\n");
  EXPECT_EQ(By(r, "screen", true).back(), "\"Take done: 6 keys\"");
  ASSERT_EQ(r.out.film.shows.size(), 2u);
  EXPECT_GE(r.out.film.shows[1].start, r.out.film.shows[0].end) << "one show after the other";

  const zt::Rehearsal pgup = Take("zenthar-take 1\npress pgup \"SeatID changed to 1\"\n");
  EXPECT_EQ(By(pgup, "screen", true).back(),
            "\"Take stopped at step 1: expected 'SeatID changed to 1', the game showed 'nothing'\"")
      << "any other key that does nothing is a difference";
  EXPECT_LT(zt::TimeOf(pgup.Events("screen").back()), 1000u) << "seen at once";
}

// The runner loaded alone says so and does nothing else; with the plug-in but no take beside the
// game, it says that.
class Messages : public world::CallObserver {
 public:
  void OnNativeCall(const world::NativeCall& call) override {
    if (call.name == "PRINT_STRING_WITH_LITERAL_STRING_NOW" && call.args.size() == 4) {
      texts.push_back(call.args[1].text);
    }
  }
  std::vector<std::string> texts;
};

// The modules loaded in order into a game folder holding `files`, each of `keys` pressed before
// a tick of its own (kReload: the plug-in is unloaded and loaded again instead), two more ticks,
// then everything unloaded, the last loaded first: what the game showed, and the text of `saved`
// in the folder afterwards.
constexpr int kReload = -1;

struct Session {
  std::vector<std::string> shown;
  std::string saved;
};

Session Play(const std::vector<std::string>& modules,
             const std::vector<std::pair<std::string, std::string>>& files,
             const std::vector<int>& keys, const std::string& saved = "") {
  world::World w;
  Messages messages;
  world::InstallNatives(w, &messages, {});
  const fs::path folder = zt::TempPath("runner-game");
  for (const auto& [name, text] : files) {
    fs::create_directories((folder / name).parent_path());
    std::ofstream(folder / name, std::ios::binary) << text;
  }
  fs::create_directories(folder);
  std::error_code ignored;
  const fs::path previous = fs::current_path(ignored);
  fs::current_path(folder, ignored);
  for (const std::string& module : modules) {
    char error[512] = {};
    EXPECT_TRUE(tessel::LoadPlugin(module.c_str(), folder.string().c_str(), error, sizeof error))
        << error;
  }
  std::uint64_t t = 0;
  for (std::size_t i = 0; i < keys.size() + 2; ++i) {
    if (i < keys.size() && keys[i] == kReload) {
      const std::string plugin = sim::DefaultPluginPath();
      char error[512] = {};
      tessel::UnloadPlugin(plugin.c_str());
      EXPECT_TRUE(tessel::LoadPlugin(plugin.c_str(), folder.string().c_str(), error, sizeof error));
    } else if (i < keys.size()) {
      tessel::PressKey(keys[i]);
    }
    tessel::SetTime(t += 33);
    tessel::RunTick();
  }
  tessel::UnloadPlugin();
  fs::current_path(previous, ignored);
  world::RemoveNatives();
  Session session{messages.texts, ""};
  if (!saved.empty()) {
    std::ifstream in(folder / saved, std::ios::binary);
    session.saved.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  fs::remove_all(folder, ignored);
  return session;
}

TEST(TakeRunner, WithoutThePlugInOrATakeItSaysSoAndDoesNothing) {
  EXPECT_EQ(Play({sim::DefaultTakePath()}, {}, {120}).shown,
            std::vector<std::string>{"Take: Zenthar.dll is not loaded"});
  EXPECT_EQ(Play({sim::DefaultPluginPath(), sim::DefaultTakePath()}, {}, {120}).shown,
            std::vector<std::string>{"Take: there is no zenthar.take next to the game"});
  EXPECT_EQ(tessel::NativeCount(), 0u);
  EXPECT_EQ(tessel::ThreadCount(), 0);
}

// take.ini names the take to perform and the autosave folder the way players write paths, and
// sets the start key, in any order.
TEST(TakeRunner, TakeIniNamesTheTakeAndTheAutosaveFolderWithEitherSlash) {
  const Session session =
      Play({sim::DefaultPluginPath(), sim::DefaultTakePath()},
           {{"take.ini", "Autosave=films\\saved\r\nTake=films\\my.take  \r\nStart=121\r\n"},
            {"films/my.take", "zenthar-take 1\npress num+ \"ID changed to 1\"\n"}},
           {121}, "films/saved/2026-01-01_00-00-00.take");
  EXPECT_EQ(session.shown,
            (std::vector<std::string>{"Take started: 1 keys", "ID changed to 1",
                                      "Autosave: films/saved/2026-01-01_00-00-00.take",
                                      "Take done: 1 keys"}));
  EXPECT_NE(session.saved.find("\npress num+ \"ID changed to 1\"\n"), std::string::npos)
      << session.saved;
}

// Autosave=1, or nothing after the sign, is autosave on into takes, as the release's take.ini has
// it; any other value is the folder.
TEST(TakeRunner, AutosaveOneOrEmptyWritesIntoTakesAndAnythingElseIsTheFolder) {
  const std::pair<const char*, const char*> settings[] = {
      {"Autosave=1\n", "takes"}, {"Autosave=\n", "takes"}, {"Autosave=f\n", "f"}};
  for (const auto& [setting, folder] : settings) {
    const Session session =
        Play({sim::DefaultPluginPath(), sim::DefaultTakePath()}, {{"take.ini", setting}}, {107},
             std::string(folder) + "/2026-01-01_00-00-00.take");
    EXPECT_NE(session.saved.find("press num+ \"ID changed to 1\""), std::string::npos) << setting;
  }
}

// Loaded before the plug-in, the runner finds it once it is there and autosaves its keys; the
// plug-in then goes first, and the runner, going last, writes nothing into the module that is
// gone (the AddressSanitizer suite would see it).
TEST(TakeRunner, LoadedBeforeThePlugInItWatchesItAndOutlivesIt) {
  const Session session = Play({sim::DefaultTakePath(), sim::DefaultPluginPath()}, {}, {107, 145},
                               "takes/2026-01-01_00-00-00.take");
  EXPECT_EQ(session.shown,
            (std::vector<std::string>{"ID changed to 1", "Autosave: takes/2026-01-01_00-00-00.take",
                                      "Screen mode"}));
  EXPECT_NE(session.saved.find("\n\npress num+ \"ID changed to 1\"\npress scroll \"Screen "
                               "mode\"\n"),
            std::string::npos)
      << session.saved;
  EXPECT_EQ(tessel::ThreadCount(), 0);
}

// The plug-in goes and comes back while the runner stays: the runner stands in front of the new
// module, and its film, which starts afresh, goes into a file of its own.
TEST(TakeRunner, APlugInLoadedAgainStartsAnotherFile) {
  const Session session = Play({sim::DefaultPluginPath(), sim::DefaultTakePath()}, {},
                               {107, kReload, 0, 107}, "takes/2026-01-01_00-00-00_2.take");
  EXPECT_EQ(session.shown, (std::vector<std::string>{
                               "ID changed to 1", "Autosave: takes/2026-01-01_00-00-00.take",
                               "ID changed to 1", "Autosave: takes/2026-01-01_00-00-00_2.take"}))
      << "slot 1 again: the plug-in starts from slot 0";
  EXPECT_NE(session.saved.find("\n\npress num+ \"ID changed to 1\"\n"), std::string::npos)
      << session.saved;
}

}  // namespace
