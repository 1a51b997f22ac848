// The take: on the start key the runner checks zenthar.take next to the game (or the file
// take.ini names, or the one the picker key shows), then performs it step by step over its passes.
// It moves the player, stages cars and hands over weapons only between the plug-in's passes,
// presses one key at a time and compares what the plug-in shows with the take, stopping at the
// first difference. The start key again stops it. Take or no take, it autosaves every key the
// plug-in takes (autosave.h).
#pragma once

namespace take {

constexpr int kDefaultStartKey = 120;  // F9
constexpr int kDefaultPickKey = 121;   // F10

// take.ini next to the game, read once at load, a setting a line: Start=N, the start key's code;
// Pick=N, the picker key's (picker.h), whose take the start key then performs; Autosave=0 turns
// autosave off, Autosave=FOLDER writes into FOLDER instead of takes; Take=FILE performs FILE
// instead of zenthar.take. Paths take either slash.
void LoadTakeSettings();

// The runner is loaded: with autosave on, it stands in front of the plug-in at once when the
// plug-in is loaded already, so the very first pass's key is seen; otherwise its first pass after
// the plug-in comes does.
void WatchPlugin();

// One pass of the runner's thread.
void RunTakePass();

// The module is going away: the plug-in's imports go back, when it is still there, and the take
// and autosave files are closed. No native is called, since the game's script thread is not the
// one unloading.
void ReleaseTake();

}  // namespace take
