#include "natives/natives.h"

#include "natives/invoke.h"

std::int32_t CallWithOneValue(const char* name, std::int32_t value) {
  return InvokeNative(name, value);
}
bool QueryOneValue(const char* name, std::int32_t value) {
  return InvokeNativeBool(name, value);
}
void CallWithThreeValues(const char* name, std::int32_t a, std::int32_t b, std::int32_t c) {
  InvokeNative(name, a, b, c);
}
void CallWithFourValues(const char* name, std::int32_t a, std::int32_t b, std::int32_t c,
                        std::int32_t d) {
  InvokeNative(name, a, b, c, d);
}
void CallWithValueAndPosition(const char* name, std::int32_t value, float x, float y, float z,
                              std::int32_t a, std::int32_t b) {
  InvokeNative(name, value, x, y, z, a, b);
}

std::int32_t GET_PLAYER_ID() {
  return InvokeNative("GET_PLAYER_ID");
}
std::int32_t CONVERT_INT_TO_PLAYERINDEX(std::int32_t playerId) {
  return InvokeNative("CONVERT_INT_TO_PLAYERINDEX", playerId);
}
void GET_PLAYER_CHAR(std::int32_t playerIndex, PedHandle* ped) {
  InvokeNative("GET_PLAYER_CHAR", playerIndex, ped);
}
void CREATE_CHAR(std::int32_t model, float x, float y, float z, PedHandle* ped) {
  InvokeNative("CREATE_CHAR", 4, model, x, y, z, ped, true);
}
void DELETE_CHAR(PedHandle* ped) {
  InvokeNative("DELETE_CHAR", ped);
}
bool DOES_CHAR_EXIST(PedHandle ped) {
  return QueryOneValue("DOES_CHAR_EXIST", ped);
}
bool IS_CHAR_IN_ANY_CAR(PedHandle ped) {
  return QueryOneValue("IS_CHAR_IN_ANY_CAR", ped);
}
bool IS_THIS_MODEL_A_PED(std::int32_t model) {
  return InvokeNativeBool("IS_THIS_MODEL_A_PED", model);
}
void GET_CHAR_MODEL(PedHandle ped) {
  InvokeNative("GET_CHAR_MODEL", ped, &capturedModel);
}
bool GET_CLOSEST_CHAR(float x, float y, float z, float radius, PedHandle* ped) {
  return InvokeNativeBool("GET_CLOSEST_CHAR", x, y, z, radius, 1, 1, ped);
}
void GET_RANDOM_CHAR_IN_AREA_OFFSET_NO_SAVE(float x1, float y1, float z1, float x2, float y2,
                                            float z2, PedHandle* ped) {
  InvokeNative("GET_RANDOM_CHAR_IN_AREA_OFFSET_NO_SAVE", x1, y1, z1, x2, y2, z2, ped);
}
void GET_CHAR_COORDINATES(PedHandle ped, float* x, float* y, float* z) {
  InvokeNative("GET_CHAR_COORDINATES", ped, x, y, z);
}
void GET_CURRENT_CHAR_WEAPON(PedHandle ped, std::int32_t* weapon) {
  InvokeNative("GET_CURRENT_CHAR_WEAPON", ped, weapon);
}
void GIVE_WEAPON_TO_CHAR(PedHandle ped, std::int32_t weapon) {
  InvokeNative("GIVE_WEAPON_TO_CHAR", ped, weapon, 900, false);
}
void GET_CAR_CHAR_IS_USING(PedHandle ped, CarHandle* car) {
  InvokeNative("GET_CAR_CHAR_IS_USING", ped, car);
}
bool DOES_VEHICLE_EXIST(CarHandle car) {
  return InvokeNativeBool("DOES_VEHICLE_EXIST", car);
}
void TASK_GO_STRAIGHT_TO_COORD(PedHandle ped, float x, float y, float z) {
  CallWithValueAndPosition("TASK_GO_STRAIGHT_TO_COORD", ped, x, y, z, 2, 45000);
}
void TASK_CAR_MISSION_COORS_TARGET(PedHandle ped, CarHandle car, float x, float y, float z,
                                   float speed) {
  InvokeNative("TASK_CAR_MISSION_COORS_TARGET", ped, car, x, y, z, 4, speed, 1, 5, 10);
}
void TASK_ENTER_CAR_AS_DRIVER(PedHandle ped, CarHandle car) {
  CallWithThreeValues("TASK_ENTER_CAR_AS_DRIVER", ped, car, -1);
}
void TASK_ENTER_CAR_AS_PASSENGER(PedHandle ped, CarHandle car, std::int32_t seat) {
  CallWithFourValues("TASK_ENTER_CAR_AS_PASSENGER", ped, car, -1, seat);
}
void TASK_OPEN_DRIVER_DOOR(PedHandle ped, CarHandle car, std::int32_t value) {
  CallWithThreeValues("TASK_OPEN_DRIVER_DOOR", ped, car, value);
}
void TASK_OPEN_PASSENGER_DOOR(PedHandle ped, CarHandle car, std::int32_t a, std::int32_t b) {
  CallWithFourValues("TASK_OPEN_PASSENGER_DOOR", ped, car, a, b);
}
void TASK_LEAVE_ANY_CAR(PedHandle ped) {
  CallWithOneValue("TASK_LEAVE_ANY_CAR", ped);
}
void TASK_HANDS_UP(PedHandle ped) {
  InvokeNative("TASK_HANDS_UP", ped, 1);
}
void TASK_USE_MOBILE_PHONE(PedHandle ped, bool use) {
  InvokeNative("TASK_USE_MOBILE_PHONE", ped, use);
}
void TASK_SWAP_WEAPON(PedHandle ped, std::int32_t weapon) {
  InvokeNative("TASK_SWAP_WEAPON", ped, weapon);
}
void TASK_COMBAT(PedHandle ped, PedHandle target) {
  InvokeNative("TASK_COMBAT", ped, target);
}
void TASK_DIE(PedHandle ped) {
  CallWithOneValue("TASK_DIE", ped);
}
void TASK_AIM_GUN_AT_COORD(PedHandle ped, float x, float y, float z) {
  InvokeNative("TASK_AIM_GUN_AT_COORD", ped, x, y, z, 1);
}
void TASK_AIM_GUN_AT_CHAR(PedHandle ped, PedHandle target) {
  InvokeNative("TASK_AIM_GUN_AT_CHAR", ped, target, 1);
}
void TASK_LOOK_AT_CHAR(PedHandle ped, PedHandle target) {
  InvokeNative("TASK_LOOK_AT_CHAR", ped, target, 1, 0);
}
void TASK_LOOK_AT_COORD(PedHandle ped, float x, float y, float z, std::int32_t a, std::int32_t b) {
  CallWithValueAndPosition("TASK_LOOK_AT_COORD", ped, x, y, z, a, b);
}
void TASK_LOOK_AT_VEHICLE(PedHandle ped, CarHandle car, std::int32_t a, std::int32_t b) {
  CallWithFourValues("TASK_LOOK_AT_VEHICLE", ped, car, a, b);
}
void FIRE_PED_WEAPON(PedHandle ped, float x, float y, float z) {
  InvokeNative("FIRE_PED_WEAPON", ped, x, y, z);
}
std::int32_t START_CHAR_FIRE(PedHandle ped) {
  return CallWithOneValue("START_CHAR_FIRE", ped);
}
void EXPLODE_CAR(CarHandle car) {
  InvokeNative("EXPLODE_CAR", car, true, false);
}
void SOUND_CAR_HORN(CarHandle car) {
  InvokeNative("SOUND_CAR_HORN", car, 1);
}
void ADD_EXPLOSION(float x, float y, float z, std::int32_t kind, float radius, float shake) {
  InvokeNative("ADD_EXPLOSION", x, y, z, kind, radius, 1, 0, shake);
}
void PRINT_STRING_WITH_LITERAL_STRING_NOW(const char* text) {
  InvokeNative("PRINT_STRING_WITH_LITERAL_STRING_NOW", "STRING", text, 2000, 0);
}

PedHandle PlayerPed() {
  PedHandle ped = 0;
  const std::int32_t playerId = GET_PLAYER_ID();
  const std::int32_t playerIndex = CONVERT_INT_TO_PLAYERINDEX(playerId);
  GET_PLAYER_CHAR(playerIndex, &ped);
  return ped;
}

CarHandle CarInUse(PedHandle ped) {
  CarHandle car = 0;
  GET_CAR_CHAR_IS_USING(ped, &car);
  return car;
}

void ShowScreenMessage(const char* text) {
  PRINT_STRING_WITH_LITERAL_STRING_NOW(text);
}
