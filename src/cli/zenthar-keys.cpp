// zenthar-keys: writes the keys card and the readme's keys, for the release archive, and the key
// table for the desk's page.
#include <cstdio>
#include <fstream>
#include <string>

#include "views/card.h"
#include "views/keys.h"

namespace {

const char* kUsage = R"(Usage: zenthar-keys [--card FILE] [--text FILE] [--table FILE]

  --card FILE   write the keys card (SVG): every key and what it does in each mode
  --text FILE   write the same as plain text, for the players' readme
  --table FILE  write the key table as JSON, for the desk's keypad and its names of the actions
)";

std::string Output(const std::string& option) {
  if (option == "--card") return sim::RenderKeysCard(ZENTHAR_VERSION);
  if (option == "--text") return sim::KeysText();
  return sim::KeyTableJson() + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  for (int i = 1; i < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg != "--card" && arg != "--text" && arg != "--table") {
      std::fputs(kUsage, arg == "--help" ? stdout : stderr);
      return arg == "--help" ? 0 : 2;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "zenthar-keys: %s needs a value\n", arg.c_str());
      return 2;
    }
    std::ofstream out(argv[i + 1], std::ios::binary);
    out << Output(arg);
    if (!out) {
      std::fprintf(stderr, "zenthar-keys: cannot write %s\n", argv[i + 1]);
      return 1;
    }
  }
  return 0;
}
