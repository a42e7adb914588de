#include "core/Value.h"

#include <cmath>
#include <limits>

#include "core/RunTimeError.h"
#include "core/TextRules.h"

namespace Varnock {

namespace {

constexpr int SmallestInteger = std::numeric_limits<std::int16_t>::min();
constexpr int LargestInteger = std::numeric_limits<std::int16_t>::max();

bool BothIntegral(const Value& Left, const Value& Right) {
    return (Left.IsEmpty() || Left.IsInteger()) && (Right.IsEmpty() || Right.IsInteger());
}

// An integer result that leaves 16 bits widens to a double, as a variant would.
Value FromWide(long Wide) {
    if (Wide < SmallestInteger || Wide > LargestInteger)
        return Value(static_cast<double>(Wide));
    return Value(static_cast<std::int16_t>(Wide));
}

Value Finite(double Number) {
    if (!std::isfinite(Number))
        throw RunTimeError(ErrOverflow);
    return Value(Number);
}

} // namespace

Value::Value(int Integer) {
    if (Integer < SmallestInteger || Integer > LargestInteger)
        throw RunTimeError(ErrOverflow);
    Data = static_cast<std::int16_t>(Integer);
}

double Value::AsDouble() const {
    if (const auto* Integer = std::get_if<std::int16_t>(&Data))
        return *Integer;
    if (const auto* Number = std::get_if<double>(&Data))
        return *Number;
    if (const auto* Text = std::get_if<std::string>(&Data)) {
        double Number = 0;
        if (!ReadWholeNumber(*Text, Number))
            throw RunTimeError(ErrTypeMismatch);
        return Number;
    }
    return 0.0;
}

std::string Value::Text(char DecimalSeparator) const {
    if (const auto* Integer = std::get_if<std::int16_t>(&Data))
        return std::to_string(*Integer);
    if (const auto* Number = std::get_if<double>(&Data))
        return NumberText(*Number, DecimalSeparator);
    if (const auto* Text = std::get_if<std::string>(&Data))
        return *Text;
    return {};
}

Value operator+(const Value& Left, const Value& Right) {
    if (Left.IsEmpty() && Right.IsEmpty())
        return Value(std::int16_t{0});
    if (Left.IsEmpty())
        return Right;
    if (Right.IsEmpty())
        return Left;
    if (BothIntegral(Left, Right))
        return FromWide(static_cast<long>(Left.AsDouble()) + static_cast<long>(Right.AsDouble()));
    return Finite(Left.AsDouble() + Right.AsDouble());
}

Value operator*(const Value& Left, const Value& Right) {
    if (BothIntegral(Left, Right))
        return FromWide(static_cast<long>(Left.AsDouble()) * static_cast<long>(Right.AsDouble()));
    return Finite(Left.AsDouble() * Right.AsDouble());
}

Value operator/(const Value& Left, const Value& Right) {
    const double Divisor = Right.AsDouble();
    if (Divisor == 0.0)
        throw RunTimeError(ErrDivisionByZero);
    return Finite(Left.AsDouble() / Divisor);
}

} // namespace Varnock
