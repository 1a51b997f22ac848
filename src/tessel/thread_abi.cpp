#include "thread_abi.h"

#include <cstring>

// Member functions of the interface pass `this` in ecx on 32-bit x86; other targets have one
// convention for everything.
#if defined(__i386__)
#define TESSEL_THISCALL __attribute__((thiscall))
#else
#define TESSEL_THISCALL
#endif

namespace tessel::abi {

namespace {

constexpr unsigned kDestructorSlot = 0;
constexpr unsigned kRunPassSlot = 5;
constexpr unsigned kStartSlot = 6;

using Method = void(TESSEL_THISCALL*)(NativeThread* self);
using Destructor = void*(TESSEL_THISCALL*)(NativeThread* self, unsigned flags);

void* Entry(NativeThread* thread, unsigned slot) {
  void* const* table = nullptr;
  std::memcpy(static_cast<void*>(&table), static_cast<const void*>(thread), sizeof table);
  return table[slot];
}

}  // namespace

void RunPass(NativeThread* thread, Layout layout) {
  if (layout == Layout::windows) {
    reinterpret_cast<Method>(Entry(thread, kRunPassSlot))(thread);
  } else {
    thread->RunPass();
  }
}

void Start(NativeThread* thread, Layout layout) {
  if (layout == Layout::windows) {
    reinterpret_cast<Method>(Entry(thread, kStartSlot))(thread);
  } else {
    thread->Start();
  }
}

void Destroy(NativeThread* thread, Layout layout) {
  if (layout == Layout::windows) {
    // Flags 0: tear the object down and leave its storage alone.
    reinterpret_cast<Destructor>(Entry(thread, kDestructorSlot))(thread, 0);
  } else {
    thread->~NativeThread();
  }
}

}  // namespace tessel::abi

void TesselRegisterWindowsThread(NativeThread* thread) {
  tessel::RegisterThread(thread, tessel::abi::Layout::windows);
}
