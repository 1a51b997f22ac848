#include "take/picker.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "take/folder.h"
#include "take/take_file.h"

namespace take {

namespace {

const char kSuffix[] = ".take";
constexpr std::size_t kSuffixLength = sizeof kSuffix - 1;

struct Found {
  bool any;
  std::uint64_t written;
  char name[kPathSize];
};

// One listing of the folder: its newest take, the newest one older than the take shown, how many
// takes it holds and how many of them are not older than the one shown.
struct Scan {
  const Pick* pick;
  std::size_t room;  // the longest name that fits beside the folder's in a path
  Found newest, next;
  int takes, above;
};

void Say(char* message, int size, const char* format, ...) __attribute__((format(printf, 3, 4)));

void Say(char* message, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, static_cast<std::size_t>(size), format, args);
  va_end(args);
}

// The order of the steps: the later write first, the later name between equal times.
bool Before(std::uint64_t written, const char* name, std::uint64_t other, const char* otherName) {
  return written != other ? written > other : std::strcmp(name, otherName) > 0;
}

void Keep(Found& found, std::uint64_t written, const char* name, std::size_t length) {
  if (found.any && !Before(written, name, found.written, found.name)) return;
  found.any = true;
  found.written = written;
  std::memcpy(found.name, name, length + 1);
}

// Windows does not tell "x.TAKE" from "x.take", and neither does a player.
bool IsTake(const char* name, std::size_t length) {
  if (length <= kSuffixLength) return false;
  const char* end = name + length - kSuffixLength;
  for (std::size_t i = 0; i < kSuffixLength; ++i) {
    const char c = end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] - 'A' + 'a') : end[i];
    if (c != kSuffix[i]) return false;
  }
  return true;
}

void Visit(const char* name, std::uint64_t written, void* context) {
  Scan& scan = *static_cast<Scan*>(context);
  const std::size_t length = std::strlen(name);
  if (length > scan.room || !IsTake(name, length)) return;
  ++scan.takes;
  Keep(scan.newest, written, name, length);
  const Pick& pick = *scan.pick;
  if (pick.shown != Shown::file) return;
  if (!Before(pick.written, pick.name, written, name)) {
    ++scan.above;
  } else {
    Keep(scan.next, written, name, length);
  }
}

bool Exists(const char* path) {
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

// What a step shows of a take: how many keys it holds, or why it does not read.
void Describe(const char* path, int at, int of, char* message, int size) {
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) {
    Say(message, size, "Take: there is no %s next to the game", path);
    return;
  }
  Summary summary;
  int line = 0;
  char problem[kProblemSize];
  const bool good = CheckTake(file, summary, line, problem, sizeof problem);
  std::fclose(file);
  Say(message, size, "Take %d of %d: %s", at, of, path);
  const std::size_t length = std::strlen(message);
  char* const rest = message + length;
  const int room = size - static_cast<int>(length);
  if (!good) {
    Say(rest, room, ", line %d: %s", line, problem);
  } else if (summary.tornLine != 0) {
    Say(rest, room, ", %d keys; torn line %d left out", summary.keys, summary.tornLine);
  } else {
    Say(rest, room, ", %d keys", summary.keys);
  }
}

}  // namespace

void PickNext(Pick& pick, const char* first, const char* folder, char* message, int size) {
  Scan scan = {};
  scan.pick = &pick;
  const std::size_t folderLength = std::strlen(folder);
  scan.room = folderLength + 2 < kPathSize ? kPathSize - 2 - folderLength : 0;
  ListFolder(folder, &Visit, &scan);
  const int firstThere = Exists(first) ? 1 : 0;
  const int of = scan.takes + firstThere;
  const Found* to = &scan.newest;
  int at = firstThere + 1;
  if (pick.shown == Shown::file && scan.next.any) {
    to = &scan.next;
    at = firstThere + scan.above + 1;
  } else if (firstThere != 0 && (pick.shown != Shown::first || !scan.newest.any)) {
    // Nothing shown yet, or the last of the folder: the take file.
    pick.shown = Shown::first;
    Describe(first, 1, of, message, size);
    return;
  } else if (!scan.newest.any) {
    pick.shown = Shown::nothing;
    Say(message, size, "Take: no takes in %s or %s/", first, folder);
    return;
  }
  pick.shown = Shown::file;
  pick.written = to->written;
  std::memcpy(pick.name, to->name, sizeof pick.name);
  Say(pick.path, kPathSize, "%s/%s", folder, pick.name);
  Describe(pick.path, at, of, message, size);
}

const char* PickedTake(const Pick& pick) {
  return pick.shown == Shown::file ? pick.path : nullptr;
}

}  // namespace take
