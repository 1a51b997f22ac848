// The Win32 declarations the shipping DLL uses, for its clang build in the Windows ABI.
#pragma once

typedef int BOOL;
typedef unsigned long DWORD;
typedef short SHORT;
typedef unsigned short WORD;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef void* LPVOID;

#define WINAPI __stdcall
#define TRUE 1
#define FALSE 0
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3
#define PAGE_READWRITE 0x04

typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME;

extern "C" {
__declspec(dllimport) SHORT WINAPI GetAsyncKeyState(int vKey);
__declspec(dllimport) void WINAPI GetLocalTime(SYSTEMTIME* time);
__declspec(dllimport) BOOL WINAPI CreateDirectoryA(const char* path, void* security);
__declspec(dllimport) DWORD WINAPI GetTickCount(void);
__declspec(dllimport) HMODULE WINAPI GetModuleHandleA(const char* name);
__declspec(dllimport) BOOL WINAPI
    VirtualProtect(void* address, unsigned long size, DWORD protection, DWORD* previous);
}
