// Cooperative fibers for script threads: Windows fibers, or ucontext elsewhere.
#pragma once

namespace tessel::fiber {

struct Fiber;

// The calling thread's own fiber, created on first use.
Fiber* Host();
Fiber* Create(void (*body)(void*), void* argument);
void Destroy(Fiber* fiber);
// Switches from the running fiber to `to`; returns when something switches back.
void SwitchTo(Fiber* to);

}  // namespace tessel::fiber
