// The keys card and the readme's keys name every key of the table with what it does in each
// mode, whole: wrapping a long action over lines must lose no word of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

#include "views/card.h"
#include "views/keys.h"
#include "views/storyboard.h"

namespace {

// The card's words in drawing order, one space between texts: a wrapped action reads whole.
std::string CardWords() {
  const std::string svg = sim::RenderKeysCard("9.8.7");
  const std::regex text("<text[^>]*>([^<]*)</text>");
  std::string words;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), text); it != std::sregex_iterator();
       ++it) {
    words += (*it)[1].str() + " ";
  }
  return words;
}

TEST(KeysCard, NamesEveryKeyWithWhatItDoesInEachMode) {
  const std::string card = CardWords();
  EXPECT_NE(card.find("Zenthar 9.8.7"), std::string::npos);
  for (const char* mode : {"Mode 0:", "Mode 1:", "Mode 2:"}) {
    EXPECT_NE(card.find(mode), std::string::npos) << mode;
  }
  EXPECT_NE(card.find("autosaved in takes\\ next to the game"), std::string::npos)
      << "the card says where autosaves go";
  EXPECT_NE(card.find("F10 picks which one"), std::string::npos)
      << "the card names the take runner's picker key";
  for (const sim::DirectorKey& key : sim::DirectorKeys()) {
    if (key.name == nullptr) continue;
    EXPECT_NE(card.find(sim::XmlEscape(key.name) + " "), std::string::npos) << key.name;
    for (const char* action : key.modes) {
      if (action == nullptr) continue;
      EXPECT_NE(card.find(sim::XmlEscape(action)), std::string::npos) << key.name << ": " << action;
    }
  }
}

// A line for each mode, or one when every mode agrees; in ASCII, for any editor.
TEST(KeysCard, TheReadmesKeysGiveEveryModeInAscii) {
  const std::string text = sim::KeysText();
  for (char c : text) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << text;
  std::ptrdiff_t lines = 0;
  for (const sim::DirectorKey& key : sim::DirectorKeys()) {
    if (key.name == nullptr) continue;
    const bool same = key.modes[0] != nullptr && std::string(key.modes[0]) == key.modes[1] &&
                      std::string(key.modes[0]) == key.modes[2];
    lines += same ? 1 : 3;
  }
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), lines) << text;
  EXPECT_NE(text.find("Num 1               mode 0: create a ped of that model in the slot, where "
                      "you stand\n                    mode 1: use the phone\n"
                      "                    mode 2: aim at this spot\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("- (main keyboard)   mode 0: nothing\n"), std::string::npos) << text;
}

}  // namespace
