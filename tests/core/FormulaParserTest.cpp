#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/FormulaParser.h"
#include "core/TextRules.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

using Testing::ErrorNumberOf;

// An entry as the table holds it: the symbol's text, and the count as a number and whether
// it was stored as the integer 1.
struct Entry {
    std::string Symbol;
    double Count;
    friend bool operator==(const Entry&, const Entry&) = default;
    friend void PrintTo(const Entry& Item, std::ostream* Out) {
        *Out << ::testing::PrintToString(Item.Symbol) << "x" << Item.Count;
    }
};

std::vector<Entry> Parse(const std::string& Formula, int* Result = nullptr) {
    BasVarnock Table;
    Value Compound = Formula;
    const int Next = GetElements(Table, Compound);
    if (Result)
        *Result = Next;
    std::vector<Entry> Entries;
    for (int Index = 1; Index < Next; ++Index)
        Entries.push_back(
            {Table.ElementSymbol(Index).Text(), Table.ElementCount(Index).AsDouble()});
    return Entries;
}

struct ParseCase {
    std::string Formula;
    std::vector<Entry> Entries;
};

TEST(GetElementsTest, SplitsFormulasStrictlyLeftToRight) {
    const ParseCase Cases[] = {
        {"H2O", {{"H", 2}, {"O", 1}}},
        {"NaCl", {{"Na", 1}, {"Cl", 1}}},
        {"Cl2", {{"Cl", 2}}},
        {"C10H22", {{"C", 10}, {"H", 22}}},
        {"Fe10", {{"Fe", 10}}},
        {"Fe20", {{"Fe", 20}}},
        {"Ca(OH)2", {{"Ca", 1}, {"O", 1}, {"H", 1}}},
        {"h2o", {}},
        {"H 2", {{"H", 2}}},
        {"", {}},
        {"  ", {}},
        {"123 ,.-", {}},
        {"CO", {{"C", 1}, {"O", 1}}},
        {"Co", {{"Co", 1}}},
        {"Uuo", {{"Uu", 1}}},
        {"CH3COOH", {{"C", 1}, {"H", 3}, {"C", 1}, {"O", 1}, {"O", 1}, {"H", 1}}},
        {"C1.5", {{"C", 1.5}}},
        {"H1 2", {{"H", 12}}},
        {"H2.5.1", {{"H", 2.5}}},
        {"H\t3\n", {{"H", 3}}},
        {"2H", {{"H", 1}}},
        // Codes 91 to 96 and 123 to 127 start entries like capitals.
        {"[", {{"[", 1}}},
        {"\\2", {{"\\", 2}}},
        {"]^_`", {{"]", 1}, {"^", 1}, {"_", 1}, {"`", 1}}},
        {"{|}~\x7F", {{"{", 1}, {"|", 1}, {"}", 1}, {"~", 1}, {"\x7F", 1}}},
        {"[a3", {{"[a", 3}}},
        {"H[2]", {{"H", 1}, {"[", 2}, {"]", 1}}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Case.Formula));
        int Result = 0;
        EXPECT_EQ(Parse(Case.Formula, &Result), Case.Entries);
        EXPECT_EQ(Result, static_cast<int>(Case.Entries.size()) + 1);
    }
}

TEST(GetElementsTest, CountsAtOrBelowOneBecomeTheInteger1) {
    struct Case {
        const char* Formula;
        bool Integer1;
        double Count;
    };
    const Case Cases[] = {
        {"H", true, 1},       {"H0", true, 1},    {"H0.5", true, 1},   {"H1", true, 1},
        {"H-1", true, 1},     {"H-7.5", true, 1}, {"H.", true, 1},     {"H1.0", true, 1},
        {"H1.5", false, 1.5}, {"C10", false, 10}, {"Fe20", false, 20}, {"H1.01", false, 1.01},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Formula);
        BasVarnock Table;
        Value Compound = Each.Formula;
        ASSERT_EQ(GetElements(Table, Compound), 2);
        const Value& Count = Table.ElementCount(1);
        EXPECT_EQ(Count.IsInteger(), Each.Integer1);
        if (Each.Integer1) {
            EXPECT_EQ(Count, Value(1));
        }
        EXPECT_DOUBLE_EQ(Count.AsDouble(), Each.Count);
    }
}

TEST(GetElementsTest, AppendsOneSpaceToTheArgument) {
    const std::pair<Value, std::string> Cases[] = {
        {Value("H2O"), "H2O "},     {Value(""), " "},   {Value(), " "},
        {Value("h2o  "), "h2o   "}, {Value(12), "12 "},
    };
    for (const auto& [Formula, After] : Cases) {
        SCOPED_TRACE(After);
        BasVarnock Table;
        Value Compound = Formula;
        GetElements(Table, Compound);
        EXPECT_TRUE(Compound.IsString());
        EXPECT_EQ(Compound.Text(), After);
    }
}

TEST(GetElementsTest, ThirtyEntriesFitAndTheThirtyFirstIsRefused) {
    BasVarnock Table;
    Value Thirty = std::string(29, 'H') + "O2";
    ASSERT_EQ(GetElements(Table, Thirty), 31);
    EXPECT_EQ(Table.ElementSymbol(29), Value("H"));
    EXPECT_EQ(Table.ElementSymbol(30), Value("O"));
    EXPECT_DOUBLE_EQ(Table.ElementCount(30).AsDouble(), 2);

    // The table has no slot 31 (nor 0) to write to.
    for (const int Outside : {0, 31, -1})
        EXPECT_EQ(ErrorNumberOf([&] { Table.ElementSymbol(Outside) = "X"; }),
                  ErrSubscriptOutOfRange)
            << Outside;

    BasVarnock Full;
    Value ThirtyOne = std::string(30, 'H') + "Xe";
    EXPECT_EQ(ErrorNumberOf([&] { GetElements(Full, ThirtyOne); }), ErrSubscriptOutOfRange);
    for (int Index = 1; Index <= EntrySlots; ++Index)
        ASSERT_EQ(Full.ElementSymbol(Index), Value("H")) << Index;

    BasVarnock Forty;
    Value FortyLetters = std::string(40, 'C');
    EXPECT_EQ(ErrorNumberOf([&] { GetElements(Forty, FortyLetters); }), ErrSubscriptOutOfRange);
}

TEST(LeadingNumberTest, ReadsTheCountText) {
    const std::pair<const char*, double> Cases[] = {
        {"", 0},     {" ", 0},    {"(", 0},     {")2 ", 0},   {"2", 2},
        {" 2 ", 2},  {"1 2", 12}, {"\t3\n", 3}, {"1.5", 1.5}, {"1.2.3", 1.2},
        {".5", 0.5}, {".", 0},    {"-3", -3},   {"+4", 4},    {"- 4", -4},
        {"2-3", 2},  {"10", 10},  {"007", 7},   {"3,5", 3},   {"1e5", 1},
        {"-", 0},    {"+-2", 0},  {"12.", 12},  {"\r2", 0},   {"0.0001", 0.0001},
    };
    for (const auto& [Text, Number] : Cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(Text)));
        EXPECT_DOUBLE_EQ(LeadingNumber(Text), Number);
    }
}

} // namespace
} // namespace Varnock
