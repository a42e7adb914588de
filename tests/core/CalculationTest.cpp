#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/Calculation.h"
#include "core/FormulaReader.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

using Testing::OpenDescriptorCount;
using Testing::RecordingView;
using Testing::SlotIsReset;
using Testing::TableIsReset;
using Testing::TempDir;
using Testing::ViewEvent;

const std::string Separator = "============================\r\n";
const std::string SimpleTable = "\"H\",1,1\r\n\"O\",8,16\r\n";

std::string Missing(const std::string& Symbol) {
    return "Element: " + Symbol + " Doesn't exist in database";
}

struct ReportCase {
    const char* Name;
    std::string Table; // empty: the shipped table
    std::string Formula;
    char DecimalSeparator;
    std::string Report;
    std::string Mass;
    std::vector<std::string> Notices;
};

class CalculationTest : public ::testing::Test {
protected:
    ElementTable TableOf(const std::string& Bytes) const {
        if (Bytes.empty())
            return ElementTable(VARNOCK_ELEMENTS_DAT);
        return ElementTable(Folder.Write("elements.dat", Bytes));
    }

    // A refused calculation: one notice, nothing behind it, no lines and no mass left.
    void ExpectRefused(const RecordingView& View, const std::string& Notice) {
        EXPECT_EQ(View.Notices, std::vector<std::string>{Notice});
        EXPECT_EQ(View.Report, "");
        EXPECT_EQ(View.Mass, "");
        for (const auto& Event : View.Events) {
            if (Event.What == ViewEvent::Notice) {
                EXPECT_EQ(Event.ReportShown, "");
            }
            if (Event.What == ViewEvent::Mass) {
                EXPECT_EQ(Event.Text, "") << "a mass was shown";
            }
        }
        EXPECT_TRUE(TableIsReset(Entries));
    }

    TempDir Folder;
    BasVarnock Entries;
};

