#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "core/Value.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

using Testing::ErrorNumberOf;

enum class Kind { Empty, Integer, Double, String };

Kind KindOf(const Value& Item) {
    if (Item.IsEmpty())
        return Kind::Empty;
    if (Item.IsInteger())
        return Kind::Integer;
    if (Item.IsDouble())
        return Kind::Double;
    return Kind::String;
}

struct SumCase {
    const char* Name;
    Value Left;
    Value Right;
    Kind ResultKind;
    double Result;
};

TEST(ValueTest, SumsFollowTheEmptyAndWideningRules) {
    const SumCase Cases[] = {
        {"empty plus empty is integer 0", Value(), Value(), Kind::Integer, 0},
        {"empty plus integer keeps it", Value(), Value(5), Kind::Integer, 5},
        {"double plus empty keeps it", Value(2.5), Value(), Kind::Double, 2.5},
        {"integers stay integers", Value(2), Value(3), Kind::Integer, 5},
        {"integer plus double is double", Value(1), Value(0.5), Kind::Double, 1.5},
        {"integer leaving 16 bits widens", Value(32767), Value(1), Kind::Double, 32768},
        {"negative integer leaving 16 bits", Value(-32768), Value(-1), Kind::Double, -32769},
        {"negative masses add up", Value(1.0), Value(-1.0), Kind::Double, 0},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const Value Sum = Case.Left + Case.Right;
        EXPECT_EQ(KindOf(Sum), Case.ResultKind);
        EXPECT_DOUBLE_EQ(Sum.AsDouble(), Case.Result);
    }
}

TEST(ValueTest, ProductsAndQuotients) {
    const SumCase Products[] = {
        {"integer count times double weight", Value(1), Value(15.999), Kind::Double, 15.999},
        {"double count times double weight", Value(2.0), Value(1.008), Kind::Double, 2.016},
        {"empty mass times weight counts as 0", Value(), Value(3.0), Kind::Double, 0},
        {"integers stay integers", Value(6), Value(7), Kind::Integer, 42},
        {"integer product leaving 16 bits widens", Value(300), Value(300), Kind::Double, 90000},
    };
    for (const auto& Case : Products) {
        SCOPED_TRACE(Case.Name);
        const Value Product = Case.Left * Case.Right;
        EXPECT_EQ(KindOf(Product), Case.ResultKind);
        EXPECT_DOUBLE_EQ(Product.AsDouble(), Case.Result);
    }

    const Value Share = Value(1) / Value(4) * Value(100);
    EXPECT_TRUE(Share.IsDouble());
    EXPECT_DOUBLE_EQ(Share.AsDouble(), 25);
    EXPECT_TRUE((Value(4) / Value(2)).IsDouble());
}

TEST(ValueTest, FailuresAreNumberedErrors) {
    const double Largest = std::numeric_limits<double>::max();
    EXPECT_EQ(ErrorNumberOf([] { Value(1.0) / Value(0.0); }), ErrDivisionByZero);
    EXPECT_EQ(ErrorNumberOf([] { Value(1.0) / Value(); }), ErrDivisionByZero);
    EXPECT_EQ(ErrorNumberOf([&] { Value(Largest) * Value(10.0); }), ErrOverflow);
    EXPECT_EQ(ErrorNumberOf([&] { Value(Largest) + Value(Largest); }), ErrOverflow);
    EXPECT_EQ(ErrorNumberOf([] { Value(40000); }), ErrOverflow);
    EXPECT_EQ(ErrorNumberOf([] { Value("abc").AsDouble(); }), ErrTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { Value("abc") + Value(1); }), ErrTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { Value(32767); }), 0);
    EXPECT_EQ(ErrorNumberOf([] { Value(-32768); }), 0);
}

TEST(ValueTest, TextAndZero) {
    struct Case {
        Value Item;
        char Separator;
        const char* Text;
        bool Zero;
    };
    const Case Cases[] = {
        {Value(), '.', "", true},
        {Value(0), '.', "0", true},
        {Value(0.0), '.', "0", true},
        {Value(-0.0), '.', "0", true},
        {Value(-7), ',', "-7", false},
        {Value(2.5), ',', "2,5", false},
        {Value(2.5), '.', "2.5", false},
        {Value(2.0), '.', "2", false},
        {Value("0.50"), ',', "0.50", false}, // text is joined unchanged
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Text);
        EXPECT_EQ(Each.Item.Text(Each.Separator), Each.Text);
        EXPECT_EQ(Each.Item.IsZero(), Each.Zero);
    }
}

} // namespace
} // namespace Varnock
