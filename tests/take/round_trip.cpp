#include "round_trip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <vector>

#include "rehearsal/film.h"
#include "rehearsal/take_scenario.h"
#include "rehearse.h"
#include "views/check.h"

namespace zt {

namespace {

// The models of the cars a run saw, by handle: those of the set and those still there at the end.
class CarModels : public sim::RunHooks {
 public:
  void Started(world::World& w) override { Note(w); }
  void Finished(const world::World& w, std::uint64_t) override { Note(w); }
  std::map<std::int32_t, std::int32_t> models;

 private:
  void Note(const world::World& w) {
    for (const world::Car& car : w.cars()) models[car.handle] = car.model;
  }
};

std::string Exact(const world::Vec3& pos) {
  char text[96];
  std::snprintf(text, sizeof text, "(%a, %a, %a)", static_cast<double>(pos.x),
                static_cast<double>(pos.y), static_cast<double>(pos.z));
  return text;
}

class Identities {
 public:
  Identities(const sim::RunOutput& out, const std::map<std::int32_t, std::int32_t>& models,
             bool fates)
      : report_(out.film), models_(models), fates_(fates) {}

  std::string Car(std::int32_t handle) {
    if (handle == 0) return "no car";
    auto [at, fresh] = cars_.emplace(handle, "");
    if (fresh) {
      const auto model = models_.find(handle);
      at->second = "car#" + std::to_string(cars_.size()) + " model " +
                   (model != models_.end() ? std::to_string(model->second) : "?");
    }
    std::string text = at->second;
    if (fates_ && report_.liveCars.count(handle) == 0) text += ", gone";
    if (fates_ && report_.wreckedCars.count(handle) != 0) text += ", wrecked";
    return text;
  }

  std::string Ped(std::int32_t handle) const {
    if (handle == 0) return "no ped";
    std::string text = report_.NameOf(handle);
    if (fates_ && handle != report_.player && report_.livePeds.count(handle) == 0) text += ", gone";
    return text;
  }

 private:
  const sim::FilmReport& report_;
  const std::map<std::int32_t, std::int32_t>& models_;
  bool fates_;
  std::map<std::int32_t, std::string> cars_;
};

std::string FilmText(const sim::RunOutput& out, const std::map<std::int32_t, std::int32_t>& models,
                     bool fates) {
  const sim::FilmReport& report = out.film;
  const sim::Film& film = report.film;
  Identities names(out, models, fates);
  std::string text = "slots played " + std::to_string(film.pedCount) + ", explosion ids " +
                     std::to_string(film.explosionCount) + ", shows " +
                     std::to_string(report.shows.size()) + "\n";
  for (int slot = 0; slot < sim::kSlots; ++slot) {
    const auto s = static_cast<std::size_t>(slot);
    if (film.pedHandle[s] == 0 && film.pedModel[s] == 0) continue;
    text += "slot " + std::to_string(slot) + ": " + names.Ped(film.pedHandle[s]) + ", model " +
            std::to_string(film.pedModel[s]) + " made at " + Exact(film.pedSpot[s]) + "\n";
  }
  for (int screen = 0; screen < sim::kScreens; ++screen) {
    const int seconds = film.durations[static_cast<std::size_t>(screen)];
    if (seconds == 0 && !film.ScreenHasContent(screen)) continue;
    text += "screen " + std::to_string(screen) + " lasts " + std::to_string(seconds) + "\n";
    for (int slot = 0; slot < sim::kSlots; ++slot) {
      const sim::Cue& cue = film.cue(screen, slot);
      if (cue.code == 0) continue;
      text += "  slot " + std::to_string(slot) + ": " + sim::ActionWords(cue.code) + " at " +
              Exact(cue.pos) + ", weapon " + std::to_string(cue.weapon) + ", seat " +
              std::to_string(cue.seat) + ", target " + std::to_string(cue.targetSlot) + " " +
              names.Ped(cue.target) + ", " + names.Car(cue.car) + "\n";
    }
    for (int id = 0; id < sim::kExplosionIds; ++id) {
      const sim::Explosion& blast = film.explosion(screen, id);
      if (!blast.set) continue;
      text += "  explosion #" + std::to_string(id) + ": " + sim::ExplosionKindName(blast.kind) +
              " at " + Exact(blast.pos) + "\n";
    }
  }
  for (const std::string& problem : report.problems) {
    // Where the run ended is the rehearsal's choice, not the film's.
    if (problem.find("the run ended inside a playback step") == std::string::npos) {
      text += "the recorder lost track: " + problem + "\n";
    }
  }
  return text;
}

// Where a scenario's player stands: a spot of the work area around the start, or beside a
// bystander at the capture corner, far from anything the cast does.
class HandScenario {
 public:
  explicit HandScenario(std::uint64_t seed) : random_(seed), blasts_(seed % 2 == 0) {
    // Far from the origin, with fractions: the take's places must come back exactly.
    start_ = {1000.0f + Pick(2000) / 7.0f, -500.0f + Pick(1000) / 3.0f, Pick(40) / 9.0f};
    corner_ = {start_.x - 300.0f, start_.y, start_.z};
    text_ = "player at " + Pos(start_) + "\nplayer weapon 7\n";
    for (int k = 0; k < 3; ++k) {
      text_ += "ped by" + std::to_string(k) + " model " + std::to_string(2001 + k) + " at " +
               Pos({corner_.x + 6.0f * k, corner_.y, corner_.z}) + "\n";
      text_ += "car c" + std::to_string(k) + " model " + std::to_string(90 + k) + " at " +
               Pos({start_.x + 8.0f * k - 8.0f, start_.y + 12.0f, start_.z}) + "\n";
    }
  }

