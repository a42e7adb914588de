#include "core/TypedFormula.h"

#include <cstdio>

#include "core/FormulaReader.h"
#include "core/SystemServices.h"
#include "core/Utf8.h"

namespace Varnock {

namespace {

struct Character {
    char32_t Point; // NotUtf8 for a byte that starts no valid sequence
    std::uint32_t Offset;
    std::uint32_t Length;
};

Character Decode(std::string_view Utf8, std::size_t Offset) {
    const Utf8Character Read = DecodeUtf8(Utf8, Offset);
    return {Read.Point, static_cast<std::uint32_t>(Offset),
            static_cast<std::uint32_t>(Read.Length)};
}

// What a superscript digit or sign stands for in a charge; 0 for other characters.
char Superscript(char32_t Point) {
    switch (Point) {
    case 0x00B9:
        return '1';
    case 0x00B2:
        return '2';
    case 0x00B3:
        return '3';
    case 0x2070:
        return '0';
    case 0x207A:
        return '+';
    case 0x207B:
        return '-';
    default:
        return Point >= 0x2074 && Point <= 0x2079 ? static_cast<char>('4' + (Point - 0x2074)) : 0;
    }
}

// The code page byte a character reads as.
char CodePageByte(std::string_view Utf8, const Character& Typed) {
    const char32_t Point = Typed.Point;
    if (Point < 0x80)
        return static_cast<char>(Point);
    if (Point >= 0x2080 && Point <= 0x2089)
        return static_cast<char>('0' + (Point - 0x2080));
    if (Point == 0x00B7 || Point == 0x2022 || Point == 0x2219 || Point == 0x22C5)
        return static_cast<char>(MiddleDot);
    if (Point == 0x2212)
        return '-';
    if (Point == NotUtf8)
        return '?';
    const std::string Byte = FromUtf8(Utf8.substr(Typed.Offset, Typed.Length));
    return Byte.size() == 1 ? Byte[0] : '?';
}

// Characters that show nothing of their own, and the noncharacters, which no font shows: a
// notice names them by their code point.
bool IsInvisible(char32_t Point) {
    return Point == 0x061C || Point == 0x180E || (Point >= 0x200B && Point <= 0x200F) ||
           (Point >= 0x2028 && Point <= 0x202E) || (Point >= 0x2060 && Point <= 0x206F) ||
           Point == 0xFEFF || (Point >= 0xFFF9 && Point <= 0xFFFB) ||
           (Point >= 0xFDD0 && Point <= 0xFDEF) || (Point & 0xFFFE) == 0xFFFE;
}

bool IsBlank(char32_t Point) {
    return Point == ' ' || Point == '\t' || Point == '\n';
}

} // namespace

std::string TypedFormula::Shown(std::size_t Byte) const {
    const Origin& From = Origins[Byte];
    const std::string_view Character = std::string_view(Typed).substr(From.Offset, From.Length);
    const char32_t Point = DecodeUtf8(Character, 0).Point;
    // C0 controls and DEL, and the C1 controls U+0080 to U+009F.
    if (Point < 32 || (Point >= 127 && Point < 160))
        return "(code " + std::to_string(Point) + ")";
    if (Point == NotUtf8)
        return "(byte " + std::to_string(static_cast<unsigned char>(Character[0])) + ")";
    if (IsInvisible(Point)) {
        char Code[16];
        std::snprintf(Code, sizeof Code, "(U+%04X)", static_cast<unsigned>(Point));
        return Code;
    }
    return "\"" + std::string(Character) + "\"";
}

TypedFormula ReadTyped(std::string_view Utf8) {
    TypedFormula Formula;
    Formula.Typed = Utf8;
    std::vector<Character> Characters;
    Characters.reserve(Utf8.size());
    for (std::size_t Offset = 0; Offset < Utf8.size();) {
        Characters.push_back(Decode(Utf8, Offset));
        Offset += Characters.back().Length;
    }
    Formula.Characters = static_cast<std::uint32_t>(Characters.size());

    // The superscripts that end the formula (blanks after them aside) are its charge.
    std::size_t ChargeFrom = Characters.size();
    std::size_t End = Characters.size();
    while (End > 0 && IsBlank(Characters[End - 1].Point))
        --End;
    ChargeFrom = End;
    while (ChargeFrom > 0 && Superscript(Characters[ChargeFrom - 1].Point))
        --ChargeFrom;
    if (ChargeFrom == 0)
        ChargeFrom = End; // a formula of superscripts alone has nothing to charge

    Formula.Text.reserve(Characters.size() + 1);
    Formula.Origins.reserve(Characters.size() + 1);
    for (std::size_t Index = 0; Index < Characters.size(); ++Index) {
        const Character& Typed = Characters[Index];
        const TypedFormula::Origin From{static_cast<std::uint32_t>(Index + 1), Typed.Offset,
                                        Typed.Length};
        const bool InCharge = Index >= ChargeFrom && Index < End;
        if (Index == ChargeFrom && InCharge) {
            Formula.Text += '^';
            Formula.Origins.push_back(From);
        }
        Formula.Text += InCharge ? Superscript(Typed.Point) : CodePageByte(Utf8, Typed);
        Formula.Origins.push_back(From);
    }
    return Formula;
}

TypedFormula FromCodePage(std::string_view Bytes) {
    TypedFormula Formula;
    Formula.Text = Bytes;
    Formula.Origins.reserve(Bytes.size());
    for (std::size_t Index = 0; Index < Bytes.size(); ++Index) {
        const std::string Character = ToUtf8(Bytes.substr(Index, 1));
        Formula.Origins.push_back({static_cast<std::uint32_t>(Index + 1),
                                   static_cast<std::uint32_t>(Formula.Typed.size()),
                                   static_cast<std::uint32_t>(Character.size())});
        Formula.Typed += Character;
    }
    Formula.Characters = static_cast<std::uint32_t>(Bytes.size());
    return Formula;
}

bool IsEmptyFormula(std::string_view Formula) {
    return Formula.find_first_not_of(" \t\n") == std::string_view::npos;
}

} // namespace Varnock
