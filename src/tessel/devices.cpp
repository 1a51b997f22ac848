// The Win32 calls for the keyboard and the clocks, answered by the virtual devices: the plug-in's
// two and the take runner's local time. Wherever a module is not a Windows DLL, these are the
// functions it binds to; the Windows loader points a DLL's imports at the devices instead.
#include "host.h"
#include "win32/windows.h"

extern "C" {
SHORT GetAsyncKeyState(int vKey) {
  return tessel::QueryKey(vKey);
}
DWORD GetTickCount() {
  return tessel::TickCount();
}
void GetLocalTime(SYSTEMTIME* time) {
  const tessel::LocalTime t = tessel::LocalTimeNow();
  *time = {t.year, t.month, t.weekday, t.day, t.hour, t.minute, t.second, t.millisecond};
}
}
