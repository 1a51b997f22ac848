// How the host calls into a registered thread object. A plug-in built by the host's own compiler
// shares its virtual tables; a plug-in built for the game's Windows process lays its table out in
// the Windows C++ ABI, which is the interface: slot 0 the destructor (taking a flags argument),
// 1 Reset, 2 Run, 3 Tick, 4 Kill, 5 RunPass, 6 Start, every one called with `this` in ecx.
#pragma once

#include "tessel.h"

namespace tessel::abi {

enum class Layout {
  native,   // the host's own compiler
  windows,  // the Windows C++ ABI, registered through the decorated entry points
};

void RunPass(NativeThread* thread, Layout layout);
void Start(NativeThread* thread, Layout layout);
// Runs the destructor without freeing the object.
void Destroy(NativeThread* thread, Layout layout);

}  // namespace tessel::abi

namespace tessel {

// Registers a thread whose table has the given layout (the scheduler's side, in tessel.cpp).
void RegisterThread(NativeThread* thread, abi::Layout layout);

}  // namespace tessel

// TesselManager::RegisterThread as plug-ins in the Windows C++ ABI import it, under its decorated
// name (Tessel.def).
extern "C" void TesselRegisterWindowsThread(NativeThread* thread);
