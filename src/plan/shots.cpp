#include "plan/shots.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <sstream>

#include "rehearsal/decimal.h"
#include "rehearsal/take_scenario.h"

namespace plan {

namespace {

constexpr int kNum0 = 96;
constexpr int kNum1 = 97;
constexpr int kNum2 = 98;
constexpr int kNum3 = 99;
constexpr int kNum4 = 100;
constexpr int kNum5 = 101;
constexpr int kNum6 = 102;
constexpr int kNum7 = 103;
constexpr int kNum8 = 104;
constexpr int kNum9 = 105;
constexpr int kNumDecimal = 110;

// "look at car" comes before "look at" so that the longer words win.
const std::vector<CueKind> kCueKinds = {
    {1, "phone", 1, kNum1, false, CueField::none, "Ped %d will been USE PHOME at screen %d"},
    {2, "hang up", 1, kNum2, false, CueField::none, "Ped %d will been NOT USE PHOME at screen %d"},
    {3, "go", 1, kNum3, true, CueField::spot, "Ped %d will been GO TO THIS POS at screen %d"},
    {4, "gun", 1, kNum4, true, CueField::weapon, "Ped %d will been SWAP TO THIS GUN at screen %d"},
    {5, "hands up", 1, kNum5, true, CueField::none, "Ped %d will been HANDS UP at screen %d"},
    {6, "ride", 1, kNum6, true, CueField::car, "Ped %d will been SEAT AS PASSENGER at screen %d"},
    {7, "horn", 1, kNum7, false, CueField::none, "Ped %d will been SOUND HORN at screen %d"},
    {8, "fight", 1, kNum8, false, CueField::target, "Ped %d will been COMBAT %d at screen %d"},
    {9, "drive", 1, kNum9, false, CueField::car, "Ped %d will been SEAT AS DRIVER at screen %d"},
    {10, "get out", 1, kNum0, true, CueField::none, "Ped %d will been EXIT FROM CAR at screen %d"},
    {11, "die", 1, kNumDecimal, true, CueField::none, "Ped %d will been DIE at screen %d"},
    {21, "aim at", 2, kNum1, false, CueField::spot,
     "Ped %d will been AIM TO THIS POS at screen %d"},
    {22, "aim at", 2, kNum2, false, CueField::target,
     "Ped %d will been AIM TO PED %d at screen %d"},
    {23, "blow up", 2, kNum3, true, CueField::car,
     "Ped %d will been EXPLODE THIS CAR at screen %d"},
    {26, "look at car", 2, kNum6, true, CueField::car,
     "Ped %d will been LOOK TO THIS CAR at screen %d"},
    {24, "look at", 2, kNum4, true, CueField::target,
     "Ped %d will been LOOK TO PED %d at screen %d"},
    {25, "look at", 2, kNum5, true, CueField::spot,
     "Ped %d will been LOOK TO THIS POS at screen %d"},
    {27, "shoot", 2, kNum0, true, CueField::none, "Ped %d will been FIRE FROM GUN at screen %d"},
    {28, "burn", 2, kNumDecimal, true, CueField::none, "Ped %d will been FIRE at screen %d"},
};

const std::vector<ExplosionKindRow> kExplosionKinds = {
    {1, "fire", kNum7, "This been FIRE EXPLODE #%d at screen %d"},
    {4, "rocket", kNum8, "This been ROCKET EXPLODE #%d at screen %d"},
    {0, "grenade", kNum9, "This been GRENADE EXPLODE #%d at screen %d"},
};

// Words a place may not be called, because cue lines give them a meaning of their own.
bool Reserved(const std::string& name) {
  static const char* const kWords[] = {"player", "slot", "car", "ped", "id", "seat", "at", "like"};
  for (const char* word : kWords) {
    if (name == word) return true;
  }
  return false;
}

std::vector<std::string> WordsOf(const char* text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

class Reader {
 public:
  Reader(const std::string& file, ShotList& out) : file_(file), out_(out) {}

  std::string Run(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::string setUp;
    {
      std::istringstream in(text);
      std::string line;
      int number = 0;
      while (std::getline(in, line)) {
        ++number;
        if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        std::vector<std::string> words;
        std::string problem;
        if (!sim::SplitWords(line, words, problem)) return At(number, problem);
        const bool isSetUp = !words.empty() && (words[0] == "player" || words[0] == "ped" ||
                                                words[0] == "car" || words[0] == "model");
        setUp += (isSetUp ? line : std::string()) + "\n";
        if (isSetUp) words.clear();
        lines.push_back(words);
      }
    }
    // The set-up statements are the scenario's own, read by its reader with their line numbers.
    std::string problem = sim::ParseScenario(file_, setUp, out_.setUp);
    if (!problem.empty()) return problem;
    out_.setUp.actions.clear();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      words_ = lines[i];
      line_ = static_cast<int>(i) + 1;
      std::string why;
      if (!words_.empty() && !Statement(why)) return At(line_, why);
    }
    return Finish();
  }

 private:
  std::string At(int line, const std::string& problem) const {
    return file_ + ":" + std::to_string(line) + ": " + problem;
  }

  static bool Fail(std::string& problem, const std::string& text) {
    problem = text;
    return false;
  }

  // A number as std::from_chars reads one, after a + if there is one.
  static bool ReadNumber(const std::string& word, double& value) {
    const std::size_t plus = !word.empty() && word[0] == '+' ? 1 : 0;
    return sim::ReadDecimal(word.substr(plus), value);
  }

  static bool IsNumber(const std::string& word) {
    double value = 0;
    return ReadNumber(word, value);
  }

  static bool Real(const std::string& word, float& value, std::string& problem) {
    double v = 0;
    if (!ReadNumber(word, v) || !std::isfinite(v) || std::fabs(v) > 1e30) {
      return Fail(problem, "bad number '" + word + "'");
    }
    value = static_cast<float>(v);
    return true;
  }

  static bool Integer(const std::string& word, std::int64_t low, std::int64_t high,
                      const char* what, std::int64_t& value, std::string& problem) {
    const char* begin = word.data();
    const char* end = begin + word.size();
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end) {
      return Fail(problem, std::string("bad ") + what + " '" + word + "'");
    }
    if (value < low || value > high) {
      return Fail(problem, std::string(what) + " " + word + " is outside " + std::to_string(low) +
                               ".." + std::to_string(high));
    }
    return true;
  }

