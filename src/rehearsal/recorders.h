// What the pictures need of a rehearsal, kept while it runs: the storyboard's samples of the
// world, and the show player's tracks of every ped and car with the screen text, the keys and
// the editor's state beside them. They only record; views/ draws from what they hold.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "rehearsal/events.h"
#include "rehearsal/film.h"
#include "world/world.h"

namespace sim {

// Follows the world tick by tick and keeps what the picture needs.
class StoryboardSampler : public Subscriber {
 public:
  struct Sample {
    std::uint64_t t;
    world::Vec3 pos;
  };
  struct Happening {
    std::uint64_t t;
    std::string what, ped, car, detail;
    world::Vec3 pos;
  };

  void OnEvent(const RunEvent& event) override;

  std::map<std::int32_t, std::vector<Sample>> peds;  // cast members, by handle
  std::map<std::int32_t, std::vector<Sample>> cars;
  std::map<std::int32_t, std::string> carNames;
  std::vector<Happening> happenings;  // explosions, wrecks, deaths, fires
  std::uint64_t lastTick = 0;
};

// What the editor shows at one moment, as the film recorder's mirror has it.
struct PanelState {
  int mode = 0;
  bool keysOff = false;
  int slot = 0;
  int editScreen = 0;
  int explosion = 0;
  int seat = 0;
  int target = 0;
  int showScreen = -1;  // the screen a show is on, -1 when none runs
  int problems = 0;     // the mirror's problems so far: above 0 it has lost track
  bool operator==(const PanelState& o) const;
};

// Follows a run and keeps what the page replays. The world's motion is kept as keyframes: the
// positions between two of them lie on the straight line joining them, so the page can
// interpolate and still draw every tick's position where the world had it.
class PlayerRecorder : public Subscriber {
 public:
  struct Key {
    std::uint64_t t;
    std::string name;
    int code;
  };
  struct Line {
    std::uint64_t t;
    std::uint32_t shownMs;  // how long the game keeps a screen message up, 0 for log lines
    std::string text;
  };
  struct Frame {
    std::uint64_t t;
    float x, y;
  };
  // A ped or car over the run: its keyframes and its state changes.
  struct Thing {
    std::int32_t handle = 0;
    bool car = false;
    bool player = false;
    bool cast = false;
    std::string name;
    std::uint64_t from = 0;
    std::uint64_t to = 0;  // the first tick it was gone, 0 while it is still there
    std::vector<Frame> frames;
    std::vector<std::pair<std::uint64_t, int>> flags;  // kInCar | kDead | ...
    // The open segment: the last keyframe, the velocity since it, and the last sample.
    float vx = 0, vy = 0;
    Frame last{};
    bool open = false;
    std::uint64_t seen = 0;  // the last tick it was there
  };
  struct Blast {
    std::uint64_t t;
    float x, y;
    int kind;  // as the explosion native takes it, or kCarBlast for a car blown up
  };
  static constexpr int kCarBlast = -1;
  struct Panel {
    std::uint64_t t;
    PanelState state;
  };
  static constexpr int kInCar = 1, kDead = 2, kBurning = 4, kWrecked = 8;

  void OnEvent(const RunEvent& event) override;

  std::vector<Key> keys;
  std::vector<Line> screens;
  std::vector<Line> logs;
  std::vector<Line> takeLines;  // a take runner's screen messages, apart from the plug-in's
  std::vector<Thing> things;
  std::vector<Blast> blasts;
  std::vector<Panel> panels;
  std::vector<std::string> problems;  // the mirror's, as it noted them
  std::uint64_t lastTick = 0;

 private:
  void Sample(const world::World& w, std::uint64_t t);
  void Follow(Thing& thing, std::uint64_t t, float x, float y, int flags);
  void NotePanel(std::uint64_t t);
  void SettleShows();

  FilmRecorder mirror_;
  std::map<std::int32_t, std::size_t> index_;
  std::vector<std::size_t> order_;  // things in the world's order at the last tick
  std::uint32_t pendingShownMs_ = 0;
};

// The editor's state the mirror holds once every event up to now has been seen. The show's
// screen is left at -1: the mirror learns of a screen only after it played, so the recorder
// takes it from the show's steps at the end of the run.
PanelState MirrorPanel(const FilmReport& report);

}  // namespace sim
