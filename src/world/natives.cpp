#include "world/natives.h"

#include <array>
#include <cstring>
#include <utility>

#include "natives/native_context.h"
#include "tessel/host.h"

namespace world {

namespace {

World* current = nullptr;
CallObserver* observer = nullptr;
const NativeThread* castMaker = nullptr;

// The arguments of one call, read from the record's slots by the row's shape.
class Args {
 public:
  explicit Args(NativeCallContext* context) : context_(context) {}
  std::int32_t I(unsigned n) const {
    std::int32_t v = 0;
    std::memcpy(&v, &context_->slots[n], sizeof v);
    return v;
  }
  float F(unsigned n) const {
    float v = 0.0f;
    std::memcpy(&v, &context_->slots[n], sizeof v);
    return v;
  }
  bool B(unsigned n) const {
    unsigned char v = 0;
    std::memcpy(&v, &context_->slots[n], sizeof v);
    return v != 0;
  }
  const char* S(unsigned n) const { return reinterpret_cast<const char*>(context_->slots[n]); }
  std::int32_t* OutI(unsigned n) const {
    return reinterpret_cast<std::int32_t*>(context_->slots[n]);
  }
  float* OutF(unsigned n) const { return reinterpret_cast<float*>(context_->slots[n]); }
  Vec3 Pos(unsigned n) const { return {F(n), F(n + 1), F(n + 2)}; }
  void Return(std::int32_t value) { result_ = value; }
  std::int32_t result() const { return result_; }

