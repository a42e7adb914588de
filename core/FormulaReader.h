#pragma once

// Reads a formula as chemists write it, in one pass: element symbols with counts, groups in
// ( ), [ ] or { } with a count after them, parts of an adduct or hydrate separated by "·",
// "•", "*" or a point, each with an optional multiplier in front, and a charge at the end.
// The result is the entries, in the order their symbols occur, with every count multiplied
// out, or the first place that can't be read and why.
//
// A formula without groups, separators, multipliers, charges or counts below 1 reads as the
// strict left-to-right rules of GetElements read it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/TypedFormula.h"
#include "core/Value.h"

namespace Varnock {

// The two separators above code 127, in the code page: the middle dot and the bullet.
inline constexpr unsigned char MiddleDot = 183;
inline constexpr unsigned char Bullet = 149;

enum class FormulaResult {
    Read,
    Unreadable,      // a character that stands where nothing can
    ZeroCount,       // a count or a multiplier of 0
    EmptyGroup,      // a closing bracket right after its opening one
    UnclosedGroup,   // an opening bracket never closed
    UnopenedGroup,   // a closing bracket with no group open
    MismatchedGroup, // a closing bracket of another kind than the group's opening one
    PartInGroup,     // a separator inside a group
    EmptyPart,       // a separator with no element before it, or none after
    AmbiguousPoint,  // a point after a symbol or group and before a digit
    AmbiguousCharge, // digits then a sign at the end: a count and a charge, or a charge
    MisplacedCharge, // a sign or "^" that does not end the formula
};

struct FormulaEntry {
    std::string Symbol;
    Value Count; // the integer 1 when no count applies, else a double above 0
    // A labelled isotope's mass number, as in [13C]; 0 for the natural element.
    int MassNumber = 0;

    friend bool operator==(const FormulaEntry&, const FormulaEntry&) = default;
};

struct FormulaReading {
    FormulaResult Result = FormulaResult::Read;
    std::size_t Position = 0; // 0-based byte where the reading stopped
    // MismatchedGroup: where the group opened; AmbiguousCharge: the count's last digit.
    std::size_t Other = 0;
    std::vector<FormulaEntry> Entries;
};

// An isotope entry's text as a formula writes it: "[13C]".
std::string LabelText(const FormulaEntry& Entry);

// Reads code page text. Raises error 6 only when multiplying counts overflows a double.
FormulaReading ReadFormula(std::string_view Formula);

// One line naming the place and the character as typed, with a hint where one helps:
// Formula: character 4 "+": write the charge after ^, as in Fe^3+ or Fe3^+
std::string RefusalNotice(const FormulaReading& Reading, const TypedFormula& Formula);

} // namespace Varnock
