#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/FormulaParser.h"
#include "core/FormulaReader.h"
#include "core/GroupTable.h"
#include "core/TypedFormula.h"
#include "tests/support/ProposedSpellings.h"

namespace Varnock {
namespace {

// Entries as "symbol*count", joined by spaces, the way the report writes them; a group's name
// in angle brackets.
std::string Written(const std::vector<FormulaEntry>& Entries) {
    std::string Text;
    for (const auto& Entry : Entries)
        Text += (Text.empty() ? "" : " ") +
                (Entry.GroupRow ? "<" + Entry.Symbol + ">" : Entry.Symbol) + "*" +
                Entry.Count.Text();
    return Text;
}

const GroupTable& ShippedGroups() {
    static const GroupTable Groups(GroupTableBeside(VARNOCK_ELEMENTS_DAT),
                                   ElementSymbols::Of(ElementTable(VARNOCK_ELEMENTS_DAT)));
    return Groups;
}

// The entries, then the charge as "^2-" where there is one.
std::string Written(const FormulaReading& Reading) {
    const int Size = Reading.Charge < 0 ? -Reading.Charge : Reading.Charge;
    return Written(Reading.Entries) +
           (Reading.Charge == 0 ? ""
                                : " ^" + std::to_string(Size) + (Reading.Charge < 0 ? "-" : "+"));
}

// The notes of how a formula was read, a line each.
std::string NotesOf(const FormulaReading& Reading, const TypedFormula& Typed) {
    std::string Notes;
    for (const std::string& Note : ReadingNotes(Reading, Typed))
        Notes += (Notes.empty() ? "" : "\n") + Note;
    return Notes;
}

// A reading: its entries and charge, and the notes that tell how it was read.
struct Read {
    std::string Entries;
    std::string Notice;
};

Read ReadingOf(const std::string& Utf8) {
    const TypedFormula Typed = ReadTyped(Utf8);
    const FormulaReading Reading = ReadFormula(Typed.Text);
    EXPECT_EQ(Reading.Result, FormulaResult::Read) << RefusalNotice(Reading, Typed);
    return {Written(Reading), NotesOf(Reading, Typed)};
}

// Calls Each with Start and every string of 1 to Length characters of Alphabet after it,
// shortest first, until Each returns false.
template <typename Visit>
void ForEachFormula(const std::string& Start, const std::string& Alphabet, int Length,
                    Visit&& Each) {
    std::vector<std::string> Formulas = {Start};
    for (int Added = 1; Added <= Length; ++Added) {
        std::vector<std::string> Longer;
        for (const auto& Formula : Formulas)
            for (char Character : Alphabet)
                Longer.push_back(Formula + Character);
        for (const auto& Formula : Longer)
            if (!Each(Formula))
                return;
        Formulas = std::move(Longer);
    }
}

// Every spelling a notice proposes reads; the one a reading note says it was read as reads to
// the same entries and charge, and the other reading to others, with fewer notes: the one that
// proposed it has nothing left to tell.
void ExpectSpellingsRead(const std::string& Formula, const FormulaReading& Reading,
                         const std::string& Notices) {
    std::vector<std::string> Spellings;
    for (std::size_t Start = 0; Start < Notices.size();) { // a notice a line
        const std::size_t End = std::min(Notices.find('\n', Start), Notices.size());
        const std::string Notice = Notices.substr(Start, End - Start);
        for (std::string& Spelling : Testing::ProposedSpellings(Notice))
            Spellings.push_back(std::move(Spelling));
        Start = End + 1;
    }
    for (const std::string& Spelling : Spellings) {
        SCOPED_TRACE(Formula + " -> " + Spelling);
        const TypedFormula Typed = ReadTyped(Spelling);
        const FormulaReading Again = ReadFormula(Typed.Text, Reading.Groups);
        ASSERT_EQ(Again.Result, FormulaResult::Read) << RefusalNotice(Again, Typed);
        if (Reading.Result != FormulaResult::Read)
            continue;
        const bool SameAsRead = Notices.find("read as " + Spelling + ";") != std::string::npos;
        EXPECT_EQ(Written(Again) == Written(Reading), SameAsRead);
        if (!SameAsRead) {
            EXPECT_LT(ReadingNotes(Again, Typed).size(),
                      ReadingNotes(Reading, ReadTyped(Formula)).size());
        }
    }
}

TEST(FormulaReaderTest, ReadsFormulasAsChemistsWriteThem) {
    const struct {
        const char* Formula;
        const char* Entries;
        const char* Notice = "";
    } Cases[] = {
        // Groups, nested, with counts multiplying every entry inside.
        {"Ca(OH)2", "Ca*1 O*2 H*2"},
        {"(NH4)2SO4", "N*2 H*8 S*1 O*4"},
        {"K4[Fe(CN)6]", "K*4 Fe*1 C*6 N*6"},
        {"Cd2[AlCl4]2", "Cd*2 Al*2 Cl*8"},
        {"{[(H)2]3}4", "H*24"},
        {"(H2O)1.5", "H*3 O*1.5"},
        {"Ca(OH) 2", "Ca*1 O*2 H*2"},
        {"(H)", "H*1"},
        // Parts, with multipliers (decimals included) in front; each multiplies its own part.
        {"CuSO4\xC2\xB7"
         "5H2O",
         "Cu*1 S*1 O*4 H*10 O*5"},
        {"CuSO4*5H2O", "Cu*1 S*1 O*4 H*10 O*5"},
        {"2H2O*NaCl", "H*4 O*2 Na*1 Cl*1"},
        {"CuSO4 \xE2\x80\xA2 5 H2O", "Cu*1 S*1 O*4 H*10 O*5"},
        {"Fe2O3.H2O", "Fe*2 O*3 H*2 O*1"},
        {"NaCl.(H2O)2", "Na*1 Cl*1 H*4 O*2"},
        {"CaSO4\xC2\xB7.5H2O", "Ca*1 S*1 O*4 H*1 O*0.5"},
        {".5H2O", "H*1 O*0.5"},
        {". 5H2O", "H*1 O*0.5"},
        {"2H2O", "H*4 O*2"},
        {"1.5H2O", "H*3 O*1.5"},
        {"2.5H2O", "H*5 O*2.5"},
        {"2(OH)2", "O*4 H*4"},
        // A blank between two numbers starts a part; between a symbol and its count it is none.
        {"CaCO3 6H2O", "Ca*1 C*1 O*3 H*12 O*6"},
        {"C1.5 2H", "C*1.5 H*2"},
        {"H 2", "H*2"},
        {"H\t2", "H*2"},
        {"H2O 2", "H*2 O*2"},
        {"C 6 H 12 O 6", "C*6 H*12 O*6"},
        // A point with a blank beside it separates parts; digits after it are a multiplier.
        {"NH3 . 2HCl", "N*1 H*3 H*2 Cl*2"},
        {"2NH3 . 2HCl", "N*2 H*6 H*2 Cl*2"},
        {"CuSO4 .5H2O", "Cu*1 S*1 O*4 H*10 O*5"},
        {"CuSO4. 5H2O", "Cu*1 S*1 O*4 H*10 O*5"},
        // Right after a symbol or group and before a digit, it separates parts too.
        {"K2O.6SiO2", "K*2 O*1 Si*6 O*12",
         "Formula: character 4 \".\": read as K2O\xC2\xB7"
         "6SiO2; for the count 0.6 write K2O0.6SiO2"},
        {"Fe.95O", "Fe*1 O*95",
         "Formula: character 3 \".\": read as Fe\xC2\xB7"
         "95O; for the count 0.95 write Fe0.95O"},
        {"Al2O3.Na2O.6SiO2", "Al*2 O*3 Na*2 O*1 Si*6 O*12",
         "Formula: character 11 \".\": read as Al2O3\xC2\xB7Na2O\xC2\xB7"
         "6SiO2; for the count 0.6 write Al2O3\xC2\xB7Na2O0.6SiO2"},
        {"(CH(CH3)2)3N.2HCl", "C*3 H*3 C*6 H*18 N*1 H*2 Cl*2",
         "Formula: character 13 \".\": read as (CH(CH3)2)3N\xC2\xB7"
         "2HCl; for the count 0.2 write (CH(CH3)2)3N0.2HCl"},
        {"3C.2C.C4", "C*3 C*2 C*4",
         "Formula: character 3 \".\": read as 3C\xC2\xB7"
         "2C\xC2\xB7"
         "C4; for the count 0.2 write 3C0.2C\xC2\xB7"
         "C4"},
        {"C.0.5H2O", "C*1 H*1 O*0.5"},
        {"C.0.5H2O.0.6HCl", "C*1 H*1 O*0.5 H*0.6 Cl*0.6"},
        // Between digits a point is a decimal point, unless it follows a whole count of 1 or
        // more, outside any group, and a whole number not starting with 0 and then an element
        // or group follow it, in a formula with no other decimal.
        {"C1.5", "C*1.5"},
        {"Fe0.95O", "Fe*0.95 O*1"},
        {"La0.7Sr0.3MnO3", "La*0.7 Sr*0.3 Mn*1 O*3"},
        {"YBa2Cu3O6.5", "Y*1 Ba*2 Cu*3 O*6.5"},
        {"Li1.2Ni0.2Mn0.6O2", "Li*1.2 Ni*0.2 Mn*0.6 O*2"},
        {"La1.85Sr0.15CuO4", "La*1.85 Sr*0.15 Cu*1 O*4"},
        {"CuSO4.05H2O", "Cu*1 S*1 O*4.05 H*2 O*1"},
        {"(CuSO4.5H2O)2", "Cu*2 S*2 O*9 H*4 O*2"},
        {"CuSO4.5H2O0.5", "Cu*1 S*1 O*4.5 H*2 O*0.5"},
        {"CuSO4.5H2O", "Cu*1 S*1 O*4 H*10 O*5",
         "Formula: character 6 \".\": read as CuSO4\xC2\xB7"
         "5H2O; for the count 4.5 write CuS(O4.5)H2O"},
        {"Al2O3.2SiO2.2H2O", "Al*2 O*3 Si*2 O*4 H*4 O*2",
         "Formula: character 6 \".\": read as Al2O3\xC2\xB7"
         "2SiO2\xC2\xB7"
         "2H2O; for the count 3.2 write Al2(O3.2)SiO2\xC2\xB7"
         "2H2O"},
        {"CuSO4.5 H2O", "Cu*1 S*1 O*4 H*10 O*5",
         "Formula: character 6 \".\": read as CuSO4\xC2\xB7"
         "5 H2O; for the count 4.5 write CuS(O4.5) H2O"},
        {"Al(NO3)3.9H2O", "Al*1 N*3 O*9 H*18 O*9",
         "Formula: character 9 \".\": read as Al(NO3)3\xC2\xB7"
         "9H2O; for the count 3.9 write Al((NO3)3.9)H2O"},
        {"Ca3.2(PO4)2", "Ca*3 P*4 O*16",
         "Formula: character 4 \".\": read as Ca3\xC2\xB7"
         "2(PO4)2; for the count 3.2 write (Ca3.2)(PO4)2"},
        // Counts as written; no count is the integer 1.
        {"La0.5Sr0.5MnO3", "La*0.5 Sr*0.5 Mn*1 O*3"},
        {"C10H22", "C*10 H*22"},
        // Charges end the formula and add nothing.
        {"SO4^2-", "S*1 O*4 ^2-"},
        {"Fe^3+", "Fe*1 ^3+"},
        {"NH4^+", "N*1 H*4 ^1+"},
        {"Fe^+3", "Fe*1 ^3+"},
        {"Fe+3", "Fe*1 ^3+"},
        {"SO4-2", "S*1 O*4 ^2-"},
        {"Na+", "Na*1 ^1+"},
        {"Cl-", "Cl*1 ^1-"},
        {"Ca++", "Ca*1 ^2+"},
        {"[SO4]--", "S*1 O*4 ^2-"},
        {"[Fe(CN)6]^4-", "Fe*1 C*6 N*6 ^4-"},
        {"SO4^2- ", "S*1 O*4 ^2-"},
        {"SO4^2-\t", "S*1 O*4 ^2-"},
        {"Fe^ 3 +", "Fe*1 ^3+"},
        // Digits before a closing sign, as ions are written in plain text. After a square
        // bracket, and in a formula of one symbol, they are the charge; elsewhere one digit is
        // a count; more digits are a count and a charge where both are 2 or more.
        {"Fe3+", "Fe*1 ^3+",
         "Formula: character 4 \"+\": read as Fe^3+; for Fe\xC3\x97"
         "3 with charge 1+ write Fe3^+"},
        {"N3-", "N*1 ^3-",
         "Formula: character 3 \"-\": read as N^3-; for N\xC3\x97"
         "3 with charge 1- write N3^-"},
        {"I3-", "I*1 ^3-",
         "Formula: character 3 \"-\": read as I^3-; for I\xC3\x97"
         "3 with charge 1- write I3^-"},
        {"[Fe(CN)6]4-", "Fe*1 C*6 N*6 ^4-",
         "Formula: character 11 \"-\": read as [Fe(CN)6]^4-; for [Fe(CN)6]\xC3\x97"
         "4 with charge 1- write [Fe(CN)6]4^-"},
        {"[Cu(NH3)4]2+", "Cu*1 N*4 H*12 ^2+",
         "Formula: character 12 \"+\": read as [Cu(NH3)4]^2+; for [Cu(NH3)4]\xC3\x97"
         "2 with charge 1+ write [Cu(NH3)4]2^+"},
        {"2Fe3+", "Fe*2 ^3+",
         "Formula: character 5 \"+\": read as 2Fe^3+; for Fe\xC3\x97"
         "3 with charge 1+ write 2Fe3^+"},
        {"K[Fe(CN)6]3-", "K*1 Fe*1 C*6 N*6 ^3-",
         "Formula: character 12 \"-\": read as K[Fe(CN)6]^3-; for [Fe(CN)6]\xC3\x97"
         "3 with charge 1- write K[Fe(CN)6]3^-"},
        {"(H2O)2+", "H*4 O*2 ^1+"},
        {"NH4+", "N*1 H*4 ^1+"},
        {"NO3-", "N*1 O*3 ^1-"},
        {"H3O+", "H*3 O*1 ^1+"},
        {"MnO4-", "Mn*1 O*4 ^1-"},
        {"Fe(SCN)2+", "Fe*1 S*2 C*2 N*2 ^1+"},
        {"SO42-", "S*1 O*4 ^2-",
         "Formula: character 5 \"-\": read as SO4^2-; for O\xC3\x97"
         "42 with charge 1- write SO42^-"},
        {"PO43-", "P*1 O*4 ^3-",
         "Formula: character 5 \"-\": read as PO4^3-; for O\xC3\x97"
         "43 with charge 1- write PO43^-"},
        {"HPO42-", "H*1 P*1 O*4 ^2-",
         "Formula: character 6 \"-\": read as HPO4^2-; for O\xC3\x97"
         "42 with charge 1- write HPO42^-"},
        {"Cr2O72-", "Cr*2 O*7 ^2-",
         "Formula: character 7 \"-\": read as Cr2O7^2-; for O\xC3\x97"
         "72 with charge 1- write Cr2O72^-"},
        {"Hg22+", "Hg*2 ^2+",
         "Formula: character 5 \"+\": read as Hg2^2+; for Hg\xC3\x97"
         "22 with charge 1+ write Hg22^+"},
        {"O22-", "O*2 ^2-",
         "Formula: character 4 \"-\": read as O2^2-; for O\xC3\x97"
         "22 with charge 1- write O22^-"},
        {"Fe(CN)64-", "Fe*1 C*6 N*6 ^4-",
         "Formula: character 9 \"-\": read as Fe(CN)6^4-; for (CN)\xC3\x97"
         "64 with charge 1- write Fe(CN)64^-"},
        {"C60-", "C*60 ^1-"},
        {"C12H22O11+", "C*12 H*22 O*11 ^1+"},
        {"Fe10+", "Fe*10 ^1+"},
        {"C12+", "C*12 ^1+"},
        {"Fe1+", "Fe*1 ^1+"},
        {"Fe2.2+", "Fe*2.2 ^1+"},
        {"Fe3++", "Fe*3 ^2+"},
        // After a blank the digits are the charge; told only where counts stand after blanks.
        {"SO4 2-", "S*1 O*4 ^2-"},
        {"Fe 3+", "Fe*1 ^3+"},
        {"[Cu(NH3)4] 2+", "Cu*1 N*4 H*12 ^2+"},
        {"C 6 H 12 O 6+", "C*6 H*12 O*1 ^6+",
         "Formula: character 13 \"+\": read as C 6 H 12 O ^6+; for O\xC3\x97"
         "6 with charge 1+ write C 6 H 12 O 6^+"},
        // A charge in round brackets at the very end.
        {"SO4(2-)", "S*1 O*4 ^2-"},
        {"Fe(3+)", "Fe*1 ^3+"},
        {"C(+2)", "C*1 ^2+"},
        {"HO(-)", "H*1 O*1 ^1-"},
        {"CO3(--)", "C*1 O*3 ^2-"},
        // Pasted: subscripts, superscript charges, dots and the minus sign, to the ends of
        // their ranges; a superscript alone has nothing to charge and is a character.
        {"H\xE2\x82\x82SO\xE2\x82\x84", "H*2 S*1 O*4"},
        {"C\xE2\x82\x89H\xE2\x82\x82\xE2\x82\x80", "C*9 H*20"},
        {"Fe\xC2\xB3\xE2\x81\xBA", "Fe*1 ^3+"},
        {"Fe\xE2\x81\xB9\xE2\x81\xBA", "Fe*1 ^9+"},
        {"SO\xE2\x82\x84\xC2\xB2\xE2\x81\xBB", "S*1 O*4 ^2-"},
        {"\xC2\xB2", "\xB2*1"},
        {"CuSO\xE2\x82\x84\xE2\x8B\x85"
         "5H\xE2\x82\x82O",
         "Cu*1 S*1 O*4 H*10 O*5"},
        {"CuSO4\xE2\x88\x99"
         "5H2O",
         "Cu*1 S*1 O*4 H*10 O*5"},
        {"SO4^2\xE2\x88\x92", "S*1 O*4 ^2-"},
        {"CuSO\xE2\x82\x84.5H\xE2\x82\x82O", "Cu*1 S*1 O*4 H*10 O*5",
         "Formula: character 6 \".\": read as CuSO\xE2\x82\x84\xC2\xB7"
         "5H\xE2\x82\x82O; for the count 4.5 write CuS(O\xE2\x82\x84.5)H\xE2\x82\x82O"},
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
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Formula);
        const Read Reading = ReadingOf(Case.Formula);
        EXPECT_EQ(Reading.Entries, Case.Entries);
        EXPECT_EQ(Reading.Notice, Case.Notice);
        ExpectSpellingsRead(Case.Formula, ReadFormula(ReadTyped(Case.Formula).Text),
                            Reading.Notice);
        // None of them names a group: the shipped groups change nothing.
        const TypedFormula Typed = ReadTyped(Case.Formula);
        const FormulaReading WithGroups = ReadFormula(Typed.Text, &ShippedGroups());
        EXPECT_EQ(Written(WithGroups), Case.Entries);
        EXPECT_EQ(NotesOf(WithGroups, Typed), Case.Notice);
    }
    // The code page's own separators, as the window hands them over.
    EXPECT_EQ(Written(ReadFormula("CuSO4\x95"
                                  "5H2O")
                          .Entries),
              "Cu*1 S*1 O*4 H*10 O*5");
    EXPECT_EQ(Written(ReadFormula("CuSO4\xB7"
                                  "5H2O")
                          .Entries),
              "Cu*1 S*1 O*4 H*10 O*5");
}

TEST(FormulaReaderTest, RefusesWhatCantBeReadNamingTheCharacterAsTyped) {
    const std::pair<const char*, const char*> Cases[] = {
        {"Ca()2", "Formula: character 4 \")\": the group is empty"},
        {"H2O)", "Formula: character 4 \")\" closes no group"},
        {"(H2O]", "Formula: character 5 \"]\" can't close the \"(\" at character 1"},
        {"((H)", "Formula: character 1 \"(\" is never closed"},
        {"((H", "Formula: character 1 \"(\" is never closed"},
        {"[", "Formula: character 1 \"[\" is never closed"},
        {"(CuSO4\xC2\xB7"
         "5H2O)",
         "Formula: character 7 \"\xC2\xB7\": a group can't be split into parts"},
        {"(H2 2O)", "Formula: character 5 \"2\": a group can't be split into parts"},
        {"H2O\xC2\xB7\xC2\xB7H", "Formula: character 5 \"\xC2\xB7\": a part holds no element"},
        {"*H2O", "Formula: character 1 \"*\": a part holds no element"},
        {"H2O*", "Formula: character 4 \"*\": a part holds no element"},
        {"2", "Formula: character 1 \"2\": a part holds no element"},
        {"2.H2O", "Formula: character 2 \".\": a part holds no element"},
        {"H2 2", "Formula: character 4 \"2\": a part holds no element"},
        {"H 1 2", "Formula: character 5 \"2\": a part holds no element"},
        {"H1 . 5", "Formula: character 6 \"5\": a part holds no element"},
        {"2 . 5H2O", "Formula: character 3 \".\": a part holds no element"},
        {"H2O .", "Formula: character 5 \".\": a part holds no element"},
        {"(OH).5", "Formula: character 6 \"5\": a part holds no element; for the count 0.5 "
                   "write (OH)0.5"},
        {"H.2\xC2\xB7H", "Formula: character 4 \"\xC2\xB7\": a part holds no element; for the "
                         "count 0.2 write H0.2\xC2\xB7H"},
        {"H2O.", "Formula: character 4 \".\" can't be read"},
        {"H2.5.1", "Formula: character 5 \".\" can't be read"},
        {"H0", "Formula: character 2 \"0\": a count must be above 0"},
        {"H0.0O", "Formula: character 2 \"0\": a count must be above 0"},
        {"(OH)0", "Formula: character 5 \"0\": a count must be above 0"},
        {"0H2O", "Formula: character 1 \"0\": a count must be above 0"},
        // A blank between two digits separates, and a blank after a sign ends the formula.
        {"Fe+2 3", "Formula: character 6 \"3\": a blank can't split a charge; for the charge 23+ "
                   "write Fe+23"},
        {"Na+ 2", "Formula: character 5 \"2\": a blank can't split a charge; for the charge 2+ "
                  "write Na+2"},
        {"Fe^2 3+", "Formula: character 6 \"3\": a blank can't split a charge; for the charge "
                    "23+ write Fe^23+"},
        {"Ca+ +", "Formula: character 5 \"+\" can't be read"},
        {"Fe^0+", "Formula: character 4 \"0\": a charge must be above 0; for no charge write Fe"},
        {"Fe0+", "Formula: character 3 \"0\": a charge must be above 0; for no charge write Fe"},
        {"SO4(0-)", "Formula: character 5 \"0\": a charge must be above 0; for no charge write "
                    "SO4"},
        {"SO4 0-", "Formula: character 5 \"0\": a charge must be above 0; for no charge write "
                   "SO4"},
        {"SO4(2--)", "Formula: character 5 \"2\" can't be read"},
        {"(NH4)+2O", "Formula: character 6 \"+\": a charge can only end the formula"},
        {"H+O", "Formula: character 2 \"+\": a charge can only end the formula"},
        {"H-2O", "Formula: character 2 \"-\": a charge can only end the formula"},
        {"Fe3+O", "Formula: character 4 \"+\": a charge can only end the formula"},
        {"+H", "Formula: character 1 \"+\" can't be read"},
        {"( 2H)", "Formula: character 3 \"2\" can't be read"},
        {"Ca+-", "Formula: character 4 \"-\" can't be read"},
        {"Fe^3", "Formula: character 3 \"^\" can't be read"},
        {"@", "Formula: character 1 \"@\" can't be read"},
        {"h2o", "Formula: character 1 \"h\" can't be read"},
        {"Uuo", "Formula: character 3 \"o\" can't be read"},
        {"N a", "Formula: character 3 \"a\" can't be read"},
        {"H2\r", "Formula: character 3 (code 13) can't be read"},
        // Named as typed, counted as the box shows: not "?" for what the code page lacks, and
        // never echoed raw where it would show nothing.
        {"H\xE2\x82\x82O\xE2\x9C\x93", "Formula: character 4 \"\xE2\x9C\x93\" can't be read"},
        {"Fe\xE2\x81\xBA\xE2\x81\xBA", "Formula: character 4 \"\xE2\x81\xBA\" can't be read"},
        {"K\xE2\x82\x82O.6", "Formula: character 5 \"6\": a part holds no element; for the "
                             "count 0.6 write K\xE2\x82\x82O0.6"},
        {"H2O\xFF", "Formula: character 4 (byte 255) can't be read"},
        {"\xE2\x80\x8FH2O", "Formula: character 1 (U+200F) can't be read"},
        {"H\xF4\x8F\xBF\xBF", "Formula: character 2 (U+10FFFF) can't be read"},
        {"H\xED\xA0\x80", "Formula: character 2 (byte 237) can't be read"},
    };
    for (const auto& [Formula, Notice] : Cases) {
        SCOPED_TRACE(Formula);
        const TypedFormula Typed = ReadTyped(Formula);
        const FormulaReading Reading = ReadFormula(Typed.Text);
        EXPECT_NE(Reading.Result, FormulaResult::Read);
        EXPECT_TRUE(Reading.Entries.empty());
        EXPECT_EQ(RefusalNotice(Reading, Typed), Notice);
        ExpectSpellingsRead(Formula, Reading, Notice);
    }
}

// Over every formula of Start and up to Length characters of Alphabet, read with Groups, the
// hints that propose spellings, each checked as above; how many there were.
int HintsChecked(const std::string& Start, const std::string& Alphabet, int Length,
                 const GroupTable* Groups) {
    int Hinted = 0;
    ForEachFormula(Start, Alphabet, Length, [&](const std::string& Formula) {
        const TypedFormula Typed = ReadTyped(Formula);
        const FormulaReading Reading = ReadFormula(Typed.Text, Groups);
        const std::string Notice = Reading.Result == FormulaResult::Read
                                       ? NotesOf(Reading, Typed)
                                       : RefusalNotice(Reading, Typed);
        if (Testing::ProposedSpellings(Notice).empty())
            return true;
        ++Hinted;
        ExpectSpellingsRead(Formula, Reading, Notice);
        return !::testing::Test::HasFailure();
    });
    return Hinted;
}

// Every hint of every formula of up to six characters made of what charges, counts, points
// and blanks are written with proposes only spellings that read.
TEST(FormulaReaderTest, EveryProposedSpellingReads) {
    EXPECT_GT(HintsChecked("Fe", "O(.20 +", 6, nullptr), 500);
}

// With the shipped groups: the longest name at an uppercase letter, unless one lowercase letter
// makes an element of the table; a lowercase letter no symbol takes starts a group; a hyphen
// right between two elements or groups joins them.
TEST(FormulaReaderTest, ReadsGroupsAndHyphensWithTheShippedTable) {
    const std::pair<const char*, const char*> Read[] = {
        {"Ph3P", "<Ph>*3 P*1"},
        {"PPh3", "P*1 <Ph>*3"},
        {"Pd(PPh3)4", "Pd*1 P*4 <Ph>*12"},
        {"Co(en)3", "Co*1 <en>*3"},
        {"Cu(Acac)2", "Cu*1 <Acac>*2"},
        {"Phen", "<Phen>*1"}, // longest: not Phe and n
        {"PheN", "<Phe>*1 N*1"},
        {"Mes", "<Mes>*1"}, // not Me and s
        {"MeS", "<Me>*1 S*1"},
        {"Sn", "Sn*1"},     // an element, whatever groups start so
        {"Sec", "<Sec>*1"}, // not Se and c
        {"Thr2", "<Thr>*2"},
        {"Hg", "Hg*1"},
        {"AcOH", "Ac*1 O*1 H*1"},
        {"KOtBu", "K*1 O*1 <tBu>*1"}, // Ot is no element: O, then tBu
        {"Ken", "K*1 <en>*1"},
        {"Xy2", "Xy*2"}, // as before: a symbol the table lacks, told when weighed
        {"HAlaGlyOH", "H*1 <Ala>*1 <Gly>*1 O*1 H*1"},
        {"H-Ala-Gly-OH", "H*1 <Ala>*1 <Gly>*1 O*1 H*1"},
        {"Boc-(Ala)2-OH", "<Boc>*1 <Ala>*2 O*1 H*1"},
        {"CH3-CH2-[13C]H3", "C*1 H*3 C*1 H*2 C*1 H*3"},
        {"Ala2-Gly", "<Ala>*2 <Gly>*1"},
        {"Ala-", "<Ala>*1"}, // a charge, as before
        {"Ph^-", "<Ph>*1"},
    };
    for (const auto& [Formula, Entries] : Read) {
        SCOPED_TRACE(Formula);
        const FormulaReading Reading = ReadFormula(Formula, &ShippedGroups());
        EXPECT_EQ(Reading.Result, FormulaResult::Read)
            << RefusalNotice(Reading, ReadTyped(Formula));
        EXPECT_EQ(Written(Reading.Entries), Entries);
    }
    const std::pair<const char*, const char*> Refused[] = {
        {"Etx", "Formula: character 1 \"Etx\" is no element or group; nearest: Et (ethyl)"},
        {"Cu(acax)2", "Formula: character 4 \"acax\" is no element or group; nearest: acac "
                      "(acetylacetonate)"},
        // acac and Acac are as near: one spelling of a group is named.
        {"Cu(Xcac)2", "Formula: character 4 \"Xcac\" is no element or group; nearest: acac "
                      "(acetylacetonate)"},
        {"Hen", "Formula: character 1 \"Hen\" is no element or group; nearest: en "
                "(ethylenediamine), He"},
        {"tBx", "Formula: character 1 \"tBx\" is no element or group; nearest: tBu "
                "(tert-butyl)"},
        {"Ala - Gly", "Formula: character 5 \"-\": a hyphen joins the elements or groups right "
                      "beside it; write Ala-Gly"},
        {"Ala -Gly", "Formula: character 5 \"-\": a hyphen joins the elements or groups right "
                     "beside it; write Ala-Gly"},
        {"H-Ala-2Gly-OH", "Formula: character 6 \"-\": a hyphen joins the elements or groups "
                          "right beside it; for Gly\xC3\x97"
                          "2 write H-Ala-(Gly)2-OH"},
        {"H-2(OH)", "Formula: character 2 \"-\": a hyphen joins the elements or groups right "
                    "beside it; for (OH)\xC3\x97"
                    "2 write H-((OH))2"},
        {"-Ala", "Formula: character 1 \"-\" can't be read"},
        {"Ala--Gly", "Formula: character 4 \"-\": a charge can only end the formula"},
        {"(Ala-)", "Formula: character 5 \"-\": a charge can only end the formula"},
    };
    for (const auto& [Formula, Notice] : Refused) {
        SCOPED_TRACE(Formula);
        const TypedFormula Typed = ReadTyped(Formula);
        const FormulaReading Reading = ReadFormula(Typed.Text, &ShippedGroups());
        EXPECT_NE(Reading.Result, FormulaResult::Read);
        EXPECT_EQ(RefusalNotice(Reading, Typed), Notice);
        ExpectSpellingsRead(Formula, Reading, Notice);
    }
}

// The same for the look-alikes, the hyphens and the names of groups, over every formula of up to
// five characters of an alphabet that writes them.
TEST(FormulaReaderTest, EveryProposedSpellingReadsWithGroups) {
    EXPECT_GT(HintsChecked("Ac", "cPh- 2(", 5, &ShippedGroups()), 1000);
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

// A formula with no group, separator, multiplier, charge, count below 1, blank between digits
// or point before a number read as a separator reads as the strict rules read it: every such
// formula of up to five characters from those that matter.
TEST(FormulaReaderTest, PlainFormulasReadAsTheStrictRulesReadThem) {
    const std::string Alphabet = " HeOa120.\xC9\xE9";
    const auto IsDigit = [](char Character) { return Character >= '0' && Character <= '9'; };
    const auto Plain = [&](const std::string& Formula, const FormulaReading& Reading) {
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
                !IsDigit(Formula[Before]))
                return false;
            // Digits after a digit and blanks.
            if (IsDigit(Character) && At > 0 && Formula[At - 1] == ' ' &&
                Before != std::string::npos && IsDigit(Formula[Before]))
                return false;
        }
        for (const std::size_t Point : Reading.SplitPoints) {
            const std::size_t After = Formula.find_first_not_of(' ', Point + 1);
            if (After != std::string::npos && IsDigit(Formula[After]))
                return false;
        }
        return true;
    };
    int Compared = 0;
    ForEachFormula("", Alphabet, 5, [&](const std::string& Formula) {
        const FormulaReading Reading = ReadFormula(Formula);
        if (Reading.Result != FormulaResult::Read || !Plain(Formula, Reading))
            return true;
        ++Compared;
        EXPECT_EQ(Written(Reading.Entries), StrictEntries(Formula))
            << ::testing::PrintToString(Formula);
        return !::testing::Test::HasFailure();
    });
    EXPECT_GT(Compared, 10000);
}

} // namespace
} // namespace Varnock
