// The host's virtual keyboard and clock, as the plug-in reads them.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "tessel/host.h"

#if !defined(_WIN32)
#include <windows.h>  // the host's own GetAsyncKeyState and GetTickCount
#endif

namespace {

class Keyboard : public ::testing::Test {
 protected:
  void SetUp() override { tessel::ReleaseAllKeys(); }
  void TearDown() override { tessel::ReleaseAllKeys(); }
};

TEST_F(Keyboard, APressIsReportedByOneQueryOnly) {
  EXPECT_EQ(tessel::QueryKey(97), 0) << "no press yet";
  tessel::PressKey(97);
  tessel::PressKey(97);  // two presses before a query are one "pressed since" bit
  const std::int16_t first = tessel::QueryKey(97);
  EXPECT_EQ(first & 1, 1) << "bit 0 after a press; got " << first;
  EXPECT_EQ(first & 0x8000, 0) << "bit 15 (held down) is never set; got " << first;
  EXPECT_EQ(tessel::QueryKey(97), 0) << "the query consumed the press";
}

TEST_F(Keyboard, KeysAreIndependent) {
  tessel::PressKey(220);
  EXPECT_EQ(tessel::QueryKey(145), 0);
  EXPECT_EQ(tessel::QueryKey(219), 0);
  EXPECT_EQ(tessel::QueryKey(221), 0);
  EXPECT_EQ(tessel::QueryKey(220), 1);
  tessel::PressKey(0);
  tessel::PressKey(255);
  EXPECT_EQ(tessel::QueryKey(0), 1) << "code 0 is a key like any other";
  EXPECT_EQ(tessel::QueryKey(255), 1) << "code 255 is the last key";
}

TEST_F(Keyboard, CodesOutsideTheKeyboardAreHarmless) {
  for (int code : {-1, 256, 257, 1000, INT_MIN, INT_MAX}) {
    tessel::PressKey(code);
    EXPECT_EQ(tessel::QueryKey(code), 0) << "code " << code;
  }
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(tessel::QueryKey(code), 0) << "an out-of-range press leaked into code " << code;
  }
}

TEST_F(Keyboard, ReleaseAllForgetsPendingPresses) {
  tessel::PressKey(96);
  tessel::PressKey(105);
  tessel::ReleaseAllKeys();
  EXPECT_EQ(tessel::QueryKey(96), 0);
  EXPECT_EQ(tessel::QueryKey(105), 0);
}

#if !defined(_WIN32)
// On Linux the plug-in binds to the host's own Win32-named functions.
TEST_F(Keyboard, GetAsyncKeyStateIsTheVirtualKeyboard) {
  tessel::PressKey(107);
  const SHORT state = GetAsyncKeyState(107);
  EXPECT_EQ(state & 1, 1);
  EXPECT_EQ(state & 0x8000, 0);
  EXPECT_EQ(GetAsyncKeyState(107), 0);
  EXPECT_EQ(GetAsyncKeyState(-5), 0);
  EXPECT_EQ(GetAsyncKeyState(4096), 0);
}
#endif

TEST(Clock, StartsAtTheGivenTickCountAndWraps) {
  tessel::ResetClock(4294967290u);
  EXPECT_EQ(tessel::Now(), 0u);
  EXPECT_EQ(tessel::TickCount(), 4294967290u);
  tessel::SetTime(5);
  EXPECT_EQ(tessel::TickCount(), 4294967295u);
  tessel::SetTime(6);
  EXPECT_EQ(tessel::TickCount(), 0u) << "the 32-bit tick count wraps to 0";
  tessel::SetTime(1006);
  EXPECT_EQ(tessel::TickCount(), 1000u);
  EXPECT_EQ(tessel::Now(), 1006u) << "virtual time itself does not wrap";
#if !defined(_WIN32)
  EXPECT_EQ(GetTickCount(), 1000u);
#endif
  tessel::ResetClock(0);
  EXPECT_EQ(tessel::Now(), 0u) << "a reset starts virtual time again";
  EXPECT_EQ(tessel::TickCount(), 0u);
}

}  // namespace
