#include "director/message.h"

#include <cstdarg>
#include <cstdio>

#include "natives/natives.h"

// The longest message, "Ped %d will been SEAT AS PASSENGER at screen %d", is 43 characters
// besides its numbers; three 11-character numbers on top of any message fit with room to spare.
constexpr int kMessageBufferSize = 128;

void ShowMessage(const char* format, ...) {
  char text[kMessageBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  ShowScreenMessage(text);
}
