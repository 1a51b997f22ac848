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

// What the plug-in does after the call: each fix-up's three floats over its target, the last
// first, four at most.
void CopyFixUps(NativeCallContext record) {
  unsigned count = record.fixupCount > kNativeFixups ? kNativeFixups : record.fixupCount;
  while (count > 0) {
    --count;
    float* target = record.fixupTargets[count];
    target[0] = record.fixupTemps[count].x;
    target[1] = record.fixupTemps[count].y;
    target[2] = record.fixupTemps[count].z;
  }
}

// A take's place answers a read whatever fix-ups the host made: the plug-in ends up with it, and
// floats beside the place keep what the host gave them.
TEST(NativeRecord, ATakesPlaceIsWhatThePlugInEndsUpWithWhateverTheFixUps) {
  const float want[3] = {100.25f, -7.5f, 0.125f};
  float vars[6] = {kSentinel, 1, 2, 3, kSentinel, kSentinel};  // the place is vars[1..3]
  float other[3] = {kSentinel, kSentinel, kSentinel};
  NativeCallContext record = Record();
  record.fixupTargets[0] = vars;  // from the float before the place: its last two over x and y
  record.fixupTemps[0] = {7, 8, 9, 0};
  record.fixupTargets[1] = other;
  record.fixupTemps[1] = {4, 5, 6, 0};
  record.fixupTargets[2] = vars + 3;  // z, and the two floats after the place
  record.fixupTemps[2] = {10, 11, 12, 0};
  record.fixupTargets[3] = other;
  record.fixupTemps[3] = {13, 14, 15, 0};
  record.fixupCount = 1000;  // read as four, as the plug-in reads it
  float* const at[3] = {&vars[1], &vars[2], &vars[3]};
  take::SetFinalFloats(record, at, want);
  float value[3] = {kSentinel, kSentinel, kSentinel};
  const float* const read[3] = {at[0], at[1], at[2]};
  take::FinalFloats(record, read, value);
  ExpectPlace({value[0], value[1], value[2]}, want[0], want[1], want[2], "as autosave reads it");
  CopyFixUps(record);
  ExpectPlace({vars[1], vars[2], vars[3]}, want[0], want[1], want[2], "after the plug-in's copies");
  EXPECT_EQ(vars[0], 7.0f) << "the float before the place keeps its fix-up";
  EXPECT_EQ(vars[4], 11.0f) << "the floats after the place keep their fix-up";
  EXPECT_EQ(vars[5], 12.0f);
  ExpectPlace({other[0], other[1], other[2]}, 4, 5, 6, "another target's fix-up");
}

TEST(NativeRecord, AMissingPointerIsLeftAlone) {
  const float want[3] = {1.5f, 2.5f, 3.5f};
  float vars[3] = {kSentinel, kSentinel, kSentinel};
  NativeCallContext record = Record();
  record.fixupTargets[0] = vars;
  record.fixupTemps[0] = {7, 8, 9, 0};
  record.fixupCount = 1;
  float* const at[3] = {nullptr, &vars[1], nullptr};
  take::SetFinalFloats(record, at, want);
  EXPECT_EQ(vars[0], kSentinel);
  EXPECT_EQ(vars[1], 2.5f);
  EXPECT_EQ(vars[2], kSentinel);
  EXPECT_EQ(record.fixupTemps[0].y, 2.5f);
  EXPECT_EQ(record.fixupTemps[0].x, 7.0f) << "no float of the place there";
  EXPECT_EQ(record.fixupTemps[0].z, 9.0f);
}

}  // namespace
