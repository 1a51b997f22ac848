#include "take/runner.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "take/autosave.h"
#include "take/game.h"
#include "take/hooks.h"
#include "take/take_file.h"

namespace take {

namespace {

const char* const kSettingsFile = "take.ini";
const char* const kCaptureKeyName = "backslash";
const char* const kCaptured = "Model has been got";
const char* const kPlayStarted = "Play started";
const char* const kNothing = "nothing";

// How long the plug-in may look idle, between its passes, before a key it owes is given up for
// lost; its own waits (the car doors, a show's 100 ms a slot) do not count.
constexpr unsigned kMessageGraceMs = 5000;
// How long a model may take to load before it is taken not to exist.
constexpr unsigned kModelGraceMs = 10000;
constexpr unsigned kProgressEveryMs = 5000;
// Where a capture ped stands: beside the player, nearer than anyone else.
constexpr float kCaptureOffset = 1.0f;

enum class Waiting { nothing, model, key };

struct StagedCar {
  char name[kNameSize];
  CarHandle handle;
};

struct Take {
  bool running;
  std::FILE* file;
  Summary summary;
  int line;
  int steps;  // steps begun
  int keysDone;
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
// Zero, F9, until take.ini says otherwise: the runner's initialized data is all zero, and its
// file has no room for any.
int startKey;
char takeFile[kPathSize];  // from take.ini; empty: zenthar.take

const char* TakeFile() {
  return takeFile[0] != '\0' ? takeFile : "zenthar.take";
}

void Stop(const char* format, ...) __attribute__((format(printf, 1, 2)));

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

// Everything the take made or took that outlives it: the capture ped, the models, the armed key,
// the file. The hooks stay while autosave watches the plug-in.
void EndTake() {
  if (take.capturePed != 0) DELETE_CHAR(&take.capturePed);
  take.capturePed = 0;
  for (int i = 0; i < take.modelCount; ++i) MARK_MODEL_AS_NO_LONGER_NEEDED(take.models[i]);
  take.modelCount = 0;
  ArmKey(-1);
  if (!AutosaveOn()) RemoveHooks();
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
  take.waiting = Waiting::key;
  take.deadline = GetTickCount() + kMessageGraceMs;
}

// Starts the step under way; false when it waits for a model or the plug-in's key.
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
  char why[2 * kTextSize + 64];
  va_list args;
  va_start(args, format);
  std::vsnprintf(why, sizeof why, format, args);
  va_end(args);
  EndTake();
  Show("Take stopped at step %d: %s", take.steps, why);
}

// Whether the key the plug-in took is the one the step pressed, as far as the plug-in shows:
// the message the step names or none, and for a capture the model. Stops the take when not.
bool AsPressed(const Taken& key) {
  const Step& s = take.step;
  if (s.quiet && key.shown) {
    Stop("expected no message, the game showed '%s'", key.message);
    return false;
  }
  if (!s.quiet && (!key.shown || std::strcmp(key.message, s.text) != 0)) {
    Stop("expected '%s', the game showed '%s'", s.text, key.shown ? key.message : kNothing);
    return false;
  }
  if (s.kind == StepKind::capture && key.reads.model && key.reads.modelId != s.value) {
    Stop("expected model %d, the game took model %d", s.value, static_cast<int>(key.reads.modelId));
    return false;
  }
  return true;
}

// The key the step pressed: true once the plug-in has taken it as the take says.
bool KeyCame(const Taken* key) {
  if (key == nullptr) {
    // The plug-in's own waits put off the deadline: its pass resumes and shows the message when
    // they are over.
    if (PluginBusy()) take.deadline = GetTickCount() + kMessageGraceMs;
    if (!Passed(take.deadline)) return false;
    if (take.step.quiet) {
      Stop("the game did not take the key");
    } else {
      Stop("expected '%s', the game showed '%s'", take.step.text, kNothing);
    }
    return false;
  }
  // The play key changes nothing while a show plays: it is pressed again until the show is
  // over and a new one starts, however long that takes.
  if (!key->acted && !key->shown && std::strcmp(take.step.text, kPlayStarted) == 0) {
    ArmKey(take.step.value);
    take.deadline = GetTickCount() + kMessageGraceMs;
    return false;
  }
  if (!AsPressed(*key)) return false;
  take.waiting = Waiting::nothing;
  ++take.keysDone;
  if (take.capturePed != 0) DELETE_CHAR(&take.capturePed);
  take.capturePed = 0;
  if (Passed(take.lastProgress + kProgressEveryMs) && take.keysDone < take.summary.keys) {
    take.lastProgress = GetTickCount();
    Show("Take: %d of %d keys", take.keysDone, take.summary.keys);
  }
  return true;
}

// The wait the take is in: true when it is over and the take goes on. A key the plug-in took
// answers one wait at most.
bool WaitOver(const Taken*& key) {
  const Taken* taken = key;
  switch (take.waiting) {
    case Waiting::key:
      key = nullptr;
      return KeyCame(taken);
    case Waiting::model:
      if (HAS_MODEL_LOADED(take.step.value)) return BeginStep();
      if (Passed(take.deadline)) Stop("model %d never loaded", take.step.value);
      return false;
    case Waiting::nothing:
      return true;
  }
  return true;
}

void Advance(const Taken* key) {
  while (take.running) {
    if (!WaitOver(key) || !take.running) return;
    // The player and the set change only between the plug-in's passes.
    if (PluginBusy()) return;
    if (!NextStep(take.file, take.summary, take.line, take.step)) {
      const int keys = take.keysDone;
      EndTake();
      Show("Take done: %d keys", keys);
      return;
    }
    ++take.steps;
    if (!BeginStep()) return;
  }
}

// The take file, checked whole; false, said on the screen, when it cannot be performed.
bool CheckFile(Summary& summary) {
  std::FILE* file = std::fopen(TakeFile(), "r");
  if (file == nullptr) {
    Show("Take: there is no %s next to the game", TakeFile());
    return false;
  }
  int line = 0;
  char problem[kProblemSize];
  const bool good = CheckTake(file, summary, line, problem, sizeof problem);
  std::fclose(file);
  if (!good) Show("Take: line %d: %s", line, problem);
  return good;
}

void Start() {
  if (!PluginPresent()) {
    Show("Take: Zenthar.dll is not loaded");
    return;
  }
  Summary summary;
  if (!CheckFile(summary)) return;
  take = Take{};
  take.summary = summary;
  take.file = std::fopen(TakeFile(), "r");
  take.line = 1;
  if (take.file == nullptr || !SkipHeader(take.file) || !InstallHooks()) {
    EndTake();
    Show("Take: Zenthar.dll's keys cannot be reached");
    return;
  }
  GET_CHAR_COORDINATES(PlayerPed(), &take.originX, &take.originY, &take.originZ);
  // Every model is asked for at once, so they load while the first steps run.
  for (int i = 0; i < summary.modelCount; ++i) Request(summary.models[i]);
  take.running = true;
  take.lastProgress = GetTickCount();
  if (summary.tornLine != 0) {
    Show("Take started: %d keys; torn line %d left out", summary.keys, summary.tornLine);
  } else {
    Show("Take started: %d keys", summary.keys);
  }
}

// The hooks stand in front of the plug-in while autosave watches it or a take runs; a plug-in
// that went away took them along, and its film ends there.
void KeepHooks() {
  if (PluginGone()) {
    EndAutosave();
    if (take.running) Stop("Zenthar.dll went away");
  }
  const bool wanted = AutosaveOn() || take.running;
  if (wanted && !HooksInstalled()) InstallHooks();
  if (!wanted && HooksInstalled()) RemoveHooks();
}

// What follows "Name=" on a line of take.ini, with its line end and trailing blanks cut; null
// when the line sets something else.
const char* Value(char* line, const char* name) {
  const std::size_t n = std::strlen(name);
  if (std::strncmp(line, name, n) != 0) return nullptr;
  std::size_t end = std::strlen(line);
  while (end > n && (line[end - 1] == '\n' || line[end - 1] == '\r' || line[end - 1] == ' ' ||
                     line[end - 1] == '\t')) {
    line[--end] = '\0';
  }
  // Windows' paths as players write them; the other slash works on every system.
  for (char* c = line + n; *c != '\0'; ++c) {
    if (*c == '\\') *c = '/';
  }
  return line + n;
}

void Setting(char* line) {
  if (const char* value = Value(line, "Start=")) {
    char* end = nullptr;
    const long long key = std::strtoll(value, &end, 10);
    if (end != value && key > 0 && key < 256) startKey = static_cast<int>(key);
  } else if (const char* folder = Value(line, "Autosave=")) {
    const bool plain = folder[0] == '\0' || std::strcmp(folder, "1") == 0;
    SetAutosaveFolder(std::strcmp(folder, "0") == 0 ? "" : plain ? "takes" : folder);
  } else if (const char* file = Value(line, "Take=")) {
    if (file[0] != '\0' && std::strlen(file) < sizeof takeFile) {
      std::memcpy(takeFile, file, std::strlen(file) + 1);
    }
  }
}

}  // namespace

void LoadTakeSettings() {
  std::FILE* file = std::fopen(kSettingsFile, "r");
  if (file == nullptr) return;
  char line[kLineSize];
  while (std::fgets(line, sizeof line, file) != nullptr) Setting(line);
  std::fclose(file);
}

void WatchPlugin() {
  if (AutosaveOn()) InstallHooks();
}

void RunTakePass() {
  KeepHooks();
  Taken taken;
  const bool took = HooksInstalled() && TakenKey(taken);
  if (took) AutosaveKey(taken);
  if ((GetAsyncKeyState(startKey != 0 ? startKey : kDefaultStartKey) & 1) != 0) {
    if (take.running) {
      Stop("the start key was pressed");
    } else {
      Start();
    }
    return;
  }
  Advance(took ? &taken : nullptr);
}

void ReleaseTake() {
  RemoveHooks();
  if (take.file != nullptr) std::fclose(take.file);
  take.file = nullptr;
  take.running = false;
  EndAutosave();
}

}  // namespace take
