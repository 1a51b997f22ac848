// The shipping DLL's start-up, in place of a C++ runtime library. At process attach it runs the
// static initializers in the order the linker laid them out, then DllMain; at process detach it
// runs DllMain, then the exit list, last registration first. Everything here is fixed storage.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);

namespace {

using Initializer = void(__cdecl*)();
using ExitFunction = void(__cdecl*)();

// The compiler puts a pointer to each translation unit's initializer in .CRT$XCU; the linker sorts
// the .CRT$XC* sections by name, so these two bracket all of them.
#pragma section(".CRT$XCA", read)
#pragma section(".CRT$XCZ", read)
__declspec(allocate(".CRT$XCA")) const Initializer initializersBegin = nullptr;
__declspec(allocate(".CRT$XCZ")) const Initializer initializersEnd = nullptr;

// The static objects with destructors; the plug-in has one.
constexpr int kExitSlots = 16;
ExitFunction exitList[kExitSlots];
int exitCount = 0;

void RunInitializers() {
  // Read through a volatile pointer: the bounds are separate objects as far as the compiler knows.
  const Initializer* volatile end = &initializersEnd;
  for (const Initializer* entry = &initializersBegin + 1; entry < end; ++entry) {
    if (*entry != nullptr) (*entry)();
  }
}

void RunExitList() {
  while (exitCount > 0) exitList[--exitCount]();
}

}  // namespace

extern "C" {

// Marks the use of floating point; nothing reads it.
int _fltused = 0;

// Where the compiler registers a static object's destructor.
int __cdecl atexit(ExitFunction function) {
  if (exitCount == kExitSlots) return -1;
  exitList[exitCount++] = function;
  return 0;
}

BOOL WINAPI _DllMainCRTStartup(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) RunInitializers();
  const BOOL result = DllMain(module, reason, reserved);
  if (reason == DLL_PROCESS_DETACH) RunExitList();
  return result;
}

}  // extern "C"

// Named by the deleting destructor that the compiler puts in a virtual table. Nothing here is on
// the heap: the one object with such a destructor is the static script thread, which nobody
// deletes.
void operator delete(void*) noexcept {}
