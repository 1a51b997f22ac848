#include <sys/stat.h>

#include "take/folder.h"

namespace take {

void MakeFolder(const char* path) {
  mkdir(path, 0777);
}

}  // namespace take
