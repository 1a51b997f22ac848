// What the desk opens and exports besides a shot list's own answer: a take or a scenario opened as
// the shot list zenthar-sim writes for it, and a shot list's show player page, storyboard and film
// sheet as zenthar-sim writes them for the list's plan (src/desk/README.md).
#pragma once

#include <string>

#include "rehearsal/scenario.h"

namespace desk {

// {ok, file, text, from, source, problems[, error]}: the shot list `zenthar-sim FILE --shots`
// writes for a take or a scenario, named after FILE; a shot list as it is.
std::string Open(const std::string& file, const std::string& text);

// {ok, file, text[, problems, error]}: `as` is player, storyboard or sheet.
std::string Export(const std::string& file, const std::string& text, const std::string& as);
bool KnownExport(const std::string& as);

// A scenario as zenthar-sim reads one: a take (its first word zenthar-take) rehearsed by itself,
// else a scenario. A scenario's take line is refused at its line, before any file is read: the
// desk has the one file it was given. An empty string, or FILE:LINE: problem.
std::string ReadScenario(const std::string& file, const std::string& text, sim::Scenario& out);

// The parts every answer shares: the file name a tool's messages and pages use for an input, a
// failure, and a reader's "FILE:LINE: problem" as [{"line", "text"}].
std::string Title(const std::string& file);
std::string Failure(const std::string& error);
std::string Problems(const std::string& file, const std::string& problem);

}  // namespace desk
