#include "core/TextRules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "core/Characters.h"
#include "core/RunTimeError.h"

namespace Varnock {

namespace {

constexpr int SignificantDigits = 15;

// Adds one to a string of decimal digits.
void Increment(std::string& Digits) {
    for (auto Digit = Digits.rbegin(); Digit != Digits.rend(); ++Digit) {
        if (*Digit != '9') {
            ++*Digit;
            return;
        }
        *Digit = '0';
    }
    Digits.insert(Digits.begin(), '1');
}

} // namespace

std::string AddSpace(const Value& Element, int Length, char DecimalSeparator) {
    std::string Text = Element.Text(DecimalSeparator);
    if (static_cast<int>(Text.size()) < Length)
        Text.insert(0, static_cast<std::size_t>(Length) - Text.size(), ' ');
    return Text;
}

std::string NumberText(double Number, char DecimalSeparator) {
    if (Number == 0.0)
        return "0"; // also for -0
    char Buffer[64];
    const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, Number,
                                      std::chars_format::general, SignificantDigits);
    std::string Text(Buffer, Result.ptr);
    for (char& Character : Text) {
        if (Character == '.')
            Character = DecimalSeparator;
        else if (Character == 'e')
            Character = 'E';
    }
    return Text;
}

std::string PercentText(double Number, char DecimalSeparator) {
    if (!std::isfinite(Number))
        return std::string(1, DecimalSeparator);
    // Halves are judged on the 15-digit decimal form, the digits the user would see.
    char Buffer[64];
    const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, std::fabs(Number),
                                      std::chars_format::scientific, SignificantDigits - 1);
    const std::string Scientific(Buffer, Result.ptr);
    std::string Digits;
    for (char Character : Scientific.substr(0, Scientific.find('e')))
        if (IsDigit(Character))
            Digits += Character;
    const int Exponent = std::stoi(Scientific.substr(Scientific.find('e') + 1));

    // Kept digits are the value in hundredths: those down to the second decimal.
    const int Kept = Exponent + 3;
    std::string Hundredths;
    if (Kept >= 0) {
        Hundredths = Digits.substr(0, static_cast<std::size_t>(std::min(Kept, SignificantDigits)));
        Hundredths.append(static_cast<std::size_t>(std::max(0, Kept - SignificantDigits)), '0');
        if (Kept < SignificantDigits && Digits[static_cast<std::size_t>(Kept)] >= '5')
            Increment(Hundredths);
    }
    Hundredths.erase(0, std::min(Hundredths.find_first_not_of('0'), Hundredths.size()));
    const bool Zero = Hundredths.empty();
    if (Hundredths.size() < 2)
        Hundredths.insert(0, 2 - Hundredths.size(), '0');

    std::string Fraction = Hundredths.substr(Hundredths.size() - 2);
    Fraction.erase(Fraction.find_last_not_of('0') + 1);
    std::string Text = (Number < 0 && !Zero) ? "-" : "";
    Text += Hundredths.substr(0, Hundredths.size() - 2);
    Text += DecimalSeparator;
    Text += Fraction;
    return Text;
}

bool ReadWholeNumber(std::string_view Text, double& Number) {
    std::size_t At = 0;
    const auto Skip = [&](auto Accept) {
        const std::size_t From = At;
        while (At < Text.size() && Accept(Text[At]))
            ++At;
        return At - From;
    };
    const auto IsSign = [](char Character) { return Character == '+' || Character == '-'; };
    const bool Negative = !Text.empty() && Text[0] == '-';
    if (!Text.empty() && IsSign(Text[0]))
        ++At;
    const std::size_t MantissaStart = At;
    const std::size_t IntegerDigits = Skip(IsDigit);
    std::size_t Digits = IntegerDigits;
    if (At < Text.size() && Text[At] == '.') {
        ++At;
        Digits += Skip(IsDigit);
    }
    if (Digits == 0)
        return false;
    const std::size_t MantissaEnd = At;
    long long Exponent = 0;
    if (At < Text.size() && (Text[At] == 'e' || Text[At] == 'E')) {
        ++At;
        const bool NegativeExponent = At < Text.size() && Text[At] == '-';
        if (At < Text.size() && IsSign(Text[At]))
            ++At;
        const std::size_t ExponentStart = At;
        if (Skip(IsDigit) == 0)
            return false;
        // Held far beyond any double's range, yet far from overflowing itself.
        for (std::size_t Digit = ExponentStart; Digit < At && Exponent < 1'000'000'000; ++Digit)
            Exponent = Exponent * 10 + (Text[Digit] - '0');
        if (NegativeExponent)
            Exponent = -Exponent;
    }
    if (At != Text.size())
        return false;

    // from_chars takes no leading plus sign; the sign is put back afterwards.
    const std::string_view Unsigned = Text.substr(MantissaStart);
    double Magnitude = 0;
    const auto Result =
        std::from_chars(Unsigned.data(), Unsigned.data() + Unsigned.size(), Magnitude);
    if (Result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: the place of the first significant digit, with
        // the exponent, tells which. Only a value with a significant digit is ever out of range.
        const std::string_view Mantissa = Text.substr(MantissaStart, MantissaEnd - MantissaStart);
        const std::size_t First = Mantissa.find_first_not_of("0.");
        const long long Place = First < IntegerDigits
                                    ? static_cast<long long>(IntegerDigits - 1 - First)
                                    : -static_cast<long long>(First - IntegerDigits);
        if (First != std::string_view::npos && Place + Exponent > 0)
            throw RunTimeError(ErrOverflow);
        Magnitude = 0; // too small for a double
    }
    Number = Negative ? -Magnitude : Magnitude;
    return true;
}

std::string ReportHeading() {
    return std::string("Name") + std::string(TabChar) + "weight" + std::string(TabChar) + "    %";
}

} // namespace Varnock
