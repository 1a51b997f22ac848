// A loaded PE32 image's import directory lists, per DLL, the functions' names beside the address
// table the loader filled in.
#include "take/pe_imports.h"

#include <cstdint>
#include <cstring>

namespace take {

namespace {

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

}  // namespace

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

}  // namespace take
