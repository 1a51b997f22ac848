// The plug-in's import entries in the Windows module: its import directory lists, per DLL, the
// functions' names beside the address table the loader filled in.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "take/imports.h"

namespace take {

namespace {

const char* const kPlugin = "Zenthar.dll";

struct ImportName {
  const char* dll;
  const char* function;
};

// By Import, in the host's decorated names.
const ImportName kImports[] = {
    {"USER32.dll", "GetAsyncKeyState"},
    {"Tessel.dll", "?GetNativeAddress@Game@@SAP6AXPAUNativeCallContext@@@ZPBD@Z"},
};

std::uint32_t Read32(const unsigned char* at) {
  std::uint32_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
}

bool SameDll(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
    const char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

// The PE32 layout: the NT headers at e_lfanew, the import directory the second entry of the
// optional header's data directories, 20-byte descriptors, 4-byte thunks.
constexpr std::uint32_t kNtHeadersAt = 0x3C;
constexpr std::uint32_t kImportDirectoryAt = 4 + 20 + 104;
constexpr std::uint32_t kDescriptorSize = 20;
constexpr std::uint32_t kByOrdinal = 0x80000000u;

void** FindImport(const unsigned char* base, const char* dll, const char* function) {
  const unsigned char* nt = base + Read32(base + kNtHeadersAt);
  const std::uint32_t directory = Read32(nt + kImportDirectoryAt);
  if (directory == 0) return nullptr;
  for (const unsigned char* d = base + directory; Read32(d + 12) != 0; d += kDescriptorSize) {
    if (!SameDll(reinterpret_cast<const char*>(base + Read32(d + 12)), dll)) continue;
    const std::uint32_t names = Read32(d) != 0 ? Read32(d) : Read32(d + 16);
    const std::uint32_t addresses = Read32(d + 16);
    for (std::uint32_t i = 0;; ++i) {
      const std::uint32_t name = Read32(base + names + 4 * i);
      if (name == 0) break;
      if ((name & kByOrdinal) != 0) continue;
      if (std::strcmp(reinterpret_cast<const char*>(base + name + 2), function) == 0) {
        return reinterpret_cast<void**>(const_cast<unsigned char*>(base) + addresses + 4 * i);
      }
    }
  }
  return nullptr;
}

}  // namespace

void** PluginImport(Import which) {
  const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(kPlugin));
  if (base == nullptr) return nullptr;
  const ImportName& name = kImports[static_cast<int>(which)];
  return FindImport(base, name.dll, name.function);
}

bool SetImport(void** entry, void* function) {
  DWORD protection = 0;
  if (!VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &protection)) return false;
  *entry = function;
  VirtualProtect(entry, sizeof *entry, protection, &protection);
  return true;
}

}  // namespace take
