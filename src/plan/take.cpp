#include "plan/take.h"

#include <set>

#include "rehearsal/decimal.h"
#include "rehearsal/scenario.h"
#include "take/take_file.h"

namespace plan {

namespace {

// Take rehearsals tick as the game does.
constexpr int kTakeFps = 30;
// Generous room for what a take spends besides one tick a key: model loads, the doors of the
// car-entering commands, the end of the show.
constexpr std::uint64_t kTakeSlackMs = 5000;
constexpr std::uint64_t kDoorWaitMs = 1000;

// The shortest decimal without an exponent that reads back as `value`.
template <typename Real>
std::string Fixed(Real value) {
  return sim::ShortestFixed(value);
}

bool LandsOn(const std::string& text, float at, float start) {
  double offset = 0;
  return take::ReadNumber(text.c_str(), offset) &&
         static_cast<float>(static_cast<double>(start) + offset) == at;
}

std::string RelativePlace(const world::Vec3& at, const world::Vec3& start) {
  return RelativeNumber(at.x, start.x) + " " + RelativeNumber(at.y, start.y) + " " +
         RelativeNumber(at.z, start.z);
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// One plan step as take lines.
std::string StepLines(const PlanStep& step, const world::Vec3& start) {
  switch (step.kind) {
    case PlanStep::Kind::heading:
      return "\n# " + step.text + "\n";
    case PlanStep::Kind::walk:
      return "move " + RelativePlace(step.spot.pos, start) + "\n";
    case PlanStep::Kind::enter:
      return "enter " + step.car + "\n";
    case PlanStep::Kind::leave:
      return "leave at " + RelativePlace(step.spot.pos, start) + "\n";
    case PlanStep::Kind::weapon:
      return "weapon " + std::to_string(step.weapon) + "\n";
    case PlanStep::Kind::key:
      if (step.model != 0) return "capture " + std::to_string(step.model) + "\n";
      return "press " + sim::KeyName(step.key) + " " + Quoted(step.message) + "\n";
  }
  return "";
}

}  // namespace

std::string RelativeNumber(float at, float start) {
  std::string near = Fixed(at - start);
  if (LandsOn(near, at, start)) return near;
  // The difference of two floats is exact in a double.
  return Fixed(static_cast<double>(at) - static_cast<double>(start));
}

std::string TakeText(const ShotList& shots, const Plan& plan, const std::string& title) {
  const sim::Scenario& set = shots.setUp;
  const world::Vec3& start = set.playerPos;
  std::string out = "zenthar-take " + std::to_string(take::kTakeVersion) + "\n";
  out += "# The take of " + title +
         ", planned and verified by zenthar-plan: " + std::to_string(plan.keys) + " keys.\n";
  out += "# Copy it next to the game as zenthar.take, stand where the film starts, on foot, with\n";
  out += "# Zenthar just loaded, and press the take runner's start key (F9). Places are relative\n";
  out += "# to where you stand then.\n";
  out += "\n# The set\n";
  if (set.playerWeapon != 0) out += "weapon " + std::to_string(set.playerWeapon) + "\n";
  for (const sim::Actor& car : set.cars) {
    out += "car " + car.name + " model " + std::to_string(car.model) + " at " +
           RelativePlace(car.pos, start) + "\n";
  }
  for (const PlanStep& step : plan.steps) out += StepLines(step, start);
  return out;
}

std::string TakeScenarioText(const ShotList& shots, const Plan& plan, const std::string& takePath) {
  const sim::Scenario& set = shots.setUp;
  std::string out = "# The take of " + shots.file + " rehearsed through the take runner.\n";
  out += "fps " + std::to_string(kTakeFps) + "\n";
  out += "player at " + Number(set.playerPos.x) + " " + Number(set.playerPos.y) + " " +
         Number(set.playerPos.z) + "\n";
  std::set<std::int32_t> peds, cars;
  for (const CastMember& member : shots.cast) peds.insert(member.model);
  for (const sim::Actor& car : set.cars) cars.insert(car.model);
  for (std::int32_t model : peds) out += "model " + std::to_string(model) + " ped\n";
  for (std::int32_t model : cars) out += "model " + std::to_string(model) + " car\n";
  out += "take " + sim::QuoteWord(takePath) + "\n";
  out += "at 0.1 press f9\n";
  // A tick a key and one for each other step, the doors the keys open, the show.
  std::uint64_t ms = 100 + plan.showMs + kTakeSlackMs;
  for (const PlanStep& step : plan.steps) {
    ms += 1000 / kTakeFps + 1;
    if (step.kind == PlanStep::Kind::key && (step.key == 102 || step.key == 105)) {
      ms += kDoorWaitMs;
    }
  }
  out += "run " + std::to_string(ms / 1000 + 1) + "\n";
  return out;
}

Verification VerifyTake(const ShotList& shots, const Plan& plan, const std::string& takePath,
                        const sim::RunOptions& options) {
  return Verify(shots, plan, TakeScenarioText(shots, plan, takePath), options);
}

}  // namespace plan
