// Runs a scenario through the real plug-in and the stand-in host, on virtual time.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "rehearsal/events.h"
#include "rehearsal/film.h"
#include "rehearsal/scenario.h"
#include "world/world.h"

namespace sim {

struct RunOptions {
  std::string pluginPath;  // empty: the plug-in beside the executable
  std::string takePath;    // empty: the take runner beside the executable
  bool transcriptNatives = false;
  // What the film is checked with at the end of the run (the tools pass the cue check); its
  // warnings go into the output, and with `check` into the trace and transcript as well.
  std::vector<Warning> (*review)(const FilmReport& film) = nullptr;
  bool check = false;
  std::vector<Subscriber*> extra;  // further subscribers, after the trace and the transcript
  bool writeTrace = true;          // false: no trace and no transcript, for runs read only for
                                   // their film
  bool writeTranscript = true;     // false: the trace alone
  // Where the trace and the transcript go as the run goes, a megabyte at a time, instead of into
  // RunOutput: the largest film's are tens of megabytes, more than a 32-bit tool should hold.
  std::ostream* traceTo = nullptr;
  std::ostream* transcriptTo = nullptr;
  // A rough world from this seed, whatever the scenario says.
  bool rough = false;
  std::uint64_t roughSeed = 0;
};

struct RunOutput {
  bool ok = false;
  std::string error;
  std::string trace;
  std::string transcript;
  std::string state;              // the world's final state as JSON
  FilmReport film;                // the film as the plug-in held it at the end
  std::vector<Warning> warnings;  // the review's, whether or not they went into the trace
  bool rough = false;             // the world was rough, from this seed
  std::uint64_t roughSeed = 0;
  std::uint64_t stalledMs = 0;  // how late the ticks came, all told
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
std::string DefaultTakePath();
std::string WorldStateJson(const world::World& w);

}  // namespace sim
