// Natives that answer at once: existence queries say yes, everything else does nothing. They
// measure the plug-in and the host's lookup, not the simulated world. A benchmark holds them
// for its own run and leaves the host without natives, as it found it, so the rehearsals that
// follow install the world's.
#pragma once

#include "natives/native_context.h"
#include "tessel/host.h"
#include "world/natives.h"

namespace zt {

inline void AnswerYes(NativeCallContext* context) {
  context->slots[0] = 1;
}

class StubNatives {
 public:
  // In place of whatever was registered, the world's natives of a harness among them.
  StubNatives() {
    tessel::ClearNatives();
    for (const std::string& name : world::NativeNames())
      tessel::RegisterNative(name.c_str(), AnswerYes);
  }
  ~StubNatives() { tessel::ClearNatives(); }
  StubNatives(const StubNatives&) = delete;
  StubNatives& operator=(const StubNatives&) = delete;
};

}  // namespace zt
