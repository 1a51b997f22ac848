#include <windows.h>

#include <cstring>

#include "take/folder.h"

namespace take {

namespace {

constexpr int kPatternSize = 264;

}  // namespace

void MakeFolder(const char* path) {
  CreateDirectoryA(path, nullptr);
}

bool ListFolder(const char* folder, FileVisit visit, void* context) {
  char pattern[kPatternSize];
  const std::size_t length = std::strlen(folder);
  if (length + sizeof "/*" > sizeof pattern) return false;
  std::memcpy(pattern, folder, length);
  std::memcpy(pattern + length, "/*", sizeof "/*");
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const FILETIME& time = found.ftLastWriteTime;
    visit(found.cFileName,
          (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime, context);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return true;
}

}  // namespace take
