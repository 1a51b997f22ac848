#include "take/runner.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "take/autosave.h"
#include "take/game.h"
#include "take/hooks.h"
#include "take/picker.h"
#include "take/take_file.h"

namespace take {

namespace {

const char* const kSettingsFile = "take.ini";
const char* const kCaptureKeyName = "backslash";
const char* const kCaptured = "Model has been got";
const char* const kPlayStarted = "Play started";
const char* const kNothing = "nothing";

// How long the plug-in may look idle, between its passes, before a key it owes is given up for
// lost; its own waits (the car doors, a show's 100 ms a slot) do not count. How long a model may
// take to load before it is taken not to exist. Either wait is over only once its passes have
// gone by as well as its time: a stall of the game, a loading screen of half a minute, is one long
// pass, and never passes for a lost key or a missing model.
constexpr unsigned kMessageGraceMs = 5000;
constexpr unsigned kModelGraceMs = 10000;
constexpr int kPassesASecond = 30;
constexpr unsigned kProgressEveryMs = 5000;
// Where a capture ped stands: beside the player.
constexpr float kCaptureOffset = 1.0f;
// A step that moves the player, stages or parks a car, or puts the capture ped down waits until
// the game has it within kReach units of where the step put it, and gets kSettlePasses passes for
// that; a game that puts it elsewhere, or nowhere, stops the take there.
constexpr float kReach = 2.0f;
constexpr int kSettlePasses = 30;

enum class Waiting { nothing, model, key, settle };

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
  float origin[3];
  Step step;     // the one under way
  bool held;     // read, and waiting for a show to end before it begins
  float put[3];  // where the step put the player, the car or the capture ped
  Waiting waiting;
  unsigned deadline;
  int passes;  // the wait's, so far
  unsigned lastProgress;
  Replay replay;  // what the plug-in reads of the game while the take runs
  PedHandle capturePed;
  StagedCar cars[kCars];
  int carCount;
  int models[kModels];  // requested and not yet let go
  int modelCount;
};

Take take;
// Zero, F9 and F10, until take.ini says otherwise: the runner's initialized data is all zero,
// and its file has no room for any.
int startKey;
int pickKey;
char takeFile[kPathSize];  // from take.ini; empty: zenthar.take
Pick pick;

// What the start key performs with nothing picked.
const char* FirstTake() {
  return takeFile[0] != '\0' ? takeFile : "zenthar.take";
}

const char* TakeFile() {
  const char* picked = PickedTake(pick);
  return picked != nullptr ? picked : FirstTake();
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

void Place(const Step& s, float put[3]) {
  // In double, then rounded once: a take written relative to the start comes back exactly at
  // the spots it was written from when the start is where it was planned.
  put[0] = static_cast<float>(take.origin[0] + s.x);
  put[1] = static_cast<float>(take.origin[1] + s.y);
  put[2] = static_cast<float>(take.origin[2] + s.z);
}

// The player stands at `at` as far as the take's keys read it.
void KnowPlace(const float at[3]) {
  take.replay.place = true;
  take.replay.x = at[0];
  take.replay.y = at[1];
  take.replay.z = at[2];
}

void Wait(Waiting what, unsigned ms) {
  take.waiting = what;
  take.deadline = GetTickCount() + ms;
  take.passes = 0;
}

bool Expired(unsigned seconds) {
  return Passed(take.deadline) && take.passes >= static_cast<int>(seconds) * kPassesASecond;
}

// Everything the take made or took that outlives it: the capture ped, the models, the armed key,
// the file. The hooks stay while autosave watches the plug-in.
void EndTake() {
  SetReplay(nullptr);
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
    Wait(Waiting::model, kModelGraceMs);
  }
  return false;
}

void Press(int key, const char* message) {
  ArmKey(key);
  if (message != take.step.text) {
    std::memcpy(take.step.text, message, std::strlen(message) + 1);
  }
  Wait(Waiting::key, kMessageGraceMs);
}

// A square root by Newton's steps, for a distance the runner shows: its runtime has none.
float Root(float square) {
  float root = square > 1.0f ? square : 1.0f;
  for (int i = 0; i < 24; ++i) root = 0.5f * (root + square / root);
  return root;
}

// How far the game has what the step moved from where the step put it, squared; -1 when it is not
// there at all: a car not made or gone, a capture ped gone, the player not in the car entered or
// still in one after leaving it.
float Off() {
  const Step& s = take.step;
  const PedHandle player = PlayerPed();
  const CarHandle car = StagedCarNamed(s.name);
  float at[3] = {};
  if (s.kind == StepKind::car || s.kind == StepKind::park) {
    if (car == 0 || !DOES_VEHICLE_EXIST(car)) return -1;
    GET_CAR_COORDINATES(car, &at[0], &at[1], &at[2]);
  } else if (s.kind == StepKind::capture) {
    if (!DOES_CHAR_EXIST(take.capturePed)) return -1;
    GET_CHAR_COORDINATES(take.capturePed, &at[0], &at[1], &at[2]);
  } else if (s.kind == StepKind::enter || s.kind == StepKind::leave) {
    const CarHandle in = GET_CAR_CHAR_IS_USING(player);
    if (s.kind == StepKind::enter) return in == car ? 0 : -1;
    if (in != 0) return -1;
  }
  if (s.kind == StepKind::move || s.kind == StepKind::leave) {
    GET_CHAR_COORDINATES(player, &at[0], &at[1], &at[2]);
  }
  float square = 0;
  for (int i = 0; i < 3; ++i) square += (at[i] - take.put[i]) * (at[i] - take.put[i]);
  return square;
}

void Refuse(float square) {
  const Step& s = take.step;
  const bool car = s.kind == StepKind::car || s.kind == StepKind::park;
  const char* who = car ? "car " : s.kind == StepKind::capture ? "the capture ped" : "you";
  const char* name = car ? s.name : "";
  if (s.kind == StepKind::enter) {
    Stop("the game did not let you into car %s", s.name);
  } else if (s.kind == StepKind::leave && square < 0) {
    Stop("the game did not let you out of the car");
  } else if (square < 0) {
    Stop("%s%s is not there", who, name);
  } else {
    Stop("the game put %s%s %.2f units from the take's place, %.0f at most", who, name,
         static_cast<double>(Root(square)), static_cast<double>(kReach));
  }
}

// Whether the game has what the step moved where the step put it, as near as it allows; until
// it does the take waits, and after kSettlePasses passes stops. A capture ped that stands there
// is captured.
bool Settled() {
  const float square = Off();
  if (square >= 0 && square <= kReach * kReach) {
    take.waiting = Waiting::nothing;
    if (take.step.kind != StepKind::capture) return true;
    take.replay.capture = true;
    take.replay.capturePed = take.capturePed;
    take.replay.model = take.step.value;
    Press(KeyCode(kCaptureKeyName), kCaptured);
    return false;
  }
  if (take.waiting != Waiting::settle) {
    Wait(Waiting::settle, 0);
  } else if (take.passes >= kSettlePasses) {
    Refuse(square);
  }
  return false;
}

// Starts the step under way; false when it waits for a model, the game or the plug-in's key.
bool BeginStep() {
  Step& s = take.step;
  Replay& r = take.replay;
  const PedHandle player = PlayerPed();
  float* const put = take.put;
  Place(s, put);
  switch (s.kind) {
    case StepKind::weapon:
      GIVE_WEAPON_TO_CHAR(player, s.value);
      SET_CURRENT_CHAR_WEAPON(player, s.value);
      r.weapon = true;
      r.weaponId = s.value;
      return true;
    case StepKind::car:
      if (!ModelReady(s.value)) return false;
      CREATE_CAR(s.value, put[0], put[1], put[2], &take.cars[take.carCount].handle);
      std::memcpy(take.cars[take.carCount++].name, s.name, sizeof s.name);
      break;
    case StepKind::move:
      SET_CHAR_COORDINATES(player, put[0], put[1], put[2]);
      KnowPlace(put);
      break;
    case StepKind::enter:
      r.car = true;
      r.carHandle = StagedCarNamed(s.name);
      // The player sits where the car stands, which the game knows.
      r.place = false;
      WARP_CHAR_INTO_CAR(player, r.carHandle);
      break;
    case StepKind::leave:
      WARP_CHAR_FROM_CAR_TO_COORD(player, put[0], put[1], put[2]);
      r.car = true;
      r.carHandle = 0;
      KnowPlace(put);
      break;
    case StepKind::park:
      SET_CAR_COORDINATES(StagedCarNamed(s.name), put[0], put[1], put[2]);
      if (r.car && r.carHandle == StagedCarNamed(s.name)) KnowPlace(put);
      break;
    case StepKind::capture:
      if (!ModelReady(s.value)) return false;
      GET_CHAR_COORDINATES(player, &put[0], &put[1], &put[2]);
      put[0] += kCaptureOffset;
      CREATE_CHAR(s.value, put[0], put[1], put[2], &take.capturePed);
      break;
    case StepKind::press:
      Press(s.value, s.text);
      return false;
    case StepKind::none:
      return true;
  }
  take.waiting = Waiting::nothing;
  return Settled();
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
  return true;
}

// The key the step pressed: true once the plug-in has taken it as the take says.
bool KeyCame(const Taken* key) {
  if (key == nullptr) {
    // The plug-in's own waits put off the deadline: its pass resumes and shows the message when
    // they are over.
    if (PluginBusy()) Wait(Waiting::key, kMessageGraceMs);
    if (!Expired(kMessageGraceMs / 1000)) return false;
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
    Wait(Waiting::key, kMessageGraceMs);
    return false;
  }
  if (!AsPressed(*key)) return false;
  take.waiting = Waiting::nothing;
  ++take.keysDone;
  take.replay.capture = false;
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
      if (Expired(kModelGraceMs / 1000)) Stop("model %d never loaded", take.step.value);
      return false;
    case Waiting::settle:
      return Settled();
    case Waiting::nothing:
      return true;
  }
  return true;
}

