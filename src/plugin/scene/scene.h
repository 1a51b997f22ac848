// The film and the editor's state: fixed-size process-wide tables, indexed directly. Cue tables
// have one row per screen and one column per ped slot; explosion tables one row per screen and
// one column per explosion id.
#pragma once

#include <cstdint>

constexpr int kScreens = 256;
constexpr int kPedSlots = 255;
constexpr int kExplosionIds = 32;
constexpr int kSeats = 4;

constexpr std::int32_t kDefaultOnOffKey = 19;        // Pause
constexpr std::int32_t kDefaultChangeModeKey = 145;  // Scroll Lock

using PedHandle = std::int32_t;
using CarHandle = std::int32_t;

// Action codes held in cueAction. Mode 1 records 1 to 11, mode 2 records 21 to 28.
enum ActionCode : std::int32_t {
  actionNone = 0,
  actionUsePhone = 1,
  actionStopPhone = 2,
  actionGoToPosition = 3,
  actionSwapWeapon = 4,
  actionHandsUp = 5,
  actionEnterAsPassenger = 6,
  actionSoundHorn = 7,
  actionCombat = 8,
  actionEnterAsDriver = 9,
  actionLeaveCar = 10,
  actionDie = 11,
  actionAimAtPosition = 21,
  actionAimAtPed = 22,
  actionExplodeCar = 23,
  actionLookAtPed = 24,
  actionLookAtPosition = 25,
  actionLookAtCar = 26,
  actionFire = 27,
  actionCatchFire = 28,
};

// Kinds handed to ADD_EXPLOSION.
enum ExplosionKind : std::int32_t {
  explosionGrenade = 0,
  explosionFire = 1,
  explosionRocket = 4,
};

extern std::int32_t cueAction[kScreens][kPedSlots];
extern float cueX[kScreens][kPedSlots];
extern float cueY[kScreens][kPedSlots];
extern float cueZ[kScreens][kPedSlots];
extern PedHandle cueTarget[kScreens][kPedSlots];
extern CarHandle cueCar[kScreens][kPedSlots];
extern std::int32_t cueSeat[kScreens][kPedSlots];
extern std::int32_t cueWeapon[kScreens][kPedSlots];

extern std::int32_t explosionKind[kScreens][kExplosionIds];
extern float explosionX[kScreens][kExplosionIds];
extern float explosionY[kScreens][kExplosionIds];
extern float explosionZ[kScreens][kExplosionIds];
extern std::uint8_t explosionSet[kScreens][kExplosionIds];

extern std::int32_t screenDuration[kScreens];

extern PedHandle pedHandle[kPedSlots];
extern float savedPosX[kPedSlots];
extern float savedPosY[kPedSlots];
extern float savedPosZ[kPedSlots];

extern std::int32_t onOffKey;
extern std::int32_t changeModeKey;
extern std::uint8_t keysOff;
extern std::int32_t screenMode;
extern std::int32_t editScreen;
extern std::int32_t selectedPed;
extern std::int32_t selectedExplosion;
extern std::int32_t targetPed;
extern std::int32_t capturedModel;
extern std::int32_t playerWeapon;
extern CarHandle savedCar;
extern std::int32_t pedCount;
extern std::int32_t explosionCount;
extern std::int32_t playing;
extern std::int32_t playScreen;
extern std::uint32_t nextScreenTime;
