// What the programs read from their command lines the same way: options that take a value,
// flags, --help, --version and the one input file; and writing an output file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cli {

struct CommandLine {
  const char* program;  // as messages name it
  const char* usage;    // --help prints it, and so does a command line without an input
  const char* more;     // further help after the usage, or null
  const char* input;    // what the one input is: "scenario", "shot list"
  std::vector<std::pair<const char*, std::string*>> valued;
  std::vector<std::pair<const char*, std::function<void()>>> flags;
};

// Reads the command line into `line`'s fields and `input`. Empty to go on, else the exit code to
// end with: 0 after --help or --version, 2 for a command line that is wrong, which has been
// reported.
std::optional<int> Parse(int argc, char** argv, const CommandLine& line, std::string& input);

bool WriteFile(const std::string& path, const std::string& text);

// The value of --rough, a rough world's seed, given as `text` (empty when the option was not
// given). Empty to go on, else 2 for a value that is no seed, which has been reported.
std::optional<int> RoughSeed(const char* program, const std::string& text, bool& rough,
                             std::uint64_t& seed);

}  // namespace cli
