// Compact views of a rehearsal's trace for the director and playback tests: one short string
// per event, so that a failing EXPECT_EQ prints the whole story next to the expected one.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "rehearse.h"

namespace zt {

// Natives that only find the player ped or show a message; they would drown the rest.
inline bool Bookkeeping(const std::string& name) {
  return name == "\"GET_PLAYER_ID\"" || name == "\"CONVERT_INT_TO_PLAYERINDEX\"" ||
         name == "\"GET_PLAYER_CHAR\"" || name == "\"PRINT_STRING_WITH_LITERAL_STRING_NOW\"";
}

inline std::string Unquote(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"') return text.substr(1, text.size() - 2);
  return text;
}

// "NAME [args]" for every native call of `name` (all natives but the bookkeeping ones when
// empty) whose time lies in [from, to), in trace order; with `timed`, prefixed by "t ".
inline std::vector<std::string> Trail(const Rehearsal& r, std::uint64_t from = 0,
                                      std::uint64_t to = UINT64_MAX, const std::string& name = "",
                                      bool timed = false) {
  std::vector<std::string> found;
  for (const std::string& line : r.Events("native")) {
    const std::uint64_t t = TimeOf(line);
    if (t < from || t >= to) continue;
    const std::string n = Field(line, "name");
    if (name.empty() ? Bookkeeping(n) : n != "\"" + name + "\"") continue;
    const std::string args = Field(line, "args");
    std::string entry = Unquote(n) + (args.empty() ? "" : " " + args);
    if (Field(line, "missing") == "true") entry += " missing";
    found.push_back(timed ? std::to_string(t) + " " + entry : entry);
  }
  return found;
}

// "t text" for every screen message and every log line ("t log: text"), in trace order.
inline std::vector<std::string> Shown(const Rehearsal& r, std::uint64_t from = 0,
                                      std::uint64_t to = UINT64_MAX) {
  std::vector<std::string> found;
  for (const std::string& line : r.lines) {
    const std::string ev = Field(line, "ev");
    if (ev != "\"screen\"" && ev != "\"log\"") continue;
    const std::uint64_t t = TimeOf(line);
    if (t < from || t >= to) continue;
    found.push_back(std::to_string(t) + (ev == "\"log\"" ? " log: " : " ") +
                    Unquote(Field(line, "text")));
  }
  return found;
}

// Times of the native calls of one name, in trace order.
inline std::vector<std::uint64_t> TimesOf(const Rehearsal& r, const std::string& name) {
  std::vector<std::uint64_t> times;
  for (const std::string& line : r.Calls(name)) times.push_back(TimeOf(line));
  return times;
}

// The time of the first pass at or after `t` at the default 30 passes a second.
inline std::uint64_t PassAt(std::uint64_t t) {
  std::uint64_t tick = t * 30 / 1000;
  while (tick * 1000 / 30 < t) ++tick;
  return tick * 1000 / 30;
}

}  // namespace zt

namespace zt {

// Builds a scenario one statement at a time, each `step` ms after the previous one, so that a
// long run of key presses reads as a list. At() is the time of the last statement.
class Script {
 public:
  explicit Script(std::string setUp, int step = 200) : text_(std::move(setUp)), step_(step) {}
  Script& operator()(const std::string& statement) {
    ms_ += step_;
    text_ += "at " + std::to_string(ms_ / 1000) + "." + Pad(ms_ % 1000) + " " + statement + "\n";
    return *this;
  }
  Script& Pause(int ms) {
    ms_ += ms;
    return *this;
  }
  std::uint64_t At() const { return static_cast<std::uint64_t>(ms_); }
  std::string Run(int afterMs) const {
    const int end = ms_ + afterMs;
    return text_ + "run " + std::to_string(end / 1000) + "." + Pad(end % 1000) + "\n";
  }

 private:
  static std::string Pad(int ms) {
    std::string s = std::to_string(ms);
    return std::string(3 - s.size(), '0') + s;
  }
  std::string text_;
  int step_;
  int ms_ = 0;
};

}  // namespace zt
