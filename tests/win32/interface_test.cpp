// The shipped Zenthar.dll meets the stand-in Tessel.dll the way it meets the game's host library:
// its thread object's virtual table is laid out in the Windows C++ ABI, it imports the host's
// twelve entry points under their decorated names and Windows' own DLLs for the rest, and it
// exports nothing. ZentharTake.dll keeps to the same imports and exports.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "natives/native_context.h"
#include "rehearsal/runner.h"
#include "tessel/host.h"

namespace {

namespace fs = std::filesystem;

const std::set<std::string> kHostEntries = {
    "??0NativeThread@@QAE@XZ",
    "??1NativeThread@@UAE@XZ",
    "?SetName@NativeThread@@QAEXPAD@Z",
    "?Reset@NativeThread@@MAE?AW4eThreadState@GameTypes@@IPAXI@Z",
    "?Run@NativeThread@@MAE?AW4eThreadState@GameTypes@@I@Z",
    "?Tick@NativeThread@@MAE?AW4eThreadState@GameTypes@@I@Z",
    "?Kill@NativeThread@@UAEXXZ",
    "?Start@NativeThread@@UAEXXZ",
    "?RegisterThread@TesselManager@@SAXPAVNativeThread@@@Z",
    "?GetNativeAddress@Game@@SAP6AXPAUNativeCallContext@@@ZPBD@Z",
    "?Info@Log@@SAXPBDZZ",
    "?Wait@ScriptingHelpers@@SAXI@Z",
};

void* const kSentinel = reinterpret_cast<void*>(std::uintptr_t{0xDEADBEEF});

std::vector<std::string> shown;

void Print(NativeCallContext* context) {
  if (context->argCount == 4) shown.emplace_back(reinterpret_cast<const char*>(context->slots[1]));
  context->slots[0] = 0;
}

class Lifecycle : public tessel::Listener {
 public:
  void OnRegister(const NativeThread*) override { ++registered; }
  void OnDestroy(const NativeThread*) override { ++destroyed; }
  int registered = 0;
  int destroyed = 0;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

const IMAGE_NT_HEADERS* HeadersOf(const BYTE* module) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(module + dos->e_lfanew);
}

// A loaded module's imports by DLL (lower case) and name. Only the four DLLs a plug-in may use
// appear, and nothing is imported by ordinal.
std::map<std::string, std::set<std::string>> ImportsOf(const BYTE* module) {
  const IMAGE_DATA_DIRECTORY& directory =
      HeadersOf(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  EXPECT_NE(directory.VirtualAddress, 0u);
  std::map<std::string, std::set<std::string>> imports;
  for (const auto* import =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(module + directory.VirtualAddress);
       directory.VirtualAddress != 0 && import->Name != 0; ++import) {
    const std::string dll = Lower(reinterpret_cast<const char*>(module + import->Name));
    const std::set<std::string> allowed = {"tessel.dll", "kernel32.dll", "user32.dll",
                                           "msvcrt.dll"};
    EXPECT_EQ(allowed.count(dll), 1u) << "imports from " << dll;
    for (const auto* entry =
             reinterpret_cast<const IMAGE_THUNK_DATA*>(module + import->OriginalFirstThunk);
         entry->u1.AddressOfData != 0; ++entry) {
      EXPECT_FALSE(IMAGE_SNAP_BY_ORDINAL(entry->u1.Ordinal)) << "an import by ordinal";
      if (IMAGE_SNAP_BY_ORDINAL(entry->u1.Ordinal)) continue;
      imports[dll].insert(reinterpret_cast<const char*>(
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(module + entry->u1.AddressOfData)->Name));
    }
  }
  return imports;
}

void ExpectNoExportsAndAtMost(const BYTE* module, const std::string& path, std::size_t most) {
  const IMAGE_DATA_DIRECTORY& exports =
      HeadersOf(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  EXPECT_EQ(exports.VirtualAddress, 0u) << path;
  EXPECT_EQ(exports.Size, 0u) << path;
  std::ifstream file(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(bytes.empty()) << path;
  EXPECT_EQ(bytes.find("_ZN"), std::string::npos) << "a GCC-mangled name in " << path;
  EXPECT_LE(bytes.size(), most) << path << " grew past its limit";
}

class ShippedDll : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("zenthar-interface-test-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(folder_);
    tessel::ClearNatives();
    ASSERT_TRUE(tessel::RegisterNative("PRINT_STRING_WITH_LITERAL_STRING_NOW", Print));
    tessel::SetListener(&lifecycle_);
    tessel::ResetClock(0);
    tessel::ReleaseAllKeys();
    shown.clear();
    char error[512] = {};
    ASSERT_TRUE(tessel::LoadPlugin(sim::DefaultPluginPath().c_str(), folder_.string().c_str(),
                                   error, sizeof error))
        << error;
    module_ = reinterpret_cast<const BYTE*>(GetModuleHandleA("Zenthar.dll"));
    host_ = GetModuleHandleA("Tessel.dll");
    ASSERT_NE(module_, nullptr);
    ASSERT_NE(host_, nullptr);
    ASSERT_EQ(tessel::ThreadCount(), 1);
    thread_ = tessel::ThreadAt(0);
    std::memcpy(static_cast<void*>(&table_), static_cast<const void*>(thread_), sizeof table_);
  }
  void TearDown() override {
    tessel::UnloadPlugin();
    tessel::SetListener(nullptr);
    tessel::ClearNatives();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  const IMAGE_NT_HEADERS* Headers() const { return HeadersOf(module_); }
  bool InModule(const void* address) const {
    const auto* byte = static_cast<const BYTE*>(address);
    return byte >= module_ && byte < module_ + Headers()->OptionalHeader.SizeOfImage;
  }
  // Where an import thunk (jmp through its address table entry) leads; the sentinel if the code
  // at `code` is not one.
  static void* ThroughThunk(const void* code) {
    const auto* bytes = static_cast<const BYTE*>(code);
    if (bytes[0] != 0xFF || bytes[1] != 0x25) return kSentinel;
    void* const* entry = nullptr;
    std::memcpy(static_cast<void*>(&entry), bytes + 2, sizeof entry);
    return *entry;
  }
  void* HostEntry(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(host_, name));
  }

  fs::path folder_;
  Lifecycle lifecycle_;
  const BYTE* module_ = nullptr;
  HMODULE host_ = nullptr;
  NativeThread* thread_ = nullptr;
  void* const* table_ = nullptr;
};

TEST_F(ShippedDll, RunPassIsSlotFiveAndThePlugInsOwn) {
  void* runPass = kSentinel;
  runPass = table_[5];
  EXPECT_TRUE(InModule(runPass)) << "slot 5 at " << runPass << " lies outside Zenthar.dll";
  EXPECT_EQ(ThroughThunk(runPass), kSentinel) << "slot 5 is an import thunk, not the body";

  tessel::PressKey(145);  // the mode key: the pass shows the new mode
  tessel::SetTime(33);
  tessel::RunTick();
  EXPECT_EQ(shown, std::vector<std::string>{"Screen mode"}) << "the host's tick ran slot 5";
}

TEST_F(ShippedDll, TheInheritedSlotsAreTheHostsOwnMembers) {
  const std::map<int, std::pair<const char*, const char*>> inherited = {
      {1,
       {"?Reset@NativeThread@@MAE?AW4eThreadState@GameTypes@@IPAXI@Z",
        "_ZN12NativeThread5ResetEjPvj"}},
      {2, {"?Run@NativeThread@@MAE?AW4eThreadState@GameTypes@@I@Z", "_ZN12NativeThread3RunEj"}},
      {3, {"?Tick@NativeThread@@MAE?AW4eThreadState@GameTypes@@I@Z", "_ZN12NativeThread4TickEj"}},
      {4, {"?Kill@NativeThread@@UAEXXZ", "_ZN12NativeThread4KillEv"}},
      {6, {"?Start@NativeThread@@UAEXXZ", "_ZN12NativeThread5StartEv"}},
  };
  for (const auto& [slot, names] : inherited) {
    const void* entry = table_[slot];
    EXPECT_TRUE(InModule(entry)) << "slot " << slot << " is not the plug-in's import thunk";
    void* target = ThroughThunk(entry);
    EXPECT_EQ(target, HostEntry(names.first))
        << "slot " << slot << " leads to " << target << ", not to the host's " << names.first;
    EXPECT_EQ(target, HostEntry(names.second)) << "slot " << slot << ": not the host's member";
  }
}

TEST_F(ShippedDll, SlotZeroIsThePlugInsDestructorAndRunsTheBaseOnce) {
  EXPECT_TRUE(InModule(table_[0])) << "slot 0 at " << table_[0] << " lies outside Zenthar.dll";
  EXPECT_EQ(ThroughThunk(table_[0]), kSentinel) << "slot 0 is the host's, not the plug-in's";
  ASSERT_EQ(lifecycle_.destroyed, 0);
  tessel::DestroyThread(thread_);  // slot 0, flags 0
  EXPECT_EQ(lifecycle_.destroyed, 1) << "the host's base destructor runs exactly once";
  EXPECT_EQ(tessel::ThreadCount(), 0) << "the base destructor took the thread off the host";
}

TEST_F(ShippedDll, UnloadingRunsTheDestructorFromTheExitList) {
  EXPECT_EQ(lifecycle_.registered, 1);
  tessel::UnloadPlugin();
  EXPECT_EQ(lifecycle_.destroyed, 1);
  EXPECT_EQ(tessel::ThreadCount(), 0);
}

TEST_F(ShippedDll, ImportsTheTwelveHostEntriesAndWindowsOwnDllsOnly) {
  const std::map<std::string, std::set<std::string>> imports = ImportsOf(module_);
  EXPECT_EQ(imports.at("tessel.dll"), kHostEntries);
  EXPECT_EQ(imports.at("kernel32.dll").count("GetTickCount"), 1u);
  EXPECT_EQ(imports.at("user32.dll").count("GetAsyncKeyState"), 1u);
}

TEST_F(ShippedDll, ExportsNothingAndCarriesNoGccNames) {
  ExpectNoExportsAndAtMost(module_, sim::DefaultPluginPath(), 20 * 1024);
}

// The take runner beside the plug-in: the same host entries (some of them), Windows' own DLLs
// and nothing else, no exports, at most 24 KiB, and its own thread.
TEST_F(ShippedDll, TheTakeRunnerImportsTheHostAndWindowsOnlyAndExportsNothing) {
  char error[512] = {};
  ASSERT_TRUE(tessel::LoadPlugin(sim::DefaultTakePath().c_str(), folder_.string().c_str(), error,
                                 sizeof error))
      << error;
  const auto* runner = reinterpret_cast<const BYTE*>(GetModuleHandleA("ZentharTake.dll"));
  ASSERT_NE(runner, nullptr);
  const std::map<std::string, std::set<std::string>> imports = ImportsOf(runner);
  for (const std::string& name : imports.at("tessel.dll")) {
    EXPECT_EQ(kHostEntries.count(name), 1u) << "the runner imports " << name;
  }
  EXPECT_EQ(imports.at("user32.dll"), std::set<std::string>{"GetAsyncKeyState"});
  // Its own: the import entries it stands in front of, the autosave's time and folder, the
  // picker's listing of it; no heap.
  EXPECT_EQ(imports.at("kernel32.dll"),
            (std::set<std::string>{"CreateDirectoryA", "FindClose", "FindFirstFileA",
                                   "FindNextFileA", "GetLocalTime", "GetModuleHandleA",
                                   "GetTickCount", "VirtualProtect"}));
  ExpectNoExportsAndAtMost(runner, sim::DefaultTakePath(), 24 * 1024);
  ASSERT_EQ(tessel::ThreadCount(), 2);
  EXPECT_STREQ(tessel::ThreadAt(1)->GetName(), "Take");
}

TEST_F(ShippedDll, TheThreadLeavesTheHostItsReserve) {
  static_assert(sizeof(NativeThread) >= NativeThread::kHostReserve, "the host's data fits");
  EXPECT_STREQ(thread_->GetName(), "Brindle") << "the name lives in the host's reserve";
  EXPECT_EQ(thread_->GetState(), GameTypes::ThreadStateRunning);
}

}  // namespace
