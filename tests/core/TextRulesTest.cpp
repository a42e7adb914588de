#include <string>

#include <gtest/gtest.h>

#include "core/ElementList.h"
#include "core/TextRules.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

using Testing::ErrorNumberOf;

TEST(AddSpaceTest, RightAlignsWithoutCutting) {
    struct Case {
        Value Element;
        int Length;
        char Separator;
        const char* Text;
    };
    const Case Cases[] = {
        {Value("H"), 2, '.', " H"},    {Value("He"), 2, '.', "He"},     {Value(1), 3, '.', "  1"},
        {Value(118), 3, '.', "118"},   {Value(""), 2, '.', "  "},       {Value(), 2, '.', "  "},
        {Value("Abc"), 2, '.', "Abc"}, {Value("H"), 0, '.', "H"},       {Value("H"), -3, '.', "H"},
        {Value(2.5), 5, ',', "  2,5"}, {Value(1.008), 3, '.', "1.008"},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Text);
        const Value Before = Each.Element;
        EXPECT_EQ(AddSpace(Each.Element, Each.Length, Each.Separator), Each.Text);
        EXPECT_EQ(Each.Element, Before);
    }
}

TEST(NumberTextTest, FifteenSignificantDigitsAndTheLocaleSeparator) {
    struct Case {
        double Number;
        const char* Period;
        const char* Comma;
    };
    const Case Cases[] = {
        {2.01588, "2.01588", "2,01588"},
        {2.0, "2", "2"},
        {1.0 / 3.0, "0.333333333333333", "0,333333333333333"},
        {2.0 / 3.0, "0.666666666666667", "0,666666666666667"},
        {99.99999999999999, "100", "100"},
        {100.00000000000001, "100", "100"},
        {0.1 + 0.2, "0.3", "0,3"},
        {18.015, "18.015", "18,015"},
        {2.016, "2.016", "2,016"},
        {0.5, "0.5", "0,5"},
        {-0.5, "-0.5", "-0,5"},
        {-2.01588, "-2.01588", "-2,01588"},
        {-12.0, "-12", "-12"},
        {0.0, "0", "0"},
        {-0.0, "0", "0"},
        {123456789012345.0, "123456789012345", "123456789012345"},
        {12345678901234.56, "12345678901234.6", "12345678901234,6"},
        {1.23456789012345678, "1.23456789012346", "1,23456789012346"},
        {0.001, "0.001", "0,001"},
        {60.052, "60.052", "60,052"},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Period);
        EXPECT_EQ(NumberText(Each.Number, '.'), Each.Period);
        EXPECT_EQ(NumberText(Each.Number, ','), Each.Comma);
    }
}

TEST(PercentTextTest, TwoDecimalsHalvesAwayFromZero) {
    struct Case {
        double Number;
        const char* Period;
    };
    const Case Cases[] = {
        {11.1901, "11.19"},
        {5.5, "5.5"},
        {100, "100."},
        {0.25, ".25"},
        {0.004, "."},
        {0, "."},
        {0.0049999, "."},
        {0.005, ".01"},
        {0.015, ".02"},
        {0.125, ".13"},
        {1.005, "1.01"},
        {2.675, "2.68"},
        {99.995, "100."},
        {99.99499999, "99.99"},
        {99.99999999999999, "100."},
        {11.11111111111111, "11.11"},
        {88.88888888888889, "88.89"},
        {20.000666, "20."},
        {12.3, "12.3"},
        {0.1, ".1"},
        {0.9, ".9"},
        {10.05, "10.05"},
        {1234.5678, "1234.57"},
        {200, "200."},
        {1e20, "100000000000000000000."},
        // Negative shares come only from negative weights.
        {-5.5, "-5.5"},
        {-100, "-100."},
        {-0.005, "-.01"},
        {-0.25, "-.25"},
        {-0.004, "."},
        {-0.0, "."},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Period);
        EXPECT_EQ(PercentText(Each.Number, '.'), Each.Period);
        std::string Comma = Each.Period;
        Comma.replace(Comma.find('.'), 1, ",");
        EXPECT_EQ(PercentText(Each.Number, ','), Comma);
    }
}

TEST(ReadWholeNumberTest, TakesOnlyAWholeNumber) {
    struct Case {
        const char* Text;
        bool Number;
        double Result;
    };
    const Case Cases[] = {
        {"1.008", true, 1.008},  {"118", true, 118},  {"0", true, 0},      {"-2.5", true, -2.5},
        {"+2.5", true, 2.5},     {".5", true, 0.5},   {"1.", true, 1},     {"1e3", true, 1000},
        {"1.5E-2", true, 0.015}, {"2e+2", true, 200}, {"1e-400", true, 0}, {"", false, 0},
        {".", false, 0},         {"-", false, 0},     {"e5", false, 0},    {"1e", false, 0},
        {"1e+", false, 0},       {"abc", false, 0},   {"1,5", false, 0},   {"1.2.3", false, 0},
        {" 1", false, 0},        {"1 ", false, 0},    {"0x10", false, 0},  {"nan", false, 0},
        {"inf", false, 0},       {"--1", false, 0},   {"1d3", false, 0},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Text);
        double Number = -99;
        EXPECT_EQ(ReadWholeNumber(Each.Text, Number), Each.Number);
        if (Each.Number) {
            EXPECT_DOUBLE_EQ(Number, Each.Result);
        }
    }

    double Number = 0;
    EXPECT_EQ(ErrorNumberOf([&] { ReadWholeNumber("1e400", Number); }), ErrOverflow);
    EXPECT_EQ(ErrorNumberOf([&] { ReadWholeNumber("-1e400", Number); }), ErrOverflow);
    EXPECT_EQ(ErrorNumberOf([&] { ReadWholeNumber(std::string(400, '9'), Number); }), ErrOverflow);
    ASSERT_TRUE(ReadWholeNumber("0." + std::string(400, '0') + "1", Number));
    EXPECT_EQ(Number, 0);
}

TEST(TextRulesTest, ElementListLinesAndTheirSymbols) {
    struct Case {
        ElementRecord Record;
        char DecimalSeparator;
        const char* Line;
        const char* Symbol;
    };
    const Case Cases[] = {
        {{"H", 1.0, 1.008}, '.', "  1- H(1.008)", "H"},
        {{"He", 2.0, 4.0026}, ',', "  2-He(4,0026)", "He"},
        {{"Og", 118.0, 294.0}, '.', "118-Og(294)", "Og"},
        {{"Xyz", 1000.0, Value()}, '.', "1000-Xyz()", "-X"},
        {{Value(), Value(), Value()}, '.', "   -  ()", ""},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Line);
        const std::string Line = ElementListEntry(Each.Record, Each.DecimalSeparator);
        EXPECT_EQ(Line, Each.Line);
        EXPECT_EQ(ListEntrySymbol(Line), Each.Symbol);
    }
    EXPECT_EQ(ListEntrySymbol(""), "");
    EXPECT_EQ(ListEntrySymbol("  1- "), "");
}

} // namespace
} // namespace Varnock
