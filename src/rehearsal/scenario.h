// A rehearsal scenario: the world's set-up and what the person at the keyboard does when, one
// statement a line. Reading it either yields the whole scenario or the first problem, as
// FILE:LINE: problem, and nothing is run.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "world/world.h"

namespace sim {

struct Actor {
  std::string name;
  std::int32_t model = 0;
  world::Vec3 pos;
};

enum class ActionKind {
  press,
  playerAt,
  playerEnter,
  playerLeave,
  playerWeapon,
  kill,
  remove,
  wreck,
  unloadTake,
  stall,  // the next tick comes `ms` late, and the scenario's clock waits with it
};

struct Action {
  std::uint64_t t = 0;  // virtual milliseconds from the start
  ActionKind kind = ActionKind::press;
  std::vector<int> keys;  // named as KeyName names them
  world::Vec3 pos;
  std::string name;  // ped or car
  std::int32_t value = 0;
  std::uint64_t ms = 0;  // stall
  int line = 0;
};

struct Scenario {
  std::string file;
  int fps = 30;
  std::uint32_t clock = 0;
  bool hasIni = false;
  std::vector<std::string> iniLines;
  std::set<std::string> missing;
  world::Vec3 playerPos;
  std::int32_t playerWeapon = 0;
  std::vector<Actor> peds;
  std::vector<Actor> cars;
  std::vector<std::int32_t> pedModels;
  std::vector<std::int32_t> carModels;
  // A take runner loaded beside the plug-in, with the take as zenthar.take and take.ini's lines.
  bool hasTake = false;
  std::string take;
  std::vector<std::string> takeIniLines;
  // The folder the runner autosaves into; empty: the runner, when loaded for a take, does not
  // autosave.
  std::string autosave;
  std::vector<Action> actions;
  std::uint64_t runUntil = 0;
  // A rough world (world::World::MakeRough) from this seed; the calm world otherwise.
  bool rough = false;
  std::uint64_t roughSeed = 0;
};

// Reads `text` as the scenario file `file`. Returns an empty string on success, else the problem.
std::string ParseScenario(const std::string& file, const std::string& text, Scenario& out);
// Reads a scenario file, or a take file (its first line "zenthar-take N"), which is rehearsed by
// itself (TakeScenario).
std::string LoadScenario(const std::string& file, Scenario& out);

// The whole of a file as it is on disk, read for the `what` it should hold ("scenario", "shot
// list"). Returns an empty string on success, else the problem naming the file: it cannot be
// opened, or it is a folder or another thing that is not a regular file.
std::string ReadWholeFile(const std::string& file, const std::string& what, std::string& text);

// Splits a line into words as the scenario reader does: "quoted text" is one word, and # outside
// quotes ends the line. False with the problem for an unterminated quote.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& problem);

// A rough world's seed, as scenarios and command lines write it: a whole number of 64 bits.
bool ReadSeed(const std::string& word, std::uint64_t& seed, std::string& problem);

// A word as SplitWords reads it back whatever it holds: in quotes, with \ before " and \.
std::string QuoteWord(const std::string& word);

// Key names as scenarios write them, and back.
bool KeyCode(const std::string& name, int& code);
std::string KeyName(int code);

// What --help prints about the format.
const char* ScenarioHelp();

}  // namespace sim
