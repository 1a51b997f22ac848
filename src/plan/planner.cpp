#include "plan/planner.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace plan {

namespace {

constexpr int kPlayKey = 220;
constexpr int kNum1 = 97;
constexpr int kNumPlus = 107;
constexpr int kNumMinus = 109;
constexpr int kNumMultiply = 106;
constexpr int kNumDivide = 111;
constexpr int kPageUp = 33;
constexpr int kPageDown = 34;
constexpr int kMainPlus = 187;
constexpr int kMainMinus = 189;
constexpr int kScrollLock = 145;
// Ten host ticks a second: a pass every 100 ms, so each slot's 100 ms wait in a show is one
// tick and a show costs the rehearsal few ticks; keys still act one a pass.
constexpr int kFps = 10;
constexpr int kFight = 8;
constexpr int kFirstTick = 1;
constexpr std::uint64_t kSlotWaitMs = 100;

std::string Format(const char* pattern, int a, int b = 0, int c = 0) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, a, b, c);
  return text;
}

bool SameSpot(const world::Vec3& a, const world::Vec3& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

// The editor's state as the keys leave it, followed while the plan is made.
class Planner {
 public:
  // Fights at a target other than the selected one are recorded screen by screen, with a trip to
  // mode 2 for each target, or in a pass of their own per target after everything else.
  // Mode 2's target cues are recorded screen by screen, or after everything else in mode 2,
  // the nearest next.
  // With `keepSteps` false only the counts are kept: the way the plan is chosen among several
  // holds one plan's steps at a time, never two.
  Planner(const ShotList& shots, bool fightsPerScreen, bool targetsLast, bool keepSteps)
      : shots_(shots),
        fightsPerScreen_(fightsPerScreen),
        targetsLast_(targetsLast),
        keepSteps_(keepSteps) {
    pos_ = shots.setUp.playerPos;
    weapon_ = shots.setUp.playerWeapon;
  }

  Plan Make() {
    Cast();
    bool mode1 = false, mode2 = false;
    for (const ShotScreen& screen : shots_.screens) {
      mode1 = mode1 || screen.duration > 0;
      mode2 = mode2 || !screen.explosions.empty();
      for (const ShotCue& cue : screen.cues) {
        (FindCueKind(cue.code)->mode == 1 ? mode1 : mode2) = true;
      }
    }
    if (mode1 || !mode2) Mode(1);
    // A fight records the target selected in mode 2: fights at the target the editor starts
    // with are recorded with the rest of mode 1, the others once their target is selected.
    fightTarget_ = target_;
    if (mode1) RecordMode(1, true);
    std::vector<int> targets;
    for (const ShotScreen& screen : shots_.screens) {
      for (const ShotCue& cue : screen.cues) {
        if (cue.code == kFight && cue.target != fightTarget_ && !fightsPerScreen_) {
          targets.push_back(cue.target + 1);
        }
      }
    }
    if (mode2 || !targets.empty()) {
      Mode(2);
      if (mode2) RecordMode(2, true);
      if (targetsLast_) TargetPass();
    }
    for (int shifted : RingTour(target_ + 1, targets, kSlots + 1)) {
      fightTarget_ = shifted - 1;
      Mode(2);
      Heading("Target " + TargetName(fightTarget_) + " for fights", -1);
      SelectTarget(fightTarget_);
      Mode(1);
      RecordMode(1, false);
    }
    Play();
    plan_.lowerBound += mode2 ? 2 : 1;
    return std::move(plan_);
  }

 private:
  void Push(PlanStep&& step) {
    if (keepSteps_) plan_.steps.push_back(std::move(step));
  }

  void Heading(const std::string& text, int screen) {
    PlanStep step;
    step.kind = PlanStep::Kind::heading;
    step.text = text;
    step.screen = screen;
    Push(std::move(step));
  }

  // `model`: the model a capture key takes.
  void Key(int key, const std::string& message, const std::string& why, std::int32_t model = 0) {
    PlanStep step;
    step.kind = PlanStep::Kind::key;
    step.key = key;
    step.message = message;
    step.text = why;
    step.model = model;
    Push(std::move(step));
    ++plan_.keys;
  }

  void LeaveCar() {
    if (car_.empty()) return;
    // The world puts a driver who gets out beside the door.
    for (const sim::Actor& car : shots_.setUp.cars) {
      if (car.name == car_) pos_ = {car.pos.x - 2.0f, car.pos.y, car.pos.z};
    }
    PlanStep step;
    step.kind = PlanStep::Kind::leave;
    step.car = car_;
    step.spot.pos = pos_;
    Push(std::move(step));
    car_.clear();
  }

  void Walk(const Spot& spot) {
    LeaveCar();
    if (SameSpot(pos_, spot.pos)) return;
    PlanStep step;
    step.kind = PlanStep::Kind::walk;
    step.spot = spot;
    Push(std::move(step));
    pos_ = spot.pos;
  }

  void Enter(const std::string& car) {
    if (car_ == car) return;
    LeaveCar();
    PlanStep step;
    step.kind = PlanStep::Kind::enter;
    step.car = car;
    Push(std::move(step));
    car_ = car;
    for (const sim::Actor& a : shots_.setUp.cars) {
      if (a.name == car) pos_ = a.pos;
    }
  }

  void Weapon(std::int32_t weapon) {
    if (weapon_ == weapon) return;
    PlanStep step;
    step.kind = PlanStep::Kind::weapon;
    step.weapon = weapon;
    Push(std::move(step));
    weapon_ = weapon;
  }

  // Steps a ring selection from `value` to `goal`: `low` is the ring's first value.
  void Select(int& value, int goal, int low, int size, int upKey, int downKey, const char* message,
              const std::string& why) {
    const int up = ((goal - value) % size + size) % size;
    const bool forward = up <= size - up;
    for (int n = forward ? up : size - up; n > 0; --n) {
      value = forward ? (value - low + 1) % size + low : (value - low + size - 1) % size + low;
      Key(forward ? upKey : downKey, Format(message, value), why);
    }
  }

  void Slot(int slot) {
    Select(slot_, slot, 0, kSlots, kNumPlus, kNumMinus, "ID changed to %d",
           "select slot " + std::to_string(slot));
  }

  void Screen(int screen) {
    Select(screen_, screen, 0, kScreens, kNumMultiply, kNumDivide, "Screen changed to %d",
           "select screen " + std::to_string(screen));
  }

  void Mode(int mode) {
    while (mode_ != mode) {
      mode_ = (mode_ + 1) % 3;
      Key(kScrollLock,
          mode_ == 1   ? "Screen mode"
          : mode_ == 2 ? "Screen mode 2"
                       : "Screen mode off",
          "next mode: " + std::to_string(mode_));
    }
  }

  // Mode 0: capture each model once beside a ped that has it, then create its slots' peds.
  void Cast() {
    if (shots_.cast.empty()) return;
    Heading("Casting, mode 0", -1);
    std::vector<std::int32_t> models;
    for (const CastMember& member : shots_.cast) {
      if (std::find(models.begin(), models.end(), member.model) == models.end()) {
        models.push_back(member.model);
      }
    }
    for (std::int32_t model : models) {
      Walk(StandIn(model));
      Key(kPlayKey, "Model has been got", "capture the model of " + StandInName(model), model);
      ++plan_.lowerBound;
      std::vector<int> slots;
      for (const CastMember& member : shots_.cast) {
        if (member.model == model) slots.push_back(member.slot);
      }
      for (int slot : RingTour(slot_, slots, kSlots)) {
        const CastMember* member = shots_.CastIn(slot);
        Slot(slot);
        Walk(member->spot);
        Key(kNum1, "Char create", "create slot " + std::to_string(slot) + "'s ped");
        ++plan_.lowerBound;
      }
    }
  }

  Spot StandIn(std::int32_t model) const {
    const std::vector<sim::Actor>& peds = shots_.setUp.peds;
    for (std::size_t i = 0; i < peds.size(); ++i) {
      if (peds[i].model != model) continue;
      bool hidden = false;
      for (std::size_t j = 0; j < i; ++j) hidden = hidden || SameSpot(peds[i].pos, peds[j].pos);
      if (!hidden) return {peds[i].pos, peds[i].name};
    }
    return {};
  }

  std::string StandInName(std::int32_t model) const { return StandIn(model).place; }

  // Whether this pass of `mode` records `cue`.
  bool Takes(const ShotCue& cue, int mode) const {
    const CueKind* kind = FindCueKind(cue.code);
    if (kind->mode != mode) return false;
    if (mode == 2 && targetsLast_ && kind->field == CueField::target) return false;
    if (cue.code != kFight) return firstPass_;
    return fightsPerScreen_ ? firstPass_ : cue.target == fightTarget_;
  }

  static std::string TargetName(int target) {
    return target == kPlayerTarget ? std::string("the player") : "slot " + std::to_string(target);
  }

  void SelectTarget(int target) {
    Select(target_, target, -1, kSlots + 1, kMainPlus, kMainMinus, "Selected ped changed to %d",
           "target " + TargetName(target));
  }

  // One pass over the screens in `mode`; the first pass of a mode also records the durations
  // (mode 1) or the explosions (mode 2).
  void RecordMode(int mode, bool first) {
    firstPass_ = first;
    std::vector<int> screens;
    for (const ShotScreen& screen : shots_.screens) {
      bool used = first && (mode == 1 ? screen.duration > 0 : !screen.explosions.empty());
      for (const ShotCue& cue : screen.cues) used = used || Takes(cue, mode);
      if (used) screens.push_back(screen.number);
    }
    for (int number : RingTour(screen_, screens, kScreens)) {
      const ShotScreen* screen = nullptr;
      for (const ShotScreen& s : shots_.screens) {
        if (s.number == number) screen = &s;
      }
      Heading("Screen " + std::to_string(number) + ", mode " + std::to_string(mode) +
                  (first ? "" : ": fights at " + TargetName(fightTarget_)),
              number);
      Screen(number);
      if (first && mode == 1) {
        for (int second = 1; second <= screen->duration; ++second) {
          Key(kMainPlus, Format("Screen do time changed to %d", second),
              "screen " + std::to_string(number) + " lasts " + std::to_string(screen->duration) +
                  " s");
          ++plan_.lowerBound;
        }
      } else if (first) {
        Explosions(*screen);
      }
      RecordSlots(*screen, mode);
    }
  }

  void Explosions(const ShotScreen& screen) {
    std::vector<int> ids;
    for (const ShotExplosion& blast : screen.explosions) ids.push_back(blast.id);
    for (int id : RingTour(explosion_, ids, kExplosionIds)) {
      const ShotExplosion* blast = nullptr;
      for (const ShotExplosion& b : screen.explosions) {
        if (b.id == id) blast = &b;
      }
      const ExplosionKindRow* kind = FindExplosionKind(blast->kind);
      const std::string why = std::string(kind->word) + " explosion #" + std::to_string(id);
      Select(explosion_, id, 0, kExplosionIds, kPageUp, kPageDown, "ExpID changed to %d", why);
      Walk(blast->spot);
      Key(kind->key, Format(kind->message, id, screen.number), why);
      ++plan_.lowerBound;
    }
  }

  // Keys to select `cue`'s target after `target`: in mode 1 a fight goes to mode 2 and back.
  static int TargetKeys(const ShotCue* cue, int target, int mode) {
    if (FindCueKind(cue->code)->field != CueField::target || cue->target == target) return 0;
    return RingSteps(target + 1, cue->target + 1, kSlots + 1) + (mode == 1 ? 3 : 0);
  }

  // Keys to select the slots in `order` and the target of each cue that records one.
  int SelectionKeys(const std::vector<int>& order, const std::vector<const ShotCue*>& cues,
                    int mode) const {
    int keys = 0, slot = slot_, target = target_;
    for (int next : order) {
      keys += RingSteps(slot, next, kSlots);
      slot = next;
      const ShotCue* cue = cues[static_cast<std::size_t>(next)];
      keys += TargetKeys(cue, target, mode);
      if (FindCueKind(cue->code)->field == CueField::target) target = cue->target;
    }
    return keys;
  }

  // The slots in the fewest slot steps; when targets must change too, the nearest cue next
  // (slot and target keys together) may do better, and then that order is taken.
  std::vector<int> SlotOrder(const std::vector<int>& slots, const std::vector<const ShotCue*>& cues,
                             int mode) const {
    std::vector<int> ring = RingTour(slot_, slots, kSlots);
    std::vector<int> nearest;
    std::vector<bool> done(slots.size(), false);
    int slot = slot_, target = target_;
    for (std::size_t n = 0; n < slots.size(); ++n) {
      std::size_t best = 0;
      int bestSteps = -1;
      for (std::size_t i = 0; i < slots.size(); ++i) {
        if (done[i]) continue;
        const ShotCue* cue = cues[static_cast<std::size_t>(slots[i])];
        const int steps = RingSteps(slot, slots[i], kSlots) + TargetKeys(cue, target, mode);
        if (bestSteps < 0 || steps < bestSteps) {
          best = i;
          bestSteps = steps;
        }
      }
      done[best] = true;
      slot = slots[best];
      const ShotCue* cue = cues[static_cast<std::size_t>(slot)];
      if (FindCueKind(cue->code)->field == CueField::target) target = cue->target;
      nearest.push_back(slot);
    }
    return SelectionKeys(nearest, cues, mode) < SelectionKeys(ring, cues, mode) ? nearest : ring;
  }

  // The cues of `screen` this pass takes, slot by slot.
  void RecordSlots(const ShotScreen& screen, int mode) {
    std::vector<const ShotCue*> cues(kSlots, nullptr);
    std::vector<int> slots;
    for (const ShotCue& cue : screen.cues) {
      if (!Takes(cue, mode)) continue;
      slots.push_back(cue.slot);
      cues[static_cast<std::size_t>(cue.slot)] = &cue;
    }
    for (int slot : SlotOrder(slots, cues, mode)) {
      RecordCue(screen, *cues[static_cast<std::size_t>(slot)], mode);
    }
  }

  // Selects the cue's slot, gets what it records ready, and presses its key.
  void RecordCue(const ShotScreen& screen, const ShotCue& cue, int mode) {
    const int slot = cue.slot;
    const CueKind* kind = FindCueKind(cue.code);
    const std::string why = "slot " + std::to_string(slot) + ": " + CueWords(cue);
    Slot(slot);
    switch (kind->field) {
      case CueField::spot:
        Walk(cue.spot);
        break;
      case CueField::car:
        Enter(cue.car);
        break;
      case CueField::weapon:
        Weapon(cue.weapon);
        break;
      case CueField::target:
        if (mode == 2) {
          SelectTarget(cue.target);
        } else if (cue.target != target_) {
          Mode(2);
          SelectTarget(cue.target);
          Mode(1);
        }
        break;
      case CueField::none:
        break;
    }
    const std::string message = kind->field == CueField::target
                                    ? Format(kind->message, slot, cue.target, screen.number)
                                    : Format(kind->message, slot, screen.number);
    Key(kind->key, message, why);
    ++plan_.lowerBound;
    if (cue.code == 6) {
      int seat = 0;
      Select(seat, cue.seat, 0, kSeats, kPageUp, kPageDown, "SeatID changed to %d",
             "seat " + std::to_string(cue.seat));
    }
  }

  // Mode 2's aims and looks at a target, when they are left to the end: the nearest next,
  // counting screen, slot and target steps together.
  void TargetPass() {
    std::vector<std::pair<const ShotScreen*, const ShotCue*>> left;
    for (const ShotScreen& screen : shots_.screens) {
      for (const ShotCue& cue : screen.cues) {
        const CueKind* kind = FindCueKind(cue.code);
        if (kind->mode == 2 && kind->field == CueField::target) left.emplace_back(&screen, &cue);
      }
    }
    while (!left.empty()) {
      std::size_t best = 0;
      int bestSteps = -1;
      for (std::size_t i = 0; i < left.size(); ++i) {
        const int steps = RingSteps(screen_, left[i].first->number, kScreens) +
                          RingSteps(slot_, left[i].second->slot, kSlots) +
                          RingSteps(target_ + 1, left[i].second->target + 1, kSlots + 1);
        if (bestSteps < 0 || steps < bestSteps) {
          best = i;
          bestSteps = steps;
        }
      }
      const ShotScreen& screen = *left[best].first;
      if (screen.number != screen_ || !targetHeading_) {
        Heading("Screen " + std::to_string(screen.number) + ", mode 2: aims and looks at targets",
                screen.number);
        targetHeading_ = true;
      }
      Screen(screen.number);
      RecordCue(screen, *left[best].second, 2);
      left[best] = left.back();
      left.pop_back();
    }
  }

  // The play key, from where the player stands; the show's length bounds the rehearsal.
  void Play() {
    LeaveCar();
    Heading("Play", -1);
    Key(kPlayKey, "Play started", "play the film");
    ++plan_.lowerBound;
    int pedCount = 0;
    for (const CastMember& member : shots_.cast) pedCount = std::max(pedCount, member.slot + 1);
    std::vector<int> durations(kScreens, 0);
    for (const ShotScreen& screen : shots_.screens) {
      durations[static_cast<std::size_t>(screen.number)] = screen.duration;
    }
    plan_.playedScreens = 1;
    while (plan_.playedScreens < kScreens &&
           durations[static_cast<std::size_t>(plan_.playedScreens)] > 0) {
      ++plan_.playedScreens;
    }
    for (int screen = 0; screen < plan_.playedScreens; ++screen) {
      plan_.showMs +=
          static_cast<std::uint64_t>(pedCount) * kSlotWaitMs + 1000 / kFps + 1 +
          static_cast<std::uint64_t>(durations[static_cast<std::size_t>(screen)]) * 1000;
    }
  }

  const ShotList& shots_;
  const bool fightsPerScreen_;
  const bool targetsLast_;
  const bool keepSteps_;
  bool targetHeading_ = false;
  Plan plan_;
  int mode_ = 0;
  int screen_ = 0;
  int slot_ = 0;
  int explosion_ = 0;
  int target_ = 0;
  int fightTarget_ = 0;
  bool firstPass_ = true;
  world::Vec3 pos_;
  std::string car_;
  std::int32_t weapon_ = 0;
};

struct KeyLabelRow {
  int key;
  const char* label;
};

const KeyLabelRow kKeyLabels[] = {
    {220, "\\"},          {96, "Num 0"},   {97, "Num 1"},     {98, "Num 2"},  {99, "Num 3"},
    {100, "Num 4"},       {101, "Num 5"},  {102, "Num 6"},    {103, "Num 7"}, {104, "Num 8"},
    {105, "Num 9"},       {110, "Num ."},  {107, "Num +"},    {109, "Num −"}, {106, "Num *"},
    {111, "Num /"},       {33, "Page Up"}, {34, "Page Down"}, {187, "="},     {189, "-"},
    {145, "Scroll Lock"}, {19, "Pause"},
};

std::string Seconds(std::uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  return text;
}

}  // namespace

