// The picker key: steps through the takes a player has, so that the start key performs the one
// chosen without leaving the game. The take file comes first (zenthar.take, or the one take.ini
// names), then every .take file of the autosave folder, newest first by the time it was last
// written, the later name first between equal times (an autosave's name is its time); after the
// last it wraps. Each step shows the take's name and how many keys it holds, or why it does not
// read.
//
// Nothing is kept of the folder between steps: each step lists it once and comes to the newest
// file older than the one shown, so any number of takes steps alike in fixed storage. A name that
// would not fit the path buffer beside the folder's is left out, never cut short.
#pragma once

#include <cstdint>

#include "take/autosave.h"

namespace take {

enum class Shown { nothing, first, file };

// The take shown last. All zero is nothing shown, as at load.
struct Pick {
  Shown shown;
  std::uint64_t written;  // a file's
  char name[kPathSize];   // a file's, in the folder
  char path[kPathSize];   // a file's: the folder, a slash and the name
};

// Steps to the next take after the one shown and writes what to show of it into `message`.
// `first` is the take file the start key performs with nothing picked, `folder` the folder of
// autosaves.
void PickNext(Pick& pick, const char* first, const char* folder, char* message, int size);

// The folder file shown, or null when the take file is or nothing is: the start key then
// performs the take file.
const char* PickedTake(const Pick& pick);

}  // namespace take
