#include "rehearsal/film.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

#include "rehearsal/json.h"

namespace sim {

namespace {

// Action codes as recorded, with their confirmation texts.
struct CueText {
  const char* pattern;
  int code;
};

const CueText kCueTexts[] = {
    {"Ped %d will been USE PHOME at screen %d", 1},
    {"Ped %d will been NOT USE PHOME at screen %d", 2},
    {"Ped %d will been GO TO THIS POS at screen %d", 3},
    {"Ped %d will been SWAP TO THIS GUN at screen %d", 4},
    {"Ped %d will been HANDS UP at screen %d", 5},
    {"Ped %d will been SEAT AS PASSENGER at screen %d", 6},
    {"Ped %d will been SOUND HORN at screen %d", 7},
    {"Ped %d will been COMBAT %d at screen %d", 8},
    {"Ped %d will been SEAT AS DRIVER at screen %d", 9},
    {"Ped %d will been EXIT FROM CAR at screen %d", 10},
    {"Ped %d will been DIE at screen %d", 11},
    {"Ped %d will been AIM TO THIS POS at screen %d", 21},
    {"Ped %d will been AIM TO PED %d at screen %d", 22},
    {"Ped %d will been EXPLODE THIS CAR at screen %d", 23},
    {"Ped %d will been LOOK TO PED %d at screen %d", 24},
    {"Ped %d will been LOOK TO THIS POS at screen %d", 25},
    {"Ped %d will been LOOK TO THIS CAR at screen %d", 26},
    {"Ped %d will been FIRE FROM GUN at screen %d", 27},
    {"Ped %d will been FIRE at screen %d", 28},
};

// What must hold before a cue's action is issued: the plug-in asks the game first, and skips the
// action when the answer is no.
enum class Needs {
  nothing,
  car,      // DOES_VEHICLE_EXIST(car)
  target,   // DOES_CHAR_EXIST(target)
  driving,  // IS_CHAR_IN_ANY_CAR(ped), then GET_CAR_CHAR_IS_USING names the car it drives
};

// The natives an action code is played with, once its ped exists. Arguments are written as words:
// ped, x, y, z, car, target, weapon and seat stand for the cue's values, driven for the car
// GET_CAR_CHAR_IS_USING named; any other word is the argument as a trace renders it.
struct CueNatives {
  int code;
  Needs needs;
  const char* action;
  const char* args;
  const char* otherwise = nullptr;  // issued instead when the need does not hold
  const char* otherwiseArgs = nullptr;
};

const CueNatives kCueNatives[] = {
    {1, Needs::nothing, "TASK_USE_MOBILE_PHONE", "ped true"},
    {2, Needs::nothing, "TASK_USE_MOBILE_PHONE", "ped false"},
    {3, Needs::driving, "TASK_CAR_MISSION_COORS_TARGET", "ped driven x y z 4 60 1 5 10",
     "TASK_GO_STRAIGHT_TO_COORD", "ped x y z 2 45000"},
    {4, Needs::nothing, "TASK_SWAP_WEAPON", "ped weapon"},
    {5, Needs::nothing, "TASK_HANDS_UP", "ped 1"},
    {6, Needs::car, "TASK_ENTER_CAR_AS_PASSENGER", "ped car -1 seat"},
    {7, Needs::driving, "SOUND_CAR_HORN", "driven 1"},
    {8, Needs::target, "TASK_COMBAT", "ped target"},
    {9, Needs::car, "TASK_ENTER_CAR_AS_DRIVER", "ped car -1"},
    {10, Needs::nothing, "TASK_LEAVE_ANY_CAR", "ped"},
    {11, Needs::nothing, "TASK_DIE", "ped"},
    {21, Needs::nothing, "TASK_AIM_GUN_AT_COORD", "ped x y z 1"},
    {22, Needs::target, "TASK_AIM_GUN_AT_CHAR", "ped target 1"},
    {23, Needs::car, "EXPLODE_CAR", "car true false"},
    {24, Needs::target, "TASK_LOOK_AT_CHAR", "ped target 1 0"},
    {25, Needs::nothing, "TASK_LOOK_AT_COORD", "ped x y z 1 0"},
    {26, Needs::car, "TASK_LOOK_AT_VEHICLE", "ped car 1 0"},
    {27, Needs::nothing, "FIRE_PED_WEAPON", "ped 0 0 0"},
    {28, Needs::nothing, "START_CHAR_FIRE", "ped"},
};

const CueNatives* FindCueNatives(int code) {
  for (const CueNatives& natives : kCueNatives) {
    if (natives.code == code) return &natives;
  }
  return nullptr;
}

// A cue's values, by the words kCueNatives writes its arguments in.
struct CueWords {
  std::string ped, x, y, z, car, target, weapon, seat, driven;

