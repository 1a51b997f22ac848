// The editor and the player at the very ends of the scene store's ranges, with every table
// around them full, so that a read or write one past an end changes what happens in any build.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "harness.h"
#include "scene/scene.h"

namespace {

constexpr int kMainPlus = 187;
constexpr int kMainMinus = 189;

// Every table holds non-zero values in range; the counts stay zero so that only durations are read.
void FillTables() {
  for (void* table :
       {static_cast<void*>(cueAction), static_cast<void*>(cueX), static_cast<void*>(cueY),
        static_cast<void*>(cueZ), static_cast<void*>(cueTarget), static_cast<void*>(cueCar),
        static_cast<void*>(cueWeapon)}) {
    std::memset(table, 0x11, sizeof cueAction);
  }
  for (auto& row : cueSeat) std::fill(std::begin(row), std::end(row), kSeats - 1);
  for (void* table : {static_cast<void*>(explosionKind), static_cast<void*>(explosionX),
                      static_cast<void*>(explosionY), static_cast<void*>(explosionZ)}) {
    std::memset(table, 0x11, sizeof explosionKind);
  }
  std::memset(explosionSet, 1, sizeof explosionSet);
  std::memset(pedHandle, 0x11, sizeof pedHandle);
  std::memset(savedPosX, 0x11, sizeof savedPosX);
  std::memset(savedPosY, 0x11, sizeof savedPosY);
  std::memset(savedPosZ, 0x11, sizeof savedPosZ);
  for (std::int32_t& d : screenDuration) d = 1;
}

class StoreLimits : public ::testing::Test {
 protected:
  void TearDown() override { zt::ResetSceneStore(); }
  zt::PluginHarness harness;
};

TEST_F(StoreLimits, AShowOfAllTwoHundredFiftySixScreensEndsAfterTheLast) {
  FillTables();
  playing = 1;
  playScreen = 254;
  harness.Advance(33);
  EXPECT_EQ(playScreen, 255);
  EXPECT_EQ(playing, 1);
  harness.Advance(1000);
  EXPECT_EQ(playing, 0) << "the show went on past screen 255";
  EXPECT_EQ(playScreen, 0);
  EXPECT_EQ(zt::SceneInvariantProblem(), "");
}

TEST_F(StoreLimits, ADurationStopsAtTheLargestItCanHold) {
  FillTables();
  screenMode = 1;
  editScreen = 255;
  screenDuration[255] = INT32_MAX - 1;
  for (const std::int32_t expected : {INT32_MAX, INT32_MAX}) {
    harness.Press(kMainPlus);
    harness.Advance(33);
    EXPECT_EQ(screenDuration[255], expected);
  }
  harness.Press(kMainMinus);
  harness.Advance(33);
  EXPECT_EQ(screenDuration[255], INT32_MAX - 1);
  EXPECT_EQ(zt::SceneInvariantProblem(), "");
}

}  // namespace
