// Screen pauses at the limits of the 32-bit tick count, driven on the plug-in's own store.
#include <gtest/gtest.h>

#include <cstdint>

#include "playback/playback.h"
#include "scene/scene.h"
#include "tessel/host.h"

namespace {

class PlaybackLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    tessel::RouteDevices(nullptr);
    playing = 0;
    playScreen = 0;
    nextScreenTime = 0;
    pedCount = 0;
    explosionCount = 0;
    for (std::int32_t& d : screenDuration) d = 0;
  }
  void TearDown() override { SetUp(); }
};

TEST_F(PlaybackLimits, APauseTooLongForThirtyTwoBitsIsClampedNotWrapped) {
  // 5,000,000 s is 5e9 ms. Wrapped to 32 bits it would be a pause of about 8 days; taken as is,
  // the signed due test would read it as already past. Clamped, it is the longest pause the
  // due test can tell, about 24.8 days.
  tessel::ResetClock(1000);
  screenDuration[0] = 5000000;
  screenDuration[1] = 1;
  playing = 1;
  PlayScreenStep();
  ASSERT_EQ(playing, 1);
  ASSERT_EQ(playScreen, 1);
  EXPECT_EQ(nextScreenTime, 1000u + 0x7FFFFFFFu);

  for (const std::uint32_t ms : {1u, 9u * 24 * 3600 * 1000, 0x7FFFFFFEu}) {
    tessel::SetTime(ms);
    TickPlayback();
    EXPECT_EQ(playScreen, 1) << "screen 1 played " << ms << " ms after screen 0";
  }
  tessel::SetTime(0x7FFFFFFFu);
  TickPlayback();
  EXPECT_EQ(playing, 0) << "screen 1 should have played and ended the show";
}

TEST_F(PlaybackLimits, AShowStartedJustBeforeTheWrapKeepsItsPause) {
  tessel::ResetClock(0xFFFFFF00u);
  screenDuration[0] = 2;
  screenDuration[1] = 1;
  playing = 1;
  PlayScreenStep();
  EXPECT_EQ(nextScreenTime, 0xFFFFFF00u + 2000u);  // past the wrap: 0x6D0
  tessel::SetTime(1999);
  TickPlayback();
  EXPECT_EQ(playScreen, 1) << "the wrapped due time read as already passed";
  tessel::SetTime(2000);
  TickPlayback();
  EXPECT_EQ(playing, 0);
}

// Screen 0 may be played without a duration: it lasts no time, so the next screen is due in the
// very next pass, even one that comes before the tick count moves on.
TEST_F(PlaybackLimits, AScreenWithoutADurationLeavesTheNextDueAtOnce) {
  tessel::ResetClock(5000);
  screenDuration[1] = 1;
  playing = 1;
  PlayScreenStep();
  ASSERT_EQ(playScreen, 1);
  EXPECT_EQ(nextScreenTime, 5000u);
  TickPlayback();
  EXPECT_EQ(playing, 0) << "screen 1 should have played at once and ended the show";
}

}  // namespace
