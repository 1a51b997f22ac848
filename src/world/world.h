// A small deterministic game world: the player, peds and cars, advanced once per host tick on
// virtual time. It answers the natives the plug-in calls and reports what happens in it.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace world {

struct Vec3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

float Distance(const Vec3& a, const Vec3& b);

enum class Task {
  idle,
  walk,
  drive,
  openDoor,
  enterCar,
  handsUp,
  lookAtPed,
  lookAtPosition,
  lookAtCar,
  aimAtPosition,
  aimAtPed,
  combat,
  dead,
};

const char* TaskName(Task task);

constexpr std::int32_t kPlayerHandle = 1;
constexpr int kDriverSeat = -1;
constexpr int kPassengerSeats = 4;
constexpr float kWalkSpeed = 1.4f;  // units a second
constexpr float kRunSpeed = 4.0f;   // combat approach
constexpr float kReachDistance = 2.0f;
constexpr std::uint64_t kBurnMs = 3000;
constexpr std::uint64_t kModelLoadSteps = 3;

// A rough world does not do quite as it is told, as a game does not. These are its bounds: a take
// holds to them (src/take) and the round trips rely on them.
// A ped a script sets down on foot lands up to a unit below the spot and up to half a unit aside,
// then drifts, within the same bounds, to where it rests.
constexpr float kRoughSinkMost = 1.0f;
constexpr float kRoughAsideMost = 0.5f;
constexpr std::uint64_t kRoughSettleMs = 400;
// Passers-by walk about the player; now and then one stands right beside the player, nearer than
// anyone a script puts there.
constexpr int kRoughPassersBy = 4;
constexpr std::int32_t kRoughPasserModel = 3001;  // passer N has model 3000 + N
constexpr float kRoughPasserReach = 8.0f;         // how far from the player they wander
constexpr float kRoughBesideMost = 0.4f;          // how near the one beside the player stands
// A model streams in up to this much later than in a calm world.
constexpr std::uint64_t kRoughModelDelayMostMs = 200;
// A car a script makes rolls up to half a unit over a second; a car set down stays put.
constexpr float kRoughRollMost = 0.5f;
constexpr std::uint64_t kRoughRollMs = 1000;
// About one tick in kRoughStallOdds comes late, by up to kRoughStallMostMs.
constexpr int kRoughStallOdds = 300;
constexpr std::uint64_t kRoughStallMostMs = 4000;

// Seeded dice that throw the same on every build: whole-number arithmetic only.
class Dice {
 public:
  explicit Dice(std::uint64_t seed = 0) : state_(seed) {}
  std::uint64_t Next();
  // In [0, 1).
  float Unit() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }
  float Between(float low, float high) { return low + (high - low) * Unit(); }
  // An offset within `radius` of the origin, in the ground's plane.
  Vec3 Aside(float radius);

 private:
  std::uint64_t state_;
};

struct Ped {
  std::int32_t handle = 0;
  std::string name;
  std::int32_t model = 0;
  Vec3 pos;
  std::int32_t weapon = 0;
  std::set<std::int32_t> weapons;
  int health = 100;
  Task task = Task::idle;
  Vec3 goal;                 // where a walk, look or aim is directed
  std::int32_t subject = 0;  // ped or car a task is about
  int wantedSeat = kDriverSeat;
  std::uint64_t taskEnds = 0;  // when a walk gives up
  std::int32_t car = 0;        // car the ped sits in, 0 on foot
  int seat = kDriverSeat;
  bool phone = false;
  bool burning = false;
  std::uint64_t burnEnds = 0;
  bool player = false;
  bool cast = false;    // created by the plug-in
  bool passer = false;  // a passer-by of a rough world
  // A rough world's ped, set down by a script, drifting from where it landed to where it rests.
  bool settling = false;
  Vec3 landed, rests;
  std::uint64_t settleStart = 0;
  bool dead() const { return health <= 0; }
};

struct Car {
  std::int32_t handle = 0;
  std::string name;
  std::int32_t model = 0;
  Vec3 pos;
  std::int32_t driver = 0;
  std::int32_t passengers[kPassengerSeats] = {};
  bool wrecked = false;
  bool driving = false;
  Vec3 goal;
  float speed = 0.0f;
  // A rough world's car, made by a script, rolling from where it was made.
  bool rolling = false;
  Vec3 madeAt, rollsTo;
  std::uint64_t rollStart = 0;
};

// Something that happened in the world, for the trace and the transcript.
struct Event {
  std::string what;  // created, deleted, arrived, gave-up, seated, left-car, died, burning,
                     // wrecked, explosion, horn, shot, seat-taken
  std::string ped;
  std::string car;
  std::string detail;
  bool hasPos = false;
  Vec3 pos;
};

class Observer {
 public:
  virtual ~Observer() = default;
  virtual void OnWorldEvent(const Event& event) = 0;
};

class World {
 public:
  World();

  // From now on the world is rough (above), its dice thrown from `seed`: the same seed, the same
  // world. Called once, before the set-up's peds and cars; the passers-by join the world here.
  void MakeRough(std::uint64_t seed);
  bool rough() const { return rough_; }
  // How late the next tick comes, in ms: 0 in a calm world.
  std::uint64_t NextStall();

