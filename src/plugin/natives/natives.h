// One typed operation per game command the plug-in uses, plus the player-ped, car-in-use and
// screen-message composites. Each operation lays out its arguments and makes one call.
#pragma once

#include <cstdint>

#include "scene/scene.h"

// The five argument shapes that several natives share; the native's name is the first parameter.
std::int32_t CallWithOneValue(const char* name, std::int32_t value);
bool QueryOneValue(const char* name, std::int32_t value);
void CallWithThreeValues(const char* name, std::int32_t a, std::int32_t b, std::int32_t c);
void CallWithFourValues(const char* name, std::int32_t a, std::int32_t b, std::int32_t c,
                        std::int32_t d);
void CallWithValueAndPosition(const char* name, std::int32_t value, float x, float y, float z,
                              std::int32_t a, std::int32_t b);

std::int32_t GET_PLAYER_ID();
std::int32_t CONVERT_INT_TO_PLAYERINDEX(std::int32_t playerId);
void GET_PLAYER_CHAR(std::int32_t playerIndex, PedHandle* ped);
void CREATE_CHAR(std::int32_t model, float x, float y, float z, PedHandle* ped);
void DELETE_CHAR(PedHandle* ped);
bool DOES_CHAR_EXIST(PedHandle ped);
bool IS_CHAR_IN_ANY_CAR(PedHandle ped);
bool IS_THIS_MODEL_A_PED(std::int32_t model);
void GET_CHAR_MODEL(PedHandle ped);  // always writes capturedModel
bool GET_CLOSEST_CHAR(float x, float y, float z, float radius, PedHandle* ped);
void GET_RANDOM_CHAR_IN_AREA_OFFSET_NO_SAVE(float x1, float y1, float z1, float x2, float y2,
                                            float z2, PedHandle* ped);
void GET_CHAR_COORDINATES(PedHandle ped, float* x, float* y, float* z);
void GET_CURRENT_CHAR_WEAPON(PedHandle ped, std::int32_t* weapon);
void GIVE_WEAPON_TO_CHAR(PedHandle ped, std::int32_t weapon);
void GET_CAR_CHAR_IS_USING(PedHandle ped, CarHandle* car);
bool DOES_VEHICLE_EXIST(CarHandle car);
void TASK_GO_STRAIGHT_TO_COORD(PedHandle ped, float x, float y, float z);
void TASK_CAR_MISSION_COORS_TARGET(PedHandle ped, CarHandle car, float x, float y, float z,
                                   float speed);
void TASK_ENTER_CAR_AS_DRIVER(PedHandle ped, CarHandle car);
void TASK_ENTER_CAR_AS_PASSENGER(PedHandle ped, CarHandle car, std::int32_t seat);
void TASK_OPEN_DRIVER_DOOR(PedHandle ped, CarHandle car, std::int32_t value);
void TASK_OPEN_PASSENGER_DOOR(PedHandle ped, CarHandle car, std::int32_t a, std::int32_t b);
void TASK_LEAVE_ANY_CAR(PedHandle ped);
void TASK_HANDS_UP(PedHandle ped);
void TASK_USE_MOBILE_PHONE(PedHandle ped, bool use);
void TASK_SWAP_WEAPON(PedHandle ped, std::int32_t weapon);
void TASK_COMBAT(PedHandle ped, PedHandle target);
void TASK_DIE(PedHandle ped);
void TASK_AIM_GUN_AT_COORD(PedHandle ped, float x, float y, float z);
void TASK_AIM_GUN_AT_CHAR(PedHandle ped, PedHandle target);
void TASK_LOOK_AT_CHAR(PedHandle ped, PedHandle target);
void TASK_LOOK_AT_COORD(PedHandle ped, float x, float y, float z, std::int32_t a, std::int32_t b);
void TASK_LOOK_AT_VEHICLE(PedHandle ped, CarHandle car, std::int32_t a, std::int32_t b);
void FIRE_PED_WEAPON(PedHandle ped, float x, float y, float z);
std::int32_t START_CHAR_FIRE(PedHandle ped);
void EXPLODE_CAR(CarHandle car);
void SOUND_CAR_HORN(CarHandle car);
void ADD_EXPLOSION(float x, float y, float z, std::int32_t kind, float radius, float shake);
void PRINT_STRING_WITH_LITERAL_STRING_NOW(const char* text);

// Composites. Each starts its out variable at 0, so a native that writes nothing yields 0.
PedHandle PlayerPed();
CarHandle CarInUse(PedHandle ped);
void ShowScreenMessage(const char* text);