  const std::string* Find(std::string_view word) const {
    const std::pair<std::string_view, const std::string*> named[] = {
        {"ped", &ped},       {"x", &x},       {"y", &y},
        {"z", &z},           {"car", &car},   {"target", &target},
        {"weapon", &weapon}, {"seat", &seat}, {"driven", &driven}};
    for (const auto& [name, value] : named) {
      if (word == name) return value;
    }
    return nullptr;
  }
};

std::vector<std::string> Arguments(std::string_view written, const CueWords& words) {
  std::vector<std::string> args;
  while (!written.empty()) {
    const std::size_t space = std::min(written.find(' '), written.size());
    const std::string_view word = written.substr(0, space);
    const std::string* value = words.Find(word);
    args.emplace_back(value != nullptr ? *value : std::string(word));
    written.remove_prefix(std::min(space + 1, written.size()));
  }
  return args;
}

struct ExplosionText {
  const char* pattern;
  int kind;
};

const ExplosionText kExplosionTexts[] = {
    {"This been FIRE EXPLODE #%d at screen %d", 1},
    {"This been ROCKET EXPLODE #%d at screen %d", 4},
    {"This been GRENADE EXPLODE #%d at screen %d", 0},
};

// Matches `text` against a message pattern whose only fields are %d.
bool Match(const std::string& text, const char* pattern, std::vector<int>& numbers) {
  numbers.clear();
  std::size_t i = 0;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 'd') {
      ++p;
      const std::size_t begin = i;
      if (i < text.size() && text[i] == '-') ++i;
      const std::size_t digits = i;
      long long value = 0;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - digits < 12) {
        value = value * 10 + (text[i] - '0');
        ++i;
      }
      if (i == digits) return false;
      if (text[begin] == '-') value = -value;
      if (value < INT32_MIN || value > INT32_MAX) return false;
      numbers.push_back(static_cast<int>(value));
    } else {
      if (i >= text.size() || text[i] != *p) return false;
      ++i;
    }
  }
  return i == text.size();
}

std::string Render(const world::Value& v) {
  switch (v.kind) {
    case world::Value::Kind::integer:
      return std::to_string(v.i);
    case world::Value::Kind::real:
      return JsonNumber(v.f);
    case world::Value::Kind::boolean:
      return v.i != 0 ? "true" : "false";
    case world::Value::Kind::text:
      return v.text;
    case world::Value::Kind::out:
      return "&";
  }
  return "?";
}

std::int32_t IntOf(const std::vector<world::Value>& values, std::size_t n) {
  return n < values.size() ? values[n].i : 0;
}

float FloatOf(const std::vector<world::Value>& values, std::size_t n) {
  return n < values.size() ? values[n].f : 0.0f;
}

bool IsAction(const std::string& name) {
  return name.rfind("TASK_", 0) == 0 || name == "SOUND_CAR_HORN" || name == "EXPLODE_CAR" ||
         name == "FIRE_PED_WEAPON" || name == "START_CHAR_FIRE";
}

std::uint32_t PauseAfter(int seconds) {
  if (seconds <= 0) return 0;
  const std::uint64_t ms = static_cast<std::uint64_t>(seconds) * 1000u;
  return ms > INT32_MAX ? static_cast<std::uint32_t>(INT32_MAX) : static_cast<std::uint32_t>(ms);
}

}  // namespace

Film::Film()
    : cues(static_cast<std::size_t>(kScreens * kSlots)),
      explosions(static_cast<std::size_t>(kScreens * kExplosionIds)),
      durations(kScreens, 0),
      pedHandle(kSlots, 0),
      pedModel(kSlots, 0),
      pedSpot(kSlots) {}

