// A take rehearsed by itself, and what a take's steps tell a rehearsal: the world it needs, the
// cars it stages, the keys the runner presses, and the set it implies for a shot list.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "rehearsal/scenario.h"
#include "take/take_file.h"

namespace sim {

// Whether the text is a take: its first word is "zenthar-take".
bool IsTake(const std::string& text);

// The scenario that rehearses the take `text`, read from `file`, by itself: the player alone at
// the take's start (its "# start X Y Z" line, else the origin), holding nothing; the models of its
// cars and captures declared; F9 at 0.1 s; and time for every step and the last show it plays. A
// take the runner would refuse is refused here, as FILE:LINE: problem.
std::string TakeScenario(const std::string& file, const std::string& text, Scenario& out);

// Each of a take's steps as the runner performs them, in order; lines it would refuse, and a torn
// last line, are left out. A take that does not read has none. One at a time: a take of the
// largest film has half a million.
void ForEachTakeStep(const std::string& take,
                     const std::function<void(const take::Step& step)>& visit);

// The scenario's set with what its take stages added, as a shot list needs it: the take's cars
// where they are staged, and a ped of each model it captures where it is captured, so that a film
// recorded through the take can be planned. Places are relative to the scenario's player start.
Scenario TakeSet(const Scenario& scenario);

// A temporary folder a run autosaves into, removed with the object: how a tool or a test gets
// the take a run autosaved.
class AutosaveFolder {
 public:
  // Points the scenario's autosave at a new folder of its own; with null, does nothing.
  explicit AutosaveFolder(Scenario* scenario);
  ~AutosaveFolder();
  AutosaveFolder(const AutosaveFolder&) = delete;
  AutosaveFolder& operator=(const AutosaveFolder&) = delete;

  // The take the run autosaved, the first by name when there are several; false when none.
  bool Take(std::string& text) const;
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
};

}  // namespace sim
