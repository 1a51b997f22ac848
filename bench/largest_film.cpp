// Prints the largest film, for tools outside the benchmark program (the show player's timing
// in scripts/bench).
#include <cstdio>

#include "largest_film.h"

int main() {
  const std::string film = zb::LargestFilm();
  std::fwrite(film.data(), 1, film.size(), stdout);
  return 0;
}
