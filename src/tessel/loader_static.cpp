// Loading the modules linked into the program itself, for a build that cannot load files (the
// desk's WebAssembly engine). The program lists them (linked_modules.h); each is a unit of its own
// that shows its library entry and its image. A load binds the image's imports to this host's
// functions and calls the entry in the run's folder, which runs the module's static initializers
// and then its DllMain, as the Windows loader does with a DLL: so the plug-in's thread object is
// constructed, and reads its ped.ini, in the folder it loads in.
//
// A module's static storage is in its load state only until the module first loads: unloading it
// runs its destructors, but nothing gives its storage back what the program's start held. So a
// module loads once in a program instance, and a second load is refused, never handed storage an
// earlier rehearsal wrote: a rehearsal takes an instance of its own.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host.h"
#include "linked_modules.h"
#include "load_folder.h"
#include "win32/windows.h"

namespace tessel {

namespace {

// A PE32 import directory's entries, read as the Windows loader lays them out: the NT headers at
// 0x3C, the import directory in the second data directory, 20-byte descriptors, 4-byte thunks.
static_assert(sizeof(void*) == 4, "an import address table entry is a 32-bit program's pointer");
constexpr std::uint32_t kNtHeadersAt = 0x3C;
constexpr std::uint32_t kImportDirectoryAt = 4 + 20 + 104;
constexpr std::uint32_t kDescriptorSize = 20;

// What this host gives the modules it loads, by the names a DLL imports them by.
struct Export {
  const char* dll;
  const char* function;
  void* address;
};
const Export kExports[] = {
    {"USER32.dll", "GetAsyncKeyState", reinterpret_cast<void*>(&GetAsyncKeyState)},
    {"KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&GetTickCount)},
    {"KERNEL32.dll", "GetLocalTime", reinterpret_cast<void*>(&GetLocalTime)},
    {"Tessel.dll", "?GetNativeAddress@Game@@SAP6AXPAUNativeCallContext@@@ZPBD@Z",
     reinterpret_cast<void*>(&Game::GetNativeAddress)},
    {"Tessel.dll", "?Info@Log@@SAXPBDZZ", reinterpret_cast<void*>(&Log::Info)},
};

enum class Load { fresh, loaded, spent };

struct Module {
  const LinkedModule* linked;
  Load load;
  std::string path;
};
std::vector<Module> modules;      // one for each of the program's modules
std::vector<std::size_t> loaded;  // indexes into modules, in load order

std::uint32_t Read32(const unsigned char* at) {
  std::uint32_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// Windows compares module and DLL names in any case.
bool SameName(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
    const char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

void* Exported(const char* dll, const char* function) {
  for (const Export& e : kExports) {
    if (SameName(e.dll, dll) && std::strcmp(e.function, function) == 0) return e.address;
  }
  return nullptr;
}

// Fills the image's import address table; the first import this host does not give, as
// "FUNCTION from DLL", or empty when it gives them all.
std::string Bind(unsigned char* image) {
  const unsigned char* nt = image + Read32(image + kNtHeadersAt);
  for (const unsigned char* d = image + Read32(nt + kImportDirectoryAt); Read32(d + 12) != 0;
       d += kDescriptorSize) {
    const char* dll = reinterpret_cast<const char*>(image + Read32(d + 12));
    void** addresses = reinterpret_cast<void**>(image + Read32(d + 16));
    for (std::uint32_t i = 0;; ++i) {
      const std::uint32_t name = Read32(image + Read32(d) + 4 * i);
      if (name == 0) break;
      const char* function = reinterpret_cast<const char*>(image + name + 2);
      addresses[i] = Exported(dll, function);
      if (addresses[i] == nullptr) return std::string(function) + " from " + dll;
    }
  }
  return {};
}

std::vector<Module>& Modules() {
  if (modules.empty()) {
    for (const LinkedModule* m = kLinkedModules; m->file != nullptr; ++m) {
      modules.push_back({m, Load::fresh, {}});
    }
  }
  return modules;
}

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The module that loads from `path`, or null with the reason it cannot load now in `refusal`.
Module* Loadable(const std::string& path, std::string& refusal) {
  std::string names;
  for (Module& module : Modules()) {
    names += std::string(names.empty() ? "" : ", ") + module.linked->file;
    if (!SameName(FileName(path).c_str(), module.linked->file)) continue;
    if (module.load == Load::loaded) refusal = path + " is loaded already";
    if (module.load == Load::spent) {
      refusal = std::string(module.linked->file) +
                " has run in this program instance already, so its static storage is no longer "
                "in its load state: a rehearsal needs an instance of its own";
    }
    const std::string unbound = refusal.empty() ? Bind(module.linked->image) : "";
    if (!unbound.empty()) {
      refusal = path + " imports " + unbound + ", which this host does not give";
    }
    return refusal.empty() ? &module : nullptr;
  }
  refusal = path + ": this program loads no files; the modules linked into it are " + names;
  return nullptr;
}

void Detach(Module& module) {
  module.linked->entry(module.linked->image, DLL_PROCESS_DETACH, nullptr);
  module.load = Load::spent;
}

}  // namespace

bool LoadPlugin(const char* path, const char* folder, char* error, unsigned errorSize) {
  std::string refusal;
  Module* module = Loadable(path, refusal);
  if (module == nullptr) {
    SetError(error, errorSize, refusal);
    return false;
  }
  return LoadInFolder(folder, error, errorSize, [&] {
    module->load = Load::loaded;
    module->path = path;
    loaded.push_back(static_cast<std::size_t>(module - modules.data()));
    module->linked->entry(module->linked->image, DLL_PROCESS_ATTACH, nullptr);
    return true;
  });
}

void UnloadPlugin(const char* path) {
  while (!loaded.empty()) {
    auto it = loaded.end() - 1;
    if (path != nullptr) {
      it = loaded.begin();
      while (it != loaded.end() && modules[*it].path != path) ++it;
      if (it == loaded.end()) return;
    }
    Module& module = modules[*it];
    loaded.erase(it);
    Detach(module);
    if (path != nullptr) return;
  }
}

bool PluginLoaded() {
  return !loaded.empty();
}

void RouteDevices(void*) {}

// A program that loads no files has no folder of them; the working folder stands for it.
void ExecutableFolder(char* out, unsigned size) {
  std::snprintf(out, size, "%s", ".");
}

}  // namespace tessel

extern "C" {

// A loaded module's image, by its file name; this program has no image of its own.
HMODULE GetModuleHandleA(const char* name) {
  if (name == nullptr) return nullptr;
  for (const std::size_t index : tessel::loaded) {
    const tessel::LinkedModule* linked = tessel::modules[index].linked;
    if (tessel::SameName(name, linked->file)) return linked->image;
  }
  return nullptr;
}

// Every page of the program's memory can be written.
BOOL VirtualProtect(void*, std::size_t, DWORD, DWORD* previous) {
  if (previous != nullptr) *previous = PAGE_READWRITE;
  return TRUE;
}

}  // extern "C"
