// A request as the page sends it: one JSON object. The engine reads its string and true/false
// fields; fields of other kinds are read past, so that a page may send more than this engine
// knows.
#pragma once

#include <map>
#include <string>

namespace desk {

struct Request {
  std::map<std::string, std::string> texts;
  std::map<std::string, bool> flags;

  // The field's text, or null when the request has no such string.
  const std::string* Text(const std::string& name) const;
  bool Flag(const std::string& name) const;  // false when absent
};

// Reads `json` into `out`: an empty string, or what is wrong with it and where (its byte offset).
std::string ReadRequest(const std::string& json, Request& out);

}  // namespace desk
