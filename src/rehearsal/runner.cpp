#include "rehearsal/runner.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "rehearsal/json.h"
#include "rehearsal/take_scenario.h"
#include "take/take_file.h"
#include "tessel/host.h"
#include "world/natives.h"

#if !defined(ZENTHAR_PLUGIN_FILE) || !defined(ZENTHAR_TAKE_FILE)
#error "the build names the plug-in and take runner module files"
#endif

namespace sim {

namespace fs = std::filesystem;

namespace {

// A folder of the run's own, where ped.ini and the host log live while it runs.
fs::path MakeRunFolder() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path folder = fs::temp_directory_path() /
                      ("zenthar-run-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::error_code error;
    if (fs::create_directory(folder, error)) return folder;
  }
  return {};
}

// What an earlier run or test left in the host. A rehearsal installs the world's natives and
// loads the plug-in itself; natives already there would answer in the world's stead (a second
// registration of a name is refused), and a thread already there would run beside the plug-in.
std::string HostDirt() {
  std::string dirt;
  if (const unsigned natives = tessel::NativeCount()) {
    dirt = std::to_string(natives) + (natives == 1 ? " native is" : " natives are") + " registered";
  }
  if (const int threads = tessel::ThreadCount()) {
    dirt += (dirt.empty() ? "" : ", ") + std::to_string(threads) +
            (threads == 1 ? " thread is" : " threads are") + " registered";
  }
  if (tessel::PluginLoaded()) dirt += std::string(dirt.empty() ? "" : ", ") + "a plug-in is loaded";
  return dirt.empty() ? dirt : dirt + " already; a rehearsal starts from an empty host";
}

// What the rehearsal needs of a take: the cars it stages, in its order (the world names the cars
// the runner creates after them), and the keys it presses, quiet or not. A take of the largest
// film has half a million steps: only these are kept of them.
struct TakeKey {
  int code;
  bool quiet;  // the key shows no message
};

struct TakeOutline {
  std::vector<std::string> cars;
  std::vector<TakeKey> keys;
};

TakeOutline OutlineTake(const std::string& take) {
  TakeOutline outline;
  const int capture = take::KeyCode("backslash");
  ForEachTakeStep(take, [&](const take::Step& step) {
    if (step.kind == take::StepKind::car) outline.cars.emplace_back(step.name);
    if (step.kind == take::StepKind::press) outline.keys.push_back({step.value, step.quiet});
    if (step.kind == take::StepKind::capture) outline.keys.push_back({capture, false});
  });
  return outline;
}

std::string JsonPos(const world::Vec3& pos) {
  return "[" + JsonNumber(pos.x) + "," + JsonNumber(pos.y) + "," + JsonNumber(pos.z) + "]";
}

// The keys a take runner presses reach the plug-in through its own import, not the host's
// keyboard, so no key event reports them. The take says which key each message of the plug-in
// answers: this puts that key, as the runner's, into the events just before the message. A key
// that shows nothing goes in before the next message, or at the take's end.
constexpr const char* kTakeThread = "Take";

class TakePresses : public Subscriber {
 public:
  TakePresses(EventHub& hub, const std::vector<TakeKey>& keys) : hub_(hub), keys_(keys) {}

  void OnEvent(const RunEvent& event) override {
    if (event.kind != RunEvent::Kind::screen) return;
    if (!event.by.empty()) {
      const bool started = event.text.rfind("Take started", 0) == 0;
      const bool done = event.text.rfind("Take done", 0) == 0;
      if (done) Quiet(event.t);
      if (started || done || event.text.rfind("Take stopped", 0) == 0) {
        running_ = started;
        next_ = 0;
      }
      return;
    }
    if (!running_) return;
    Quiet(event.t);
    if (next_ < keys_.size()) Emit(event.t, keys_[next_++].code);
  }

 private:
  void Quiet(std::uint64_t t) {
    while (next_ < keys_.size() && keys_[next_].quiet) Emit(t, keys_[next_++].code);
  }

  void Emit(std::uint64_t t, int code) {
    RunEvent key;
    key.kind = RunEvent::Kind::key;
    key.t = t;
    key.by = kTakeThread;
    key.code = code;
    key.text = KeyName(code);
    hub_.Emit(key);
  }

  EventHub& hub_;
  const std::vector<TakeKey>& keys_;
  std::size_t next_ = 0;
  bool running_ = false;
};

class Run {
 public:
  Run(const Scenario& scenario, const RunOptions& options, RunOutput& out)
      : scenario_(scenario),
        options_(options),
        out_(out),
        trace_(&out.trace),
        transcript_(&out.transcript, options.transcriptNatives) {}

