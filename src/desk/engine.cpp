#include "desk/engine.h"

#include "desk/files.h"
#include "desk/request.h"
#include "plan/planner.h"
#include "plan/script.h"
#include "plan/shots.h"
#include "plan/take.h"
#include "plan/verify.h"
#include "rehearsal/json.h"
#include "rehearsal/recorders.h"
#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "views/check.h"
#include "views/player.h"
#include "views/sheet.h"
#include "views/summary.h"

namespace desk {

namespace {

using sim::JsonObject;
using sim::JsonString;

// A JSON array of the items `item` writes, one for each of `items`.
template <typename Items, typename Item>
std::string Array(const Items& items, Item item) {
  std::string out = "[";
  for (const auto& each : items) out += (out.size() > 1 ? "," : "") + item(each);
  return out + "]";
}

std::string Pos(const world::Vec3& pos) {
  return "[" + sim::JsonNumber(pos.x) + "," + sim::JsonNumber(pos.y) + "," +
         sim::JsonNumber(pos.z) + "]";
}

std::string Spot(const plan::Spot& spot) {
  return JsonObject().Raw("pos", Pos(spot.pos)).Str("place", spot.place).str();
}

std::string Actor(const sim::Actor& actor) {
  return JsonObject()
      .Str("name", actor.name)
      .Int("model", actor.model)
      .Raw("pos", Pos(actor.pos))
      .Int("line", 0)
      .str();
}

std::string Cue(const plan::ShotCue& cue) {
  return JsonObject()
      .Int("slot", cue.slot)
      .Int("code", cue.code)
      .Str("words", plan::CueWords(cue))
      .Raw("spot", Spot(cue.spot))
      .Str("car", cue.car)
      .Int("target", cue.target)
      .Int("seat", cue.seat)
      .Int("weapon", cue.weapon)
      .Int("line", cue.line)
      .str();
}

std::string Screen(const plan::ShotScreen& screen) {
  const auto blast = [](const plan::ShotExplosion& b) {
    return JsonObject()
        .Int("kind", b.kind)
        .Int("id", b.id)
        .Raw("spot", Spot(b.spot))
        .Int("line", b.line)
        .str();
  };
  return JsonObject()
      .Int("number", screen.number)
      .Int("duration", screen.duration)
      .Int("line", screen.line)
      .Raw("cues", Array(screen.cues, Cue))
      .Raw("explosions", Array(screen.explosions, blast))
      .str();
}

// The shot list as it reads, for the page to draw and edit.
std::string ShotsJson(const plan::ShotList& shots) {
  const sim::Scenario& set = shots.setUp;
  const auto number = [](std::int32_t n) { return std::to_string(n); };
  const auto place = [](const plan::Place& p) {
    return JsonObject().Str("name", p.name).Raw("pos", Pos(p.pos)).Int("line", p.line).str();
  };
  const auto member = [](const plan::CastMember& m) {
    return JsonObject()
        .Int("slot", m.slot)
        .Str("like", m.like)
        .Int("model", m.model)
        .Raw("spot", Spot(m.spot))
        .Int("line", m.line)
        .str();
  };
  return JsonObject()
      .Raw("player",
           JsonObject().Raw("pos", Pos(set.playerPos)).Int("weapon", set.playerWeapon).str())
      .Raw("peds", Array(set.peds, Actor))
      .Raw("cars", Array(set.cars, Actor))
      .Raw("pedModels", Array(set.pedModels, number))
      .Raw("carModels", Array(set.carModels, number))
      .Raw("places", Array(shots.places, place))
      .Raw("cast", Array(shots.cast, member))
      .Raw("screens", Array(shots.screens, Screen))
      .str();
}

// The line of the cue a warning concerns, 0 when it concerns none.
int WarningLine(const plan::ShotList& shots, const sim::Warning& warning) {
  for (const plan::ShotScreen& screen : shots.screens) {
    if (screen.number != warning.screen) continue;
    for (const plan::ShotCue& cue : screen.cues) {
      if (cue.slot == warning.slot) return cue.line;
    }
  }
  return 0;
}

// When the plan's last key is pressed: how long recording takes in the game.
std::uint64_t RecordMs(const sim::Scenario& planned) {
  std::uint64_t last = 0;
  for (const sim::Action& action : planned.actions) {
    if (action.kind == sim::ActionKind::press) last = action.t;
  }
  return last;
}

std::string Shots(const std::string& file, const std::string& text) {
  plan::ShotList shots;
  const std::string problem = plan::ParseShotList(file, text, shots);
  if (!problem.empty()) {
    return JsonObject().Bool("ok", false).Raw("problems", Problems(file, problem)).str();
  }
  const std::string title = Title(file);
  const plan::Plan plan = plan::MakePlan(shots);
  const std::string scenarioText = plan::PlanScenarioText(shots, plan);
  sim::Scenario planned;
  sim::ParseScenario("planned scenario", scenarioText, planned);

  sim::PlayerRecorder player;
  sim::RunOptions run;
  run.review = sim::CheckFilm;
  run.extra.push_back(&player);
  const plan::Verification v = plan::Verify(shots, plan, scenarioText, run);
  const bool verified = v.differences.empty();

  JsonObject answer;
  answer.Bool("ok", verified).Raw("problems", "[]").Raw("shots", ShotsJson(shots));
  answer.Raw("plan", JsonObject()
                         .Int("keys", plan.keys)
                         .Int("bound", plan.lowerBound)
                         .Int("recordMs", static_cast<std::int64_t>(RecordMs(planned)))
                         .Int("showMs", static_cast<std::int64_t>(plan.showMs))
                         .str());
  answer.Bool("verified", verified).Raw("differences", Array(v.differences, JsonString));
  answer.Raw("warnings", Array(v.out.warnings, [&](const sim::Warning& w) {
               return JsonObject()
                   .Int("screen", w.screen)
                   .Int("slot", w.slot)
                   .Int("line", WarningLine(shots, w))
                   .Str("text", w.text)
                   .str();
             }));
  // As zenthar-plan, which writes the take only of a verified plan.
  if (verified) answer.Str("take", plan::TakeText(shots, plan, title));
  answer.Str("script", plan::ShootingScript(shots, plan, title)).Str("scenario", scenarioText);
  if (v.ran) answer.Raw("player", sim::PlayerData(v.out.film, player, planned, title));
  return answer.str();
}

std::string Rehearse(const std::string& file, const std::string& text, bool check) {
  sim::Scenario scenario;
  const std::string problem = ReadScenario(file, text, scenario);
  if (!problem.empty()) return Failure(problem);
  sim::RunOptions run;
  run.review = sim::CheckFilm;
  run.check = check;
  const sim::RunOutput out = sim::RunScenario(scenario, run);
  if (!out.ok) return Failure(out.error);
  return JsonObject()
      .Bool("ok", true)
      .Str("error", "")
      .Str("trace", out.trace)
      .Str("transcript", out.transcript + sim::RunSummary(out, check))
      .Str("sheet", sim::FilmSheet(out.film, Title(file), out.warnings))
      .str();
}

}  // namespace

std::string Answer(const std::string& json) {
  Request request;
  const std::string problem = ReadRequest(json, request);
  if (!problem.empty()) return Failure("request: " + problem);
  const std::string* op = request.Text("op");
  const std::string* file = request.Text("file");
  const std::string* text = request.Text("text");
  const std::string* as = request.Text("as");
  const char* const ops = "; the ops are shots, rehearse, open and export";
  if (op == nullptr) return Failure(std::string("request: no \"op\"") + ops);
  if (*op != "shots" && *op != "rehearse" && *op != "open" && *op != "export") {
    return Failure("request: unknown op '" + *op + "'" + ops);
  }
  if (file == nullptr || file->empty()) return Failure("request: no \"file\" to name the text");
  if (text == nullptr) return Failure("request: no \"text\"");
  if (*op == "shots") return Shots(*file, *text);
  if (*op == "rehearse") return Rehearse(*file, *text, request.Flag("check"));
  if (*op == "open") return Open(*file, *text);
  if (as == nullptr || !KnownExport(*as)) {
    return Failure("request: no \"as\" the export knows; it is player, storyboard or sheet");
  }
  return Export(*file, *text, *as);
}

}  // namespace desk
