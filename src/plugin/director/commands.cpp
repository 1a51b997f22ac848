#include "director/commands.h"

#include "director/message.h"
#include "natives/natives.h"
#include "scene/scene.h"
#include "tessel.h"

namespace {

constexpr float kCaptureRadius = 10.0f;
constexpr float kCaptureBoxHalf = 5.0f;
constexpr float kDriveSpeed = 60.0f;
constexpr unsigned kDoorOpenMs = 1000;

PedHandle SelectedPed() {
  return pedHandle[selectedPed];
}

}  // namespace

void CaptureModel() {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  GET_CHAR_COORDINATES(PlayerPed(), &x, &y, &z);
  PedHandle candidate = 0;
  GET_CLOSEST_CHAR(x, y, z, kCaptureRadius, &candidate);
  if (!DOES_CHAR_EXIST(candidate)) {
    const float x1 = x - kCaptureBoxHalf;
    const float y1 = y - kCaptureBoxHalf;
    const float z1 = z - kCaptureBoxHalf;
    const float x2 = x + kCaptureBoxHalf;
    const float y2 = y + kCaptureBoxHalf;
    const float z2 = z + kCaptureBoxHalf;
    GET_RANDOM_CHAR_IN_AREA_OFFSET_NO_SAVE(x1, y1, z1, x2, y2, z2, &candidate);
  }
  if (!DOES_CHAR_EXIST(candidate)) return;
  GET_CHAR_MODEL(candidate);
  ShowMessage("Model has been got");
}

void CreatePed() {
  if (!IS_THIS_MODEL_A_PED(capturedModel)) return;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  GET_CHAR_COORDINATES(PlayerPed(), &x, &y, &z);
  CREATE_CHAR(capturedModel, x, y, z, &pedHandle[selectedPed]);
  ShowMessage("Char create");
  if (selectedPed >= pedCount) pedCount = selectedPed + 1;
}

void SavePosition() {
  GET_CHAR_COORDINATES(PlayerPed(), &savedPosX[selectedPed], &savedPosY[selectedPed],
                       &savedPosZ[selectedPed]);
  ShowMessage("My pos saved");
}

void SendToSavedPosition() {
  const int s = selectedPed;
  if (!IS_CHAR_IN_ANY_CAR(SelectedPed())) {
    TASK_GO_STRAIGHT_TO_COORD(SelectedPed(), savedPosX[s], savedPosY[s], savedPosZ[s]);
  } else {
    const CarHandle car = CarInUse(SelectedPed());
    TASK_CAR_MISSION_COORS_TARGET(SelectedPed(), car, savedPosX[s], savedPosY[s], savedPosZ[s],
                                  kDriveSpeed);
  }
  ShowMessage("Ped goto saved pos");
}

void HandsUp() {
  TASK_HANDS_UP(SelectedPed());
  ShowMessage("Ped handsup");
}

void DeletePed() {
  DELETE_CHAR(&pedHandle[selectedPed]);
  ShowMessage("Char deleted");
}

void SaveCar() {
  savedCar = CarInUse(PlayerPed());
  if (!DOES_VEHICLE_EXIST(savedCar)) return;
  ShowMessage("My car saved");
}

void CombatPlayer() {
  if (!DOES_CHAR_EXIST(SelectedPed())) return;
  TASK_COMBAT(SelectedPed(), PlayerPed());
  ShowMessage("Char combat me");
}

void EnterSavedCarAsDriver() {
  if (!DOES_CHAR_EXIST(SelectedPed()) || !DOES_VEHICLE_EXIST(savedCar)) return;
  TASK_OPEN_DRIVER_DOOR(SelectedPed(), savedCar, 1);
  ScriptingHelpers::Wait(kDoorOpenMs);
  TASK_ENTER_CAR_AS_DRIVER(SelectedPed(), savedCar);
  ShowMessage("Char enter to saved car as driver");
}

void EnterSavedCarAsPassenger() {
  if (!DOES_VEHICLE_EXIST(savedCar)) return;
  TASK_OPEN_PASSENGER_DOOR(SelectedPed(), savedCar, 0, 1);
  ScriptingHelpers::Wait(kDoorOpenMs);
  TASK_ENTER_CAR_AS_PASSENGER(SelectedPed(), savedCar, 0);
  ShowMessage("Char enter to saved car as passenger");
}

void GivePlayerWeapon() {
  GET_CURRENT_CHAR_WEAPON(PlayerPed(), &playerWeapon);
  GIVE_WEAPON_TO_CHAR(SelectedPed(), playerWeapon);
  TASK_SWAP_WEAPON(SelectedPed(), playerWeapon);
  ShowMessage("Char got my weapon");
}

void LeaveCar() {
  TASK_LEAVE_ANY_CAR(SelectedPed());
  ShowMessage("Char leaved from car");
}
