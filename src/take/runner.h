// The take: on the start key the runner checks zenthar.take next to the game, then performs it
// step by step over its passes. It moves the player, stages cars and hands over weapons only
// between the plug-in's passes, presses one key at a time and compares the message the plug-in
// shows with the take's, stopping at the first difference. The start key again stops it.
#pragma once

namespace take {

constexpr int kDefaultStartKey = 120;  // F9

// The start key from take.ini next to the game (its first line "Start=N"), read once at load.
void LoadTakeSettings();
int StartKey();

// One pass of the runner's thread.
void RunTakePass();

// The module is going away: the plug-in's imports go back and the take file is closed. No
// native is called, since the game's script thread is not the one unloading.
void ReleaseTake();

}  // namespace take
