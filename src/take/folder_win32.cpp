#include <windows.h>

#include "take/folder.h"

namespace take {

void MakeFolder(const char* path) {
  CreateDirectoryA(path, nullptr);
}

}  // namespace take
