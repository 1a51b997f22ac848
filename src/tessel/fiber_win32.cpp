#include <windows.h>

#include "fiber.h"

namespace tessel::fiber {

namespace {
constexpr SIZE_T kStackSize = 256 * 1024;
}

struct Fiber {
  void* handle = nullptr;
  void (*body)(void*) = nullptr;
  void* argument = nullptr;
};

namespace {

Fiber hostFiber;

void CALLBACK Trampoline(void* parameter) {
  Fiber* self = static_cast<Fiber*>(parameter);
  self->body(self->argument);
}

}  // namespace

Fiber* Host() {
  if (hostFiber.handle == nullptr) {
    hostFiber.handle = ConvertThreadToFiber(nullptr);
    if (hostFiber.handle == nullptr) hostFiber.handle = GetCurrentFiber();
  }
  return &hostFiber;
}

Fiber* Create(void (*body)(void*), void* argument) {
  Host();
  Fiber* fiber = new Fiber;
  fiber->body = body;
  fiber->argument = argument;
  fiber->handle = CreateFiber(kStackSize, Trampoline, fiber);
  return fiber;
}

void Destroy(Fiber* fiber) {
  if (fiber == nullptr || fiber == &hostFiber) return;
  DeleteFiber(fiber->handle);
  delete fiber;
}

void SwitchTo(Fiber* to) {
  SwitchToFiber(to->handle);
}

}  // namespace tessel::fiber
