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

// The world a run is rehearsed in: the calm one, or a rough one from a seed.
struct Ground {
  bool rough = false;
  std::uint64_t seed = 0;
};
Ground Rough(std::uint64_t seed);

// A run and its film, written as every screen, cue, place, car, target and explosion, the cast
// and the shows played, with places as exact floats; cars numbered in the order the film names
// them, with their models, peds by their cast names. With `fates`, also what became of each car
// and ped by the end of the run (wrecked, gone), which the world decides rather than the film.
// Without `trace`, the run writes no trace, which is faster.
struct Filmed {
  sim::RunOutput out;
  std::string film;
};
Filmed Film(const sim::Scenario& scenario, bool fates, bool trace = true, Ground ground = {});

struct RoundTrip {
  Filmed made;       // the hand-directed run, with autosave on
  Filmed replayed;   // the autosaved take, rehearsed by itself
  std::string take;  // what the first run autosaved; empty when it saved nothing
};

// Rehearses `scenario` with autosave on on `made` ground, then the take it autosaved on
// `replayed` ground.
RoundTrip AutosaveRoundTrip(sim::Scenario scenario, bool fates, bool trace = true, Ground made = {},
                            Ground replayed = {});

// A take rehearsed by itself, and its film.
Filmed Performed(const std::string& take, Ground ground = {}, bool fates = false);
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
// left, weapons switched, models captured from bystanders, shows played, often from elsewhere
// than the last key that read a place, after a drive. Its film's fates are set by the film alone,
// in any world: each show is waited out before the next key, and the cars stand still through it,
// so that every explosion finds each car exactly where the film left it. A film either sets off
// explosions or seats its cast at the wheel, never both, since a cast driver's car moves through
// a show by the clock, and a rough world's clock is not the calm one's.
std::string RandomHandScenario(std::uint64_t seed);

}  // namespace zt
