// The natives the take runner calls, each laid out and called once through the plug-in's own
// call record; the runner's calls go through its own import of Game::GetNativeAddress, which it
// never stands in front of.
#pragma once

#include <cstdint>

namespace take {

using PedHandle = std::int32_t;
using CarHandle = std::int32_t;

PedHandle PlayerPed();
void GET_CHAR_COORDINATES(PedHandle ped, float* x, float* y, float* z);
CarHandle GET_CAR_CHAR_IS_USING(PedHandle ped);
std::int32_t GET_CAR_MODEL(CarHandle car);
void GET_CAR_COORDINATES(CarHandle car, float* x, float* y, float* z);
void REQUEST_MODEL(std::int32_t model);
bool HAS_MODEL_LOADED(std::int32_t model);
void MARK_MODEL_AS_NO_LONGER_NEEDED(std::int32_t model);
void CREATE_CAR(std::int32_t model, float x, float y, float z, CarHandle* car);
void CREATE_CHAR(std::int32_t model, float x, float y, float z, PedHandle* ped);
void DELETE_CHAR(PedHandle* ped);
void SET_CHAR_COORDINATES(PedHandle ped, float x, float y, float z);
void SET_CAR_COORDINATES(CarHandle car, float x, float y, float z);
bool DOES_CHAR_EXIST(PedHandle ped);
bool DOES_VEHICLE_EXIST(CarHandle car);
void WARP_CHAR_INTO_CAR(PedHandle ped, CarHandle car);
void WARP_CHAR_FROM_CAR_TO_COORD(PedHandle ped, float x, float y, float z);
void GIVE_WEAPON_TO_CHAR(PedHandle ped, std::int32_t weapon);
void SET_CURRENT_CHAR_WEAPON(PedHandle ped, std::int32_t weapon);
void PRINT_STRING_WITH_LITERAL_STRING_NOW(const char* text);

// A message of the runner's own on the game screen, formatted in place.
void Show(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace take