  bool Execute(RunHooks* hooks) {
    const std::string dirt = HostDirt();
    if (!dirt.empty()) return Fail("the host is not clean: " + dirt);
    const fs::path folder = MakeRunFolder();
    if (folder.empty()) return Fail("cannot make a folder for the run");
    WriteFiles(folder);
    SetUpWorld();
    // First, so that the key it adds comes before the message it answers.
    if (scenario_.hasTake) {
      presses_ = std::make_unique<TakePresses>(hub_, take_.keys);
      hub_.Subscribe(presses_.get());
    }
    if (options_.writeTrace) {
      hub_.Subscribe(&trace_);
      if (options_.writeTranscript) hub_.Subscribe(&transcript_);
    }
    hub_.Subscribe(&recorder_);
    for (Subscriber* s : options_.extra) hub_.Subscribe(s);
    world_.SetObserver(&hub_);
    if (out_.rough) {
      RunEvent rough;
      rough.kind = RunEvent::Kind::rough;
      rough.text = std::to_string(out_.roughSeed);
      hub_.Emit(rough);
    }
    if (hooks != nullptr) hooks->Started(world_);

    tessel::ResetClock(scenario_.clock);
    tessel::ReleaseAllKeys();
    tessel::SetListener(&hub_);
    tessel::SetLogFile((folder / "tessel.log").string().c_str());
    world::InstallNatives(world_, &hub_, scenario_.missing);

    std::string error;
    const bool loaded = LoadModules(folder, error);
    if (loaded) {
      // The run's folder stands for the game's: a take runner reads its take from there when its
      // start key is pressed.
      std::error_code ignored;
      const fs::path previous = fs::current_path(ignored);
      fs::current_path(folder, ignored);
      Loop();
      fs::current_path(previous, ignored);
      End();
      tessel::UnloadPlugin();
      RunEvent unload;
      unload.kind = RunEvent::Kind::unload;
      unload.t = EndTime();
      hub_.Emit(unload);
      Spill(true);
    }
    world::RemoveNatives();
    tessel::SetListener(nullptr);
    tessel::SetLogFile(nullptr);
    if (hooks != nullptr && loaded) hooks->Finished(world_, EndTime());
    out_.state = WorldStateJson(world_);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    if (!loaded) return Fail(error);
    return true;
  }

 private:
  bool RunnerLoaded() const { return scenario_.hasTake || !scenario_.autosave.empty(); }

  // What the modules read next to the game: ped.ini, and the take runner's zenthar.take and
  // take.ini. A rehearsal autosaves only when asked to, into the folder it names; the scenario's
  // own take.ini lines come after, and have the last word.
  void WriteFiles(const fs::path& folder) const {
    auto write = [&](const char* name, const std::vector<std::string>& lines) {
      std::ofstream file(folder / name, std::ios::binary);
      for (const std::string& line : lines) file << line << "\n";
    };
    if (scenario_.hasIni) write("ped.ini", scenario_.iniLines);
    std::vector<std::string> takeIni = {
        "Autosave=" + (scenario_.autosave.empty() ? std::string("0") : scenario_.autosave)};
    takeIni.insert(takeIni.end(), scenario_.takeIniLines.begin(), scenario_.takeIniLines.end());
    if (RunnerLoaded()) write("take.ini", takeIni);
    if (scenario_.hasTake) {
      std::ofstream take(folder / "zenthar.take", std::ios::binary);
      take << scenario_.take;
    }
  }

  // The plug-in, then the take runner beside it when the scenario has a take. On a failure
  // nothing stays loaded.
  bool LoadModules(const fs::path& folder, std::string& error) {
    char why[512] = {};
    const std::string plugin =
        options_.pluginPath.empty() ? DefaultPluginPath() : options_.pluginPath;
    if (!tessel::LoadPlugin(plugin.c_str(), folder.string().c_str(), why, sizeof why)) {
      error = std::string("cannot load the plug-in: ") + why;
      return false;
    }
    if (!RunnerLoaded()) return true;
    world::SetCastMaker(tessel::ThreadAt(0));
    takePath_ = options_.takePath.empty() ? DefaultTakePath() : options_.takePath;
    if (!tessel::LoadPlugin(takePath_.c_str(), folder.string().c_str(), why, sizeof why)) {
      tessel::UnloadPlugin();
      error = std::string("cannot load the take runner: ") + why;
      return false;
    }
    return true;
  }

  bool Fail(const std::string& why) {
    out_.error = why;
    return false;
  }

