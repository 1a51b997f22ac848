// Runs a scenario through the real plug-in and the stand-in host, on virtual time.
#pragma once

#include <string>
#include <vector>

#include "events.h"
#include "film.h"
#include "scenario.h"
#include "world.h"

namespace sim {

struct RunOptions {
  std::string pluginPath;  // empty: the plug-in beside the executable
  bool transcriptNatives = false;
  bool check = false;              // put the cue check's warnings into the trace and transcript
  std::vector<Subscriber*> extra;  // further subscribers, after the trace and the transcript
  bool writeTrace = true;          // false: no trace and no transcript, for runs read only for
                                   // their film
};

struct RunOutput {
  bool ok = false;
  std::string error;
  std::string trace;
  std::string transcript;
  std::string state;              // the world's final state as JSON
  FilmReport film;                // the film as the plug-in held it at the end
  std::vector<Warning> warnings;  // the cue check, whether or not it went into the trace
};

// Called after the world is set up and before the plug-in loads, and after the run ends.
class RunHooks {
 public:
  virtual ~RunHooks() = default;
  virtual void Started(world::World& w) {}
  virtual void Finished(const world::World& w, std::uint64_t endTime) {}
};

RunOutput RunScenario(const Scenario& scenario, const RunOptions& options,
                      RunHooks* hooks = nullptr);

std::string DefaultPluginPath();
std::string WorldStateJson(const world::World& w);

}  // namespace sim
