// Prints the largest film, for tools outside the benchmark program (the show player's timing
// and the desk's engine in scripts/bench); with --shots, the same film as a shot list.
#include <cstdio>
#include <cstring>
#include <string>

#include "largest_film.h"
#include "largest_shots.h"

int main(int argc, char** argv) {
  const bool shots = argc > 1 && std::strcmp(argv[1], "--shots") == 0;
  const std::string text = shots ? zb::LargestShotsText() : zb::LargestFilm();
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
