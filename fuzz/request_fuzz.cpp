// The desk's request reader on arbitrary bytes, and numbers as text and back. A request either
// reads or gets one problem that says where; a text is a number exactly when std::from_chars reads
// the whole of it, and the same one; a float's shortest text is std::to_chars'.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "desk/request.h"
#include "rehearsal/decimal.h"

namespace {

void Fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

void CheckNumber(const std::string& text) {
  double library = 0, ours = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), library);
  const bool libraryReads = result.ec == std::errc() && result.ptr == text.data() + text.size();
  if (sim::ReadDecimal(text, ours) != libraryReads) {
    Fail("'" + text + "' is " + (libraryReads ? "" : "not ") + "a number to std::from_chars");
  }
  if (libraryReads && !std::isnan(library) && std::memcmp(&library, &ours, sizeof ours) != 0) {
    Fail("'" + text + "' reads as another number");
  }
}

void CheckFloat(const std::uint8_t* data) {
  float value;
  std::memcpy(&value, data, sizeof value);
  if (std::isnan(value)) return;
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  if (sim::ShortestText(value) != std::string(text, result.ptr)) {
    Fail("the shortest text of " + std::string(text, result.ptr) + " is not the library's");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  desk::Request request;
  const std::string problem = desk::ReadRequest(text, request);
  if (!problem.empty() && problem.find(" at byte ") == std::string::npos) {
    Fail("a problem that does not say where: " + problem);
  }
  CheckNumber(text.substr(0, 64));
  if (size >= sizeof(float)) CheckFloat(data);
  return 0;
}