bool Film::ScreenHasContent(int screen) const {
  for (int slot = 0; slot < kSlots; ++slot) {
    if (cue(screen, slot).code != 0) return true;
  }
  for (int id = 0; id < kExplosionIds; ++id) {
    if (explosion(screen, id).set) return true;
  }
  return false;
}

std::string FilmReport::NameOf(std::int32_t handle) const {
  if (handle == player) return "player";
  const auto found = names.find(handle);
  if (found != names.end()) return found->second;
  return "#" + std::to_string(handle);
}

const char* ActionShort(int code) {
  switch (code) {
    case 1:
      return "phone";
    case 2:
      return "hang up";
    case 3:
      return "go";
    case 4:
      return "gun";
    case 5:
      return "hands up";
    case 6:
      return "ride";
    case 7:
      return "horn";
    case 8:
      return "fight";
    case 9:
      return "drive";
    case 10:
      return "get out";
    case 11:
      return "die";
    case 21:
      return "aim";
    case 22:
      return "aim at";
    case 23:
      return "blow car";
    case 24:
      return "look at";
    case 25:
      return "look";
    case 26:
      return "look car";
    case 27:
      return "shoot";
    case 28:
      return "burn";
    default:
      return "?";
  }
}

const char* ActionWords(int code) {
  switch (code) {
    case 1:
      return "start using the phone";
    case 2:
      return "stop using the phone";
    case 3:
      return "go to the spot (walk or drive)";
    case 4:
      return "swap to the weapon";
    case 5:
      return "raise hands";
    case 6:
      return "get into the car as passenger";
    case 7:
      return "sound the horn";
    case 8:
      return "fight";
    case 9:
      return "get into the car as driver";
    case 10:
      return "leave the car";
    case 11:
      return "die";
    case 21:
      return "aim at the spot";
    case 22:
      return "aim at";
    case 23:
      return "blow up the car";
    case 24:
      return "look at";
    case 25:
      return "look at the spot";
    case 26:
      return "look at the car";
    case 27:
      return "fire its weapon";
    case 28:
      return "catch fire";
    default:
      return "nothing (unknown code)";
  }
}

bool UsesPosition(int code) {
  return code == 3 || code == 21 || code == 25;
}
bool UsesCar(int code) {
  return code == 6 || code == 9 || code == 23 || code == 26;
}
bool UsesTarget(int code) {
  return code == 8 || code == 22 || code == 24;
}

const char* ExplosionKindName(int kind) {
  switch (kind) {
    case 0:
      return "grenade";
    case 1:
      return "fire";
    case 4:
      return "rocket";
    default:
      return "other";
  }
}

void FilmRecorder::OnEvent(const RunEvent& e) {
  // Only the plug-in's own passes make or play its film; a take runner's natives and messages
  // are its own, and tell only what it answers the plug-in's reads with.
  if (!e.by.empty()) return FollowTake(e);
  Call call;
  call.t = e.t;
  switch (e.kind) {
    case RunEvent::Kind::passBegin:
      PassBegin(e.t);
      return;
    case RunEvent::Kind::native:
      call.name = e.call->name;
      call.args = e.call->args;
      call.outs = e.call->outs;
      call.result = e.call->result;
      if (call.name == "GET_PLAYER_CHAR" && !call.outs.empty()) report_.player = call.outs[0].i;
      PassEvent(call);
      return;
    case RunEvent::Kind::missing:
      call.name = e.text;
      call.missing = true;
      if (call.name == "PRINT_STRING_WITH_LITERAL_STRING_NOW" && report_.problems.empty()) {
        Problem(e.t, "screen messages are missing, so the film cannot be followed");
      }
      PassEvent(call);
      return;
    case RunEvent::Kind::wait:
      call.wait = true;
      PassEvent(call);
      return;
    case RunEvent::Kind::passEnd:
      if (phase_ == Phase::resume) EndSlots(e.t);
      if (phase_ == Phase::explosions) {
        if (explosionsLeft_ > 0) Problem(e.t, "a step ended before all its explosions");
        FinishStep();
      }
      if (phase_ == Phase::slots) Problem(e.t, "a pass ended inside a playback step");
      segment_.clear();
      return;
    case RunEvent::Kind::screen:
      Message(e.text, e.t);
      segment_.clear();
      segmentStart_ = e.t;
      return;
    case RunEvent::Kind::world:
      if (e.worldEvent->what == "created") lastCreated_ = e.worldEvent->ped;
      if (e.worldEvent->what == "seat-taken") {
        const std::string& detail = e.worldEvent->detail;
        const int seat = detail == "driver" ? -1 : std::atoi(detail.c_str());
        report_.seatsTaken.push_back({e.t, e.worldEvent->ped, e.worldEvent->car, seat});
      }
      return;
    case RunEvent::Kind::tick:
      // The cast and cars of the set-up are named now, before any of them can go away.
      if (!namedSetUp_ && e.world != nullptr) {
        for (const world::Ped& ped : e.world->peds()) report_.names[ped.handle] = ped.name;
        for (const world::Car& car : e.world->cars()) report_.names[car.handle] = car.name;
        namedSetUp_ = true;
      }
      return;
    case RunEvent::Kind::end:
      if (e.world != nullptr) Finish(*e.world, e.t);
      return;
    case RunEvent::Kind::unload:
      if (!e.name.empty()) replay_ = Replay{};
      return;
    default:
      return;
  }
}

