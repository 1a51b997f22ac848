// The runner stands in front of two of the plug-in's imports. Through GetAsyncKeyState it sees
// every key the plug-in queries and presses a take's key: the plug-in's query of that key reports
// a press in bit 0, once; every other query goes on to the host as before. Through
// Game::GetNativeAddress it sees each native the plug-in calls: it takes a copy of every screen
// message on its way to the game, and of what the plug-in reads of the player.
//
// Which key the plug-in took: it queries its keys in a fixed chain each pass and acts on at most
// one, and a key whose press it cannot act on (no ped in the slot, keys off) lets the chain go on.
// The runner's pass runs between the plug-in's passes, so the key the plug-in took since the
// runner last looked is the last key it queried, if that query reported a press. The key's pass
// is over once its message has come or the next pass queries a key; its own waits (a car door,
// a show's slots) can hold it over several passes of the runner.
#pragma once

#include <cstdint>

#include "take/take_file.h"

namespace take {

// What the plug-in read of the player, as it ended up with it, while it acted on a key.
struct Reads {
  bool place, car, weapon, model;
  float x, y, z;           // GET_CHAR_COORDINATES of the player, the host's vector fix-ups applied
  std::int32_t carHandle;  // GET_CAR_CHAR_IS_USING of the player, 0 on foot
  std::int32_t weaponId;   // GET_CURRENT_CHAR_WEAPON of the player
  std::int32_t modelId;    // GET_CHAR_MODEL: the model a capture took
};

// A key the plug-in took, with its pass over.
struct Taken {
  int key;
  // It called the game while acting on the key. A key that neither calls the game nor shows a
  // message has changed nothing: the play key while a show plays, Page Up in mode 0.
  bool acted;
  bool shown;
  char message[kTextSize];
  Reads reads;
};

// False when the plug-in is not loaded or its imports cannot be reached; nothing is changed.
bool InstallHooks();
bool HooksInstalled();
// Puts both entries back as they were, when the plug-in is still there to hold them. Safe to
// call when they are not installed.
void RemoveHooks();
// The plug-in went away with the hooks in its entries, or was loaded again with entries of its
// own: the hooks are forgotten, never written back. True when that happened.
bool PluginGone();
bool PluginPresent();

// The key the plug-in took since the last call, once its pass is over; false when there is none
// yet. Each key is given once.
bool TakenKey(Taken& taken);

// The plug-in's next query of `key` reports a press, once.
void ArmKey(int key);
// Whether the plug-in's pass stopped mid-way when it was last seen: its last call was a native
// other than a screen message, after which only its waits suspend it. A pass that ran to its
// end last queried a key or showed a message, or acted on a key that failed without a word.
bool PluginBusy();

}  // namespace take
