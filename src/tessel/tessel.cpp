// The host's thread base, scheduler, native lookup, log, waits and virtual devices.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "fiber.h"
#include "host.h"
#include "registry.h"
#include "thread_abi.h"

namespace tessel {

namespace {

// The host's data inside a thread object's reserve.
struct ThreadData {
  GameTypes::eThreadState state = GameTypes::ThreadStateIdle;
  char name[32] = {};
};
static_assert(sizeof(ThreadData) <= NativeThread::kHostReserve, "the reserve holds the data");

// A registered thread's scheduling state, kept by the host outside the object.
struct Scheduled {
  NativeThread* thread = nullptr;
  abi::Layout layout = abi::Layout::native;
  fiber::Fiber* fiber = nullptr;
  std::uint32_t wakeTime = 0;
  bool waiting = false;
};

std::vector<std::unique_ptr<Scheduled>> registered;  // in registration order
std::vector<NativeThread*> tickOrder;
Scheduled* running = nullptr;
Listener defaultListener;
Listener* listener = &defaultListener;
NativeRegistry registry;
std::string logPath;

std::uint8_t keyPressed[256];
std::uint32_t clockStart = 0;
std::uint64_t now = 0;

Scheduled* Find(const NativeThread* thread) {
  for (const std::unique_ptr<Scheduled>& entry : registered) {
    if (entry->thread == thread) return entry.get();
  }
  return nullptr;
}

}  // namespace

struct ThreadAccess {
  static ThreadData& Data(NativeThread* thread) {
    return *std::launder(reinterpret_cast<ThreadData*>(thread->m_host));
  }
  static const ThreadData& Data(const NativeThread* thread) {
    return *std::launder(reinterpret_cast<const ThreadData*>(thread->m_host));
  }
  static void Construct(NativeThread* thread) { new (thread->m_host) ThreadData; }
};

// Everything that moves a thread between the host's fiber and its own.
struct Scheduler {
  static void Body(void* argument) {
    auto* entry = static_cast<Scheduled*>(argument);
    for (;;) {
      listener->OnPassBegin();
      abi::RunPass(entry->thread, entry->layout);
      listener->OnPassEnd();
      fiber::SwitchTo(fiber::Host());
    }
  }

  static GameTypes::eThreadState Resume(NativeThread* thread) {
    const GameTypes::eThreadState state = ThreadAccess::Data(thread).state;
    Scheduled* entry = Find(thread);
    if (state != GameTypes::ThreadStateRunning || entry == nullptr || entry->fiber == nullptr) {
      return state;
    }
    if (entry->waiting && static_cast<std::int32_t>(TickCount() - entry->wakeTime) < 0)
      return state;
    entry->waiting = false;
    running = entry;
    fiber::SwitchTo(entry->fiber);
    running = nullptr;
    return ThreadAccess::Data(thread).state;
  }

  static void Suspend(unsigned milliseconds) {
    Scheduled* entry = running;
    if (entry == nullptr) return;
    entry->waiting = true;
    entry->wakeTime = TickCount() + milliseconds;
    listener->OnWait(milliseconds);
    fiber::SwitchTo(fiber::Host());
  }

  // A thread the host does not run has nothing to rewind.
  static void Rewind(NativeThread* thread) {
    Scheduled* entry = Find(thread);
    if (entry == nullptr) return;
    fiber::Destroy(entry->fiber);
    entry->fiber = fiber::Create(Body, entry);
    entry->waiting = false;
  }

