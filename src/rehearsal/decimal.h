// Floating-point numbers as decimal text and back, the same with every C++ library: files and
// traces written by one build read the same as another's (the native tools and the desk's
// WebAssembly engine, whose library has no floating-point std::to_chars or std::from_chars).
// Each works as those functions do, on the C library's correctly rounded conversions.
#pragma once

#include <string>

namespace sim {

// The shortest text that reads back as `value`, as std::to_chars(first, last, value) writes it:
// fixed or scientific, whichever is shorter.
std::string ShortestText(float value);
// The same without an exponent, as std::to_chars(..., std::chars_format::fixed) writes it.
std::string ShortestFixed(float value);
std::string ShortestFixed(double value);

// Reads the whole of `text` as std::from_chars reads a double: decimal digits with an optional
// point and exponent, "inf", "infinity" or "nan", any of them after a minus sign, and nothing
// else. False for anything else, and for a number out of the double's range (one that would be
// infinite, or zero though its digits are not).
bool ReadDecimal(const std::string& text, double& value);

}  // namespace sim
