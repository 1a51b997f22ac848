// The show player: one self-contained web page that replays a rehearsal on virtual time. The
// map moves the player, the cast, bystanders and cars as the world moved them; the game's screen
// text, the host's log, the keys as they were pressed, the editor's state as the film recorder
// mirrors it, and the show's timeline run alongside.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "rehearsal/film.h"
#include "rehearsal/recorders.h"
#include "rehearsal/scenario.h"

namespace sim {

// The page, with the film's data embedded. `report` is the run's film and shows.
std::string RenderPlayer(const FilmReport& report, const PlayerRecorder& recorder,
                         const Scenario& scenario, const std::string& title);
// The data alone, the JSON object the page embeds.
std::string PlayerData(const FilmReport& report, const PlayerRecorder& recorder,
                       const Scenario& scenario, const std::string& title);

}  // namespace sim
