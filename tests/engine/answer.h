// The desk's engine's answers as the tests read them: the requests the page writes, and the
// answer's top-level fields, pre-filled with a sentinel so that a field the answer lacks shows.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "desk/engine.h"
#include "desk/request.h"

#if !defined(ZENTHAR_EXAMPLES) || !defined(ZENTHAR_DOCS)
#error "the build names the examples' and the docs' folders"
#endif

namespace engine_test {

inline const char* const kSentinel = "(not in the answer)";

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::string Example(const std::string& name) {
  return ReadFile(std::string(ZENTHAR_EXAMPLES) + "/" + name);
}

// A request as the page writes it, the text escaped as JSON.
inline std::string Request(const std::string& op, const std::string& file, const std::string& text,
                           const std::string& more = "") {
  std::string json = "{\"op\":\"" + op + "\",\"file\":\"" + file + "\",\"text\":\"";
  for (const char c : text) {
    if (c == '\n') {
      json += "\\n";
    } else if (c == '"' || c == '\\') {
      json += std::string("\\") + c;
    } else {
      json += c;
    }
  }
  return json + "\"" + more + "}";
}

// The answer's top-level string and true/false fields.
struct Answer {
  std::string json;
  desk::Request fields;

  explicit Answer(const std::string& request) : json(desk::Answer(request)) {
    fields.texts["error"] = kSentinel;
    const std::string problem = desk::ReadRequest(json, fields);
    EXPECT_EQ(problem, "") << "the answer is no JSON object: " << json.substr(0, 400);
  }
  std::string Text(const char* name) const {
    const std::string* text = fields.Text(name);
    return text != nullptr ? *text : kSentinel;
  }
  bool Has(const std::string& part) const { return json.find(part) != std::string::npos; }
};

}  // namespace engine_test
