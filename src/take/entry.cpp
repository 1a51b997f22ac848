// ZentharTake's library entry and its one script thread. The thread registers with the host
// like the plug-in's and runs the take runner's pass on every script tick.
#include <windows.h>

#include "take/runner.h"
#include "tessel.h"

namespace {

class TakeThread : public NativeThread {
 public:
  TakeThread() {
    // The host takes a non-const pointer but only reads the name.
    SetName(const_cast<char*>("Take"));
    take::LoadTakeSettings();
  }
  ~TakeThread() override {}
  void RunPass() override { take::RunTakePass(); }
};

TakeThread takeThread;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    TesselManager::RegisterThread(&takeThread);
    take::WatchPlugin();
  }
  if (reason == DLL_PROCESS_DETACH) take::ReleaseTake();
  return TRUE;
}
