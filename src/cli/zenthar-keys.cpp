// zenthar-keys: writes the keys card and the readme's keys, for the release archive.
#include <cstdio>
#include <fstream>
#include <string>

#include "views/card.h"

namespace {

const char* kUsage = R"(Usage: zenthar-keys [--card FILE] [--text FILE]

  --card FILE  write the keys card (SVG): every key and what it does in each mode
  --text FILE  write the same as plain text, for the players' readme
)";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  for (int i = 1; i < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg != "--card" && arg != "--text") {
      std::fputs(kUsage, arg == "--help" ? stdout : stderr);
      return arg == "--help" ? 0 : 2;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "zenthar-keys: %s needs a value\n", arg.c_str());
      return 2;
    }
    std::ofstream out(argv[i + 1], std::ios::binary);
    out << (arg == "--card" ? sim::RenderKeysCard(ZENTHAR_VERSION) : sim::KeysText());
    if (!out) {
      std::fprintf(stderr, "zenthar-keys: cannot write %s\n", argv[i + 1]);
      return 1;
    }
  }
  return 0;
}