void FilmRecorder::FollowTake(const RunEvent& e) {
  Replay& r = replay_;
  if (e.kind == RunEvent::Kind::screen) {
    if (e.text.rfind("Take started", 0) == 0) {
      r = Replay{true, true, false, false, r.lastRead, 0, 0, r.lastRead};
    } else if (e.text.rfind("Take done", 0) == 0 || e.text.rfind("Take stopped", 0) == 0) {
      r.running = false;
    }
    return;
  }
  if (e.kind != RunEvent::Kind::native || e.call->badArgs) return;
  const world::NativeCall& c = *e.call;
  const bool player = IntOf(c.args, 0) == report_.player;
  const world::Vec3 at = {FloatOf(c.args, 1), FloatOf(c.args, 2), FloatOf(c.args, 3)};
  if (c.name == "GET_CHAR_COORDINATES" && player) {
    r.lastRead = {FloatOf(c.outs, 0), FloatOf(c.outs, 1), FloatOf(c.outs, 2)};
  } else if ((c.name == "SET_CHAR_COORDINATES" && player) ||
             (c.name == "SET_CAR_COORDINATES" && r.car && IntOf(c.args, 0) == r.carHandle)) {
    r.place = true;
    r.pos = at;
  } else if (c.name == "WARP_CHAR_FROM_CAR_TO_COORD" && player) {
    r.place = r.car = true;
    r.pos = at;
    r.carHandle = 0;
  } else if (c.name == "WARP_CHAR_INTO_CAR" && player) {
    r.car = true;
    r.carHandle = IntOf(c.args, 1);
    r.place = false;
  } else if (c.name == "GIVE_WEAPON_TO_CHAR" && player) {
    r.weapon = true;
    r.weaponId = IntOf(c.args, 1);
  }
}

void FilmRecorder::Problem(std::uint64_t t, const std::string& text) {
  report_.problems.push_back("at " + std::to_string(t) + " ms: " + text);
}

void FilmRecorder::PassBegin(std::uint64_t t) {
  segment_.clear();
  segmentStart_ = t;
  // TickPlayback runs first in every pass; the due test holds across the tick count's wrap
  // because no pause reaches 2^31 ms.
  if (playing_ && t >= due_) BeginStep(playScreen_, t);
}

void FilmRecorder::BeginStep(int screen, std::uint64_t t) {
  step_ = Step{};
  step_.screen = screen;
  step_.start = t;
  stepCalls_.assign(static_cast<std::size_t>(report_.film.pedCount), {});
  waitsLeft_ = report_.film.pedCount;
  phase_ = Phase::slots;
  if (waitsLeft_ == 0) EndSlots(t);
}

void FilmRecorder::EndSlots(std::uint64_t t) {
  step_.end = t;
  explosionsLeft_ = 0;
  const Film& film = report_.film;
  for (int id = 0; id < film.explosionCount; ++id) {
    if (film.explosion(step_.screen, id).set) ++explosionsLeft_;
  }
  phase_ = Phase::explosions;
  if (explosionsLeft_ == 0) FinishStep();
}

void FilmRecorder::PassEvent(const Call& call) {
  if (phase_ != Phase::none && StepEvent(call)) return;
  segment_.push_back(call);
}