void Advance(const Taken* key) {
  ++take.passes;
  while (take.running) {
    if (!WaitOver(key) || !take.running) return;
    // The player and the set change only between the plug-in's passes.
    if (PluginBusy()) return;
    if (!take.held) {
      if (!NextStep(take.file, take.summary, take.line, take.step)) {
        const int keys = take.keysDone;
        EndTake();
        Show("Take done: %d keys", keys);
        return;
      }
      ++take.steps;
    }
    // A show plays in the world it was made in: the next step begins once it is over.
    take.held = ShowPlaying();
    if (take.held || !BeginStep()) return;
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
  float* const origin = take.origin;
  GET_CHAR_COORDINATES(PlayerPed(), &origin[0], &origin[1], &origin[2]);
  // The take starts where the player stands, and the plug-in reads it so.
  KnowPlace(origin);
  SetReplay(&take.replay);
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

void KeySetting(const char* value, int& key) {
  char* end = nullptr;
  const long long code = std::strtoll(value, &end, 10);
  if (end != value && code > 0 && code < 256) key = static_cast<int>(code);
}

void Setting(char* line) {
  if (const char* start = Value(line, "Start=")) {
    KeySetting(start, startKey);
  } else if (const char* picker = Value(line, "Pick=")) {
    KeySetting(picker, pickKey);
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
  int opened = -1;
  const bool took = HooksInstalled() && TakenKey(taken, opened);
  // The world as the play key found it, for the autosave: the show plays in it.
  if (opened >= 0 && opened == KeyCode(kCaptureKeyName)) NoteStand();
  if (took) AutosaveKey(taken);
  const bool started = (GetAsyncKeyState(startKey != 0 ? startKey : kDefaultStartKey) & 1) != 0;
  // Asked every pass, so that a press during a take is not taken for one after it.
  const bool picked = (GetAsyncKeyState(pickKey != 0 ? pickKey : kDefaultPickKey) & 1) != 0;
  if (started) {
    if (take.running) {
      Stop("the start key was pressed");
    } else {
      Start();
    }
    return;
  }
  // During a take the picker key changes nothing: it shows how far the take is.
  if (picked && take.running) {
    Show("Take: %d of %d keys", take.keysDone, take.summary.keys);
  } else if (picked) {
    char message[2 * kTextSize + 64];
    PickNext(pick, FirstTake(), AutosaveFolder(), message, sizeof message);
    PRINT_STRING_WITH_LITERAL_STRING_NOW(message);
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
