// The host's script-extension library, as the plug-in sees it: the thread base class the plug-in
// derives from and the static entry points it calls. The stand-in host in src/tessel implements
// exactly these declarations.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#if defined(TESSEL_BUILD)
#define TESSEL_API __declspec(dllexport)
#else
#define TESSEL_API __declspec(dllimport)
#endif
#else
#define TESSEL_API __attribute__((visibility("default")))
#endif

struct NativeCallContext;

namespace GameTypes {

enum eThreadState {
  ThreadStateIdle = 0,
  ThreadStateRunning = 1,
  ThreadStateKilled = 2,
};

class TESSEL_API scrThread {
 public:
  virtual ~scrThread();

 protected:
  virtual eThreadState Reset(unsigned scriptHash, void* args, unsigned argCount) = 0;
  virtual eThreadState Run(unsigned opsToExecute) = 0;
  virtual eThreadState Tick(unsigned opsToExecute) = 0;

 public:
  virtual void Kill() = 0;

 protected:
  unsigned m_threadId = 0;
  eThreadState m_state = ThreadStateIdle;
};

class TESSEL_API OrvThread : public scrThread {
 protected:
  char m_name[32] = {};
};

}  // namespace GameTypes

namespace tessel {
struct Scheduler;  // the host's side of a thread
}

// Base of every script thread. The host calls RunPass once per script tick; a body that calls
// ScriptingHelpers::Wait is suspended there and resumed on a later tick.
class TESSEL_API NativeThread : GameTypes::OrvThread {
 public:
  NativeThread();
  ~NativeThread() override;

  void SetName(char* name);
  const char* GetName() const;
  GameTypes::eThreadState GetState() const;

 protected:
  GameTypes::eThreadState Reset(unsigned scriptHash, void* args, unsigned argCount) override;
  GameTypes::eThreadState Run(unsigned opsToExecute) override;
  GameTypes::eThreadState Tick(unsigned opsToExecute) override;

 public:
  void Kill() override;
  virtual void RunPass() = 0;
  virtual void Start();

 private:
  friend struct tessel::Scheduler;
  void* m_fiber = nullptr;
  std::uint32_t m_wakeTime = 0;
  bool m_waiting = false;
  bool m_inPass = false;
  NativeThread* m_next = nullptr;
};

class TESSEL_API TesselManager {
 public:
  static void RegisterThread(NativeThread* thread);
};

class TESSEL_API Game {
 public:
  using NativeHandler = void (*)(NativeCallContext* context);
  static NativeHandler GetNativeAddress(const char* name);
};

class TESSEL_API Log {
 public:
  static void Info(const char* format, ...);
};

class TESSEL_API ScriptingHelpers {
 public:
  static void Wait(unsigned milliseconds);
};
