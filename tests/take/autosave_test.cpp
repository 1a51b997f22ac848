// Autosave: the take runner writes down every key the plug-in takes with what the key read of
// the player, and the file, performed from a fresh world, records the same film. For the example
// films and for seeded random hand-directed scenarios; and what happens when the file cannot be
// written, the disk fills, the runner goes mid-film, the file is torn, a take runs meanwhile, or
// two sessions start in the same second.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "rehearsal/take_scenario.h"
#include "rehearse.h"
#include "round_trip.h"

namespace {

namespace fs = std::filesystem;

fs::path ExamplesFolder() {
  return fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// The runner's own messages in a trace, in order.
std::vector<std::string> RunnerSaid(const std::string& trace) {
  std::vector<std::string> said;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("\"ev\":\"screen\"") == std::string::npos ||
        line.find("\"by\":\"Take\"") == std::string::npos) {
      continue;
    }
    const std::string text = zt::Field(line, "text");
    said.push_back(text.substr(1, text.size() - 2));
  }
  return said;
}

std::vector<std::string> RunnerSaid(const zt::Rehearsal& r) {
  return RunnerSaid(r.out.trace);
}

sim::Scenario Parsed(const std::string& text) {
  sim::Scenario scenario;
  EXPECT_EQ(sim::ParseScenario("hand.film", text, scenario), "");
  return scenario;
}

// A take rehearsed by itself, and its film.
zt::Filmed Performed(const std::string& take) {
  sim::Scenario scenario;
  EXPECT_EQ(sim::TakeScenario("autosaved.take", take, scenario), "") << take;
  return zt::Film(scenario, false);
}

// A short film by hand: a capture, two peds, a cue in a car, a cue at a spot, a show.
const char* const kHandFilm =
    "player at 10 20 0\n"
    "ped bob model 2001 at 13 20 0\n"
    "car taxi model 90 at 15 22 0\n"
    "at 0.5 press backslash\n"
    "at 1.0 press num1\n"
    "at 1.5 press num+\n"
    "at 2.0 player at 12 24 0\n"
    "at 2.5 press num1\n"
    "at 3.0 press scroll\n"
    "at 3.5 player enter taxi\n"
    "at 4.0 press num9\n"
    "at 4.5 player leave\n"
    "at 5.0 player at 30 40.25 0\n"
    "at 5.5 press num3\n"
    "at 6.0 press plus\n"
    "at 6.5 press backslash\n";

std::string WithAutosave(const std::string& film, const fs::path& folder,
                         const std::string& more = "") {
  return "autosave " + sim::QuoteWord(folder.string()) + "\n" + film + more + "run 12\n";
}

TEST(Autosave, EveryExampleFilmComesBackFromItsAutosave) {
  int films = 0;
  for (const auto& entry : fs::directory_iterator(ExamplesFolder())) {
    if (entry.path().extension() != ".film") continue;
    ++films;
    SCOPED_TRACE(entry.path().filename().string());
    sim::Scenario scenario;
    ASSERT_EQ(sim::ParseScenario(entry.path().string(), ReadFile(entry.path()), scenario), "");
    const zt::RoundTrip trip = zt::AutosaveRoundTrip(scenario, true);
    ASSERT_FALSE(trip.take.empty()) << "nothing was autosaved";
    EXPECT_EQ(trip.take.rfind("zenthar-take 2\n", 0), 0u);
    EXPECT_EQ(trip.replayed.film, trip.made.film) << trip.take;
    const std::vector<std::string> said = RunnerSaid(trip.replayed.out.trace);
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back().rfind("Take done: ", 0), 0u) << said.back();
  }
  EXPECT_GE(films, 4);
}

TEST(Autosave, RandomHandDirectedScenariosComeBack) {
  const char* replay = std::getenv("ZENTHAR_SEED");
  const std::uint64_t seed =
      replay != nullptr ? std::strtoull(replay, nullptr, 10) : std::random_device{}();
  const char* count = std::getenv("ZENTHAR_SCENARIOS");
  const int scenarios = count != nullptr ? std::atoi(count) : 300;
  std::printf("autosave round trips: %d from seed %llu (replay with ZENTHAR_SEED=%llu)\n",
              scenarios, static_cast<unsigned long long>(seed),
              static_cast<unsigned long long>(seed));
  int captures = 0, cars = 0, weapons = 0, quiet = 0, moves = 0;
  for (int i = 0; i < scenarios; ++i) {
    const std::uint64_t one = seed + static_cast<std::uint64_t>(i);
    const std::string text = zt::RandomHandScenario(one);
    SCOPED_TRACE("scenario seed " + std::to_string(one) + " (ZENTHAR_SEED=" + std::to_string(one) +
                 " ZENTHAR_SCENARIOS=1 replays it):\n" + text);
    const zt::RoundTrip trip = zt::AutosaveRoundTrip(Parsed(text), false, false);
    if (trip.take.empty()) continue;
    ASSERT_EQ(trip.replayed.film, trip.made.film) << "the take:\n" << trip.take;
    captures += trip.take.find("\ncapture ") != std::string::npos;
    cars += trip.take.find("\nenter ") != std::string::npos;
    weapons += trip.take.find("\nweapon ") != std::string::npos;
    moves += trip.take.find("\nmove ") != std::string::npos;
    std::istringstream lines(trip.take);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("press ", 0) == 0 && line.find('"') == std::string::npos) {
        ++quiet;
        break;
      }
    }
  }
  std::printf("takes with captures %d, cars entered %d, weapons %d, quiet keys %d, moves %d\n",
              captures, cars, weapons, quiet, moves);
  if (scenarios >= 100) {
    EXPECT_GT(captures, scenarios / 2);
    EXPECT_GT(cars, scenarios / 5);
    EXPECT_GT(weapons, scenarios / 20);
    EXPECT_GT(quiet, scenarios / 5);
    EXPECT_GT(moves, scenarios / 2);
  }
}

