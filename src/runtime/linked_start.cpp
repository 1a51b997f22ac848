// The start-up of a module linked into a program that loads no files (the desk's WebAssembly
// engine), in place of a DLL's: what dll_start.cpp is to the shipping DLLs. The build joins each
// module's code and this file into one unit whose symbols are all its own, as a DLL's are, but
// for this file's entry and image (cmake/LinkedModule.cmake). The program lists the modules it
// holds; its loader binds the image's imports and calls the entry, as the Windows loader does.
//
// The entry runs the module's static initializers at process attach, then DllMain; at process
// detach DllMain, then the exit list, last registration first. So the module is in its load state
// when it loads, in the folder it loads in, and not when the program starts.
//
// The image is as much of a PE32 header as a reader of its imports needs, with the import
// directory and the address table the loader fills. The module calls the host functions a loader
// routes (the keyboard and the clocks, Game::GetNativeAddress and Log::Info) through that table, so
// another module can find an entry by this module's name and stand in front of it, as on Windows.
#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "tessel.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
// The module's static initializers in the order the compiler listed them; the build makes this
// function of that list.
extern "C" void zenthar_module_initializers();

namespace {

struct DosHeader {
  std::uint16_t magic;  // "MZ"
  unsigned char unread[58];
  std::uint32_t ntAt;
};

struct FileHeader {
  std::uint16_t machine, sections;
  std::uint32_t timeStamp, symbols, symbolCount;
  std::uint16_t optionalSize, characteristics;
};

struct Directory {
  std::uint32_t at, size;
};

struct OptionalHeader {
  std::uint16_t magic;  // PE32
  unsigned char unread[90];
  std::uint32_t directoryCount;
  Directory directories[16];  // the second is the import directory
};

struct NtHeaders {
  std::uint32_t signature;  // "PE\0\0"
  FileHeader file;
  OptionalHeader optional;
};
static_assert(offsetof(NtHeaders, optional.directories[1]) == 128, "where readers look");

struct Descriptor {
  std::uint32_t names;  // the import lookup table
  std::uint32_t timeStamp, forwarder;
  std::uint32_t dll;
  std::uint32_t addresses;  // the import address table
};

// A function's name after its two-byte hint.
template <std::size_t N>
struct HintName {
  std::uint16_t hint;
  char name[N];
};

// By the order of the entries below. Each DLL's list of names and of addresses ends with a zero.
enum Slot {
  keyState,
  user32End,
  tickCount,
  localTime,
  kernel32End,
  nativeAddress,
  logInfo,
  kSlots
};

struct Image {
  DosHeader dos;
  NtHeaders nt;
  Descriptor descriptors[4];
  std::uint32_t names[kSlots + 1];
  void* addresses[kSlots + 1];
  char user32[sizeof "USER32.dll"], kernel32[sizeof "KERNEL32.dll"], tessel[sizeof "Tessel.dll"];
  HintName<sizeof "GetAsyncKeyState"> keyStateName;
  HintName<sizeof "GetTickCount"> tickCountName, localTimeName;
  HintName<sizeof "?GetNativeAddress@Game@@SAP6AXPAUNativeCallContext@@@ZPBD@Z"> nativeAddressName;
  HintName<sizeof "?Info@Log@@SAXPBDZZ"> logInfoName;
};

constexpr std::uint32_t At(std::size_t offset) {
  return static_cast<std::uint32_t>(offset);
}

}  // namespace

extern "C" {

// Named by the program's list of its modules (the build gives this name and the entry's the
// module's own).
Image zenthar_module_image = {
    .dos = {.magic = 0x5A4D, .unread = {}, .ntAt = At(offsetof(Image, nt))},
    .nt = {.signature = 0x4550,
           .file = {.machine = 0x14C,
                    .sections = 0,
                    .timeStamp = 0,
                    .symbols = 0,
                    .symbolCount = 0,
                    .optionalSize = sizeof(OptionalHeader),
                    .characteristics = 0x2102},  // a 32-bit executable DLL
           .optional = {.magic = 0x10B,
                        .unread = {},
                        .directoryCount = 16,
                        .directories = {{0, 0},
                                        {At(offsetof(Image, descriptors)),
                                         sizeof(Image::descriptors)}}}},
    .descriptors = {{At(offsetof(Image, names[keyState])), 0, 0, At(offsetof(Image, user32)),
                     At(offsetof(Image, addresses[keyState]))},
                    {At(offsetof(Image, names[tickCount])), 0, 0, At(offsetof(Image, kernel32)),
                     At(offsetof(Image, addresses[tickCount]))},
                    {At(offsetof(Image, names[nativeAddress])), 0, 0, At(offsetof(Image, tessel)),
                     At(offsetof(Image, addresses[nativeAddress]))},
                    {0, 0, 0, 0, 0}},
    .names = {At(offsetof(Image, keyStateName)), 0, At(offsetof(Image, tickCountName)),
              At(offsetof(Image, localTimeName)), 0, At(offsetof(Image, nativeAddressName)),
              At(offsetof(Image, logInfoName)), 0},
    .addresses = {},
    .user32 = "USER32.dll",
    .kernel32 = "KERNEL32.dll",
    .tessel = "Tessel.dll",
    .keyStateName = {0, "GetAsyncKeyState"},
    .tickCountName = {0, "GetTickCount"},
    .localTimeName = {0, "GetLocalTime"},
    .nativeAddressName = {0, "?GetNativeAddress@Game@@SAP6AXPAUNativeCallContext@@@ZPBD@Z"},
    .logInfoName = {0, "?Info@Log@@SAXPBDZZ"},
};

}  // extern "C"

namespace {

template <typename Function>
Function Bound(Slot slot) {
  return reinterpret_cast<Function>(zenthar_module_image.addresses[slot]);
}

using ExitFunction = void (*)(void*);
struct Exit {
  ExitFunction function;
  void* argument;
};
// The static objects with destructors; the plug-in and the take runner have one each.
constexpr int kExitSlots = 16;
Exit exitList[kExitSlots];
int exitCount = 0;

}  // namespace

extern "C" {

// Where the compiler registers a static object's destructor: with the module, not the program.
int __cxa_atexit(ExitFunction function, void* argument, void*) {
  if (exitCount == kExitSlots) return -1;
  exitList[exitCount++] = {function, argument};
  return 0;
}

SHORT WINAPI GetAsyncKeyState(int key) {
  return Bound<SHORT(WINAPI*)(int)>(keyState)(key);
}

DWORD WINAPI GetTickCount() {
  return Bound<DWORD(WINAPI*)()>(tickCount)();
}

void WINAPI GetLocalTime(SYSTEMTIME* time) {
  Bound<void(WINAPI*)(SYSTEMTIME*)>(localTime)(time);
}

BOOL WINAPI zenthar_module_entry(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) zenthar_module_initializers();
  const BOOL result = DllMain(module, reason, reserved);
  if (reason == DLL_PROCESS_DETACH) {
    while (exitCount > 0) {
      const Exit exit = exitList[--exitCount];
      exit.function(exit.argument);
    }
  }
  return result;
}

}  // extern "C"

Game::NativeHandler Game::GetNativeAddress(const char* name) {
  return Bound<NativeHandler (*)(const char*)>(nativeAddress)(name);
}

// A variadic call cannot be handed on as it is: the line is made here and handed on whole.
void Log::Info(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  Bound<void (*)(const char*, ...)>(logInfo)("%s", line);
}
