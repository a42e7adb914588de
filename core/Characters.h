#pragma once

// The ASCII characters that formulas, adducts, ranges and the tables are written with, told
// apart the same way by every reader. Letters above 127 are the code page's (FormulaParser.h).

namespace Varnock {

// What separates without meaning anything: space, tab, line feed.
constexpr bool IsBlank(char Character) {
    return Character == ' ' || Character == '\t' || Character == '\n';
}
constexpr bool IsDigit(char Character) {
    return Character >= '0' && Character <= '9';
}
constexpr bool IsSign(char Character) {
    return Character == '+' || Character == '-';
}
constexpr bool IsAsciiUpper(char Character) {
    return Character >= 'A' && Character <= 'Z';
}
constexpr bool IsAsciiLower(char Character) {
    return Character >= 'a' && Character <= 'z';
}

} // namespace Varnock
