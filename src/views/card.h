// The keys card: every director key and what it does in each mode, on one page a player can
// print (SVG), and the same in plain text for the players' readme. Both come from the key table
// the show player's keypad is drawn from.
#pragma once

#include <string>

namespace sim {

std::string RenderKeysCard(const std::string& version);

// One key a block of lines, each ending in "\n"; ASCII only, for any text editor.
std::string KeysText();

}  // namespace sim
