// The few Win32 declarations the plug-in and the take runner use, for the Linux and WebAssembly
// builds. The stand-in host library implements GetAsyncKeyState, GetTickCount and GetLocalTime on
// its virtual keyboard and clock; where modules are linked into the program, its loader implements
// GetModuleHandleA and VirtualProtect too (loader_static.cpp), through which the take runner finds
// the plug-in's import entries as on Windows.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int;
using DWORD = std::uint32_t;
using SHORT = std::int16_t;
using WORD = std::uint16_t;
using HINSTANCE = void*;
using HMODULE = void*;
using LPVOID = void*;

#define WINAPI
#define TRUE 1
#define FALSE 0
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3
#define PAGE_READWRITE 0x04

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
__attribute__((visibility("default"))) HMODULE GetModuleHandleA(const char* name);
__attribute__((visibility("default"))) BOOL VirtualProtect(void* address, std::size_t size,
                                                           DWORD protection, DWORD* previous);
// The library entry a plug-in module defines; the host calls it after loading and before unloading.
__attribute__((visibility("default"))) BOOL DllMain(HINSTANCE module, DWORD reason,
                                                    LPVOID reserved);
}
