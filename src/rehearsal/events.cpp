#include "rehearsal/events.h"

#include <cstdio>

#include "rehearsal/json.h"

namespace sim {

namespace {

std::string JsonValue(const world::Value& v) {
  switch (v.kind) {
    case world::Value::Kind::integer:
      return JsonNumber(static_cast<std::int64_t>(v.i));
    case world::Value::Kind::real:
      return JsonNumber(v.f);
    case world::Value::Kind::boolean:
      return v.i != 0 ? "true" : "false";
    case world::Value::Kind::text:
      return JsonString(v.text);
    case world::Value::Kind::out:
      return "\"&\"";
  }
  return "null";
}

std::string JsonList(const std::vector<world::Value>& values) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ",";
    out += JsonValue(values[i]);
  }
  return out + "]";
}

std::string JsonPos(const world::Vec3& pos) {
  return "[" + JsonNumber(pos.x) + "," + JsonNumber(pos.y) + "," + JsonNumber(pos.z) + "]";
}

std::string Plain(const world::Value& v) {
  return v.kind == world::Value::Kind::text ? JsonString(v.text) : JsonValue(v);
}

}  // namespace

std::string FormatTime(std::uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%8llu.%03llu", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  return text;
}

std::string FormatPos(const world::Vec3& pos) {
  return "(" + JsonNumber(pos.x) + ", " + JsonNumber(pos.y) + ", " + JsonNumber(pos.z) + ")";
}

RunEvent EventHub::Now(RunEvent::Kind kind) const {
  RunEvent event;
  event.kind = kind;
  event.t = tessel::Now();
  const NativeThread* running = tessel::RunningThread();
  if (running != nullptr && running != plugin_) event.by = running->GetName();
  return event;
}

void EventHub::Emit(const RunEvent& event) {
  for (Subscriber* subscriber : subscribers_) subscriber->OnEvent(event);
}

void EventHub::OnRegister(const NativeThread* thread) {
  if (plugin_ == nullptr) plugin_ = thread;
  RunEvent event = Now(RunEvent::Kind::registered);
  event.text = thread->GetName();
  Emit(event);
}

void EventHub::OnLog(const char* line) {
  RunEvent event = Now(RunEvent::Kind::log);
  event.text = line;
  Emit(event);
}

void EventHub::OnMissingNative(const char* name) {
  RunEvent event = Now(RunEvent::Kind::missing);
  event.text = name;
  Emit(event);
}

void EventHub::OnWait(unsigned milliseconds) {
  RunEvent event = Now(RunEvent::Kind::wait);
  event.code = static_cast<int>(milliseconds);
  Emit(event);
}

void EventHub::OnPassBegin() {
  Emit(Now(RunEvent::Kind::passBegin));
}
void EventHub::OnPassEnd() {
  Emit(Now(RunEvent::Kind::passEnd));
}

void EventHub::OnWorldEvent(const world::Event& worldEvent) {
  RunEvent event = Now(RunEvent::Kind::world);
  event.worldEvent = &worldEvent;
  Emit(event);
}

void EventHub::OnNativeCall(const world::NativeCall& call) {
  RunEvent event = Now(RunEvent::Kind::native);
  event.call = &call;
  Emit(event);
  if (call.name == "PRINT_STRING_WITH_LITERAL_STRING_NOW" && call.args.size() == 4) {
    RunEvent screen = Now(RunEvent::Kind::screen);
    screen.text = call.args[1].text;
    Emit(screen);
  }
}

