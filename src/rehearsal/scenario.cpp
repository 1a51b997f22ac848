#include "rehearsal/scenario.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "rehearsal/decimal.h"
#include "rehearsal/take_scenario.h"
#include "take/keys.h"

namespace sim {

namespace {

// A stall as long as a loading screen, and then some.
constexpr int kLongestStallS = 3600;

// Splits a line into words; "quoted text" is one word, and # outside quotes ends the line.
bool Split(const std::string& line, std::vector<std::string>& words, std::string& problem) {
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      std::string word;
      ++i;
      while (i < line.size() && line[i] != '"') {
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        word += line[i++];
      }
      if (i >= line.size()) {
        problem = "unterminated quoted text";
        return false;
      }
      ++i;
      words.push_back(word);
    } else {
      std::size_t end = i;
      while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r' &&
             line[end] != '#') {
        ++end;
      }
      words.push_back(line.substr(i, end - i));
      i = end;
    }
  }
  return true;
}

// The problem quotes the offending words as written; a control character in them would break
// the report's one line or the terminal showing it, so it is shown as \xNN.
std::string Printable(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
    } else {
      const char* digits = "0123456789ABCDEF";
      out += "\\x";
      out += digits[byte >> 4];
      out += digits[byte & 0xF];
    }
  }
  return out;
}

class Reader {
 public:
  Reader(const std::string& file, Scenario& out) : file_(file), out_(out) {}

  std::string Run(const std::string& text) {
    // Line by line in place, as getline would split it: a stream over the text would copy it.
    std::string line;
    for (std::size_t at = 0; at < text.size();) {
      std::size_t end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
      line.assign(text, at, end - at);
      at = end + 1;
      ++lineNo_;
      if (lineNo_ == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
      words_.clear();
      std::string problem;
      if (!Split(line, words_, problem) || (!words_.empty() && !Statement(problem))) {
        return file_ + ":" + std::to_string(lineNo_) + ": " + Printable(problem);
      }
    }
    if (!sawRun_) out_.runUntil = lastTime_ + 60000;
    return "";
  }

 private:
  bool Fail(std::string& problem, const std::string& text) {
    problem = text;
    return false;
  }

  bool Count(std::size_t n, std::string& problem, const char* usage) {
    if (words_.size() == n) return true;
    return Fail(problem, std::string("expected: ") + usage);
  }

  bool Number(const std::string& word, double& value, std::string& problem) {
    const std::size_t plus = !word.empty() && word[0] == '+' ? 1 : 0;
    if (!ReadDecimal(word.substr(plus), value) || !std::isfinite(value)) {
      return Fail(problem, "bad number '" + word + "'");
    }
    return true;
  }

  bool Integer(const std::string& word, std::int64_t low, std::int64_t high, std::int64_t& value,
               std::string& problem) {
    const char* begin = word.data();
    const char* end = begin + word.size();
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end) {
      return Fail(problem, "bad number '" + word + "'");
    }
    if (value < low || value > high) {
      return Fail(problem, "number " + word + " out of range " + std::to_string(low) + ".." +
                               std::to_string(high));
    }
    return true;
  }

  bool Int32(const std::string& word, std::int32_t& value, std::string& problem) {
    std::int64_t v = 0;
    if (!Integer(word, INT32_MIN, INT32_MAX, v, problem)) return false;
    value = static_cast<std::int32_t>(v);
    return true;
  }

  bool Position(std::size_t first, world::Vec3& pos, std::string& problem) {
    double x = 0, y = 0, z = 0;
    if (!Number(words_[first], x, problem) || !Number(words_[first + 1], y, problem) ||
        !Number(words_[first + 2], z, problem)) {
      return false;
    }
    pos = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    for (std::size_t i = 0; i < 3; ++i) {
      const float v = i == 0 ? pos.x : i == 1 ? pos.y : pos.z;
      if (!std::isfinite(v)) return Fail(problem, "number " + words_[first + i] + " out of range");
    }
    return true;
  }

