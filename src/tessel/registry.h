// Native names to entry points: open addressing over a power-of-two table, so a lookup costs one
// hash of the name and, almost always, one comparison, however many natives there are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tessel.h"

namespace tessel {

class NativeRegistry {
 public:
  bool Add(const char* name, Game::NativeHandler handler);
  bool Remove(const char* name);
  Game::NativeHandler Find(const char* name) const;
  void Clear();
  unsigned size() const { return count_; }

 private:
  struct Entry {
    std::string name;
    std::uint32_t hash = 0;
    Game::NativeHandler handler = nullptr;
    bool used = false;
    bool removed = false;
  };
  static std::uint32_t Hash(const char* name);
  const Entry* Lookup(const char* name, std::uint32_t hash) const;
  void Grow();

  std::vector<Entry> table_;
  unsigned count_ = 0;
  unsigned occupied_ = 0;
};

}  // namespace tessel
