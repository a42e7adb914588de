// Number text and percentage text against a reference built here from printf's decimal forms
// and integer arithmetic. Every 8 bytes of the input are one double; an input that reads wholly
// as a decimal number (strtod) is checked as that number too, which lets mutations walk the
// decimal halves such as 1.005.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/TextRules.h"
#include "fuzz/FuzzCheck.h"

namespace {

using namespace Varnock;
using Varnock::Fuzzing::Quoted;
using Varnock::Fuzzing::Require;

std::string Printed(const char* Format, double Number) {
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, Format, Number);
    return Buffer;
}

std::string WithSeparator(std::string Text, char From, char To) {
    for (char& Character : Text)
        if (Character == From)
            Character = To;
    return Text;
}

// At most 15 significant digits, trailing zeros dropped; printf's %g puts an exponent exactly
// where the magnitude leaves [1e-4, 1e15) after rounding.
std::string ReferenceNumberText(double Number, char Separator) {
    if (Number == 0.0)
        return "0";
    return WithSeparator(Printed("%.15g", Number), '.', Separator);
}

// Rounds the 15-digit decimal form of Number to hundredths, halves away from zero. The form
// is Mantissa * 10^(Exponent - 14) with a 15-digit integer Mantissa, so the hundredths are
// Mantissa * 10^(Exponent - 12): exact in integers.
std::string ReferencePercentText(double Number, char Separator) {
    const std::string Scientific = Printed("%.14e", std::fabs(Number));
    const std::size_t ExponentAt = Scientific.find('e');
    std::int64_t Mantissa = 0;
    for (std::size_t At = 0; At < ExponentAt; ++At)
        if (Scientific[At] != '.')
            Mantissa = Mantissa * 10 + (Scientific[At] - '0');
    const int Shift = std::atoi(Scientific.c_str() + ExponentAt + 1) - 12;

    std::string Hundredths;
    if (Shift >= 0) {
        Hundredths = std::to_string(Mantissa) + std::string(static_cast<std::size_t>(Shift), '0');
    } else if (Shift < -16) {
        Hundredths = "0"; // the divisor exceeds twice any 15-digit mantissa
    } else {
        std::int64_t Divisor = 1;
        for (int Step = 0; Step < -Shift; ++Step)
            Divisor *= 10;
        std::int64_t Quotient = Mantissa / Divisor;
        if (2 * (Mantissa % Divisor) >= Divisor)
            ++Quotient;
        Hundredths = std::to_string(Quotient);
    }
    const bool Zero = Hundredths.find_first_not_of('0') == std::string::npos;
    if (Hundredths.size() < 3)
        Hundredths.insert(0, 3 - Hundredths.size(), '0');
    std::string Whole = Hundredths.substr(0, Hundredths.size() - 2);
    if (Whole == "0")
        Whole.clear();
    std::string Fraction = Hundredths.substr(Hundredths.size() - 2);
    while (!Fraction.empty() && Fraction.back() == '0')
        Fraction.pop_back();
    return (Number < 0 && !Zero ? "-" : "") + Whole + Separator + Fraction;
}

void CheckNumber(double Number) {
    for (const char Separator : {'.', ','}) {
        const std::string Text = NumberText(Number, Separator);
        const std::string Percent = PercentText(Number, Separator);
        if (!std::isfinite(Number))
            continue; // never reaches a report: arithmetic raises an overflow first
        const auto Describe = [&](const char* What, const std::string& Got,
                                  const std::string& Expected) {
            return std::string(What) + " of " + Printed("%.17g", Number) + " with separator '" +
                   Separator + "': got " + Quoted(Got) + ", expected " + Quoted(Expected);
        };

        const std::string Expected = ReferenceNumberText(Number, Separator);
        if (Expected.find('e') == std::string::npos) {
            Require(Text == Expected, [&] { return Describe("NumberText", Text, Expected); });
        } else {
            // Exponent forms are the program's own choice; they must still carry the same
            // 15 digits and contain no other separator than the one asked for.
            const std::string Dotted = WithSeparator(Text, Separator, '.');
            char* End = nullptr;
            const double ReadBack = std::strtod(Dotted.c_str(), &End);
            Require(*End == '\0' && (Separator == '.' || Text.find('.') == std::string::npos) &&
                        ReadBack == std::strtod(Printed("%.15g", Number).c_str(), nullptr),
                    [&] { return Describe("NumberText (exponent)", Text, Expected); });
        }

        const std::string ExpectedPercent = ReferencePercentText(Number, Separator);
        Require(Percent == ExpectedPercent,
                [&] { return Describe("PercentText", Percent, ExpectedPercent); });
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    for (std::size_t At = 0; At + sizeof(double) <= Size; At += sizeof(double)) {
        double Number;
        std::memcpy(&Number, Data + At, sizeof Number);
        CheckNumber(Number);
    }
    // The whole input as decimal text, if it is nothing else.
    if (Size > 0 && Size < 64) {
        const std::string Text(reinterpret_cast<const char*>(Data), Size);
        if (Text.find('\0') == std::string::npos) {
            char* End = nullptr;
            const double Number = std::strtod(Text.c_str(), &End);
            if (End != Text.c_str() && *End == '\0')
                CheckNumber(Number);
        }
    }
    return 0;
}
