// Proof of a plan: its scenario rehearsed through the real plug-in, and the film the rehearsal
// recorded compared with the shot list field by field.
#pragma once

#include <string>
#include <vector>

#include "plan/planner.h"
#include "plan/shots.h"
#include "rehearsal/film.h"
#include "rehearsal/runner.h"

namespace plan {

struct Verification {
  bool ran = false;
  std::vector<std::string> differences;  // empty when the film matches
  int screens = 0;
  int cues = 0;
  int explosions = 0;
  bool take = false;             // the rehearsal ran a take through the take runner
  std::uint64_t takeTicks = 0;   // host ticks from the take's start to its end
  std::uint64_t stallTicks = 0;  // as many of them as the ticks that came late took
  sim::RunOutput out;
};

// Every way the film differs from the shot list, in the shot list's words.
std::vector<std::string> CompareFilm(const ShotList& shots, const sim::FilmReport& report);

// Rehearses `scenarioText` (the plan's scenario) and checks the film, the messages each key
// showed and the show that was played.
Verification Verify(const ShotList& shots, const Plan& plan, const std::string& scenarioText,
                    const sim::RunOptions& options);

}  // namespace plan