// A call made while the mirror says a step of TickPlayback runs; false when the call is not
// the step's (it came after the step's last explosion).
bool FilmRecorder::StepEvent(const Call& call) {
  if (phase_ == Phase::slots) {
    const std::size_t slot = stepCalls_.size() - static_cast<std::size_t>(waitsLeft_);
    if (call.wait) {
      if (--waitsLeft_ == 0) phase_ = Phase::resume;
    } else {
      stepCalls_[slot].push_back(call);
    }
    return true;
  }
  if (phase_ == Phase::resume) EndSlots(call.t);
  if (phase_ != Phase::explosions) return false;
  if (call.name == "ADD_EXPLOSION") {
    Explosion blast;
    blast.pos = {FloatOf(call.args, 0), FloatOf(call.args, 1), FloatOf(call.args, 2)};
    blast.kind = IntOf(call.args, 3);
    blast.set = true;
    step_.explosions.push_back(blast);
    if (--explosionsLeft_ == 0) FinishStep();
    return true;
  }
  Problem(call.t, "screen " + std::to_string(step_.screen) + " set off " +
                      std::to_string(step_.explosions.size()) + " explosions, the film has " +
                      std::to_string(step_.explosions.size() + explosionsLeft_));
  FinishStep();
  return false;
}

void FilmRecorder::FinishStep() {
  phase_ = Phase::none;
  for (std::size_t slot = 0; slot < stepCalls_.size(); ++slot) {
    VerifySlot(step_, static_cast<int>(slot), stepCalls_[slot]);
  }
  VerifyExplosions(step_);
  if (report_.shows.empty()) {
    Problem(step_.start, "a playback step outside any show");
    report_.shows.emplace_back();
  }
  report_.shows.back().steps.push_back(step_);
  Schedule(step_);
  segment_.clear();
  segmentStart_ = step_.end;
}

void FilmRecorder::Schedule(const Step& step) {
  const Film& film = report_.film;
  due_ = step.end + PauseAfter(film.durations[static_cast<std::size_t>(step.screen)]);
  playScreen_ = step.screen + 1;
  if (playScreen_ >= kScreens || film.durations[static_cast<std::size_t>(playScreen_)] == 0) {
    playing_ = false;
    playScreen_ = 0;
    due_ = 0;
    Show& show = report_.shows.back();
    show.finished = true;
    show.end = step.end;
  }
}

// "Play started": StartPlayback has just played screen 0 in this pass, after anything that
// TickPlayback did. The segment holds the step's calls and the message's own.
void FilmRecorder::StartShow(std::uint64_t t) {
  if (playing_) {
    Problem(t, "a show started while the mirror had one running");
    return;
  }
  report_.shows.emplace_back();
  report_.shows.back().start = segmentStart_;
  std::vector<Call> calls(segment_.begin(), segment_.end());
  if (!calls.empty() && calls.back().name == "PRINT_STRING_WITH_LITERAL_STRING_NOW") {
    calls.pop_back();
  }
  step_ = Step{};
  step_.screen = 0;
  step_.start = segmentStart_;
  step_.end = t;
  const std::size_t slots = static_cast<std::size_t>(report_.film.pedCount);
  stepCalls_.assign(slots, {});
  std::size_t slot = 0;
  for (const Call& call : calls) {
    if (call.wait) {
      ++slot;
    } else if (slot < slots) {
      stepCalls_[slot].push_back(call);
    } else if (call.name == "ADD_EXPLOSION") {
      Explosion blast;
      blast.pos = {FloatOf(call.args, 0), FloatOf(call.args, 1), FloatOf(call.args, 2)};
      blast.kind = IntOf(call.args, 3);
      blast.set = true;
      step_.explosions.push_back(blast);
    }
  }
  if (slot != slots) {
    Problem(t, "screen 0 waited " + std::to_string(slot) + " times, the mirror has " +
                   std::to_string(slots) + " slots");
  }
  playing_ = true;
  FinishStep();
}

// One slot's calls in a step, taken in order against the natives its cue needs. The first call
// that differs is the mismatch; nothing after it is checked.
class FilmRecorder::SlotCheck {
 public:
  explicit SlotCheck(const std::vector<Call>& calls) : calls_(calls) {}

