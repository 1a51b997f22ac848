// Calling a native by name: the arguments are laid into the slots of a record in the caller's
// automatic storage, the entry point is looked up afresh, and the result is read from slot 0.
#pragma once

#include <cstdint>
#include <cstring>

#include "natives/native_context.h"

namespace native_slot {

inline void Lay(NativeCallContext& context, unsigned slot, std::int32_t value) {
  context.slots[slot] = 0;
  std::memcpy(&context.slots[slot], &value, sizeof value);
}

inline void Lay(NativeCallContext& context, unsigned slot, float value) {
  context.slots[slot] = 0;
  std::memcpy(&context.slots[slot], &value, sizeof value);
}

inline void Lay(NativeCallContext& context, unsigned slot, bool value) {
  context.slots[slot] = 0;
  const unsigned char byte = value ? 1 : 0;
  std::memcpy(&context.slots[slot], &byte, sizeof byte);
}

inline void Lay(NativeCallContext& context, unsigned slot, const void* address) {
  context.slots[slot] = reinterpret_cast<std::uintptr_t>(address);
}

enum class Result { integer, boolean };

// Looks the native up, calls it, delivers the vector fix-ups and reads the result. A native the
// host does not have yields 0 (false), never the first argument left in slot 0.
std::int32_t Call(const char* name, NativeCallContext& context, Result result);

template <typename... Args>
std::int32_t Invoke(const char* name, Result result, Args... args) {
  static_assert(sizeof...(Args) <= kNativeSlots, "too many arguments for one record");
  NativeCallContext context;
  context.resultPtr = context.slots;
  context.argsPtr = context.slots;
  context.fixupCount = 0;
  context.argCount = sizeof...(Args);
  unsigned slot = 0;
  (Lay(context, slot++, args), ...);
  return Call(name, context, result);
}

}  // namespace native_slot

template <typename... Args>
std::int32_t InvokeNative(const char* name, Args... args) {
  return native_slot::Invoke(name, native_slot::Result::integer, args...);
}

template <typename... Args>
bool InvokeNativeBool(const char* name, Args... args) {
  return native_slot::Invoke(name, native_slot::Result::boolean, args...) != 0;
}
