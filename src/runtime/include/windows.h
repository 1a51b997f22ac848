// The Win32 declarations the shipping DLL uses, for its clang build in the Windows ABI.
#pragma once

typedef int BOOL;
typedef unsigned long DWORD;
typedef short SHORT;
typedef unsigned short WORD;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef void* LPVOID;
typedef void* HANDLE;

#define WINAPI __stdcall
#define TRUE 1
#define FALSE 0
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3
#define PAGE_READWRITE 0x04
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define INVALID_HANDLE_VALUE ((HANDLE)(long)-1)

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

typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME;

typedef struct _WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  char cFileName[260];
  char cAlternateFileName[14];
} WIN32_FIND_DATAA;

extern "C" {
__declspec(dllimport) SHORT WINAPI GetAsyncKeyState(int vKey);
__declspec(dllimport) void WINAPI GetLocalTime(SYSTEMTIME* time);
__declspec(dllimport) BOOL WINAPI CreateDirectoryA(const char* path, void* security);
__declspec(dllimport) DWORD WINAPI GetTickCount(void);
__declspec(dllimport) HANDLE WINAPI FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* found);
__declspec(dllimport) BOOL WINAPI FindNextFileA(HANDLE search, WIN32_FIND_DATAA* found);
__declspec(dllimport) BOOL WINAPI FindClose(HANDLE search);
__declspec(dllimport) HMODULE WINAPI GetModuleHandleA(const char* name);
__declspec(dllimport) BOOL WINAPI
    VirtualProtect(void* address, unsigned long size, DWORD protection, DWORD* previous);
}
