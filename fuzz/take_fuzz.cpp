// The take reader on arbitrary bytes, as the runner reads zenthar.take: the whole file is checked
// first, and a fault is one printable problem on a line the file has; a file that passes streams
// exactly the steps the check counted, and none from a torn last line, which only a version 2
// take can have and only as its unended last line. The same bytes checked in memory, as a
// rehearsal checks a take, give the same verdict. A take that passes, of a few dozen steps, is
// then performed by the runner beside the plug-in in a rough world seeded by its bytes: it starts
// with the keys the check counted, and ends done with all of them, or stopped at one of its steps,
// or is still under way when the rehearsal's time runs out.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rehearsal/runner.h"
#include "rehearsal/take_scenario.h"
#include "take/take_file.h"
#include "tessel/host.h"

namespace {

// Takes longer than this are only read; a rehearsal of at most this much virtual time.
constexpr int kMostSteps = 48;
constexpr std::uint64_t kMostMs = 40000;

void Fail(const char* why, const char* problem) {
  std::fprintf(stderr, "%s: %s\n", why, problem);
  std::abort();
}

// The runner's own messages.
class RunnerSaid : public sim::Subscriber {
 public:
  void OnEvent(const sim::RunEvent& e) override {
    if (e.kind == sim::RunEvent::Kind::screen && !e.by.empty()) said.push_back(e.text);
  }
  std::vector<std::string> said;
};

bool Starts(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

void Perform(const std::string& text, const take::Summary& summary) {
  sim::Scenario scenario;
  if (!sim::TakeScenario("fuzz.take", text, scenario).empty()) {
    Fail("a take that reads makes no rehearsal", "");
  }
  scenario.rough = true;
  scenario.roughSeed = 0;
  for (const char c : text)
    scenario.roughSeed = scenario.roughSeed * 131 + static_cast<unsigned char>(c);
  scenario.runUntil = std::min(scenario.runUntil, kMostMs);
  static const std::string folder = [] {
    char own[4096];
    tessel::ExecutableFolder(own, sizeof own);
    return std::string(own) + "/" + ZENTHAR_FUZZ_MODULES + "/";
  }();
  RunnerSaid runner;
  sim::RunOptions options;
  options.pluginPath = folder + "Zenthar.so";
  options.takePath = folder + "ZentharTake.so";
  options.writeTrace = false;
  options.extra.push_back(&runner);
  const sim::RunOutput out = sim::RunScenario(scenario, options);
  if (!out.ok) Fail("a take that reads did not run", out.error.c_str());
  const std::vector<std::string>& said = runner.said;
  const std::string keys = std::to_string(summary.keys) + " keys";
  if (said.empty() || !Starts(said.front(), "Take started: " + keys)) {
    Fail("the take did not start with its keys", said.empty() ? "" : said.front().c_str());
  }
  const std::string& last = said.back();
  if (Starts(last, "Take done: ")) {
    if (last != "Take done: " + keys) Fail("the take was done with other keys", last.c_str());
  } else if (Starts(last, "Take stopped at step ")) {
    const int step = std::atoi(last.c_str() + std::strlen("Take stopped at step "));
    if (step < 1 || step > summary.steps)
      Fail("the take stopped at no step of its own", last.c_str());
  } else if (!Starts(last, "Take started") && !Starts(last, "Take: ")) {
    Fail("the take ended with a message of no ending", last.c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  int lines = 1;
  for (std::size_t i = 0; i + 1 < size; ++i) lines += data[i] == '\n' ? 1 : 0;
  std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
  if (file == nullptr) return 0;
  take::Summary summary{};
  int line = 0;
  char problem[take::kProblemSize] = {};
  const bool good = take::CheckTake(file, summary, line, problem, sizeof problem);

  take::Summary inMemory{};
  int memoryLine = 0;
  char memoryProblem[take::kProblemSize] = {};
  const bool memoryGood = take::CheckTakeText(reinterpret_cast<const char*>(data), size, inMemory,
                                              memoryLine, memoryProblem, sizeof memoryProblem);
  if (memoryGood != good || memoryLine != line || std::strcmp(memoryProblem, problem) != 0 ||
      std::memcmp(&inMemory, &summary, sizeof summary) != 0) {
    Fail("the file and the same text in memory read differently", problem);
  }

  if (!good) {
    if (line < 1 || line > lines) Fail("a problem on a line the file does not have", problem);
    if (problem[0] == '\0') Fail("a fault with no problem", "");
    std::fclose(file);
    return 0;
  }
  if (summary.keys > summary.steps || summary.modelCount > take::kModels) {
    Fail("the counts do not add up", "");
  }
  if (summary.tornLine != 0) {
    const bool unended = size > 0 && data[size - 1] != '\n';
    if (summary.version < take::kAutosaveVersion || !unended || summary.tornLine != lines) {
      Fail("a torn line that is not the unended last line of a version 2 take", "");
    }
  }
  std::rewind(file);
  if (!take::SkipHeader(file)) Fail("no header to skip", "");
  int read = 1, steps = 0;
  take::Step step{};
  while (take::NextStep(file, summary, read, step)) ++steps;
  std::fclose(file);
  if (steps != summary.steps) Fail("the stream does not give the steps the check counted", "");
  if (summary.steps <= kMostSteps) {
    Perform(std::string(reinterpret_cast<const char*>(data), size), summary);
  }
  return 0;
}
