#include "take/record.h"

namespace take {

void FinalFloats(const NativeCallContext& record, const float* const at[3], float value[3]) {
  for (unsigned axis = 0; axis < 3; ++axis) value[axis] = at[axis] != nullptr ? *at[axis] : 0.0f;
  unsigned count = record.fixupCount;
  if (count > kNativeFixups) count = kNativeFixups;
  while (count > 0) {
    --count;
    const NativeFixupTemp& temp = record.fixupTemps[count];
    const float written[3] = {temp.x, temp.y, temp.z};
    for (unsigned i = 0; i < 3; ++i) {
      for (unsigned axis = 0; axis < 3; ++axis) {
        if (at[axis] != nullptr && record.fixupTargets[count] + i == at[axis]) {
          value[axis] = written[i];
        }
      }
    }
  }
}

void SetFinalFloats(NativeCallContext& record, float* const at[3], const float value[3]) {
  const unsigned count = record.fixupCount < kNativeFixups ? record.fixupCount : kNativeFixups;
  for (unsigned axis = 0; axis < 3; ++axis) {
    if (at[axis] == nullptr) continue;
    *at[axis] = value[axis];
    for (unsigned n = 0; n < count; ++n) {
      float* const written[3] = {&record.fixupTemps[n].x, &record.fixupTemps[n].y,
                                 &record.fixupTemps[n].z};
      for (unsigned i = 0; i < 3; ++i) {
        if (record.fixupTargets[n] + i == at[axis]) *written[i] = value[axis];
      }
    }
  }
}

}  // namespace take
