#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/FormulaParser.h"
#include "core/FormulaReader.h"
#include "core/TypedFormula.h"

namespace Varnock {
namespace {

// Entries as "symbol*count", joined by spaces, the way the report writes them.
std::string Written(const std::vector<FormulaEntry>& Entries) {
    std::string Text;
    for (const auto& Entry : Entries)
        Text += (Text.empty() ? "" : " ") + Entry.Symbol + "*" + Entry.Count.Text();
    return Text;
}

std::string EntriesOf(const std::string& Utf8) {
    const FormulaReading Reading = ReadFormula(ReadTyped(Utf8).Text);
    EXPECT_EQ(Reading.Result, FormulaResult::Read) << "stopped at byte " << Reading.Position;
    return Written(Reading.Entries);
}

TEST(FormulaReaderTest, ReadsFormulasAsChemistsWriteThem) {
    const std::pair<const char*, const char*> Cases[] = {
        // Groups, nested, with counts multiplying every entry inside.
        {"Ca(OH)2", "Ca*1 O*2 H*2"},
        {"(NH4)2SO4", "N*2 H*8 S*1 O*4"},
        {"K4[Fe(CN)6]", "K*4 Fe*1 C*6 N*6"},
        {"Cd2[AlCl4]2", "Cd*2 Al*2 Cl*8"},
        {"{[(H)2]3}4", "H*24"},
        {"(H2O)1.5", "H*3 O*1.5"},
        {"Ca(OH) 2", "Ca*1 O*2 H*2"},
        {"(H)", "H*1"},
        // Parts, with multipliers (decimals included) in front.
        {"CuSO4\xC2\xB7"
         "5H2O",
         "Cu*1 S*1 O*4 H*10 O*5"},
        {"CuSO4*5H2O", "Cu*1 S*1 O*4 H*10 O*5"},
        {"CuSO4 \xE2\x80\xA2 5 H2O", "Cu*1 S*1 O*4 H*10 O*5"},
        {"Fe2O3.H2O", "Fe*2 O*3 H*2 O*1"},
        {"NaCl.(H2O)2", "Na*1 Cl*1 H*4 O*2"},
        {"CaSO4\xC2\xB7.5H2O", "Ca*1 S*1 O*4 H*1 O*0.5"},
        {".5H2O", "H*1 O*0.5"},
        {"2H2O", "H*4 O*2"},
        {"1.5H2O", "H*3 O*1.5"},
        {"2(OH)2", "O*4 H*4"},
        // A point between digits is a decimal point.
        {"C1.5", "C*1.5"},
        {"CuSO4.5H2O", "Cu*1 S*1 O*4.5 H*2 O*1"},
        {"AlCl3.6H2O", "Al*1 Cl*3.6 H*2 O*1"},
        {"H1 . 5", "H*1.5"},
        // Counts as written; no count is the integer 1.
        {"Fe0.95O", "Fe*0.95 O*1"},
        {"La0.5Sr0.5MnO3", "La*0.5 Sr*0.5 Mn*1 O*3"},
        {"C10H22", "C*10 H*22"},
        {"H 1 2", "H*12"},
        // Charges end the formula and add nothing.
        {"SO4^2-", "S*1 O*4"},
        {"Fe^3+", "Fe*1"},
        {"NH4^+", "N*1 H*4"},
        {"Fe^+3", "Fe*1"},
        {"Fe+3", "Fe*1"},
        {"SO4-2", "S*1 O*4"},
        {"Na+", "Na*1"},
        {"Cl-", "Cl*1"},
        {"Ca++", "Ca*1"},
        {"[SO4]--", "S*1 O*4"},
        {"[Fe(CN)6]^4-", "Fe*1 C*6 N*6"},
        {"SO4^2- ", "S*1 O*4"},
        // Pasted: subscripts, superscript charges, dots and the minus sign.
        {"H\xE2\x82\x82SO\xE2\x82\x84", "H*2 S*1 O*4"},
        {"Fe\xC2\xB3\xE2\x81\xBA", "Fe*1"},
        {"SO\xE2\x82\x84\xC2\xB2\xE2\x81\xBB", "S*1 O*4"},
        {"CuSO\xE2\x82\x84\xE2\x8B\x85"
         "5H\xE2\x82\x82O",
         "Cu*1 S*1 O*4 H*10 O*5"},
        {"CuSO4\xE2\x88\x99"
         "5H2O",
         "Cu*1 S*1 O*4 H*10 O*5"},
        {"SO4^2\xE2\x88\x92", "S*1 O*4"},
        // The edges of the character rules: codes 64/65, 90/91, 96/97 and 122/123.
        {"Al2O3", "Al*2 O*3"},
        {"Ag", "Ag*1"},
        {"Au", "Au*1"},
        {"Zn", "Zn*1"},
        {"Z[H]", "Z*1 H*1"},
        {"`", "`*1"},
        {"A`", "A*1 `*1"},
        {"Az", "Az*1"},
        {"H{O}", "H*1 O*1"},
        {"\\_|~\x7F", "\\*1 _*1 |*1 ~*1 \x7F*1"},
        {"", ""},
        {"  ", ""},
    };
    for (const auto& [Formula, Entries] : Cases) {
        SCOPED_TRACE(Formula);
        EXPECT_EQ(EntriesOf(Formula), Entries);
    }
}

TEST(FormulaReaderTest, RefusesWhatCantBeReadNamingTheCharacterAsTyped) {
    const std::pair<const char*, const char*> Cases[] = {
        {"Ca()2", "Formula: character 4 \")\": the group is empty"},
        {"H2O)", "Formula: character 4 \")\" closes no group"},
        {"(H2O]", "Formula: character 5 \"]\" can't close the \"(\" at character 1"},
        {"((H)", "Formula: character 1 \"(\" is never closed"},
        {"[", "Formula: character 1 \"[\" is never closed"},
        {"(CuSO4\xC2\xB7"
         "5H2O)",
         "Formula: character 7 \"\xC2\xB7\": a group can't be split into parts"},
        {"H2O\xC2\xB7\xC2\xB7H", "Formula: character 5 \"\xC2\xB7\": a part holds no element"},
        {"*H2O", "Formula: character 1 \"*\": a part holds no element"},
        {"H2O*", "Formula: character 4 \"*\": a part holds no element"},
        {"2", "Formula: character 1 \"2\": a part holds no element"},
        {"2.H2O", "Formula: character 2 \".\": a part holds no element"},
        {"K2O.6SiO2", "Formula: character 4 \".\": write K2O\xC2\xB7"
                      "6SiO2 or K2O0.6SiO2"},
        {"Fe.95O", "Formula: character 3 \".\": write Fe\xC2\xB7"
                   "95O or Fe0.95O"},
        {"(OH).5", "Formula: character 5 \".\": write (OH)\xC2\xB7"
                   "5 or (OH)0.5"},
        {"H2O.", "Formula: character 4 \".\" can't be read"},
        {"H2.5.1", "Formula: character 5 \".\" can't be read"},
        {"H0", "Formula: character 2 \"0\": a count must be above 0"},
        {"H0.0O", "Formula: character 2 \"0\": a count must be above 0"},
        {"(OH)0", "Formula: character 5 \"0\": a count must be above 0"},
        {"0H2O", "Formula: character 1 \"0\": a count must be above 0"},
        {"Fe3+", "Formula: character 4 \"+\": write the charge after ^, as in Fe^3+ or Fe3^+"},
        {"SO42-", "Formula: character 5 \"-\": write the charge after ^, as in SO4^2- or SO42^-"},
        {"[Fe(CN)6]4-",
         "Formula: character 11 \"-\": write the charge after ^, as in [Fe(CN)6]^4- or "
         "[Fe(CN)6]4^-"},
        {"H+O", "Formula: character 2 \"+\": a charge can only end the formula"},
        {"H-2O", "Formula: character 2 \"-\": a charge can only end the formula"},
        {"Fe3+O", "Formula: character 4 \"+\": a charge can only end the formula"},
        {"+H", "Formula: character 1 \"+\" can't be read"},
        {"Ca+-", "Formula: character 4 \"-\" can't be read"},
        {"Fe^3", "Formula: character 3 \"^\" can't be read"},
        {"@", "Formula: character 1 \"@\" can't be read"},
        {"h2o", "Formula: character 1 \"h\" can't be read"},
        {"Uuo", "Formula: character 3 \"o\" can't be read"},
        {"N a", "Formula: character 3 \"a\" can't be read"},
        {"H2\r", "Formula: character 3 (code 13) can't be read"},
        // Named as typed, counted as the box shows: not "?" for what the code page lacks.
        {"H\xE2\x82\x82O\xE2\x9C\x93", "Formula: character 4 \"\xE2\x9C\x93\" can't be read"},
        {"Fe\xE2\x81\xBA\xE2\x81\xBA", "Formula: character 4 \"\xE2\x81\xBA\" can't be read"},
        {"K\xE2\x82\x82O.6", "Formula: character 4 \".\": write K\xE2\x82\x82O\xC2\xB7"
                             "6 or K\xE2\x82\x82O0.6"},
        {"H2O\xFF", "Formula: character 4 (byte 255) can't be read"},
        {"\xE2\x80\x8FH2O", "Formula: character 1 (U+200F) can't be read"},
    };
    for (const auto& [Formula, Notice] : Cases) {
        SCOPED_TRACE(Formula);
        const TypedFormula Typed = ReadTyped(Formula);
        const FormulaReading Reading = ReadFormula(Typed.Text);
        EXPECT_NE(Reading.Result, FormulaResult::Read);
        EXPECT_TRUE(Reading.Entries.empty());
        EXPECT_EQ(RefusalNotice(Reading, Typed), Notice);
    }
}

// A mass number and a symbol in square brackets are one isotope entry, counted like an element;
// the bracket is never a group then.
TEST(FormulaReaderTest, ReadsIsotopeEntries) {
    const std::pair<const char*, const char*> Cases[] = {
        {"[13C]", "[13C]*1"},
        {"[2H]2O", "[2H]*2 O*1"},
        {"[18O]2", "[18O]*2"},
        {"C[13C]H6", "C*1 [13C]*1 H*6"},
        {"([13C]H3)2", "[13C]*2 H*6"},
        {"[235U]F6", "[235U]*1 F*6"},
        {"[37Cl]-", "[37Cl]*1"},
        {"[2H]2O\xC2\xB7[13C]O2", "[2H]*2 O*1 [13C]*1 O*2"},
        {"[H]2", "H*2"}, // a group still, with no digit first
    };
    for (const auto& [Formula, Entries] : Cases) {
        SCOPED_TRACE(Formula);
        const FormulaReading Reading = ReadFormula(ReadTyped(Formula).Text);
        ASSERT_EQ(Reading.Result, FormulaResult::Read) << "stopped at byte " << Reading.Position;
        std::string Text;
        for (const auto& Entry : Reading.Entries)
            Text += (Text.empty() ? "" : " ") +
                    (Entry.MassNumber ? LabelText(Entry) : Entry.Symbol) + "*" + Entry.Count.Text();
        EXPECT_EQ(Text, Entries);
    }
    const std::pair<const char*, const char*> Refused[] = {
        {"[13C", "Formula: character 1 \"[\" is never closed"},
        {"[13", "Formula: character 1 \"[\" is never closed"},
        {"[0C]", "Formula: character 2 \"0\" can't be read"},
        {"[1000C]", "Formula: character 2 \"1\" can't be read"},
        {"[13(C)]", "Formula: character 4 \"(\" can't be read"},
        {"[13CO]", "Formula: character 5 \"O\" can't be read"},
        {"[13C]0", "Formula: character 6 \"0\": a count must be above 0"},
    };
    for (const auto& [Formula, Notice] : Refused) {
        SCOPED_TRACE(Formula);
        const TypedFormula Typed = ReadTyped(Formula);
        EXPECT_EQ(RefusalNotice(ReadFormula(Typed.Text), Typed), Notice);
    }
}

std::string StrictEntries(const std::string& Formula) {
    BasVarnock Table;
    Value Compound = Formula;
    const int Next = GetElements(Table, Compound);
    std::vector<FormulaEntry> Entries;
    for (int Index = 1; Index < Next; ++Index)
        Entries.push_back({Table.ElementSymbol(Index).Text(), Table.ElementCount(Index)});
    return Written(Entries);
}

// A formula with no group, separator, multiplier, charge or count below 1 reads as the strict
// rules read it: every such formula of up to five characters from those that matter.
TEST(FormulaReaderTest, PlainFormulasReadAsTheStrictRulesReadThem) {
    const std::string Alphabet = " HeOa120.\xC9\xE9";
    const auto Plain = [](const std::string& Formula) {
        std::size_t First = Formula.find_first_not_of(' ');
        if (First != std::string::npos && (Formula[First] < 'A' || Formula[First] == '['))
            return false; // blank, multiplier or group first
        for (std::size_t At = 0; At < Formula.size(); ++At) {
            const char Character = Formula[At];
            if (Character == '[' || Character == '+')
                return false;
            // A count that starts with 0: zero, or below 1.
            const std::size_t Before = Formula.find_last_not_of(' ', At == 0 ? 0 : At - 1);
            if (Character == '0' && At > 0 && Before != std::string::npos &&
                !(Formula[Before] >= '0' && Formula[Before] <= '9'))
                return false;
        }
        return true;
    };
    std::vector<std::string> Formulas = {""};
    int Compared = 0;
    for (int Length = 1; Length <= 5; ++Length) {
        std::vector<std::string> Longer;
        for (const auto& Formula : Formulas)
            for (char Character : Alphabet)
                Longer.push_back(Formula + Character);
        for (const auto& Formula : Longer) {
            const FormulaReading Reading = ReadFormula(Formula);
            if (Reading.Result != FormulaResult::Read || !Plain(Formula))
                continue;
            ++Compared;
            ASSERT_EQ(Written(Reading.Entries), StrictEntries(Formula))
                << ::testing::PrintToString(Formula);
        }
        Formulas = std::move(Longer);
    }
    EXPECT_GT(Compared, 10000);
}

} // namespace
} // namespace Varnock