 private:
  NativeCallContext* context_;
  std::int32_t result_ = 0;
};

void Write(std::int32_t* out, std::int32_t value) {
  if (out != nullptr) *out = value;
}
void Write(float* out, float value) {
  if (out != nullptr) *out = value;
}

Ped* LivePed(const Args& a, unsigned n) {
  Ped* ped = current->FindPed(a.I(n));
  return ped != nullptr && !ped->dead() ? ped : nullptr;
}

// Tasks directed at another ped, a position or a car: the ped must be alive, the ped or car
// it is directed at must exist.
template <Task kTask>
void TaskAtPed(World& w, Args& a) {
  Ped* ped = LivePed(a, 0);
  if (ped == nullptr || w.FindPed(a.I(1)) == nullptr) return;
  w.SetTask(*ped, kTask);
  ped->subject = a.I(1);
}

template <Task kTask>
void TaskAtPosition(World& w, Args& a) {
  if (Ped* ped = LivePed(a, 0)) {
    w.SetTask(*ped, kTask);
    ped->goal = a.Pos(1);
  }
}

template <Task kTask>
void TaskAtCar(World& w, Args& a) {
  Ped* ped = LivePed(a, 0);
  if (ped == nullptr || w.FindCar(a.I(1)) == nullptr) return;
  w.SetTask(*ped, kTask);
  ped->subject = a.I(1);
}

// Shapes: i integer, f float, b bool, s string, I integer out, F float out.
// Results: i integer, b bool, v none (slot 0 is written 0).
struct Row {
  const char* name;
  const char* shape;
  char result;
  void (*run)(World& w, Args& a);
};

const Row kRows[] = {
    {"GET_PLAYER_ID", "", 'i', [](World&, Args& a) { a.Return(0); }},
    {"CONVERT_INT_TO_PLAYERINDEX", "i", 'i', [](World&, Args& a) { a.Return(a.I(0)); }},
    {"GET_PLAYER_CHAR", "iI", 'v',
     [](World& w, Args& a) {
       if (a.I(0) == 0) Write(a.OutI(1), w.player().handle);
     }},
    {"CREATE_CHAR", "iifffIb", 'v',
     [](World& w, Args& a) {
       if (!w.IsPedModel(a.I(1))) return;
       const bool cast = castMaker == nullptr || tessel::RunningThread() == castMaker;
       Write(a.OutI(5), w.CreatePed(a.I(1), a.Pos(2), cast));
     }},
    {"DELETE_CHAR", "I", 'v',
     [](World& w, Args& a) {
       if (std::int32_t* handle = a.OutI(0)) {
         w.RemovePed(*handle);
         *handle = 0;
       }
     }},
    {"DOES_CHAR_EXIST", "i", 'b',
     [](World& w, Args& a) { a.Return(w.FindPed(a.I(0)) != nullptr); }},
    {"IS_CHAR_IN_ANY_CAR", "i", 'b',
     [](World& w, Args& a) {
       const Ped* ped = w.FindPed(a.I(0));
       a.Return(ped != nullptr && ped->car != 0);
     }},
    {"IS_THIS_MODEL_A_PED", "i", 'b', [](World& w, Args& a) { a.Return(w.IsPedModel(a.I(0))); }},
    {"GET_CHAR_MODEL", "iI", 'v',
     [](World& w, Args& a) {
       if (const Ped* ped = w.FindPed(a.I(0))) Write(a.OutI(1), ped->model);
     }},
    {"GET_CLOSEST_CHAR", "ffffiiI", 'b',
     [](World& w, Args& a) {
       const std::int32_t found = w.ClosestPed(a.Pos(0), a.F(3));
       if (found != 0) Write(a.OutI(6), found);
       a.Return(found != 0);
     }},
    {"GET_RANDOM_CHAR_IN_AREA_OFFSET_NO_SAVE", "ffffffI", 'v',
     [](World& w, Args& a) {
       const std::int32_t found = w.RandomPedInBox(a.Pos(0), a.Pos(3));
       if (found != 0) Write(a.OutI(6), found);
     }},
    {"GET_CHAR_COORDINATES", "iFFF", 'v',
     [](World& w, Args& a) {
       if (const Ped* ped = w.FindPed(a.I(0))) {
         Write(a.OutF(1), ped->pos.x);
         Write(a.OutF(2), ped->pos.y);
         Write(a.OutF(3), ped->pos.z);
       }
     }},
    {"GET_CURRENT_CHAR_WEAPON", "iI", 'v',
     [](World& w, Args& a) {
       if (const Ped* ped = w.FindPed(a.I(0))) Write(a.OutI(1), ped->weapon);
     }},
    {"GIVE_WEAPON_TO_CHAR", "iiib", 'v',
     [](World& w, Args& a) {
       if (Ped* ped = LivePed(a, 0)) ped->weapons.insert(a.I(1));
     }},
    {"GET_CAR_CHAR_IS_USING", "iI", 'v',
     [](World& w, Args& a) {
       const Ped* ped = w.FindPed(a.I(0));
       if (ped != nullptr && ped->car != 0) Write(a.OutI(1), ped->car);
     }},
    {"DOES_VEHICLE_EXIST", "i", 'b',
     [](World& w, Args& a) { a.Return(w.FindCar(a.I(0)) != nullptr); }},
    {"TASK_GO_STRAIGHT_TO_COORD", "ifffii", 'v',
     [](World& w, Args& a) {
       if (Ped* ped = LivePed(a, 0)) {
         w.SetTask(*ped, Task::walk);
         ped->goal = a.Pos(1);
         ped->taskEnds = w.now() + static_cast<std::uint32_t>(a.I(5));
       }
     }},
    {"TASK_CAR_MISSION_COORS_TARGET", "iifffifiii", 'v',
     [](World& w, Args& a) {
       Ped* ped = LivePed(a, 0);
       Car* car = w.FindCar(a.I(1));
       if (ped == nullptr || car == nullptr || car->wrecked || car->driver != ped->handle) return;
       w.SetTask(*ped, Task::drive);
       car->goal = a.Pos(2);
       car->speed = a.F(6);
       car->driving = true;
     }},
    {"TASK_ENTER_CAR_AS_DRIVER", "iii", 'v',
     [](World& w, Args& a) {
       Ped* ped = LivePed(a, 0);
       Car* car = w.FindCar(a.I(1));
       if (ped != nullptr && car != nullptr) w.StartEnterCar(*ped, *car, kDriverSeat);
     }},
    {"TASK_ENTER_CAR_AS_PASSENGER", "iiii", 'v',
     [](World& w, Args& a) {
       Ped* ped = LivePed(a, 0);
       Car* car = w.FindCar(a.I(1));
       const std::int32_t seat = a.I(3);
       if (ped != nullptr && car != nullptr && seat >= 0 && seat < kPassengerSeats) {
         w.StartEnterCar(*ped, *car, seat);
       }
     }},
    {"TASK_OPEN_DRIVER_DOOR", "iii", 'v', TaskAtCar<Task::openDoor>},
    {"TASK_OPEN_PASSENGER_DOOR", "iiii", 'v', TaskAtCar<Task::openDoor>},
    {"TASK_LEAVE_ANY_CAR", "i", 'v',
     [](World& w, Args& a) {
       if (Ped* ped = LivePed(a, 0)) {
         w.LeaveCar(*ped);
         w.SetTask(*ped, Task::idle);
       }
     }},
    {"TASK_HANDS_UP", "ii", 'v',
     [](World& w, Args& a) {
       if (Ped* ped = LivePed(a, 0)) w.SetTask(*ped, Task::handsUp);
     }},
    {"TASK_USE_MOBILE_PHONE", "ib", 'v',
     [](World& w, Args& a) {
       if (Ped* ped = LivePed(a, 0)) ped->phone = a.B(1);
     }},
    {"TASK_SWAP_WEAPON", "ii", 'v',
     [](World& w, Args& a) {
       Ped* ped = LivePed(a, 0);
       if (ped != nullptr && ped->weapons.count(a.I(1)) != 0) ped->weapon = a.I(1);
     }},
    {"TASK_COMBAT", "ii", 'v', TaskAtPed<Task::combat>},
    {"TASK_DIE", "i", 'v',
     [](World& w, Args& a) {
       if (Ped* ped = LivePed(a, 0)) w.Kill(*ped, "task");
     }},
    {"TASK_AIM_GUN_AT_COORD", "ifffi", 'v', TaskAtPosition<Task::aimAtPosition>},
    {"TASK_AIM_GUN_AT_CHAR", "iii", 'v', TaskAtPed<Task::aimAtPed>},
    {"TASK_LOOK_AT_CHAR", "iiii", 'v', TaskAtPed<Task::lookAtPed>},
    {"TASK_LOOK_AT_COORD", "ifffii", 'v', TaskAtPosition<Task::lookAtPosition>},
    {"TASK_LOOK_AT_VEHICLE", "iiii", 'v', TaskAtCar<Task::lookAtCar>},
    {"FIRE_PED_WEAPON", "ifff", 'v',
     [](World& w, Args& a) {
       if (const Ped* ped = LivePed(a, 0)) {
         w.Report({"shot", ped->name, "", "weapon " + std::to_string(ped->weapon), true, ped->pos});
       }
     }},
    {"START_CHAR_FIRE", "i", 'i',
     [](World& w, Args& a) {
       Ped* ped = w.FindPed(a.I(0));
       a.Return(ped != nullptr ? w.SetOnFire(*ped) : 0);
     }},
    {"EXPLODE_CAR", "ibb", 'v',
     [](World& w, Args& a) {
       if (Car* car = w.FindCar(a.I(0))) w.Wreck(*car, "explode-car");
     }},
    {"SOUND_CAR_HORN", "ii", 'v',
     [](World& w, Args& a) {
       if (const Car* car = w.FindCar(a.I(0))) {
         w.Report({"horn", w.PedName(car->driver), car->name, "", true, car->pos});
       }
     }},
    {"ADD_EXPLOSION", "fffifiif", 'v',
     [](World& w, Args& a) { w.Explode(a.Pos(0), a.I(3), a.F(4)); }},
    {"PRINT_STRING_WITH_LITERAL_STRING_NOW", "ssii", 'v', [](World&, Args&) {}},
    // What a take runner stages and moves with: models, cars, the player's place and weapon.
    {"REQUEST_MODEL", "i", 'v', [](World& w, Args& a) { w.RequestModel(a.I(0)); }},
    {"HAS_MODEL_LOADED", "i", 'b', [](World& w, Args& a) { a.Return(w.ModelLoaded(a.I(0))); }},
    {"MARK_MODEL_AS_NO_LONGER_NEEDED", "i", 'v', [](World& w, Args& a) { w.ReleaseModel(a.I(0)); }},
    {"CREATE_CAR", "ifffIi", 'v',
     [](World& w, Args& a) {
       if (w.IsCarModel(a.I(0)) && w.ModelLoaded(a.I(0)))
         Write(a.OutI(4), w.CreateCar(a.I(0), a.Pos(1)));
     }},
    {"SET_CHAR_COORDINATES", "ifff", 'v',
     [](World& w, Args& a) {
       if (Ped* ped = w.FindPed(a.I(0))) w.MovePed(*ped, a.Pos(1));
     }},
    {"SET_CAR_COORDINATES", "ifff", 'v',
     [](World& w, Args& a) {
       if (Car* car = w.FindCar(a.I(0))) {
         w.MoveCar(*car, a.Pos(1));
         w.Report({"moved", "", car->name, "", true, car->pos});
       }
     }},
    {"WARP_CHAR_INTO_CAR", "ii", 'v',
     [](World& w, Args& a) {
       Ped* ped = LivePed(a, 0);
       Car* car = w.FindCar(a.I(1));
       if (ped != nullptr && car != nullptr && !car->wrecked) w.WarpIntoCar(*ped, *car);
     }},
    {"WARP_CHAR_FROM_CAR_TO_COORD", "ifff", 'v',
     [](World& w, Args& a) {
       Ped* ped = w.FindPed(a.I(0));
       if (ped == nullptr || ped->car == 0) return;
       w.LeaveCar(*ped);
       w.MovePed(*ped, a.Pos(1));
     }},
    {"SET_CURRENT_CHAR_WEAPON", "iii", 'v',
     [](World& w, Args& a) {
       Ped* ped = LivePed(a, 0);
       if (ped == nullptr || ped->weapons.count(a.I(1)) == 0) return;
       ped->weapon = a.I(1);
       w.Report({"weapon", ped->name, "", std::to_string(ped->weapon)});
     }},
    // What an autosave stages a car the player used with: its model and where it stands.
    {"GET_CAR_MODEL", "iI", 'v',
     [](World& w, Args& a) {
       if (const Car* car = w.FindCar(a.I(0))) Write(a.OutI(1), car->model);
     }},
    {"GET_CAR_COORDINATES", "iFFF", 'v',
     [](World& w, Args& a) {
       if (const Car* car = w.FindCar(a.I(0))) {
         Write(a.OutF(1), car->pos.x);
         Write(a.OutF(2), car->pos.y);
         Write(a.OutF(3), car->pos.z);
       }
     }},
};

constexpr std::size_t kRowCount = sizeof kRows / sizeof kRows[0];
static_assert(kRowCount == 39 + 11, "one row per native the plug-in and the take runner call");

Value Read(const Args& a, char shape, unsigned n) {
  Value v;
  switch (shape) {
    case 'i':
      v.kind = Value::Kind::integer;
      v.i = a.I(n);
      break;
    case 'f':
      v.kind = Value::Kind::real;
      v.f = a.F(n);
      break;
    case 'b':
      v.kind = Value::Kind::boolean;
      v.i = a.B(n);
      break;
    case 's':
      v.kind = Value::Kind::text;
      v.text = a.S(n) != nullptr ? a.S(n) : "";
      break;
    default:
      v.kind = Value::Kind::out;
      break;
  }
  return v;
}

Value ReadOut(const Args& a, char shape, unsigned n) {
  Value v;
  if (shape == 'F') {
    v.kind = Value::Kind::real;
    if (const float* p = a.OutF(n)) v.f = *p;
  } else {
    v.kind = Value::Kind::integer;
    if (const std::int32_t* p = a.OutI(n)) v.i = *p;
  }
  return v;
}

void Dispatch(const Row& row, NativeCallContext* context) {
  Args args(context);
  NativeCall call;
  call.name = row.name;
  call.boolResult = row.result == 'b';
  const unsigned count = static_cast<unsigned>(std::strlen(row.shape));
  if (context->argCount != count || current == nullptr) {
    call.badArgs = true;
    if (observer != nullptr) observer->OnNativeCall(call);
    return;
  }
  for (unsigned n = 0; n < count; ++n) call.args.push_back(Read(args, row.shape[n], n));
  row.run(*current, args);
  for (unsigned n = 0; n < count; ++n) {
    if (row.shape[n] == 'I' || row.shape[n] == 'F')
      call.outs.push_back(ReadOut(args, row.shape[n], n));
  }
  const std::int32_t result = row.result == 'b' ? (args.result() != 0 ? 1 : 0) : args.result();
  context->slots[0] = 0;
  std::memcpy(&context->slots[0], &result, sizeof result);
  call.result = result;
  if (observer != nullptr) observer->OnNativeCall(call);
}

template <std::size_t N>
void Entry(NativeCallContext* context) {
  Dispatch(kRows[N], context);
}

template <std::size_t... N>
constexpr std::array<Game::NativeHandler, sizeof...(N)> MakeEntries(std::index_sequence<N...>) {
  return {&Entry<N>...};
}

constexpr auto kEntries = MakeEntries(std::make_index_sequence<kRowCount>{});

}  // namespace

void InstallNatives(World& w, CallObserver* o, const std::set<std::string>& missing) {
  current = &w;
  observer = o;
  for (std::size_t i = 0; i < kRowCount; ++i) {
    if (missing.count(kRows[i].name) == 0) tessel::RegisterNative(kRows[i].name, kEntries[i]);
  }
}

void RemoveNatives() {
  for (const Row& row : kRows) tessel::UnregisterNative(row.name);
  current = nullptr;
  observer = nullptr;
  castMaker = nullptr;
}

void SetCastMaker(const NativeThread* thread) {
  castMaker = thread;
}

std::vector<std::string> NativeNames() {
  std::vector<std::string> names;
  for (const Row& row : kRows) names.emplace_back(row.name);
  return names;
}

}  // namespace world
