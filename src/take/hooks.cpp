#include "take/hooks.h"

#include <windows.h>

#include <cstring>

#include "natives/native_context.h"
#include "take/imports.h"
#include "take/take_file.h"
#include "tessel.h"

namespace take {

namespace {

using KeyState = SHORT(WINAPI*)(int key);
using NativeAddress = Game::NativeHandler (*)(const char* name);

const char* const kPrint = "PRINT_STRING_WITH_LITERAL_STRING_NOW";

enum class Seen { key, message, native };

struct Hooks {
  void** keyEntry;
  void** nativeEntry;
  KeyState keyState;  // what the entries held before
  NativeAddress nativeAddress;
  Game::NativeHandler print;  // the game's screen message, as the plug-in last looked it up
  int armed;
  bool taken;
  bool shown;
  char message[kTextSize];
  Seen last;
};

Hooks hooks;

SHORT WINAPI PluginKeyState(int key) {
  SHORT state = hooks.keyState(key);
  hooks.last = Seen::key;
  if (key == hooks.armed && !hooks.taken) {
    hooks.taken = true;
    state = static_cast<SHORT>(state | 1);
  }
  return state;
}

void PluginPrint(NativeCallContext* context) {
  const char* text =
      context->argCount >= 2 ? reinterpret_cast<const char*>(context->slots[1]) : nullptr;
  if (text != nullptr) {
    std::size_t length = std::strlen(text);
    if (length >= sizeof hooks.message) length = sizeof hooks.message - 1;
    std::memcpy(hooks.message, text, length);
    hooks.message[length] = '\0';
    hooks.shown = true;
  }
  hooks.last = Seen::message;
  hooks.print(context);
}

Game::NativeHandler PluginNativeAddress(const char* name) {
  const Game::NativeHandler handler = hooks.nativeAddress(name);
  hooks.last = Seen::native;
  if (handler == nullptr || std::strcmp(name, kPrint) != 0) return handler;
  hooks.print = handler;
  return PluginPrint;
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
  hooks.keyState = reinterpret_cast<KeyState>(*keyEntry);
  hooks.nativeAddress = reinterpret_cast<NativeAddress>(*nativeEntry);
  if (!SetImport(keyEntry, reinterpret_cast<void*>(&PluginKeyState))) return false;
  if (!SetImport(nativeEntry, reinterpret_cast<void*>(&PluginNativeAddress))) {
    SetImport(keyEntry, reinterpret_cast<void*>(hooks.keyState));
    return false;
  }
  hooks.keyEntry = keyEntry;
  hooks.nativeEntry = nativeEntry;
  hooks.armed = -1;
  // Until the plug-in is seen querying a key or showing a message, its pass may be waiting.
  hooks.last = Seen::native;
  return true;
}

void RemoveHooks() {
  if (hooks.keyEntry == nullptr) return;
  SetImport(hooks.keyEntry, reinterpret_cast<void*>(hooks.keyState));
  SetImport(hooks.nativeEntry, reinterpret_cast<void*>(hooks.nativeAddress));
  hooks.keyEntry = nullptr;
  hooks.nativeEntry = nullptr;
  hooks.armed = -1;
}

void ArmKey(int key) {
  hooks.armed = key;
  hooks.taken = false;
  hooks.shown = false;
}

bool KeyTaken() {
  return hooks.taken;
}

bool TakeMessage(char* text, int size) {
  if (!hooks.shown) return false;
  std::size_t length = std::strlen(hooks.message);
  if (length >= static_cast<std::size_t>(size)) length = static_cast<std::size_t>(size) - 1;
  std::memcpy(text, hooks.message, length);
  text[length] = '\0';
  hooks.shown = false;
  return true;
}

bool PluginBusy() {
  return hooks.last == Seen::native;
}

}  // namespace take
