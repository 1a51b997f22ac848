#include "rehearsal/film.h"

#include <algorithm>
#include <cstdint>

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
  // are its own.
  if (!e.by.empty()) return;
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
    default:
      return;
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

void FilmRecorder::VerifySlot(const Step& step, int slot, const std::vector<Call>& calls) {
  const Film& film = report_.film;
  const std::int32_t ped = film.pedHandle[static_cast<std::size_t>(slot)];
  const Cue& cue = film.cue(step.screen, slot);
  SlotPlay play;
  std::size_t i = 0;
  std::string mismatch;
  const std::string where =
      "screen " + std::to_string(step.screen) + " slot " + std::to_string(slot) + ": ";
  // Takes the next call, which must be `name` with exactly these arguments.
  auto expect = [&](const char* name, const std::vector<std::string>& args) -> const Call* {
    if (!mismatch.empty()) return nullptr;
    if (i >= calls.size()) {
      mismatch = std::string("expected ") + name + ", the step made no further call";
      return nullptr;
    }
    const Call& c = calls[i++];
    std::vector<std::string> got;
    for (const world::Value& v : c.args) got.push_back(Render(v));
    if (c.name != name || (!c.args.empty() && got != args)) {
      std::string want = std::string(name) + "(";
      for (std::size_t k = 0; k < args.size(); ++k) want += (k ? ", " : "") + args[k];
      std::string seen = c.name + "(";
      for (std::size_t k = 0; k < got.size(); ++k) seen += (k ? ", " : "") + got[k];
      mismatch = "expected " + want + "), the plug-in called " + seen + ")";
      return nullptr;
    }
    return &c;
  };
  for (const Call& c : calls) {
    if (c.missing) {
      // A native the host does not know answers nothing; such a slot cannot be checked.
      step_.slots.push_back(play);
      return;
    }
  }
  const std::string P = std::to_string(ped);
  const Call* exists = expect("DOES_CHAR_EXIST", {P});
  if (exists != nullptr && exists->result != 0) {
    play.pedExists = true;
    const std::string x = JsonNumber(cue.pos.x), y = JsonNumber(cue.pos.y),
                      z = JsonNumber(cue.pos.z);
    const std::string car = std::to_string(cue.car), target = std::to_string(cue.target);
    auto gate = [&](const char* name, const std::string& handle) {
      const Call* c = expect(name, {handle});
      return c != nullptr && c->result != 0;
    };
    switch (cue.code) {
      case 1:
        expect("TASK_USE_MOBILE_PHONE", {P, "true"});
        break;
      case 2:
        expect("TASK_USE_MOBILE_PHONE", {P, "false"});
        break;
      case 3:
        if (!gate("IS_CHAR_IN_ANY_CAR", P)) {
          expect("TASK_GO_STRAIGHT_TO_COORD", {P, x, y, z, "2", "45000"});
        } else if (const Call* using_ = expect("GET_CAR_CHAR_IS_USING", {P, "&"})) {
          const std::string inCar = std::to_string(IntOf(using_->outs, 0));
          expect("TASK_CAR_MISSION_COORS_TARGET", {P, inCar, x, y, z, "4", "60", "1", "5", "10"});
        }
        break;
      case 4:
        expect("TASK_SWAP_WEAPON", {P, std::to_string(cue.weapon)});
        break;
      case 5:
        expect("TASK_HANDS_UP", {P, "1"});
        break;
      case 6:
        if (gate("DOES_VEHICLE_EXIST", car)) {
          expect("TASK_ENTER_CAR_AS_PASSENGER", {P, car, "-1", std::to_string(cue.seat)});
        }
        break;
      case 7:
        if (gate("IS_CHAR_IN_ANY_CAR", P)) {
          if (const Call* using_ = expect("GET_CAR_CHAR_IS_USING", {P, "&"})) {
            expect("SOUND_CAR_HORN", {std::to_string(IntOf(using_->outs, 0)), "1"});
          }
        }
        break;
      case 8:
        if (gate("DOES_CHAR_EXIST", target)) expect("TASK_COMBAT", {P, target});
        break;
      case 9:
        if (gate("DOES_VEHICLE_EXIST", car)) expect("TASK_ENTER_CAR_AS_DRIVER", {P, car, "-1"});
        break;
      case 10:
        expect("TASK_LEAVE_ANY_CAR", {P});
        break;
      case 11:
        expect("TASK_DIE", {P});
        break;
      case 21:
        expect("TASK_AIM_GUN_AT_COORD", {P, x, y, z, "1"});
        break;
      case 22:
        if (gate("DOES_CHAR_EXIST", target)) expect("TASK_AIM_GUN_AT_CHAR", {P, target, "1"});
        break;
      case 23:
        if (gate("DOES_VEHICLE_EXIST", car)) expect("EXPLODE_CAR", {car, "true", "false"});
        break;
      case 24:
        if (gate("DOES_CHAR_EXIST", target)) expect("TASK_LOOK_AT_CHAR", {P, target, "1", "0"});
        break;
      case 25:
        expect("TASK_LOOK_AT_COORD", {P, x, y, z, "1", "0"});
        break;
      case 26:
        if (gate("DOES_VEHICLE_EXIST", car)) expect("TASK_LOOK_AT_VEHICLE", {P, car, "1", "0"});
        break;
      case 27:
        expect("FIRE_PED_WEAPON", {P, "0", "0", "0"});
        break;
      case 28:
        expect("START_CHAR_FIRE", {P});
        break;
      default:
        break;
    }
  }
  if (mismatch.empty() && i != calls.size()) {
    mismatch = "the plug-in made " + std::to_string(calls.size() - i) +
               " more calls than the cue (code " + std::to_string(cue.code) + ") needs, first " +
               calls[i].name;
  }
  if (!mismatch.empty()) {
    Problem(step.end, where + mismatch);
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
    if (UsesPosition(row.code)) {
      if (const Call* c = Last("GET_CHAR_COORDINATES", true)) {
        cue.pos = {FloatOf(c->outs, 0), FloatOf(c->outs, 1), FloatOf(c->outs, 2)};
      }
    }
    if (UsesCar(row.code)) {
      const Call* c = Last("GET_CAR_CHAR_IS_USING", true);
      cue.car = c != nullptr ? IntOf(c->outs, 0) : 0;
    }
    if (row.code == 4) {
      if (const Call* c = Last("GET_CURRENT_CHAR_WEAPON", true)) cue.weapon = IntOf(c->outs, 0);
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
    if (const Call* c = Last("GET_CHAR_COORDINATES", true)) {
      blast.pos = {FloatOf(c->outs, 0), FloatOf(c->outs, 1), FloatOf(c->outs, 2)};
    }
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
