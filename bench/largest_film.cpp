// Prints the largest film, for tools outside the benchmark program (the show player's timing,
// the desk's engine and the peak memory in scripts/bench). With --shots, the same film as a shot
// list; with --every-cue, the largest shot list the planner and the take runner are measured on,
// every action in every cell of every screen.
#include <cstdio>
#include <cstring>
#include <string>

#include "largest_film.h"
#include "largest_shots.h"
#include "plan/random_shots.h"

int main(int argc, char** argv) {
  const char* option = argc > 1 ? argv[1] : "";
  std::string text;
  if (std::strcmp(option, "--shots") == 0) {
    text = zb::LargestShotsText();
  } else if (std::strcmp(option, "--every-cue") == 0) {
    text = plan::FormatShotList(plan::FullShotList(zb::kLargestSeed, plan::kScreens, plan::kSlots),
                                "# The largest film there can be, every action in it.\n");
  } else {
    text = zb::LargestFilm();
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
