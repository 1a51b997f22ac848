// Drives the plug-in's own code in this process (linked in, not loaded) against the stand-in
// host and the simulated world, with direct access to its scene store. Used by the soak and
// allocation tests, the fuzz targets and the benchmarks.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "world/world.h"

namespace zt {

class PluginHarness {
 public:
  PluginHarness();
  ~PluginHarness();

  // Back to the state right after load: empty scene store, a fresh world with a few bystanders
  // and cars, no key pressed, the clock at `tickCount`, the script thread at the start of a pass.
  void Reset(std::uint32_t tickCount = 0);
  void SetMissing(const std::set<std::string>& natives);

  void Press(int key);
  // Moves virtual time on by `ms` and runs one host tick: the world steps, then the pass runs.
  void Advance(std::uint32_t ms);
  std::uint64_t now() const { return now_; }
  world::World& world() { return *world_; }

 private:
  std::unique_ptr<world::World> world_;
  std::set<std::string> missing_;
  std::uint64_t now_ = 0;
};

// Returns an empty string when every selection, count and playback value of the scene store is
// inside its range, else what is wrong.
std::string SceneInvariantProblem();

// Every table and scalar back to its value at load.
void ResetSceneStore();

}  // namespace zt
