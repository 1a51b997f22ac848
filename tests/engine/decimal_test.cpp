// Numbers as text and back, held to the C++ library's std::to_chars and std::from_chars, which
// this build has and the WebAssembly build does not: seeded random floats and doubles of every
// size, and the edges. ZENTHAR_SEED=N replays a run.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "rehearsal/decimal.h"

namespace {

constexpr int kRandomValues = 200000;

std::uint64_t Seed() {
  const char* text = std::getenv("ZENTHAR_SEED");
  const std::uint64_t seed =
      text != nullptr ? std::strtoull(text, nullptr, 10) : std::random_device{}();
  std::printf("seed %llu (ZENTHAR_SEED=%llu replays it)\n", static_cast<unsigned long long>(seed),
              static_cast<unsigned long long>(seed));
  return seed;
}

template <typename Real>
std::string Library(Real value, bool fixed) {
  char text[400];
  const auto result = fixed
                          ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed)
                          : std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

template <typename Real, typename Bits>
Real FromBits(Bits bits) {
  Real value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Whole numbers, short decimals, powers of two and ten and their neighbours, the ends of the range.
std::vector<float> EdgeFloats() {
  std::vector<float> values = {0.0f,
                               -0.0f,
                               1.0f,
                               0.1f,
                               0.5f,
                               12.5f,
                               123456792.0f,
                               16777216.0f,
                               16777215.0f,
                               1e20f,
                               1.5e-7f,
                               3.4028235e38f,
                               1e-45f,
                               1.17549435e-38f,
                               std::numeric_limits<float>::infinity(),
                               -1e10f,
                               100000.0f,
                               1e5f};
  for (int e = -45; e <= 38; ++e) {
    const float power = std::pow(10.0f, static_cast<float>(e));
    for (const float v : {power, std::nextafter(power, 0.0f),
                          std::nextafter(power, std::numeric_limits<float>::infinity())}) {
      values.push_back(v);
    }
  }
  for (int e = -149; e <= 127; ++e) values.push_back(std::ldexp(1.0f, e));
  return values;
}

TEST(Decimal, FloatsAsTheLibraryWritesThem) {
  std::mt19937_64 random(Seed());
  std::vector<float> values = EdgeFloats();
  for (int i = 0; i < kRandomValues; ++i) {
    values.push_back(FromBits<float>(static_cast<std::uint32_t>(random())));
    // Coordinates as scenarios and the world have them: tenths, halves, whole metres.
    values.push_back(static_cast<float>(static_cast<int>(random() % 200001) - 100000) /
                     static_cast<float>(1 << (random() % 11)));
  }
  int wrong = 0;
  for (const float v : values) {
    if (std::isnan(v)) continue;  // its text carries no payload to compare
    for (const bool fixed : {false, true}) {
      const std::string expected = Library(v, fixed);
      const std::string actual = fixed ? sim::ShortestFixed(v) : sim::ShortestText(v);
      if (actual == expected) continue;
      ADD_FAILURE() << (fixed ? "fixed " : "") << std::hexfloat << v << ": expected " << expected
                    << ", actual " << actual;
      if (++wrong > 20) return;
    }
  }
}

TEST(Decimal, DoublesWithoutAnExponentAsTheLibraryWritesThem) {
  std::mt19937_64 random(Seed());
  std::vector<double> values = {
      0.0, -0.0, 1e300, -2.5, 0.1, 9007199254740993.0, 1e-320, std::numeric_limits<double>::max()};
  for (int i = 0; i < kRandomValues; ++i) {
    values.push_back(FromBits<double>(static_cast<std::uint64_t>(random())));
    // Differences of two floats, as takes write their places.
    const float a = static_cast<float>(static_cast<int>(random() % 20001) - 10000) / 7.0f;
    const float b = static_cast<float>(static_cast<int>(random() % 20001) - 10000) / 3.0f;
    values.push_back(static_cast<double>(a) - static_cast<double>(b));
  }
  int wrong = 0;
  for (const double v : values) {
    if (std::isnan(v)) continue;
    const std::string expected = Library(v, true);
    const std::string actual = sim::ShortestFixed(v);
    if (actual == expected) continue;
    ADD_FAILURE() << std::hexfloat << v << ": expected " << expected.substr(0, 60) << ", actual "
                  << actual.substr(0, 60);
    if (++wrong > 20) return;
  }
}

// What std::from_chars makes of the whole text: whether all of it is a number in range, and which.
bool LibraryReads(const std::string& text, double& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

TEST(Decimal, TextReadAsTheLibraryReadsIt) {
  std::vector<std::string> texts = {"0",
                                    "-0",
                                    "12",
                                    "12.5",
                                    "-12.5",
                                    "1.",
                                    ".5",
                                    ".",
                                    "-",
                                    "",
                                    "1e5",
                                    "1E5",
                                    "1e+5",
                                    "1e-5",
                                    "1e",
                                    "1e+",
                                    "1e-",
                                    "e5",
                                    "1.5e3x",
                                    "+1",
                                    " 1",
                                    "1 ",
                                    "0x1p3",
                                    "00012",
                                    "1..2",
                                    "1e5.5",
                                    "inf",
                                    "-inf",
                                    "INF",
                                    "infinity",
                                    "Infinity",
                                    "infinit",
                                    "infx",
                                    "nan",
                                    "NaN",
                                    "-nan",
                                    "nan()",
                                    "nan(abc_1)",
                                    "nan(a-b)",
                                    "nan(",
                                    "nanx",
                                    "1e400",
                                    "-1e400",
                                    "1e-400",
                                    "0e-400",
                                    "2e-324",
                                    "3e-324",
                                    "4.9e-324",
                                    "1e-310",
                                    "1.7976931348623157e308",
                                    "1.7976931348623159e308",
                                    "0.000000000000000000000000000000000000000000001",
                                    "123456789012345678901234567890",
                                    "1e99999999999999999999",
                                    "1e-99999999999999999999",
                                    "0e99999999999999999999"};
  std::mt19937_64 random(Seed());
  const char alphabet[] = "0123456789.e-+";
  for (int i = 0; i < kRandomValues / 10; ++i) {
    std::string text;
    const std::size_t length = 1 + random() % 8;
    for (std::size_t k = 0; k < length; ++k) text += alphabet[random() % (sizeof alphabet - 1)];
    texts.push_back(text);
  }
  int wrong = 0;
  for (const std::string& text : texts) {
    double expected = -7.25, actual = -7.25;
    const bool libraryReads = LibraryReads(text, expected);
    const bool reads = sim::ReadDecimal(text, actual);
    const bool same =
        reads == libraryReads &&
        (!reads || (std::isnan(expected) ? std::isnan(actual)
                                         : std::memcmp(&expected, &actual, sizeof actual) == 0));
    if (same) continue;
    ADD_FAILURE() << "'" << text << "': expected " << (libraryReads ? "" : "no number ") << expected
                  << ", actual " << (reads ? "" : "no number ") << actual;
    if (++wrong > 20) return;
  }
}

}  // namespace
