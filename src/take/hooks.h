// While a take runs, the runner stands in front of two of the plug-in's imports. Through
// GetAsyncKeyState it presses the planned key: the plug-in's query of that key reports a press
// in bit 0, once; every other query goes on to the host as before. Through
// Game::GetNativeAddress it sees each native the plug-in calls, and takes a copy of every screen
// message on its way to the game.
#pragma once

namespace take {

// False when the plug-in is not loaded or its imports cannot be reached; nothing is changed.
bool InstallHooks();
// Puts both entries back as they were. Safe to call when they are not installed.
void RemoveHooks();
bool PluginPresent();

// The plug-in's next query of `key` reports a press, once. Forgets any message shown before.
void ArmKey(int key);
bool KeyTaken();
// The plug-in's latest screen message since the key was armed; false when none has come.
bool TakeMessage(char* text, int size);
// Whether the plug-in's pass stopped mid-way when it was last seen: its last call was a native
// other than a screen message, after which only its waits suspend it. A pass that ran to its
// end last queried a key or showed a message.
bool PluginBusy();

}  // namespace take
