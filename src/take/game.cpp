#include "take/game.h"

#include <cstdarg>
#include <cstdio>

#include "natives/invoke.h"
#include "take/take_file.h"

namespace take {

// The runner's messages stay up a little longer than the plug-in's, which come thick and fast
// during a take.
constexpr std::int32_t kMessageMs = 3000;

PedHandle PlayerPed() {
  PedHandle ped = 0;
  const std::int32_t index =
      InvokeNative("CONVERT_INT_TO_PLAYERINDEX", InvokeNative("GET_PLAYER_ID"));
  InvokeNative("GET_PLAYER_CHAR", index, &ped);
  return ped;
}
void GET_CHAR_COORDINATES(PedHandle ped, float* x, float* y, float* z) {
  InvokeNative("GET_CHAR_COORDINATES", ped, x, y, z);
}
CarHandle GET_CAR_CHAR_IS_USING(PedHandle ped) {
  CarHandle car = 0;
  InvokeNative("GET_CAR_CHAR_IS_USING", ped, &car);
  return car;
}
std::int32_t GET_CAR_MODEL(CarHandle car) {
  std::int32_t model = 0;
  InvokeNative("GET_CAR_MODEL", car, &model);
  return model;
}
void GET_CAR_COORDINATES(CarHandle car, float* x, float* y, float* z) {
  InvokeNative("GET_CAR_COORDINATES", car, x, y, z);
}
void REQUEST_MODEL(std::int32_t model) {
  InvokeNative("REQUEST_MODEL", model);
}
bool HAS_MODEL_LOADED(std::int32_t model) {
  return InvokeNativeBool("HAS_MODEL_LOADED", model);
}
void MARK_MODEL_AS_NO_LONGER_NEEDED(std::int32_t model) {
  InvokeNative("MARK_MODEL_AS_NO_LONGER_NEEDED", model);
}
void CREATE_CAR(std::int32_t model, float x, float y, float z, CarHandle* car) {
  InvokeNative("CREATE_CAR", model, x, y, z, car, 1);
}
// Ped type 4, as the plug-in creates its cast.
void CREATE_CHAR(std::int32_t model, float x, float y, float z, PedHandle* ped) {
  InvokeNative("CREATE_CHAR", 4, model, x, y, z, ped, true);
}
void DELETE_CHAR(PedHandle* ped) {
  InvokeNative("DELETE_CHAR", ped);
}
void SET_CHAR_COORDINATES(PedHandle ped, float x, float y, float z) {
  InvokeNative("SET_CHAR_COORDINATES", ped, x, y, z);
}
void WARP_CHAR_INTO_CAR(PedHandle ped, CarHandle car) {
  InvokeNative("WARP_CHAR_INTO_CAR", ped, car);
}
void WARP_CHAR_FROM_CAR_TO_COORD(PedHandle ped, float x, float y, float z) {
  InvokeNative("WARP_CHAR_FROM_CAR_TO_COORD", ped, x, y, z);
}
// The same ammunition the plug-in hands over with a weapon.
void GIVE_WEAPON_TO_CHAR(PedHandle ped, std::int32_t weapon) {
  InvokeNative("GIVE_WEAPON_TO_CHAR", ped, weapon, 900, false);
}
void SET_CURRENT_CHAR_WEAPON(PedHandle ped, std::int32_t weapon) {
  InvokeNative("SET_CURRENT_CHAR_WEAPON", ped, weapon, 1);
}
void PRINT_STRING_WITH_LITERAL_STRING_NOW(const char* text) {
  InvokeNative("PRINT_STRING_WITH_LITERAL_STRING_NOW", "STRING", text, kMessageMs, 0);
}

void Show(const char* format, ...) {
  // Room for a stop's text: two messages and the words around them.
  char text[2 * kTextSize + 64];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  PRINT_STRING_WITH_LITERAL_STRING_NOW(text);
}

}  // namespace take
