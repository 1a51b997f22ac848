#include "plan/random_shots.h"

#include <algorithm>
#include <random>
#include <set>

namespace plan {

namespace {

struct Dice {
  explicit Dice(std::uint64_t seed) : engine(seed) {}
  int Roll(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine); }
  bool Chance(int percent) { return Roll(1, 100) <= percent; }
  Spot AnySpot() {
    Spot spot;
    spot.pos = {static_cast<float>(Roll(-400, 400)) / 4.0f,
                static_cast<float>(Roll(-400, 400)) / 4.0f, static_cast<float>(Roll(0, 8))};
    return spot;
  }
  std::mt19937_64 engine;
};

sim::Scenario Set() {
  sim::Scenario set;
  set.playerPos = {0, 0, 0};
  set.playerWeapon = 7;
  set.peds = {{"bob", 2001, {3, 0, 0}}, {"ann", 2002, {-3, 4, 0}}};
  set.cars = {{"taxi", 90, {12, 6, 0}}, {"van", 91, {40, 30, 0}}, {"bus", 92, {-20, 10, 0}}};
  return set;
}

ShotCue AnyCue(Dice& dice, int slot, bool hasPed, int maxTarget, const sim::Scenario& set) {
  std::vector<const CueKind*> kinds;
  for (const CueKind& kind : CueKinds()) {
    if (hasPed || !kind.needsPed) kinds.push_back(&kind);
  }
  const CueKind* kind =
      kinds[static_cast<std::size_t>(dice.Roll(0, static_cast<int>(kinds.size()) - 1))];
  ShotCue cue;
  cue.slot = slot;
  cue.code = kind->code;
  switch (kind->field) {
    case CueField::none:
      break;
    case CueField::spot:
      cue.spot = dice.AnySpot();
      break;
    case CueField::car:
      cue.car = set.cars[static_cast<std::size_t>(dice.Roll(0, 2))].name;
      if (cue.code == 6) cue.seat = dice.Roll(0, kSeats - 1);
      break;
    case CueField::target:
      cue.target = dice.Chance(25) ? kPlayerTarget : dice.Roll(0, maxTarget);
      break;
    case CueField::weapon:
      cue.weapon = dice.Roll(0, 40);
      break;
  }
  return cue;
}

}  // namespace

ShotList RandomShotList(std::uint64_t seed, const RandomShape& shape) {
  Dice dice(seed);
  ShotList shots;
  shots.file = "random-" + std::to_string(seed) + ".shots";
  shots.setUp = Set();
  const int top = shape.extremes ? kSlots - 1 : 40;
  const int castCount = dice.Roll(0, shape.cast);
  std::set<int> castSlots;
  if (shape.extremes) castSlots.insert(kSlots - 1);
  while (static_cast<int>(castSlots.size()) < castCount) castSlots.insert(dice.Roll(0, top));
  for (int slot : castSlots) {
    CastMember member;
    member.slot = slot;
    const sim::Actor& like = shots.setUp.peds[static_cast<std::size_t>(dice.Roll(0, 1))];
    member.like = like.name;
    member.model = like.model;
    member.spot = dice.AnySpot();
    shots.cast.push_back(member);
  }
  std::set<int> numbers{0};
  const int count = dice.Roll(1, shape.screens);
  if (shape.extremes) numbers.insert(kScreens - 1);
  // Mostly a run of screens from 0, so that the show plays several; now and then any screen.
  for (int n = 1; static_cast<int>(numbers.size()) < count; ++n) {
    numbers.insert(dice.Chance(70) ? n : dice.Roll(1, shape.extremes ? kScreens - 1 : 60));
  }
  for (int number : numbers) {
    ShotScreen screen;
    screen.number = number;
    screen.duration = dice.Roll(0, 3);
    if (number > 0 && number < 10 && dice.Chance(80))
      screen.duration = std::max(1, screen.duration);
    std::set<int> slots;
    const int cues = dice.Roll(0, shape.cuesPerScreen);
    for (int i = 0; i < cues; ++i) {
      const bool onCast = !castSlots.empty() && dice.Chance(70);
      int slot = dice.Roll(0, top);
      if (onCast) {
        auto it = castSlots.begin();
        std::advance(it, dice.Roll(0, static_cast<int>(castSlots.size()) - 1));
        slot = *it;
      }
      if (!slots.insert(slot).second) continue;
      screen.cues.push_back(AnyCue(dice, slot, castSlots.count(slot) != 0, top, shots.setUp));
    }
    std::set<int> ids;
    const int blasts = dice.Roll(0, shape.explosionsPerScreen);
    for (int i = 0; i < blasts; ++i) {
      ShotExplosion blast;
      blast.kind = ExplosionKinds()[static_cast<std::size_t>(dice.Roll(0, 2))].kind;
      blast.id = dice.Roll(0, kExplosionIds - 1);
      blast.spot = dice.AnySpot();
      if (ids.insert(blast.id).second) screen.explosions.push_back(blast);
    }
    if (shape.extremes && number == kScreens - 1) {
      // The last slot acts on the last screen, and the slot before it aims at the last slot.
      std::erase_if(screen.cues, [](const ShotCue& c) { return c.slot >= kSlots - 2; });
      screen.cues.push_back(AnyCue(dice, kSlots - 1, true, top, shots.setUp));
      ShotCue aim;
      aim.slot = kSlots - 2;
      aim.code = 22;
      aim.target = kSlots - 1;
      screen.cues.push_back(aim);
    }
    if (screen.duration == 0 && screen.cues.empty() && screen.explosions.empty()) {
      screen.duration = 1;
    }
    shots.screens.push_back(screen);
  }
  return shots;
}

ShotList FullShotList(std::uint64_t seed, int screens, int slots) {
  Dice dice(seed);
  ShotList shots;
  shots.file = "full-" + std::to_string(screens) + "x" + std::to_string(slots) + ".shots";
  shots.setUp = Set();
  for (int slot = 0; slot < slots; ++slot) {
    CastMember member;
    member.slot = slot;
    member.like = "bob";
    member.model = 2001;
    member.spot = dice.AnySpot();
    shots.cast.push_back(member);
  }
  for (int number = 0; number < screens; ++number) {
    ShotScreen screen;
    screen.number = number;
    screen.duration = dice.Roll(1, 3);
    for (int slot = 0; slot < slots; ++slot) {
      screen.cues.push_back(AnyCue(dice, slot, true, slots - 1, shots.setUp));
    }
    const int blasts = dice.Roll(0, 3);
    for (int i = 0; i < blasts; ++i) {
      ShotExplosion blast;
      blast.kind = ExplosionKinds()[static_cast<std::size_t>(dice.Roll(0, 2))].kind;
      blast.id = i * 7;
      blast.spot = dice.AnySpot();
      screen.explosions.push_back(blast);
    }
    shots.screens.push_back(screen);
  }
  return shots;
}

}  // namespace plan
