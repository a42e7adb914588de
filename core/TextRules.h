#pragma once

#include <string>
#include <string_view>

#include "core/Value.h"

namespace Varnock {

// Report and heading use these two strings for every line break and column step.
inline constexpr std::string_view LineFeed = "\r\n";
inline constexpr std::string_view TabChar = "\t";

// Right-aligns the element's text in a field of Length characters; never cuts.
std::string AddSpace(const Value& Element, int Length, char DecimalSeparator = '.');

// Plain number text: integers in decimal, doubles with at most 15 significant digits.
std::string NumberText(double Number, char DecimalSeparator);

// The "##.##" pattern: two decimals rounded half away from zero, trailing zeros dropped,
// the separator always written, no integer digit when the integer part is 0.
std::string PercentText(double Number, char DecimalSeparator);

// Reads Text as one decimal number, period as decimal point, optional exponent: sign, digits,
// at most one period, then e or E with its own sign and digits. False when anything else is
// there; a number too large for a double raises error 6.
bool ReadWholeNumber(std::string_view Text, double& Number);

// Heading over the report columns.
std::string ReportHeading();

} // namespace Varnock
