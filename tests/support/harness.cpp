#include "harness.h"

#include <cstring>

#include "host/custom_thread.h"
#include "scene/scene.h"
#include "tessel/host.h"
#include "world/natives.h"

namespace zt {

void ResetSceneStore() {
  std::memset(cueAction, 0, sizeof cueAction);
  std::memset(cueX, 0, sizeof cueX);
  std::memset(cueY, 0, sizeof cueY);
  std::memset(cueZ, 0, sizeof cueZ);
  std::memset(cueTarget, 0, sizeof cueTarget);
  std::memset(cueCar, 0, sizeof cueCar);
  std::memset(cueSeat, 0, sizeof cueSeat);
  std::memset(cueWeapon, 0, sizeof cueWeapon);
  std::memset(explosionKind, 0, sizeof explosionKind);
  std::memset(explosionX, 0, sizeof explosionX);
  std::memset(explosionY, 0, sizeof explosionY);
  std::memset(explosionZ, 0, sizeof explosionZ);
  std::memset(explosionSet, 0, sizeof explosionSet);
  std::memset(screenDuration, 0, sizeof screenDuration);
  std::memset(pedHandle, 0, sizeof pedHandle);
  std::memset(savedPosX, 0, sizeof savedPosX);
  std::memset(savedPosY, 0, sizeof savedPosY);
  std::memset(savedPosZ, 0, sizeof savedPosZ);
  onOffKey = kDefaultOnOffKey;
  changeModeKey = kDefaultChangeModeKey;
  keysOff = 0;
  screenMode = 0;
  editScreen = 0;
  selectedPed = 0;
  selectedExplosion = 0;
  targetPed = 0;
  capturedModel = 0;
  playerWeapon = 0;
  savedCar = 0;
  pedCount = 0;
  explosionCount = 0;
  playing = 0;
  playScreen = 0;
  nextScreenTime = 0;
}

std::string SceneInvariantProblem() {
  auto outside = [](const char* name, long long value, long long low, long long high) {
    return name + std::string(" = ") + std::to_string(value) + " outside " + std::to_string(low) +
           ".." + std::to_string(high);
  };
  if (selectedPed < 0 || selectedPed >= kPedSlots)
    return outside("selectedPed", selectedPed, 0, 254);
  if (editScreen < 0 || editScreen >= kScreens) return outside("editScreen", editScreen, 0, 255);
  if (selectedExplosion < 0 || selectedExplosion >= kExplosionIds) {
    return outside("selectedExplosion", selectedExplosion, 0, 31);
  }
  if (targetPed < -1 || targetPed >= kPedSlots) return outside("targetPed", targetPed, -1, 254);
  if (pedCount < 0 || pedCount > kPedSlots) return outside("pedCount", pedCount, 0, 255);
  if (explosionCount < 0 || explosionCount > kExplosionIds) {
    return outside("explosionCount", explosionCount, 0, 32);
  }
  if (screenMode < 0 || screenMode > 2) return outside("screenMode", screenMode, 0, 2);
  if (keysOff > 1) return outside("keysOff", keysOff, 0, 1);
  if (playing != 0 && playing != 1) return outside("playing", playing, 0, 1);
  if (playScreen < 0 || playScreen >= kScreens) return outside("playScreen", playScreen, 0, 255);
  if (playing == 0 && (playScreen != 0 || nextScreenTime != 0)) {
    return "idle but playScreen = " + std::to_string(playScreen) +
           ", nextScreenTime = " + std::to_string(nextScreenTime);
  }
  const std::int32_t seat = cueSeat[editScreen][selectedPed];
  if (seat < 0 || seat >= kSeats) return outside("cueSeat of the edit cue", seat, 0, 3);
  if (screenDuration[editScreen] < 0)
    return outside("screenDuration", screenDuration[editScreen], 0, INT32_MAX);
  return "";
}

PluginHarness::PluginHarness() {
  tessel::RouteDevices(nullptr);
  if (tessel::ThreadCount() == 0) TesselManager::RegisterThread(&scriptThread);
  Reset();
}

// The host is left as the harness found it: a rehearsal later in the same program must not find
// the linked-in thread running beside the plug-in it loads.
PluginHarness::~PluginHarness() {
  world::RemoveNatives();
  tessel::UnregisterThread(&scriptThread);
}

void PluginHarness::Reset(std::uint32_t tickCount) {
  world::RemoveNatives();
  world_ = std::make_unique<world::World>();
  world::World& w = *world_;
  w.MovePlayer({0, 0, 0});
  w.GiveWeapon(w.player(), 7);
  w.AddPed("bob", 2001, {3, 0, 0});
  w.AddPed("ann", 2002, {-4, 2, 0});
  w.AddCar("taxi", 90, {6, 6, 0});
  w.AddCar("van", 91, {-8, -3, 0});
  world::InstallNatives(w, nullptr, missing_);
  ResetSceneStore();
  tessel::ReleaseAllKeys();
  tessel::ResetClock(tickCount);
  now_ = 0;
  scriptThread.Start();
}

void PluginHarness::SetMissing(const std::set<std::string>& natives) {
  missing_ = natives;
  world::RemoveNatives();
  world::InstallNatives(*world_, nullptr, missing_);
}

void PluginHarness::Press(int key) {
  tessel::PressKey(key);
}

void PluginHarness::Advance(std::uint32_t ms) {
  now_ += ms;
  tessel::SetTime(now_);
  world_->Step(now_, ms);
  tessel::RunTick();
}

}  // namespace zt