  bool Time(const std::string& word, std::uint64_t& ms, std::string& problem) {
    double seconds = 0;
    if (!Number(word, seconds, problem)) return false;
    if (seconds < 0 || seconds > 1e9) return Fail(problem, "time " + word + " out of range");
    ms = static_cast<std::uint64_t>(std::llround(seconds * 1000.0));
    if (ms < lastTime_) {
      return Fail(problem, "time " + word + " s goes backwards (an earlier line is at " +
                               std::to_string(lastTime_ / 1000.0).substr(0, 8) + " s)");
    }
    lastTime_ = ms;
    return true;
  }

  bool NewName(const std::string& name, std::string& problem) {
    if (name == "player" || (name.rfind("cast", 0) == 0 && name.size() > 4 &&
                             name.find_first_not_of("0123456789", 4) == std::string::npos)) {
      return Fail(problem, "the name '" + name + "' is reserved");
    }
    if (!names_.emplace(name, lineNo_).second) {
      return Fail(problem, "duplicate name '" + name + "' (first used on line " +
                               std::to_string(names_[name]) + ")");
    }
    return true;
  }

  bool KnownPed(const std::string& name, std::string& problem) {
    const bool cast = name.rfind("cast", 0) == 0 && name.size() > 4 &&
                      name.find_first_not_of("0123456789", 4) == std::string::npos;
    for (const Actor& ped : out_.peds) {
      if (ped.name == name) return true;
    }
    if (cast) return true;
    return Fail(problem, "unknown ped '" + name + "'");
  }

  bool IsCar(const std::string& name) const {
    for (const Actor& car : out_.cars) {
      if (car.name == name) return true;
    }
    return false;
  }

  bool KnownCar(const std::string& name, std::string& problem) {
    for (const Actor& car : out_.cars) {
      if (car.name == name) return true;
    }
    return Fail(problem, "unknown car '" + name + "'");
  }

  // ped NAME model M at X Y Z  /  car NAME model M at X Y Z
  bool ActorLine(std::vector<Actor>& list, const char* usage, std::string& problem) {
    if (words_.size() != 8 || words_[2] != "model" || words_[4] != "at") {
      return Fail(problem, std::string("expected: ") + usage);
    }
    Actor actor;
    actor.name = words_[1];
    if (!NewName(actor.name, problem) || !Int32(words_[3], actor.model, problem) ||
        !Position(5, actor.pos, problem)) {
      return false;
    }
    list.push_back(actor);
    return true;
  }

  bool PlayerLine(std::size_t first, Action* action, std::string& problem) {
    const std::size_t n = words_.size() - first;
    const std::string what = n > 0 ? words_[first] : "";
    if (what == "at" && n == 4) {
      world::Vec3 pos;
      if (!Position(first + 1, pos, problem)) return false;
      if (action == nullptr) {
        out_.playerPos = pos;
      } else {
        action->kind = ActionKind::playerAt;
        action->pos = pos;
      }
      return true;
    }
    if (what == "weapon" && n == 2) {
      std::int32_t weapon = 0;
      if (!Int32(words_[first + 1], weapon, problem)) return false;
      if (action == nullptr) {
        out_.playerWeapon = weapon;
      } else {
        action->kind = ActionKind::playerWeapon;
        action->value = weapon;
      }
      return true;
    }
    if (action != nullptr && what == "enter" && n == 2) {
      action->kind = ActionKind::playerEnter;
      action->name = words_[first + 1];
      return KnownCar(action->name, problem);
    }
    if (action != nullptr && what == "leave" && n == 1) {
      action->kind = ActionKind::playerLeave;
      return true;
    }
    return Fail(problem, action == nullptr
                             ? "expected: player at X Y Z | player weapon W"
                             : "expected: at T player at X Y Z | weapon W | enter CAR | leave");
  }

