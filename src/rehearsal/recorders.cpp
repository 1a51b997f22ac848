// What the pictures need of a rehearsal, kept while it runs: the storyboard's samples of the
// world and the show player's tracks, screen text, keys and editor panel.
#include "rehearsal/recorders.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sim {

namespace {

// Farthest a sample may sit from its keyframes' straight line before it starts a new one.
constexpr float kKeyframeSlack = 0.004f;

}  // namespace

void StoryboardSampler::OnEvent(const RunEvent& e) {
  if (e.kind == RunEvent::Kind::tick && e.world != nullptr) {
    lastTick = e.t;
    for (const world::Ped& ped : e.world->peds()) {
      if (!ped.cast) continue;
      std::vector<Sample>& trail = peds[ped.handle];
      if (trail.empty() || trail.back().pos.x != ped.pos.x || trail.back().pos.y != ped.pos.y) {
        trail.push_back({e.t, ped.pos});
      }
    }
    for (const world::Car& car : e.world->cars()) {
      std::vector<Sample>& trail = cars[car.handle];
      carNames[car.handle] = car.name;
      if (trail.empty() || trail.back().pos.x != car.pos.x || trail.back().pos.y != car.pos.y) {
        trail.push_back({e.t, car.pos});
      }
    }
  } else if (e.kind == RunEvent::Kind::world) {
    const world::Event& w = *e.worldEvent;
    if (w.what == "explosion" || w.what == "wrecked" || w.what == "died" || w.what == "burning") {
      happenings.push_back({e.t, w.what, w.ped, w.car, w.detail, w.pos});
    }
  }
}

bool PanelState::operator==(const PanelState& o) const {
  return mode == o.mode && keysOff == o.keysOff && slot == o.slot && editScreen == o.editScreen &&
         explosion == o.explosion && seat == o.seat && target == o.target &&
         showScreen == o.showScreen && problems == o.problems;
}

PanelState MirrorPanel(const FilmReport& report) {
  const Film& film = report.film;
  PanelState s;
  s.mode = film.screenMode;
  s.keysOff = film.keysOff;
  s.slot = film.selectedPed;
  s.editScreen = film.editScreen;
  s.explosion = film.selectedExplosion;
  s.target = film.targetPed;
  if (film.selectedPed >= 0 && film.selectedPed < kSlots && film.editScreen >= 0 &&
      film.editScreen < kScreens) {
    s.seat = film.cue(film.editScreen, film.selectedPed).seat;
  }
  s.problems = static_cast<int>(report.problems.size());
  return s;
}

void PlayerRecorder::OnEvent(const RunEvent& e) {
  mirror_.OnEvent(e);
  switch (e.kind) {
    case RunEvent::Kind::key:
      keys.push_back({e.t, e.text, e.code});
      break;
    case RunEvent::Kind::native:
      if (e.call->name == "PRINT_STRING_WITH_LITERAL_STRING_NOW" && e.call->args.size() == 4) {
        pendingShownMs_ = static_cast<std::uint32_t>(std::max(0, e.call->args[2].i));
      }
      break;
    case RunEvent::Kind::screen:
      (e.by.empty() ? screens : takeLines).push_back({e.t, pendingShownMs_, e.text});
      break;
    case RunEvent::Kind::log:
      logs.push_back({e.t, 0, e.text});
      break;
    case RunEvent::Kind::world:
      if (e.worldEvent->what == "explosion") {
        const std::string& detail = e.worldEvent->detail;
        const int kind = std::atoi(detail.c_str() + (detail.rfind("kind ", 0) == 0 ? 5 : 0));
        blasts.push_back({e.t, e.worldEvent->pos.x, e.worldEvent->pos.y, kind});
      } else if (e.worldEvent->what == "wrecked" && e.worldEvent->detail != "explosion") {
        blasts.push_back({e.t, e.worldEvent->pos.x, e.worldEvent->pos.y, kCarBlast});
      }
      break;
    case RunEvent::Kind::tick:
      if (e.world != nullptr) Sample(*e.world, e.t);
      break;
    case RunEvent::Kind::end:
      for (Thing& thing : things) {
        if (thing.open && thing.last.t != thing.frames.back().t) thing.frames.push_back(thing.last);
        thing.open = false;
      }
      NotePanel(e.t);
      SettleShows();
      return;
    default:
      break;
  }
  NotePanel(e.t);
}

void PlayerRecorder::NotePanel(std::uint64_t t) {
  const FilmReport& report = mirror_.report();
  const PanelState now = MirrorPanel(report);
  while (problems.size() < report.problems.size())
    problems.push_back(report.problems[problems.size()]);
  if (!panels.empty() && panels.back().state == now) return;
  if (!panels.empty() && panels.back().t == t) {
    panels.back().state = now;
  } else {
    panels.push_back({t, now});
  }
}

