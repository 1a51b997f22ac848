// The desk's engine as the WebAssembly module's exports (the build exports these two, with
// malloc and free for the request's text). src/desk/README.md shows the calls from JavaScript.
#include <string>

#include "desk/engine.h"

namespace {

std::string answer;

}  // namespace

extern "C" {

// Answers the request, UTF-8 JSON text at `request`. A rehearsal switches fibers, and a call
// that switches returns nothing JavaScript can trust, so the answer is kept for zenthar_result.
void zenthar_call(const char* request) {
  answer = desk::Answer(request != nullptr ? request : "");
}

// The last call's answer, UTF-8 JSON text, valid until the next call.
const char* zenthar_result() {
  return answer.c_str();
}
}
