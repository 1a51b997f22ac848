#pragma once

#include <cstdint>

// What a command key records in screen mode 1 or 2: a cue for the selected ped on the edit
// screen, or an explosion on the edit screen.
enum class CueSource { none, position, target, car, weapon };

struct Recording {
  bool explosion;      // an explosion entry instead of a cue
  std::int32_t value;  // action code, or explosion kind
  CueSource source;    // the cue field written besides cueAction
  const char* message;
};

constexpr Recording RecordCue(std::int32_t code, CueSource source, const char* message) {
  return {false, code, source, message};
}
constexpr Recording RecordExplosion(std::int32_t kind, const char* message) {
  return {true, kind, CueSource::none, message};
}

void Record(const Recording& recording);
