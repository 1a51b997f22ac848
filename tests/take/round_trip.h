// Autosave round trips: a hand-directed rehearsal autosaves its take, the take is rehearsed by
// itself from a fresh world, and the two films are held against each other as the film sheet
// shows them, with cars and peds named by what they are in the film rather than by the handles
// and names each world gave them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"

namespace zt {

// A run and its film, written as every screen, cue, place, car, target and explosion, the cast
// and the shows played, with places as exact floats; cars numbered in the order the film names
// them, with their models, peds by their cast names. With `fates`, also what became of each car
// and ped by the end of the run (wrecked, gone), which the world decides rather than the film.
// Without `trace`, the run writes no trace, which is faster.
struct Filmed {
  sim::RunOutput out;
  std::string film;
};
Filmed Film(const sim::Scenario& scenario, bool fates, bool trace = true);

struct RoundTrip {
  Filmed made;       // the hand-directed run, with autosave on
  Filmed replayed;   // the autosaved take, rehearsed by itself
  std::string take;  // what the first run autosaved; empty when it saved nothing
};

// Rehearses `scenario` with autosave on, then the take it autosaved.
RoundTrip AutosaveRoundTrip(sim::Scenario scenario, bool fates, bool trace = true);

// A take rehearsed by itself, and its film.
Filmed Performed(const std::string& take);
sim::Scenario Parsed(const std::string& scenario);

// A short film by hand, from (10, 20, 0): a capture, two peds, a cue in a car, a cue at a spot, a
// show; nine messages.
extern const char* const kHandFilm;
// A scenario that autosaves into `folder`, with `more` statements, run to 12 s.
std::string WithAutosave(const std::string& film, const std::string& folder,
                         const std::string& more = "");

// The runner's own messages in a trace, in order.
std::vector<std::string> RunnerSaid(const std::string& trace);
std::string ReadText(const std::string& path);

// A scenario made up from a seed, directed by hand: keys in every mode, moves, cars entered and
// left, weapons switched, models captured from bystanders, shows played.
std::string RandomHandScenario(std::uint64_t seed);

}  // namespace zt
