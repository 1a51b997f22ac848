// What the show player ought to draw at a few moments of a rehearsal, taken from the world and
// the run's events as they happen rather than from the page: the player's browser test compares
// the page's drawing with this.
//
//   player_truth FILM   prints a JSON array, one object a moment: before the show, mid-show,
//                       at an explosion and after the end (or three moments when no show ran).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rehearsal/film.h"
#include "rehearsal/json.h"
#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "views/player.h"

namespace {

// The page lights a key for this long after it is pressed.
constexpr std::uint64_t kLitMs = 300;
// and flashes an explosion for this long after it went off.
constexpr std::uint64_t kFlashMs = 900;

struct Moment {
  std::string label;
  std::uint64_t t = 0;
  std::string things;  // JSON objects, taken at the tick
  std::string rest;    // JSON fields, taken once every event up to t was seen
  bool ticked = false, done = false;
};

class Probe : public sim::Subscriber {
 public:
  Probe(std::vector<Moment>* moments, const std::vector<sim::Show>* shows)
      : moments_(moments), shows_(shows) {}

  void OnEvent(const sim::RunEvent& e) override {
    for (Moment& m : *moments_) {
      if (m.ticked && !m.done && e.t > m.t) Finish(m);
    }
    mirror_.OnEvent(e);
    switch (e.kind) {
      case sim::RunEvent::Kind::key:
        keys_.push_back({e.t, e.text});
        break;
      case sim::RunEvent::Kind::native:
        if (e.call->name == "PRINT_STRING_WITH_LITERAL_STRING_NOW" && e.call->args.size() == 4) {
          shownMs_ = static_cast<std::uint64_t>(std::max(0, e.call->args[2].i));
        }
        break;
      case sim::RunEvent::Kind::screen:
        text_ = e.text;
        textAt_ = e.t;
        textFor_ = shownMs_;
        break;
      case sim::RunEvent::Kind::world:
        if (e.worldEvent->what == "explosion" || e.worldEvent->what == "wrecked") {
          blasts.push_back(e.t);
        }
        if (e.worldEvent->what == "explosion") {
          const std::string& detail = e.worldEvent->detail;
          const int kind = std::atoi(detail.c_str() + (detail.rfind("kind ", 0) == 0 ? 5 : 0));
          flashes_.push_back({e.t, sim::ExplosionKindName(kind), e.worldEvent->pos});
        } else if (e.worldEvent->what == "wrecked" && e.worldEvent->detail != "explosion") {
          // A car blown up by a cue or wrecked by the scenario, not by an explosion nearby.
          flashes_.push_back({e.t, "car", e.worldEvent->pos});
        }
        break;
      case sim::RunEvent::Kind::tick:
        for (Moment& m : *moments_) {
          if (m.t == e.t && e.world != nullptr) Tick(m, *e.world);
        }
        break;
      default:
        break;
    }
    if (e.kind == sim::RunEvent::Kind::unload) {
      for (Moment& m : *moments_) {
        if (m.ticked && !m.done) Finish(m);
      }
    }
  }

  std::vector<std::uint64_t> blasts;
  std::vector<std::pair<std::uint64_t, std::string>> keys_;

 private:
  static void Tick(Moment& m, const world::World& w) {
    std::string out;
    for (const world::Ped& ped : w.peds()) {
      std::string state;
      if (ped.car != 0) state += "in car ";
      if (ped.dead()) state += "dead ";
      if (ped.burning) state += "burning ";
      if (!state.empty()) state.pop_back();
      sim::JsonObject o;
      o.Str("name", ped.name).Str("kind", ped.player ? "player" : ped.cast ? "cast" : "ped");
      o.Num("x", ped.pos.x).Num("y", ped.pos.y).Str("state", state);
      out += (out.empty() ? "" : ",") + o.str();
    }
    for (const world::Car& car : w.cars()) {
      sim::JsonObject o;
      o.Str("name", car.name).Str("kind", "car").Num("x", car.pos.x).Num("y", car.pos.y);
      o.Str("state", car.wrecked ? "wrecked" : "");
      out += (out.empty() ? "" : ",") + o.str();
    }
    m.things = "[" + out + "]";
    m.ticked = true;
  }