  bool Int(std::size_t i, std::int64_t low, std::int64_t high, const char* what, int& value,
           std::string& problem) {
    if (i >= words_.size()) return Fail(problem, std::string("expected a ") + what);
    std::int64_t v = 0;
    if (!Integer(words_[i], low, high, what, v, problem)) return false;
    value = static_cast<int>(v);
    return true;
  }

  // SPOT: X Y Z, or the name of a place. `i` moves past it.
  bool ReadSpot(std::size_t& i, Spot& spot, std::string& problem) {
    if (i >= words_.size()) return Fail(problem, "expected a spot: X Y Z or a place's name");
    if (IsNumber(words_[i]) || words_[i][0] == '-' || words_[i][0] == '.') {
      if (i + 3 > words_.size()) return Fail(problem, "expected a spot: X Y Z");
      if (!Real(words_[i], spot.pos.x, problem) || !Real(words_[i + 1], spot.pos.y, problem) ||
          !Real(words_[i + 2], spot.pos.z, problem)) {
        return false;
      }
      spot.place.clear();
      i += 3;
      return true;
    }
    const Place* place = out_.FindPlace(words_[i]);
    if (place == nullptr) return Fail(problem, "unknown place '" + words_[i] + "'");
    spot.pos = place->pos;
    spot.place = place->name;
    ++i;
    return true;
  }

  bool End(std::size_t i, std::string& problem) {
    if (i == words_.size()) return true;
    return Fail(problem, "unexpected '" + words_[i] + "'");
  }

  bool KnownPed(const std::string& name) const {
    return std::any_of(out_.setUp.peds.begin(), out_.setUp.peds.end(),
                       [&](const sim::Actor& ped) { return ped.name == name; });
  }
  bool KnownCar(const std::string& name) const {
    return std::any_of(out_.setUp.cars.begin(), out_.setUp.cars.end(),
                       [&](const sim::Actor& car) { return car.name == name; });
  }

