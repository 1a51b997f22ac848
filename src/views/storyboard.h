// The storyboard: one standalone SVG picture of a show. A top-down map with every cast member's
// path coloured by the screen that was playing, the cars (wrecks marked), the explosions by kind
// and the spots where the player stood to record; beneath it a timeline, one row per slot and
// one column per screen, as wide as the screen really lasted.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "rehearsal/film.h"
#include "rehearsal/recorders.h"

namespace sim {

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
// Text for an SVG element or attribute.
std::string XmlEscape(const std::string& text);

std::string RenderStoryboard(const FilmReport& report, const StoryboardSampler& samples,
                             const std::string& title, const std::vector<Warning>& warnings);

}  // namespace sim