  bool AtLine(std::string& problem) {
    if (words_.size() < 3) return Fail(problem, "expected: at T WHAT ...");
    Action action;
    action.line = lineNo_;
    if (!Time(words_[1], action.t, problem)) return false;
    const std::string& what = words_[2];
    if (what == "press") {
      if (words_.size() < 4) return Fail(problem, "expected: at T press KEY [KEY ...]");
      action.kind = ActionKind::press;
      for (std::size_t i = 3; i < words_.size(); ++i) {
        int code = 0;
        if (!KeyCode(words_[i], code)) return Fail(problem, "unknown key name '" + words_[i] + "'");
        action.keys.push_back(code);
      }
    } else if (what == "player") {
      if (!PlayerLine(3, &action, problem)) return false;
    } else if (what == "kill" || what == "remove") {
      if (!Count(4, problem, "at T kill PED | at T remove PED | at T remove CAR")) return false;
      action.kind = what == "kill" ? ActionKind::kill : ActionKind::remove;
      action.name = words_[3];
      const bool car = action.kind == ActionKind::remove && IsCar(action.name);
      if (!car && !KnownPed(action.name, problem)) {
        if (action.kind == ActionKind::remove) problem = "unknown ped or car '" + action.name + "'";
        return false;
      }
    } else if (what == "unload") {
      if (!Count(4, problem, "at T unload take") || words_[3] != "take") {
        return Fail(problem, "expected: at T unload take");
      }
      action.kind = ActionKind::unloadTake;
    } else if (what == "stall") {
      double seconds = 0;
      if (!Count(4, problem, "at T stall S") || !Number(words_[3], seconds, problem)) return false;
      if (seconds <= 0 || seconds > kLongestStallS) {
        return Fail(problem, "a stall of " + words_[3] +
                                 " s; a stall lasts more than 0 and at most " +
                                 std::to_string(kLongestStallS) + " s");
      }
      action.kind = ActionKind::stall;
      action.ms = static_cast<std::uint64_t>(std::llround(seconds * 1000.0));
      if (action.ms == 0) action.ms = 1;
    } else if (what == "wreck") {
      if (!Count(4, problem, "at T wreck CAR")) return false;
      action.kind = ActionKind::wreck;
      action.name = words_[3];
      if (!KnownCar(action.name, problem)) return false;
    } else {
      return Fail(problem, "unknown event '" + what +
                               "' (press, player, kill, remove, wreck, unload, stall)");
    }
    out_.actions.push_back(action);
    return true;
  }

  // take FILE: the file is read now, relative to the scenario's folder, so the run does not
  // depend on where it is started from.
  bool TakeLine(std::string& problem) {
    if (!Count(2, problem, "take FILE")) return false;
    if (out_.hasTake) return Fail(problem, "a second take line");
    const std::filesystem::path path =
        std::filesystem::path(file_).parent_path() / std::filesystem::path(words_[1]);
    const std::string why = ReadWholeFile(path.string(), "take", out_.take);
    if (!why.empty()) return Fail(problem, why);
    out_.hasTake = true;
    return true;
  }

  // rough [SEED]: without a seed, one of its own, which the run prints.
  bool RoughLine(std::string& problem) {
    if (words_.size() > 2) return Fail(problem, "expected: rough [SEED]");
    if (out_.rough) return Fail(problem, "a second rough line");
    out_.rough = true;
    if (words_.size() == 1) {
      out_.roughSeed = std::random_device{}();
      return true;
    }
    return ReadSeed(words_[1], out_.roughSeed, problem);
  }

  // autosave FOLDER: relative to the scenario's folder, like a take.
  bool AutosaveLine(std::string& problem) {
    if (!Count(2, problem, "autosave FOLDER")) return false;
    if (!out_.autosave.empty()) return Fail(problem, "a second autosave line");
    const std::filesystem::path folder =
        std::filesystem::path(file_).parent_path() / std::filesystem::path(words_[1]);
    out_.autosave = std::filesystem::absolute(folder).lexically_normal().string();
    return true;
  }