TEST_F(CalculationTest, ReportsByteForByte) {
    const ReportCase Cases[] = {
        {"worked example",
         SimpleTable,
         "H2O",
         '.',
         " H*2=\t2\t  11.11%  \r\n"
         " O*1=\t16\t  88.89%  \r\n" +
             Separator + "Total: \t18\t  100%\r\n",
         "18 g",
         {}},
        {"shipped table, water",
         "",
         "H2O",
         '.',
         " H*2=\t2.016\t  11.19%  \r\n"
         " O*1=\t15.999\t  88.81%  \r\n" +
             Separator + "Total: \t18.015\t  100%\r\n",
         "18.015 g",
         {}},
        {"shipped table, water, comma",
         "",
         "H2O",
         ',',
         " H*2=\t2,016\t  11,19%  \r\n"
         " O*1=\t15,999\t  88,81%  \r\n" +
             Separator + "Total: \t18,015\t  100%\r\n",
         "18,015 g",
         {}},
        {"shipped table, salt",
         "",
         "NaCl",
         '.',
         "Na*1=\t22.99\t  39.34%  \r\n"
         "Cl*1=\t35.45\t  60.66%  \r\n" +
             Separator + "Total: \t58.44\t  100%\r\n",
         "58.44 g",
         {}},
        {"shipped table, acetic acid, repeated symbols",
         "",
         "CH3COOH",
         '.',
         " C*1=\t12.011\t  20.%  \r\n"
         " H*3=\t3.024\t  5.04%  \r\n"
         " C*1=\t12.011\t  20.%  \r\n"
         " O*1=\t15.999\t  26.64%  \r\n"
         " O*1=\t15.999\t  26.64%  \r\n"
         " H*1=\t1.008\t  1.68%  \r\n" +
             Separator + "Total: \t60.052\t  100%\r\n",
         "60.052 g",
         {}},
        {"one element, fractional count, comma",
         "",
         "C1.5",
         ',',
         " C*1,5=\t18,0165\t  100,%  \r\n" + Separator + "Total: \t18,0165\t  100%\r\n",
         "18,0165 g",
         {}},
        {"blank count",
         SimpleTable,
         " H 2 O ",
         '.',
         " H*2=\t2\t  11.11%  \r\n"
         " O*1=\t16\t  88.89%  \r\n" +
             Separator + "Total: \t18\t  100%\r\n",
         "18 g",
         {}},
        {"no entries", SimpleTable, "", '.', Separator + "Total: \t\t  %\r\n", " g", {}},
        {"only blanks", SimpleTable, "   ", '.', Separator + "Total: \t\t  %\r\n", " g", {}},
        // A missing element: the total names what it leaves out, and there is no mass.
        {"none found",
         SimpleTable,
         "XeClXe",
         '.',
         Separator + "Total: \t0\t  %  (without Xe, Cl)\r\n",
         "",
         {Missing("Xe"), Missing("Cl"), Missing("Xe")}},
        {"symbols are case-sensitive",
         "\"CL\",17,35\r\n",
         "Cl",
         '.',
         Separator + "Total: \t0\t  %  (without Cl)\r\n",
         "",
         {Missing("Cl")}},
        {"empty table",
         "\r\n",
         "H",
         '.',
         Separator + "Total: \t0\t  %  (without H)\r\n",
         "",
         {Missing("H")}},
        {"weight 0 counts as missing",
         "\"H\",1,0\r\n\"O\",8,16\r\n",
         "H2O",
         '.',
         " O*1=\t16\t  100.%  \r\n" + Separator + "Total: \t16\t  100%  (without H)\r\n",
         "",
         {Missing("H")}},
        {"last record wins",
         SimpleTable + "\"H\",1,2\r\n",
         "H2O",
         '.',
         " H*2=\t4\t  20.%  \r\n"
         " O*1=\t16\t  80.%  \r\n" +
             Separator + "Total: \t20\t  100%\r\n",
         "20 g",
         {}},
        {"backslash and tilde start entries and are missing",
         SimpleTable,
         "H\\2~",
         '.',
         " H*1=\t1\t  100.%  \r\n" + Separator + "Total: \t1\t  100%  (without \\, ~)\r\n",
         "",
         {Missing("\\"), Missing("~")}},
        {"a missing symbol above 127, named as it shows",
         SimpleTable,
         "H\xC9",
         '.',
         " H*1=\t1\t  100.%  \r\n" + Separator + "Total: \t1\t  100%  (without \xC3\x89)\r\n",
         "",
         {Missing("\xC3\x89")}},
        {"group, shipped table",
         "",
         "Ca(OH)2",
         '.',
         "Ca*1=\t40.078\t  54.09%  \r\n"
         " O*2=\t31.998\t  43.19%  \r\n"
         " H*2=\t2.016\t  2.72%  \r\n" +
             Separator + "Total: \t74.092\t  100%\r\n",
         "74.092 g",
         {}},
        {"decimal multiplier of a hydrate's part",
         SimpleTable,
         "H\xB7"
         "1.5H2O",
         '.',
         " H*1=\t1\t  3.57%  \r\n"
         " H*3=\t3\t  10.71%  \r\n"
         " O*1.5=\t24\t  85.71%  \r\n" +
             Separator + "Total: \t28\t  100%\r\n",
         "28 g",
         {}},
        {"negative weights with a non-zero total",
         "\"H\",1,1\r\n\"X\",0,-0.5\r\n",
         "HX",
         '.',
         " H*1=\t1\t  200.%  \r\n"
         " X*1=\t-0.5\t  -100.%  \r\n" +
             Separator + "Total: \t0.5\t  100%\r\n",
         "0.5 g",
         {}},
        {"quoted weight",
         "\"H\",1,\"1.5\"\r\n",
         "H2",
         '.',
         " H*2=\t3\t  100.%  \r\n" + Separator + "Total: \t3\t  100%\r\n",
         "3 g",
         {}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const ElementTable Table = TableOf(Case.Table);
        RecordingView View;
        Calculate(Entries, Case.Formula, Table, View, Case.DecimalSeparator);
        EXPECT_EQ(View.Report, Case.Report);
        EXPECT_EQ(View.Mass, Case.Mass);
        EXPECT_EQ(View.Notices, Case.Notices);
        EXPECT_TRUE(TableIsReset(Entries));
    }
}

TEST_F(CalculationTest, MissingElementIsNoticedBetweenTheLinesAroundIt) {
    const ElementTable Table = TableOf(SimpleTable);
    RecordingView View;
    View.Report = "old report";
    Calculate(Entries, "HXO", Table, View, '.');

    const std::string HLine = " H*1=\t1\t  5.88%  \r\n";
    const std::string OLine = " O*1=\t16\t  94.12%  \r\n";
    const std::string Total = "Total: \t17\t  100%  (without X)\r\n";
    const std::vector<ViewEvent> Expected = {
        {ViewEvent::Report, "", {}},
        {ViewEvent::Report, HLine, {}},
        {ViewEvent::Notice, Missing("X"), HLine},
        {ViewEvent::Report, HLine + OLine, {}},
        {ViewEvent::Report, HLine + OLine + Separator, {}},
        {ViewEvent::Report, HLine + OLine + Separator + Total, {}},
        {ViewEvent::Mass, "", {}},
    };
    EXPECT_EQ(View.Events, Expected);
}

// A point read as a separator where a decimal count could have been meant: the report and the
// mass as read, then the reading note, which is no notice.
TEST_F(CalculationTest, ReadingNoteFollowsTheReportAndTheMass) {
    const ElementTable Table = TableOf(SimpleTable);
    RecordingView View;
    Calculate(Entries, "H2O1.5H2O", Table, View, '.');
    const std::string Report = " H*2=\t2\t  1.85%  \r\n"
                               " O*1=\t16\t  14.81%  \r\n"
                               " H*10=\t10\t  9.26%  \r\n"
                               " O*5=\t80\t  74.07%  \r\n" +
                               Separator + "Total: \t108\t  100%\r\n";
    const std::string Notice = "Formula: character 5 \".\": read as H2O1\xC2\xB7"
                               "5H2O; for the count 1.5 write H2(O1.5)H2O";
    ASSERT_GE(View.Events.size(), 2u);
    EXPECT_EQ(View.Report, Report);
    EXPECT_EQ(View.Events[View.Events.size() - 2], (ViewEvent{ViewEvent::Mass, "108 g", {}}));
    EXPECT_EQ(View.Events.back(), (ViewEvent{ViewEvent::Note, Notice, {}}));
    EXPECT_TRUE(View.Notices.empty());
    EXPECT_TRUE(TableIsReset(Entries));
}

// D and T are 2H and 3H unless the table has rows for them; a labelled isotope weighs its exact
// mass (AME2020, to the 1e-6 u the shipped table is checked to) and shows as typed.
TEST_F(CalculationTest, HeavyWaterAndLabelledIsotopesWeighTheirExactMass) {
    const struct {
        std::string Table;
        std::string Formula;
        double Mass;
    } Cases[] = {
        {"", "D2O", 2 * 2.01410177812 + 15.999},
        {"", "[2H]2O", 2 * 2.01410177812 + 15.999},
        {"", "T2O", 2 * 3.01604928132 + 15.999},
        {"", "[13C]O2", 13.00335483507 + 2 * 15.999},
        {"", "C[13C]H6", 12.011 + 13.00335483507 + 6 * 1.008},
        {"\"D\",1,2.5\r\n\"O\",8,16\r\n", "D2O", 21},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Formula);
        RecordingView View;
        Calculate(Entries, Case.Formula, TableOf(Case.Table), View, '.');
        EXPECT_TRUE(View.Notices.empty());
        EXPECT_NEAR(std::stod(View.Mass), Case.Mass, 2e-6);
    }
    RecordingView View;
    Calculate(Entries, "D2O", TableOf(""), View, '.');
    EXPECT_EQ(View.Mass.substr(0, 7), "20.0272");
    Calculate(Entries, "[13C]H4", TableOf(""), View, '.');
    EXPECT_EQ(View.Report.substr(0, 9), "[13C]*1=\t");
    Calculate(Entries, "[99C]", TableOf(""), View, '.');
    EXPECT_EQ(View.Notices.back(), Missing("[99C]"));
}

