// Everything a run reports, in the order it happens, handed to every subscriber: the trace
// file, the transcript, and the film recorder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tessel/host.h"
#include "world/natives.h"
#include "world/world.h"

namespace sim {

struct RunEvent {
  enum class Kind {
    registered,  // text: thread name
    key,         // text: key name, code
    player,      // text: what the player did; pos or name
    screen,      // text: the message
    log,         // text: the line
    native,      // call
    missing,     // text: native name
    world,       // worldEvent
    wait,        // code: milliseconds
    passBegin,
    passEnd,
    warning,  // text; screen and slot, -1 when not about one
    unload,
    tick,   // world: after the world's step, before the host's tick
    end,    // world: the run is over, the plug-in still loaded
    rough,  // text: the seed of a rough world, before anything happens in it
    stall,  // code: how many milliseconds late this tick came
  };
  Kind kind = Kind::log;
  std::uint64_t t = 0;
  std::string text;
  std::string name;
  int code = 0;
  world::Vec3 pos;
  bool hasPos = false;
  int screen = -1;
  int slot = -1;
  const world::NativeCall* call = nullptr;
  const world::Event* worldEvent = nullptr;
  const world::World* world = nullptr;
  // The thread that caused the event when it is another than the plug-in's (the first thread
  // registered): the take runner's, say. Empty for the plug-in's and for the world's own.
  std::string by;
};

class Subscriber {
 public:
  virtual ~Subscriber() = default;
  virtual void OnEvent(const RunEvent& event) = 0;
};

// Turns what the host, the world and the natives report into RunEvents for the subscribers.
class EventHub : public tessel::Listener, public world::Observer, public world::CallObserver {
 public:
  void Subscribe(Subscriber* subscriber) { subscribers_.push_back(subscriber); }
  void Emit(const RunEvent& event);

  void OnRegister(const NativeThread* thread) override;
  void OnLog(const char* line) override;
  void OnMissingNative(const char* name) override;
  void OnWait(unsigned milliseconds) override;
  void OnPassBegin() override;
  void OnPassEnd() override;
  void OnWorldEvent(const world::Event& event) override;
  void OnNativeCall(const world::NativeCall& call) override;

 private:
  RunEvent Now(RunEvent::Kind kind) const;
  std::vector<Subscriber*> subscribers_;
  const NativeThread* plugin_ = nullptr;
};

// The trace: JSON Lines, one event an object, t in virtual milliseconds since the start.
class TraceWriter : public Subscriber {
 public:
  explicit TraceWriter(std::string* out) : out_(out) {}
  void OnEvent(const RunEvent& event) override;
  static std::string Line(const RunEvent& event);

 private:
  std::string* out_;
};

// The transcript: what a person wants to read of a run, one line an event.
class Transcript : public Subscriber {
 public:
  Transcript(std::string* out, bool natives) : out_(out), natives_(natives) {}
  void OnEvent(const RunEvent& event) override;

 private:
  std::string* out_;
  bool natives_;
};

std::string FormatTime(std::uint64_t ms);
std::string FormatPos(const world::Vec3& pos);

}  // namespace sim
