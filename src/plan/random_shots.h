// Shot lists made up from a seed, for round-trip tests and benchmarks: any cue code, explosion
// kind, seat and target, on any screen and slot.
#pragma once

#include <cstdint>

#include "plan/shots.h"

namespace plan {

struct RandomShape {
  int screens = 4;        // screens listed, at most
  int cuesPerScreen = 4;  // at most
  int explosionsPerScreen = 2;
  int cast = 5;           // slots cast, at most
  bool extremes = false;  // use screen 255, slot 254 and target 254 as well
};

ShotList RandomShotList(std::uint64_t seed, const RandomShape& shape);

// Every screen 0..screens-1 with a cue for every slot 0..slots-1, and every slot cast: the
// largest film the plug-in holds when screens = 256 and slots = 255.
ShotList FullShotList(std::uint64_t seed, int screens, int slots);

}  // namespace plan
