// Autosave on a disk that fills mid-film, made with the file-size limit of the Linux build: one
// message, the game goes on, and what was written performs, whatever the last line holds; and so
// wherever the disk fills, in the header or on any step.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "rehearse.h"
#include "round_trip.h"

namespace {

namespace fs = std::filesystem;

// The hand film, its autosave limited to `bytes`: the runner's messages, what was written, and
// whether the game went on to play the show.
struct Limited {
  std::vector<std::string> said;
  std::string take;
  bool showPlayed;
};

// The limit holds from when the run has written what the modules read (take.ini among them)
// to the run's end.
class FileSizeLimit : public sim::RunHooks {
 public:
  explicit FileSizeLimit(rlim_t bytes) : bytes_(bytes) {}
  void Started(world::World&) override {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous_);
    getrlimit(RLIMIT_FSIZE, &before_);
    rlimit limit = before_;
    limit.rlim_cur = bytes_;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  void Finished(const world::World&, std::uint64_t) override {
    setrlimit(RLIMIT_FSIZE, &before_);
    sigaction(SIGXFSZ, &previous_, nullptr);
  }

 private:
  rlim_t bytes_;
  rlimit before_{};
  struct sigaction previous_ {};
};

Limited AutosaveWithin(rlim_t bytes, const fs::path& folder) {
  sim::Scenario scenario;
  EXPECT_EQ(
      sim::ParseScenario("hand.film", zt::WithAutosave(zt::kHandFilm, folder.string()), scenario),
      "");
  FileSizeLimit limit(bytes);
  const sim::RunOutput out = sim::RunScenario(scenario, {}, &limit);
  EXPECT_TRUE(out.ok) << out.error;
  const std::string take = zt::ReadText((folder / "2026-01-01_00-00-00.take").string());
  fs::remove_all(folder);
  return {zt::RunnerSaid(out.trace), take, out.film.shows.size() == 1};
}

// Every line of the whole autosave, cut three bytes in: in the header, at a car, a leave, a move,
// a press, a capture.
TEST(Autosave, WhereverTheDiskFillsTheRunnerSaysSoOnceAndTheGameGoesOn) {
  const fs::path folder = zt::TempPath("autosave-anywhere");
  const std::string whole = AutosaveWithin(RLIM_INFINITY, folder).take;
  ASSERT_GT(whole.size(), 300u);
  const std::size_t header = whole.find("\n\n") + 2;
  for (std::size_t start = 0; start < whole.size(); start = whole.find('\n', start) + 1) {
    SCOPED_TRACE("the disk full at byte " + std::to_string(start + 3) + " of\n" + whole);
    const Limited cut = AutosaveWithin(start + 3, folder);
    // The runner says where it writes once the header is written.
    ASSERT_EQ(cut.said.size(), start + 3 < header ? 1u : 2u);
    EXPECT_EQ(cut.said.back().rfind("Autosave: cannot write to ", 0), 0u) << cut.said.back();
    EXPECT_TRUE(cut.showPlayed);
    EXPECT_EQ(cut.take, whole.substr(0, start + 3));
    if (whole.find('\n') < start) {
      const std::vector<std::string> performed = zt::RunnerSaid(zt::Performed(cut.take).out.trace);
      ASSERT_FALSE(performed.empty());
      EXPECT_EQ(performed.back().rfind("Take done: ", 0), 0u) << performed.back();
    }
  }
}

// The file may grow to a few lines; then every write fails. The runner said where it writes,
// then that it cannot; the last line is cut, and everything above it performs.
TEST(Autosave, ADiskThatFillsMidFilmGetsOneMessageAndWhatWasWrittenPerforms) {
  const fs::path folder = zt::TempPath("autosave-full");
  constexpr rlim_t kBytes = 320;
  const Limited cut = AutosaveWithin(kBytes, folder);
  const std::string file = (folder / "2026-01-01_00-00-00.take").generic_string();
  EXPECT_EQ(cut.said,
            (std::vector<std::string>{"Autosave: " + file,
                                      "Autosave: cannot write to " + file + "; autosave is off"}));
  EXPECT_TRUE(cut.showPlayed) << "the game went on";
  ASSERT_EQ(cut.take.size(), kBytes);
  ASSERT_NE(cut.take.back(), '\n') << "the limit cuts a line";
  int lines = 0, keys = 0;
  std::istringstream whole(cut.take.substr(0, cut.take.rfind('\n') + 1));
  for (std::string line; std::getline(whole, line); ++lines) {
    keys += line.rfind("press ", 0) == 0 || line.rfind("capture ", 0) == 0 ? 1 : 0;
  }
  const std::vector<std::string> said = zt::RunnerSaid(zt::Performed(cut.take).out.trace);
  ASSERT_GE(said.size(), 2u);
  EXPECT_EQ(said.front(), "Take started: " + std::to_string(keys) + " keys; torn line " +
                              std::to_string(lines + 1) + " left out");
  EXPECT_EQ(said.back(), "Take done: " + std::to_string(keys) + " keys");
}

}  // namespace