std::vector<int> RingTour(int start, std::vector<int> points, int size) {
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());
  auto up = [&](int p) { return ((p - start) % size + size) % size; };
  std::sort(points.begin(), points.end(), [&](int a, int b) { return up(a) < up(b); });
  const std::size_t m = points.size();
  // Go up to the k-th point (by upward distance), and down to the rest, in either order.
  std::size_t bestK = 0;
  bool bestUpFirst = true;
  long best = -1;
  for (std::size_t k = 0; k <= m; ++k) {
    const long a = k == 0 ? 0 : up(points[k - 1]);
    const long b = k == m ? 0 : size - up(points[k]);
    const long upFirst = b == 0 ? a : 2 * a + b;
    const long downFirst = a == 0 ? b : a + 2 * b;
    if (best < 0 || upFirst < best) {
      best = upFirst;
      bestK = k;
      bestUpFirst = true;
    }
    if (downFirst < best) {
      best = downFirst;
      bestK = k;
      bestUpFirst = false;
    }
  }
  std::vector<int> upward(points.begin(), points.begin() + static_cast<long>(bestK));
  std::vector<int> downward(points.rbegin(), points.rend() - static_cast<long>(bestK));
  // A point on the start belongs to whichever leg comes first.
  if (!bestUpFirst && !upward.empty() && up(upward.front()) == 0) {
    downward.insert(downward.begin(), upward.front());
    upward.erase(upward.begin());
  }
  std::vector<int> order = bestUpFirst ? upward : downward;
  const std::vector<int>& second = bestUpFirst ? downward : upward;
  order.insert(order.end(), second.begin(), second.end());
  return order;
}