TEST(Autosave, TheFileIsNamedByTheLocalTimeAndTheRunnerSaysWhereOnce) {
  const fs::path top = zt::TempPath("autosave-name");
  const fs::path folder = top / "films" / "new";
  const zt::Rehearsal r = zt::Rehearse(WithAutosave(kHandFilm, folder));
  const std::vector<fs::path> files = FilesIn(folder);
  ASSERT_EQ(files.size(), 1u) << "the folder and its parent were made";
  EXPECT_EQ(files[0].filename(), "2026-01-01_00-00-00.take");
  EXPECT_EQ(RunnerSaid(r), std::vector<std::string>{"Autosave: " + files[0].generic_string()});
  const int said = r.Find({"\"by\":\"Take\""});
  ASSERT_GE(said, 0);
  EXPECT_EQ(zt::TimeOf(r.lines[static_cast<std::size_t>(said)]), 500u)
      << "the file came with the first key";
  const std::string take = ReadFile(files[0]);
  EXPECT_NE(take.find("\n# start 10 20 0\n"), std::string::npos) << take;
  EXPECT_NE(take.find("\ncar car1 model 90 at 5 2 0\nenter car1\npress num9 \"Ped 1 will been "
                      "SEAT AS DRIVER at screen 0\"\nleave at 20 20.25 0\npress num3"),
            std::string::npos)
      << "staged where first used, places relative to the first key, out of the car before a "
         "move takes it along:\n"
      << take;
  fs::remove_all(top);
}

TEST(Autosave, TwoSessionsInTheSameSecondGiveTwoFilesThatBothPerform) {
  const fs::path folder = zt::TempPath("autosave-twice");
  zt::Rehearse(WithAutosave(kHandFilm, folder));
  zt::Rehearse(WithAutosave("player at 1 1 1\nat 0.5 press num+\n", folder));
  const std::vector<fs::path> files = FilesIn(folder);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].filename(), "2026-01-01_00-00-00.take");
  EXPECT_EQ(files[1].filename(), "2026-01-01_00-00-00_2.take") << "never over the first";
  EXPECT_EQ(Performed(ReadFile(files[0])).film,
            zt::Film(Parsed(std::string(kHandFilm) + "run 12\n"), false).film);
  const zt::Filmed second = Performed(ReadFile(files[1]));
  EXPECT_EQ(RunnerSaid(second.out.trace).back(), "Take done: 1 keys");
  fs::remove_all(folder);
}

TEST(Autosave, OffInTakeIniItWritesNothing) {
  const fs::path folder = zt::TempPath("autosave-off");
  const zt::Rehearsal r =
      zt::Rehearse(WithAutosave(kHandFilm, folder, "take.ini \"Autosave=0\"\n"));
  EXPECT_FALSE(fs::exists(folder)) << "not even the folder";
  EXPECT_TRUE(RunnerSaid(r).empty());
  EXPECT_EQ(r.Screens().size(), 9u) << "the plug-in answered every key";
}

// Where the folder should be there is a file: nothing can be written there, by anyone.
TEST(Autosave, AFolderThatCannotBeWrittenGetsOneMessageAndTheGameGoesOn) {
  const fs::path blocker = zt::TempPath("autosave-blocked");
  std::ofstream(blocker) << "not a folder\n";
  const zt::Rehearsal r = zt::Rehearse(WithAutosave(kHandFilm, blocker / "takes"));
  EXPECT_EQ(RunnerSaid(r), std::vector<std::string>{"Autosave: cannot write " +
                                                    (blocker / "takes").generic_string() +
                                                    "/2026-01-01_00-00-00.take; autosave is off"});
  EXPECT_EQ(r.Screens().size(), 10u) << "the plug-in's nine messages and the runner's one";
  EXPECT_EQ(r.out.film.shows.size(), 1u) << "the show played";
  fs::remove(blocker);
}

