// The host's thread base, scheduler, native lookup, log, waits and virtual devices.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "fiber.h"
#include "host.h"
#include "registry.h"

namespace tessel {

namespace {

NativeThread* firstThread = nullptr;
NativeThread* runningThread = nullptr;
Listener defaultListener;
Listener* listener = &defaultListener;
NativeRegistry registry;
std::string logPath;

std::uint8_t keyPressed[256];
std::uint32_t clockStart = 0;
std::uint64_t now = 0;

}  // namespace

// Everything that reaches into a thread's host-side state.
struct Scheduler {
  static void Body(void* argument) {
    auto* thread = static_cast<NativeThread*>(argument);
    for (;;) {
      thread->m_inPass = true;
      listener->OnPassBegin();
      thread->RunPass();
      thread->m_inPass = false;
      listener->OnPassEnd();
      fiber::SwitchTo(fiber::Host());
    }
  }

  static void Add(NativeThread* thread) {
    NativeThread** link = &firstThread;
    while (*link != nullptr) {
      if (*link == thread) return;
      link = &(*link)->m_next;
    }
    *link = thread;
    thread->m_next = nullptr;
  }

  static void Remove(NativeThread* thread) {
    for (NativeThread** link = &firstThread; *link != nullptr; link = &(*link)->m_next) {
      if (*link == thread) {
        *link = thread->m_next;
        thread->m_next = nullptr;
        return;
      }
    }
  }

  static NativeThread* Next(NativeThread* thread) { return thread->m_next; }

  static GameTypes::eThreadState Resume(NativeThread* thread) {
    if (thread->m_state != GameTypes::ThreadStateRunning) return thread->m_state;
    if (thread->m_waiting && static_cast<std::int32_t>(TickCount() - thread->m_wakeTime) < 0) {
      return thread->m_state;
    }
    thread->m_waiting = false;
    runningThread = thread;
    fiber::SwitchTo(static_cast<fiber::Fiber*>(thread->m_fiber));
    runningThread = nullptr;
    return thread->m_state;
  }

  static void Suspend(unsigned milliseconds) {
    NativeThread* thread = runningThread;
    if (thread == nullptr) return;
    thread->m_waiting = true;
    thread->m_wakeTime = TickCount() + milliseconds;
    listener->OnWait(milliseconds);
    fiber::SwitchTo(fiber::Host());
  }

  static void Rewind(NativeThread* thread) {
    fiber::Destroy(static_cast<fiber::Fiber*>(thread->m_fiber));
    thread->m_fiber = fiber::Create(Body, thread);
    thread->m_waiting = false;
    thread->m_inPass = false;
  }

  static void Release(NativeThread* thread) {
    Remove(thread);
    fiber::Destroy(static_cast<fiber::Fiber*>(thread->m_fiber));
    thread->m_fiber = nullptr;
  }
};

Listener::~Listener() = default;
void Listener::OnRegister(const NativeThread*) {}
void Listener::OnLog(const char*) {}
void Listener::OnMissingNative(const char*) {}
void Listener::OnWait(unsigned) {}
void Listener::OnPassBegin() {}
void Listener::OnPassEnd() {}

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
  int count = 0;
  for (NativeThread* t = firstThread; t != nullptr; t = Scheduler::Next(t)) ++count;
  return count;
}

void UnregisterThread(NativeThread* thread) {
  if (thread != nullptr) Scheduler::Remove(thread);
}

NativeThread* ThreadAt(int index) {
  NativeThread* t = firstThread;
  for (; t != nullptr && index > 0; --index) t = Scheduler::Next(t);
  return t;
}

void RunTick() {
  for (NativeThread* t = firstThread; t != nullptr;) {
    NativeThread* next = Scheduler::Next(t);
    Scheduler::Resume(t);
    t = next;
  }
}

}  // namespace tessel

using tessel::Scheduler;

GameTypes::scrThread::~scrThread() = default;

NativeThread::NativeThread() = default;

NativeThread::~NativeThread() {
  Scheduler::Release(this);
}

void NativeThread::SetName(char* name) {
  if (name == nullptr) return;
  std::snprintf(m_name, sizeof m_name, "%s", name);
}

const char* NativeThread::GetName() const {
  return m_name;
}

GameTypes::eThreadState NativeThread::GetState() const {
  return m_state;
}

GameTypes::eThreadState NativeThread::Reset(unsigned, void*, unsigned) {
  Scheduler::Rewind(this);
  m_state = GameTypes::ThreadStateRunning;
  return m_state;
}

GameTypes::eThreadState NativeThread::Run(unsigned) {
  return Scheduler::Resume(this);
}

GameTypes::eThreadState NativeThread::Tick(unsigned opsToExecute) {
  return Run(opsToExecute);
}

void NativeThread::Kill() {
  m_state = GameTypes::ThreadStateKilled;
}

void NativeThread::Start() {
  Reset(0, nullptr, 0);
}

void TesselManager::RegisterThread(NativeThread* thread) {
  if (thread == nullptr) return;
  thread->Start();
  Scheduler::Add(thread);
  tessel::listener->OnRegister(thread);
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
