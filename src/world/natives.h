// The world's answers to the natives: one row per native with its argument shape, registered
// with the host under the native's name. Every call is reported with its arguments, the values
// it wrote through its out-parameters, and its result.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tessel.h"
#include "world/world.h"

namespace world {

struct Value {
  enum class Kind { integer, real, boolean, text, out };
  Kind kind = Kind::integer;
  std::int32_t i = 0;
  float f = 0.0f;
  std::string text;
};

struct NativeCall {
  std::string name;
  std::vector<Value> args;
  std::vector<Value> outs;
  bool boolResult = false;
  std::int32_t result = 0;
  bool badArgs = false;  // the record did not hold the argument count the native takes
};

class CallObserver {
 public:
  virtual ~CallObserver() = default;
  virtual void OnNativeCall(const NativeCall& call) = 0;
};

// Registers every native but those named in `missing`, answering from `world`.
void InstallNatives(World& world, CallObserver* observer, const std::set<std::string>& missing);
// The thread whose CREATE_CHAR makes the cast; peds other threads create are extras. Null (the
// default) makes every created ped cast.
void SetCastMaker(const NativeThread* thread);
void RemoveNatives();
std::vector<std::string> NativeNames();

}  // namespace world
