// Fibers on emscripten's fiber API, which the build's -sASYNCIFY makes work: a switch unwinds the
// running fiber's wasm call stack into its save area and rewinds the other's from it. An area too
// small for the calls it holds traps as `unreachable`. The build instruments only the calls that
// lead to a switch (src/desk/CMakeLists.txt), so the areas hold little: the deepest saves of the
// examples and the largest film were 76 bytes for a script thread and 188 for the host.
#include <emscripten/fiber.h>

#include <cstddef>
#include <cstdlib>

#include "fiber.h"

namespace tessel::fiber {

namespace {

// The C stack of a script thread, as on the other builds.
constexpr std::size_t kStackSize = 256 * 1024;
constexpr std::size_t kStackAlignment = 16;
// A script thread switches from inside the plug-in's pass, a few calls deep; the host from inside
// a whole request: the desk's engine, the rehearsal and the scheduler. Both with room for many
// times the calls they make now.
constexpr std::size_t kThreadSaveSize = 1024;
constexpr std::size_t kHostSaveSize = 4096;

}  // namespace

struct Fiber {
  emscripten_fiber_t context;
  void* stack = nullptr;
  void* save = nullptr;
};

namespace {

Fiber hostFiber;
Fiber* running = nullptr;
alignas(16) unsigned char hostSave[kHostSaveSize];

}  // namespace

Fiber* Host() {
  if (running == nullptr) {
    emscripten_fiber_init_from_current_context(&hostFiber.context, hostSave, sizeof hostSave);
    running = &hostFiber;
  }
  return &hostFiber;
}

Fiber* Create(void (*body)(void*), void* argument) {
  Host();
  Fiber* fiber = new Fiber;
  // The compiler takes the stack pointer to be 16-byte aligned (it adds small offsets to it
  // with a bitwise or); malloc promises only 8.
  fiber->stack = std::aligned_alloc(kStackAlignment, kStackSize);
  fiber->save = std::aligned_alloc(kStackAlignment, kThreadSaveSize);
  emscripten_fiber_init(&fiber->context, body, argument, fiber->stack, kStackSize, fiber->save,
                        kThreadSaveSize);
  return fiber;
}

void Destroy(Fiber* fiber) {
  if (fiber == nullptr || fiber == &hostFiber) return;
  std::free(fiber->stack);
  std::free(fiber->save);
  delete fiber;
}

void SwitchTo(Fiber* to) {
  Fiber* from = running;
  running = to;
  emscripten_fiber_swap(&from->context, &to->context);
}

}  // namespace tessel::fiber
