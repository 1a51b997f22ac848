// What a native's out-arguments hold once the plug-in has finished its call: the values the host
// wrote through the pointers, then its vector fix-ups, which the plug-in copies over the pointers'
// floats after the call, the last fix-up first, four at most. A unit of its own, so that every
// build can check the reading against records of its own.
#pragma once

#include "natives/native_context.h"

namespace take {

// `value[i]` becomes the float `at[i]` points to as the plug-in ends up with it; a null pointer
// reads 0.
void FinalFloats(const NativeCallContext& record, const float* const at[3], float value[3]);

// The other way round: the plug-in ends up with `value[i]` in the float `at[i]` points to, written
// there and into every fix-up that would land on it. A null pointer is left alone.
void SetFinalFloats(NativeCallContext& record, float* const at[3], const float value[3]);

}  // namespace take
