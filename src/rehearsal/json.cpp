#include "rehearsal/json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "rehearsal/decimal.h"

namespace sim {

std::string JsonString(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  std::size_t plain = 0;  // start of the run of characters that need no escape
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(text, plain, i - plain);
    plain = i + 1;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default: {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04x", c);
        out += escape;
      }
    }
  }
  out.append(text, plain, std::string::npos);
  out += '"';
  return out;
}

std::string JsonNumber(float value) {
  if (!std::isfinite(value)) return "null";
  return ShortestText(value);
}

std::string JsonNumber(std::int64_t value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

JsonObject& JsonObject::Raw(const char* key, const std::string& json) {
  // Keys are plain names, so they need no escaping.
  body_ += body_.empty() ? "\"" : ",\"";
  body_ += key;
  body_ += "\":";
  body_ += json;
  return *this;
}

}  // namespace sim
