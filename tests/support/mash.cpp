#include "mash.h"

#include <set>
#include <string>
#include <vector>

#include "world/natives.h"

namespace zt {

namespace {

const int kHotKeys[] = {220, 96,  97,  98,  99,  100, 101, 102, 103, 104, 105,
                        106, 107, 109, 110, 111, 33,  34,  187, 189, 145, 19};
constexpr unsigned kHotKeyCount = sizeof kHotKeys / sizeof kHotKeys[0];

void WorldEvent(world::World& w, std::uint8_t what, std::uint8_t arg) {
  const auto& peds = w.peds();
  const auto& cars = w.cars();
  switch (what % 6) {
    case 0:
      if (peds.size() > 1) w.Kill(w.FindPed(peds[1 + arg % (peds.size() - 1)].handle)[0], "mash");
      break;
    case 1:
      if (peds.size() > 1) w.RemovePed(peds[1 + arg % (peds.size() - 1)].handle);
      break;
    case 2:
      if (!cars.empty()) w.Wreck(w.FindCar(cars[arg % cars.size()].handle)[0], "mash");
      break;
    case 3:
      w.MovePlayer(
          {static_cast<float>(arg % 32) - 16.0f, static_cast<float>(arg / 8) - 16.0f, 0.0f});
      break;
    case 4:
      if (w.player().car != 0) {
        w.LeaveCar(w.player());
      } else if (!cars.empty()) {
        w.PlayerEnter(w.FindCar(cars[arg % cars.size()].handle)[0]);
      }
      break;
    default:
      w.GiveWeapon(w.player(), arg % 20);
      break;
  }
}

}  // namespace

bool ApplyMashOp(PluginHarness& harness, std::uint8_t op, std::uint8_t arg) {
  if (op < 150) {
    harness.Press(kHotKeys[op % kHotKeyCount]);
    return false;
  }
  if (op < 230) {
    // Mostly a frame at 30 per second, now and then a long jump.
    harness.Advance(op < 220 ? 33 : 1u + arg * 40u);
    return true;
  }
  if (op < 245) {
    WorldEvent(harness.world(), op, arg);
    return false;
  }
  if (op < 250) {
    harness.Press(arg);
    return false;
  }
  static const std::vector<std::string> names = world::NativeNames();
  std::set<std::string> missing;
  if (op < 254) missing.insert(names[arg % names.size()]);
  harness.SetMissing(missing);
  return false;
}

}  // namespace zt
