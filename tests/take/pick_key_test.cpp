// The picker key in rehearsals beside the real plug-in: it steps through zenthar.take and the
// autosave folder's takes, newest first, and wraps; the start key performs the take shown and the
// plug-in records its film; no takes and a take that does not read each say so and press nothing;
// during a take the key shows how far it is; Pick= moves the key; hundreds of takes step alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "rehearsal/scenario.h"
#include "rehearse.h"

namespace {

namespace fs = std::filesystem;

const char kFirst[] = "zenthar-take 1\npress num+ \"ID changed to 1\"\n";
// A capture and a ped made of it: the film the plug-in records shows in the world.
const char kNewest[] = "zenthar-take 2\n# Autosaved\ncapture 2001\npress num1 \"Char create\"\n";

class PickKey : public ::testing::Test {
 protected:
  void SetUp() override {
    top_ = zt::TempPath("pick-key");
    fs::create_directories(top_ / "takes");
    folder_ = (top_ / "takes").generic_string();
    now_ = fs::file_time_type::clock::now();
  }
  void TearDown() override { fs::remove_all(top_); }

  void Take(const std::string& name, const std::string& text, int age) const {
    const fs::path path = top_ / "takes" / name;
    std::ofstream(path, std::ios::binary) << text;
    fs::last_write_time(path, now_ - std::chrono::seconds(age));
  }
  static std::string Presses(int keys) {
    std::string text = "zenthar-take 2\n";
    for (int i = 0; i < keys; ++i) text += "press num+\n";
    return text;
  }
  // The runner loaded with autosave into the folder, and `first` as zenthar.take when given.
  zt::Rehearsal Run(const std::string& first, const std::string& more, int seconds) const {
    std::string scenario = "model 2001 ped\nautosave " + sim::QuoteWord(folder_) + "\n";
    const fs::path firstPath = top_ / "first.take";
    if (!first.empty()) {
      std::ofstream(firstPath, std::ios::binary) << first;
      scenario += "take " + sim::QuoteWord(firstPath.string()) + "\n";
    }
    return zt::Rehearse(scenario + more + "run " + std::to_string(seconds) + "\n");
  }
  std::string In(const std::string& name) const { return folder_ + "/" + name; }