  void SetUpWorld() {
    world_.MovePlayer(scenario_.playerPos);
    world_.GiveWeapon(world_.player(), scenario_.playerWeapon);
    out_.rough = options_.rough || scenario_.rough;
    out_.roughSeed = options_.rough ? options_.roughSeed : scenario_.roughSeed;
    if (out_.rough) world_.MakeRough(out_.roughSeed);
    for (std::int32_t model : scenario_.pedModels) world_.DeclarePedModel(model);
    for (std::int32_t model : scenario_.carModels) world_.DeclareCarModel(model);
    if (scenario_.hasTake) world_.NameCreatedCars(take_.cars);
    for (const Actor& ped : scenario_.peds) world_.AddPed(ped.name, ped.model, ped.pos);
    for (const Actor& car : scenario_.cars) world_.AddCar(car.name, car.model, car.pos);
  }

  void Warn(std::uint64_t t, const std::string& text) {
    RunEvent event;
    event.kind = RunEvent::Kind::warning;
    event.t = t;
    event.text = text;
    hub_.Emit(event);
  }

  void Apply(const Action& action, std::uint64_t t) {
    RunEvent event;
    event.t = t;
    switch (action.kind) {
      case ActionKind::press:
        for (std::size_t i = 0; i < action.keys.size(); ++i) {
          tessel::PressKey(action.keys[i]);
          event.kind = RunEvent::Kind::key;
          event.text = KeyName(action.keys[i]);
          event.code = action.keys[i];
          hub_.Emit(event);
        }
        return;
      case ActionKind::playerAt:
        world_.MovePlayer(action.pos);
        event.kind = RunEvent::Kind::player;
        event.text = "at";
        event.pos = action.pos;
        event.hasPos = true;
        hub_.Emit(event);
        return;
      case ActionKind::playerWeapon:
        world_.GiveWeapon(world_.player(), action.value);
        event.kind = RunEvent::Kind::player;
        event.text = "weapon";
        event.code = action.value;
        hub_.Emit(event);
        return;
      case ActionKind::playerEnter:
        if (world::Car* car = world_.FindCarByName(action.name)) {
          event.kind = RunEvent::Kind::player;
          event.text = "enter";
          event.name = action.name;
          hub_.Emit(event);
          world_.PlayerEnter(*car);
        }
        return;
      case ActionKind::playerLeave:
        event.kind = RunEvent::Kind::player;
        event.text = "leave";
        hub_.Emit(event);
        world_.LeaveCar(world_.player());
        return;
      case ActionKind::kill:
        if (world::Ped* ped = world_.FindPedByName(action.name)) {
          world_.Kill(*ped, "scenario");
        } else {
          Warn(t, "no ped named " + action.name + " to kill (line " + std::to_string(action.line) +
                      ")");
        }
        return;
      case ActionKind::remove:
        if (world::Ped* ped = world_.FindPedByName(action.name)) {
          world_.RemovePed(ped->handle);
        } else if (world::Car* car = world_.FindCarByName(action.name)) {
          world_.RemoveCar(car->handle);
        } else {
          Warn(t, "no ped named " + action.name + " to remove (line " +
                      std::to_string(action.line) + ")");
        }
        return;
      case ActionKind::wreck:
        if (world::Car* car = world_.FindCarByName(action.name)) world_.Wreck(*car, "scenario");
        return;
      case ActionKind::stall:
        stall_ += action.ms;
        return;
      case ActionKind::unloadTake:
        if (takePath_.empty()) return;
        tessel::UnloadPlugin(takePath_.c_str());
        event.kind = RunEvent::Kind::unload;
        event.name = "take runner";
        hub_.Emit(event);
        return;
    }
  }

  // A tick that comes late, after a stall of the scenario's or of a rough world's, holds up the
  // scenario's clock with it: the person at the keyboard waits it out, so the lines after it come
  // that much later on the game's clock.
  std::uint64_t Late(std::uint64_t tick) {
    std::uint64_t stall = stall_;
    stall_ = 0;
    if (tick > 0) stall += world_.NextStall();
    if (stall == 0) return out_.stalledMs;
    out_.stalledMs += stall;
    RunEvent event;
    event.kind = RunEvent::Kind::stall;
    event.t = Clock(tick) + out_.stalledMs;
    event.code = static_cast<int>(stall);
    hub_.Emit(event);
    return out_.stalledMs;
  }

  std::uint64_t Clock(std::uint64_t tick) const {
    return tick * 1000 / static_cast<std::uint64_t>(scenario_.fps);
  }

