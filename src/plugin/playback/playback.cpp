#include "playback/playback.h"

#include <windows.h>

#include <cstdint>

#include "director/message.h"
#include "natives/natives.h"
#include "scene/scene.h"
#include "tessel.h"

namespace {

constexpr unsigned kSlotWaitMs = 100;
constexpr float kDriveSpeed = 60.0f;
constexpr float kExplosionRadius = 5.0f;
constexpr float kExplosionShake = 0.0f;
// The due test compares tick counts as a signed difference, so no pause may reach 2^31 ms.
constexpr std::uint32_t kLongestPauseMs = INT32_MAX;

void PlayCue(int screen, int slot) {
  const PedHandle ped = pedHandle[slot];
  const float x = cueX[screen][slot];
  const float y = cueY[screen][slot];
  const float z = cueZ[screen][slot];
  const PedHandle target = cueTarget[screen][slot];
  const CarHandle car = cueCar[screen][slot];
  switch (cueAction[screen][slot]) {
    case actionUsePhone:
      TASK_USE_MOBILE_PHONE(ped, true);
      break;
    case actionStopPhone:
      TASK_USE_MOBILE_PHONE(ped, false);
      break;
    case actionGoToPosition:
      if (!IS_CHAR_IN_ANY_CAR(ped)) {
        TASK_GO_STRAIGHT_TO_COORD(ped, x, y, z);
      } else {
        TASK_CAR_MISSION_COORS_TARGET(ped, CarInUse(ped), x, y, z, kDriveSpeed);
      }
      break;
    case actionSwapWeapon:
      TASK_SWAP_WEAPON(ped, cueWeapon[screen][slot]);
      break;
    case actionHandsUp:
      TASK_HANDS_UP(ped);
      break;
    case actionEnterAsPassenger:
      if (DOES_VEHICLE_EXIST(car)) TASK_ENTER_CAR_AS_PASSENGER(ped, car, cueSeat[screen][slot]);
      break;
    case actionSoundHorn:
      if (IS_CHAR_IN_ANY_CAR(ped)) SOUND_CAR_HORN(CarInUse(ped));
      break;
    case actionCombat:
      if (DOES_CHAR_EXIST(target)) TASK_COMBAT(ped, target);
      break;
    case actionEnterAsDriver:
      if (DOES_VEHICLE_EXIST(car)) TASK_ENTER_CAR_AS_DRIVER(ped, car);
      break;
    case actionLeaveCar:
      TASK_LEAVE_ANY_CAR(ped);
      break;
    case actionDie:
      TASK_DIE(ped);
      break;
    case actionAimAtPosition:
      TASK_AIM_GUN_AT_COORD(ped, x, y, z);
      break;
    case actionAimAtPed:
      if (DOES_CHAR_EXIST(target)) TASK_AIM_GUN_AT_CHAR(ped, target);
      break;
    case actionExplodeCar:
      if (DOES_VEHICLE_EXIST(car)) EXPLODE_CAR(car);
      break;
    case actionLookAtPed:
      if (DOES_CHAR_EXIST(target)) TASK_LOOK_AT_CHAR(ped, target);
      break;
    case actionLookAtPosition:
      TASK_LOOK_AT_COORD(ped, x, y, z, 1, 0);
      break;
    case actionLookAtCar:
      if (DOES_VEHICLE_EXIST(car)) TASK_LOOK_AT_VEHICLE(ped, car, 1, 0);
      break;
    case actionFire:
      FIRE_PED_WEAPON(ped, 0.0f, 0.0f, 0.0f);
      break;
    case actionCatchFire:
      START_CHAR_FIRE(ped);
      break;
    default:
      break;
  }
}

std::uint32_t PauseAfter(std::int32_t seconds) {
  if (seconds <= 0) return 0;
  const std::uint64_t ms = static_cast<std::uint64_t>(seconds) * 1000u;
  return ms > kLongestPauseMs ? kLongestPauseMs : static_cast<std::uint32_t>(ms);
}

void EndShow() {
  playScreen = 0;
  playing = 0;
  nextScreenTime = 0;
  Log::Info("--- Show off ---");
}

}  // namespace

void TickPlayback() {
  if (playing != 1) return;
  // A signed difference keeps the test right across the wrap of the 32-bit tick count.
  if (static_cast<std::int32_t>(GetTickCount() - nextScreenTime) < 0) return;
  PlayScreenStep();
}

void StartPlayback() {
  if (playing != 0) return;
  // Set before the first step, so that a film whose screen 1 is empty ends inside that step
  // and stays ended.
  playing = 1;
  PlayScreenStep();
  ShowMessage("Play started");
  Log::Info("--- Start Play ---");
}

void PlayScreenStep() {
  for (int slot = 0; slot < pedCount; ++slot) {
    if (DOES_CHAR_EXIST(pedHandle[slot])) PlayCue(playScreen, slot);
    ScriptingHelpers::Wait(kSlotWaitMs);
  }
  for (int id = 0; id < explosionCount; ++id) {
    if (explosionSet[playScreen][id] == 1) {
      ADD_EXPLOSION(explosionX[playScreen][id], explosionY[playScreen][id],
                    explosionZ[playScreen][id], explosionKind[playScreen][id], kExplosionRadius,
                    kExplosionShake);
    }
  }
  nextScreenTime = GetTickCount() + PauseAfter(screenDuration[playScreen]);
  playScreen = playScreen + 1;
  if (playScreen >= kScreens || screenDuration[playScreen] == 0) EndShow();
}