int RingSteps(int from, int to, int size) {
  const int up = ((to - from) % size + size) % size;
  return std::min(up, size - up);
}

const char* KeyLabel(int key) {
  for (const KeyLabelRow& row : kKeyLabels) {
    if (row.key == key) return row.label;
  }
  return "?";
}

Plan MakePlan(const ShotList& shots, Fights fights, Targets targets) {
  // Only the ways that can differ for this list are planned.
  bool otherFights = false, aims = false;
  for (const ShotScreen& screen : shots.screens) {
    for (const ShotCue& cue : screen.cues) {
      otherFights = otherFights || (cue.code == kFight && cue.target != 0);
      const CueKind* kind = FindCueKind(cue.code);
      aims = aims || (kind->mode == 2 && kind->field == CueField::target);
    }
  }
  std::vector<bool> byScreen{fights == Fights::byScreen};
  if (fights == Fights::best && otherFights) byScreen.push_back(true);
  std::vector<bool> last{targets == Targets::last};
  if (targets == Targets::best && aims) last.push_back(true);
  // Each way is counted first; only the one with the fewest keys is made in full, since a large
  // film's steps take a good share of a 32-bit tool's memory.
  bool bestScreenFights = byScreen.front(), bestTargetsLast = last.front();
  if (byScreen.size() * last.size() > 1) {
    int fewest = -1;
    for (bool screenFights : byScreen) {
      for (bool targetsLast : last) {
        const int keys = Planner(shots, screenFights, targetsLast, false).Make().keys;
        if (fewest < 0 || keys < fewest) {
          fewest = keys;
          bestScreenFights = screenFights;
          bestTargetsLast = targetsLast;
        }
      }
    }
  }
  return Planner(shots, bestScreenFights, bestTargetsLast, true).Make();
}

