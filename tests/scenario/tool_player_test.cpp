// The show player's recorder: the world's motion it keeps as keyframes must give back every
// tick's position, things come and go when the world says, and the editor's panel follows the
// mirror. What the page draws from this is checked in a browser (tests/player).
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "rehearse.h"
#include "views/player.h"

namespace {

// Every tick's positions, as the world had them.
class Ticks : public sim::Subscriber {
 public:
  struct Seen {
    std::uint64_t t;
    float x, y;
  };
  void OnEvent(const sim::RunEvent& e) override {
    if (e.kind != sim::RunEvent::Kind::tick || e.world == nullptr) return;
    for (const world::Ped& ped : e.world->peds())
      peds[ped.handle].push_back({e.t, ped.pos.x, ped.pos.y});
    for (const world::Car& car : e.world->cars())
      cars[car.handle].push_back({e.t, car.pos.x, car.pos.y});
  }
  std::map<std::int32_t, std::vector<Seen>> peds, cars;
};

// Where the page puts a thing at t: on the straight line between the keyframes around t.
bool Interpolate(const sim::PlayerRecorder::Thing& thing, std::uint64_t t, float& x, float& y) {
  const auto& f = thing.frames;
  if (f.empty() || t < f.front().t) return false;
  std::size_t i = 0;
  while (i + 1 < f.size() && f[i + 1].t <= t) ++i;
  if (i + 1 == f.size()) {
    x = f[i].x;
    y = f[i].y;
    return true;
  }
  const float u = static_cast<float>(t - f[i].t) / static_cast<float>(f[i + 1].t - f[i].t);
  x = f[i].x + (f[i + 1].x - f[i].x) * u;
  y = f[i].y + (f[i + 1].y - f[i].y) * u;
  return true;
}

// Peds walk, a car drives off with a passenger, a ped is removed, one dies and a car is wrecked.
const char* kMovingFilm = R"(
player at 0 0 0
player weapon 7
ped bob model 2001 at 3 0 0
ped ann model 2001 at -5 -5 0
car cab model 90 at 10 0 0
at 0.5 press backslash
at 1.0 press num1
at 1.2 press num+
at 1.4 player at 9 1 0
at 1.6 press num1
at 2.0 press scroll
at 2.2 player at 20 10 0
at 2.4 press num-
at 2.6 press num3
at 2.8 press num+
at 3.0 player enter cab
at 3.2 press num9
at 3.4 player leave
at 3.6 press plus
at 3.8 press num*
at 4.0 player at 40 -10 0
at 4.2 press num3
at 4.4 press plus
at 4.6 press plus
at 5.0 press backslash
at 7.0 remove ann
at 9.0 kill bob
at 12.0 wreck cab
run 20
)";

TEST(PlayerRecorder, KeyframesGiveBackEveryTicksPosition) {
  sim::PlayerRecorder player;
  Ticks ticks;
  sim::RunOptions options;
  options.extra = {&player, &ticks};
  const zt::Rehearsal r = zt::Rehearse(kMovingFilm, options);
  ASSERT_TRUE(r.out.film.problems.empty());
  ASSERT_EQ(r.out.film.shows.size(), 1u);

  std::size_t samples = 0, frames = 0, moved = 0;
  for (const sim::PlayerRecorder::Thing& thing : player.things) {
    const auto& seen = thing.car ? ticks.cars[thing.handle] : ticks.peds[thing.handle];
    ASSERT_FALSE(seen.empty()) << thing.name;
    EXPECT_EQ(thing.from, seen.front().t) << thing.name << " appears at its first tick";
    frames += thing.frames.size();
    for (const Ticks::Seen& s : seen) {
      float x = -1e9f, y = -1e9f;
      ASSERT_TRUE(Interpolate(thing, s.t, x, y)) << thing.name << " at " << s.t;
      EXPECT_NEAR(x, s.x, 0.01) << thing.name << " at " << s.t << " ms";
      EXPECT_NEAR(y, s.y, 0.01) << thing.name << " at " << s.t << " ms";
      ++samples;
      moved += s.x != seen.front().x || s.y != seen.front().y;
    }
  }
  EXPECT_GT(moved, 100u) << "the film moves the cast and the cab";
  // Straight walks and drives need few keyframes: far fewer than the ticks they stand for.
  EXPECT_LT(frames * 20, samples) << frames << " keyframes for " << samples << " samples";
}

