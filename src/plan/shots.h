// A shot list: what a film is, screen by screen, without the keys that record it. Set-up
// statements as in a scenario, named places, the cast, and for each screen its duration, one cue
// per slot and its explosions. zenthar-plan turns it into keys; zenthar-sim --shots writes one
// from any rehearsal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rehearsal/film.h"
#include "rehearsal/scenario.h"
#include "world/world.h"

namespace plan {

using sim::kExplosionIds;
using sim::kScreens;
using sim::kSlots;
constexpr int kSeats = 4;
constexpr int kLongestScreen = 3600;  // seconds; every second is a key press
constexpr int kPlayerTarget = -1;

// A spot in the world: a named place, or bare coordinates when `place` is empty.
struct Spot {
  world::Vec3 pos;
  std::string place;
};

struct Place {
  std::string name;
  world::Vec3 pos;
  int line = 0;
};

// Slot `slot` gets a ped of `like`'s model, created at `spot`.
struct CastMember {
  int slot = 0;
  std::string like;
  std::int32_t model = 0;
  Spot spot;
  int line = 0;
};

enum class CueField { none, spot, car, target, weapon };

// What a cue code is called in a shot list and how it is recorded.
struct CueKind {
  int code;
  const char* words;  // as written after the slot, before the field
  int mode;           // the recording mode whose key records it
  int key;            // virtual-key code
  bool needsPed;      // the key acts only when the slot has a ped
  CueField field;
  const char* message;  // the confirmation, printf-style
};

const CueKind* FindCueKind(int code);
const std::vector<CueKind>& CueKinds();

struct ExplosionKindRow {
  int kind;
  const char* word;
  int key;  // mode 2
  const char* message;
};
const ExplosionKindRow* FindExplosionKind(int kind);
const std::vector<ExplosionKindRow>& ExplosionKinds();

struct ShotCue {
  int slot = 0;
  int code = 0;
  Spot spot;
  std::string car;
  int target = 0;  // a slot, or kPlayerTarget
  int seat = 0;
  std::int32_t weapon = 0;
  int line = 0;
};

struct ShotExplosion {
  int kind = 0;
  int id = -1;  // -1 until the reader gives it the next free id
  Spot spot;
  int line = 0;
};

struct ShotScreen {
  int number = 0;
  int duration = 0;
  std::vector<ShotCue> cues;
  std::vector<ShotExplosion> explosions;
  int line = 0;
};

struct ShotList {
  std::string file;
  sim::Scenario setUp;  // player, peds, cars and ped models; no timed actions
  std::vector<Place> places;
  std::vector<CastMember> cast;
  std::vector<ShotScreen> screens;

  const CastMember* CastIn(int slot) const;
  const Place* FindPlace(const std::string& name) const;
};

// Reads `text` as the shot list `file`: an empty string on success, else FILE:LINE: problem.
std::string ParseShotList(const std::string& file, const std::string& text, ShotList& out);
std::string LoadShotList(const std::string& file, ShotList& out);

// A cue as its line reads after the slot: "go corner", "ride taxi seat 2".
std::string CueWords(const ShotCue& cue);

// The shot list as text, readable by ParseShotList.
std::string FormatShotList(const ShotList& shots, const std::string& header);

// The film a rehearsal of `scenario` ended with, as a shot list. Cues the list cannot express
// (a car cue recorded on foot, a car or model nobody on the set has) are left out and named in
// `skipped`.
ShotList FilmToShots(const sim::Scenario& scenario, const sim::FilmReport& report,
                     std::vector<std::string>& skipped);

// The film of a rehearsal of `scenario` (a take's scenario too: what it stages belongs to the
// set) as the shot list's text zenthar-sim --shots writes, headed by what of it a shot list
// cannot hold; `title` names the rehearsed file.
std::string FilmShotListText(const sim::Scenario& scenario, const sim::FilmReport& report,
                             const std::string& title);

// A coordinate as the shortest text that reads back to the same float.
std::string Number(float value);

}  // namespace plan
