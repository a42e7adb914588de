#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Varnock {

// The formula box holds at most this many characters; the command line refuses longer ones.
inline constexpr int FormulaLimit = 40;

// A formula as the user typed or pasted it, and the code page bytes the reader reads for it.
// Every byte of the reading remembers the character it came from, so that a notice can name
// that character as typed and count its place as the box shows it.
struct TypedFormula {
    struct Origin {
        std::uint32_t Place;  // 1-based character of Typed
        std::uint32_t Offset; // its bytes in Typed
        std::uint32_t Length;
    };

    std::string Typed;           // UTF-8
    std::string Text;            // the code page
    std::vector<Origin> Origins; // one per byte of Text
    std::uint32_t Characters = 0;

    // The character a byte of Text came from, as typed; control characters as "(code N)".
    std::string Shown(std::size_t Byte) const;
};

// Brings typed or pasted UTF-8 to the code page the way chemists' texts need it: subscript
// digits become digits; superscript digits and signs ending the formula become a charge after
// "^"; the dot operator, bullet operator and bullet become the separator "·"; the minus sign
// becomes "-". A character the code page lacks, or a byte that is no UTF-8, reads as "?" and
// is refused by the reader under its own name.
TypedFormula ReadTyped(std::string_view Utf8);

// A formula already in the code page: every byte is a character of its own.
TypedFormula FromCodePage(std::string_view Bytes);

// Nothing but blanks (space, tab, line feed): what an empty formula box holds.
bool IsEmptyFormula(std::string_view Formula);

} // namespace Varnock
