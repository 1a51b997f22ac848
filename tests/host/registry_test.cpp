// The native registry: names to entry points, duplicates refused, unknown names null.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tessel/host.h"

namespace {

void HandlerA(NativeCallContext*) {}
void HandlerB(NativeCallContext*) {}
void HandlerC(NativeCallContext*) {}

class MissingNames : public tessel::Listener {
 public:
  void OnMissingNative(const char* name) override { names.emplace_back(name); }
  std::vector<std::string> names;
};

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    tessel::ClearNatives();
    tessel::SetListener(&missing_);
  }
  void TearDown() override {
    tessel::SetListener(nullptr);
    tessel::ClearNatives();
  }
  MissingNames missing_;
};

TEST_F(Registry, FindsRegisteredNamesAndRefusesDuplicates) {
  EXPECT_TRUE(tessel::RegisterNative("TASK_DIE", HandlerA));
  EXPECT_TRUE(tessel::RegisterNative("TASK_DIE_", HandlerB)) << "a longer name is another name";
  EXPECT_FALSE(tessel::RegisterNative("TASK_DIE", HandlerC)) << "a second registration";
  EXPECT_EQ(tessel::NativeCount(), 2u);
  EXPECT_EQ(Game::GetNativeAddress("TASK_DIE"), &HandlerA) << "the first registration stays";
  EXPECT_EQ(Game::GetNativeAddress("TASK_DIE_"), &HandlerB);
  EXPECT_TRUE(missing_.names.empty());
}

TEST_F(Registry, UnknownNamesAreNullAndReported) {
  ASSERT_TRUE(tessel::RegisterNative("DOES_CHAR_EXIST", HandlerA));
  EXPECT_EQ(Game::GetNativeAddress("does_char_exist"), nullptr) << "names are case-sensitive";
  EXPECT_EQ(Game::GetNativeAddress("DOES_CHAR_EXIS"), nullptr);
  EXPECT_EQ(Game::GetNativeAddress(""), nullptr);
  EXPECT_EQ(Game::GetNativeAddress(nullptr), nullptr);
  const std::vector<std::string> expected{"does_char_exist", "DOES_CHAR_EXIS", "", ""};
  EXPECT_EQ(missing_.names, expected);
}

TEST_F(Registry, RefusesNullNamesAndHandlers) {
  EXPECT_FALSE(tessel::RegisterNative(nullptr, HandlerA));
  EXPECT_FALSE(tessel::RegisterNative("TASK_DIE", nullptr));
  EXPECT_EQ(tessel::NativeCount(), 0u);
  EXPECT_FALSE(tessel::UnregisterNative("TASK_DIE"));
  EXPECT_FALSE(tessel::UnregisterNative(nullptr));
}

TEST_F(Registry, UnregisteredNamesCanBeRegisteredAgain) {
  ASSERT_TRUE(tessel::RegisterNative("TASK_DIE", HandlerA));
  EXPECT_TRUE(tessel::UnregisterNative("TASK_DIE"));
  EXPECT_EQ(Game::GetNativeAddress("TASK_DIE"), nullptr);
  EXPECT_FALSE(tessel::UnregisterNative("TASK_DIE")) << "already gone";
  EXPECT_TRUE(tessel::RegisterNative("TASK_DIE", HandlerB));
  EXPECT_EQ(Game::GetNativeAddress("TASK_DIE"), &HandlerB);
  EXPECT_EQ(tessel::NativeCount(), 1u);
}

// Installing and removing a world's natives once per rehearsal must not make the table grow
// without end: what it holds is bounded by the live names, not by the history.
TEST_F(Registry, RepeatedInstallAndRemoveKeepsWorking) {
  std::vector<std::string> names;
  for (int i = 0; i < 39; ++i) names.push_back("NATIVE_" + std::to_string(i));
  for (int round = 0; round < 2000; ++round) {
    for (const std::string& name : names) {
      ASSERT_TRUE(tessel::RegisterNative(name.c_str(), HandlerA)) << name << " round " << round;
    }
    for (const std::string& name : names) {
      ASSERT_TRUE(tessel::UnregisterNative(name.c_str())) << name << " round " << round;
    }
  }
  EXPECT_EQ(tessel::NativeCount(), 0u);
  EXPECT_EQ(Game::GetNativeAddress("NATIVE_0"), nullptr);
}

// Random registrations and removals against a plain map. Replay a failure with
// ZENTHAR_SEED=<seed>.
TEST_F(Registry, AgreesWithAMapUnderRandomUse) {
  unsigned seed = std::random_device{}();
  if (const char* given = std::getenv("ZENTHAR_SEED")) seed = std::strtoul(given, nullptr, 10);
  std::printf("registry seed %u (ZENTHAR_SEED=%u replays it)\n", seed, seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  const Game::NativeHandler handlers[] = {HandlerA, HandlerB, HandlerC};
  std::map<std::string, Game::NativeHandler> model;
  for (int step = 0; step < 20000; ++step) {
    const std::string name = "N" + std::to_string(random() % 300);
    const unsigned op = random() % 3;
    if (op == 0) {
      const Game::NativeHandler handler = handlers[random() % 3];
      const bool added = model.emplace(name, handler).second;
      ASSERT_EQ(tessel::RegisterNative(name.c_str(), handler), added) << "add " << name;
    } else if (op == 1) {
      const bool removed = model.erase(name) != 0;
      ASSERT_EQ(tessel::UnregisterNative(name.c_str()), removed) << "remove " << name;
    } else {
      const auto it = model.find(name);
      ASSERT_EQ(Game::GetNativeAddress(name.c_str()), it == model.end() ? nullptr : it->second)
          << "find " << name << " at step " << step;
    }
    ASSERT_EQ(tessel::NativeCount(), model.size()) << "step " << step;
  }
  for (const auto& [name, handler] : model) {
    EXPECT_EQ(Game::GetNativeAddress(name.c_str()), handler) << name;
  }
}

}  // namespace
