// The key settings reader on arbitrary bytes, checked against an independent reading of the
// same rules: line 1 sets the on/off key from "OnOff=<decimal>", line 2 the mode key from
// "ChangeMode=<decimal>", each line at most 127 bytes, numbers outside 32 bits ignored.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "scene/scene.h"
#include "settings/settings.h"

namespace {

// The next line as a 128-byte buffer read would hold it, or false at the end of the data.
bool NextLine(const std::string& data, std::size_t& at, std::string& line) {
  if (at >= data.size()) return false;
  std::size_t end = at;
  while (end < data.size() && end - at < 127 && data[end - 0] != '\n') ++end;
  if (end < data.size() && end - at < 127 && data[end] == '\n') ++end;
  line = data.substr(at, end - at);
  at = end;
  return true;
}

bool Space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void Expect(const std::string& line, const std::string& name, std::int32_t& key) {
  const std::string text = line.substr(0, line.find('\0'));
  if (text.compare(0, name.size(), name) != 0) return;
  std::size_t i = name.size();
  while (i < text.size() && Space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return;
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) return;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return;
  key = static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/zenthar-ini-fuzz-XXXXXX";
  if (mkdtemp(folder) == nullptr || chdir(folder) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string data(reinterpret_cast<const char*>(bytes), size);
  if (std::FILE* file = std::fopen("ped.ini", "wb")) {
    std::fwrite(data.data(), 1, data.size(), file);
    std::fclose(file);
  }
  onOffKey = kDefaultOnOffKey;
  changeModeKey = kDefaultChangeModeKey;
  LoadKeySettings();

  std::int32_t expectedOnOff = kDefaultOnOffKey;
  std::int32_t expectedMode = kDefaultChangeModeKey;
  std::size_t at = 0;
  std::string line;
  if (NextLine(data, at, line)) Expect(line, "OnOff=", expectedOnOff);
  if (NextLine(data, at, line)) Expect(line, "ChangeMode=", expectedMode);
  if (onOffKey != expectedOnOff || changeModeKey != expectedMode) {
    std::fprintf(stderr, "keys %d %d, expected %d %d\n", onOffKey, changeModeKey, expectedOnOff,
                 expectedMode);
    std::abort();
  }
  return 0;
}
