// Script threads on the virtual clock: one pass per host tick, and a Wait that suspends the body
// and resumes it, inside the same pass, at the first tick at or after its wake time.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tessel/host.h"

namespace {

// A body that notes when each pass begins and when each of its waits returns.
class ProbeThread : public NativeThread {
 public:
  explicit ProbeThread(std::vector<unsigned> waits, const char* name = "Probe")
      : waits_(std::move(waits)) {
    SetName(const_cast<char*>(name));
  }
  void RunPass() override {
    marks.push_back("pass@" + std::to_string(tessel::Now()));
    for (unsigned ms : waits_) {
      ScriptingHelpers::Wait(ms);
      marks.push_back("woke@" + std::to_string(tessel::Now()));
    }
    marks.push_back("end@" + std::to_string(tessel::Now()));
  }

  std::vector<std::string> marks;

 private:
  std::vector<unsigned> waits_;
};

void TickAt(std::uint64_t ms) {
  tessel::SetTime(ms);
  tessel::RunTick();
}

using Marks = std::vector<std::string>;

class Scheduler : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(tessel::ThreadCount(), 0) << "a thread left from elsewhere"; }
  void TearDown() override { tessel::ResetClock(0); }
};

TEST_F(Scheduler, RegisteringRunsNothingUntilATick) {
  tessel::ResetClock(0);
  ProbeThread thread({});
  TesselManager::RegisterThread(&thread);
  EXPECT_EQ(tessel::ThreadCount(), 1);
  EXPECT_EQ(tessel::ThreadAt(0), &thread);
  EXPECT_STREQ(thread.GetName(), "Probe");
  EXPECT_TRUE(thread.marks.empty());
  TickAt(0);
  TickAt(33);
  EXPECT_EQ(thread.marks, (Marks{"pass@0", "end@0", "pass@33", "end@33"})) << "one pass a tick";
}

TEST_F(Scheduler, AWaitResumesAtTheFirstTickAtOrAfterItsWakeTime) {
  tessel::ResetClock(5000);
  ProbeThread thread({100});
  TesselManager::RegisterThread(&thread);
  TickAt(0);
  EXPECT_EQ(thread.marks, (Marks{"pass@0"})) << "suspended inside the pass";
  TickAt(33);
  TickAt(66);
  TickAt(99);
  EXPECT_EQ(thread.marks, (Marks{"pass@0"})) << "woke before its time";
  TickAt(100);
  EXPECT_EQ(thread.marks, (Marks{"pass@0", "woke@100", "end@100"})) << "resumes at the wake time";
  TickAt(133);
  EXPECT_EQ(thread.marks.back(), "pass@133") << "the next tick starts a new pass";
  TickAt(240);
  EXPECT_EQ(thread.marks,
            (Marks{"pass@0", "woke@100", "end@100", "pass@133", "woke@240", "end@240"}))
      << "a late tick resumes the wait";
}

TEST_F(Scheduler, SeveralWaitsInOnePass) {
  tessel::ResetClock(0);
  ProbeThread thread({100, 100, 1000});
  TesselManager::RegisterThread(&thread);
  for (std::uint64_t t = 0; t <= 1300; t += 50) TickAt(t);
  EXPECT_EQ(thread.marks,
            (Marks{"pass@0", "woke@100", "woke@200", "woke@1200", "end@1200", "pass@1250"}))
      << "each wait counts from the moment it was called";
}

TEST_F(Scheduler, AWaitOfZeroYieldsUntilTheNextTick) {
  tessel::ResetClock(0);
  ProbeThread thread({0});
  TesselManager::RegisterThread(&thread);
  TickAt(0);
  EXPECT_EQ(thread.marks, (Marks{"pass@0"}));
  TickAt(0);
  EXPECT_EQ(thread.marks, (Marks{"pass@0", "woke@0", "end@0"}));
}

TEST_F(Scheduler, WaitsAcrossTheWrapOfTheTickCount) {
  tessel::ResetClock(4294967295u - 49);  // the tick count wraps 50 ms into the run
  ProbeThread thread({100});
  TesselManager::RegisterThread(&thread);
  TickAt(0);
  TickAt(49);
  TickAt(50);
  TickAt(99);
  EXPECT_EQ(thread.marks, (Marks{"pass@0"})) << "the wake time lies after the wrap";
  TickAt(100);
  EXPECT_EQ(thread.marks, (Marks{"pass@0", "woke@100", "end@100"}));
}

TEST_F(Scheduler, AWaitingThreadDoesNotHoldUpTheOthers) {
  tessel::ResetClock(0);
  ProbeThread slow({1000}, "Slow");
  ProbeThread quick({}, "Quick");
  TesselManager::RegisterThread(&slow);
  TesselManager::RegisterThread(&quick);
  ASSERT_EQ(tessel::ThreadCount(), 2);
  TickAt(0);
  TickAt(500);
  TickAt(1000);
  EXPECT_EQ(slow.marks, (Marks{"pass@0", "woke@1000", "end@1000"}));
  EXPECT_EQ(quick.marks,
            (Marks{"pass@0", "end@0", "pass@500", "end@500", "pass@1000", "end@1000"}));
}

TEST_F(Scheduler, AWaitOutsideAnyThreadReturnsAtOnce) {
  tessel::ResetClock(0);
  ScriptingHelpers::Wait(1000);  // from the host's own code: nothing to suspend
  SUCCEED();
}

TEST_F(Scheduler, ADestroyedThreadLeavesTheHost) {
  tessel::ResetClock(0);
  {
    ProbeThread thread({1000});
    TesselManager::RegisterThread(&thread);
    TickAt(0);  // leaves it suspended in a wait
    ASSERT_EQ(tessel::ThreadCount(), 1);
  }
  EXPECT_EQ(tessel::ThreadCount(), 0);
  TickAt(2000);  // must not resume a thread that is gone
}

TEST_F(Scheduler, AKilledThreadIsNotRun) {
  tessel::ResetClock(0);
  ProbeThread thread({});
  TesselManager::RegisterThread(&thread);
  TickAt(0);
  thread.Kill();
  TickAt(33);
  EXPECT_EQ(thread.marks, (Marks{"pass@0", "end@0"}));
  EXPECT_EQ(thread.GetState(), GameTypes::ThreadStateKilled);
}

}  // namespace
