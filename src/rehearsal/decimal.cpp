#include "rehearsal/decimal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace sim {

namespace {

// A positive number to `digits.size()` significant digits: d1.d2...dn x 10^exponent.
struct Digits {
  std::string digits;
  int exponent = 0;
};

// Scientific text as the C library reads it.
using Text = char[48];

bool ReadsBack(const Text& text, float value) {
  return std::strtof(text, nullptr) == value;
}
bool ReadsBack(const Text& text, double value) {
  return std::strtod(text, nullptr) == value;
}

Digits Parse(const Text& text) {
  Digits d;
  const char* p = text;
  for (; *p != 'e'; ++p) {
    if (*p != '.') d.digits += *p;
  }
  d.exponent = std::atoi(p + 1);
  return d;
}

void Write(const Digits& d, Text& text) {
  std::snprintf(text, sizeof text, "%c.%se%d", d.digits[0], d.digits.c_str() + 1, d.exponent);
}

// The next decimal of as many digits above `d`, or below it; across a power of ten the digits
// stand for a step ten times larger, or smaller.
Digits Step(Digits d, bool up) {
  std::string& s = d.digits;
  std::size_t i = s.size();
  const char wraps = up ? '9' : '0';
  while (i > 0 && s[i - 1] == wraps) s[--i] = up ? '0' : '9';
  if (i == 0) {  // 99..9 up
    s = "1" + std::string(s.size() - 1, '0');
    ++d.exponent;
    return d;
  }
  s[i - 1] = static_cast<char>(s[i - 1] + (up ? 1 : -1));
  if (s[0] == '0') {  // 10..0 down
    s = std::string(s.size(), '9');
    --d.exponent;
  }
  return d;
}

// Writes the decimal of `precision` digits that reads back as `value`, the nearest one if several
// do, and says whether there is one. The nearest decimal of all, as the C library rounds it, may
// fall outside the values that read back where they are narrower (below a power of two); the
// nearest on the other side of `value` may still fall inside.
template <typename Real>
bool Candidate(Real value, int precision, Text& text) {
  std::snprintf(text, sizeof text, "%.*e", precision - 1, static_cast<double>(value));
  if (ReadsBack(text, value)) return true;
  const bool above = std::strtold(text, nullptr) > value;
  Write(Step(Parse(text), !above), text);
  return ReadsBack(text, value);
}

// The fewest digits that read back as `value` (finite, above 0). Where some decimal of n digits
// reads back, one of n + 1 does too, so the count is searched by halves.
template <typename Real>
Digits Shortest(Real value) {
  int low = 1;
  int high = std::numeric_limits<Real>::max_digits10;
  Text found;
  bool lowered = false;
  while (low < high) {
    const int middle = (low + high) / 2;
    Text text;
    if (Candidate(value, middle, text)) {
      high = middle;
      std::memcpy(found, text, sizeof found);
      lowered = true;
    } else {
      low = middle + 1;
    }
  }
  if (!lowered) Candidate(value, high, found);
  return Parse(found);
}

// A whole number the type holds exactly with room to spare (below 2^24 for a float) has its own
// digits for the shortest, the values next to it lying less than 1 away; `text` gets them all.
template <typename Real>
bool WholeNumber(Real value, Digits& out, std::string& text) {
  constexpr Real kExact = static_cast<Real>(1LL << std::numeric_limits<Real>::digits);
  if (!(value < kExact) || value != std::floor(value)) return false;
  text = std::to_string(static_cast<long long>(value));
  std::size_t significant = text.size();
  while (significant > 1 && text[significant - 1] == '0') --significant;
  out.digits = text.substr(0, significant);
  out.exponent = static_cast<int>(text.size()) - 1;
  return true;
}

std::string Scientific(const Digits& d) {
  std::string out = d.digits.substr(0, 1);
  if (d.digits.size() > 1) out += "." + d.digits.substr(1);
  char exponent[16];
  std::snprintf(exponent, sizeof exponent, "e%c%02d", d.exponent < 0 ? '-' : '+',
                std::abs(d.exponent));
  return out + exponent;
}

template <typename Real>
std::string Fixed(Real value, const Digits& d) {
  const int count = static_cast<int>(d.digits.size());
  if (d.exponent >= count - 1) {
    // The digits would go on in zeros; the whole number itself is as long, and exact.
    char text[400];
    std::snprintf(text, sizeof text, "%.0f", static_cast<double>(value));
    return text;
  }
  const auto point = static_cast<std::size_t>(d.exponent + 1);
  if (d.exponent >= 0) return d.digits.substr(0, point) + "." + d.digits.substr(point);
  return "0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
}

template <typename Real>
std::string Format(Real value, bool fixedOnly) {
  const std::string sign = std::signbit(value) ? "-" : "";
  if (std::isnan(value)) return sign + "nan";
  if (std::isinf(value)) return sign + "inf";
  if (value == 0) return sign + "0";
  const Real magnitude = std::fabs(value);
  Digits d;
  std::string fixed;
  if (!WholeNumber(magnitude, d, fixed)) {
    d = Shortest(magnitude);
    fixed = Fixed(magnitude, d);
  }
  // d.ddde+XX, the point only after a first digit with more to come.
  const std::size_t count = d.digits.size();
  const std::size_t scientific = count + (count > 1 ? 1 : 0) + (std::abs(d.exponent) < 100 ? 4 : 5);
  if (fixedOnly || fixed.size() <= scientific) return sign + fixed;
  return sign + Scientific(d);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// "inf", "infinity", "nan" or "nan(" letters, digits and _ ")", in any case.
bool IsSpecial(const std::string& text) {
  std::string lower;
  for (const char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower == "inf" || lower == "infinity" || lower == "nan") return true;
  if (lower.size() < 5 || lower.compare(0, 4, "nan(") != 0 || lower.back() != ')') return false;
  for (std::size_t i = 4; i + 1 < lower.size(); ++i) {
    const char c = lower[i];
    if (!IsDigit(c) && !(c >= 'a' && c <= 'z') && c != '_') return false;
  }
  return true;
}

}  // namespace

std::string ShortestText(float value) {
  return Format(value, false);
}

std::string ShortestFixed(float value) {
  return Format(value, true);
}

std::string ShortestFixed(double value) {
  return Format(value, true);
}

bool ReadDecimal(const std::string& text, double& value) {
  std::size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
  if (IsSpecial(text.substr(at))) {
    value = std::strtod(text.c_str(), nullptr);
    return true;
  }
  bool digits = false, nonzero = false;
  const auto run = [&] {
    for (; at < text.size() && IsDigit(text[at]); ++at) {
      digits = true;
      nonzero = nonzero || text[at] != '0';
    }
  };
  run();
  if (at < text.size() && text[at] == '.') {
    ++at;
    run();
  }
  if (!digits) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at == start) return false;
  }
  if (at != text.size()) return false;
  const double read = std::strtod(text.c_str(), nullptr);
  if (std::isinf(read) || (read == 0 && nonzero)) return false;
  value = read;
  return true;
}

}  // namespace sim