  bool Statement(std::string& problem) {
    const std::string& word = words_[0];
    if (word == "fps") {
      std::int64_t fps = 0;
      if (!Count(2, problem, "fps N") || !Integer(words_[1], 1, 1000, fps, problem)) return false;
      out_.fps = static_cast<int>(fps);
      return true;
    }
    if (word == "clock") {
      std::int64_t clock = 0;
      if (!Count(2, problem, "clock TICKCOUNT") ||
          !Integer(words_[1], 0, UINT32_MAX, clock, problem)) {
        return false;
      }
      out_.clock = static_cast<std::uint32_t>(clock);
      return true;
    }
    if (word == "ini") {
      out_.hasIni = true;
      out_.iniLines.assign(words_.begin() + 1, words_.end());
      return true;
    }
    if (word == "missing") {
      if (words_.size() < 2) return Fail(problem, "expected: missing NATIVE [NATIVE ...]");
      for (std::size_t i = 1; i < words_.size(); ++i) out_.missing.insert(words_[i]);
      return true;
    }
    if (word == "player") return PlayerLine(1, nullptr, problem);
    if (word == "ped") return ActorLine(out_.peds, "ped NAME model M at X Y Z", problem);
    if (word == "car") return ActorLine(out_.cars, "car NAME model M at X Y Z", problem);
    if (word == "model") {
      std::int32_t model = 0;
      if (words_.size() != 3 || (words_[2] != "ped" && words_[2] != "car")) {
        return Fail(problem, "expected: model M ped | model M car");
      }
      if (!Int32(words_[1], model, problem)) return false;
      (words_[2] == "ped" ? out_.pedModels : out_.carModels).push_back(model);
      return true;
    }
    if (word == "rough") return RoughLine(problem);
    if (word == "take") return TakeLine(problem);
    if (word == "autosave") return AutosaveLine(problem);
    if (word == "take.ini") {
      out_.takeIniLines.assign(words_.begin() + 1, words_.end());
      return true;
    }
    if (word == "at") return AtLine(problem);
    if (word == "run") {
      std::uint64_t until = 0;
      if (!Count(2, problem, "run T") || !Time(words_[1], until, problem)) return false;
      if (sawRun_) return Fail(problem, "a second run line");
      sawRun_ = true;
      out_.runUntil = until;
      return true;
    }
    return Fail(problem, "unknown statement '" + word + "'");
  }

  std::string file_;
  Scenario& out_;
  std::vector<std::string> words_;
  std::map<std::string, int> names_;
  int lineNo_ = 0;
  std::uint64_t lastTime_ = 0;
  bool sawRun_ = false;
};

}  // namespace

bool ReadSeed(const std::string& word, std::uint64_t& seed, std::string& problem) {
  const char* end = word.data() + word.size();
  const auto result = std::from_chars(word.data(), end, seed);
  if (result.ec == std::errc() && result.ptr == end && !word.empty()) return true;
  problem = "bad seed '" + word + "' (a whole number from 0 to 18446744073709551615)";
  return false;
}

std::string QuoteWord(const std::string& word) {
  std::string out = "\"";
  for (const char c : word) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& problem) {
  return Split(line, words, problem);
}

bool KeyCode(const std::string& name, int& code) {
  for (const KeyNameRow& row : kKeyNames) {
    if (name == row.name) {
      code = row.code;
      return true;
    }
  }
  if (name.rfind("vk:", 0) == 0 && name.size() > 3) {
    int value = 0;
    const char* begin = name.data() + 3;
    const char* end = name.data() + name.size();
    const auto result = std::from_chars(begin, end, value);
    if (result.ec == std::errc() && result.ptr == end && value >= 0 && value <= 255) {
      code = value;
      return true;
    }
  }
  return false;
}

