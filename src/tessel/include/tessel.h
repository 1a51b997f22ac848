// The host's script-extension library: the thread base class a plug-in derives from and the
// static entry points it calls. A plug-in built for the game's 32-bit Windows process meets the
// library in the Windows C++ ABI: its thread object's virtual table has the destructor in slot 0,
// then Reset, Run, Tick, Kill, RunPass and Start, and it imports these members under their
// Windows C++ decorated names.
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

namespace tessel {
struct ThreadAccess;  // the host's own reach into a thread
}

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
};

class TESSEL_API OrvThread : public scrThread {};

}  // namespace GameTypes

// Base of every script thread. The host calls RunPass once per script tick; a body that calls
// ScriptingHelpers::Wait is suspended there and resumed on a later tick.
class TESSEL_API NativeThread : GameTypes::OrvThread {
 public:
  NativeThread();
  ~NativeThread() override;
  NativeThread(const NativeThread&) = delete;
  NativeThread& operator=(const NativeThread&) = delete;

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

  static constexpr unsigned kHostReserve = 1024;

 private:
  friend struct tessel::ThreadAccess;
  // The host library's own data. Its size in the game's library is not ours to know, so every
  // thread object leaves this much room for it; a plug-in's static thread object is laid out
  // with this size and a larger host would otherwise write past it.
  alignas(8) unsigned char m_host[kHostReserve];
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
