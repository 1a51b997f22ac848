// The library entry and the script thread as static initialization leaves them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "host/custom_thread.h"
#include "scene/scene.h"
#include "tessel/host.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID);

namespace {

class Registrations : public tessel::Listener {
 public:
  void OnRegister(const NativeThread* thread) override { threads.push_back(thread); }
  std::vector<const NativeThread*> threads;
};

class Entry : public ::testing::Test {
 protected:
  void SetUp() override { tessel::SetListener(&registrations_); }
  void TearDown() override {
    tessel::SetListener(nullptr);
    tessel::UnregisterThread(&scriptThread);
  }
  Registrations registrations_;
};

TEST_F(Entry, OnlyProcessAttachRegistersAndEveryReasonReturnsTrue) {
  ASSERT_EQ(tessel::ThreadCount(), 0) << "loading alone must not register the thread";
  for (DWORD reason : {DWORD{0}, DWORD{2}, DWORD{3}}) {
    EXPECT_EQ(DllMain(nullptr, reason, nullptr), TRUE) << "reason " << reason;
    EXPECT_TRUE(registrations_.threads.empty()) << "reason " << reason << " registered";
    EXPECT_EQ(tessel::ThreadCount(), 0) << "reason " << reason;
  }
  EXPECT_EQ(DllMain(nullptr, 1, nullptr), TRUE);
  ASSERT_EQ(registrations_.threads.size(), 1u) << "process attach registers exactly once";
  EXPECT_EQ(registrations_.threads[0], static_cast<NativeThread*>(&scriptThread));
  EXPECT_EQ(tessel::ThreadCount(), 1);
  EXPECT_EQ(tessel::ThreadAt(0), static_cast<NativeThread*>(&scriptThread));

  EXPECT_EQ(DllMain(nullptr, 0, nullptr), TRUE);
  EXPECT_EQ(registrations_.threads.size(), 1u);
  EXPECT_EQ(tessel::ThreadCount(), 1) << "process detach leaves the registration alone";
}

TEST_F(Entry, TheThreadIsNamedBrindle) {
  EXPECT_STREQ(scriptThread.GetName(), "Brindle");
}

// Nothing in this program writes the three handle tables except tests that put them back.
TEST_F(Entry, TheHandleTablesStartAtZero) {
  int nonZero = 0;
  for (int slot = 0; slot < kPedSlots; ++slot) nonZero += pedHandle[slot] != 0;
  for (int screen = 0; screen < kScreens; ++screen) {
    for (int slot = 0; slot < kPedSlots; ++slot) {
      nonZero += cueCar[screen][slot] != 0;
      nonZero += cueTarget[screen][slot] != 0;
    }
  }
  EXPECT_EQ(nonZero, 0) << "elements of pedHandle, cueCar and cueTarget that are not 0";
  EXPECT_EQ(sizeof pedHandle, 255 * sizeof(std::int32_t));
  EXPECT_EQ(sizeof cueCar, 256 * 255 * sizeof(std::int32_t));
  EXPECT_EQ(sizeof cueTarget, 256 * 255 * sizeof(std::int32_t));
}

}  // namespace
