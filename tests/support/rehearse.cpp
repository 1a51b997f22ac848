#include "rehearse.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "views/check.h"

namespace zt {

static std::vector<std::string> LinesWith(const std::vector<std::string>& lines,
                                          const std::string& tag) {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (line.find(tag) != std::string::npos) found.push_back(line);
  }
  return found;
}

std::vector<std::string> Rehearsal::Events(const std::string& ev) const {
  return LinesWith(lines, "\"ev\":\"" + ev + "\"");
}

std::vector<std::string> Rehearsal::Calls(const std::string& native) const {
  return LinesWith(lines, "\"ev\":\"native\",\"name\":\"" + native + "\"");
}

static std::vector<std::string> Texts(const std::vector<std::string>& lines) {
  std::vector<std::string> texts;
  for (const std::string& line : lines) {
    std::string text = Field(line, "text");
    if (text.size() >= 2) text = text.substr(1, text.size() - 2);
    texts.push_back(text);
  }
  return texts;
}

std::vector<std::string> Rehearsal::Screens() const {
  return Texts(Events("screen"));
}
std::vector<std::string> Rehearsal::Logs() const {
  return Texts(Events("log"));
}

int Rehearsal::Find(const std::vector<std::string>& parts, int from) const {
  for (int i = from < 0 ? 0 : from; i < static_cast<int>(lines.size()); ++i) {
    bool all = true;
    for (const std::string& part : parts) all = all && lines[i].find(part) != std::string::npos;
    if (all) return i;
  }
  return -1;
}

Rehearsal Rehearse(const std::string& scenario, sim::RunOptions options) {
  Rehearsal r;
  sim::Scenario parsed;
  const std::string problem = sim::ParseScenario("test.film", scenario, parsed);
  if (!problem.empty()) {
    ADD_FAILURE() << "scenario does not parse: " << problem;
    return r;
  }
  if (options.review == nullptr) options.review = sim::CheckFilm;
  r.out = sim::RunScenario(parsed, options);
  if (!r.out.ok) ADD_FAILURE() << "scenario did not run: " << r.out.error;
  std::istringstream in(r.out.trace);
  for (std::string line; std::getline(in, line);) r.lines.push_back(line);
  return r;
}

std::string TempPath(const std::string& name) {
  static unsigned counter = 0;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return (std::filesystem::temp_directory_path() /
          ("zenthar-" + std::to_string(stamp) + "-" + std::to_string(counter++) + "-" + name))
      .string();
}

std::uint64_t TimeOf(const std::string& line) {
  return std::stoull(Field(line, "t"));
}

std::string Field(const std::string& line, const std::string& key) {
  const std::string tag = "\"" + key + "\":";
  const std::size_t at = line.find(tag);
  if (at == std::string::npos) return "";
  std::size_t i = at + tag.size();
  const std::size_t begin = i;
  int depth = 0;
  bool quoted = false;
  for (; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        quoted = false;
      continue;
    }
    if (c == '"')
      quoted = true;
    else if (c == '[' || c == '{')
      ++depth;
    else if (c == ']' || c == '}') {
      if (depth == 0) break;
      --depth;
    } else if (c == ',' && depth == 0)
      break;
  }
  return line.substr(begin, i - begin);
}

}  // namespace zt