// The file may grow to a few lines; then every write fails, as on a full disk.
TEST(Autosave, ADiskThatFillsMidFilmGetsOneMessageAndWhatWasWrittenPerforms) {
  const fs::path folder = zt::TempPath("autosave-full");
  constexpr rlim_t kBytes = 560;
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit limit = before;
  limit.rlim_cur = kBytes;
  setrlimit(RLIMIT_FSIZE, &limit);
  const zt::Rehearsal r = zt::Rehearse(WithAutosave(kHandFilm, folder));
  setrlimit(RLIMIT_FSIZE, &before);
  sigaction(SIGXFSZ, &previous, nullptr);

  const fs::path file = folder / "2026-01-01_00-00-00.take";
  EXPECT_EQ(RunnerSaid(r),
            (std::vector<std::string>{
                "Autosave: " + file.generic_string(),
                "Autosave: cannot write to " + file.generic_string() + "; autosave is off"}));
  EXPECT_EQ(r.out.film.shows.size(), 1u) << "the game went on";
  const std::string take = ReadFile(file);
  ASSERT_EQ(take.size(), kBytes);
  ASSERT_NE(take.back(), '\n') << "the limit cuts a line";
  int lines = 0, keys = 0;
  std::istringstream whole(take.substr(0, take.rfind('\n') + 1));
  for (std::string line; std::getline(whole, line); ++lines) {
    keys += line.rfind("press ", 0) == 0 || line.rfind("capture ", 0) == 0 ? 1 : 0;
  }
  const std::vector<std::string> said = RunnerSaid(Performed(take).out.trace);
  ASSERT_GE(said.size(), 2u);
  EXPECT_EQ(said.front(), "Take started: " + std::to_string(keys) + " keys; line " +
                              std::to_string(lines + 1) + " was cut off and is left out");
  EXPECT_EQ(said.back(), "Take done: " + std::to_string(keys) + " keys");
  fs::remove_all(folder);
}

// The runner goes at 4.2 s, after the key in the taxi: the file holds every key up to then, and
// performs the film as it stood.
TEST(Autosave, TheRunnerUnloadedMidFilmLeavesAFileOfEveryKeyUpToThen) {
  const fs::path folder = zt::TempPath("autosave-unloaded");
  std::string hand = kHandFilm;
  const std::size_t after = hand.find("at 4.5");
  zt::Rehearse(
      WithAutosave(hand.substr(0, after) + "at 4.2 unload take\n" + hand.substr(after), folder));
  const std::vector<fs::path> files = FilesIn(folder);
  ASSERT_EQ(files.size(), 1u);
  const std::string upToThen = hand.substr(0, hand.find("at 4.5")) + "run 4.2\n";
  EXPECT_EQ(Performed(ReadFile(files[0])).film, zt::Film(Parsed(upToThen), false).film);
  EXPECT_EQ(ReadFile(files[0]).back(), '\n');
  fs::remove_all(folder);
}

// A take performed while autosave is on: the autosave holds the take's keys, and performs too.
TEST(Autosave, ATakeRunningMeanwhileIsAutosavedAsWell) {
  const fs::path folder = zt::TempPath("autosave-take");
  const fs::path take = zt::TempPath("autosave-take.take");
  std::ofstream(take, std::ios::binary) << "zenthar-take 1\ncar taxi model 90 at 5 2 0\n"
                                           "move 3 0 0\ncapture 2001\nmove 0 0 0\n"
                                           "press num1 \"Char create\"\nenter taxi\n"
                                           "press scroll \"Screen mode\"\n"
                                           "press num9 \"Ped 0 will been SEAT AS DRIVER at "
                                           "screen 0\"\n";
  const std::string scenario = "player at 10 20 0\nmodel 2001 ped\nmodel 90 car\ntake " +
                               sim::QuoteWord(take.string()) + "\nat 0.1 press f9\n";
  const zt::Rehearsal r = zt::Rehearse(WithAutosave(scenario, folder, "at 2 press num+\n"));
  const std::vector<fs::path> files = FilesIn(folder);
  ASSERT_EQ(files.size(), 1u);
  const std::string saved = ReadFile(files[0]);
  EXPECT_NE(saved.find("capture 2001\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\npress num9 \"Ped 0 will been SEAT AS DRIVER at screen 0\"\n"
                       "press num+ \"ID changed to 1\"\n"),
            std::string::npos)
      << "the take's keys, then the player's own:\n"
      << saved;
  EXPECT_EQ(Performed(saved).film,
            zt::Film(Parsed(scenario + "at 2 press num+\nrun 12\n"), false).film);
  fs::remove(take);
  fs::remove_all(folder);
}

}  // namespace
