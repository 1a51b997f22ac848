// The stand-in host's own controls, used by the rehearsal tool and the tests: the virtual
// keyboard and clock, the native registry, the scheduler, event listening and plug-in loading.
#pragma once

#include <cstdint>

#include "tessel.h"

namespace tessel {

// Keyboard: a press sets a key's "pressed since last query" bit; a query returns it in bit 0
// and clears it. Bit 15 (key is down) is never set. Codes outside 0..255 never report a press.
TESSEL_API void PressKey(int key);
TESSEL_API std::int16_t QueryKey(int key);
TESSEL_API void ReleaseAllKeys();

// Clock: virtual milliseconds since the start of a run, and the 32-bit tick count the plug-in
// reads, which starts at any value and wraps.
TESSEL_API void ResetClock(std::uint32_t tickCountAtStart);
TESSEL_API void SetTime(std::uint64_t milliseconds);
TESSEL_API std::uint64_t Now();
TESSEL_API std::uint32_t TickCount();
// The local time a run's modules read: a fixed day, 2026-01-01 at midnight, plus the virtual
// milliseconds, so that what they name by the time comes out the same in every run.
struct LocalTime {
  std::uint16_t year, month, weekday, day, hour, minute, second, millisecond;
};
TESSEL_API LocalTime LocalTimeNow();

// Natives: a name maps to one entry point; a second registration of a name is refused.
TESSEL_API bool RegisterNative(const char* name, Game::NativeHandler handler);
TESSEL_API bool UnregisterNative(const char* name);
TESSEL_API void ClearNatives();
TESSEL_API unsigned NativeCount();

// One host tick: every registered, running thread's body runs once, up to the end of its pass
// or its next wait. A waiting body resumes at the first tick at or after its wake time.
TESSEL_API void RunTick();
TESSEL_API int ThreadCount();
// Takes a registered thread off the host's list (a test's way to undo a registration).
TESSEL_API void UnregisterThread(NativeThread* thread);
TESSEL_API NativeThread* ThreadAt(int index);
// The thread whose body runs now, or null between bodies (while the world steps, say).
TESSEL_API const NativeThread* RunningThread();
// Runs a thread's destructor as its table lays it out (for a Windows-ABI plug-in, slot 0 with
// flags 0), leaving the storage alone. The game's host does this to its threads at shutdown; the
// stand-in only when told.
TESSEL_API void DestroyThread(NativeThread* thread);

// What the host reports while it runs. All calls come on the host's thread.
class TESSEL_API Listener {
 public:
  virtual ~Listener();
  virtual void OnRegister(const NativeThread* thread);
  virtual void OnLog(const char* line);
  virtual void OnMissingNative(const char* name);
  virtual void OnWait(unsigned milliseconds);
  virtual void OnPassBegin();
  virtual void OnPassEnd();
  // A thread's base destructor ran.
  virtual void OnDestroy(const NativeThread* thread);
};
TESSEL_API void SetListener(Listener* listener);
TESSEL_API void SetLogFile(const char* path);

// Loads a plug-in module beside those already loaded, as the game loads every plug-in it finds,
// with `folder` as the working folder while it loads (it reads its settings from there), and
// calls its entry with process attach. On Windows the module's imports of GetAsyncKeyState,
// GetTickCount and GetLocalTime are pointed at the virtual keyboard and clock. Returns false and
// fills `error` when the module cannot be loaded or is loaded already.
TESSEL_API bool LoadPlugin(const char* path, const char* folder, char* error, unsigned errorSize);
// Unloads the module loaded from `path`; with no path, every module, the last loaded first.
TESSEL_API void UnloadPlugin(const char* path = nullptr);
TESSEL_API bool PluginLoaded();
// Points a module's imports of GetAsyncKeyState, GetTickCount and GetLocalTime at the virtual
// keyboard and clock; null names the running program. Programs that link the plug-in's code
// directly call it once. On Linux those functions are this library's own already, so it does
// nothing there.
TESSEL_API void RouteDevices(void* module);

// The folder that holds the running executable, with no trailing separator.
TESSEL_API void ExecutableFolder(char* out, unsigned size);

}  // namespace tessel
