#include "registry.h"

#include <cstring>
#include <utility>

namespace tessel {

std::uint32_t NativeRegistry::Hash(const char* name) {
  std::uint32_t hash = 2166136261u;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p != 0; ++p) {
    hash = (hash ^ *p) * 16777619u;
  }
  return hash;
}

const NativeRegistry::Entry* NativeRegistry::Lookup(const char* name, std::uint32_t hash) const {
  if (table_.empty()) return nullptr;
  const std::size_t mask = table_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Entry& entry = table_[i];
    if (!entry.used) return nullptr;
    if (!entry.removed && entry.hash == hash && entry.name == name) return &entry;
  }
}

Game::NativeHandler NativeRegistry::Find(const char* name) const {
  if (name == nullptr) return nullptr;
  const Entry* entry = Lookup(name, Hash(name));
  return entry != nullptr ? entry->handler : nullptr;
}

// Rebuilds the table at a size fitting the live names, which also drops removed entries, so
// that registering and removing names again and again keeps lookups short.
void NativeRegistry::Grow() {
  std::vector<Entry> old = std::move(table_);
  std::size_t size = 64;
  while (size < (count_ + 1) * 4) size *= 2;
  table_.assign(size, Entry{});
  count_ = 0;
  occupied_ = 0;
  for (Entry& entry : old) {
    if (entry.used && !entry.removed) Add(entry.name.c_str(), entry.handler);
  }
}

bool NativeRegistry::Add(const char* name, Game::NativeHandler handler) {
  if (name == nullptr || handler == nullptr) return false;
  const std::uint32_t hash = Hash(name);
  if (Lookup(name, hash) != nullptr) return false;
  if ((occupied_ + 1) * 2 > table_.size()) Grow();
  const std::size_t mask = table_.size() - 1;
  std::size_t i = hash & mask;
  while (table_[i].used) i = (i + 1) & mask;
  table_[i] = Entry{name, hash, handler, true, false};
  ++count_;
  ++occupied_;
  return true;
}

bool NativeRegistry::Remove(const char* name) {
  if (name == nullptr) return false;
  auto* entry = const_cast<Entry*>(Lookup(name, Hash(name)));
  if (entry == nullptr) return false;
  entry->removed = true;
  entry->handler = nullptr;
  --count_;
  return true;
}

void NativeRegistry::Clear() {
  table_.clear();
  count_ = 0;
  occupied_ = 0;
}

}  // namespace tessel