  void Finish(Moment& m) {
    std::string lit;
    for (const auto& [t, name] : keys_) {
      if (t <= m.t && t + kLitMs > m.t) lit += (lit.empty() ? "" : " ") + name;
    }
    const bool shown = textAt_ <= m.t && m.t < textAt_ + textFor_;
    const sim::PanelState s = sim::MirrorPanel(mirror_.report());
    sim::JsonObject o;
    o.Str("text", shown ? text_ : "").Str("lit", lit);
    o.Int("mode", s.mode).Str("keys", s.keysOff ? "off" : "on").Int("slot", s.slot);
    o.Int("edit-screen", s.editScreen).Int("explosion", s.explosion).Int("seat", s.seat);
    o.Int("target", s.target).Int("show-screen", ShowScreen(m.t)).Int("lost", s.problems > 0);
    std::string flashing;
    for (const Flash& f : flashes_) {
      if (f.t > m.t || f.t + kFlashMs <= m.t) continue;
      sim::JsonObject b;
      b.Str("kind", f.kind).Num("x", f.pos.x).Num("y", f.pos.y);
      flashing += (flashing.empty() ? "" : ",") + b.str();
    }
    o.Raw("blasts", "[" + flashing + "]");
    m.rest = o.str();
    m.done = true;
  }

  // The screen a show is on: from the pass that played it, the last one until the show ended.
  int ShowScreen(std::uint64_t t) const {
    int screen = -1;
    for (const sim::Show& show : *shows_) {
      if (show.steps.empty() || show.steps.front().start > t) continue;
      screen = -1;
      for (const sim::Step& step : show.steps) {
        if (step.start <= t) screen = step.screen;
      }
      if (show.finished && t >= show.end) screen = -1;
    }
    return screen;
  }

  struct Flash {
    std::uint64_t t;
    std::string kind;
    world::Vec3 pos;
  };
  std::vector<Flash> flashes_;
  std::vector<Moment>* moments_;
  const std::vector<sim::Show>* shows_;
  sim::FilmRecorder mirror_;
  std::string text_;
  std::uint64_t textAt_ = 0, textFor_ = 0, shownMs_ = 0;
};

// The first host tick at or after `ms`.
std::uint64_t TickAt(std::uint64_t ms, int fps) {
  const std::uint64_t f = static_cast<std::uint64_t>(fps);
  return (ms * f + 999) / 1000 * 1000 / f;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: player_truth FILM\n");
    return 2;
  }
  sim::Scenario scenario;
  const std::string problem = sim::LoadScenario(argv[1], scenario);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 2;
  }
  // A first run finds the show and its explosions, a second one takes the moments.
  std::vector<Moment> none;
  const std::vector<sim::Show> noShows;
  Probe scout(&none, &noShows);
  sim::RunOptions options;
  options.extra.push_back(&scout);
  const sim::RunOutput first = sim::RunScenario(scenario, options);
  if (!first.ok) {
    std::fprintf(stderr, "player_truth: %s\n", first.error.c_str());
    return 1;
  }
  const int fps = scenario.fps;
  const std::uint64_t end = scenario.runUntil;
  std::vector<Moment> moments;
  if (first.film.shows.empty()) {
    for (int quarter = 1; quarter <= 3; ++quarter) {
      moments.push_back({"quarter" + std::to_string(quarter), TickAt(end * quarter / 4, fps)});
    }
  } else {
    const sim::Show& show = first.film.shows.back();
    std::uint64_t before = show.start / 2;
    for (const auto& [t, name] : scout.keys_) {
      if (t + 200 < show.start) before = t;
    }
    moments.push_back({"before", before});
    moments.push_back({"mid", TickAt((show.start + show.end) / 2, fps)});
    for (std::uint64_t t : scout.blasts) {
      if (t >= show.start) {
        moments.push_back({"explosion", TickAt(t + 100, fps)});
        break;
      }
    }
    moments.push_back({"after", TickAt(show.end + (end - show.end) / 2, fps)});
  }

  Probe probe(&moments, &first.film.shows);
  options.extra = {&probe};
  const sim::RunOutput second = sim::RunScenario(scenario, options);
  if (!second.ok) {
    std::fprintf(stderr, "player_truth: %s\n", second.error.c_str());
    return 1;
  }
  std::string out = "[";
  for (const Moment& m : moments) {
    if (!m.done) {
      std::fprintf(stderr, "player_truth: no tick at %llu ms\n",
                   static_cast<unsigned long long>(m.t));
      return 1;
    }
    sim::JsonObject o;
    o.Str("label", m.label).Int("t", static_cast<std::int64_t>(m.t)).Raw("things", m.things);
    out += (out.size() > 1 ? ",\n" : "\n") + o.str().substr(0, o.str().size() - 1) + "," +
           m.rest.substr(1);
  }
  std::printf("%s\n]\n", out.c_str());
  return 0;
}
