// The shooting script: the plan as numbered steps for a person at the game, in Markdown.
#pragma once

#include <string>

#include "plan/planner.h"
#include "plan/shots.h"

namespace plan {

std::string ShootingScript(const ShotList& shots, const Plan& plan, const std::string& title);

}  // namespace plan
