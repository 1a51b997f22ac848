// The file-system calls the runner needs beyond the C library's streams: making a folder and
// listing one. One version of this unit asks Windows, the other the Linux rehearsal build's
// system.
#pragma once

#include <cstdint>

namespace take {

// Makes the folder `path` names, when it can and it is not there yet; whether it worked shows
// when a file is made in it.
void MakeFolder(const char* path);

// A file of a folder as a listing finds it: its name, and when it was last written in the
// system's own units, a later time a larger number.
using FileVisit = void (*)(const char* name, std::uint64_t written, void* context);

// Calls `visit` for every plain file of `folder`, in no particular order; folders in it are left
// out. Nothing is kept between calls, so a listing handles any number of files. False when the
// folder cannot be read, which a missing folder is too.
bool ListFolder(const char* folder, FileVisit visit, void* context);

}  // namespace take
