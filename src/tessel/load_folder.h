// What the loaders on POSIX folders share, the shared object's and the linked-in plug-in's: a
// plug-in reads its settings from the game's folder, which is the working folder while it loads.
#pragma once

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

namespace tessel {

inline void SetError(char* error, unsigned size, const std::string& text) {
  if (error != nullptr && size > 0) std::snprintf(error, size, "%s", text.c_str());
}

// Runs `load` with `folder` as the working folder (with none, in the current one), then goes back.
// False, with the reason in `error`, when the folder cannot be entered or the load fails.
template <typename Load>
bool LoadInFolder(const char* folder, char* error, unsigned errorSize, Load load) {
  char previous[PATH_MAX];
  const bool moved = folder != nullptr && getcwd(previous, sizeof previous) != nullptr;
  if (moved && chdir(folder) != 0) {
    SetError(error, errorSize, std::string("cannot enter folder ") + folder);
    return false;
  }
  const bool loaded = load();
  if (moved && chdir(previous) != 0) SetError(error, errorSize, "cannot return to folder");
  return loaded;
}

}  // namespace tessel