  // Whether the slot's ped exists; when it does, its cue's natives are expected too.
  bool ExpectCue(const Cue& cue, std::int32_t ped);
  // What went wrong, or the calls left over that the cue does not need; empty when they match.
  std::string Mismatch(int code) const;

 private:
  const Call* Expect(const char* name, const std::vector<std::string>& args);
  bool Holds(const char* name, const std::string& handle);
  void ExpectAction(const CueNatives& natives, CueWords& words);

  const std::vector<Call>& calls_;
  std::size_t next_ = 0;
  std::string mismatch_;
};

// Takes the next call, which must be `name` with exactly these arguments.
const FilmRecorder::Call* FilmRecorder::SlotCheck::Expect(const char* name,
                                                          const std::vector<std::string>& args) {
  if (!mismatch_.empty()) return nullptr;
  if (next_ >= calls_.size()) {
    mismatch_ = std::string("expected ") + name + ", the step made no further call";
    return nullptr;
  }
  const Call& c = calls_[next_++];
  std::vector<std::string> got;
  for (const world::Value& v : c.args) got.push_back(Render(v));
  if (c.name != name || (!c.args.empty() && got != args)) {
    std::string want = std::string(name) + "(";
    for (std::size_t k = 0; k < args.size(); ++k) want += (k ? ", " : "") + args[k];
    std::string seen = c.name + "(";
    for (std::size_t k = 0; k < got.size(); ++k) seen += (k ? ", " : "") + got[k];
    mismatch_ = "expected " + want + "), the plug-in called " + seen + ")";
    return nullptr;
  }
  return &c;
}

// Takes a question the plug-in asks before it acts; true when the game answered yes.
bool FilmRecorder::SlotCheck::Holds(const char* name, const std::string& handle) {
  const Call* c = Expect(name, {handle});
  return c != nullptr && c->result != 0;
}

bool FilmRecorder::SlotCheck::ExpectCue(const Cue& cue, std::int32_t ped) {
  const std::string P = std::to_string(ped);
  const Call* exists = Expect("DOES_CHAR_EXIST", {P});
  if (exists == nullptr || exists->result == 0) return false;
  if (const CueNatives* natives = FindCueNatives(cue.code)) {
    CueWords words{.ped = P,
                   .x = JsonNumber(cue.pos.x),
                   .y = JsonNumber(cue.pos.y),
                   .z = JsonNumber(cue.pos.z),
                   .car = std::to_string(cue.car),
                   .target = std::to_string(cue.target),
                   .weapon = std::to_string(cue.weapon),
                   .seat = std::to_string(cue.seat)};
    ExpectAction(*natives, words);
  }
  return true;
}

void FilmRecorder::SlotCheck::ExpectAction(const CueNatives& natives, CueWords& words) {
  bool holds = true;
  switch (natives.needs) {
    case Needs::nothing:
      break;
    case Needs::car:
      holds = Holds("DOES_VEHICLE_EXIST", words.car);
      break;
    case Needs::target:
      holds = Holds("DOES_CHAR_EXIST", words.target);
      break;
    case Needs::driving:
      holds = Holds("IS_CHAR_IN_ANY_CAR", words.ped);
      if (holds) {
        const Call* using_ = Expect("GET_CAR_CHAR_IS_USING", {words.ped, "&"});
        if (using_ == nullptr) return;
        words.driven = std::to_string(IntOf(using_->outs, 0));
      }
      break;
  }
  if (holds) {
    Expect(natives.action, Arguments(natives.args, words));
  } else if (natives.otherwise != nullptr) {
    Expect(natives.otherwise, Arguments(natives.otherwiseArgs, words));
  }
}

std::string FilmRecorder::SlotCheck::Mismatch(int code) const {
  if (!mismatch_.empty() || next_ == calls_.size()) return mismatch_;
  return "the plug-in made " + std::to_string(calls_.size() - next_) +
         " more calls than the cue (code " + std::to_string(code) + ") needs, first " +
         calls_[next_].name;
}

