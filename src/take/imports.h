// The plug-in module's import entries for the host functions the take runner stands in front of
// while a take runs. Every call the plug-in makes to such a function goes through its
// entry, so rewriting the entry reaches the plug-in alone: no other module, and nothing of the
// system's input queue. One version of this unit reads the Windows module's import table, the
// other the Linux module's relocations of the rehearsal build.
#pragma once

namespace take {

enum class Import { keyState, nativeAddress, logInfo };

// The entry through which the plug-in calls GetAsyncKeyState, Game::GetNativeAddress or
// Log::Info; null when the plug-in is not loaded or does not import the function.
void** PluginImport(Import which);

// Points an entry elsewhere; the loader may have left it read-only.
bool SetImport(void** entry, void* function);

}  // namespace take