// The mirror knows a screen was played once its step is over; the panel shows it from the pass
// that started it, and the last screen until the show ended.
void PlayerRecorder::SettleShows() {
  const FilmReport& report = mirror_.report();
  auto screenAt = [&](std::uint64_t t) {
    int screen = -1;
    for (const Show& show : report.shows) {
      if (show.steps.empty() || show.steps.front().start > t) break;
      screen = -1;
      for (const Step& step : show.steps) {
        if (step.start <= t) screen = step.screen;
      }
      if (show.finished && t >= show.end) screen = -1;
    }
    return screen;
  };
  std::vector<std::uint64_t> times;
  for (const Panel& p : panels) times.push_back(p.t);
  for (const Show& show : report.shows) {
    for (const Step& step : show.steps) times.push_back(step.start);
    if (show.finished) times.push_back(show.end);
  }
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  std::vector<Panel> settled;
  std::size_t next = 0;
  PanelState state;
  for (std::uint64_t t : times) {
    while (next < panels.size() && panels[next].t <= t) state = panels[next++].state;
    state.showScreen = screenAt(t);
    if (settled.empty() || !(settled.back().state == state)) settled.push_back({t, state});
  }
  panels = std::move(settled);
}

void PlayerRecorder::Sample(const world::World& w, std::uint64_t t) {
  lastTick = t;
  auto thingOf = [&](std::int32_t handle, bool car, const std::string& name) -> Thing& {
    const auto found = index_.find(handle);
    if (found != index_.end()) return things[found->second];
    index_[handle] = things.size();
    Thing thing;
    thing.handle = handle;
    thing.car = car;
    thing.name = name;
    thing.from = t;
    things.push_back(thing);
    return things.back();
  };
  // The world keeps its peds and cars in order, so the previous tick's order finds them fast.
  std::size_t n = 0;
  auto follow = [&](std::int32_t handle, bool car, const std::string& name, float x, float y,
                    int flags) -> Thing& {
    Thing* thing = nullptr;
    if (n < order_.size() && things[order_[n]].handle == handle && things[order_[n]].car == car) {
      thing = &things[order_[n]];
    } else {
      thing = &thingOf(handle, car, name);
      const std::size_t at = static_cast<std::size_t>(thing - things.data());
      if (n < order_.size()) {
        order_[n] = at;
      } else {
        order_.push_back(at);
      }
    }
    ++n;
    thing->seen = t;
    Follow(*thing, t, x, y, flags);
    return *thing;
  };
  for (const world::Ped& ped : w.peds()) {
    const int flags =
        (ped.car != 0 ? kInCar : 0) | (ped.dead() ? kDead : 0) | (ped.burning ? kBurning : 0);
    Thing& thing = follow(ped.handle, false, ped.name, ped.pos.x, ped.pos.y, flags);
    thing.player = ped.player;
    thing.cast = ped.cast;
  }
  for (const world::Car& car : w.cars()) {
    follow(car.handle, true, car.name, car.pos.x, car.pos.y, car.wrecked ? kWrecked : 0);
  }
  order_.resize(n);
  if (things.size() != n) {
    for (Thing& thing : things) {
      if (thing.to != 0 || thing.seen == t) continue;
      thing.to = t;
      if (thing.open && thing.last.t != thing.frames.back().t) thing.frames.push_back(thing.last);
      thing.open = false;
    }
  }
}

void PlayerRecorder::Follow(Thing& thing, std::uint64_t t, float x, float y, int flags) {
  if (thing.flags.empty() || thing.flags.back().second != flags) thing.flags.push_back({t, flags});
  const Frame now{t, x, y};
  if (thing.frames.empty()) {
    thing.frames.push_back(now);
    return;
  }
  const Frame& anchor = thing.frames.back();
  if (!thing.open) {
    const float dt = static_cast<float>(t - anchor.t);
    thing.vx = (x - anchor.x) / dt;
    thing.vy = (y - anchor.y) / dt;
    thing.last = now;
    thing.open = true;
    return;
  }
  const float dt = static_cast<float>(t - anchor.t);
  const float px = anchor.x + thing.vx * dt, py = anchor.y + thing.vy * dt;
  if (std::fabs(px - x) <= kKeyframeSlack && std::fabs(py - y) <= kKeyframeSlack) {
    thing.last = now;
    return;
  }
  thing.frames.push_back(thing.last);
  const float step = static_cast<float>(t - thing.last.t);
  thing.vx = (x - thing.last.x) / step;
  thing.vy = (y - thing.last.y) / step;
  thing.last = now;
}

}  // namespace sim
