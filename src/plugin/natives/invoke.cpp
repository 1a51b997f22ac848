#include "natives/invoke.h"

#include "tessel.h"

namespace native_slot {

std::int32_t Call(const char* name, NativeCallContext& context, Result result) {
  const Game::NativeHandler entry = Game::GetNativeAddress(name);
  if (entry != nullptr) entry(&context);

  // The record has room for four fix-ups; a larger count from the host is not trusted.
  if (context.fixupCount > kNativeFixups) context.fixupCount = kNativeFixups;
  while (context.fixupCount > 0) {
    --context.fixupCount;
    const unsigned i = context.fixupCount;
    float* target = context.fixupTargets[i];
    target[0] = context.fixupTemps[i].x;
    target[1] = context.fixupTemps[i].y;
    target[2] = context.fixupTemps[i].z;
  }

  if (entry == nullptr) return 0;
  if (result == Result::boolean) {
    unsigned char byte = 0;
    std::memcpy(&byte, &context.slots[0], sizeof byte);
    return byte != 0 ? 1 : 0;
  }
  std::int32_t value = 0;
  std::memcpy(&value, &context.slots[0], sizeof value);
  return value;
}

}  // namespace native_slot
