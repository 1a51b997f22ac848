// Key mashing with shows running: nothing crashes, and after every pass every selection, count
// and playback value is inside its range. Set ZENTHAR_SOAK_SEED to replay a run and
// ZENTHAR_SOAK_OPS to change its length.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>

#include "harness.h"
#include "mash.h"
#include "scene/scene.h"

namespace {

std::uint64_t FromEnv(const char* name, std::uint64_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::strtoull(value, nullptr, 10) : fallback;
}

TEST(Soak, AMillionRandomPassesKeepTheSceneStoreInRange) {
  const std::uint64_t seed = FromEnv("ZENTHAR_SOAK_SEED", std::random_device{}());
  const std::uint64_t passes = FromEnv("ZENTHAR_SOAK_OPS", 1000000);
  std::printf("soak seed %llu (replay with ZENTHAR_SOAK_SEED=%llu)\n",
              static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
  std::mt19937_64 random(seed);
  zt::PluginHarness harness;
  std::uint64_t done = 0;
  int shows = 0;
  int wasPlaying = 0;
  while (done < passes) {
    // A fresh world now and then, so the cast does not grow without end.
    if (done % 20000 == 0) harness.Reset(static_cast<std::uint32_t>(random()));
    const auto op = static_cast<std::uint8_t>(random());
    const auto arg = static_cast<std::uint8_t>(random());
    if (!zt::ApplyMashOp(harness, op, arg)) continue;
    ++done;
    const std::string problem = zt::SceneInvariantProblem();
    ASSERT_EQ(problem, "") << "after pass " << done << " of seed " << seed;
    if (playing == 1 && wasPlaying == 0) ++shows;
    wasPlaying = playing;
  }
  std::printf("soak: %llu passes, %d shows started\n", static_cast<unsigned long long>(done),
              shows);
  EXPECT_GT(shows, 0) << "the mashing never started a show; seed " << seed;
}

}  // namespace
