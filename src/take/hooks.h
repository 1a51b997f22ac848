// The runner stands in front of three of the plug-in's imports. Through GetAsyncKeyState it sees
// every key the plug-in queries and presses a take's key: the plug-in's query of that key reports
// a press in bit 0, once; every other query goes on to the host as before. Through
// Game::GetNativeAddress it sees each native the plug-in calls: it takes a copy of every screen
// message on its way to the game, and of what the plug-in reads of the player; while a take runs
// it answers those reads with the take's values instead (Replay). Through Log::Info it sees a
// show start and end.
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

// What a take holds of the game, which the plug-in reads in place of the game's answer: where
// the player stands (the floats the plug-in ends up with, whatever the host's fix-ups), the car
// the player is in, the weapon, and for a capture the ped the plug-in finds and its model. What
// the take does not know goes through as the game answers it.
struct Replay {
  bool place, car, weapon, capture;
  float x, y, z;
  std::int32_t carHandle, weaponId;
  std::int32_t capturePed, model;
};

// The plug-in reads `replay` from now on, as the runner changes it; null: the game's answers.
void SetReplay(const Replay* replay);

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
// yet. Each key is given once. `opened` is the key the plug-in took since the last call, as soon
// as it is seen, whether or not its pass is over; -1 when there is none. The world is then still
// as the plug-in found it when it took the key: the game has not moved on since.
bool TakenKey(Taken& taken, int& opened);

// The plug-in's next query of `key` reports a press, once.
void ArmKey(int key);
// Whether the plug-in's pass stopped mid-way when it was last seen: its last call was a native
// other than a screen message, after which only its waits suspend it. A pass that ran to its
// end last queried a key or showed a message, or acted on a key that failed without a word.
bool PluginBusy();
// A show of the plug-in's plays, as far as the runner has seen it start.
bool ShowPlaying();

}  // namespace take
