// Making a folder, the one file-system call the runner needs beyond the C library's streams. One
// version of this unit asks Windows, the other the Linux rehearsal build's system.
#pragma once

namespace take {

// Makes the folder `path` names, when it can and it is not there yet; whether it worked shows
// when a file is made in it.
void MakeFolder(const char* path);

}  // namespace take
