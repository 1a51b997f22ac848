// Random use of the plug-in: key presses (the hot keys and any other code), time steps, world
// events and natives going missing, one operation per pair of bytes. The soak test draws the
// bytes from a seeded generator, the fuzz target from its input.
#pragma once

#include <cstdint>

#include "harness.h"

namespace zt {

// Applies one operation; returns true when it ran a host tick (a pass), after which the scene
// store's invariants can be checked.
bool ApplyMashOp(PluginHarness& harness, std::uint8_t op, std::uint8_t arg);

}  // namespace zt