  // place NAME at SPOT
  bool PlaceLine(std::string& problem) {
    if (words_.size() < 4 || words_[2] != "at")
      return Fail(problem, "expected: place NAME at X Y Z");
    const std::string& name = words_[1];
    const char first = name[0];
    if (!((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z')) || Reserved(name)) {
      return Fail(problem,
                  "a place's name starts with a letter and is not one of player, slot, "
                  "car, ped, id, seat, at, like: '" +
                      name + "'");
    }
    if (out_.FindPlace(name) != nullptr || KnownPed(name) || KnownCar(name)) {
      return Fail(problem, "the name '" + name + "' is taken");
    }
    Place place;
    place.name = name;
    place.line = line_;
    Spot spot;
    std::size_t i = 3;
    if (!ReadSpot(i, spot, problem) || !End(i, problem)) return false;
    place.pos = spot.pos;
    out_.places.push_back(place);
    return true;
  }

  // cast SLOT like PED at SPOT
  bool CastLine(std::string& problem) {
    if (words_.size() < 5 || words_[2] != "like" || words_[4] != "at") {
      return Fail(problem, "expected: cast SLOT like PED at SPOT");
    }
    CastMember member;
    member.line = line_;
    if (!Int(1, 0, kSlots - 1, "slot", member.slot, problem)) return false;
    if (const CastMember* before = out_.CastIn(member.slot)) {
      return Fail(problem, "slot " + words_[1] + " is cast already (line " +
                               std::to_string(before->line) + ")");
    }
    member.like = words_[3];
    const sim::Actor* ped = nullptr;
    for (const sim::Actor& p : out_.setUp.peds) {
      if (p.name == member.like) ped = &p;
    }
    if (ped == nullptr) {
      return Fail(problem, "no ped '" + member.like + "' on the set to take the model from");
    }
    member.model = ped->model;
    std::size_t i = 5;
    if (!ReadSpot(i, member.spot, problem) || !End(i, problem)) return false;
    out_.cast.push_back(member);
    return true;
  }

  // screen N [lasts S]
  bool ScreenLine(std::string& problem) {
    if (words_.size() != 2 && (words_.size() != 4 || words_[2] != "lasts")) {
      return Fail(problem, "expected: screen N [lasts SECONDS]");
    }
    ShotScreen screen;
    screen.line = line_;
    if (!Int(1, 0, kScreens - 1, "screen", screen.number, problem)) return false;
    if (words_.size() == 4 &&
        !Int(3, 0, kLongestScreen, "duration (seconds)", screen.duration, problem)) {
      return false;
    }
    for (const ShotScreen& s : out_.screens) {
      if (s.number == screen.number) {
        return Fail(problem, "screen " + words_[1] + " is listed already (line " +
                                 std::to_string(s.line) + ")");
      }
    }
    out_.screens.push_back(screen);
    return true;
  }

  // KIND at SPOT [id N]
  bool ExplosionLine(const ExplosionKindRow& kind, std::string& problem) {
    if (out_.screens.empty()) return Fail(problem, "an explosion before any screen line");
    if (words_.size() < 3 || words_[1] != "at") {
      return Fail(problem, std::string("expected: ") + kind.word + " at SPOT [id N]");
    }
    ShotExplosion blast;
    blast.kind = kind.kind;
    blast.line = line_;
    std::size_t i = 2;
    if (!ReadSpot(i, blast.spot, problem)) return false;
    if (i < words_.size() && words_[i] == "id") {
      if (!Int(i + 1, 0, kExplosionIds - 1, "explosion id", blast.id, problem)) return false;
      i += 2;
    }
    if (!End(i, problem)) return false;
    ShotScreen& screen = out_.screens.back();
    for (const ShotExplosion& other : screen.explosions) {
      if (blast.id >= 0 && other.id == blast.id) {
        return Fail(problem, "explosion id " + std::to_string(blast.id) +
                                 " is used already on this screen (line " +
                                 std::to_string(other.line) + ")");
      }
    }
    if (screen.explosions.size() >= static_cast<std::size_t>(kExplosionIds)) {
      return Fail(problem, "a screen holds at most 32 explosions");
    }
    screen.explosions.push_back(blast);
    return true;
  }

  bool Target(std::size_t& i, int& target, std::string& problem) {
    if (i < words_.size() && words_[i] == "player") {
      target = kPlayerTarget;
      ++i;
      return true;
    }
    if (i < words_.size() && words_[i] == "slot") {
      if (!Int(i + 1, 0, kSlots - 1, "slot", target, problem)) return false;
      i += 2;
      return true;
    }
    return Fail(problem, "expected a target: player, or slot N");
  }

  // SLOT ACTION [FIELD]
  bool CueLine(std::string& problem) {
    if (out_.screens.empty()) return Fail(problem, "a cue before any screen line");
    ShotCue cue;
    cue.line = line_;
    if (!Int(0, 0, kSlots - 1, "slot", cue.slot, problem)) return false;
    const CueKind* kind = nullptr;
    std::size_t i = 1;
    for (const CueKind& k : kCueKinds) {
      const std::vector<std::string> words = WordsOf(k.words);
      if (words_.size() < 1 + words.size() ||
          !std::equal(words.begin(), words.end(), words_.begin() + 1)) {
        continue;
      }
      const std::size_t next = 1 + words.size();
      const bool targetWord =
          next < words_.size() && (words_[next] == "player" || words_[next] == "slot");
      if (k.field == CueField::target && words[0] != "fight" && !targetWord) continue;
      if (k.field == CueField::spot && targetWord) continue;
      kind = &k;
      i = next;
      break;
    }
    if (kind == nullptr) {
      return Fail(problem, "unknown cue '" + (words_.size() > 1 ? words_[1] : std::string()) +
                               "' (phone, hang up, go, gun, hands up, ride, horn, fight, drive, "
                               "get out, die, aim at, blow up, look at, shoot, burn)");
    }
    cue.code = kind->code;
    switch (kind->field) {
      case CueField::none:
        break;
      case CueField::spot:
        if (!ReadSpot(i, cue.spot, problem)) return false;
        break;
      case CueField::target:
        if (!Target(i, cue.target, problem)) return false;
        break;
      case CueField::weapon: {
        if (i >= words_.size()) return Fail(problem, "expected a weapon number");
        std::int64_t w = 0;
        if (!Integer(words_[i], INT32_MIN, INT32_MAX, "weapon", w, problem)) return false;
        cue.weapon = static_cast<std::int32_t>(w);
        ++i;
        break;
      }
      case CueField::car:
        if (i >= words_.size()) return Fail(problem, "expected a car's name");
        cue.car = words_[i++];
        if (!KnownCar(cue.car)) return Fail(problem, "no car '" + cue.car + "' on the set");
        if (cue.code == 6 && i < words_.size() && words_[i] == "seat") {
          if (!Int(i + 1, 0, kSeats - 1, "seat", cue.seat, problem)) return false;
          i += 2;
        }
        break;
    }
    if (!End(i, problem)) return false;
    ShotScreen& screen = out_.screens.back();
    for (const ShotCue& other : screen.cues) {
      if (other.slot == cue.slot) {
        return Fail(problem, "slot " + std::to_string(cue.slot) +
                                 " has a cue on this screen already (line " +
                                 std::to_string(other.line) + ")");
      }
    }
    screen.cues.push_back(cue);
    return true;
  }

  bool Statement(std::string& problem) {
    const std::string& word = words_[0];
    if (word == "place") return PlaceLine(problem);
    if (word == "cast") return CastLine(problem);
    if (word == "screen") return ScreenLine(problem);
    for (const ExplosionKindRow& kind : kExplosionKinds) {
      if (word == kind.word) return ExplosionLine(kind, problem);
    }
    if (word == "at" || word == "run" || word == "fps" || word == "clock" || word == "ini" ||
        word == "missing") {
      return Fail(problem, "'" + word +
                               "' belongs in a scenario: a shot list says what the film is, and "
                               "zenthar-plan works out the keys");
    }
    const bool number = word[0] == '-' ? word.size() > 1 && word[1] >= '0' && word[1] <= '9'
                                       : word[0] >= '0' && word[0] <= '9';
    if (number) return CueLine(problem);
    return Fail(problem, "unknown statement '" + word +
                             "' (player, ped, car, model, place, cast, screen, a cue or an "
                             "explosion)");
  }

  // What needs the whole list: free explosion ids, peds for the cues that need one, and a ped
  // that can be told apart for each model's capture.
  std::string Finish() {
    for (ShotScreen& screen : out_.screens) {
      for (ShotExplosion& blast : screen.explosions) {
        if (blast.id >= 0) continue;
        for (int id = 0; id < kExplosionIds; ++id) {
          const bool used = std::any_of(screen.explosions.begin(), screen.explosions.end(),
                                        [&](const ShotExplosion& e) { return e.id == id; });
          if (!used) {
            blast.id = id;
            break;
          }
        }
      }
      for (const ShotCue& cue : screen.cues) {
        const CueKind* kind = FindCueKind(cue.code);
        if (kind->needsPed && out_.CastIn(cue.slot) == nullptr) {
          return At(cue.line, "slot " + std::to_string(cue.slot) + " is never cast, and '" +
                                  kind->words + "' is recorded only for a slot with a ped");
        }
      }
    }
    for (const CastMember& member : out_.cast) {
      const std::vector<sim::Actor>& peds = out_.setUp.peds;
      bool found = false;
      for (std::size_t i = 0; i < peds.size() && !found; ++i) {
        if (peds[i].model != member.model) continue;
        // The capture takes the nearest ped; standing on this one, an earlier one on the very
        // same spot would win.
        bool hidden = false;
        for (std::size_t j = 0; j < i; ++j) {
          const world::Vec3 a = peds[i].pos, b = peds[j].pos;
          hidden = hidden || (a.x == b.x && a.y == b.y && a.z == b.z);
        }
        found = !hidden;
      }
      if (!found) {
        return At(member.line, "every ped of " + member.like +
                                   "'s model stands on the spot of another ped, so its model "
                                   "cannot be captured");
      }
    }
    return "";
  }

  std::string file_;
  ShotList& out_;
  std::vector<std::string> words_;
  int line_ = 0;
};

}  // namespace

const std::vector<CueKind>& CueKinds() {
  return kCueKinds;
}

const CueKind* FindCueKind(int code) {
  for (const CueKind& kind : kCueKinds) {
    if (kind.code == code) return &kind;
  }
  return nullptr;
}

const std::vector<ExplosionKindRow>& ExplosionKinds() {
  return kExplosionKinds;
}

const ExplosionKindRow* FindExplosionKind(int kind) {
  for (const ExplosionKindRow& row : kExplosionKinds) {
    if (row.kind == kind) return &row;
  }
  return nullptr;
}

const CastMember* ShotList::CastIn(int slot) const {
  for (const CastMember& member : cast) {
    if (member.slot == slot) return &member;
  }
  return nullptr;
}

const Place* ShotList::FindPlace(const std::string& name) const {
  for (const Place& place : places) {
    if (place.name == name) return &place;
  }
  return nullptr;
}

std::string ParseShotList(const std::string& file, const std::string& text, ShotList& out) {
  out = ShotList{};
  out.file = file;
  return Reader(file, out).Run(text);
}

std::string LoadShotList(const std::string& file, ShotList& out) {
  std::string text;
  std::string problem = sim::ReadWholeFile(file, "shot list", text);
  if (!problem.empty()) return problem;
  return ParseShotList(file, text, out);
}

std::string Number(float value) {
  return sim::ShortestText(value);
}

namespace {

std::string SpotWords(const Spot& spot) {
  if (!spot.place.empty()) return spot.place;
  return Number(spot.pos.x) + " " + Number(spot.pos.y) + " " + Number(spot.pos.z);
}

std::string TargetWords(int target) {
  return target == kPlayerTarget ? "player" : "slot " + std::to_string(target);
}

std::string ActorLine(const char* what, const sim::Actor& actor) {
  return std::string(what) + " " + actor.name + " model " + std::to_string(actor.model) + " at " +
         Number(actor.pos.x) + " " + Number(actor.pos.y) + " " + Number(actor.pos.z) + "\n";
}

}  // namespace

std::string CueWords(const ShotCue& cue) {
  const CueKind* kind = FindCueKind(cue.code);
  std::string out = kind->words;
  switch (kind->field) {
    case CueField::none:
      break;
    case CueField::spot:
      out += " " + SpotWords(cue.spot);
      break;
    case CueField::target:
      out += " " + TargetWords(cue.target);
      break;
    case CueField::weapon:
      out += " " + std::to_string(cue.weapon);
      break;
    case CueField::car:
      out += " " + cue.car;
      if (cue.code == 6 && cue.seat != 0) out += " seat " + std::to_string(cue.seat);
      break;
  }
  return out;
}

std::string FormatShotList(const ShotList& shots, const std::string& header) {
  std::string out = header;
  const sim::Scenario& set = shots.setUp;
  out += "player at " + Number(set.playerPos.x) + " " + Number(set.playerPos.y) + " " +
         Number(set.playerPos.z) + "\n";
  if (set.playerWeapon != 0) out += "player weapon " + std::to_string(set.playerWeapon) + "\n";
  for (const sim::Actor& ped : set.peds) out += ActorLine("ped", ped);
  for (const sim::Actor& car : set.cars) out += ActorLine("car", car);
  for (std::int32_t model : set.pedModels) out += "model " + std::to_string(model) + " ped\n";
  for (const Place& place : shots.places) {
    out += "place " + place.name + " at " + SpotWords({place.pos, ""}) + "\n";
  }
  if (!shots.cast.empty()) out += "\n";
  for (const CastMember& member : shots.cast) {
    out += "cast " + std::to_string(member.slot) + " like " + member.like + " at " +
           SpotWords(member.spot) + "\n";
  }
  for (const ShotScreen& screen : shots.screens) {
    out += "\nscreen " + std::to_string(screen.number);
    if (screen.duration != 0) out += " lasts " + std::to_string(screen.duration);
    out += "\n";
    for (const ShotCue& cue : screen.cues) {
      out += "  " + std::to_string(cue.slot) + " " + CueWords(cue);
      out += "\n";
    }
    for (const ShotExplosion& blast : screen.explosions) {
      out += std::string("  ") + FindExplosionKind(blast.kind)->word + " at " +
             SpotWords(blast.spot) + " id " + std::to_string(blast.id) + "\n";
    }
  }
  return out;
}

ShotList FilmToShots(const sim::Scenario& scenario, const sim::FilmReport& report,
                     std::vector<std::string>& skipped) {
  ShotList shots;
  shots.file = scenario.file;
  shots.setUp.file = scenario.file;
  shots.setUp.playerPos = scenario.playerPos;
  shots.setUp.playerWeapon = scenario.playerWeapon;
  shots.setUp.peds = scenario.peds;
  shots.setUp.cars = scenario.cars;
  shots.setUp.pedModels = scenario.pedModels;
  const sim::Film& film = report.film;
  for (int slot = 0; slot < kSlots; ++slot) {
    const auto s = static_cast<std::size_t>(slot);
    if (film.pedHandle[s] == 0) continue;
    CastMember member;
    member.slot = slot;
    member.model = film.pedModel[s];
    member.spot.pos = film.pedSpot[s];
    for (const sim::Actor& ped : scenario.peds) {
      if (ped.model == member.model && member.like.empty()) member.like = ped.name;
    }
    if (member.like.empty()) {
      skipped.push_back("slot " + std::to_string(slot) + ": no ped on the set has model " +
                        std::to_string(member.model));
      continue;
    }
    shots.cast.push_back(member);
  }
  auto isCar = [&](const std::string& name) {
    return std::any_of(scenario.cars.begin(), scenario.cars.end(),
                       [&](const sim::Actor& car) { return car.name == name; });
  };
  for (int number = 0; number < kScreens; ++number) {
    const int duration = film.durations[static_cast<std::size_t>(number)];
    if (duration == 0 && !film.ScreenHasContent(number)) continue;
    ShotScreen screen;
    screen.number = number;
    screen.duration = duration;
    for (int slot = 0; slot < kSlots; ++slot) {
      const sim::Cue& cue = film.cue(number, slot);
      const CueKind* kind = FindCueKind(cue.code);
      if (kind == nullptr) continue;
      ShotCue shot;
      shot.slot = slot;
      shot.code = cue.code;
      shot.spot.pos = cue.pos;
      shot.target = cue.targetSlot;
      shot.seat = cue.code == 6 ? cue.seat : 0;
      shot.weapon = cue.code == 4 ? cue.weapon : 0;
      if (kind->field == CueField::car) {
        shot.car = cue.car == 0 ? std::string() : report.NameOf(cue.car);
        if (!isCar(shot.car)) {
          skipped.push_back("screen " + std::to_string(number) + " slot " + std::to_string(slot) +
                            ": '" + kind->words + "' was recorded " +
                            (cue.car == 0 ? "on foot" : "in a car not on the set"));
          continue;
        }
      }
      screen.cues.push_back(shot);
    }
    for (int id = 0; id < kExplosionIds; ++id) {
      const sim::Explosion& blast = film.explosion(number, id);
      if (!blast.set || FindExplosionKind(blast.kind) == nullptr) continue;
      ShotExplosion shot;
      shot.kind = blast.kind;
      shot.id = id;
      shot.spot.pos = blast.pos;
      screen.explosions.push_back(shot);
    }
    shots.screens.push_back(screen);
  }
  return shots;
}

std::string FilmShotListText(const sim::Scenario& scenario, const sim::FilmReport& report,
                             const std::string& title) {
  std::vector<std::string> skipped;
  const ShotList shots = FilmToShots(sim::TakeSet(scenario), report, skipped);
  std::string header = "# The film of " + title + ", as zenthar-sim --shots wrote it.\n";
  for (const std::string& s : skipped) header += "# left out: " + s + "\n";
  return FormatShotList(shots, header);
}

}  // namespace plan