std::string KeyName(int code) {
  for (const KeyNameRow& row : kKeyNames) {
    if (row.code == code) return row.name;
  }
  return "vk:" + std::to_string(code);
}

std::string ParseScenario(const std::string& file, const std::string& text, Scenario& out) {
  out = Scenario{};
  out.file = file;
  // A planned scenario is an action a line, half a million of them for the largest film: room
  // for them at once spares a 32-bit tool the copies of a growing table.
  out.actions.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  return Reader(file, out).Run(text);
}

std::string ReadWholeFile(const std::string& file, const std::string& what, std::string& text) {
  // Only a regular file is read: on Linux a folder or a device opens as a stream that reads as
  // empty, which would pass for an empty scenario or shot list.
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (std::filesystem::is_directory(status)) return file + ": is a folder, not a " + what + " file";
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    return file + ": is a device, pipe or socket, not a " + what + " file";
  }
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) return file + ": cannot open the " + what;
  // Read in place: a take of the largest film is twenty megabytes.
  text.resize(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
    return file + ": cannot read the " + what;
  }
  return "";
}

std::string LoadScenario(const std::string& file, Scenario& out) {
  std::string text;
  std::string problem = ReadWholeFile(file, "scenario", text);
  if (!problem.empty()) return problem;
  if (IsTake(text)) return TakeScenario(file, text, out);
  return ParseScenario(file, text, out);
}

const char* ScenarioHelp() {
  return R"(Scenario statements (one a line, # starts a comment, times in seconds):
  fps N                         host ticks per second (default 30)
  clock N                       GetTickCount value at the start (default 0)
  ini "LINE" ["LINE" ...]       lines of ped.ini in the run's folder (no ini line: no file)
  missing NATIVE [NATIVE ...]   natives the host does not know
  player at X Y Z               the player's position (default 0 0 0)
  player weapon W               the player's weapon
  ped NAME model M at X Y Z     a bystander the player can capture a model from
  car NAME model M at X Y Z     a car
  model M ped                   declare another ped model
  model M car                   declare a car model (a take may stage cars of it)
  take FILE                     load the take runner beside the plug-in, with FILE (relative
                                to the scenario) as its zenthar.take; F9 starts it
  take.ini "LINE" ["LINE" ...]  lines of take.ini in the run's folder
  autosave FOLDER               load the take runner with autosave on, writing into FOLDER
                                (relative to the scenario)
  at T press KEY [KEY ...]      keys pressed before the first pass at or after T
  at T player at X Y Z          the player walks (or drives) there
  at T player enter CAR         the player takes the driver's seat of CAR
  at T player leave             the player gets out of the car
  at T player weapon W          the player switches weapon
  at T kill PED                 a ped dies (PED: a bystander, or castN for the Nth created ped)
  at T remove PED               a ped is removed from the world
  at T remove CAR               a car is taken away (anyone in it is left beside it)
  at T wreck CAR                a car is wrecked
  at T unload take              the take runner is unloaded, the plug-in stays
  at T stall S                  the next tick comes S seconds late, as after a loading screen;
                                the lines after it wait with it
  rough [SEED]                  a world that fights back: a ped set down lands off the spot and
                                settles, passers-by wander, models stream in late, ticks come
                                late, cars made by a script roll; the same SEED, the same world
                                (no SEED: a new one, printed)
  run T                         run until T, then unload (default: last event + 60 s)

A take file (first line "zenthar-take N") is rehearsed by itself: the player alone where the
take says it started (its "# start X Y Z" line, else 0 0 0), the models of its cars and captures
declared, F9 at 0.1 s, and time for the take and the show it plays.

Key names:
  backslash (220, play / capture)   num0..num9 (96..105)   num. (110)   num+ (107)
  num- (109)   num* (106)   num/ (111)   pgup (33)   pgdn (34)   minus (189)   plus (187)
  scroll (145, mode)   pause (19, on/off)   f1..f12 (112..123)   vk:N (any code 0..255)
)";
}

}  // namespace sim
