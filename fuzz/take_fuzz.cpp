// The take reader on arbitrary bytes, as the runner reads zenthar.take: the whole file is checked
// first, and a fault is one printable problem on a line the file has; a file that passes streams
// exactly the steps the check counted.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
  if (!take::CheckTake(file, summary, line, problem, sizeof problem)) {
    if (line < 1 || line > lines) Fail("a problem on a line the file does not have", problem);
    if (problem[0] == '\0') Fail("a fault with no problem", "");
    std::fclose(file);
    return 0;
  }
  if (summary.keys > summary.steps || summary.modelCount > take::kModels) {
    Fail("the counts do not add up", "");
  }
  std::rewind(file);
  char header[take::kLineSize];
  if (std::fgets(header, sizeof header, file) == nullptr) Fail("no header to skip", "");
  int read = 1, steps = 0;
  take::Step step{};
  while (take::NextStep(file, read, step)) ++steps;
  std::fclose(file);
  if (steps != summary.steps) Fail("the stream does not give the steps the check counted", "");
  return 0;
}