TEST_F(CalculationTest, RunningTwiceGivesTheSameReportAndLeavesTheTableReset) {
    const ElementTable Table = TableOf("");
    RecordingView First;
    Calculate(Entries, "CH3COOH", Table, First, '.');
    for (int Index = 1; Index <= 6; ++Index) {
        SCOPED_TRACE(Index);
        EXPECT_EQ(Entries.ElementSymbol(Index), Value(""));
        EXPECT_EQ(Entries.ElementCount(Index), Value(0));
        EXPECT_EQ(Entries.ElementMass(Index), Value(0));
        EXPECT_EQ(Entries.ElementPercent(Index), Value(0));
    }
    for (int Index = 7; Index <= EntrySlots; ++Index)
        EXPECT_TRUE(Entries.ElementSymbol(Index).IsEmpty() && Entries.ElementMass(Index).IsEmpty())
            << Index;

    RecordingView Second;
    Second.Report = First.Report;
    Calculate(Entries, "CH3COOH", Table, Second, '.');
    EXPECT_EQ(Second.Report, First.Report);
    EXPECT_EQ(Second.Mass, First.Mass);
    EXPECT_EQ(Second.Events, First.Events);

    // A shorter formula after a longer one sees nothing of the longer one.
    RecordingView Short;
    Calculate(Entries, "O", Table, Short, '.');
    EXPECT_EQ(Short.Report,
              " O*1=\t15.999\t  100.%  \r\n" + Separator + "Total: \t15.999\t  100%\r\n");
    EXPECT_TRUE(TableIsReset(Entries));
}

