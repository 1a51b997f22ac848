#include "scene/scene.h"

std::int32_t cueAction[kScreens][kPedSlots];
float cueX[kScreens][kPedSlots];
float cueY[kScreens][kPedSlots];
float cueZ[kScreens][kPedSlots];
PedHandle cueTarget[kScreens][kPedSlots];
CarHandle cueCar[kScreens][kPedSlots];
std::int32_t cueSeat[kScreens][kPedSlots];
std::int32_t cueWeapon[kScreens][kPedSlots];

std::int32_t explosionKind[kScreens][kExplosionIds];
float explosionX[kScreens][kExplosionIds];
float explosionY[kScreens][kExplosionIds];
float explosionZ[kScreens][kExplosionIds];
std::uint8_t explosionSet[kScreens][kExplosionIds];

std::int32_t screenDuration[kScreens];

PedHandle pedHandle[kPedSlots];
float savedPosX[kPedSlots];
float savedPosY[kPedSlots];
float savedPosZ[kPedSlots];

std::int32_t onOffKey = kDefaultOnOffKey;
std::int32_t changeModeKey = kDefaultChangeModeKey;
std::uint8_t keysOff;
std::int32_t screenMode;
std::int32_t editScreen;
std::int32_t selectedPed;
std::int32_t selectedExplosion;
std::int32_t targetPed;
std::int32_t capturedModel;
std::int32_t playerWeapon;
CarHandle savedCar;
std::int32_t pedCount;
std::int32_t explosionCount;
std::int32_t playing;
std::int32_t playScreen;
std::uint32_t nextScreenTime;
