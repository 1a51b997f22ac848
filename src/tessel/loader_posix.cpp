// Loading the plug-in as a shared object; the keyboard and clock are this library's own
// GetAsyncKeyState, GetTickCount and GetLocalTime (devices.cpp), which the module binds to when
// it loads.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host.h"
#include "load_folder.h"
#include "win32/windows.h"

namespace tessel {

namespace {

using Entry = BOOL (*)(HINSTANCE, DWORD, LPVOID);

struct Module {
  std::string path;
  void* handle;
  Entry entry;
};
std::vector<Module> modules;  // in load order

bool Open(const char* path, char* error, unsigned errorSize) {
  void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    SetError(error, errorSize, why != nullptr ? why : "cannot load module");
    return false;
  }
  const auto entry = reinterpret_cast<Entry>(dlsym(handle, "DllMain"));
  if (entry == nullptr) {
    SetError(error, errorSize, std::string(path) + " has no library entry");
    dlclose(handle);
    return false;
  }
  modules.push_back({path, handle, entry});
  entry(handle, DLL_PROCESS_ATTACH, nullptr);
  return true;
}

void Close(const Module& module) {
  module.entry(module.handle, DLL_PROCESS_DETACH, nullptr);
  dlclose(module.handle);
}

}  // namespace

bool LoadPlugin(const char* path, const char* folder, char* error, unsigned errorSize) {
  for (const Module& module : modules) {
    if (module.path == path) {
      SetError(error, errorSize, std::string(path) + " is loaded already");
      return false;
    }
  }
  return LoadInFolder(folder, error, errorSize, [&] { return Open(path, error, errorSize); });
}

void UnloadPlugin(const char* path) {
  while (!modules.empty()) {
    auto it = modules.end() - 1;
    if (path != nullptr) {
      it = std::find_if(modules.begin(), modules.end(),
                        [&](const Module& module) { return module.path == path; });
      if (it == modules.end()) return;
    }
    const Module module = *it;
    modules.erase(it);
    Close(module);
    if (path != nullptr) return;
  }
}

bool PluginLoaded() {
  return !modules.empty();
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
