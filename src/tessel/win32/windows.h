// The few Win32 declarations the plug-in and the take runner use, for the Linux build. The
// stand-in host library implements GetAsyncKeyState, GetTickCount and GetLocalTime on its
// virtual keyboard and clock.
#pragma once

#include <cstdint>

using BOOL = int;
using DWORD = std::uint32_t;
using SHORT = std::int16_t;
using WORD = std::uint16_t;
using HINSTANCE = void*;
using LPVOID = void*;

#define WINAPI
#define TRUE 1
#define FALSE 0
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

extern "C" {
__attribute__((visibility("default"))) SHORT GetAsyncKeyState(int vKey);
__attribute__((visibility("default"))) DWORD GetTickCount();
__attribute__((visibility("default"))) void GetLocalTime(SYSTEMTIME* time);
// The library entry a plug-in module defines; the host calls it after loading and before unloading.
__attribute__((visibility("default"))) BOOL DllMain(HINSTANCE module, DWORD reason,
                                                    LPVOID reserved);
}
