// The plug-in's import entries in the Windows module, found by name in its loaded image; and
// the page protection around rewriting one.
#include <windows.h>

#include "take/imports.h"
#include "take/pe_imports.h"

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
    {"Tessel.dll", "?Info@Log@@SAXPBDZZ"},
};

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
