#include "core/FormulaParser.h"

#include <charconv>
#include <limits>
#include <system_error>

#include "core/Characters.h"
#include "core/SystemServices.h"

namespace Varnock {

namespace {

constexpr unsigned char FirstLetterCode = 65;

unsigned char CodeAt(std::string_view Text, std::size_t Index) {
    return static_cast<unsigned char>(Text[Index]);
}

} // namespace

bool StartsEntry(unsigned char Code) {
    return Code >= FirstLetterCode && UpperCase(Code) == Code;
}

bool IsSecondLetter(unsigned char Code) {
    return Code >= FirstLetterCode && UpperCase(Code) != Code;
}

double LeadingNumber(std::string_view Text) {
    std::string Packed;
    for (char Character : Text)
        if (!IsBlank(Character))
            Packed += Character;
    std::size_t At = 0;
    const bool Negative = !Packed.empty() && Packed[0] == '-';
    if (!Packed.empty() && (Packed[0] == '-' || Packed[0] == '+'))
        ++At;
    const std::size_t Start = At;
    bool Digits = false, Period = false;
    for (; At < Packed.size(); ++At) {
        if (IsDigit(Packed[At]))
            Digits = true;
        else if (Packed[At] == '.' && !Period)
            Period = true;
        else
            break;
    }
    if (!Digits)
        return 0.0;
    double Number = 0.0;
    const auto Result = std::from_chars(Packed.data() + Start, Packed.data() + At, Number,
                                        std::chars_format::fixed);
    if (Result.ec == std::errc::result_out_of_range) {
        // Too small is 0; too large stays too large, so the calculation reports an overflow.
        const bool WholePartZero = Packed.find_first_not_of('0', Start) == Packed.find('.', Start);
        Number = WholePartZero ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return Negative ? -Number : Number;
}

int GetElements(BasVarnock& Table, Value& Compound) {
    const std::string Text = Compound.Text() + " ";
    Compound = Text;
    const std::size_t Length = Text.size();
    int Index = 1;
    std::string CountText;
    for (std::size_t At = 0; At < Length; ++At) {
        if (StartsEntry(CodeAt(Text, At))) {
            // The appended space guarantees a next character here.
            const std::size_t SymbolLength = IsSecondLetter(CodeAt(Text, At + 1)) ? 2 : 1;
            Table.ElementSymbol(Index) = Text.substr(At, SymbolLength);
            for (std::size_t Run = At + SymbolLength;
                 Run < Length && CodeAt(Text, Run) < FirstLetterCode; ++Run)
                CountText += Text[Run];
            const double Count = LeadingNumber(CountText);
            Table.ElementCount(Index) = Count <= 1 ? Value(1) : Value(Count);
            ++Index;
        }
        CountText.clear();
    }
    return Index;
}

} // namespace Varnock
