#include "take/hooks.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "natives/native_context.h"
#include "take/imports.h"
#include "take/record.h"
#include "tessel.h"

namespace take {

namespace {

using KeyState = SHORT(WINAPI*)(int key);
using NativeAddress = Game::NativeHandler (*)(const char* name);
using LogInfo = void (*)(const char* format, ...);

const char* const kStartPlay = "--- Start Play ---";
const char* const kShowOff = "--- Show off ---";

enum class Seen { key, message, native };

// The natives the runner stands in front of, in the order of kWrapped.
enum Wrapped { print, playerChar, coordinates, carInUse, weapon, model, closest, kWrappedCount };

struct Hooks {
  void** keyEntry;
  void** nativeEntry;
  void** logEntry;    // null when the plug-in logs nothing
  KeyState keyState;  // what the entries held before
  NativeAddress nativeAddress;
  LogInfo logInfo;
  Game::NativeHandler real[kWrappedCount];  // each native as the plug-in last looked it up
  std::int32_t player;                      // the player's ped, as the plug-in last asked
  int armed;
  bool taken;
  Seen last;
  // The key chain: the queries so far, and the latest one.
  unsigned queries;
  int lastKey;
  bool lastPressed;
  // The key the plug-in took, from the look that found it to the end of its pass.
  bool open;
  bool ended;          // a later pass has queried a key
  unsigned openQuery;  // the query that took it
  Taken key;
  Reads reads;  // since the latest query
  bool called;  // a native since the latest query
  char message[kTextSize];
  unsigned shownAfter;  // the query the message came after
  bool shown;
  bool playing;
  unsigned offAfter;  // the query the last show ended after
};

Hooks hooks;
const Replay* replay;

SHORT WINAPI PluginKeyState(int key) {
  SHORT state = hooks.keyState(key);
  if (key == hooks.armed && !hooks.taken) {
    hooks.taken = true;
    state = static_cast<SHORT>(state | 1);
  }
  if (hooks.open && !hooks.ended) {
    // The next pass's chain: what the taken key read is complete.
    hooks.ended = true;
    hooks.key.reads = hooks.reads;
  }
  hooks.reads = Reads{};
  hooks.called = false;
  ++hooks.queries;
  hooks.lastKey = key;
  hooks.lastPressed = (state & 1) != 0;
  hooks.last = Seen::key;
  return state;
}

// A native's arguments, taken before the call: the host writes its result over the first.
struct Arguments {
  unsigned count;
  std::int32_t first;
  std::uintptr_t slots[4];
};

Arguments Before(const NativeCallContext* context) {
  Arguments args{context->argCount, 0, {}};
  std::memcpy(&args.first, &context->slots[0], sizeof args.first);
  for (unsigned i = 0; i < 4; ++i) args.slots[i] = context->slots[i];
  return args;
}

template <typename T>
T* Out(const Arguments& args, unsigned slot) {
  return reinterpret_cast<T*>(args.slots[slot]);
}

// The whole number a native wrote through its out-argument, when it is about the player; the
// take's `answer` in its place when the take knows it.
bool PlayerOut(const Arguments& args, bool known, std::int32_t answer, std::int32_t& value) {
  if (args.count < 2 || args.first != hooks.player) return false;
  std::int32_t* out = Out<std::int32_t>(args, 1);
  if (out != nullptr && known) *out = answer;
  value = out != nullptr ? *out : 0;
  return true;
}

void PluginPrint(NativeCallContext* context) {
  const Arguments args = Before(context);
  const char* text = args.count >= 2 ? Out<const char>(args, 1) : nullptr;
  if (text != nullptr) {
    std::size_t length = std::strlen(text);
    if (length >= sizeof hooks.message) length = sizeof hooks.message - 1;
    std::memcpy(hooks.message, text, length);
    hooks.message[length] = '\0';
    hooks.shown = true;
    hooks.shownAfter = hooks.queries;
  }
  hooks.last = Seen::message;
  hooks.real[print](context);
}

void PluginPlayerChar(NativeCallContext* context) {
  const Arguments args = Before(context);
  hooks.real[playerChar](context);
  const std::int32_t* ped = args.count >= 2 ? Out<std::int32_t>(args, 1) : nullptr;
  if (ped != nullptr) hooks.player = *ped;
}

// The player's place as the plug-in ends up with it, the host's vector fix-ups applied.
void PluginCoordinates(NativeCallContext* context) {
  const Arguments args = Before(context);
  hooks.real[coordinates](context);
  if (args.count < 4 || args.first != hooks.player) return;
  float* const at[3] = {Out<float>(args, 1), Out<float>(args, 2), Out<float>(args, 3)};
  if (replay != nullptr && replay->place) {
    const float place[3] = {replay->x, replay->y, replay->z};
    SetFinalFloats(*context, at, place);
  }
  float value[3];
  FinalFloats(*context, at, value);
  hooks.reads.place = true;
  hooks.reads.x = value[0];
  hooks.reads.y = value[1];
  hooks.reads.z = value[2];
}

void PluginCarInUse(NativeCallContext* context) {
  const Arguments args = Before(context);
  hooks.real[carInUse](context);
  const bool known = replay != nullptr && replay->car;
  if (PlayerOut(args, known, known ? replay->carHandle : 0, hooks.reads.carHandle)) {
    hooks.reads.car = true;
  }
}

void PluginWeapon(NativeCallContext* context) {
  const Arguments args = Before(context);
  hooks.real[weapon](context);
  const bool known = replay != nullptr && replay->weapon;
  if (PlayerOut(args, known, known ? replay->weaponId : 0, hooks.reads.weaponId)) {
    hooks.reads.weapon = true;
  }
}

bool Capturing() {
  return replay != nullptr && replay->capture;
}

// The capture reads the model of another ped.
void PluginModel(NativeCallContext* context) {
  const Arguments args = Before(context);
  hooks.real[model](context);
  std::int32_t* out = args.count >= 2 ? Out<std::int32_t>(args, 1) : nullptr;
  if (out == nullptr) return;
  if (Capturing()) *out = replay->model;
  hooks.reads.model = true;
  hooks.reads.modelId = *out;
}

// The ped nearest the player, for a capture: the take's capture ped, whoever else stands nearer.
void PluginClosest(NativeCallContext* context) {
  hooks.real[closest](context);
  auto* out = reinterpret_cast<std::int32_t*>(context->slots[6]);
  if (!Capturing() || context->argCount != 7 || out == nullptr) return;
  *out = replay->capturePed;
  context->slots[0] = 1;
}

// Its two marks of a show: the pass that starts a show of one screen ends it first.
void PluginLog(const char* format, ...) {
  char line[kTextSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (std::strcmp(line, kShowOff) == 0) {
    hooks.playing = false;
    hooks.offAfter = hooks.queries;
  }
  if (std::strcmp(line, kStartPlay) == 0) hooks.playing = hooks.offAfter != hooks.queries;
  hooks.logInfo("%s", line);
}

const char* const kWrappedNames[kWrappedCount] = {"PRINT_STRING_WITH_LITERAL_STRING_NOW",
                                                  "GET_PLAYER_CHAR",
                                                  "GET_CHAR_COORDINATES",
                                                  "GET_CAR_CHAR_IS_USING",
                                                  "GET_CURRENT_CHAR_WEAPON",
                                                  "GET_CHAR_MODEL",
                                                  "GET_CLOSEST_CHAR"};
const Game::NativeHandler kWrappers[kWrappedCount] = {
    PluginPrint,  PluginPlayerChar, PluginCoordinates, PluginCarInUse,
    PluginWeapon, PluginModel,      PluginClosest};

Game::NativeHandler PluginNativeAddress(const char* name) {
  const Game::NativeHandler handler = hooks.nativeAddress(name);
  hooks.last = Seen::native;
  hooks.called = true;
  if (handler == nullptr) return handler;
  for (int i = 0; i < kWrappedCount; ++i) {
    if (std::strcmp(name, kWrappedNames[i]) == 0) {
      hooks.real[i] = handler;
      return kWrappers[i];
    }
  }
  return handler;
}

}  // namespace

bool PluginPresent() {
  return PluginImport(Import::keyState) != nullptr &&
         PluginImport(Import::nativeAddress) != nullptr;
}

bool InstallHooks() {
  if (hooks.keyEntry != nullptr) return true;
  void** keyEntry = PluginImport(Import::keyState);
  void** nativeEntry = PluginImport(Import::nativeAddress);
  if (keyEntry == nullptr || nativeEntry == nullptr) return false;
  hooks = Hooks{};
  hooks.keyState = reinterpret_cast<KeyState>(*keyEntry);
  hooks.nativeAddress = reinterpret_cast<NativeAddress>(*nativeEntry);
  if (!SetImport(keyEntry, reinterpret_cast<void*>(&PluginKeyState))) return false;
  if (!SetImport(nativeEntry, reinterpret_cast<void*>(&PluginNativeAddress))) {
    SetImport(keyEntry, reinterpret_cast<void*>(hooks.keyState));
    return false;
  }
  hooks.keyEntry = keyEntry;
  hooks.nativeEntry = nativeEntry;
  void** logEntry = PluginImport(Import::logInfo);
  if (logEntry != nullptr) {
    hooks.logInfo = reinterpret_cast<LogInfo>(*logEntry);
    if (SetImport(logEntry, reinterpret_cast<void*>(&PluginLog))) hooks.logEntry = logEntry;
  }
  hooks.armed = -1;
  // Until the plug-in is seen querying a key or showing a message, its pass may be waiting.
  hooks.last = Seen::native;
  return true;
}

bool HooksInstalled() {
  return hooks.keyEntry != nullptr;
}

bool PluginGone() {
  if (hooks.keyEntry == nullptr) return false;
  // Read only once the module is known to be there; one loaded again may sit where it sat before,
  // its entries fresh.
  if (PluginImport(Import::keyState) == hooks.keyEntry &&
      *hooks.keyEntry == reinterpret_cast<void*>(&PluginKeyState)) {
    return false;
  }
  hooks.keyEntry = nullptr;
  hooks.nativeEntry = nullptr;
  hooks.logEntry = nullptr;
  return true;
}

void RemoveHooks() {
  if (hooks.keyEntry == nullptr || PluginGone()) return;
  SetImport(hooks.keyEntry, reinterpret_cast<void*>(hooks.keyState));
  SetImport(hooks.nativeEntry, reinterpret_cast<void*>(hooks.nativeAddress));
  if (hooks.logEntry != nullptr) SetImport(hooks.logEntry, reinterpret_cast<void*>(hooks.logInfo));
  hooks.keyEntry = nullptr;
  hooks.nativeEntry = nullptr;
  hooks.logEntry = nullptr;
  hooks.armed = -1;
}

void SetReplay(const Replay* answers) {
  replay = answers;
}

bool TakenKey(Taken& taken, int& opened) {
  opened = -1;
  if (!hooks.open && hooks.lastPressed && hooks.queries != hooks.openQuery) {
    opened = hooks.lastKey;
    hooks.open = true;
    hooks.ended = false;
    hooks.openQuery = hooks.queries;
    hooks.key.key = hooks.lastKey;
    // Looked at right after the pass that took the key: what it called since is the key's own,
    // and nothing of the next pass's show.
    hooks.key.acted = hooks.called;
  }
  if (!hooks.open) return false;
  const bool shown = hooks.shown && hooks.shownAfter == hooks.openQuery;
  if (!shown && !hooks.ended) return false;
  taken = hooks.key;
  taken.shown = shown;
  taken.message[0] = '\0';
  if (shown) std::memcpy(taken.message, hooks.message, sizeof taken.message);
  if (!hooks.ended) taken.reads = hooks.reads;
  hooks.open = false;
  return true;
}

void ArmKey(int key) {
  hooks.armed = key;
  hooks.taken = false;
}

bool PluginBusy() {
  return hooks.last == Seen::native;
}

bool ShowPlaying() {
  return hooks.playing;
}

}  // namespace take
