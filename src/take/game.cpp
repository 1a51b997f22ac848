#include "take/game.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "natives/invoke.h"
#include "take/take_file.h"

namespace take {

namespace {

// The runner's messages stay up a little longer than the plug-in's, which come thick and fast
// during a take.
constexpr std::int32_t kMessageMs = 3000;

// Each argument as its slot holds it, the way the plug-in lays them: a whole number or a float
// in the slot's first four bytes, the rest zero; an address whole.
using Slot = std::uintptr_t;

Slot Whole(std::int32_t value) {
  return static_cast<std::uint32_t>(value);
}
Slot Real(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
Slot At(const void* address) {
  return reinterpret_cast<Slot>(address);
}

// One record, laid out in one place for every native the runner calls, never inlined: the runner
// is small rather than fast.
__attribute__((noinline)) std::int32_t Call(
    const char* name, unsigned count, const Slot* args,
    native_slot::Result result = native_slot::Result::integer) {
  NativeCallContext context;
  context.resultPtr = context.slots;
  context.argsPtr = context.slots;
  context.fixupCount = 0;
  context.argCount = count;
  for (unsigned i = 0; i < count; ++i) context.slots[i] = args[i];
  return native_slot::Call(name, context, result);
}

template <unsigned N>
std::int32_t Call(const char* name, const Slot (&args)[N],
                  native_slot::Result result = native_slot::Result::integer) {
  return Call(name, N, args, result);
}

}  // namespace

PedHandle PlayerPed() {
  PedHandle ped = 0;
  const std::int32_t id = Call("GET_PLAYER_ID", 0, nullptr);
  const std::int32_t index = Call("CONVERT_INT_TO_PLAYERINDEX", {Whole(id)});
  Call("GET_PLAYER_CHAR", {Whole(index), At(&ped)});
  return ped;
}
void GET_CHAR_COORDINATES(PedHandle ped, float* x, float* y, float* z) {
  Call("GET_CHAR_COORDINATES", {Whole(ped), At(x), At(y), At(z)});
}
CarHandle GET_CAR_CHAR_IS_USING(PedHandle ped) {
  CarHandle car = 0;
  Call("GET_CAR_CHAR_IS_USING", {Whole(ped), At(&car)});
  return car;
}
std::int32_t GET_CAR_MODEL(CarHandle car) {
  std::int32_t model = 0;
  Call("GET_CAR_MODEL", {Whole(car), At(&model)});
  return model;
}
void GET_CAR_COORDINATES(CarHandle car, float* x, float* y, float* z) {
  Call("GET_CAR_COORDINATES", {Whole(car), At(x), At(y), At(z)});
}
void REQUEST_MODEL(std::int32_t model) {
  Call("REQUEST_MODEL", {Whole(model)});
}
bool HAS_MODEL_LOADED(std::int32_t model) {
  return Call("HAS_MODEL_LOADED", {Whole(model)}, native_slot::Result::boolean) != 0;
}
void MARK_MODEL_AS_NO_LONGER_NEEDED(std::int32_t model) {
  Call("MARK_MODEL_AS_NO_LONGER_NEEDED", {Whole(model)});
}
void CREATE_CAR(std::int32_t model, float x, float y, float z, CarHandle* car) {
  Call("CREATE_CAR", {Whole(model), Real(x), Real(y), Real(z), At(car), Whole(1)});
}
// Ped type 4, as the plug-in creates its cast.
void CREATE_CHAR(std::int32_t model, float x, float y, float z, PedHandle* ped) {
  Call("CREATE_CHAR", {Whole(4), Whole(model), Real(x), Real(y), Real(z), At(ped), Whole(1)});
}
void DELETE_CHAR(PedHandle* ped) {
  Call("DELETE_CHAR", {At(ped)});
}
void SET_CHAR_COORDINATES(PedHandle ped, float x, float y, float z) {
  Call("SET_CHAR_COORDINATES", {Whole(ped), Real(x), Real(y), Real(z)});
}
void SET_CAR_COORDINATES(CarHandle car, float x, float y, float z) {
  Call("SET_CAR_COORDINATES", {Whole(car), Real(x), Real(y), Real(z)});
}
bool DOES_CHAR_EXIST(PedHandle ped) {
  return Call("DOES_CHAR_EXIST", {Whole(ped)}, native_slot::Result::boolean) != 0;
}
bool DOES_VEHICLE_EXIST(CarHandle car) {
  return Call("DOES_VEHICLE_EXIST", {Whole(car)}, native_slot::Result::boolean) != 0;
}
void WARP_CHAR_INTO_CAR(PedHandle ped, CarHandle car) {
  Call("WARP_CHAR_INTO_CAR", {Whole(ped), Whole(car)});
}
void WARP_CHAR_FROM_CAR_TO_COORD(PedHandle ped, float x, float y, float z) {
  Call("WARP_CHAR_FROM_CAR_TO_COORD", {Whole(ped), Real(x), Real(y), Real(z)});
}
// The same ammunition the plug-in hands over with a weapon.
void GIVE_WEAPON_TO_CHAR(PedHandle ped, std::int32_t weapon) {
  Call("GIVE_WEAPON_TO_CHAR", {Whole(ped), Whole(weapon), Whole(900), Whole(0)});
}
void SET_CURRENT_CHAR_WEAPON(PedHandle ped, std::int32_t weapon) {
  Call("SET_CURRENT_CHAR_WEAPON", {Whole(ped), Whole(weapon), Whole(1)});
}
void PRINT_STRING_WITH_LITERAL_STRING_NOW(const char* text) {
  Call("PRINT_STRING_WITH_LITERAL_STRING_NOW",
       {At("STRING"), At(text), Whole(kMessageMs), Whole(0)});
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
