// The real plug-in module, loaded, unloaded and loaded again in one process: each load reads its
// own ped.ini and starts from a fresh scene store.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "natives/native_context.h"
#include "rehearsal/runner.h"
#include "tessel/host.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> shown;

void Print(NativeCallContext* context) {
  if (context->argCount == 4) shown.emplace_back(reinterpret_cast<const char*>(context->slots[1]));
  context->slots[0] = 0;
}

class Registrations : public tessel::Listener {
 public:
  void OnRegister(const NativeThread* thread) override { names.emplace_back(thread->GetName()); }
  std::vector<std::string> names;
};

class PluginLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("zenthar-load-test-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(folder_ / "a");
    fs::create_directories(folder_ / "b");
    tessel::ClearNatives();
    ASSERT_TRUE(tessel::RegisterNative("PRINT_STRING_WITH_LITERAL_STRING_NOW", Print));
    tessel::SetListener(&registrations_);
    tessel::ResetClock(0);
    tessel::ReleaseAllKeys();
    shown.clear();
  }
  void TearDown() override {
    tessel::UnloadPlugin();
    tessel::SetListener(nullptr);
    tessel::ClearNatives();
    tessel::ReleaseAllKeys();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  void Load(const fs::path& folder) {
    const fs::path before = fs::current_path();
    char error[512] = {};
    ASSERT_TRUE(tessel::LoadPlugin(sim::DefaultPluginPath().c_str(), folder.string().c_str(), error,
                                   sizeof error))
        << error;
    EXPECT_EQ(fs::current_path(), before) << "the working folder is restored after the load";
  }

  // Presses one key and runs one pass; returns what the pass showed.
  std::vector<std::string> Press(int key) {
    shown.clear();
    tessel::PressKey(key);
    tessel::SetTime(tessel::Now() + 33);
    tessel::RunTick();
    tessel::ReleaseAllKeys();  // a key the chain does not poll keeps its bit; start clean
    return shown;
  }

  fs::path folder_;
  Registrations registrations_;
};

using Texts = std::vector<std::string>;

TEST_F(PluginLoad, EachLoadReadsItsOwnSettingsAndStartsAfresh) {
  std::ofstream(folder_ / "a" / "ped.ini") << "OnOff=120\nChangeMode=121\n";

  Load(folder_ / "a");
  EXPECT_EQ(registrations_.names, Texts{"Brindle"});
  ASSERT_EQ(tessel::ThreadCount(), 1);
  EXPECT_EQ(Press(145), Texts{}) << "Scroll Lock is not the mode key under this ped.ini";
  EXPECT_EQ(Press(121), Texts{"Screen mode"});
  EXPECT_EQ(Press(121), Texts{"Screen mode 2"});
  EXPECT_EQ(Press(19), Texts{}) << "Pause is not the on/off key under this ped.ini";
  EXPECT_EQ(Press(120), Texts{"Zenthar is off"});
  tessel::UnloadPlugin();
  EXPECT_FALSE(tessel::PluginLoaded());
  EXPECT_EQ(tessel::ThreadCount(), 0) << "the module's thread object was destroyed at unload";

  Load(folder_ / "b");  // no ped.ini here
  EXPECT_EQ(registrations_.names, (Texts{"Brindle", "Brindle"})) << "one registration a load";
  ASSERT_EQ(tessel::ThreadCount(), 1);
  EXPECT_EQ(Press(121), Texts{}) << "the settings of the first load linger";
  EXPECT_EQ(Press(145), Texts{"Screen mode"}) << "a fresh store: keys on, mode 0 before the press";
  EXPECT_EQ(Press(19), Texts{"Zenthar is off"});
  tessel::UnloadPlugin();
  EXPECT_EQ(tessel::ThreadCount(), 0);

  std::ofstream(folder_ / "b" / "ped.ini") << "OnOff=112\n";
  Load(folder_ / "b");
  EXPECT_EQ(Press(145), Texts{"Screen mode"}) << "the mode key keeps its default";
  EXPECT_EQ(Press(112), Texts{"Zenthar is off"});
}

// As in the game, several plug-ins are loaded side by side; each goes on its own, and a module
// loaded already is not loaded twice.
TEST_F(PluginLoad, SeveralModulesLoadSideBySideAndUnloadOneByOne) {
  Load(folder_ / "a");
  char error[512] = {};
  ASSERT_TRUE(tessel::LoadPlugin(sim::DefaultTakePath().c_str(), folder_.string().c_str(), error,
                                 sizeof error))
      << error;
  EXPECT_EQ(registrations_.names, (Texts{"Brindle", "Take"}));
  EXPECT_FALSE(tessel::LoadPlugin(sim::DefaultPluginPath().c_str(), folder_.string().c_str(), error,
                                  sizeof error));
  EXPECT_NE(std::string(error).find("is loaded already"), std::string::npos) << error;
  ASSERT_EQ(tessel::ThreadCount(), 2);
  tessel::UnloadPlugin(sim::DefaultTakePath().c_str());
  ASSERT_EQ(tessel::ThreadCount(), 1);
  EXPECT_STREQ(tessel::ThreadAt(0)->GetName(), "Brindle");
  EXPECT_EQ(Press(145), Texts{"Screen mode"}) << "the plug-in goes on alone";
  tessel::UnloadPlugin();
  EXPECT_FALSE(tessel::PluginLoaded());
  EXPECT_EQ(tessel::ThreadCount(), 0);
}

TEST_F(PluginLoad, AMissingModuleIsReported) {
  const fs::path before = fs::current_path();
  char error[512] = {};
  EXPECT_FALSE(tessel::LoadPlugin((folder_ / "no-such-plugin.module").string().c_str(),
                                  folder_.string().c_str(), error, sizeof error));
  EXPECT_NE(error[0], '\0') << "the failure says why";
  EXPECT_FALSE(tessel::PluginLoaded());
  EXPECT_EQ(tessel::ThreadCount(), 0);
  EXPECT_EQ(fs::current_path(), before) << "the working folder is restored";
}

}  // namespace
