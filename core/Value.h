#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace Varnock {

// A dynamically typed datum: empty, 16-bit integer, double or string. Empty counts as 0 in
// arithmetic and as "" in text; sums and products that involve a double are doubles.
class Value {
public:
    Value() = default;
    Value(std::int16_t Integer) : Data(Integer) {}
    Value(int Integer);
    Value(double Number) : Data(Number) {}
    Value(std::string Text) : Data(std::move(Text)) {}
    Value(const char* Text) : Data(std::string(Text)) {}

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(Data); }
    bool IsInteger() const { return std::holds_alternative<std::int16_t>(Data); }
    bool IsDouble() const { return std::holds_alternative<double>(Data); }
    bool IsString() const { return std::holds_alternative<std::string>(Data); }

    // The numeric value; empty is 0, a string must read wholly as a number (else error 13).
    double AsDouble() const;
    // True when the value counts as 0 (empty, 0, 0.0).
    bool IsZero() const { return AsDouble() == 0.0; }

    // Text of the value when joined into a line: numbers by NumberText with the given separator.
    std::string Text(char DecimalSeparator = '.') const;

    friend Value operator+(const Value& Left, const Value& Right);
    friend Value operator*(const Value& Left, const Value& Right);
    // Division always gives a double; a zero divisor raises error 11.
    friend Value operator/(const Value& Left, const Value& Right);
    Value& operator+=(const Value& Right) { return *this = *this + Right; }

    friend bool operator==(const Value& Left, const Value& Right) = default;

private:
    std::variant<std::monostate, std::int16_t, double, std::string> Data;
};

} // namespace Varnock
