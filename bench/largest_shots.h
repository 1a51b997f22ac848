// The largest film as a shot list, for the planner's figures and the desk's.
#pragma once

#include <string>

#include "plan/shots.h"

namespace zb {

// The film LargestFilmThroughTheTool records key by key: 255 peds cast where the player stands,
// on each of 256 screens (1 s) phone, hang up and horn in turn for the slots, and 32 grenades.
inline plan::ShotList LargestShotList() {
  plan::ShotList shots;
  shots.file = "largest.shots";
  shots.setUp.peds = {{"bob", 2001, {1, 0, 0}}};
  for (int slot = 0; slot < plan::kSlots; ++slot) {
    shots.cast.push_back({slot, "bob", 2001, {{0, 0, 0}, ""}, 0});
  }
  const int codes[] = {1, 2, 7};
  for (int number = 0; number < plan::kScreens; ++number) {
    plan::ShotScreen screen;
    screen.number = number;
    screen.duration = 1;
    for (int slot = 0; slot < plan::kSlots; ++slot) {
      plan::ShotCue cue;
      cue.slot = slot;
      cue.code = codes[slot % 3];
      screen.cues.push_back(cue);
    }
    for (int id = 0; id < plan::kExplosionIds; ++id) {
      plan::ShotExplosion blast;
      blast.kind = 0;
      blast.id = id;
      screen.explosions.push_back(blast);
    }
    shots.screens.push_back(screen);
  }
  return shots;
}

// The same as the text of a shot list, as the desk sends it.
inline std::string LargestShotsText() {
  return plan::FormatShotList(LargestShotList(), "# The largest film there can be.\n");
}

}  // namespace zb