  void Loop() {
    std::size_t next = 0;
    std::uint64_t previous = 0;
    for (std::uint64_t tick = 0;; ++tick) {
      const std::uint64_t on = Clock(tick);  // the scenario's clock
      if (on > scenario_.runUntil) break;
      const std::uint64_t stalledBefore = out_.stalledMs;
      const std::uint64_t t = on + Late(tick);
      tessel::SetTime(t);
      while (next < scenario_.actions.size() && scenario_.actions[next].t <= on) {
        Apply(scenario_.actions[next++], t);
      }
      // A late tick is a frame the game spent loading: its world stood still through the wait,
      // as a game's does, and moves on by one tick's time. Only the clock went on.
      world_.Step(t, static_cast<std::uint32_t>(t - previous - (out_.stalledMs - stalledBefore)));
      previous = t;
      RunEvent sample;
      sample.kind = RunEvent::Kind::tick;
      sample.t = t;
      sample.world = &world_;
      hub_.Emit(sample);
      tessel::RunTick();
      Spill(false);
    }
    tessel::SetTime(EndTime());
  }

  // When the run ends on the game's clock.
  std::uint64_t EndTime() const { return scenario_.runUntil + out_.stalledMs; }

  // Hands the trace and the transcript to their streams, when the tool gave them, once a
  // megabyte has gathered, or all of it.
  void Spill(bool all) {
    Spill(options_.traceTo, out_.trace, all);
    Spill(options_.transcriptTo, out_.transcript, all);
  }
  static void Spill(std::ostream* to, std::string& text, bool all) {
    constexpr std::size_t kSpillBytes = 1 << 20;
    if (to == nullptr || (!all && text.size() < kSpillBytes)) return;
    to->write(text.data(), static_cast<std::streamsize>(text.size()));
    text.clear();
  }

  // The run is over: the recorder takes the world's last word, and the review speaks.
  void End() {
    RunEvent end;
    end.kind = RunEvent::Kind::end;
    end.t = EndTime();
    end.world = &world_;
    hub_.Emit(end);
    out_.film = recorder_.report();
    if (options_.review != nullptr) out_.warnings = options_.review(out_.film);
    if (!options_.check) return;
    for (const Warning& w : out_.warnings) {
      RunEvent event;
      event.kind = RunEvent::Kind::warning;
      event.t = EndTime();
      event.screen = w.screen;
      event.slot = w.slot;
      event.text = w.text;
      hub_.Emit(event);
    }
  }

  const Scenario& scenario_;
  const RunOptions& options_;
  RunOutput& out_;
  world::World world_;
  EventHub hub_;
  TraceWriter trace_;
  Transcript transcript_;
  FilmRecorder recorder_;
  const TakeOutline take_ = OutlineTake(scenario_.take);
  std::unique_ptr<TakePresses> presses_;
  std::string takePath_;
  std::uint64_t stall_ = 0;  // the scenario's stalls, for the next tick
};

}  // namespace

std::string DefaultPluginPath() {
  char folder[4096];
  tessel::ExecutableFolder(folder, sizeof folder);
  return (fs::path(folder) / ZENTHAR_PLUGIN_FILE).string();
}

std::string DefaultTakePath() {
  char folder[4096];
  tessel::ExecutableFolder(folder, sizeof folder);
  return (fs::path(folder) / ZENTHAR_TAKE_FILE).string();
}

std::string WorldStateJson(const world::World& w) {
  std::string out = "{\n  \"peds\": [";
  bool first = true;
  for (const world::Ped& ped : w.peds()) {
    JsonObject o;
    o.Str("name", ped.name).Int("handle", ped.handle).Int("model", ped.model);
    o.Raw("pos", JsonPos(ped.pos)).Str("task", world::TaskName(ped.task));
    o.Int("health", ped.health).Int("weapon", ped.weapon);
    o.Str("car", w.CarName(ped.car));
    if (ped.car != 0) o.Int("seat", ped.seat);
    o.Bool("phone", ped.phone).Bool("burning", ped.burning);
    out += (first ? "\n    " : ",\n    ") + o.str();
    first = false;
  }
  out += "\n  ],\n  \"cars\": [";
  first = true;
  for (const world::Car& car : w.cars()) {
    JsonObject o;
    o.Str("name", car.name).Int("handle", car.handle).Int("model", car.model);
    o.Raw("pos", JsonPos(car.pos)).Str("driver", w.PedName(car.driver));
    std::string passengers = "[";
    for (int seat = 0; seat < world::kPassengerSeats; ++seat) {
      passengers += (seat ? "," : "") + JsonString(w.PedName(car.passengers[seat]));
    }
    o.Raw("passengers", passengers + "]").Bool("wrecked", car.wrecked);
    out += (first ? "\n    " : ",\n    ") + o.str();
    first = false;
  }
  return out + "\n  ]\n}\n";
}

RunOutput RunScenario(const Scenario& scenario, const RunOptions& options, RunHooks* hooks) {
  RunOutput out;
  Run run(scenario, options, out);
  out.ok = run.Execute(hooks);
  return out;
}

}  // namespace sim
