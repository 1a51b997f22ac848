// Prints the largest film, for tools outside the benchmark program: as the scenario that records
// it key by key (the show player's timing in scripts/bench), or with --shots as the largest shot
// list, every cue of every screen, which the planner and the take runner are measured on.
#include <cstdio>
#include <cstring>

#include "largest_film.h"
#include "plan/random_shots.h"
#include "plan/shots.h"

int main(int argc, char** argv) {
  const bool shots = argc > 1 && std::strcmp(argv[1], "--shots") == 0;
  const std::string text =
      shots
          ? plan::FormatShotList(plan::FullShotList(zb::kLargestSeed, plan::kScreens, plan::kSlots),
                                 "# The largest film there can be.\n")
          : zb::LargestFilm();
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
