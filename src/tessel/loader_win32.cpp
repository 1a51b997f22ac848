// Loading the plug-in DLL. After the load its import address table entries for
// GetAsyncKeyState, GetTickCount and GetLocalTime are pointed at the virtual keyboard and clock,
// so the module under test is the very file users ship.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host.h"

namespace tessel {

namespace {

struct Module {
  std::string path;
  HMODULE handle;
};
std::vector<Module> modules;  // in load order

SHORT WINAPI VirtualGetAsyncKeyState(int key) {
  return QueryKey(key);
}
DWORD WINAPI VirtualGetTickCount() {
  return TickCount();
}
void WINAPI VirtualGetLocalTime(SYSTEMTIME* time) {
  const LocalTime t = LocalTimeNow();
  *time = {t.year, t.month, t.weekday, t.day, t.hour, t.minute, t.second, t.millisecond};
}

void SetError(char* error, unsigned size, const std::string& text) {
  if (error != nullptr && size > 0) std::snprintf(error, size, "%s", text.c_str());
}

void PatchImport(HMODULE base, const char* dll, const char* function, void* replacement) {
  auto* bytes = reinterpret_cast<BYTE*>(base);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(bytes);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(bytes + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return;
  for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(bytes + directory.VirtualAddress);
       import->Name != 0; ++import) {
    if (_stricmp(reinterpret_cast<const char*>(bytes + import->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(bytes + (import->OriginalFirstThunk != 0
                                                                   ? import->OriginalFirstThunk
                                                                   : import->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(bytes + import->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(bytes + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
      DWORD protection = 0;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
    }
  }
}

}  // namespace

bool LoadPlugin(const char* path, const char* folder, char* error, unsigned errorSize) {
  for (const Module& loaded : modules) {
    if (loaded.path == path) {
      SetError(error, errorSize, std::string(path) + " is loaded already");
      return false;
    }
  }
  char previous[MAX_PATH];
  const bool moved = folder != nullptr && GetCurrentDirectoryA(sizeof previous, previous) != 0;
  if (moved && !SetCurrentDirectoryA(folder)) {
    SetError(error, errorSize, std::string("cannot enter folder ") + folder);
    return false;
  }
  HMODULE module = LoadLibraryA(path);
  if (moved) SetCurrentDirectoryA(previous);
  if (module == nullptr) {
    SetError(
        error, errorSize,
        std::string("cannot load ") + path + " (error " + std::to_string(GetLastError()) + ")");
    return false;
  }
  modules.push_back({path, module});
  RouteDevices(module);
  return true;
}

void RouteDevices(void* target) {
  HMODULE base = target != nullptr ? static_cast<HMODULE>(target) : GetModuleHandleA(nullptr);
  PatchImport(base, "USER32.dll", "GetAsyncKeyState",
              reinterpret_cast<void*>(&VirtualGetAsyncKeyState));
  PatchImport(base, "KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&VirtualGetTickCount));
  PatchImport(base, "KERNEL32.dll", "GetLocalTime", reinterpret_cast<void*>(&VirtualGetLocalTime));
}

void UnloadPlugin(const char* path) {
  while (!modules.empty()) {
    auto it = modules.end() - 1;
    if (path != nullptr) {
      it = std::find_if(modules.begin(), modules.end(),
                        [&](const Module& loaded) { return loaded.path == path; });
      if (it == modules.end()) return;
    }
    const HMODULE module = it->handle;
    modules.erase(it);
    FreeLibrary(module);
    if (path != nullptr) return;
  }
}

bool PluginLoaded() {
  return !modules.empty();
}

void ExecutableFolder(char* out, unsigned size) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  const std::size_t slash = folder.find_last_of("\\/");
  folder = slash == std::string::npos ? "." : folder.substr(0, slash);
  std::snprintf(out, size, "%s", folder.c_str());
}

}  // namespace tessel