  // Set-up, from a scenario.
  std::int32_t AddPed(const std::string& name, std::int32_t model, Vec3 pos);
  std::int32_t AddCar(const std::string& name, std::int32_t model, Vec3 pos);
  void DeclarePedModel(std::int32_t model) { pedModels_.insert(model); }
  void DeclareCarModel(std::int32_t model) { carModels_.insert(model); }
  bool IsPedModel(std::int32_t model) const { return pedModels_.count(model) != 0; }
  bool IsCarModel(std::int32_t model) const { return carModels_.count(model) != 0; }
  // The names the cars that scripts create get, in the order they are created; "car1", "car2",
  // ... once these are used up.
  void NameCreatedCars(std::vector<std::string> names) { carNames_ = std::move(names); }
  void SetObserver(Observer* observer) { observer_ = observer; }

  // The player, as the person at the keyboard moves them.
  Ped& player() { return peds_.front(); }
  const Ped& player() const { return peds_.front(); }
  void MovePlayer(Vec3 pos);
  void GiveWeapon(Ped& ped, std::int32_t weapon);
  void PlayerEnter(Car& car);  // into the driver's seat
  void LeaveCar(Ped& ped);

  Ped* FindPed(std::int32_t handle);
  Car* FindCar(std::int32_t handle);
  Ped* FindPedByName(const std::string& name);
  Car* FindCarByName(const std::string& name);
  const std::vector<Ped>& peds() const { return peds_; }
  const std::vector<Car>& cars() const { return cars_; }
  std::string PedName(std::int32_t handle) const;
  std::string CarName(std::int32_t handle) const;

  // Effects the natives and the scenario have on the world.
  // A ped a script creates: the plug-in's are the cast (cast1, cast2, ...), any other script's
  // are extras (extra1, ...).
  std::int32_t CreatePed(std::int32_t model, Vec3 pos, bool cast);
  std::int32_t CreateCar(std::int32_t model, Vec3 pos);
  // A script sets a ped down (in a car, the car comes along and lands where it is told).
  void MovePed(Ped& ped, Vec3 pos);
  void MoveCar(Car& car, Vec3 pos);
  void WarpIntoCar(Ped& ped, Car& car);
  // Model streaming, as scripts see it: a model they request is loaded a few steps later if
  // the game has it (a rough world's, also up to kRoughModelDelayMostMs later), and stays loaded
  // until they let it go.
  void RequestModel(std::int32_t model);
  bool ModelLoaded(std::int32_t model) const;
  void ReleaseModel(std::int32_t model);
  bool RemovePed(std::int32_t handle);
  bool RemoveCar(std::int32_t handle);
  void Kill(Ped& ped, const char* cause);
  void Wreck(Car& car, const char* cause);
  void Explode(Vec3 pos, std::int32_t kind, float radius);
  void StartEnterCar(Ped& ped, Car& car, int seat);
  void SetTask(Ped& ped, Task task);
  std::int32_t SetOnFire(Ped& ped);
  std::int32_t ClosestPed(Vec3 pos, float radius) const;
  std::int32_t RandomPedInBox(Vec3 low, Vec3 high);
  void Report(const Event& event);

  // Advances every task by one host tick ending at `now`.
  void Step(std::uint64_t now, std::uint32_t elapsedMs);
  std::uint64_t now() const { return now_; }

 private:
  std::int32_t NextHandle() { return nextHandle_++; }
  void StepPed(Ped& ped, float seconds);
  void StepCar(Car& car, float seconds);
  bool MoveToward(Vec3& pos, const Vec3& goal, float distance);
  void Seat(Ped& ped, Car& car, int seat);
  void KillOccupants(Car& car, const char* cause);
  // Where a ped a script sets down on foot stands: the spot in a calm world.
  Vec3 SetDown(Ped& ped, Vec3 spot);
  void Settle(Ped& ped);
  void Roll(Car& car);
  void Wander(Ped& passer, float seconds);

  std::vector<Ped> peds_;
  std::vector<Car> cars_;
  std::set<std::int32_t> pedModels_;
  std::set<std::int32_t> carModels_;
  std::map<std::int32_t, std::uint64_t> requested_;  // model: the step it was requested at
  std::map<std::int32_t, std::uint64_t> streamed_;   // model: when a rough world has it loaded
  std::uint64_t steps_ = 0;
  std::vector<std::string> carNames_;
  int createdCars_ = 0;
  int extraCount_ = 0;
  Observer* observer_ = nullptr;
  std::int32_t nextHandle_ = 100;
  std::int32_t nextFire_ = 1;
  int castCount_ = 0;
  std::uint32_t randomState_ = 0x2545F491u;
  std::uint64_t now_ = 0;
  bool rough_ = false;
  Dice dice_;       // where things land, roll and wander, and when models stream in
  Dice stallDice_;  // which ticks come late: its own, so that what happens in the world
                    // does not move the stalls
};

}  // namespace world