TEST(PlayerRecorder, ThingsComeAndGoAndChangeStateWhenTheWorldSaysSo) {
  sim::PlayerRecorder player;
  sim::RunOptions options;
  options.extra = {&player};
  const zt::Rehearsal r = zt::Rehearse(kMovingFilm, options);
  std::map<std::string, const sim::PlayerRecorder::Thing*> byName;
  for (const auto& thing : player.things) byName[thing.name] = &thing;
  ASSERT_EQ(byName.count("ann"), 1u);
  ASSERT_EQ(byName.count("cast2"), 1u);
  const auto& ann = *byName["ann"];
  EXPECT_EQ(ann.from, 0u);
  EXPECT_EQ(ann.to, 7000u) << "removed before the world's step at 7 s";
  EXPECT_EQ(byName["bob"]->to, 0u) << "a dead ped stays on the map";
  EXPECT_TRUE(byName["player"]->player);
  EXPECT_TRUE(byName["cast1"]->cast);
  EXPECT_FALSE(byName["bob"]->cast);

  auto flagsAt = [](const sim::PlayerRecorder::Thing& thing, std::uint64_t t) {
    int flags = -1;
    for (const auto& [when, bits] : thing.flags) {
      if (when <= t) flags = bits;
    }
    return flags;
  };
  using R = sim::PlayerRecorder;
  EXPECT_EQ(flagsAt(*byName["bob"], 8900), 0);
  EXPECT_EQ(flagsAt(*byName["bob"], 9100), R::kDead);
  EXPECT_EQ(flagsAt(*byName["cab"], 11900), 0);
  EXPECT_EQ(flagsAt(*byName["cab"], 12100), R::kWrecked);
  EXPECT_EQ(flagsAt(*byName["cast2"], 4000), 0) << "on foot before the show";
  EXPECT_EQ(flagsAt(*byName["cast2"], 11000) & R::kInCar, R::kInCar) << "driving the cab";
  ASSERT_FALSE(player.blasts.empty()) << "the wrecked cab flashes";
  EXPECT_EQ(player.blasts.back().kind, R::kCarBlast);
}

TEST(PlayerRecorder, ThePanelFollowsTheMirrorAndSaysWhenItLostTrack) {
  sim::PlayerRecorder player;
  sim::RunOptions options;
  options.extra = {&player};
  const zt::Rehearsal r = zt::Rehearse(kMovingFilm, options);
  auto panelAt = [&](std::uint64_t t) {
    sim::PanelState s;
    s.mode = -99;
    for (const auto& p : player.panels) {
      if (p.t <= t) s = p.state;
    }
    return s;
  };
  EXPECT_EQ(panelAt(1900).mode, 0);
  EXPECT_EQ(panelAt(1900).slot, 1);
  EXPECT_EQ(panelAt(2100).mode, 1);
  EXPECT_EQ(panelAt(2500).slot, 0);
  EXPECT_EQ(panelAt(4000).editScreen, 1);
  // Screen 0 plays from the play key's pass at 5.0 s, though the mirror knows it only once its
  // slots have waited (5.2 s); screen 1, the last, follows a second later and ends the show.
  EXPECT_EQ(panelAt(4900).showScreen, -1);
  EXPECT_EQ(panelAt(5000).showScreen, 0);
  bool screen1 = false;
  for (const auto& p : player.panels) screen1 = screen1 || p.state.showScreen == 1;
  EXPECT_TRUE(screen1);
  EXPECT_EQ(panelAt(6500).showScreen, -1) << "the show is over";
  EXPECT_EQ(panelAt(19000).problems, 0);
  for (std::size_t i = 1; i < player.panels.size(); ++i) {
    EXPECT_LT(player.panels[i - 1].t, player.panels[i].t) << "one panel a moment";
    EXPECT_FALSE(player.panels[i - 1].state == player.panels[i].state) << "only changes are kept";
  }

  // Without screen messages the mirror cannot follow; the panel says so from then on.
  sim::PlayerRecorder blind;
  options.extra = {&blind};
  const zt::Rehearsal lost = zt::Rehearse(
      "missing PRINT_STRING_WITH_LITERAL_STRING_NOW\nat 0.5 press scroll\nrun 2\n", options);
  ASSERT_FALSE(blind.panels.empty());
  EXPECT_GT(blind.panels.back().state.problems, 0);
  EXPECT_FALSE(blind.problems.empty());
}

TEST(PlayerPage, IsOneFileWithTheFilmInsideAndTheConfiguredKeys) {
  auto page = [](const std::string& film) {
    sim::PlayerRecorder player;
    sim::RunOptions options;
    options.extra = {&player};
    const zt::Rehearsal r = zt::Rehearse(film, options);
    sim::Scenario scenario;
    EXPECT_EQ(sim::ParseScenario("t.film", film, scenario), "");
    return sim::RenderPlayer(r.out.film, player, scenario, "t.film");
  };
  const std::string plain = page("at 0.5 press scroll\nrun 2\n");
  EXPECT_EQ(plain.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_EQ(plain.find("/*FILM*/"), std::string::npos) << "the data took its place";
  EXPECT_NE(plain.find("\"iniKeys\":[19,145]"), std::string::npos) << "no ped.ini: the defaults";
  for (const char* outside :
       {"<link", "src=", "href=", "@import", "url(", "fetch(", "XMLHttpRequest", "https://"}) {
    EXPECT_EQ(plain.find(outside), std::string::npos) << "the page reaches outside: " << outside;
  }
  EXPECT_NE(plain.find("\"patterns\":["), std::string::npos);
  EXPECT_NE(plain.find("Screen mode"), std::string::npos);

  EXPECT_NE(page("ini \"OnOff=120\" \"ChangeMode=121\"\nrun 1\n").find("\"iniKeys\":[120,121]"),
            std::string::npos);
  // A line the plug-in cannot read leaves that key at its default.
  EXPECT_NE(page("ini \"OnOff=x\" \"ChangeMode=-7z\"\nrun 1\n").find("\"iniKeys\":[19,-7]"),
            std::string::npos);
}

}  // namespace
