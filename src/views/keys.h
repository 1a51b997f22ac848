// The director's keys: where each sits, as the show player's keypad draws it, and what it does in
// each mode. The keypad, the keys card and the players' readme are all made from this one table,
// so a key changed here changes everywhere a person reads about it.
#pragma once

#include <array>
#include <span>
#include <string>

namespace sim {

enum class KeyBlock { pad, beside };

// Where a key sits: its block, then column, row, width and height counted in keys.
struct KeyPlace {
  KeyBlock block;
  int column, row, width, height;
};

struct DirectorKey {
  const char* label;  // on the key cap
  const char* name;   // in text; null for a key drawn only to complete the pad
  int code;           // Windows virtual-key code; for a ped.ini key, its default
  int iniLine;        // the ped.ini line that sets the code, or -1
  KeyPlace place;
  bool needsPed;  // does nothing, and lets the next key act, while the selected slot is empty
  std::array<const char*, 3> modes;  // what it does in modes 0, 1 and 2; null: nothing
};

// The pad row by row, then the keys beside it.
std::span<const DirectorKey> DirectorKeys();

// The same table as JSON, for the pages that draw the keypad or name the keys' actions: an array
// of {"label", "name", "code", "ini", "block", "at": [column, row, width, height], "ped",
// "modes": [three texts or null]}.
std::string KeyTableJson();

}  // namespace sim
