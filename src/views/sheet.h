// The film sheet: the recorded film screen by screen, as Markdown a person can print.
#pragma once

#include <string>
#include <vector>

#include "rehearsal/film.h"

namespace sim {

std::string FilmSheet(const FilmReport& report, const std::string& title,
                      const std::vector<Warning>& warnings);

}  // namespace sim
