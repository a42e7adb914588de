#pragma once

// Reads a formula as chemists write it: element symbols with counts, groups in ( ), [ ] or { }
// with a count after them, parts of an adduct or hydrate separated by "·", "•", "*", a point
// or a blank between two numbers, each with an optional multiplier in front, and a charge at
// the end. The result is the entries, in the order their symbols occur, with every count
// multiplied out, and the charge; or the first place that can't be read and why.
//
// The point, as chemists use it:
// - with a blank before or after it, it separates parts: NH3 . 2HCl;
// - right after a symbol or group and before a digit, it separates parts, the number after it
//   being the next part's multiplier: K2O.6SiO2, C.0.5H2O;
// - between digits it is a decimal point (C1.5, Fe0.95O, 2.5H2O), except where a whole count
//   of 1 or more is followed by a whole number not starting with 0 and then an element or
//   group, outside any group, in a formula with no other decimal: CuSO4.5H2O is CuSO4·5H2O.
// Where a point so read could also have been meant as a decimal point, the reading says so.
//
// Digits before a sign that ends the formula are read as chemists write ions in plain text:
// - after a closing square bracket they are the charge: [Fe(CN)6]4-;
// - in a formula of one symbol, one digit is the charge: Fe3+, O2-;
// - elsewhere one digit is a count, with a charge of 1: NH4+, NO3-, Fe(SCN)2+;
// - two or more digits are a count and a one-digit charge where both are 2 or more (SO42-,
//   Hg22+), else a count with a charge of 1 (C12H22O11+, C60-);
// - after a blank they are the charge: SO4 2-, Fe 3+.
// A charge in round brackets at the very end is a charge too: SO4(2-), HO(-). Where the digits
// could also have been a count, the reading says so.
//
// A formula without groups, separators, multipliers, charges, counts below 1, blanks between
// digits or next to a point, and points read as separators, reads as the strict left-to-right
// rules of GetElements read it.

#include <cstddef>
#include <optional>
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
    MisplacedCharge, // a sign or "^" that does not end the formula
    ZeroCharge,      // a charge of 0
    SplitCharge,     // digits after a charge and a blank: Fe+2 3, Na+ 2
};

struct FormulaEntry {
    std::string Symbol;
    Value Count; // the integer 1 when no count applies, else a double above 0
    // A labelled isotope's mass number, as in [13C]; 0 for the natural element.
    int MassNumber = 0;

    friend bool operator==(const FormulaEntry&, const FormulaEntry&) = default;
};

// A point read as a separator where the digits after it could also have continued a count.
struct CountPoint {
    std::size_t Point = 0;
    std::size_t DigitsEnd = 0; // just after the digits that follow the point
    // Between digits: where the count before the point starts, and the element or group it
    // counts. Right after a symbol or group there is no count before the point.
    bool AfterCount = false;
    std::size_t CountStart = 0;
    std::size_t Unit = 0;
};

// Digits before a sign that ends the formula, read as (part of) the charge where they could also
// have been a count: Fe3+, SO42-, [Fe(CN)6]4-.
struct ChargeDigits {
    std::size_t Sign = 0;
    std::size_t Charge = 0;     // the charge's first digit
    std::size_t CountStart = 0; // the first digit before the sign
    std::size_t Unit = 0;       // where the element or group the digits follow starts
};

struct FormulaReading {
    FormulaResult Result = FormulaResult::Read;
    std::size_t Position = 0; // 0-based byte where the reading stopped
    // MismatchedGroup: where the group opened; ZeroCharge: where the charge starts;
    // SplitCharge: where the charge ends.
    std::size_t Other = 0;
    std::vector<FormulaEntry> Entries;
    // The charge written at the end: +3 for Fe^3+, -2 for SO42-; 0 when none.
    int Charge = 0;
    // The points read as separators.
    std::vector<std::size_t> SplitPoints;
    // The first of them that could also have been meant as part of a count: a reading that the
    // user is told of. On an EmptyPart refusal, the point before the empty part, if it is one.
    std::optional<CountPoint> Ambiguous;
    // Digits read as the charge that could also have been a count, told of too.
    std::optional<ChargeDigits> ChargeRead;
};

// An isotope entry's text as a formula writes it: "[13C]".
std::string LabelText(const FormulaEntry& Entry);

// Reads code page text. Raises error 6 only when multiplying counts overflows a double.
FormulaReading ReadFormula(std::string_view Formula);

// One line naming the place and the character as typed, with a hint where one helps, whose
// every spelling reads:
// Formula: character 6 "3": a blank can't split a charge; for the charge 23+ write Fe+23
std::string RefusalNotice(const FormulaReading& Reading, const TypedFormula& Formula);

// For a formula read one way where another was possible, how it was read and how to write the
// other reading, a line each; none for any other formula:
// Formula: character 6 ".": read as CuSO4·5H2O; for the count 4.5 write CuS(O4.5)H2O
// Formula: character 4 "+": read as Fe^3+; for Fe×3 with charge 1+ write Fe3^+
std::vector<std::string> ReadingNotes(const FormulaReading& Reading, const TypedFormula& Formula);

} // namespace Varnock
