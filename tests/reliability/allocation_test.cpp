// The plug-in allocates nothing after load: heap allocations are counted while host ticks run,
// leaving out those made inside the host's natives (the simulated world allocates freely).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "harness.h"
#include "scene/scene.h"
#include "tessel/host.h"
#include "world/natives.h"

namespace {

std::atomic<long> pluginAllocations{0};
bool counting = false;
int insideNative = 0;

void Count() {
  if (counting && insideNative == 0) ++pluginAllocations;
}

// Each world native is wrapped so that its own allocations are not counted.
constexpr int kMaxNatives = 64;
Game::NativeHandler worldEntries[kMaxNatives];

template <int N>
void Wrapped(NativeCallContext* context) {
  ++insideNative;
  worldEntries[N](context);
  --insideNative;
}

template <int... N>
void WrapAll(const std::vector<std::string>& names, std::integer_sequence<int, N...>) {
  const Game::NativeHandler wrappers[] = {&Wrapped<N>...};
  for (std::size_t i = 0; i < names.size() && i < sizeof...(N); ++i) {
    worldEntries[i] = Game::GetNativeAddress(names[i].c_str());
    if (worldEntries[i] == nullptr) continue;
    tessel::UnregisterNative(names[i].c_str());
    tessel::RegisterNative(names[i].c_str(), wrappers[i]);
  }
}

void Tick(zt::PluginHarness& harness, std::uint32_t ms) {
  counting = true;
  harness.Advance(ms);
  counting = false;
}

void Press(zt::PluginHarness& harness, int key) {
  harness.Press(key);
  Tick(harness, 33);
}

}  // namespace

void* operator new(std::size_t size) {
  Count();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

TEST(Allocation, PassesCommandsRecordingAndWholeShowsAllocateNothing) {
  zt::PluginHarness harness;
  const std::vector<std::string> names = world::NativeNames();
  ASSERT_LE(names.size(), static_cast<std::size_t>(kMaxNatives));
  WrapAll(names, std::make_integer_sequence<int, kMaxNatives>{});

  // Idle passes, then the direct commands of mode 0.
  for (int i = 0; i < 30; ++i) Tick(harness, 33);
  for (int key : {220, 97, 107, 97, 98, 99, 101, 103, 104, 105, 102, 100, 96, 110}) {
    Press(harness, key);
    for (int i = 0; i < 40; ++i) Tick(harness, 33);  // the car-entering commands wait 1000 ms
  }
  // Recording in both modes, durations, seats, explosions, targets.
  Press(harness, 145);
  for (int key : {97, 98, 99, 101, 110, 103, 104, 105, 102, 100, 96, 187, 187, 33, 34, 189}) {
    Press(harness, key);
  }
  Press(harness, 106);
  Press(harness, 187);
  Press(harness, 145);
  for (int key : {97, 98, 99, 101, 110, 103, 104, 105, 102, 100, 96, 33, 34, 189, 187}) {
    Press(harness, key);
  }
  // A whole show, started from mode 2, then played again from mode 1.
  Press(harness, 220);
  for (int i = 0; i < 400; ++i) Tick(harness, 33);
  Press(harness, 145);
  Press(harness, 145);
  Press(harness, 220);
  for (int i = 0; i < 400; ++i) Tick(harness, 33);
  Press(harness, 19);
  Press(harness, 19);

  EXPECT_GT(pedCount, 0) << "the session created no ped, so it proved little";
  EXPECT_EQ(playing, 0) << "the show did not end";
  EXPECT_EQ(pluginAllocations.load(), 0) << "heap allocations made by the plug-in's own code";
}
