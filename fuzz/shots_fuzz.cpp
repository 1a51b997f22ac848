// The shot-list reader on arbitrary text. Whatever it accepts, it writes out again as a list
// that reads back to the same text, and the planner plans it without tripping over anything.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "plan/planner.h"
#include "plan/shots.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  plan::ShotList shots;
  const std::string problem = plan::ParseShotList("fuzz.shots", text, shots);
  if (!problem.empty()) {
    if (problem.rfind("fuzz.shots:", 0) != 0) {
      std::fprintf(stderr, "a problem without its file and line: %s\n", problem.c_str());
      std::abort();
    }
    return 0;
  }
  const std::string written = plan::FormatShotList(shots, "");
  plan::ShotList again;
  const std::string reread = plan::ParseShotList("again.shots", written, again);
  if (!reread.empty() || plan::FormatShotList(again, "") != written) {
    std::fprintf(stderr, "the list does not read back (%s):\n%s\n", reread.c_str(),
                 written.c_str());
    std::abort();
  }
  const plan::Plan plan = plan::MakePlan(shots);
  if (plan.keys < plan.lowerBound) {
    std::fprintf(stderr, "%d keys, below the bound of %d\n", plan.keys, plan.lowerBound);
    std::abort();
  }
  return 0;
}
