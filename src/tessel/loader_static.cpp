// Loading the plug-in that is linked into the program itself, for a build that cannot load
// modules (the desk's WebAssembly engine). A module's static storage is fresh at every load; the
// linked-in plug-in's is the program's, in its load state only until the plug-in first runs.
// So it loads once in a program instance, and a second load is refused, never handed a scene
// store an earlier rehearsal has written: a rehearsal takes an instance of its own.
//
// The program's start-up runs the plug-in's static initialization as a module's load would, but
// before any folder is known (and in a fresh instance no ped.ini is there to read). The load
// constructs the thread object again, in place, in the run's folder: its own constructor then
// reads the key codes from that folder's ped.ini, as it does when the game loads the DLL.
#include <cstdio>
#include <new>
#include <string>

#include "host.h"
#include "host/custom_thread.h"
#include "load_folder.h"
#include "win32/windows.h"

#if !defined(ZENTHAR_PLUGIN_FILE)
#error "the build names the plug-in's module file"
#endif

namespace tessel {

namespace {

enum class Load { fresh, loaded, spent };
Load load = Load::fresh;
std::string loadedPath;

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Why the linked-in plug-in cannot load from `path` now; empty when it can.
std::string Refusal(const std::string& path) {
  if (FileName(path) != ZENTHAR_PLUGIN_FILE) {
    return path + ": this program loads no modules; only the plug-in is linked into it";
  }
  if (load == Load::loaded) return path + " is loaded already";
  if (load == Load::spent) {
    return "the plug-in has run in this program instance already, so its scene store is no "
           "longer in its load state: a rehearsal needs an instance of its own";
  }
  return {};
}

}  // namespace

bool LoadPlugin(const char* path, const char* folder, char* error, unsigned errorSize) {
  const std::string refusal = Refusal(path);
  if (!refusal.empty()) {
    SetError(error, errorSize, refusal);
    return false;
  }
  return LoadInFolder(folder, error, errorSize, [&] {
    new (&scriptThread) CustomThread;
    load = Load::loaded;
    loadedPath = path;
    DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
    return true;
  });
}

void UnloadPlugin(const char* path) {
  if (load != Load::loaded || (path != nullptr && loadedPath != path)) return;
  DllMain(nullptr, DLL_PROCESS_DETACH, nullptr);
  // What unloading a module does to its static objects.
  scriptThread.~CustomThread();
  load = Load::spent;
}

bool PluginLoaded() {
  return load == Load::loaded;
}

void RouteDevices(void*) {}

// A program that loads no modules has no folder of them; the working folder stands for it.
void ExecutableFolder(char* out, unsigned size) {
  std::snprintf(out, size, "%s", ".");
}

}  // namespace tessel