  fs::path top_;
  std::string folder_;
  fs::file_time_type now_;
};

std::vector<std::string> By(const zt::Rehearsal& r, bool runner) {
  std::vector<std::string> found;
  for (const std::string& line : r.Events("screen")) {
    if ((line.find("\"by\":\"Take\"") != std::string::npos) == runner) {
      found.push_back(zt::Field(line, "text"));
    }
  }
  return found;
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

TEST_F(PickKey, StepsNewestFirstWrapsAndTheStartKeyPerformsTheTakeShown) {
  Take("old.take", Presses(3), 300);
  Take("new.take", kNewest, 100);
  Take("mid.take", Presses(2), 200);
  const zt::Rehearsal r = Run(kFirst,
                              "at 0.5 press f10\nat 1 press f10\nat 1.5 press f10\nat 2 press f10\n"
                              "at 2.5 press f10\nat 3 press f10\nat 3.5 press f9\n",
                              15);
  const std::vector<std::string> said = By(r, true);
  const std::vector<std::string> want = {Quoted("Take 1 of 4: zenthar.take, 1 keys"),
                                         Quoted("Take 2 of 4: " + In("new.take") + ", 2 keys"),
                                         Quoted("Take 3 of 4: " + In("mid.take") + ", 2 keys"),
                                         Quoted("Take 4 of 4: " + In("old.take") + ", 3 keys"),
                                         Quoted("Take 1 of 4: zenthar.take, 1 keys"),
                                         Quoted("Take 2 of 4: " + In("new.take") + ", 2 keys"),
                                         Quoted("Take started: 2 keys")};
  ASSERT_GE(said.size(), want.size());
  EXPECT_EQ(std::vector<std::string>(said.begin(), said.begin() + 7), want);
  EXPECT_EQ(said.back(), Quoted("Take done: 2 keys"));
  EXPECT_EQ(By(r, false), (std::vector<std::string>{"\"Model has been got\"", "\"Char create\""}))
      << "the plug-in took new.take's keys, not zenthar.take's";
  EXPECT_NE(r.Find({"\"what\":\"created\",\"ped\":\"cast1\",\"detail\":\"model 2001\""}), -1)
      << "the plug-in made the film's ped of the captured model";
}

TEST_F(PickKey, NoTakesAnywhereSaysSoAndNothingStarts) {
  const zt::Rehearsal r = Run("", "at 0.5 press f10\nat 1 press f9\n", 3);
  EXPECT_EQ(By(r, true),
            (std::vector<std::string>{Quoted("Take: no takes in zenthar.take or " + folder_ + "/"),
                                      Quoted("Take: there is no zenthar.take next to the game")}));
  EXPECT_TRUE(By(r, false).empty()) << "the plug-in was not touched";
  EXPECT_TRUE(r.Events("world").empty());
  EXPECT_TRUE(fs::is_empty(top_ / "takes")) << "nothing was autosaved";
}

TEST_F(PickKey, ATakeThatDoesNotReadIsNamedWithItsLineAndNothingIsPressed) {
  Take("bad.take", "zenthar-take 2\npress num+\njump\n", 10);
  const zt::Rehearsal r = Run("", "at 0.5 press f10\nat 1 press f9\n", 3);
  EXPECT_EQ(By(r, true), (std::vector<std::string>{Quoted("Take 1 of 1: " + In("bad.take") +
                                                          ", line 3: unknown step 'jump'"),
                                                   Quoted("Take: line 3: unknown step 'jump'")}));
  EXPECT_TRUE(By(r, false).empty()) << "the plug-in was not touched";
  EXPECT_TRUE(r.Events("world").empty());
}

TEST_F(PickKey, PickInTakeIniMovesTheKey) {
  Take("only.take", Presses(1), 10);
  const zt::Rehearsal r =
      Run(kFirst, "take.ini \"Pick=122\"\nat 0.5 press f10\nat 1 press f11\nat 1.5 press f11\n", 3);
  EXPECT_EQ(By(r, true),
            (std::vector<std::string>{Quoted("Take 1 of 2: zenthar.take, 1 keys"),
                                      Quoted("Take 2 of 2: " + In("only.take") + ", 1 keys")}));
  EXPECT_GE(zt::TimeOf(r.Events("screen").front()), 1000u) << "F10 did nothing";
}

// The take under way goes on as it was, the key showing how far it is; after it the key steps as
// before.
TEST_F(PickKey, DuringATakeTheKeySaysSoAndChangesNothing) {
  std::string first = "zenthar-take 1\n";
  for (int i = 1; i <= 40; ++i) {
    first += "press num+ \"ID changed to " + std::to_string(i) + "\"\n";
  }
  Take("other.take", Presses(1), 10);
  const zt::Rehearsal r = Run(first, "at 0.1 press f9\nat 0.5 press f10\nat 20 press f10\n", 25);
  const std::vector<std::string> said = By(r, true);
  const auto at = [&](const std::string& text) {
    return std::find(said.begin(), said.end(), Quoted(text)) - said.begin();
  };
  const std::string why = testing::PrintToString(said);
  EXPECT_EQ(at("Take started: 40 keys"), 0) << why;
  // Shown when the key is pressed, at 0.5 s: how far the take is.
  std::string shown;
  for (const std::string& line : r.Events("screen")) {
    if (zt::TimeOf(line) >= 500 && line.find("\"by\":\"Take\"") != std::string::npos) {
      shown = zt::Field(line, "text");
      break;
    }
  }
  EXPECT_TRUE(std::regex_match(shown, std::regex("\"Take: [1-9][0-9]* of 40 keys\""))) << shown;
  EXPECT_LT(at("Take done: 40 keys"), static_cast<long>(said.size())) << why;
  // Its autosave is the folder's newest take now.
  EXPECT_EQ(said.back(), Quoted("Take 1 of 3: zenthar.take, 40 keys")) << why;
  EXPECT_EQ(By(r, false).size(), 40u) << "every key of the take, none other";
}

TEST_F(PickKey, HundredsOfTakesStepAndTheOneShownPerforms) {
  for (int i = 0; i < 300; ++i) Take("t" + std::to_string(1000 + i) + ".take", Presses(1), 10 + i);
  Take("t1002.take", kNewest, 12);
  const zt::Rehearsal r =
      Run("", "at 0.5 press f10\nat 1 press f10\nat 1.5 press f10\nat 2 press f9\n", 12);
  const std::vector<std::string> said = By(r, true);
  ASSERT_GE(said.size(), 4u);
  EXPECT_EQ(said[0], Quoted("Take 1 of 300: " + In("t1000.take") + ", 1 keys"));
  EXPECT_EQ(said[2], Quoted("Take 3 of 300: " + In("t1002.take") + ", 2 keys"));
  EXPECT_EQ(said[3], Quoted("Take started: 2 keys"));
  EXPECT_EQ(said.back(), Quoted("Take done: 2 keys"));
}

}  // namespace