  std::string Make() {
    if (blasts_ && Pick(2) == 0) BlastTheCar();
    const int actions = 30 + Pick(40);
    for (int i = 0; i < actions; ++i) Action();
    return text_ + "run " + Seconds(t_ + 25.0) + "\n";
  }

 private:
  int Pick(int n) { return static_cast<int>(random_() % static_cast<std::uint64_t>(n)); }

  static std::string Seconds(double t) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", t);
    return text;
  }
  static std::string Pos(const world::Vec3& pos) {
    char text[96];
    std::snprintf(text, sizeof text, "%.9g %.9g %.9g", static_cast<double>(pos.x),
                  static_cast<double>(pos.y), static_cast<double>(pos.z));
    return text;
  }

  void At(const std::string& what, double after = 0.7) {
    text_ += "at " + Seconds(t_) + " " + what + "\n";
    t_ += after;
  }

  void ToWork() {
    const world::Vec3 spot = {start_.x + static_cast<float>(Pick(41) - 20) + Pick(4) / 4.0f,
                              start_.y + static_cast<float>(Pick(41) - 20) + Pick(8) / 8.0f,
                              start_.z + Pick(3) / 2.0f};
    At("player at " + Pos(spot));
    atCorner_ = false;
  }

  void Leave() {
    if (car_ < 0) return;
    At("player leave");
    car_ = -1;
  }

  // How long the show the play key starts lasts at most: each screen its length and 100 ms for
  // every slot that may have a ped, up to the first screen after 0 without a length.
  double ShowSeconds() const {
    double seconds = 0;
    for (int s = 0; s < 256 && (s == 0 || durations_[s] > 0); ++s) {
      seconds += durations_[s] + 0.1 * slots_;
    }
    return seconds;
  }

  // What a key does to the editor's state, as far as the scenario needs to know it.
  void Follow(const std::string& name) {
    if (name == "pause") keysOn_ = !keysOn_;
    if (!keysOn_) return;
    if (name == "scroll") mode_ = (mode_ + 1) % 3;
    if (name == "num+") slot_ = (slot_ + 1) % 255;
    if (name == "num-") slot_ = (slot_ + 254) % 255;
    if (name == "num*") screen_ = (screen_ + 1) % 256;
    if (name == "num/") screen_ = (screen_ + 255) % 256;
    int& length = durations_[screen_];
    if (mode_ == 1 && name == "plus") ++length;
    if (mode_ == 1 && name == "minus") length = length > 1 ? length - 1 : 1;
    if (mode_ == 0 && name == "num1" && captured_) slots_ = std::max(slots_, slot_ + 1);
  }

  // Keys never pile up behind one of the plug-in's waits, so the plug-in takes them in the order
  // they are pressed and the scenario knows the mode; no car is entered once a show has played,
  // since a show may have wrecked it, and the game seats nobody in a wreck. A show is waited
  // out, standing still, before anything else happens.
  void Press(const char* key) {
    const std::string name = key;
    const bool plays = name == "backslash" && keysOn_ && mode_ != 0;
    if (plays && Pick(2) == 0) {
      // Played from elsewhere: a drive, or a walk away from the car.
      ToWork();
      if (Pick(2) == 0) Leave();
    }
    Follow(name);
    const bool waits = name == "num9" || name == "num6" || name == "backslash";
    At("press " + name, waits ? 1.6 : 0.7);
    if (plays) {
      played_ = true;
      t_ += ShowSeconds() + 1.0;
    }
  }

  void Capture() {
    Leave();
    const int k = Pick(3);
    At("player at " + Pos({corner_.x + 6.0f * k + 0.5f, corner_.y + 0.25f, corner_.z}));
    atCorner_ = true;
    if (keysOn_ && mode_ == 0) captured_ = true;
    Press("backslash");
  }

  // The show's world: slot 0 looks at the car the player sits in, screen 0 sets off a fire
  // there, and the player drives off (far enough, or not) and plays the show from elsewhere. The
  // car comes through whole when it got away from the fire.
  void BlastTheCar() {
    Capture();
    ToWork();
    Press("num1");
    car_ = Pick(3);
    At("player enter c" + std::to_string(car_));
    Press("scroll");
    Press("scroll");
    Press("num6");
    Press("num7");
    ToWork();
    if (Pick(2) == 0) Leave();
    Press("backslash");
  }

  // A film with explosions seats nobody at the wheel; one with drivers sets nothing off.
  bool Allowed(const std::string& key) const {
    if (blasts_) return key != "num9" || mode_ == 2;
    return mode_ != 2 || (key != "num7" && key != "num8" && key != "num9");
  }

