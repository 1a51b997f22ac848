// The storyboard: one standalone SVG picture of a show. A top-down map with every cast member's
// path coloured by the screen that was playing, the cars (wrecks marked), the explosions by kind
// and the spots where the player stood to record; beneath it a timeline, one row per slot and
// one column per screen, as wide as the screen really lasted.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "events.h"
#include "film.h"
#include "world.h"

namespace sim {

// Follows the world tick by tick and keeps what the picture needs.
class StoryboardSampler : public Subscriber {
 public:
  struct Sample {
    std::uint64_t t;
    world::Vec3 pos;
  };
  struct Happening {
    std::uint64_t t;
    std::string what, ped, car, detail;
    world::Vec3 pos;
  };

  void OnEvent(const RunEvent& event) override;

  std::map<std::int32_t, std::vector<Sample>> peds;  // cast members, by handle
  std::map<std::int32_t, std::vector<Sample>> cars;
  std::map<std::int32_t, std::string> carNames;
  std::vector<Happening> happenings;  // explosions, wrecks, deaths, fires
  std::uint64_t lastTick = 0;
};

// The drawing conventions the storyboard and the show player share: a colour per screen, and a
// fill and outline per explosion kind.
const char* ScreenColour(int screen);
int ScreenColourCount();
struct ExplosionLook {
  int kind;
  const char* fill;
  const char* stroke;
};
const ExplosionLook& ExplosionLookOf(int kind);
extern const ExplosionLook kExplosionLooks[3];

std::string RenderStoryboard(const FilmReport& report, const StoryboardSampler& samples,
                             const std::string& title, const std::vector<Warning>& warnings);

}  // namespace sim
