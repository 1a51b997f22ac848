#include "cli/command_line.h"

#include <cstdio>
#include <fstream>

#include "rehearsal/scenario.h"

#ifndef ZENTHAR_VERSION
#error "the build gives the programs the project's version"
#endif

namespace cli {

std::optional<int> Parse(int argc, char** argv, const CommandLine& line, std::string& input) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::string* into = nullptr;
    for (const auto& [name, field] : line.valued) {
      if (arg == name) into = field;
    }
    const std::function<void()>* flag = nullptr;
    for (const auto& [name, set] : line.flags) {
      if (arg == name) flag = &set;
    }
    if (into != nullptr) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "%s: %s needs a value\n", line.program, arg.c_str());
        return 2;
      }
      *into = argv[++i];
    } else if (flag != nullptr) {
      (*flag)();
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(line.usage, stdout);
      if (line.more != nullptr) std::fputs(line.more, stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("%s %s\n", line.program, ZENTHAR_VERSION);
      return 0;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "%s: unknown option %s (see --help)\n", line.program, arg.c_str());
      return 2;
    } else if (input.empty()) {
      input = arg;
    } else {
      std::fprintf(stderr, "%s: one %s at a time (see --help)\n", line.program, line.input);
      return 2;
    }
  }
  if (input.empty()) {
    std::fputs(line.usage, stderr);
    return 2;
  }
  return std::nullopt;
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

std::optional<int> RoughSeed(const char* program, const std::string& text, bool& rough,
                             std::uint64_t& seed) {
  if (text.empty()) return std::nullopt;
  std::string problem;
  if (!sim::ReadSeed(text, seed, problem)) {
    std::fprintf(stderr, "%s: --rough: %s\n", program, problem.c_str());
    return 2;
  }
  rough = true;
  return std::nullopt;
}

}  // namespace cli
