// The desk's engine as the WebAssembly module's exports (the build exports these two, with
// malloc and free for the request's text), and the modules linked into it, which its host loads
// by these names as the game loads the DLLs. src/desk/README.md shows the calls from JavaScript.
#include <string>

#include "desk/engine.h"
#include "tessel/linked_modules.h"

// Each module's entry and image, under the names the build gives them (cmake/LinkedModule.cmake).
extern "C" {
BOOL WINAPI Zenthar_entry(HINSTANCE module, DWORD reason, LPVOID reserved);
BOOL WINAPI ZentharTake_entry(HINSTANCE module, DWORD reason, LPVOID reserved);
extern unsigned char Zenthar_image[];
extern unsigned char ZentharTake_image[];
}

const tessel::LinkedModule tessel::kLinkedModules[] = {
    {"Zenthar.dll", Zenthar_entry, Zenthar_image},
    {"ZentharTake.dll", ZentharTake_entry, ZentharTake_image},
    {nullptr, nullptr, nullptr},
};

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
