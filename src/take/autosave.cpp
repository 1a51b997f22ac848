#include "take/autosave.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "take/folder.h"
#include "take/game.h"
#include "take/keys.h"

namespace take {

namespace {

constexpr int kCaptureKey = 220;
const char* const kCaptured = "Model has been got";
const char* const kPlayStarted = "Play started";
constexpr int kNumberSize = 64;
// Enough for any float's offset to come back exactly: 17 significant digits below the point.
constexpr int kMostDecimals = 30;
// Files a second, when sessions start in the same second: NAME.take, NAME_2.take, ...
constexpr int kMostNames = 99;

// All zero at load, which is autosave on, into "takes".
struct Autosave {
  bool off;                // take.ini turned it off
  bool stopped;            // it failed once: the rest of the session writes nothing
  char folder[kPathSize];  // empty: "takes"
  char path[kPathSize];
  std::FILE* file;
  float origin[3];
  // What the take holds so far, so that no state is written twice.
  bool placeKnown;
  float place[3];
  bool weaponKnown;
  std::int32_t weapon;
  CarHandle car;  // the car the take has the player in, 0 on foot
  CarHandle cars[kCars];
  std::int32_t models[kCars];
  int carCount;  // cars staged: car1, car2, ...
  // The world at the last play key, as NoteStand found it.
  Reads stand;
  float standCars[kCars][3];
  int standCarCount;
};

Autosave save;

const char* Folder() {
  return save.folder[0] != '\0' ? save.folder : "takes";
}

bool Format(char* out, int size, const char* format, ...) __attribute__((format(printf, 3, 4)));

// False when the text does not fit.
bool Format(char* out, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(out, static_cast<std::size_t>(size), format, args);
  va_end(args);
  return length >= 0 && length < size;
}

void Stop(const char* why) {
  if (save.file != nullptr) std::fclose(save.file);
  save.file = nullptr;
  save.stopped = true;
  Show("Autosave: %s %s; autosave is off", why, save.path);
}

// Whole lines, flushed at once. A line cut short would run into the next, so one too long for
// the reader is not written at all.
bool WriteLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

bool WriteLine(const char* format, ...) {
  char line[kLineSize + 1];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (length < 0 || length >= static_cast<int>(sizeof line) || std::fputs(line, save.file) == EOF ||
      std::fflush(save.file) == EOF) {
    Stop("cannot write to");
    return false;
  }
  return true;
}

// The shortest fixed-point text the runner reads back as `at` when it adds it to `origin` in
// double and rounds once, as it places every step.
void Relative(float at, float origin, char* text) {
  const double offset = static_cast<double>(at) - static_cast<double>(origin);
  char candidate[kNumberSize];
  std::memcpy(text, "0", 2);
  for (int decimals = 0; decimals <= kMostDecimals; ++decimals) {
    double back = 0;
    if (!Format(candidate, sizeof candidate, "%.*f", decimals, offset) ||
        !ReadNumber(candidate, back)) {
      continue;
    }
    std::memcpy(text, candidate, sizeof candidate);
    if (static_cast<float>(static_cast<double>(origin) + back) == at) return;
  }
}

// A step that ends in a place: "move X Y Z", "leave at X Y Z", "car NAME model M at X Y Z",
// "park NAME at X Y Z".
bool WritePlace(const char* step, const float at[3]) {
  char x[kNumberSize], y[kNumberSize], z[kNumberSize];
  Relative(at[0], save.origin[0], x);
  Relative(at[1], save.origin[1], y);
  Relative(at[2], save.origin[2], z);
  return WriteLine("%s %s %s %s\n", step, x, y, z);
}

void PlayerPlace(float at[3]) {
  GET_CHAR_COORDINATES(PlayerPed(), &at[0], &at[1], &at[2]);
}

// Each folder on the way, then the folder.
void MakeFolders(const char* folder) {
  char part[kPathSize];
  for (int i = 0; folder[i] != '\0'; ++i) {
    if (i == 0 || folder[i] != '/') continue;
    std::memcpy(part, folder, static_cast<std::size_t>(i));
    part[i] = '\0';
    MakeFolder(part);
  }
  MakeFolder(folder);
}

// The time is in the file's name.
bool WriteHeader() {
  return WriteLine(
      "zenthar-take %d\n# Autosaved: a film directed by hand. Places are relative to where the\n"
      "# player stood at the first key, which in the world it was made in is\n"
      "# start %.9g %.9g %.9g\n\n",
      kAutosaveVersion, static_cast<double>(save.origin[0]), static_cast<double>(save.origin[1]),
      static_cast<double>(save.origin[2]));
}

// The session's file, named by the local time and never over another file.
bool Open(const Reads& reads) {
  MakeFolders(Folder());
  SYSTEMTIME now;
  GetLocalTime(&now);
  char name[32];
  Format(name, sizeof name, "%04u-%02u-%02u_%02u-%02u-%02u", unsigned{now.wYear},
         unsigned{now.wMonth}, unsigned{now.wDay}, unsigned{now.wHour}, unsigned{now.wMinute},
         unsigned{now.wSecond});
  for (int n = 1; n <= kMostNames; ++n) {
    const bool fits = n == 1 ? Format(save.path, kPathSize, "%s/%s.take", Folder(), name)
                             : Format(save.path, kPathSize, "%s/%s_%d.take", Folder(), name, n);
    if (!fits) break;
    if (std::FILE* there = std::fopen(save.path, "rb")) {
      std::fclose(there);
      continue;
    }
    save.file = std::fopen(save.path, "wb");
    if (save.file == nullptr) {
      Stop("cannot write");
      return false;
    }
    if (reads.place) {
      save.origin[0] = reads.x;
      save.origin[1] = reads.y;
      save.origin[2] = reads.z;
    } else {
      PlayerPlace(save.origin);
    }
    // A take starts with the player there.
    save.placeKnown = true;
    std::memcpy(save.place, save.origin, sizeof save.place);
    if (!WriteHeader()) return false;
    Show("Autosave: %s", save.path);
    return true;
  }
  Format(save.path, kPathSize, "%s", Folder());
  Stop("no free file name in");
  return false;
}

int StagedCar(CarHandle car, std::int32_t model) {
  for (int i = 0; i < save.carCount; ++i) {
    if (save.cars[i] == car && save.models[i] == model) return i;
  }
  return -1;
}

// Out of the car, to where the key read the player, or where the player stands now.
bool Leave(const Reads& reads) {
  float at[3];
  if (reads.place) {
    at[0] = reads.x;
    at[1] = reads.y;
    at[2] = reads.z;
  } else {
    PlayerPlace(at);
  }
  if (!WritePlace("leave at", at)) return false;
  save.car = 0;
  save.placeKnown = true;
  std::memcpy(save.place, at, sizeof at);
  return true;
}

// Into the car the key read, staged where it was first used.
bool Enter(CarHandle car) {
  const std::int32_t model = GET_CAR_MODEL(car);
  int index = StagedCar(car, model);
  if (index < 0) {
    if (save.carCount == kCars) {
      Stop("too many cars for");
      return false;
    }
    float at[3] = {};
    GET_CAR_COORDINATES(car, &at[0], &at[1], &at[2]);
    index = save.carCount++;
    save.cars[index] = car;
    save.models[index] = model;
    char step[48];
    Format(step, sizeof step, "car car%d model %d at", index + 1, static_cast<int>(model));
    if (!WritePlace(step, at)) return false;
  }
  if (!WriteLine("enter car%d\n", index + 1)) return false;
  save.car = car;
  // The player sits where the car is now, which the take cannot know.
  save.placeKnown = false;
  return true;
}

bool WriteState(const Reads& read) {
  Reads reads = read;
  // A move takes the car the player sits in along, and whoever sits in it; so the take moves
  // the player in a car only while the player really is in it.
  if (reads.place && !reads.car && save.car != 0) {
    reads.carHandle = GET_CAR_CHAR_IS_USING(PlayerPed());
    reads.car = true;
  }
  if (reads.weapon && (!save.weaponKnown || reads.weaponId != save.weapon)) {
    if (!WriteLine("weapon %d\n", static_cast<int>(reads.weaponId))) return false;
    save.weaponKnown = true;
    save.weapon = reads.weaponId;
  }
  if (reads.car && reads.carHandle != save.car) {
    if (!(reads.carHandle == 0 ? Leave(reads) : Enter(reads.carHandle))) return false;
  }
  const float at[3] = {reads.x, reads.y, reads.z};
  const bool moved = !save.placeKnown || at[0] != save.place[0] || at[1] != save.place[1] ||
                     at[2] != save.place[2];
  if (reads.place && moved) {
    if (!WritePlace("move", at)) return false;
    save.placeKnown = true;
    std::memcpy(save.place, at, sizeof at);
  }
  return true;
}

// The world a show plays in: the player where the play key found it, in its car or on foot, and
// every other car the take staged where it stood then, however it got there. Each car is parked
// even where the take left it: a game may have rolled it since, and the show's explosions go by
// where the cars stand.
bool WriteStand() {
  if (!WriteState(save.stand)) return false;
  for (int i = 0; i < save.standCarCount; ++i) {
    if (save.cars[i] == save.car) continue;
    char step[32];
    Format(step, sizeof step, "park car%d at", i + 1);
    if (!WritePlace(step, save.standCars[i])) return false;
  }
  return true;
}

void WriteKey(const Taken& key) {
  if (key.reads.model && key.key == kCaptureKey && key.shown &&
      std::strcmp(key.message, kCaptured) == 0) {
    WriteLine("capture %d\n", static_cast<int>(key.reads.modelId));
    return;
  }
  char name[16];
  Format(name, sizeof name, "vk:%d", key.key);
  for (const KeyNameRow& row : kKeyNames) {
    if (row.code == key.key) Format(name, sizeof name, "%s", row.name);
  }
  if (!key.shown) {
    WriteLine("press %s\n", name);
    return;
  }
  // A quote or a control character would end the message early; the take then stops there.
  char message[kTextSize];
  std::memcpy(message, key.message, sizeof message);
  for (char* c = message; *c != '\0'; ++c) {
    if (*c == '"' || static_cast<unsigned char>(*c) < ' ') *c = '?';
  }
  WriteLine("press %s \"%s\"\n", name, message);
}

}  // namespace

void SetAutosaveFolder(const char* folder) {
  save.off = folder[0] == '\0';
  Format(save.folder, kPathSize, "%s", folder);
}

bool AutosaveOn() {
  return !save.off && !save.stopped;
}

const char* AutosaveFolder() {
  return Folder();
}

void NoteStand() {
  if (!AutosaveOn()) return;
  Reads& stand = save.stand;
  stand = Reads{};
  stand.place = stand.car = true;
  const PedHandle player = PlayerPed();
  GET_CHAR_COORDINATES(player, &stand.x, &stand.y, &stand.z);
  stand.carHandle = GET_CAR_CHAR_IS_USING(player);
  save.standCarCount = save.carCount;
  for (int i = 0; i < save.carCount; ++i) {
    float* const at = save.standCars[i];
    GET_CAR_COORDINATES(save.cars[i], &at[0], &at[1], &at[2]);
  }
}

void AutosaveKey(const Taken& key) {
  // A key that changed nothing depends only on the time, such as the play key during a show.
  if (!AutosaveOn() || (!key.acted && !key.shown)) return;
  if (save.file == nullptr && !Open(key.reads)) return;
  const bool play =
      key.key == kCaptureKey && key.shown && std::strcmp(key.message, kPlayStarted) == 0;
  if (WriteState(key.reads) && (!play || WriteStand())) WriteKey(key);
}

void EndAutosave() {
  if (save.file != nullptr) std::fclose(save.file);
  save.file = nullptr;
  save.placeKnown = false;
  save.weaponKnown = false;
  save.car = 0;
  save.carCount = 0;
}

}  // namespace take