std::string PlanScenarioText(const ShotList& shots, const Plan& plan) {
  std::string out;
  // About fifty characters a step: room for the largest film's at once, with no copy.
  out.reserve(plan.steps.size() * 56);
  out += "# Planned by zenthar-plan from " + shots.file + ": " + std::to_string(plan.keys) +
         " keys (at least " + std::to_string(plan.lowerBound) + "), one a host tick.\n";
  out += "fps " + std::to_string(kFps) + "\n";
  const sim::Scenario& set = shots.setUp;
  out += "player at " + Number(set.playerPos.x) + " " + Number(set.playerPos.y) + " " +
         Number(set.playerPos.z) + "\n";
  if (set.playerWeapon != 0) out += "player weapon " + std::to_string(set.playerWeapon) + "\n";
  auto actor = [&](const char* what, const sim::Actor& a) {
    out += std::string(what) + " " + a.name + " model " + std::to_string(a.model) + " at " +
           Number(a.pos.x) + " " + Number(a.pos.y) + " " + Number(a.pos.z) + "\n";
  };
  for (const sim::Actor& ped : set.peds) actor("ped", ped);
  for (const sim::Actor& car : set.cars) actor("car", car);
  for (std::int32_t model : set.pedModels) out += "model " + std::to_string(model) + " ped\n";
  std::uint64_t tick = kFirstTick;
  std::uint64_t now = 0;
  auto at = [&]() { return "at " + Seconds(tick * 1000 / kFps) + " "; };
  for (const PlanStep& step : plan.steps) {
    switch (step.kind) {
      case PlanStep::Kind::heading:
        out += "\n# " + step.text + "\n";
        break;
      case PlanStep::Kind::walk:
        out += at() + "player at " + Number(step.spot.pos.x) + " " + Number(step.spot.pos.y) + " " +
               Number(step.spot.pos.z) + "\n";
        break;
      case PlanStep::Kind::enter:
        out += at() + "player enter " + step.car + "\n";
        break;
      case PlanStep::Kind::leave:
        out += at() + "player leave\n";
        break;
      case PlanStep::Kind::weapon:
        out += at() + "player weapon " + std::to_string(step.weapon) + "\n";
        break;
      case PlanStep::Kind::key:
        now = tick * 1000 / kFps;
        out += at() + "press " + sim::KeyName(step.key) + "  # " + step.message + "\n";
        ++tick;
        break;
    }
  }
  out += "run " + Seconds(now + plan.showMs + 2000) + "\n";
  return out;
}

}  // namespace plan
