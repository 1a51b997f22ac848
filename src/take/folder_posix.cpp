#include <dirent.h>
#include <sys/stat.h>

#include "take/folder.h"

namespace take {

void MakeFolder(const char* path) {
  mkdir(path, 0777);
}

bool ListFolder(const char* folder, FileVisit visit, void* context) {
  DIR* dir = opendir(folder);
  if (dir == nullptr) return false;
  while (const dirent* entry = readdir(dir)) {
    // Asked of the folder itself, so no path is made that could be too long.
    struct stat about = {};
    if (fstatat(dirfd(dir), entry->d_name, &about, 0) != 0 || !S_ISREG(about.st_mode)) continue;
    const std::uint64_t written = static_cast<std::uint64_t>(about.st_mtim.tv_sec) * 1000000000u +
                                  static_cast<std::uint64_t>(about.st_mtim.tv_nsec);
    visit(entry->d_name, written, context);
  }
  closedir(dir);
  return true;
}

}  // namespace take
