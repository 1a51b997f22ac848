// The plug-in's import entries in the Linux rehearsal build: the module's relocations name the
// symbols whose addresses the loader wrote into its global offset table. The rehearsal build is
// x86-64, so its relocations are that machine's.
#include <elf.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "take/imports.h"

namespace take {

namespace {

const char* const kPlugin = "/Zenthar.so";

// By Import.
const char* const kSymbols[] = {"GetAsyncKeyState", "_ZN4Game16GetNativeAddressEPKc",
                                "_ZN3Log4InfoEPKcz"};

struct Search {
  const char* tail;  // the module's file name, with its slash
  const char* symbol;
  void** entry;
  bool inRelro;  // the entry lies in the part the loader makes read-only once it has relocated
};

bool EndsWith(const char* text, const char* tail) {
  const std::size_t n = std::strlen(text), m = std::strlen(tail);
  return n >= m && std::strcmp(text + n - m, tail) == 0;
}

// Dynamic entries hold addresses once the module is relocated, offsets before.
std::uintptr_t Address(const dl_phdr_info* info, ElfW(Addr) value) {
  return value >= info->dlpi_addr ? value : info->dlpi_addr + value;
}

struct Table {
  std::uintptr_t at = 0;
  std::size_t size = 0, entry = 0;
};

void** FindInTable(const Table& table, const ElfW(Sym) * symbols, const char* strings,
                   std::uintptr_t base, const char* symbol) {
  for (std::size_t offset = 0; table.at != 0 && offset + table.entry <= table.size;
       offset += table.entry) {
    ElfW(Rel) rel;
    std::memcpy(&rel, reinterpret_cast<const void*>(table.at + offset), sizeof rel);
    const auto type = ELF64_R_TYPE(rel.r_info);
    if (type != R_X86_64_JUMP_SLOT && type != R_X86_64_GLOB_DAT) continue;
    const ElfW(Sym)& sym = symbols[ELF64_R_SYM(rel.r_info)];
    if (std::strcmp(strings + sym.st_name, symbol) == 0) {
      return reinterpret_cast<void**>(base + rel.r_offset);
    }
  }
  return nullptr;
}

void** FindInModule(const dl_phdr_info* info, const ElfW(Dyn) * dynamic, const char* symbol) {
  const ElfW(Sym)* symbols = nullptr;
  const char* strings = nullptr;
  Table plt, rela, rel;
  bool pltIsRela = true;
  for (const ElfW(Dyn)* d = dynamic; d->d_tag != DT_NULL; ++d) {
    const ElfW(Addr) value = d->d_un.d_ptr;
    switch (d->d_tag) {
      case DT_SYMTAB:
        symbols = reinterpret_cast<const ElfW(Sym)*>(Address(info, value));
        break;
      case DT_STRTAB:
        strings = reinterpret_cast<const char*>(Address(info, value));
        break;
      case DT_JMPREL:
        plt.at = Address(info, value);
        break;
      case DT_PLTRELSZ:
        plt.size = d->d_un.d_val;
        break;
      case DT_PLTREL:
        pltIsRela = d->d_un.d_val == DT_RELA;
        break;
      case DT_RELA:
        rela.at = Address(info, value);
        break;
      case DT_RELASZ:
        rela.size = d->d_un.d_val;
        break;
      case DT_REL:
        rel.at = Address(info, value);
        break;
      case DT_RELSZ:
        rel.size = d->d_un.d_val;
        break;
      default:
        break;
    }
  }
  if (symbols == nullptr || strings == nullptr) return nullptr;
  plt.entry = pltIsRela ? sizeof(ElfW(Rela)) : sizeof(ElfW(Rel));
  rela.entry = sizeof(ElfW(Rela));
  rel.entry = sizeof(ElfW(Rel));
  for (const Table* table : {&plt, &rela, &rel}) {
    if (void** entry = FindInTable(*table, symbols, strings, info->dlpi_addr, symbol)) return entry;
  }
  return nullptr;
}

int Visit(dl_phdr_info* info, std::size_t, void* data) {
  auto* search = static_cast<Search*>(data);
  if (info->dlpi_name == nullptr || !EndsWith(info->dlpi_name, search->tail)) return 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info->dlpi_phdr[i];
    if (header.p_type != PT_DYNAMIC) continue;
    const auto* dynamic = reinterpret_cast<const ElfW(Dyn)*>(info->dlpi_addr + header.p_vaddr);
    search->entry = FindInModule(info, dynamic, search->symbol);
  }
  return 1;
}

// The module that holds an address, and whether the address is in its read-only part.
int Holder(dl_phdr_info* info, std::size_t, void* data) {
  auto* search = static_cast<Search*>(data);
  const auto at = reinterpret_cast<std::uintptr_t>(search->entry);
  bool holds = false;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info->dlpi_phdr[i];
    const std::uintptr_t start = info->dlpi_addr + header.p_vaddr;
    if (header.p_type == PT_LOAD && at >= start && at < start + header.p_memsz) holds = true;
    if (header.p_type == PT_GNU_RELRO && at >= start && at < start + header.p_memsz) {
      search->inRelro = true;
    }
  }
  return holds ? 1 : 0;
}

}  // namespace

void** PluginImport(Import which) {
  Search search{kPlugin, kSymbols[static_cast<int>(which)], nullptr, false};
  dl_iterate_phdr(Visit, &search);
  return search.entry;
}

bool SetImport(void** entry, void* function) {
  Search search{nullptr, nullptr, entry, false};
  dl_iterate_phdr(Holder, &search);
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  void* start = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(entry) & ~(page - 1));
  if (mprotect(start, page, PROT_READ | PROT_WRITE) != 0) return false;
  *entry = function;
  if (search.inRelro) mprotect(start, page, PROT_READ);
  return true;
}

}  // namespace take
