#include "plan/verify.h"

#include <deque>
#include <map>

namespace plan {

namespace {

bool Same(const world::Vec3& a, const world::Vec3& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

std::string At(const world::Vec3& pos) {
  return Number(pos.x) + " " + Number(pos.y) + " " + Number(pos.z);
}

// A cue in the words of a shot list line, from a film's cue.
std::string FilmCueWords(const sim::FilmReport& report, const sim::Cue& cue) {
  const CueKind* kind = FindCueKind(cue.code);
  if (kind == nullptr) return cue.code == 0 ? "no cue" : "code " + std::to_string(cue.code);
  std::string text = kind->words;
  switch (kind->field) {
    case CueField::none:
      break;
    case CueField::spot:
      text += " " + At(cue.pos);
      break;
    case CueField::target:
      text += cue.targetSlot < 0 ? " player" : " slot " + std::to_string(cue.targetSlot);
      break;
    case CueField::weapon:
      text += " " + std::to_string(cue.weapon);
      break;
    case CueField::car:
      text += " " + (cue.car == 0 ? std::string("(no car)") : report.NameOf(cue.car));
      if (cue.code == 6) text += " seat " + std::to_string(cue.seat);
      break;
  }
  return text;
}

std::string ShotCueWords(const ShotCue& cue) {
  const CueKind* kind = FindCueKind(cue.code);
  std::string text = kind->words;
  switch (kind->field) {
    case CueField::none:
      break;
    case CueField::spot:
      text += " " + At(cue.spot.pos);
      break;
    case CueField::target:
      text += cue.target < 0 ? " player" : " slot " + std::to_string(cue.target);
      break;
    case CueField::weapon:
      text += " " + std::to_string(cue.weapon);
      break;
    case CueField::car:
      text += " " + cue.car;
      if (cue.code == 6) text += " seat " + std::to_string(cue.seat);
      break;
  }
  return text;
}

// The plug-in's screen messages, each held against the message the plan's next key should show
// as it comes, so that a run of half a million keys keeps no list of them; and apart from them a
// take runner's, which are few.
class Messages : public sim::Subscriber {
 public:
  explicit Messages(const Plan& plan) : plan_(plan), next_(plan.steps.begin()) { Skip(); }

  void OnEvent(const sim::RunEvent& event) override {
    if (event.kind == sim::RunEvent::Kind::stall) stalls.push_back({event.t, event.code});
    if (event.kind != sim::RunEvent::Kind::screen) return;
    if (!event.by.empty()) {
      take.push_back({event.t, event.text});
      return;
    }
    if (!difference_.empty() || next_ == plan_.steps.end()) return;
    if (event.text != next_->message) {
      difference_ = Difference(event.text);
      return;
    }
    ++keys_;
    ++next_;
    Skip();
  }

  // The first key whose message differed, or that showed none.
  std::string FirstDifference() const {
    if (!difference_.empty() || next_ == plan_.steps.end()) return difference_;
    return Difference("nothing");
  }

  std::vector<std::pair<std::uint64_t, std::string>> take;
  std::vector<std::pair<std::uint64_t, int>> stalls;  // when a late tick came, and how late

 private:
  void Skip() {
    while (next_ != plan_.steps.end() && next_->kind != PlanStep::Kind::key) ++next_;
  }

  std::string Difference(const std::string& got) const {
    return "key " + std::to_string(keys_ + 1) + " (" + KeyLabel(next_->key) + ", " + next_->text +
           ") should show '" + next_->message + "', the game showed '" + got + "'";
  }

  const Plan& plan_;
  std::deque<PlanStep>::const_iterator next_;
  std::size_t keys_ = 0;
  std::string difference_;
};

// A take must have started and run to its end, with every key of the plan.
void CheckTake(const Plan& plan, const Messages& messages, int fps, Verification& v) {
  const std::string done = "Take done: " + std::to_string(plan.keys) + " keys";
  if (messages.take.empty()) {
    v.differences.push_back("the take runner showed nothing");
    return;
  }
  const auto& [end, last] = messages.take.back();
  if (last != done) {
    v.differences.push_back("the take runner should end with '" + done + "', it showed '" + last +
                            "'");
    return;
  }
  const std::uint64_t start = messages.take.front().first;
  v.takeTicks = (end - start) * static_cast<std::uint64_t>(fps) / 1000;
  std::uint64_t stalled = 0;
  for (const auto& [t, ms] : messages.stalls) {
    if (t > start && t <= end) stalled += static_cast<std::uint64_t>(ms);
  }
  v.stallTicks = stalled * static_cast<std::uint64_t>(fps) / 1000;
}

}  // namespace

std::vector<std::string> CompareFilm(const ShotList& shots, const sim::FilmReport& report) {
  std::vector<std::string> out;
  const sim::Film& film = report.film;
  std::vector<int> durations(kScreens, 0);
  std::map<std::pair<int, int>, const ShotCue*> cues;
  std::map<std::pair<int, int>, const ShotExplosion*> blasts;
  for (const ShotScreen& screen : shots.screens) {
    durations[static_cast<std::size_t>(screen.number)] = screen.duration;
    for (const ShotCue& cue : screen.cues) cues[{screen.number, cue.slot}] = &cue;
    for (const ShotExplosion& blast : screen.explosions) blasts[{screen.number, blast.id}] = &blast;
  }
  int pedCount = 0;
  for (int slot = 0; slot < kSlots; ++slot) {
    const auto s = static_cast<std::size_t>(slot);
    const CastMember* member = shots.CastIn(slot);
    const std::string where = "slot " + std::to_string(slot) + ": ";
    if (member != nullptr) pedCount = slot + 1;
    if (member == nullptr && film.pedHandle[s] != 0) {
      out.push_back(where + "the film has a ped the shot list does not cast");
    } else if (member != nullptr && film.pedHandle[s] == 0) {
      out.push_back(where + "cast on line " + std::to_string(member->line) +
                    ", the film has no ped");
    } else if (member != nullptr &&
               (film.pedModel[s] != member->model || !Same(film.pedSpot[s], member->spot.pos))) {
      out.push_back(where + "cast like " + member->like + " (model " +
                    std::to_string(member->model) + ") at " + At(member->spot.pos) +
                    ", the film's ped is model " + std::to_string(film.pedModel[s]) + " at " +
                    At(film.pedSpot[s]));
    }
  }
  if (film.pedCount != pedCount) {
    out.push_back("the film plays " + std::to_string(film.pedCount) + " slots, the cast needs " +
                  std::to_string(pedCount));
  }
  for (int screen = 0; screen < kScreens; ++screen) {
    const std::string where = "screen " + std::to_string(screen);
    const int duration = film.durations[static_cast<std::size_t>(screen)];
    if (duration != durations[static_cast<std::size_t>(screen)]) {
      out.push_back(where + ": lasts " +
                    std::to_string(durations[static_cast<std::size_t>(screen)]) +
                    " s in the shot list, " + std::to_string(duration) + " s in the film");
    }
    for (int slot = 0; slot < kSlots; ++slot) {
      const auto found = cues.find({screen, slot});
      const sim::Cue& got = film.cue(screen, slot);
      const std::string want = found == cues.end() ? "no cue" : ShotCueWords(*found->second);
      const std::string have = FilmCueWords(report, got);
      if (want != have) {
        const std::string line =
            found == cues.end() ? "" : " (line " + std::to_string(found->second->line) + ")";
        out.push_back(where + " slot " + std::to_string(slot) + line + ": the shot list has '" +
                      want + "', the film has '" + have + "'");
      }
    }
    for (int id = 0; id < kExplosionIds; ++id) {
      const auto found = blasts.find({screen, id});
      const sim::Explosion& got = film.explosion(screen, id);
      std::string want = "no explosion", have = "no explosion";
      if (found != blasts.end()) {
        want = std::string(FindExplosionKind(found->second->kind)->word) + " at " +
               At(found->second->spot.pos);
      }
      if (got.set) {
        const ExplosionKindRow* kind = FindExplosionKind(got.kind);
        have = std::string(kind != nullptr ? kind->word : "kind " + std::to_string(got.kind)) +
               " at " + At(got.pos);
      }
      if (want != have) {
        out.push_back(where + " explosion #" + std::to_string(id) + ": the shot list has '" + want +
                      "', the film has '" + have + "'");
      }
    }
  }
  return out;
}

Verification Verify(const ShotList& shots, const Plan& plan, const std::string& scenarioText,
                    const sim::RunOptions& options) {
  Verification v;
  for (const ShotScreen& screen : shots.screens) {
    ++v.screens;
    v.cues += static_cast<int>(screen.cues.size());
    v.explosions += static_cast<int>(screen.explosions.size());
  }
  sim::Scenario scenario;
  const std::string problem = sim::ParseScenario("planned scenario", scenarioText, scenario);
  if (!problem.empty()) {
    v.differences.push_back("the planned scenario does not read: " + problem);
    return v;
  }
  Messages messages(plan);
  sim::RunOptions run = options;
  v.take = scenario.hasTake;
  run.extra.push_back(&messages);
  run.writeTrace = false;
  v.out = sim::RunScenario(scenario, run);
  v.ran = v.out.ok;
  if (!v.out.ok) {
    v.differences.push_back("the rehearsal did not run: " + v.out.error);
    return v;
  }
  // Every key shows its message, in the order planned.
  if (const std::string difference = messages.FirstDifference(); !difference.empty()) {
    v.differences.push_back(difference);
  }
  if (v.take) CheckTake(plan, messages, scenario.fps, v);
  const std::vector<std::string> film = CompareFilm(shots, v.out.film);
  v.differences.insert(v.differences.end(), film.begin(), film.end());
  const std::vector<sim::Show>& shows = v.out.film.shows;
  if (shows.size() != 1 || !shows[0].finished ||
      static_cast<int>(shows[0].steps.size()) != plan.playedScreens) {
    v.differences.push_back(
        "the show should play " + std::to_string(plan.playedScreens) + " screens once; " +
        std::to_string(shows.size()) + " shows were played" +
        (shows.empty() ? std::string()
                       : ", the first " + std::to_string(shows[0].steps.size()) + " screens" +
                             (shows[0].finished ? "" : " and was cut off")));
  }
  for (const std::string& p : v.out.film.problems) {
    v.differences.push_back("the film recorder lost track: " + p);
  }
  return v;
}

}  // namespace plan
