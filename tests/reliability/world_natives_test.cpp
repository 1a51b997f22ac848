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

// What a take runner stages and moves with: a model is there a few steps after it is asked
// for, and only if the game has it; a car of it then, the player set down, warped into it and
// out, and handed a weapon only if they have it.
TEST(WorldNatives, ModelsLoadAfterAskingAndTheRunnersWarpsAndWeaponsHold) {
  zt::PluginHarness harness;
  world::World& w = harness.world();
  const PedHandle me = w.player().handle;
  EXPECT_FALSE(InvokeNativeBool("HAS_MODEL_LOADED", 90)) << "loaded before it was asked for";
  InvokeNative("REQUEST_MODEL", 90);
  InvokeNative("REQUEST_MODEL", 9999);
  std::int32_t car = kSentinel;
  InvokeNative("CREATE_CAR", 90, 1.0f, 2.0f, 3.0f, &car, 1);
  EXPECT_EQ(car, kSentinel) << "a car of a model still loading";
  for (int step = 0; step < 3; ++step) harness.Advance(33);
  EXPECT_TRUE(InvokeNativeBool("HAS_MODEL_LOADED", 90));
  EXPECT_FALSE(InvokeNativeBool("HAS_MODEL_LOADED", 9999)) << "a model the game does not have";
  InvokeNative("CREATE_CAR", 90, 1.0f, 2.0f, 3.0f, &car, 1);
  ASSERT_NE(car, kSentinel);
  EXPECT_EQ(w.CarName(car), "car1");
  InvokeNative("MARK_MODEL_AS_NO_LONGER_NEEDED", 90);
  EXPECT_FALSE(InvokeNativeBool("HAS_MODEL_LOADED", 90));

  InvokeNative("WARP_CHAR_INTO_CAR", me, car);
  EXPECT_EQ(w.player().car, car);
  InvokeNative("SET_CHAR_COORDINATES", me, 7.0f, 8.0f, 9.0f);
  EXPECT_EQ(w.FindCar(car)->pos.x, 7.0f) << "the car goes where its driver is set down";
  InvokeNative("WARP_CHAR_FROM_CAR_TO_COORD", me, -1.0f, -2.0f, -3.0f);
  EXPECT_EQ(w.player().car, 0);
  EXPECT_EQ(w.player().pos.y, -2.0f);
  EXPECT_EQ(w.FindCar(car)->pos.x, 7.0f) << "the car stays";

  const std::int32_t held = w.player().weapon;
  InvokeNative("SET_CURRENT_CHAR_WEAPON", me, 31, 1);
  EXPECT_EQ(w.player().weapon, held) << "a weapon the player does not have";
  InvokeNative("GIVE_WEAPON_TO_CHAR", me, 31, 900, false);
  InvokeNative("SET_CURRENT_CHAR_WEAPON", me, 31, 1);
  EXPECT_EQ(w.player().weapon, 31);
}