TEST_F(CalculationTest, MoreThanThirtyEntriesAreRefused) {
    const ElementTable Table = TableOf("");
    RecordingView Thirty;
    Calculate(Entries, std::string(30, 'C'), Table, Thirty, '.');
    EXPECT_TRUE(Thirty.Notices.empty());
    EXPECT_EQ(Thirty.Mass, "360.33 g");

    for (const auto& [Formula, Count] : {std::pair<std::string, int>{std::string(31, 'C'), 31},
                                         {std::string(40, 'H'), 40},
                                         {std::string(30, 'C') + "Na", 31}}) {
        SCOPED_TRACE(Formula);
        RecordingView View;
        View.Mass = "18.015 g";
        View.Report = "earlier report";
        Calculate(Entries, Formula, Table, View, '.');
        ExpectRefused(View, "Formula: " + std::to_string(Count) +
                                " elements, at most 30 can be calculated");
        for (int Index = 1; Index <= EntrySlots; ++Index)
            ASSERT_TRUE(SlotIsReset(Entries, Index));
    }
}

TEST_F(CalculationTest, UnreadableFormulaIsRefusedNamingTheCharacterAsTyped) {
    // The table is missing, so a refusal for the formula shows it was read before the table.
    const ElementTable Table(Folder.Path("missing.dat"));
    const std::pair<std::string, std::string> Cases[] = {
        {"Ca()2", "Formula: character 4 \")\": the group is empty"},
        {"Fe+2 3", "Formula: character 6 \"3\": a blank can't split a charge; for the charge 23+ "
                   "write Fe+23"},
        {"h2o", "Formula: character 1 \"h\" can't be read"},
        {"H\xE2\x82\x82O\xE2\x9C\x93", "Formula: character 4 \"\xE2\x9C\x93\" can't be read"},
        {"H2\r", "Formula: character 3 (code 13) can't be read"},
        {std::string("H\0", 2), "Formula: character 2 (code 0) can't be read"},
    };
    for (const auto& [Formula, Notice] : Cases) {
        SCOPED_TRACE(Formula);
        RecordingView View;
        View.Mass = "74.09 g";
        View.Report = "earlier report";
        Calculate(Entries, ReadTyped(Formula), Table, View, '.');
        ExpectRefused(View, Notice);
    }
}

TEST_F(CalculationTest, TableThatCannotBeReadIsRefusedNamingFileAndNumber) {
    std::filesystem::create_directory(Folder.Path("folder"));
    struct Case {
        const char* Name;
        std::string Path;
        int Number;
    };
    const Case Cases[] = {
        {"missing", Folder.Path("missing.dat"), 53},
        {"directory", Folder.Path("folder"), 75},
        {"cut short", Folder.Write("short.dat", "\"H\",1,1\r\n\"O\",8\r\n"), 62},
        {"weight too large", Folder.Write("large.dat", "\"H\",1,1e999\r\n"), 6},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Name);
        const ElementTable Table(Each.Path);
        RecordingView View;
        View.Mass = "18 g";
        const int Before = OpenDescriptorCount();
        Calculate(Entries, "H2O", Table, View, '.');
        EXPECT_EQ(OpenDescriptorCount(), Before);
        ExpectRefused(View, "Error number " + std::to_string(Each.Number) + " occured reading " +
                                Each.Path);
    }
}

TEST_F(CalculationTest, FailureAfterSomeEntriesWereWeighedLeavesNoMassBehind) {
    struct Case {
        const char* Name;
        std::string Table;
        std::string Formula;
        std::string Notice;
    };
    const Case Cases[] = {
        {"weight that is no number", "\"H\",1,1\r\n\"X\",0,abc\r\n", "H2X",
         "Error number 13 occured reading "},
        {"mass too large", "\"H\",1,1\r\n\"X\",0,1e308\r\n", "H2X10", "Error number 6 occured"},
        {"total too large", "\"H\",1,1\r\n\"X\",0,1e308\r\n", "HXX", "Error number 6 occured"},
        // The first line is already written when the second share overflows.
        {"share too large", "\"H\",1,1\r\n\"W\",0,1e-5\r\n\"X\",0,1e307\r\n\"Y\",0,-1e307\r\n",
         "WXYW", "Error number 6 occured"},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Name);
        const ElementTable Table = TableOf(Each.Table);
        RecordingView View;
        Calculate(Entries, Each.Formula, Table, View, '.');
        ASSERT_EQ(View.Notices.size(), 1u);
        EXPECT_EQ(View.Notices[0].rfind(Each.Notice, 0), 0u) << View.Notices[0];
        EXPECT_EQ(View.Report, "");
        EXPECT_EQ(View.Mass, "");
        EXPECT_TRUE(TableIsReset(Entries));

        // The next calculation is not disturbed by what the failed one weighed.
        RecordingView Next;
        Calculate(Entries, "H", Table, Next, '.');
        EXPECT_EQ(Next.Report, " H*1=\t1\t  100.%  \r\n" + Separator + "Total: \t1\t  100%\r\n");
        EXPECT_TRUE(TableIsReset(Entries));
    }
}

