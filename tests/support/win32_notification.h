// googletest wants std::mutex for its thread notification, which the win32-threads MinGW
// runtime lacks; this stands in for it. Only googletest's own thread tests would wait on it.
#pragma once

#include <atomic>

namespace testing::internal {

class Notification {
 public:
  void Notify() { notified_ = true; }
  void WaitForNotification() {
    while (!notified_) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
