// The cue check: what in a recorded film will not play the way its director most likely meant
// (a cue for a slot no show reaches, a target or car gone before its screen, ...).
#pragma once

#include <vector>

#include "rehearsal/film.h"

namespace sim {

std::vector<Warning> CheckFilm(const FilmReport& report);

}  // namespace sim
