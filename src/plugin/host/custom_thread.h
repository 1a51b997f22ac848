#pragma once

#include "host/tessel.h"

// The plug-in's one script thread. It adds no data: everything lives in the scene store.
class CustomThread : public NativeThread {
 public:
  CustomThread();
  ~CustomThread() override;
  void RunPass() override;
};

extern CustomThread scriptThread;