void FilmRecorder::VerifySlot(const Step& step, int slot, const std::vector<Call>& calls) {
  SlotPlay play;
  // A native the host does not know answers nothing; such a slot cannot be checked.
  if (std::any_of(calls.begin(), calls.end(), [](const Call& c) { return c.missing; })) {
    step_.slots.push_back(play);
    return;
  }
  const Film& film = report_.film;
  const Cue& cue = film.cue(step.screen, slot);
  SlotCheck check(calls);
  play.pedExists = check.ExpectCue(cue, film.pedHandle[static_cast<std::size_t>(slot)]);
  const std::string mismatch = check.Mismatch(cue.code);
  if (!mismatch.empty()) {
    Problem(step.end, "screen " + std::to_string(step.screen) + " slot " + std::to_string(slot) +
                          ": " + mismatch);
  } else {
    ++report_.cuesVerified;
    if (!calls.empty() && IsAction(calls.back().name)) play.action = calls.back().name;
  }
  step_.slots.push_back(play);
}

void FilmRecorder::VerifyExplosions(const Step& step) {
  const Film& film = report_.film;
  std::size_t n = 0;
  for (int id = 0; id < film.explosionCount; ++id) {
    const Explosion& want = film.explosion(step.screen, id);
    if (!want.set) continue;
    if (n >= step.explosions.size()) break;
    const Explosion& got = step.explosions[n++];
    if (got.kind != want.kind || got.pos.x != want.pos.x || got.pos.y != want.pos.y ||
        got.pos.z != want.pos.z) {
      Problem(step.end, "screen " + std::to_string(step.screen) + " explosion #" +
                            std::to_string(id) + ": expected kind " + std::to_string(want.kind) +
                            " at " + FormatPos(want.pos) + ", went off kind " +
                            std::to_string(got.kind) + " at " + FormatPos(got.pos));
    }
  }
}

const FilmRecorder::Call* FilmRecorder::Last(const char* name, bool ofPlayer) const {
  for (auto it = segment_.rbegin(); it != segment_.rend(); ++it) {
    if (it->name != name) continue;
    if (ofPlayer && IntOf(it->args, 0) != PlayerHandle()) continue;
    return &*it;
  }
  return nullptr;
}

// Where the plug-in, in this pass, last read that the player stands: the game's answer, or the
// take's while a take runs and knows it.
void FilmRecorder::PlayerPlace(world::Vec3& pos) const {
  const Call* c = Last("GET_CHAR_COORDINATES", true);
  if (c == nullptr) return;
  pos = replay_.running && replay_.place
            ? replay_.pos
            : world::Vec3{FloatOf(c->outs, 0), FloatOf(c->outs, 1), FloatOf(c->outs, 2)};
}

std::int32_t FilmRecorder::PlayerHandle() const {
  for (auto it = segment_.rbegin(); it != segment_.rend(); ++it) {
    if (it->name == "GET_PLAYER_CHAR" && !it->outs.empty()) return it->outs[0].i;
  }
  return report_.player;
}

bool FilmRecorder::RecordCue(const std::string& text, std::uint64_t t) {
  std::vector<int> n;
  for (const CueText& row : kCueTexts) {
    if (!Match(text, row.pattern, n)) continue;
    Film& film = report_.film;
    const int slot = n.front();
    const int screen = n.back();
    if (slot < 0 || slot >= kSlots || screen < 0 || screen >= kScreens) {
      Problem(t, "a cue out of range: " + text);
      return true;
    }
    if (slot != film.selectedPed || screen != film.editScreen) {
      Problem(t, "the mirror had slot " + std::to_string(film.selectedPed) + " on screen " +
                     std::to_string(film.editScreen) + ", the message says " + text);
      film.selectedPed = slot;
      film.editScreen = screen;
    }
    Cue& cue = film.cue(screen, slot);
    cue.code = row.code;
    cue.recordedAt = t;
    if (UsesPosition(row.code)) PlayerPlace(cue.pos);
    if (UsesCar(row.code)) {
      const Call* c = Last("GET_CAR_CHAR_IS_USING", true);
      cue.car = c == nullptr                     ? 0
                : replay_.running && replay_.car ? replay_.carHandle
                                                 : IntOf(c->outs, 0);
    }
    if (row.code == 4) {
      if (const Call* c = Last("GET_CURRENT_CHAR_WEAPON", true)) {
        cue.weapon = replay_.running && replay_.weapon ? replay_.weaponId : IntOf(c->outs, 0);
      }
    }
    if (UsesTarget(row.code)) {
      const int target = n[1];
      cue.targetSlot = target;
      if (target < 0) {
        const Call* c = Last("GET_PLAYER_CHAR", false);
        cue.target = c != nullptr ? IntOf(c->outs, 0) : 0;
      } else if (target < kSlots) {
        cue.target = film.pedHandle[static_cast<std::size_t>(target)];
      }
      if (target != film.targetPed) {
        Problem(t, "the mirror had target " + std::to_string(film.targetPed) + ": " + text);
        film.targetPed = target;
      }
    }
    return true;
  }
  return false;
}

