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

struct CheckCase {
    std::string Formula;
    int Position; // 0: readable
    char Character;
    int Entries;
};

TEST(CheckFormulaTest, FindsCharactersTheRulesWouldSkipOrMisread) {
    const CheckCase Cases[] = {
        // Readable: every character is part of a symbol or of one count number.
        {"H2O", 0, 0, 2},
        {"NaCl", 0, 0, 2},
        {"CH3COOH", 0, 0, 6},
        {"H 2", 0, 0, 1},
        {"C1.5", 0, 0, 1},
        {"H-1", 0, 0, 1},
        {"H+1", 0, 0, 1},
        {"H.5", 0, 0, 1},
        {"H2.", 0, 0, 1},
        {"H 2 .", 0, 0, 1},
        {"", 0, 0, 0},
        {"   ", 0, 0, 0},
        {"  H2O  ", 0, 0, 2},
        {"\tH\n", 0, 0, 1},
        {"Uu", 0, 0, 1},
        {"H[2]", 0, 0, 3},
        {"{~}", 0, 0, 3},
        {"[a", 0, 0, 1},
        // Unreadable: the first character that would be skipped or misread.
        {"Ca(OH)2", 3, '(', 0},
        {"h2o", 1, 'h', 0},
        {"Uuo", 3, 'o', 0},
        {"H.", 2, '.', 0},
        {"H .", 3, '.', 0},
        {"(", 1, '(', 0},
        {")2", 1, ')', 0},
        {"H)2", 2, ')', 0},
        {"2H", 1, '2', 0},
        {" 2H", 2, '2', 0},
        {"-H", 1, '-', 0},
        {"H2.5.1", 5, '.', 0},
        {"H1-", 3, '-', 0},
        {"H--1", 3, '-', 0},
        {"H+", 2, '+', 0},
        {"H-", 2, '-', 0},
        {"H2a", 3, 'a', 0},
        {"NaCl2o", 6, 'o', 0},
        {"H,2", 2, ',', 0},
        {"H2,5", 3, ',', 0},
        {"H2\r", 3, '\r', 0},
        {"H2O(", 4, '(', 0},
        {"NaCl h", 6, 'h', 0},
        {std::string("H\0", 2), 2, '\0', 0},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Case.Formula));
        const FormulaCheck Check = CheckFormula(Case.Formula);
        EXPECT_EQ(Check.Readable, Case.Position == 0);
        EXPECT_EQ(Check.Position, Case.Position);
        if (Case.Position != 0) {
            EXPECT_EQ(Check.Code, static_cast<unsigned char>(Case.Character));
        } else
            EXPECT_EQ(Check.Entries, Case.Entries);
    }
}

TEST(CheckFormulaTest, CountsEntriesBeyondTheTable) {
    for (const int Letters : {29, 30, 31, 40}) {
        SCOPED_TRACE(Letters);
        const FormulaCheck Check =
            CheckFormula(std::string(static_cast<std::size_t>(Letters), 'C'));
        EXPECT_TRUE(Check.Readable);
        EXPECT_EQ(Check.Entries, Letters);
    }
    EXPECT_EQ(CheckFormula("NaNaNaNaNaNaNaNaNaNaNaNaNaNaNaNaNaNaNaNa").Entries, 20);
}

// A formula read the way its writer means it: blanks, then symbols each followed by a count
// run that, blanks removed, is empty or one whole number. Entries counted, or -1 when some
// character has no place in that reading.
int ReadAsWritten(const std::string& Formula) {
    const auto Code = [&](std::size_t At) { return static_cast<unsigned char>(Formula[At]); };
    const auto Blank = [](char Character) {
        return Character == ' ' || Character == '\t' || Character == '\n';
    };
    std::size_t At = 0;
    while (At < Formula.size() && Blank(Formula[At]))
        ++At;
    int Entries = 0;
    while (At < Formula.size()) {
        if (!StartsEntry(Code(At)))
            return -1;
        ++Entries;
        ++At;
        if (At < Formula.size() && IsSecondLetter(Code(At)))
            ++At;
        std::string Run;
        for (; At < Formula.size() && Code(At) < 65; ++At)
            if (!Blank(Formula[At]))
                Run += Formula[At];
        double Number = 0;
        if (!Run.empty() && !ReadWholeNumber(Run, Number))
            return -1;
    }
    return Entries;
}

void ExpectCheckAgrees(const std::string& Formula) {
    const FormulaCheck Check = CheckFormula(Formula);
    const int Written = ReadAsWritten(Formula);
    ASSERT_EQ(Check.Readable, Written >= 0) << ::testing::PrintToString(Formula);
    if (!Check.Readable) {
        ASSERT_GE(Check.Position, 1) << ::testing::PrintToString(Formula);
        ASSERT_LE(Check.Position, static_cast<int>(Formula.size()))
            << ::testing::PrintToString(Formula);
        ASSERT_EQ(Check.Code, static_cast<unsigned char>(
                                  Formula[static_cast<std::size_t>(Check.Position - 1)]));
        return;
    }
    int Result = 0;
    Parse(Formula, &Result);
    ASSERT_EQ(Check.Entries, Written) << ::testing::PrintToString(Formula);
    ASSERT_EQ(Result - 1, Written) << ::testing::PrintToString(Formula);
}

// The check passes exactly the formulas in which the strict rules skip and misread nothing.
TEST(CheckFormulaTest, AgreesWithAPlainReadingOfShortFormulas) {
    for (int First = 1; First < 256; ++First)
        for (int Second = 0; Second < 256; ++Second) {
            std::string Formula(1, static_cast<char>(First));
            if (Second > 0)
                Formula += static_cast<char>(Second);
            ASSERT_NO_FATAL_FAILURE(ExpectCheckAgrees(Formula));
        }

    // Every formula of up to four characters from the characters that matter to the rules.
    const std::string Alphabet = " \t\r02.-+,(HeCl[\xC9\xE9";
    std::vector<std::string> Formulas = {""};
    for (int Length = 1; Length <= 4; ++Length) {
        std::vector<std::string> Longer;
        for (const auto& Formula : Formulas)
            for (char Character : Alphabet)
                Longer.push_back(Formula + Character);
        for (const auto& Formula : Longer)
            ASSERT_NO_FATAL_FAILURE(ExpectCheckAgrees(Formula));
        Formulas = std::move(Longer);
    }
}

} // namespace
} // namespace Varnock
