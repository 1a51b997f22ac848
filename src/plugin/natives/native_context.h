// The record every native is called with. It is exchanged with the host, so its layout is fixed:
// in the 32-bit game process it is 164 bytes with 4-byte addresses and slots; a build with wider
// addresses widens the address fields and slots and keeps the order.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr unsigned kNativeSlots = 17;
constexpr unsigned kNativeFixups = 4;

struct NativeFixupTemp {
  float x;
  float y;
  float z;
  float unused;
};

struct NativeCallContext {
  void* resultPtr;
  std::uint32_t argCount;
  void* argsPtr;
  std::uint32_t fixupCount;
  float* fixupTargets[kNativeFixups];
  NativeFixupTemp fixupTemps[kNativeFixups];
  std::uintptr_t slots[kNativeSlots];
};

static_assert(sizeof(NativeFixupTemp) == 16, "a fix-up temporary is 16 bytes");
static_assert(offsetof(NativeCallContext, resultPtr) == 0, "record layout");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(NativeCallContext) == 164, "the 32-bit record is 164 bytes");
static_assert(offsetof(NativeCallContext, argCount) == 4, "record layout");
static_assert(offsetof(NativeCallContext, argsPtr) == 8, "record layout");
static_assert(offsetof(NativeCallContext, fixupCount) == 12, "record layout");
static_assert(offsetof(NativeCallContext, fixupTargets) == 16, "record layout");
static_assert(offsetof(NativeCallContext, fixupTemps) == 32, "record layout");
static_assert(offsetof(NativeCallContext, slots) == 96, "record layout");
#else
static_assert(offsetof(NativeCallContext, argCount) == 8, "record layout");
static_assert(offsetof(NativeCallContext, argsPtr) == 16, "record layout");
static_assert(offsetof(NativeCallContext, fixupCount) == 24, "record layout");
static_assert(offsetof(NativeCallContext, fixupTargets) == 32, "record layout");
static_assert(offsetof(NativeCallContext, fixupTemps) == 64, "record layout");
static_assert(offsetof(NativeCallContext, slots) == 128, "record layout");
#endif