  static void Remove(NativeThread* thread) {
    for (auto it = registered.begin(); it != registered.end(); ++it) {
      if ((*it)->thread != thread) continue;
      fiber::Destroy((*it)->fiber);
      registered.erase(it);
      return;
    }
  }
};

void RegisterThread(NativeThread* thread, abi::Layout layout) {
  if (thread == nullptr) return;
  if (Find(thread) == nullptr) {
    auto entry = std::make_unique<Scheduled>();
    entry->thread = thread;
    entry->layout = layout;
    registered.push_back(std::move(entry));
    tickOrder.reserve(registered.size());  // so that ticks allocate nothing
  }
  abi::Start(thread, layout);
  listener->OnRegister(thread);
}

void DestroyThread(NativeThread* thread) {
  if (thread == nullptr) return;
  const Scheduled* entry = Find(thread);
  abi::Destroy(thread, entry != nullptr ? entry->layout : abi::Layout::native);
}

Listener::~Listener() = default;
void Listener::OnRegister(const NativeThread*) {}
void Listener::OnLog(const char*) {}
void Listener::OnMissingNative(const char*) {}
void Listener::OnWait(unsigned) {}
void Listener::OnPassBegin() {}
void Listener::OnPassEnd() {}
void Listener::OnDestroy(const NativeThread*) {}

void SetListener(Listener* l) {
  listener = l != nullptr ? l : &defaultListener;
}
void SetLogFile(const char* path) {
  logPath = path != nullptr ? path : "";
}

void PressKey(int key) {
  if (key >= 0 && key < 256) keyPressed[key] = 1;
}

std::int16_t QueryKey(int key) {
  if (key < 0 || key >= 256) return 0;
  const std::int16_t state = keyPressed[key] != 0 ? 1 : 0;
  keyPressed[key] = 0;
  return state;
}

void ReleaseAllKeys() {
  std::memset(keyPressed, 0, sizeof keyPressed);
}

void ResetClock(std::uint32_t tickCountAtStart) {
  clockStart = tickCountAtStart;
  now = 0;
}
void SetTime(std::uint64_t milliseconds) {
  now = milliseconds;
}
std::uint64_t Now() {
  return now;
}
std::uint32_t TickCount() {
  return static_cast<std::uint32_t>(clockStart + now);
}

LocalTime LocalTimeNow() {
  // Days since 1970-01-01 to the civil date, after Howard Hinnant's days_from_civil inverse.
  constexpr std::uint64_t kFirstDay = 20454;  // 2026-01-01, a Thursday
  const std::uint64_t seconds = now / 1000;
  const std::uint64_t days = kFirstDay + seconds / 86400;
  const std::uint64_t z = days + 719468;
  const std::uint64_t era = z / 146097;
  const std::uint64_t doe = z - era * 146097;
  const std::uint64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::uint64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::uint64_t mp = (5 * doy + 2) / 153;
  const std::uint64_t month = mp < 10 ? mp + 3 : mp - 9;
  LocalTime t;
  t.year = static_cast<std::uint16_t>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  t.month = static_cast<std::uint16_t>(month);
  t.day = static_cast<std::uint16_t>(doy - (153 * mp + 2) / 5 + 1);
  t.weekday = static_cast<std::uint16_t>((days + 4) % 7);  // 1970-01-01 was a Thursday
  t.hour = static_cast<std::uint16_t>(seconds / 3600 % 24);
  t.minute = static_cast<std::uint16_t>(seconds / 60 % 60);
  t.second = static_cast<std::uint16_t>(seconds % 60);
  t.millisecond = static_cast<std::uint16_t>(now % 1000);
  return t;
}

bool RegisterNative(const char* name, Game::NativeHandler handler) {
  return registry.Add(name, handler);
}
bool UnregisterNative(const char* name) {
  return registry.Remove(name);
}
void ClearNatives() {
  registry.Clear();
}
unsigned NativeCount() {
  return registry.size();
}

int ThreadCount() {
  return static_cast<int>(registered.size());
}

void UnregisterThread(NativeThread* thread) {
  if (thread != nullptr) Scheduler::Remove(thread);
}

NativeThread* ThreadAt(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= registered.size()) return nullptr;
  return registered[static_cast<std::size_t>(index)]->thread;
}

const NativeThread* RunningThread() {
  return running != nullptr ? running->thread : nullptr;
}

void RunTick() {
  // A pass may register or destroy threads; the tick runs those registered when it began that
  // are still there.
  tickOrder.clear();
  for (const std::unique_ptr<Scheduled>& entry : registered) tickOrder.push_back(entry->thread);
  for (NativeThread* thread : tickOrder) {
    if (Find(thread) != nullptr) Scheduler::Resume(thread);
  }
}

}  // namespace tessel

using tessel::Scheduler;
using tessel::ThreadAccess;

GameTypes::scrThread::~scrThread() = default;

NativeThread::NativeThread() : m_host{} {
  ThreadAccess::Construct(this);
}

NativeThread::~NativeThread() {
  Scheduler::Remove(this);
  tessel::listener->OnDestroy(this);
}

void NativeThread::SetName(char* name) {
  if (name == nullptr) return;
  char(&own)[32] = ThreadAccess::Data(this).name;
  std::snprintf(own, sizeof own, "%s", name);
}

const char* NativeThread::GetName() const {
  return ThreadAccess::Data(this).name;
}

GameTypes::eThreadState NativeThread::GetState() const {
  return ThreadAccess::Data(this).state;
}

// The host calls its own members by name, never through the object's table: a plug-in's table
// need not be laid out the way this library's compiler lays out its own.
GameTypes::eThreadState NativeThread::Reset(unsigned, void*, unsigned) {
  Scheduler::Rewind(this);
  ThreadAccess::Data(this).state = GameTypes::ThreadStateRunning;
  return GameTypes::ThreadStateRunning;
}

GameTypes::eThreadState NativeThread::Run(unsigned) {
  return Scheduler::Resume(this);
}

GameTypes::eThreadState NativeThread::Tick(unsigned opsToExecute) {
  return NativeThread::Run(opsToExecute);
}

void NativeThread::Kill() {
  ThreadAccess::Data(this).state = GameTypes::ThreadStateKilled;
}

void NativeThread::Start() {
  NativeThread::Reset(0, nullptr, 0);
}

void TesselManager::RegisterThread(NativeThread* thread) {
  tessel::RegisterThread(thread, tessel::abi::Layout::native);
}

Game::NativeHandler Game::GetNativeAddress(const char* name) {
  const NativeHandler handler = tessel::registry.Find(name);
  if (handler == nullptr) tessel::listener->OnMissingNative(name != nullptr ? name : "");
  return handler;
}
void Log::Info(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (!tessel::logPath.empty()) {
    if (std::FILE* file = std::fopen(tessel::logPath.c_str(), "a")) {
      std::fprintf(file, "%s\n", line);
      std::fclose(file);
    }
  }
  tessel::listener->OnLog(line);
}

void ScriptingHelpers::Wait(unsigned milliseconds) {
  Scheduler::Suspend(milliseconds);
}
