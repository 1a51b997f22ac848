// Runs a scenario given as text through the real plug-in module and reads back its trace.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"

namespace zt {

struct Rehearsal {
  sim::RunOutput out;
  std::vector<std::string> lines;  // the trace, one event a line

  // Lines whose "ev" is `ev`, and the native calls of one name, in trace order.
  std::vector<std::string> Events(const std::string& ev) const;
  std::vector<std::string> Calls(const std::string& native) const;
  // Screen message texts and log lines, in order.
  std::vector<std::string> Screens() const;
  std::vector<std::string> Logs() const;
  // Index of the first line at or after `from` that contains every one of `parts`, or -1.
  int Find(const std::vector<std::string>& parts, int from = 0) const;
};

// Fails the current test (with the problem) when the scenario does not parse or run.
Rehearsal Rehearse(const std::string& scenario, sim::RunOptions options = {});

// A path in the temporary folder that no other test, in this process or another, uses: the tests
// run side by side.
std::string TempPath(const std::string& name);

// Fields of one trace line.
std::uint64_t TimeOf(const std::string& line);
std::string Field(const std::string& line, const std::string& key);  // raw JSON text of a field

}  // namespace zt
