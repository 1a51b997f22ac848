// What a pass costs: an idle pass against the host calls it cannot avoid, one native call with
// its lookup by name, and a playback step over the fullest screen.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <string>

#include "harness.h"
#include "host/custom_thread.h"
#include "natives/natives.h"
#include "playback/playback.h"
#include "scene/scene.h"
#include "stub_natives.h"
#include "tessel/host.h"

namespace {

const int kChainKeys[] = {220, 97,  98,  99,  101, 110, 103, 104, 105, 102, 100,
                          96,  107, 109, 106, 111, 33,  34,  189, 187, 145, 19};

void IdlePass(benchmark::State& state) {
  zt::PluginHarness harness;
  const zt::StubNatives stubs;
  for (auto _ : state) scriptThread.RunPass();
}
BENCHMARK(IdlePass);

// The least an idle pass can do: query each of the 22 keys once.
void IdlePassLowerBound(benchmark::State& state) {
  for (auto _ : state) {
    for (int key : kChainKeys) benchmark::DoNotOptimize(GetAsyncKeyState(key));
  }
}
BENCHMARK(IdlePassLowerBound);

void InvokeNative(benchmark::State& state) {
  const zt::StubNatives stubs;
  for (int i = static_cast<int>(tessel::NativeCount()); i < state.range(0); ++i) {
    tessel::RegisterNative(("FILLER_NATIVE_" + std::to_string(i)).c_str(), zt::AnswerYes);
  }
  PedHandle ped = 100;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DOES_CHAR_EXIST(ped));
    benchmark::ClobberMemory();
  }
  state.counters["natives"] = static_cast<double>(tessel::NativeCount());
}
BENCHMARK(InvokeNative)->Arg(39)->Arg(5000);

// 255 peds with a cue each and 32 explosions; the host's Wait returns at once here, since the
// step runs outside a script thread.
void PlayFullScreenStep(benchmark::State& state) {
  zt::PluginHarness harness;
  const zt::StubNatives stubs;
  const std::int32_t codes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 21, 22, 23, 24, 25, 26, 27, 28};
  for (int slot = 0; slot < kPedSlots; ++slot) {
    pedHandle[slot] = 1000 + slot;
    cueAction[0][slot] = codes[slot % (sizeof codes / sizeof codes[0])];
  }
  for (int id = 0; id < kExplosionIds; ++id) explosionSet[0][id] = 1;
  pedCount = kPedSlots;
  explosionCount = kExplosionIds;
  screenDuration[0] = 1;
  screenDuration[1] = 1;
  for (auto _ : state) {
    playing = 1;
    playScreen = 0;
    PlayScreenStep();
  }
  zt::ResetSceneStore();
}
BENCHMARK(PlayFullScreenStep);

}  // namespace
