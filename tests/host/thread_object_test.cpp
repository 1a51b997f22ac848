// The host keeps its data about a thread inside the object's reserve and its scheduling state
// outside, and destroys a thread the way the thread's table lays the destructor out.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

#include "tessel/host.h"

namespace {

class Quiet : public NativeThread {
 public:
  void RunPass() override { ++passes; }
  int passes = 0;
};

class Destructions : public tessel::Listener {
 public:
  void OnDestroy(const NativeThread* thread) override {
    ++count;
    last = thread;
  }
  int count = 0;
  const NativeThread* last = nullptr;
};

constexpr unsigned char kGuard = 0xDE;
constexpr std::size_t kGuardBytes = 64;

TEST(ThreadObject, TheHostWritesOnlyInsideTheObject) {
  alignas(Quiet) unsigned char storage[sizeof(Quiet) + kGuardBytes];
  for (unsigned char& byte : storage) byte = kGuard;
  auto* thread = new (storage) Quiet;
  const std::string longName(60, 'n');
  thread->SetName(const_cast<char*>(longName.c_str()));
  TesselManager::RegisterThread(thread);
  tessel::RunTick();
  thread->Kill();
  tessel::RunTick();
  EXPECT_EQ(thread->passes, 1);
  EXPECT_EQ(std::string(thread->GetName()), std::string(31, 'n')) << "the name is cut to fit";
  tessel::DestroyThread(thread);
  int overwritten = 0;
  for (std::size_t i = sizeof(Quiet); i < sizeof storage; ++i) overwritten += storage[i] != kGuard;
  EXPECT_EQ(overwritten, 0) << "bytes written past the thread object";
  EXPECT_GE(sizeof(NativeThread), std::size_t{NativeThread::kHostReserve});
}

TEST(ThreadObject, DestroyingRunsTheBaseDestructorOnceAndLeavesTheStorage) {
  Destructions destructions;
  tessel::SetListener(&destructions);
  alignas(Quiet) unsigned char storage[sizeof(Quiet)];
  auto* thread = new (storage) Quiet;
  TesselManager::RegisterThread(thread);
  ASSERT_EQ(tessel::ThreadCount(), 1);
  tessel::DestroyThread(thread);
  EXPECT_EQ(destructions.count, 1);
  EXPECT_EQ(destructions.last, thread);
  EXPECT_EQ(tessel::ThreadCount(), 0) << "a destroyed thread leaves the host";
  tessel::RunTick();  // must not resume it
  tessel::SetListener(nullptr);
}

}  // namespace
