// The import table of a module as the Windows loader lays it out in memory, read without the
// system's headers so that every build can check the reading against an image of its own.
#pragma once

namespace take {

// The import address table entry through which the module at `base` calls `function` of `dll`
// (the DLL's name in any case); null when the module does not import it by name.
void** FindImport(const unsigned char* base, const char* dll, const char* function);

}  // namespace take
