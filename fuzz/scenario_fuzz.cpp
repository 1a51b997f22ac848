// Any text as a scenario file. It either reads whole and runs through the real plug-in to its
// end, or yields exactly one "FILE:LINE: problem" line that names one of its lines; the reader
// hands nothing over to be run until the whole text has been read.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "tessel/host.h"

namespace {

// Host ticks a run may take here; a scenario may ask for years of virtual time at 1000 fps.
constexpr std::uint64_t kMostTicks = 1500;
constexpr const char* kFile = "fuzz.film";

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

int LineCount(const std::string& text) {
  const auto breaks = std::count(text.begin(), text.end(), '\n');
  const bool lastEnded = text.empty() || text.back() == '\n';
  return static_cast<int>(breaks) + (lastEnded ? 0 : 1);
}

// FILE:LINE: problem, with LINE one of the text's lines, on one line of printable text.
void CheckReport(const std::string& problem, const std::string& text) {
  const std::string head = std::string(kFile) + ":";
  if (problem.rfind(head, 0) != 0) Fail("report does not start with the file", problem);
  std::size_t end = head.size();
  while (end < problem.size() && problem[end] >= '0' && problem[end] <= '9') ++end;
  if (end == head.size() || end - head.size() > 9) Fail("report has no line number", problem);
  const int line = std::stoi(problem.substr(head.size(), end - head.size()));
  if (line < 1 || line > LineCount(text)) Fail("report names a line the text lacks", problem);
  if (problem.compare(end, 2, ": ") != 0 || problem.size() <= end + 2) {
    Fail("report has no problem after the line number", problem);
  }
  for (const char c : problem) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) Fail("report holds a control character", problem);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  sim::Scenario scenario;
  const std::string problem = sim::ParseScenario(kFile, text, scenario);
  if (!problem.empty()) {
    CheckReport(problem, text);
    return 0;
  }
  // The take runner is fuzzed on its own (take_fuzz); loading its coverage-counted module here
  // would leave counters behind once it unloads, and its autosave would write wherever the
  // scenario says.
  scenario.hasTake = false;
  scenario.autosave.clear();
  const std::uint64_t longest = kMostTicks * 1000 / static_cast<std::uint64_t>(scenario.fps);
  scenario.runUntil = std::min(scenario.runUntil, longest);
  static const std::string module = [] {
    char folder[4096];
    tessel::ExecutableFolder(folder, sizeof folder);
    return std::string(folder) + "/" + ZENTHAR_FUZZ_MODULE;
  }();
  sim::RunOptions options;
  options.pluginPath = module;
  const sim::RunOutput out = sim::RunScenario(scenario, options);
  if (!out.ok) Fail("a scenario that reads did not run", out.error);
  return 0;
}
