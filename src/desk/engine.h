// The desk's engine: what the desk's page asks of the tools, as text. A request is a JSON object
// naming its operation, the answer a JSON object (src/desk/README.md lists both):
//   shots     reads, plans, rehearses, verifies and reviews a shot list, as zenthar-plan does;
//   rehearse  runs a scenario or a take, as zenthar-sim --check does;
//   open      a take or a scenario as the shot list zenthar-sim --shots writes for it;
//   export    a shot list's show player page, storyboard or film sheet, as zenthar-sim writes
//             them for the list's plan.
// The same code answers in the programs and in the WebAssembly module (wasm_main.cpp).
#pragma once

#include <string>

namespace desk {

// The answer to one request, always a JSON object. A request that does not read, or names no
// operation this engine knows, gets {"ok":false,"error":"request: ..."}.
std::string Answer(const std::string& request);

}  // namespace desk
