// The take of a plan: the file the take runner performs in the game, so that a verified film
// comes back by itself, and the rehearsal that proves it through the runner and the plug-in.
#pragma once

#include <string>

#include "plan/planner.h"
#include "plan/shots.h"
#include "plan/verify.h"

namespace plan {

// The take, its places relative to the shot list's player start.
std::string TakeText(const ShotList& shots, const Plan& plan, const std::string& title);

// A place relative to `start`, written so that the runner, adding it to `start` in double and
// rounding once, lands exactly on `at`: the shortest decimal that does.
std::string RelativeNumber(float at, float start);

// The scenario that rehearses the take written at `takePath`: the player alone where the shot
// list starts, holding nothing, no bystanders and no cars, since the runner stages its own, and
// F9 pressed at once.
std::string TakeScenarioText(const ShotList& shots, const Plan& plan, const std::string& takePath);

// Rehearses the take through the runner and the plug-in and checks the film it recorded, each
// key's message, the show, and that the runner finished.
Verification VerifyTake(const ShotList& shots, const Plan& plan, const std::string& takePath,
                        const sim::RunOptions& options);

}  // namespace plan
