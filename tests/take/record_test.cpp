// What the plug-in's variables hold after a native call, as autosave reads the player's place:
// the host's direct writes, then its vector fix-ups in the plug-in's order, the last first, four
// at most, each over the three floats from its target on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "natives/native_context.h"
#include "take/record.h"

namespace {

constexpr float kSentinel = -12345.5f;

struct Read {
  float x = kSentinel, y = kSentinel, z = kSentinel;
};

// The place the record leaves in `vars`, which the host wrote directly as 1, 2, 3.
Read Final(const NativeCallContext& record, float* vars) {
  vars[0] = 1.0f;
  vars[1] = 2.0f;
  vars[2] = 3.0f;
  const float* const at[3] = {&vars[0], &vars[1], &vars[2]};
  float value[3] = {kSentinel, kSentinel, kSentinel};
  take::FinalFloats(record, at, value);
  return {value[0], value[1], value[2]};
}

NativeCallContext Record() {
  NativeCallContext record;
  std::memset(&record, 0, sizeof record);
  return record;
}

void ExpectPlace(const Read& got, float x, float y, float z, const char* what) {
  EXPECT_TRUE(got.x == x && got.y == y && got.z == z)
      << what << ": got (" << got.x << ", " << got.y << ", " << got.z << "), expected (" << x
      << ", " << y << ", " << z << ")";
}

TEST(NativeRecord, WithoutFixUpsThePlaceIsWhatTheHostWrote) {
  float vars[3];
  ExpectPlace(Final(Record(), vars), 1, 2, 3, "no fix-ups");
  NativeCallContext elsewhere = Record();
  float other[3];
  elsewhere.fixupTargets[0] = other;
  elsewhere.fixupTemps[0] = {7, 8, 9, 0};
  elsewhere.fixupCount = 1;
  ExpectPlace(Final(elsewhere, vars), 1, 2, 3, "a fix-up for other floats");
}

TEST(NativeRecord, AFixUpOverTheVariablesWinsAndTheFirstIsCopiedLast) {
  float vars[3];
  NativeCallContext one = Record();
  one.fixupTargets[0] = vars;
  one.fixupTemps[0] = {7, 8, 9, 0};
  one.fixupCount = 1;
  ExpectPlace(Final(one, vars), 7, 8, 9, "one fix-up over all three");

  NativeCallContext shifted = Record();
  shifted.fixupTargets[0] = vars + 1;  // its three floats run past the variables
  shifted.fixupTemps[0] = {7, 8, 9, 0};
  shifted.fixupCount = 1;
  ExpectPlace(Final(shifted, vars), 1, 7, 8, "a fix-up from the second float");

  NativeCallContext two = Record();
  two.fixupTargets[0] = vars;
  two.fixupTemps[0] = {7, 8, 9, 0};
  two.fixupTargets[1] = vars;
  two.fixupTemps[1] = {4, 5, 6, 0};
  two.fixupCount = 2;
  ExpectPlace(Final(two, vars), 7, 8, 9, "the first fix-up is copied last");
}

TEST(NativeRecord, NoMoreThanFourFixUpsAreCopied) {
  float vars[3];
  NativeCallContext many = Record();
  for (unsigned i = 0; i < kNativeFixups; ++i) many.fixupTargets[i] = vars + 2;
  many.fixupTemps[3] = {40, 41, 42, 0};
  many.fixupTemps[0] = {10, 11, 12, 0};
  many.fixupCount = 1000;
  ExpectPlace(Final(many, vars), 1, 2, 10, "a count of 1000 read as 4");
  float other[3];
  for (unsigned i = 0; i + 1 < kNativeFixups; ++i) many.fixupTargets[i] = other;
  ExpectPlace(Final(many, vars), 1, 2, 40, "the fourth, the only one over the variables");
}

TEST(NativeRecord, AMissingPointerReadsZero) {
  NativeCallContext record = Record();
  float y = 5.0f;
  const float* const at[3] = {nullptr, &y, nullptr};
  float value[3] = {kSentinel, kSentinel, kSentinel};
  take::FinalFloats(record, at, value);
  EXPECT_TRUE(value[0] == 0.0f && value[1] == 5.0f && value[2] == 0.0f)
      << value[0] << " " << value[1] << " " << value[2];
}

}  // namespace
