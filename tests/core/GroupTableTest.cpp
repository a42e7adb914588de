#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/GroupTable.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

using Testing::TempDir;

const ElementSymbols& ShippedSymbols() {
    static const ElementSymbols Symbols = ElementSymbols::Of(ElementTable(VARNOCK_ELEMENTS_DAT));
    return Symbols;
}

// The groups as "name=formula" in table order, joined by spaces.
std::string Listed(const GroupTable& Table) {
    std::string Text;
    for (const Group& Each : Table.All())
        Text +=
            (Text.empty() ? "" : " ") + std::string(Each.Name) + "=" + std::string(Each.Formula);
    return Text;
}

TEST(GroupTableTest, ReadsRowsAndNamesEveryBadOneByItsLine) {
    TempDir Folder;
    const struct {
        const char* Name;
        std::string Text;
        std::string Groups;
        std::vector<std::string> Faults = {};
    } Cases[] = {
        {"the three shapes, a look-alike, comments, blank lines, CR LF",
         "# groups\r\n\r\n\"Ph\",\"C6H5\",\"phenyl\"\r\n  tBu , C4H9 , tert-butyl\r\n"
         "\"acac\",\"C5H7O2\",\"acetylacetonate, as bound\",\r\n"
         "\"Tos\",\"C7H7O2S\",\"tosyl\",\"Ts\"\r\n",
         "Ph=C6H5 tBu=C4H9 acac=C5H7O2 Tos=C7H7O2S"},
        {"a later row replaces an earlier one where that stood",
         "\"Me\",\"CH3\",\"methyl\"\n\"Et\",\"C2H5\",\"ethyl\"\n\"Me\",\"CD3\",\"methyl-d3\"\n",
         "Me=CD3 Et=C2H5"},
        {"labelled isotopes and brackets",
         "\"Mec\",\"[13C]H3\",\"methyl-13C\"\n\"Tbu\",\"C(CH3)3\",\"tert-butyl\"\n",
         "Mec=[13C]H3 Tbu=C(CH3)3"},
        {"names of none of the shapes",
         "PH,PH3,x\nph3,PH3,x\nabcdTb,C,x\nP,P,x\n\"\",C,x\nPhX,C,x\niP,C,x\n",
         "",
         {"groups.dat, line 1: the name \"PH\" is none of a group's: Ph, tBu (one to three "
          "lowercase letters before such a name) or acac",
          "groups.dat, line 2: the name \"ph3\" is none of a group's: Ph, tBu (one to three "
          "lowercase letters before such a name) or acac",
          "groups.dat, line 3: the name \"abcdTb\" is none of a group's: Ph, tBu (one to three "
          "lowercase letters before such a name) or acac",
          "groups.dat, line 4: the name \"P\" is none of a group's: Ph, tBu (one to three "
          "lowercase letters before such a name) or acac",
          "groups.dat, line 5: the name \"\" is none of a group's: Ph, tBu (one to three "
          "lowercase letters before such a name) or acac",
          "groups.dat, line 6: the name \"PhX\" is none of a group's: Ph, tBu (one to three "
          "lowercase letters before such a name) or acac",
          "groups.dat, line 7: the name \"iP\" is none of a group's: Ph, tBu (one to three "
          "lowercase letters before such a name) or acac"}},
        {"a name that is an element, and bad formulas",
         "\"Ac\",\"C2H3O\",\"acetyl\"\n\"Bad\",\"C6(H5\",\"x\"\n\"Ion\",\"SO4^2-\",\"x\"\n"
         "\"Nix\",\"\",\"x\"\n\"Grp\",\"PhH\",\"a group in a group\"\n\"Sym\",\"CXy\",\"x\"\n"
         "\"Zer\",\"C0\",\"x\"\n\"Big\",\"C1000000000000000000000000000000000000000\",\"x\"\n",
         "",
         {"groups.dat, line 1: the name Ac is an element of the table, and a formula reads the "
          "element",
          "groups.dat, line 2: the formula C6(H5 can't be read: character 3 \"(\" is never closed",
          "groups.dat, line 3: the formula SO4^2- has a charge; a group has none",
          "groups.dat, line 4: the formula is empty",
          "groups.dat, line 5: the formula PhH names Ph, which is no element of the table",
          "groups.dat, line 6: the formula CXy names Xy, which is no element of the table",
          "groups.dat, line 7: the formula C0 can't be read: character 2 \"0\": a count must "
          "be above 0",
          "groups.dat, line 8: the formula has 41 characters, at most 40 can be read"}},
        {"malformed lines",
         "\"Ph\",\"C6H5\"\n\"Ph\",\"C6H5\",\"a\",\"Ts\",\"b\"\n\"Ph,\"C6H5\",\"x\"\n"
         "\"Ph\"x,\"C6H5\",\"x\"\n\"Et\",\"C2H5\",\"ethyl\",\"Xx\"\n"
         "\"Bor\",\"B2H5\",\"boryl\",\"B\"\n",
         "",
         {"groups.dat, line 1: 3 or 4 fields expected, 2 found",
          "groups.dat, line 2: 3 or 4 fields expected, 5 found",
          "groups.dat, line 3: a quote is not closed, or text follows it",
          "groups.dat, line 4: a quote is not closed, or text follows it",
          "groups.dat, line 5: the look-alike Xx is no element of the table with a two-letter "
          "symbol",
          "groups.dat, line 6: the look-alike B is no element of the table with a two-letter "
          "symbol"}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const std::string Path = Folder.Write("groups.dat", Case.Text);
        const GroupTable Table(Path, ShippedSymbols());
        EXPECT_EQ(Listed(Table), Case.Groups);
        std::vector<std::string> Faults;
        for (const std::string& Each : Table.Notices())
            Faults.push_back(Each.substr(Folder.Folder().string().size() + 1));
        EXPECT_EQ(Faults, Case.Faults);
    }
    // No table, no groups and nothing to tell; a folder where the table should be is told.
    EXPECT_EQ(GroupTable(Folder.Path("none.dat"), ShippedSymbols()).Notices().size(), 0u);
    const GroupTable Folderish(Folder.Folder().string(), ShippedSymbols());
    EXPECT_EQ(Folderish.All().size(), 0u);
    EXPECT_EQ(Folderish.Notices(),
              std::vector<std::string>{Folder.Folder().string() + ": Error number 75 occured"});
}

// Every shipped group against its structure written out and the two published lists, each
// compared by hand (tests/core/data/group-references.tsv).
TEST(GroupTableTest, ShippedGroupsAgreeWithTheirReferences) {
    const GroupTable Shipped(GroupTableBeside(VARNOCK_ELEMENTS_DAT), ShippedSymbols());
    EXPECT_EQ(Shipped.Notices(), std::vector<std::string>{});
    EXPECT_GE(Shipped.All().size(), 90u);
    // Elements and their counts, summed: the same formula written another way gives the same.
    const auto Counts = [](const std::vector<FormulaEntry>& Entries) {
        std::map<std::string, double> Summed;
        for (const FormulaEntry& Each : Entries)
            Summed[Each.MassNumber ? LabelText(Each) : Each.Symbol] += Each.Count.AsDouble();
        return Summed;
    };
    const auto CountsOf = [&](const std::string& Formula) {
        const FormulaReading Reading = ReadFormula(Formula);
        EXPECT_EQ(Reading.Result, FormulaResult::Read) << Formula;
        return Counts(Reading.Entries);
    };
    std::ifstream File(VARNOCK_GROUP_REFERENCES);
    ASSERT_TRUE(File);
    std::map<std::string, bool> Referenced;
    std::string Line;
    while (std::getline(File, Line)) {
        if (Line.empty() || Line[0] == '#')
            continue;
        std::vector<std::string> Fields;
        std::stringstream Columns(Line);
        for (std::string Field; std::getline(Columns, Field, '\t');)
            Fields.push_back(Field);
        ASSERT_GE(Fields.size(), 4u) << Line;
        SCOPED_TRACE(Fields[0]);
        const Group* Found = Shipped.Find(Fields[0]);
        ASSERT_NE(Found, nullptr);
        Referenced[Fields[0]] = true;
        EXPECT_EQ(Counts(Found->Entries()), CountsOf(Fields[1])) << Fields[1];
        const std::string Note = Fields.size() > 4 ? Fields[4] : "";
        for (const auto& [List, Name] :
             {std::pair<std::size_t, const char*>{2, "molmass"}, {3, "chemical-groups"}})
            if (Fields[List] != "-") {
                const bool Differs = Note.starts_with("differs from " + std::string(Name) + ":");
                EXPECT_EQ(Counts(Found->Entries()) == CountsOf(Fields[List]), !Differs)
                    << Name << " " << Fields[List];
            }
    }
    for (const Group& Each : Shipped.All())
        EXPECT_TRUE(Referenced[std::string(Each.Name)]) << Each.Name << " has no reference";
}

} // namespace
} // namespace Varnock
