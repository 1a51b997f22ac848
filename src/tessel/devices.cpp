// The plug-in's two Win32 calls for the keyboard and the clock, answered by the virtual devices.
// Wherever the plug-in is not a Windows DLL, these are the functions it binds to; the Windows
// loader points a DLL's imports at the devices instead.
#include "host.h"
#include "win32/windows.h"

extern "C" {
SHORT GetAsyncKeyState(int vKey) {
  return tessel::QueryKey(vKey);
}
DWORD GetTickCount() {
  return tessel::TickCount();
}
}
