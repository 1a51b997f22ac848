#include <ucontext.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fiber.h"

#if defined(__SANITIZE_ADDRESS__)
#define TESSEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSEL_ASAN 1
#endif
#endif

#if defined(TESSEL_ASAN)
extern "C" {
void __sanitizer_start_switch_fiber(void** fakeStackSave, const void* bottom, std::size_t size);
void __sanitizer_finish_switch_fiber(void* fakeStackSave, const void** bottomOld,
                                     std::size_t* sizeOld);
}
#endif

namespace tessel::fiber {

namespace {
constexpr std::size_t kStackSize = 256 * 1024;
}

struct Fiber {
  ucontext_t context;
  void* stack = nullptr;
  std::size_t stackSize = 0;
  void (*body)(void*) = nullptr;
  void* argument = nullptr;
};

namespace {

Fiber hostFiber;
Fiber* running = nullptr;
Fiber* previous = nullptr;

// Tells the address sanitizer the switch is complete. The host's stack is not ours, so its
// bounds are learnt here, the first time a fiber is entered from it.
void Finish([[maybe_unused]] void* fakeStack) {
#if defined(TESSEL_ASAN)
  const void* bottom = nullptr;
  std::size_t size = 0;
  __sanitizer_finish_switch_fiber(fakeStack, &bottom, &size);
  if (previous == &hostFiber && hostFiber.stack == nullptr) {
    hostFiber.stack = const_cast<void*>(bottom);
    hostFiber.stackSize = size;
  }
#endif
}

void Trampoline(unsigned high, unsigned low) {
  const std::uintptr_t address =
      (static_cast<std::uintptr_t>(high) << 16 << 16) | static_cast<std::uintptr_t>(low);
  Fiber* self = reinterpret_cast<Fiber*>(address);
  Finish(nullptr);
  self->body(self->argument);
  std::abort();  // a fiber body never returns
}

}  // namespace

Fiber* Host() {
  if (running == nullptr) running = &hostFiber;
  return &hostFiber;
}

Fiber* Create(void (*body)(void*), void* argument) {
  Host();
  Fiber* fiber = new Fiber;
  fiber->stack = std::malloc(kStackSize);
  fiber->stackSize = kStackSize;
  fiber->body = body;
  fiber->argument = argument;
  getcontext(&fiber->context);
  fiber->context.uc_stack.ss_sp = fiber->stack;
  fiber->context.uc_stack.ss_size = kStackSize;
  fiber->context.uc_link = nullptr;
  const auto address = reinterpret_cast<std::uintptr_t>(fiber);
  makecontext(&fiber->context, reinterpret_cast<void (*)()>(Trampoline), 2,
              static_cast<unsigned>(address >> 16 >> 16), static_cast<unsigned>(address));
  return fiber;
}

void Destroy(Fiber* fiber) {
  if (fiber == nullptr || fiber == &hostFiber) return;
  std::free(fiber->stack);
  delete fiber;
}

void SwitchTo(Fiber* to) {
  Fiber* from = running;
  running = to;
  previous = from;
#if defined(TESSEL_ASAN)
  void* fakeStack = nullptr;
  __sanitizer_start_switch_fiber(&fakeStack, to->stack, to->stackSize);
  swapcontext(&from->context, &to->context);
  Finish(fakeStack);
#else
  swapcontext(&from->context, &to->context);
#endif
}

}  // namespace tessel::fiber
