// The world's natives called straight through the host, as the plug-in calls them: a task
// reaches the ped it names, and a task at a ped that is gone, or with an argument short, is
// refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "harness.h"
#include "natives/invoke.h"
#include "natives/natives.h"
#include "world/natives.h"
#include "world/world.h"

namespace {

constexpr std::int32_t kSentinel = static_cast<std::int32_t>(0xDEADBEEF);
constexpr PedHandle kGone = 9999;

// The calls the world reports, as the rehearsal's trace hears of them.
struct Heard : world::CallObserver {
  void OnNativeCall(const world::NativeCall& call) override { calls.push_back(call); }
  std::vector<world::NativeCall> calls;
};

TEST(WorldNatives, ATaskAtAPedThatIsGoneIsRefused) {
  zt::PluginHarness harness;
  Heard heard;
  world::InstallNatives(harness.world(), &heard, {});
  world::Ped* bob = harness.world().FindPedByName("bob");
  ASSERT_NE(bob, nullptr);
  ASSERT_EQ(harness.world().FindPed(kGone), nullptr);
  bob->subject = kSentinel;
  TASK_COMBAT(bob->handle, kGone);
  TASK_AIM_GUN_AT_CHAR(bob->handle, kGone);
  TASK_LOOK_AT_CHAR(bob->handle, kGone);
  InvokeNative("TASK_COMBAT", bob->handle);  // the target left out
  EXPECT_EQ(std::string(world::TaskName(bob->task)), "idle");
  EXPECT_EQ(bob->subject, kSentinel);
  ASSERT_EQ(heard.calls.size(), 4u) << "every call is reported, refused or not";
  EXPECT_FALSE(heard.calls[2].badArgs);
  EXPECT_TRUE(heard.calls[3].badArgs) << "a call an argument short reported as a good one";
}

TEST(WorldNatives, ThePhoneGoesToThePedNamed) {
  zt::PluginHarness harness;
  world::Ped* bob = harness.world().FindPedByName("bob");
  ASSERT_NE(bob, nullptr);
  TASK_USE_MOBILE_PHONE(bob->handle, true);
  EXPECT_TRUE(bob->phone);
  EXPECT_FALSE(harness.world().player().phone);
  TASK_USE_MOBILE_PHONE(bob->handle, false);
  EXPECT_FALSE(bob->phone);
}

TEST(WorldNatives, ADriverToldToDriveDrivesAndIntegersComeBackWhole) {
  zt::PluginHarness harness;
  world::World& w = harness.world();
  world::Car* taxi = w.FindCarByName("taxi");
  ASSERT_NE(taxi, nullptr);
  w.PlayerEnter(*taxi);
  const PedHandle driver = w.player().handle;
  TASK_CAR_MISSION_COORS_TARGET(driver, taxi->handle, 40.0f, 0.0f, 0.0f, 60.0f);
  EXPECT_EQ(std::string(world::TaskName(w.player().task)), "drive");
  EXPECT_TRUE(taxi->driving);
  EXPECT_EQ(InvokeNative("CONVERT_INT_TO_PLAYERINDEX", 7), 7) << "an integer result is not a truth";
  TASK_LEAVE_ANY_CAR(driver);
  EXPECT_EQ(std::string(world::TaskName(w.player().task)), "idle") << "a ped that left its car";
  EXPECT_EQ(w.player().car, 0);
}

TEST(WorldNatives, AimAndLookAtASpotAimThereNotAtThePed) {
  zt::PluginHarness harness;
  world::Ped* bob = harness.world().FindPedByName("bob");
  ASSERT_NE(bob, nullptr);
  const world::Vec3 spot{21.5f, -7.25f, 3.0f};
  TASK_AIM_GUN_AT_COORD(bob->handle, spot.x, spot.y, spot.z);
  EXPECT_EQ(std::string(world::TaskName(bob->task)), "aim-at-position");
  EXPECT_EQ(bob->goal.x, spot.x) << "aim";
  EXPECT_EQ(bob->goal.y, spot.y) << "aim";
  EXPECT_EQ(bob->goal.z, spot.z) << "aim";
  bob->goal = {};
  TASK_LOOK_AT_COORD(bob->handle, spot.x, spot.y, spot.z, 0, 0);
  EXPECT_EQ(std::string(world::TaskName(bob->task)), "look-at-position");
  EXPECT_EQ(bob->goal.x, spot.x) << "look";
  EXPECT_EQ(bob->goal.y, spot.y) << "look";
  EXPECT_EQ(bob->goal.z, spot.z) << "look";
}

}  // namespace
