// Autosave: every key the plug-in takes, whoever pressed it, written down as the steps of a take
// with what the key read of the player, so that the start key on that file performs the same keys
// in the same places and the plug-in records the same film. A file a session,
// takes/YYYY-MM-DD_HH-MM-SS.take next to the game in local time, made at the first key and never
// over another; each line is written whole and flushed at once, so a crash loses at most the key
// under way. When the file cannot be written the runner says so once and autosave stops.
#pragma once

#include "take/hooks.h"

namespace take {

constexpr int kPathSize = 260;

// Where autosaves go, made when missing; an empty folder turns autosave off. On by default, into
// "takes".
void SetAutosaveFolder(const char* folder);
bool AutosaveOn();
// Where autosaves go, or would go were autosave on: the picker key steps through them there.
const char* AutosaveFolder();

// The world as the plug-in finds it when it takes the play key, before the key's pass moves
// anything: where the player stands, in which car, and where each staged car stands. A show
// plays in that world.
void NoteStand();

// Writes the steps of a key the plug-in took: the player's state it read that the take does not
// hold yet, then the key. Before a play key that starts a show, also the world the show plays in,
// as NoteStand found it: the take puts the player and every car it staged there.
void AutosaveKey(const Taken& key);

// The film ends with the plug-in or the runner: the file is closed, and another key starts
// another file.
void EndAutosave();

}  // namespace take