TEST_F(CalculationTest, ZeroTotalBesideNonZeroMassesNeitherCrashesNorTraps) {
    const ElementTable Table = TableOf("\"H\",1,1\r\n\"X\",0,-1\r\n\"Y\",0,-0.5\r\n");
    // Division by zero and invalid operations trap from here on, so that a hidden one fails.
    ASSERT_TRUE(Testing::TrapFloatingPointFaults(true));
    RecordingView Pair;
    Calculate(Entries, "HX", Table, Pair, '.');
    RecordingView Three;
    Calculate(Entries, "H2XY2", Table, Three, '.');
    Testing::TrapFloatingPointFaults(false);

    EXPECT_EQ(Pair.Report, " H*1=\t1\t  n/a%  \r\n"
                           " X*1=\t-1\t  n/a%  \r\n" +
                               Separator + "Total: \t0\t  %\r\n");
    EXPECT_EQ(Pair.Mass, "0 g");
    EXPECT_TRUE(Pair.Notices.empty());
    EXPECT_EQ(Three.Report, " H*2=\t2\t  n/a%  \r\n"
                            " X*1=\t-1\t  n/a%  \r\n"
                            " Y*2=\t-1\t  n/a%  \r\n" +
                                Separator + "Total: \t0\t  %\r\n");
    EXPECT_EQ(Three.Mass, "0 g");
    for (const auto* View : {&Pair, &Three})
        for (const char* Bad : {"inf", "nan", "INF", "NAN"})
            EXPECT_EQ(View->Report.find(Bad), std::string::npos) << View->Report;
    EXPECT_TRUE(TableIsReset(Entries));
}

// Every character alone and in pairs: a report or a notice, never a crash, and every entry
// accounted for by a line or a missing-element notice.
TEST_F(CalculationTest, EveryCharacterAloneAndInPairs) {
    const ElementTable Table = TableOf("");
    int Reports = 0, Refusals = 0;
    for (int First = 1; First < 256; ++First)
        for (int Second = 0; Second < 256; ++Second) {
            std::string Formula(1, static_cast<char>(First));
            if (Second > 0)
                Formula += static_cast<char>(Second);
            RecordingView View;
            Calculate(Entries, Formula, Table, View, '.');
            const FormulaReading Reading = ReadFormula(Formula);
            if (Reading.Result != FormulaResult::Read) {
                ++Refusals;
                ASSERT_EQ(View.Notices.size(), 1u) << ::testing::PrintToString(Formula);
                ASSERT_EQ(View.Notices[0].rfind("Formula: character " +
                                                    std::to_string(Reading.Position + 1) + " ",
                                                0),
                          0u)
                    << View.Notices[0];
                ASSERT_EQ(View.Report, "");
                ASSERT_EQ(View.Mass, "");
            } else {
                ++Reports;
                const std::size_t TotalLine = View.Report.rfind(Separator + "Total: \t");
                ASSERT_NE(TotalLine, std::string::npos) << ::testing::PrintToString(Formula);
                std::size_t Lines = 0;
                for (std::size_t At = 0; At < TotalLine; At = View.Report.find("\r\n", At) + 2)
                    ++Lines;
                ASSERT_EQ(Lines + View.Notices.size(), Reading.Entries.size())
                    << ::testing::PrintToString(Formula);
                for (const auto& Notice : View.Notices)
                    ASSERT_EQ(Notice.rfind("Element: ", 0), 0u) << Notice;
                // A mass only where every entry was found.
                ASSERT_EQ(View.Mass.ends_with(" g"), View.Notices.empty()) << View.Mass;
            }
            ASSERT_TRUE(TableIsReset(Entries)) << ::testing::PrintToString(Formula);
        }
    EXPECT_GT(Reports, 1000);
    EXPECT_GT(Refusals, 1000);
}

} // namespace
} // namespace Varnock
