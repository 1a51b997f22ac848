// The planner: the keys and player moves that record a shot list's film, in an order that
// presses as few keys as it can, and the scenario that performs them.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "plan/shots.h"
#include "rehearsal/scenario.h"

namespace plan {

struct PlanStep {
  enum class Kind { heading, walk, enter, leave, weapon, key };
  Kind kind = Kind::key;
  std::string text;  // a heading, or why a key is pressed
  Spot spot;         // walk; leave: where the player stands once out
  std::string car;   // enter
  std::int32_t weapon = 0;
  int key = 0;
  std::int32_t model = 0;  // a key that captures a model: the model
  std::string message;     // what the key shows on the game screen
  int screen = -1;         // heading: the screen a section records, -1 for casting and the end
};

struct Plan {
  // A deque: the largest film has half a million steps, and a 32-bit tool may not find room for
  // them, and for a copy while they grow, in one block.
  std::deque<PlanStep> steps;
  int keys = 0;
  int lowerBound = 0;  // captures, creations, cues, explosions, duration steps, modes, play
  int playedScreens = 0;
  std::uint64_t showMs = 0;  // how long the show may take at most, from the play key
};

// A fight records the target selected in mode 2. Fights at other targets than the one selected
// are recorded in a pass of their own for each target, or screen by screen with a trip to mode 2
// for each. `best` plans every way that can make a difference and keeps the one with the fewest
// keys.
// Aims and looks at a target (mode 2) are recorded with their screen, or all at the end, each
// time the nearest one next.
enum class Fights { best, byTarget, byScreen };
enum class Targets { best, withScreen, last };
Plan MakePlan(const ShotList& shots, Fights fights = Fights::best, Targets targets = Targets::best);

// The scenario that performs the plan, in today's scenario format, one key a host tick.
std::string PlanScenarioText(const ShotList& shots, const Plan& plan);

// The order that visits every value in `points` on a ring of `size` values, starting at `start`,
// with the fewest steps; and the steps from one value to another, + or -, whichever is shorter.
std::vector<int> RingTour(int start, std::vector<int> points, int size);
int RingSteps(int from, int to, int size);

// A key as a person at the game reads it ("Num +", "Page Up", "\\").
const char* KeyLabel(int key);

}  // namespace plan
