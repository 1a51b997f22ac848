// A small JSON writer with byte-exact number formatting, so the trace reads the same on every
// platform: floats in their shortest round-trip form, integers in decimal.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

std::string JsonString(const std::string& text);
std::string JsonNumber(float value);
std::string JsonNumber(std::int64_t value);

// Builds one object, keys in the order they are added.
class JsonObject {
 public:
  JsonObject& Raw(const char* key, const std::string& json);
  JsonObject& Str(const char* key, const std::string& text) { return Raw(key, JsonString(text)); }
  JsonObject& Int(const char* key, std::int64_t value) { return Raw(key, JsonNumber(value)); }
  JsonObject& Num(const char* key, float value) { return Raw(key, JsonNumber(value)); }
  JsonObject& Bool(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
  std::string str() const { return body_.empty() ? "{}" : "{" + body_ + "}"; }

 private:
  std::string body_;
};

}  // namespace sim
