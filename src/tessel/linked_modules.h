// The modules linked into a program that loads no files (the desk's WebAssembly engine), as its
// loader (loader_static.cpp) finds them: in place of a folder of DLLs, the program's list. Each
// module is one unit of its own (cmake/LinkedModule.cmake) that shows the program two things,
// its library entry and its image, as a DLL shows the Windows loader.
#pragma once

#include "win32/windows.h"

namespace tessel {

struct LinkedModule {
  const char* file;  // the name it loads by: the DLL's, "Zenthar.dll"
  // Its start-up: the module's static initializers and DllMain at process attach, DllMain and
  // its exit list at process detach.
  BOOL(WINAPI* entry)(HINSTANCE module, DWORD reason, LPVOID reserved);
  // A PE32 header and import directory, whose address table the loader fills with this host's
  // functions before the entry runs.
  unsigned char* image;
};

// The program's modules, ended by one with no file; the program defines it.
extern const LinkedModule kLinkedModules[];

}  // namespace tessel