  void Action() {
    static const char* const kKeys[] = {"num1", "num1",  "num2",   "num3",   "num5", "num.", "num7",
                                        "num8", "num9",  "num6",   "num4",   "num0", "num+", "num+",
                                        "num-", "num*",  "num*",   "num/",   "pgup", "pgdn", "plus",
                                        "plus", "minus", "scroll", "scroll", "pause"};
    const int roll = Pick(100);
    if (roll < 12) {
      ToWork();
    } else if (roll < 20 && !played_) {
      if (atCorner_) ToWork();
      car_ = Pick(3);
      At("player enter c" + std::to_string(car_));
    } else if (roll < 25) {
      Leave();
    } else if (roll < 30) {
      const int weapons[] = {3, 7, 12};
      At("player weapon " + std::to_string(weapons[Pick(3)]));
      // Often a key that reads it: the ped takes it, or a cue swaps to it.
      if (Pick(2) == 0) Press("num4");
    } else if (roll < 40) {
      Capture();
    } else {
      if (atCorner_) ToWork();
      // In a car, often a key that reads it: save it, a cue to get in, blow up, look at it.
      static const char* const kCarKeys[] = {"num7", "num9", "num6", "num3"};
      const char* key = car_ >= 0 && Pick(2) == 0 ? kCarKeys[Pick(4)]
                                                  : kKeys[Pick(static_cast<int>(std::size(kKeys)))];
      Press(Allowed(key) ? key : "num+");
    }
  }

  std::mt19937_64 random_;
  const bool blasts_;
  world::Vec3 start_, corner_;
  std::string text_;
  double t_ = 0.5;
  int car_ = -1;
  bool atCorner_ = false;
  bool keysOn_ = true;
  int mode_ = 0;
  bool played_ = false;
  bool captured_ = false;
  int slot_ = 0, screen_ = 0, slots_ = 0;
  int durations_[256] = {};
};

}  // namespace

std::string RandomHandScenario(std::uint64_t seed) {
  return HandScenario(seed).Make();
}

Ground Rough(std::uint64_t seed) {
  return {true, seed};
}

Filmed Film(const sim::Scenario& scenario, bool fates, bool trace, Ground ground) {
  sim::RunOptions options;
  options.review = sim::CheckFilm;
  options.writeTrace = trace;
  options.rough = ground.rough;
  options.roughSeed = ground.seed;
  CarModels cars;
  Filmed filmed;
  filmed.out = sim::RunScenario(scenario, options, &cars);
  EXPECT_TRUE(filmed.out.ok) << filmed.out.error;
  filmed.film = FilmText(filmed.out, cars.models, fates);
  return filmed;
}

sim::Scenario Parsed(const std::string& text) {
  sim::Scenario scenario;
  EXPECT_EQ(sim::ParseScenario("hand.film", text, scenario), "");
  return scenario;
}

Filmed Performed(const std::string& take, Ground ground, bool fates) {
  sim::Scenario scenario;
  EXPECT_EQ(sim::TakeScenario("autosaved.take", take, scenario), "") << take;
  return Film(scenario, fates, true, ground);
}

const char* const kHandFilm =
    "player at 10 20 0\n"
    "ped bob model 2001 at 13 20 0\n"
    "car taxi model 90 at 15 22 0\n"
    "at 0.5 press backslash\n"
    "at 1.0 press num1\n"
    "at 1.5 press num+\n"
    "at 2.0 player at 12 24 0\n"
    "at 2.5 press num1\n"
    "at 3.0 press scroll\n"
    "at 3.5 player enter taxi\n"
    "at 4.0 press num9\n"
    "at 4.5 player leave\n"
    "at 5.0 player at 30 40.25 0\n"
    "at 5.5 press num3\n"
    "at 6.0 press plus\n"
    "at 6.5 press backslash\n";

std::string WithAutosave(const std::string& film, const std::string& folder,
                         const std::string& more) {
  return "autosave " + sim::QuoteWord(folder) + "\n" + film + more + "run 12\n";
}

std::vector<std::string> RunnerSaid(const std::string& trace) {
  std::vector<std::string> said;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("\"ev\":\"screen\"") == std::string::npos ||
        line.find("\"by\":\"Take\"") == std::string::npos) {
      continue;
    }
    const std::string text = Field(line, "text");
    said.push_back(text.substr(1, text.size() - 2));
  }
  return said;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

RoundTrip AutosaveRoundTrip(sim::Scenario scenario, bool fates, bool trace, Ground made,
                            Ground replayed) {
  RoundTrip trip;
  {
    const sim::AutosaveFolder folder(&scenario);
    trip.made = Film(scenario, fates, trace, made);
    if (!folder.Take(trip.take)) return trip;
  }
  sim::Scenario replay;
  EXPECT_EQ(sim::TakeScenario("autosaved.take", trip.take, replay), "") << trip.take;
  trip.replayed = Film(replay, fates, trace, replayed);
  return trip;
}

}  // namespace zt
