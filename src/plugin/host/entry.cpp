#include <windows.h>

#include <cstring>

#include "director/director.h"
#include "host/custom_thread.h"
#include "playback/playback.h"
#include "scene/scene.h"
#include "settings/settings.h"

namespace {

bool ClearHandleTables() {
  std::memset(pedHandle, 0, sizeof pedHandle);
  std::memset(cueCar, 0, sizeof cueCar);
  std::memset(cueTarget, 0, sizeof cueTarget);
  return true;
}

// Defined before scriptThread in this file, so it runs first during static initialization.
[[maybe_unused]] const bool handleTablesCleared = ClearHandleTables();

}  // namespace

CustomThread::CustomThread() {
  // The host takes a non-const pointer but only reads the name.
  SetName(const_cast<char*>("Brindle"));
  LoadKeySettings();
}

CustomThread::~CustomThread() {}

void CustomThread::RunPass() {
  TickPlayback();
  RunKeyChain();
}

CustomThread scriptThread;

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) TesselManager::RegisterThread(&scriptThread);
  return TRUE;
}
