// Autosave on a disk that fills mid-film, made with the file-size limit of the Linux build: one
// message, the game goes on, and what was written performs, whatever the last line holds.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "rehearse.h"
#include "round_trip.h"

namespace {

namespace fs = std::filesystem;

// The file may grow to a few lines; then every write fails.
TEST(Autosave, ADiskThatFillsMidFilmGetsOneMessageAndWhatWasWrittenPerforms) {
  const fs::path folder = zt::TempPath("autosave-full");
  constexpr rlim_t kBytes = 320;
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit limit = before;
  limit.rlim_cur = kBytes;
  setrlimit(RLIMIT_FSIZE, &limit);
  const zt::Rehearsal r = zt::Rehearse(zt::WithAutosave(zt::kHandFilm, folder.string()));
  setrlimit(RLIMIT_FSIZE, &before);
  sigaction(SIGXFSZ, &previous, nullptr);

  const fs::path file = folder / "2026-01-01_00-00-00.take";
  EXPECT_EQ(zt::RunnerSaid(r.out.trace),
            (std::vector<std::string>{
                "Autosave: " + file.generic_string(),
                "Autosave: cannot write to " + file.generic_string() + "; autosave is off"}));
  EXPECT_EQ(r.out.film.shows.size(), 1u) << "the game went on";
  const std::string take = zt::ReadText(file.string());
  ASSERT_EQ(take.size(), kBytes);
  ASSERT_NE(take.back(), '\n') << "the limit cuts a line";
  int lines = 0, keys = 0;
  std::istringstream whole(take.substr(0, take.rfind('\n') + 1));
  for (std::string line; std::getline(whole, line); ++lines) {
    keys += line.rfind("press ", 0) == 0 || line.rfind("capture ", 0) == 0 ? 1 : 0;
  }
  const std::vector<std::string> said = zt::RunnerSaid(zt::Performed(take).out.trace);
  ASSERT_GE(said.size(), 2u);
  EXPECT_EQ(said.front(), "Take started: " + std::to_string(keys) + " keys; torn line " +
                              std::to_string(lines + 1) + " left out");
  EXPECT_EQ(said.back(), "Take done: " + std::to_string(keys) + " keys");
  fs::remove_all(folder);
}

}  // namespace
