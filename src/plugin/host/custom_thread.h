#pragma once

#include "tessel.h"

// The plug-in's one script thread. It adds no data: everything lives in the scene store.
class CustomThread : public NativeThread {
 public:
  CustomThread();
  ~CustomThread() override;
  void RunPass() override;
};

static_assert(sizeof(CustomThread) == sizeof(NativeThread),
              "the thread object is the host's alone");

extern CustomThread scriptThread;
