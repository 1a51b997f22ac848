// The film as the plug-in holds it, rebuilt from what a run shows: the plug-in exports nothing,
// so the recorder follows its screen messages and the native calls of the same pass, and mirrors
// its playback from the waits and the step natives. What it cannot reconcile it notes as a
// problem, so tests can prove the mirror and the plug-in agree.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "rehearsal/events.h"
#include "world/world.h"

namespace sim {

constexpr int kScreens = 256;
constexpr int kSlots = 255;
constexpr int kExplosionIds = 32;

struct Cue {
  int code = 0;
  world::Vec3 pos;
  std::int32_t target = 0;
  std::int32_t car = 0;
  int seat = 0;
  std::int32_t weapon = 0;
  int targetSlot = 0;  // the target number the message showed (-1 is the player)
  std::uint64_t recordedAt = 0;
};

struct Explosion {
  int kind = 0;  // 1 fire, 4 rocket, 0 grenade
  world::Vec3 pos;
  bool set = false;
};

// One cue played: what the slot's ped was asked to do in a step.
struct SlotPlay {
  bool pedExists = false;
  std::string action;  // the native that carried the cue out, empty when skipped or none
};

struct Step {
  int screen = 0;
  std::uint64_t start = 0;  // the pass that ran it
  std::uint64_t end = 0;    // after the slots' waits, when the explosions go off
  std::vector<SlotPlay> slots;
  std::vector<Explosion> explosions;  // as they went off
};

struct Show {
  std::uint64_t start = 0;
  std::uint64_t end = 0;  // "--- Show off ---", or the end of the run
  bool finished = false;
  std::vector<Step> steps;
};

struct Warning {
  int screen = -1;
  int slot = -1;
  std::string text;
};

// Everything the plug-in's scene store holds that a film is made of, and the editor's state.
struct Film {
  Film();
  Cue& cue(int screen, int slot) { return cues[static_cast<std::size_t>(screen * kSlots + slot)]; }
  const Cue& cue(int screen, int slot) const {
    return cues[static_cast<std::size_t>(screen * kSlots + slot)];
  }
  Explosion& explosion(int screen, int id) {
    return explosions[static_cast<std::size_t>(screen * kExplosionIds + id)];
  }
  const Explosion& explosion(int screen, int id) const {
    return explosions[static_cast<std::size_t>(screen * kExplosionIds + id)];
  }
  bool ScreenHasContent(int screen) const;

  std::vector<Cue> cues;
  std::vector<Explosion> explosions;
  std::vector<int> durations;
  std::vector<std::int32_t> pedHandle;
  std::vector<std::int32_t> pedModel;  // each slot's last created ped: its model and spot
  std::vector<world::Vec3> pedSpot;
  int pedCount = 0;
  int explosionCount = 0;
  int screenMode = 0;
  bool keysOff = false;
  int selectedPed = 0;
  int editScreen = 0;
  int selectedExplosion = 0;
  int targetPed = 0;
};

// The film at the end of a run with what the world knew then, and the shows that were played.
struct FilmReport {
  Film film;
  std::vector<Show> shows;
  std::int32_t player = world::kPlayerHandle;
  std::map<std::int32_t, std::string> names;  // ped and car handles seen in the run
  std::map<std::int32_t, int> slotOf;         // every ped the plug-in created, by handle
  std::set<std::int32_t> livePeds;            // handles that still name a ped at the end
  std::set<std::int32_t> liveCars;
  std::set<std::int32_t> wreckedCars;
  struct SeatTaken {
    std::uint64_t t;
    std::string ped, car;
    int seat;
  };
  std::vector<SeatTaken> seatsTaken;
  std::vector<std::string> problems;  // where the mirror could not follow the plug-in
  int cuesVerified = 0;               // played cues whose natives matched the mirror

  std::string NameOf(std::int32_t handle) const;
};

// Words for an action code: a few letters for the timeline, and a phrase for the film sheet.
const char* ActionShort(int code);
const char* ActionWords(int code);
bool UsesPosition(int code);
bool UsesCar(int code);
bool UsesTarget(int code);
const char* ExplosionKindName(int kind);

class FilmRecorder : public Subscriber {
 public:
  void OnEvent(const RunEvent& event) override;
  const FilmReport& report() const { return report_; }

 private:
  struct Call {
    std::uint64_t t = 0;
    bool wait = false;
    bool missing = false;
    std::string name;
    std::vector<world::Value> args, outs;
    std::int32_t result = 0;
  };
  enum class Phase { none, slots, resume, explosions };
  class SlotCheck;

  void PassBegin(std::uint64_t t);
  void PassEvent(const Call& call);
  bool StepEvent(const Call& call);
  void BeginStep(int screen, std::uint64_t t);
  void EndSlots(std::uint64_t t);
  void FinishStep();
  void Schedule(const Step& step);
  void StartShow(std::uint64_t t);
  void Message(const std::string& text, std::uint64_t t);
  bool RecordCue(const std::string& text, std::uint64_t t);
  bool RecordExplosion(const std::string& text);
  void VerifySlot(const Step& step, int slot, const std::vector<Call>& calls);
  void VerifyExplosions(const Step& step);
  void Problem(std::uint64_t t, const std::string& text);
  void Finish(const world::World& w, std::uint64_t t);

  const Call* Last(const char* name, bool ofPlayer) const;
  std::int32_t PlayerHandle() const;
  void PlayerPlace(world::Vec3& pos) const;
  void FollowTake(const RunEvent& event);

  // While a take runs, its runner answers the plug-in's reads of the player with the take's
  // values rather than the game's (src/take/hooks.h, Replay); the mirror follows the runner's own
  // commands to know them: where it set the player down, the car it put the player into, the
  // weapon it handed over, and where the player stood when the take started.
  struct Replay {
    bool running = false;
    bool place = false, car = false, weapon = false;
    world::Vec3 pos;
    std::int32_t carHandle = 0, weaponId = 0;
    world::Vec3 lastRead;  // the runner's last reading of the player's place
  };
  Replay replay_;

  FilmReport report_;
  bool playing_ = false;
  int playScreen_ = 0;
  std::uint64_t due_ = 0;
  std::vector<Call> segment_;  // the pass's calls since its start or the last step or message
  std::uint64_t segmentStart_ = 0;
  Phase phase_ = Phase::none;
  Step step_;
  std::vector<std::vector<Call>> stepCalls_;
  int waitsLeft_ = 0;
  int explosionsLeft_ = 0;
  std::string lastCreated_;
  bool namedSetUp_ = false;
};

}  // namespace sim
