#include "take/runner.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "take/game.h"
#include "take/hooks.h"
#include "take/take_file.h"

namespace take {

namespace {

const char* const kTakeFile = "zenthar.take";
const char* const kSettingsFile = "take.ini";
const char* const kCaptureKeyName = "backslash";
const char* const kCaptured = "Model has been got";

// How long the plug-in may look idle, between its passes, before a message it owes is given up
// for lost; its own waits (the car doors, a show's 100 ms a slot) do not count.
constexpr unsigned kMessageGraceMs = 5000;
// How long a model may take to load before it is taken not to exist.
constexpr unsigned kModelGraceMs = 10000;
constexpr unsigned kProgressEveryMs = 5000;
// Where a capture ped stands: beside the player, nearer than anyone else.
constexpr float kCaptureOffset = 1.0f;

enum class Waiting { nothing, model, message };

struct StagedCar {
  char name[kNameSize];
  CarHandle handle;
};

struct Take {
  bool running;
  std::FILE* file;
  int line;
  int steps;  // steps begun
  int keys, keysDone;
  float originX, originY, originZ;
  Step step;  // the one under way
  Waiting waiting;
  unsigned deadline;
  unsigned lastProgress;
  PedHandle capturePed;
  StagedCar cars[kCars];
  int carCount;
  int models[kModels];  // requested and not yet let go
  int modelCount;
};

Take take;
int startKey = kDefaultStartKey;

// Room for a stop's text: two messages and the words around them.
constexpr int kShowSize = 2 * kTextSize + 64;

void Show(const char* format, ...) {
  char text[kShowSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  PRINT_STRING_WITH_LITERAL_STRING_NOW(text);
}

void Stop(const char* format, ...);

// Time on the game's tick count; the differences below hold across its wrap.
bool Passed(unsigned deadline) {
  return static_cast<int>(GetTickCount() - deadline) >= 0;
}

void Request(int model) {
  for (int i = 0; i < take.modelCount; ++i) {
    if (take.models[i] == model) return;
  }
  REQUEST_MODEL(model);
  if (take.modelCount < kModels) take.models[take.modelCount++] = model;
}

void Place(double x, double y, double z, float& px, float& py, float& pz) {
  // In double, then rounded once: a take written relative to the start comes back exactly at
  // the spots it was written from when the start is where it was planned.
  px = static_cast<float>(take.originX + x);
  py = static_cast<float>(take.originY + y);
  pz = static_cast<float>(take.originZ + z);
}

// Everything the take made or took that outlives it: the capture ped, the models, the hooks,
// the file.
void EndTake() {
  if (take.capturePed != 0) DELETE_CHAR(&take.capturePed);
  take.capturePed = 0;
  for (int i = 0; i < take.modelCount; ++i) MARK_MODEL_AS_NO_LONGER_NEEDED(take.models[i]);
  take.modelCount = 0;
  RemoveHooks();
  if (take.file != nullptr) std::fclose(take.file);
  take.file = nullptr;
  take.running = false;
  take.waiting = Waiting::nothing;
}

CarHandle StagedCarNamed(const char* name) {
  for (int i = 0; i < take.carCount; ++i) {
    if (std::strcmp(take.cars[i].name, name) == 0) return take.cars[i].handle;
  }
  return 0;
}

bool ModelReady(int model) {
  if (HAS_MODEL_LOADED(model)) return true;
  if (take.waiting != Waiting::model) {
    Request(model);
    take.waiting = Waiting::model;
    take.deadline = GetTickCount() + kModelGraceMs;
  }
  return false;
}

void Press(int key, const char* message) {
  ArmKey(key);
  if (message != take.step.text) {
    std::memcpy(take.step.text, message, std::strlen(message) + 1);
  }
  take.waiting = Waiting::message;
  take.deadline = GetTickCount() + kMessageGraceMs;
}

// Starts the step under way; false when it waits for a model or the plug-in's message.
bool BeginStep() {
  Step& s = take.step;
  const PedHandle player = PlayerPed();
  float x = 0, y = 0, z = 0;
  Place(s.x, s.y, s.z, x, y, z);
  switch (s.kind) {
    case StepKind::weapon:
      GIVE_WEAPON_TO_CHAR(player, s.value);
      SET_CURRENT_CHAR_WEAPON(player, s.value);
      return true;
    case StepKind::car:
      if (!ModelReady(s.value)) return false;
      take.waiting = Waiting::nothing;
      CREATE_CAR(s.value, x, y, z, &take.cars[take.carCount].handle);
      std::memcpy(take.cars[take.carCount++].name, s.name, sizeof s.name);
      return true;
    case StepKind::move:
      SET_CHAR_COORDINATES(player, x, y, z);
      return true;
    case StepKind::enter:
      WARP_CHAR_INTO_CAR(player, StagedCarNamed(s.name));
      return true;
    case StepKind::leave:
      WARP_CHAR_FROM_CAR_TO_COORD(player, x, y, z);
      return true;
    case StepKind::capture:
      if (!ModelReady(s.value)) return false;
      GET_CHAR_COORDINATES(player, &x, &y, &z);
      CREATE_CHAR(s.value, x + kCaptureOffset, y, z, &take.capturePed);
      Press(KeyCode(kCaptureKeyName), kCaptured);
      return false;
    case StepKind::press:
      Press(s.value, s.text);
      return false;
    case StepKind::none:
      return true;
  }
  return true;
}

void Stop(const char* format, ...) {
  char why[kShowSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(why, sizeof why, format, args);
  va_end(args);
  EndTake();
  Show("Take stopped at step %d: %s", take.steps, why);
}

// The message the pressed key owes: true once it has come and is the take's.
bool MessageCame() {
  char shown[kTextSize];
  if (!TakeMessage(shown, sizeof shown)) {
    // The plug-in's own waits put off the deadline: its pass resumes and shows the message
    // when they are over.
    if (PluginBusy()) take.deadline = GetTickCount() + kMessageGraceMs;
    if (!Passed(take.deadline)) return false;
    std::memcpy(shown, "nothing", sizeof "nothing");
  }
  if (std::strcmp(shown, take.step.text) != 0) {
    Stop("expected '%s', the game showed '%s'", take.step.text, shown);
    return false;
  }
  take.waiting = Waiting::nothing;
  ++take.keysDone;
  if (take.capturePed != 0) DELETE_CHAR(&take.capturePed);
  take.capturePed = 0;
  if (Passed(take.lastProgress + kProgressEveryMs) && take.keysDone < take.keys) {
    take.lastProgress = GetTickCount();
    Show("Take: %d of %d keys", take.keysDone, take.keys);
  }
  return true;
}

// The wait the take is in: true when it is over and the take goes on.
bool WaitOver() {
  switch (take.waiting) {
    case Waiting::message:
      return MessageCame();
    case Waiting::model:
      if (HAS_MODEL_LOADED(take.step.value)) return BeginStep();
      if (Passed(take.deadline)) Stop("model %d never loaded", take.step.value);
      return false;
    case Waiting::nothing:
      return true;
  }
  return true;
}

void Advance() {
  while (take.running) {
    if (!WaitOver() || !take.running) return;
    // The player and the set change only between the plug-in's passes.
    if (PluginBusy()) return;
    if (!NextStep(take.file, take.line, take.step)) {
      const int keys = take.keysDone;
      EndTake();
      Show("Take done: %d keys", keys);
      return;
    }
    ++take.steps;
    if (!BeginStep()) return;
  }
}

void Start() {
  if (!PluginPresent()) {
    Show("Take: Zenthar.dll is not loaded");
    return;
  }
  std::FILE* file = std::fopen(kTakeFile, "r");
  if (file == nullptr) {
    Show("Take: there is no %s next to the game", kTakeFile);
    return;
  }
  Summary summary;
  int line = 0;
  char problem[kProblemSize];
  const bool good = CheckTake(file, summary, line, problem, sizeof problem);
  std::fclose(file);
  if (!good) {
    Show("Take: line %d: %s", line, problem);
    return;
  }
  take = Take{};
  take.file = std::fopen(kTakeFile, "r");
  take.line = 1;
  char header[kLineSize];
  if (take.file == nullptr || std::fgets(header, sizeof header, take.file) == nullptr ||
      !InstallHooks()) {
    EndTake();
    Show("Take: Zenthar.dll's keys cannot be reached");
    return;
  }
  GET_CHAR_COORDINATES(PlayerPed(), &take.originX, &take.originY, &take.originZ);
  // Every model is asked for at once, so they load while the first steps run.
  for (int i = 0; i < summary.modelCount; ++i) Request(summary.models[i]);
  take.keys = summary.keys;
  take.running = true;
  take.lastProgress = GetTickCount();
  Show("Take started: %d keys", take.keys);
}

}  // namespace

void LoadTakeSettings() {
  std::FILE* file = std::fopen(kSettingsFile, "r");
  if (file == nullptr) return;
  char line[kLineSize];
  if (std::fgets(line, sizeof line, file) != nullptr && std::strncmp(line, "Start=", 6) == 0) {
    char* end = nullptr;
    const long long key = std::strtoll(line + 6, &end, 10);
    if (end != line + 6 && key > 0 && key < 256) startKey = static_cast<int>(key);
  }
  std::fclose(file);
}

int StartKey() {
  return startKey;
}

void RunTakePass() {
  if ((GetAsyncKeyState(startKey) & 1) != 0) {
    if (take.running) {
      Stop("the start key was pressed");
    } else {
      Start();
    }
    return;
  }
  Advance();
}

void ReleaseTake() {
  RemoveHooks();
  if (take.file != nullptr) std::fclose(take.file);
  take.file = nullptr;
  take.running = false;
}

}  // namespace take
