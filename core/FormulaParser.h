#pragma once

#include <string_view>

#include "core/EntryTable.h"
#include "core/Value.h"

namespace Varnock {

// Splits the formula strictly left to right into entries (symbol, count) stored in slots
// 1 to k; returns k + 1. Compound gets one space appended. Raises error 9 rather than
// write past slot 30.
int GetElements(BasVarnock& Table, Value& Compound);

// Whether a character starts an entry: the uppercase mapping leaves it and its code is 65 or more.
bool StartsEntry(unsigned char Code);
// Whether a character after a starting one is a symbol's second letter.
bool IsSecondLetter(unsigned char Code);

// Numeric value of a count text: blanks ignored anywhere, then sign, digits, one period.
double LeadingNumber(std::string_view Text);

} // namespace Varnock
