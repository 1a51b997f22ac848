#include "world/world.h"

#include <algorithm>
#include <cmath>

namespace world {

float Distance(const Vec3& a, const Vec3& b) {
  const float dx = a.x - b.x;
  const float dy = a.y - b.y;
  const float dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

const char* TaskName(Task task) {
  switch (task) {
    case Task::idle:
      return "idle";
    case Task::walk:
      return "walk";
    case Task::drive:
      return "drive";
    case Task::openDoor:
      return "open-door";
    case Task::enterCar:
      return "enter-car";
    case Task::handsUp:
      return "hands-up";
    case Task::lookAtPed:
      return "look-at-ped";
    case Task::lookAtPosition:
      return "look-at-position";
    case Task::lookAtCar:
      return "look-at-car";
    case Task::aimAtPosition:
      return "aim-at-position";
    case Task::aimAtPed:
      return "aim-at-ped";
    case Task::combat:
      return "combat";
    case Task::dead:
      return "dead";
  }
  return "idle";
}

std::uint64_t Dice::Next() {
  // splitmix64: a full period over 64 bits, and the same numbers on every build.
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

Vec3 Dice::Aside(float radius) {
  // Drawn from the square until it falls in the circle: about four throws in three.
  for (;;) {
    const float x = Between(-radius, radius);
    const float y = Between(-radius, radius);
    if (x * x + y * y <= radius * radius) return {x, y, 0.0f};
  }
}

namespace {

Vec3 Plus(const Vec3& a, const Vec3& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}

// From `from` toward `to`, the fraction `f` of the way.
Vec3 Between(const Vec3& from, const Vec3& to, float f) {
  return {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f, from.z + (to.z - from.z) * f};
}

// The fraction of `ms` gone since `start`, at most 1.
float Gone(std::uint64_t now, std::uint64_t start, std::uint64_t ms) {
  return now >= start + ms ? 1.0f : static_cast<float>(now - start) / static_cast<float>(ms);
}

// Tasks that move a ped by themselves: a ped drifting as it settles stops when one begins.
bool Moves(Task task) {
  return task == Task::walk || task == Task::combat || task == Task::enterCar ||
         task == Task::openDoor;
}

}  // namespace

World::World() {
  Ped player;
  player.handle = kPlayerHandle;
  player.name = "player";
  player.player = true;
  player.weapons.insert(0);
  peds_.push_back(player);
}

void World::MakeRough(std::uint64_t seed) {
  rough_ = true;
  dice_ = Dice(seed);
  stallDice_ = Dice(seed ^ 0x5354414C4C53u);
  for (int n = 1; n <= kRoughPassersBy; ++n) {
    const Vec3 at = Plus(player().pos, dice_.Aside(kRoughPasserReach));
    AddPed("passer" + std::to_string(n), kRoughPasserModel + n - 1, at);
    peds_.back().passer = true;
    peds_.back().goal = at;
  }
}

std::uint64_t World::NextStall() {
  if (!rough_ || stallDice_.Next() % kRoughStallOdds != 0) return 0;
  constexpr std::uint64_t kLeast = 250;
  return kLeast + stallDice_.Next() % (kRoughStallMostMs - kLeast + 1);
}

std::int32_t World::AddPed(const std::string& name, std::int32_t model, Vec3 pos) {
  Ped ped;
  ped.handle = NextHandle();
  ped.name = name;
  ped.model = model;
  ped.pos = pos;
  ped.weapons.insert(0);
  peds_.push_back(ped);
  pedModels_.insert(model);
  return ped.handle;
}

std::int32_t World::AddCar(const std::string& name, std::int32_t model, Vec3 pos) {
  Car car;
  car.handle = NextHandle();
  car.name = name;
  car.model = model;
  car.pos = pos;
  cars_.push_back(car);
  carModels_.insert(model);
  return car.handle;
}

Ped* World::FindPed(std::int32_t handle) {
  for (Ped& ped : peds_) {
    if (ped.handle == handle) return &ped;
  }
  return nullptr;
}

Car* World::FindCar(std::int32_t handle) {
  for (Car& car : cars_) {
    if (car.handle == handle) return &car;
  }
  return nullptr;
}

Ped* World::FindPedByName(const std::string& name) {
  for (Ped& ped : peds_) {
    if (ped.name == name) return &ped;
  }
  return nullptr;
}

Car* World::FindCarByName(const std::string& name) {
  for (Car& car : cars_) {
    if (car.name == name) return &car;
  }
  return nullptr;
}

std::string World::PedName(std::int32_t handle) const {
  for (const Ped& ped : peds_) {
    if (ped.handle == handle) return ped.name;
  }
  return "";
}

std::string World::CarName(std::int32_t handle) const {
  for (const Car& car : cars_) {
    if (car.handle == handle) return car.name;
  }
  return "";
}

void World::Report(const Event& event) {
  if (observer_ != nullptr) observer_->OnWorldEvent(event);
}

void World::MovePlayer(Vec3 pos) {
  Ped& me = player();
  me.pos = pos;
  me.settling = false;
  if (Car* car = FindCar(me.car)) {
    car->pos = pos;
    car->rolling = false;
  }
}

void World::GiveWeapon(Ped& ped, std::int32_t weapon) {
  ped.weapons.insert(weapon);
  ped.weapon = weapon;
}

void World::Seat(Ped& ped, Car& car, int seat) {
  if (seat == kDriverSeat) {
    car.driver = ped.handle;
  } else {
    car.passengers[seat] = ped.handle;
  }
  ped.car = car.handle;
  ped.seat = seat;
  ped.pos = car.pos;
  ped.settling = false;
}

void World::PlayerEnter(Car& car) {
  WarpIntoCar(player(), car);
}

void World::LeaveCar(Ped& ped) {
  Car* car = FindCar(ped.car);
  if (car == nullptr) return;
  if (ped.seat == kDriverSeat) {
    car->driver = 0;
    car->driving = false;
    ped.pos = {car->pos.x - 2.0f, car->pos.y, car->pos.z};
  } else {
    car->passengers[ped.seat] = 0;
    ped.pos = {car->pos.x + 2.0f, car->pos.y + 1.0f * static_cast<float>(ped.seat), car->pos.z};
  }
  ped.car = 0;
  ped.seat = kDriverSeat;
  ped.settling = false;
  Report({"left-car", ped.name, car->name, ""});
}

std::int32_t World::CreatePed(std::int32_t model, Vec3 pos, bool cast) {
  const std::string name =
      cast ? "cast" + std::to_string(++castCount_) : "extra" + std::to_string(++extraCount_);
  const std::int32_t handle = AddPed(name, model, pos);
  Ped& ped = peds_.back();
  ped.cast = cast;
  ped.pos = SetDown(ped, pos);
  Report({"created", name, "", "model " + std::to_string(model), true, ped.pos});
  return handle;
}

std::int32_t World::CreateCar(std::int32_t model, Vec3 pos) {
  const std::size_t n = static_cast<std::size_t>(createdCars_++);
  const std::string name = n < carNames_.size() ? carNames_[n] : "car" + std::to_string(n + 1);
  const std::int32_t handle = AddCar(name, model, pos);
  if (rough_) {
    Car& car = cars_.back();
    car.rolling = true;
    car.madeAt = pos;
    car.rollsTo = Plus(pos, dice_.Aside(kRoughRollMost));
    car.rollStart = now_;
  }
  Report({"created", "", name, "model " + std::to_string(model), true, pos});
  return handle;
}

Vec3 World::SetDown(Ped& ped, Vec3 spot) {
  if (!rough_) return spot;
  ped.landed = Plus(spot, dice_.Aside(kRoughAsideMost));
  ped.landed.z -= dice_.Between(0.0f, kRoughSinkMost);
  ped.rests = Plus(spot, dice_.Aside(kRoughAsideMost));
  ped.rests.z -= dice_.Between(0.0f, kRoughSinkMost);
  ped.settling = true;
  ped.settleStart = now_;
  return ped.landed;
}

// A ped set down somewhere takes the car it sits in along, as the game does.
void World::MovePed(Ped& ped, Vec3 pos) {
  if (Car* car = FindCar(ped.car)) {
    MoveCar(*car, pos);
  } else {
    ped.pos = SetDown(ped, pos);
  }
  Report({"moved", ped.name, "", "", true, ped.pos});
}

void World::MoveCar(Car& car, Vec3 pos) {
  car.pos = pos;
  car.rolling = false;
  for (Ped& ped : peds_) {
    if (ped.car == car.handle) ped.pos = pos;
  }
}

void World::WarpIntoCar(Ped& ped, Car& car) {
  if (ped.car != 0) LeaveCar(ped);
  if (Ped* driver = FindPed(car.driver)) LeaveCar(*driver);
  Seat(ped, car, kDriverSeat);
  Report({"seated", ped.name, car.name, "driver"});
}

void World::RequestModel(std::int32_t model) {
  if (!requested_.emplace(model, steps_).second || !rough_) return;
  streamed_[model] =
      now_ + static_cast<std::uint64_t>(dice_.Unit() * static_cast<float>(kRoughModelDelayMostMs));
}

bool World::ModelLoaded(std::int32_t model) const {
  const auto found = requested_.find(model);
  if (found == requested_.end() || !(IsPedModel(model) || IsCarModel(model)) ||
      steps_ - found->second < kModelLoadSteps) {
    return false;
  }
  const auto streamed = streamed_.find(model);
  return streamed == streamed_.end() || now_ >= streamed->second;
}

void World::ReleaseModel(std::int32_t model) {
  requested_.erase(model);
  streamed_.erase(model);
}

bool World::RemovePed(std::int32_t handle) {
  Ped* ped = FindPed(handle);
  if (ped == nullptr || ped->player) return false;
  if (Car* car = FindCar(ped->car)) {
    if (ped->seat == kDriverSeat) {
      car->driver = 0;
      car->driving = false;
    } else {
      car->passengers[ped->seat] = 0;
    }
  }
  Report({"deleted", ped->name, "", ""});
  peds_.erase(peds_.begin() + (ped - peds_.data()));
  return true;
}

bool World::RemoveCar(std::int32_t handle) {
  Car* car = FindCar(handle);
  if (car == nullptr) return false;
  for (Ped& ped : peds_) {
    if (ped.car == handle) LeaveCar(ped);
  }
  car = FindCar(handle);
  Report({"removed", "", car->name, ""});
  cars_.erase(cars_.begin() + (car - cars_.data()));
  return true;
}

void World::Kill(Ped& ped, const char* cause) {
  if (ped.dead() || ped.player) return;
  ped.health = 0;
  ped.task = Task::dead;
  ped.phone = false;
  ped.burning = false;
  Report({"died", ped.name, "", cause, true, ped.pos});
}

void World::KillOccupants(Car& car, const char* cause) {
  std::vector<std::int32_t> occupants{car.driver};
  occupants.insert(occupants.end(), std::begin(car.passengers), std::end(car.passengers));
  for (std::int32_t handle : occupants) {
    if (Ped* ped = FindPed(handle)) Kill(*ped, cause);
  }
}

void World::Wreck(Car& car, const char* cause) {
  if (car.wrecked) return;
  car.wrecked = true;
  car.driving = false;
  Report({"wrecked", "", car.name, cause, true, car.pos});
  KillOccupants(car, cause);
}

void World::Explode(Vec3 pos, std::int32_t kind, float radius) {
  Report({"explosion", "", "", "kind " + std::to_string(kind), true, pos});
  for (Car& car : cars_) {
    if (Distance(car.pos, pos) <= radius) Wreck(car, "explosion");
  }
  for (Ped& ped : peds_) {
    if (Distance(ped.pos, pos) <= radius) Kill(ped, "explosion");
  }
}

void World::SetTask(Ped& ped, Task task) {
  if (ped.dead()) return;
  ped.task = task;
}

void World::StartEnterCar(Ped& ped, Car& car, int seat) {
  if (ped.dead()) return;
  ped.task = Task::enterCar;
  ped.subject = car.handle;
  ped.wantedSeat = seat;
}

std::int32_t World::SetOnFire(Ped& ped) {
  if (!ped.dead()) {
    ped.burning = true;
    ped.burnEnds = now_ + kBurnMs;
    Report({"burning", ped.name, "", "", true, ped.pos});
  }
  return nextFire_++;
}

std::int32_t World::ClosestPed(Vec3 pos, float radius) const {
  std::int32_t best = 0;
  float bestDistance = radius;
  for (const Ped& ped : peds_) {
    if (ped.player) continue;
    const float d = Distance(ped.pos, pos);
    if (d <= bestDistance && (best == 0 || d < bestDistance)) {
      best = ped.handle;
      bestDistance = d;
    }
  }
  return best;
}

std::int32_t World::RandomPedInBox(Vec3 low, Vec3 high) {
  std::vector<std::int32_t> inside;
  for (const Ped& ped : peds_) {
    if (ped.player) continue;
    if (ped.pos.x >= low.x && ped.pos.x <= high.x && ped.pos.y >= low.y && ped.pos.y <= high.y &&
        ped.pos.z >= low.z && ped.pos.z <= high.z) {
      inside.push_back(ped.handle);
    }
  }
  if (inside.empty()) return 0;
  randomState_ ^= randomState_ << 13;
  randomState_ ^= randomState_ >> 17;
  randomState_ ^= randomState_ << 5;
  return inside[randomState_ % inside.size()];
}

bool World::MoveToward(Vec3& pos, const Vec3& goal, float distance) {
  const float left = Distance(pos, goal);
  if (left <= distance) {
    pos = goal;
    return true;
  }
  const float f = distance / left;
  pos.x += (goal.x - pos.x) * f;
  pos.y += (goal.y - pos.y) * f;
  pos.z += (goal.z - pos.z) * f;
  return false;
}

void World::Settle(Ped& ped) {
  if (!ped.settling) return;
  if (ped.car != 0 || Moves(ped.task)) {
    ped.settling = false;
    return;
  }
  const float f = Gone(now_, ped.settleStart, kRoughSettleMs);
  ped.pos = Between(ped.landed, ped.rests, f);
  ped.settling = f < 1.0f;
}

void World::Roll(Car& car) {
  if (car.driving || car.wrecked) car.rolling = false;
  if (!car.rolling) return;
  const float f = Gone(now_, car.rollStart, kRoughRollMs);
  MoveCar(car, Between(car.madeAt, car.rollsTo, f));
  car.rolling = f < 1.0f;
}

// A passer-by walks to a spot about the player, stands there a while, and picks another; one
// left far behind by the player turns up about the player again.
void World::Wander(Ped& passer, float seconds) {
  const Vec3 me = player().pos;
  if (Distance(passer.pos, me) > 3.0f * kRoughPasserReach) {
    passer.pos = Plus(me, dice_.Aside(kRoughPasserReach));
    passer.goal = passer.pos;
  }
  if (now_ < passer.taskEnds) return;
  if (!MoveToward(passer.pos, passer.goal, kWalkSpeed * seconds)) return;
  passer.taskEnds = now_ + 500 + dice_.Next() % 2501;
  const bool beside = dice_.Unit() < 0.25f;
  passer.goal = Plus(me, dice_.Aside(beside ? kRoughBesideMost : kRoughPasserReach));
}

void World::StepCar(Car& car, float seconds) {
  Roll(car);
  if (!car.driving || car.wrecked) return;
  const bool arrived = MoveToward(car.pos, car.goal, car.speed * seconds);
  for (Ped& ped : peds_) {
    if (ped.car == car.handle) ped.pos = car.pos;
  }
  if (arrived) {
    car.driving = false;
    if (Ped* driver = FindPed(car.driver)) {
      if (driver->task == Task::drive) driver->task = Task::idle;
    }
    Report({"arrived", PedName(car.driver), car.name, "", true, car.pos});
  }
}

void World::StepPed(Ped& ped, float seconds) {
  if (ped.burning && now_ >= ped.burnEnds) Kill(ped, "fire");
  Settle(ped);
  if (ped.dead() || ped.player) return;
  if (ped.passer) return Wander(ped, seconds);
  switch (ped.task) {
    case Task::walk:
      // A ped in a car cannot walk; it gives up when its time is out like any other.
      if (ped.car == 0 && MoveToward(ped.pos, ped.goal, kWalkSpeed * seconds)) {
        ped.task = Task::idle;
        Report({"arrived", ped.name, "", "", true, ped.pos});
      } else if (now_ >= ped.taskEnds) {
        ped.task = Task::idle;
        Report({"gave-up", ped.name, "", "walk", true, ped.pos});
      }
      break;
    case Task::openDoor:
    case Task::enterCar: {
      Car* car = FindCar(ped.subject);
      if (car == nullptr || car->wrecked) {
        ped.task = Task::idle;
        break;
      }
      // A ped already in this car is at the door at once; it only has a seat to change, if any.
      const bool inside = ped.car == car->handle;
      if (inside && (ped.task == Task::openDoor || ped.seat == ped.wantedSeat)) {
        ped.task = Task::idle;
        break;
      }
      if (!inside) {
        if (ped.car != 0) LeaveCar(ped);
        if (!MoveToward(ped.pos, car->pos, kWalkSpeed * seconds) &&
            Distance(ped.pos, car->pos) > kReachDistance) {
          break;
        }
        if (ped.task == Task::openDoor) break;
      }
      ped.task = Task::idle;
      const int seat = ped.wantedSeat;
      const std::int32_t holder = seat == kDriverSeat ? car->driver : car->passengers[seat];
      if (holder != 0) {
        Report({"seat-taken", ped.name, car->name,
                seat == kDriverSeat ? "driver" : std::to_string(seat)});
        break;
      }
      if (inside) {
        if (ped.seat == kDriverSeat) {
          car->driver = 0;
          car->driving = false;
        } else {
          car->passengers[ped.seat] = 0;
        }
      }
      Seat(ped, *car, seat);
      Report({"seated", ped.name, car->name,
              seat == kDriverSeat ? "driver" : "passenger " + std::to_string(seat)});
      break;
    }
    case Task::combat: {
      const Ped* target = FindPed(ped.subject);
      if (target == nullptr || ped.car != 0) break;
      if (Distance(ped.pos, target->pos) > kReachDistance) {
        Vec3 goal = target->pos;
        MoveToward(ped.pos, goal, kRunSpeed * seconds);
      }
      break;
    }
    default:
      break;
  }
}

void World::Step(std::uint64_t now, std::uint32_t elapsedMs) {
  now_ = now;
  ++steps_;
  const float seconds = static_cast<float>(elapsedMs) / 1000.0f;
  for (Car& car : cars_) StepCar(car, seconds);
  for (std::size_t i = 0; i < peds_.size(); ++i) StepPed(peds_[i], seconds);
}

}  // namespace world
