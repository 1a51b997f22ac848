// The end of a rehearsal's transcript: the run in a few lines.
#pragma once

#include <string>

#include "rehearsal/runner.h"

namespace sim {

// The cast, the film as it stands, the shows played and, when `checked`, the check's count.
std::string RunSummary(const RunOutput& out, bool checked);

}  // namespace sim