std::string TraceWriter::Line(const RunEvent& e) {
  JsonObject o;
  o.Int("t", static_cast<std::int64_t>(e.t));
  switch (e.kind) {
    case RunEvent::Kind::registered:
      o.Str("ev", "register").Str("thread", e.text);
      break;
    case RunEvent::Kind::key:
      o.Str("ev", "key").Str("key", e.text).Int("vk", e.code);
      break;
    case RunEvent::Kind::player:
      o.Str("ev", "player").Str("what", e.text);
      if (e.hasPos) o.Raw("pos", JsonPos(e.pos));
      if (!e.name.empty()) o.Str("car", e.name);
      if (e.text == "weapon") o.Int("weapon", e.code);
      break;
    case RunEvent::Kind::screen:
      o.Str("ev", "screen").Str("text", e.text);
      break;
    case RunEvent::Kind::log:
      o.Str("ev", "log").Str("text", e.text);
      break;
    case RunEvent::Kind::native: {
      const world::NativeCall& c = *e.call;
      o.Str("ev", "native").Str("name", c.name);
      if (c.badArgs) {
        o.Str("error", "argument count");
        break;
      }
      o.Raw("args", JsonList(c.args)).Raw("out", JsonList(c.outs));
      if (c.boolResult) {
        o.Bool("result", c.result != 0);
      } else {
        o.Int("result", c.result);
      }
      break;
    }
    case RunEvent::Kind::missing:
      o.Str("ev", "native").Str("name", e.text).Bool("missing", true);
      break;
    case RunEvent::Kind::world: {
      const world::Event& w = *e.worldEvent;
      o.Str("ev", "world").Str("what", w.what);
      if (!w.ped.empty()) o.Str("ped", w.ped);
      if (!w.car.empty()) o.Str("car", w.car);
      if (!w.detail.empty()) o.Str("detail", w.detail);
      if (w.hasPos) o.Raw("pos", JsonPos(w.pos));
      break;
    }
    case RunEvent::Kind::warning:
      o.Str("ev", "warning");
      if (e.screen >= 0) o.Int("screen", e.screen);
      if (e.slot >= 0) o.Int("slot", e.slot);
      o.Str("text", e.text);
      break;
    case RunEvent::Kind::unload:
      o.Str("ev", "unload");
      if (!e.name.empty()) o.Str("module", e.name);
      break;
    case RunEvent::Kind::rough:
      o.Str("ev", "rough").Raw("seed", e.text);
      break;
    case RunEvent::Kind::stall:
      o.Str("ev", "stall").Int("ms", e.code);
      break;
    case RunEvent::Kind::wait:
    case RunEvent::Kind::passBegin:
    case RunEvent::Kind::passEnd:
    case RunEvent::Kind::tick:
    case RunEvent::Kind::end:
      return "";
  }
  if (!e.by.empty()) o.Str("by", e.by);
  return o.str();
}

void TraceWriter::OnEvent(const RunEvent& event) {
  const std::string line = Line(event);
  if (line.empty()) return;
  *out_ += line;
  *out_ += '\n';
}

void Transcript::OnEvent(const RunEvent& e) {
  std::string text;
  switch (e.kind) {
    case RunEvent::Kind::registered:
      text = "thread   \"" + e.text + "\" registered";
      break;
    case RunEvent::Kind::key:
      text = "key      " + e.text;
      break;
    case RunEvent::Kind::player:
      text = "player   " + e.text;
      if (e.hasPos) text += " " + FormatPos(e.pos);
      if (!e.name.empty()) text += " " + e.name;
      if (e.text == "weapon") text += " " + std::to_string(e.code);
      break;
    case RunEvent::Kind::screen:
      text = "screen   " + e.text;
      break;
    case RunEvent::Kind::log:
      text = "log      " + e.text;
      break;
    case RunEvent::Kind::missing:
      if (natives_) text = "native   " + e.text + " (missing)";
      break;
    case RunEvent::Kind::native: {
      if (!natives_) break;
      const world::NativeCall& c = *e.call;
      text = "native   " + c.name + "(";
      for (std::size_t i = 0; i < c.args.size(); ++i) text += (i ? ", " : "") + Plain(c.args[i]);
      text += ")";
      if (!c.outs.empty()) {
        text += " ->";
        for (const world::Value& v : c.outs) text += " " + Plain(v);
      }
      text += c.boolResult ? (c.result ? " = true" : " = false") : " = " + std::to_string(c.result);
      break;
    }
    case RunEvent::Kind::world: {
      const world::Event& w = *e.worldEvent;
      text = "world    " + w.what;
      if (!w.ped.empty()) text += " " + w.ped;
      if (!w.car.empty()) text += " " + w.car;
      if (!w.detail.empty()) text += " (" + w.detail + ")";
      if (w.hasPos) text += " at " + FormatPos(w.pos);
      break;
    }
    case RunEvent::Kind::warning:
      text = "warning  ";
      if (e.screen >= 0) text += "screen " + std::to_string(e.screen) + ": ";
      if (e.slot >= 0) text += "slot " + std::to_string(e.slot) + ": ";
      text += e.text;
      break;
    case RunEvent::Kind::unload:
      text = e.name.empty() ? "unloaded" : "unloaded " + e.name;
      break;
    case RunEvent::Kind::rough:
      text = "rough    world, seed " + e.text + " (--rough " + e.text + " gives the same world)";
      break;
    case RunEvent::Kind::stall: {
      char late[32];
      std::snprintf(late, sizeof late, "%d.%03d", e.code / 1000, e.code % 1000);
      text = std::string("stall    this tick came ") + late + " s late";
      break;
    }
    default:
      break;
  }
  if (text.empty()) return;
  // What another thread than the plug-in's did is marked with its name after the kind.
  if (!e.by.empty()) text.insert(9, "[" + e.by + "] ");
  *out_ += FormatTime(e.t) + "  " + text + "\n";
}

}  // namespace sim
