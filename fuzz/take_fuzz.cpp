// The take reader on arbitrary bytes, as the runner reads zenthar.take: the whole file is checked
// first, and a fault is one printable problem on a line the file has; a file that passes streams
// exactly the steps the check counted, and none from a torn last line, which only a version 2
// take can have and only as its unended last line. The same bytes checked in memory, as a
// rehearsal checks a take, give the same verdict.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "take/take_file.h"

namespace {

void Fail(const char* why, const char* problem) {
  std::fprintf(stderr, "%s: %s\n", why, problem);
  std::abort();
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
  return 0;
}
