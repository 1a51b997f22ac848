#include "settings/settings.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scene/scene.h"

namespace {

// Matches "<name>=<decimal>" at the very start of the line; the number is read as a formatted
// decimal conversion would (leading blanks, optional sign, digits up to the first non-digit), but
// a value outside the 32-bit range leaves the key at what it was instead of being undefined.
void MatchKeyLine(const char* line, const char* name, std::int32_t& key) {
  const std::size_t nameLength = std::strlen(name);
  if (std::strncmp(line, name, nameLength) != 0) return;
  const char* number = line + nameLength;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(number, &end, 10);
  if (end == number || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return;
  key = static_cast<std::int32_t>(value);
}

}  // namespace

void LoadKeySettings() {
  std::FILE* file = std::fopen("ped.ini", "r");
  if (file == nullptr) return;
  char line[128];
  if (std::fgets(line, sizeof line, file) != nullptr) MatchKeyLine(line, "OnOff=", onOffKey);
  if (std::fgets(line, sizeof line, file) != nullptr) {
    MatchKeyLine(line, "ChangeMode=", changeModeKey);
  }
  std::fclose(file);
}