bool FilmRecorder::RecordExplosion(const std::string& text) {
  std::vector<int> n;
  for (const ExplosionText& row : kExplosionTexts) {
    if (!Match(text, row.pattern, n)) continue;
    const int id = n[0];
    const int screen = n[1];
    if (id < 0 || id >= kExplosionIds || screen < 0 || screen >= kScreens) return true;
    Film& film = report_.film;
    Explosion& blast = film.explosion(screen, id);
    blast.kind = row.kind;
    blast.set = true;
    PlayerPlace(blast.pos);
    film.selectedExplosion = id;
    film.editScreen = screen;
    film.explosionCount = std::max(film.explosionCount, id + 1);
    return true;
  }
  return false;
}

void FilmRecorder::Message(const std::string& text, std::uint64_t t) {
  Film& film = report_.film;
  std::vector<int> n;
  if (Match(text, "ID changed to %d", n)) {
    film.selectedPed = n[0];
  } else if (Match(text, "Screen changed to %d", n)) {
    film.editScreen = n[0];
  } else if (Match(text, "SeatID changed to %d", n)) {
    film.cue(film.editScreen, film.selectedPed).seat = n[0];
  } else if (Match(text, "ExpID changed to %d", n)) {
    film.selectedExplosion = n[0];
  } else if (Match(text, "Screen do time changed to %d", n)) {
    film.durations[static_cast<std::size_t>(film.editScreen)] = n[0];
  } else if (Match(text, "Selected ped changed to %d", n)) {
    film.targetPed = n[0];
  } else if (text == "Screen mode") {
    film.screenMode = 1;
  } else if (text == "Screen mode 2") {
    film.screenMode = 2;
  } else if (text == "Screen mode off") {
    film.screenMode = 0;
  } else if (text == "Zenthar is on") {
    film.keysOff = false;
  } else if (text == "Zenthar is off") {
    film.keysOff = true;
  } else if (text == "Char create") {
    if (const Call* c = Last("CREATE_CHAR", false)) {
      const std::int32_t handle = IntOf(c->outs, 0);
      const auto slot = static_cast<std::size_t>(film.selectedPed);
      film.pedHandle[slot] = handle;
      film.pedModel[slot] = IntOf(c->args, 1);
      film.pedSpot[slot] = {FloatOf(c->args, 2), FloatOf(c->args, 3), FloatOf(c->args, 4)};
      if (!lastCreated_.empty()) report_.names[handle] = lastCreated_;
      report_.slotOf[handle] = film.selectedPed;
    }
    film.pedCount = std::max(film.pedCount, film.selectedPed + 1);
  } else if (text == "Char deleted") {
    if (const Call* c = Last("DELETE_CHAR", false)) {
      film.pedHandle[static_cast<std::size_t>(film.selectedPed)] = IntOf(c->outs, 0);
    }
  } else if (text == "Play started") {
    StartShow(t);
  } else if (!RecordCue(text, t)) {
    RecordExplosion(text);
  }
}

void FilmRecorder::Finish(const world::World& w, std::uint64_t t) {
  for (const world::Ped& ped : w.peds()) {
    report_.names[ped.handle] = ped.name;
    report_.livePeds.insert(ped.handle);
  }
  for (const world::Car& car : w.cars()) {
    report_.names[car.handle] = car.name;
    report_.liveCars.insert(car.handle);
    if (car.wrecked) report_.wreckedCars.insert(car.handle);
  }
  if (!report_.shows.empty() && !report_.shows.back().finished) report_.shows.back().end = t;
  if (phase_ != Phase::none) Problem(t, "the run ended inside a playback step");
}

}  // namespace sim
