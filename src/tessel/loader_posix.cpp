// Loading the plug-in as a shared object; the keyboard and clock are this library's own
// GetAsyncKeyState and GetTickCount, which the module binds to when it loads.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

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

namespace tessel {

namespace {

using Entry = BOOL (*)(HINSTANCE, DWORD, LPVOID);

void* module = nullptr;
Entry entry = nullptr;

void SetError(char* error, unsigned size, const std::string& text) {
  if (error != nullptr && size > 0) std::snprintf(error, size, "%s", text.c_str());
}

}  // namespace

bool LoadPlugin(const char* path, const char* folder, char* error, unsigned errorSize) {
  if (module != nullptr) UnloadPlugin();
  char previous[PATH_MAX];
  const bool moved = folder != nullptr && getcwd(previous, sizeof previous) != nullptr;
  if (moved && chdir(folder) != 0) {
    SetError(error, errorSize, std::string("cannot enter folder ") + folder);
    return false;
  }
  module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  bool loaded = module != nullptr;
  if (!loaded) {
    const char* why = dlerror();
    SetError(error, errorSize, why != nullptr ? why : "cannot load module");
  } else {
    entry = reinterpret_cast<Entry>(dlsym(module, "DllMain"));
    if (entry == nullptr) {
      SetError(error, errorSize, std::string(path) + " has no library entry");
      dlclose(module);
      module = nullptr;
      loaded = false;
    } else {
      entry(module, DLL_PROCESS_ATTACH, nullptr);
    }
  }
  if (moved && chdir(previous) != 0) SetError(error, errorSize, "cannot return to folder");
  return loaded;
}

void UnloadPlugin() {
  if (module == nullptr) return;
  entry(module, DLL_PROCESS_DETACH, nullptr);
  dlclose(module);
  module = nullptr;
  entry = nullptr;
}

bool PluginLoaded() {
  return module != nullptr;
}

void RouteDevices(void*) {}

void ExecutableFolder(char* out, unsigned size) {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string folder = length > 0 ? std::string(path, static_cast<std::size_t>(length)) : ".";
  const std::size_t slash = folder.find_last_of('/');
  folder = slash == std::string::npos ? "." : folder.substr(0, slash);
  std::snprintf(out, size, "%s", folder.c_str());
}

}  // namespace tessel
