#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "core/IsotopePattern.h"
#include "core/IsotopeTable.h"
#include "tests/support/TestSystem.h"

namespace Varnock {
namespace {

class StringOutput : public LineOutput {
public:
    void Line(std::string_view Text) override { Written += Text; }
    std::string Written;
};

// The command line run in this process against the shipped table, with LF line ends so the
// expected texts read plainly; what it wrote and the status it gave.
struct Ran {
    int Status;
    std::string Out;
    std::string Err;
};

Ran RunVarnock(std::vector<std::string> Arguments, char LocaleSeparator = '.') {
    StringOutput Out, Err;
    CommandLineIo Io{Out, Err, "\n", LocaleSeparator, VARNOCK_PROGRAM_FOLDER};
    Arguments.insert(Arguments.begin(), {"varnock", "--table", VARNOCK_ELEMENTS_DAT});
    const int Status = RunCommandLine(Arguments, Io);
    return {Status, Out.Written, Err.Written};
}

TEST(CommandLineTest, PrintsTheReportAsTheWindowShowsIt) {
    const Ran Water = RunVarnock({"H2O", "Ca(OH)2"});
    EXPECT_EQ(Water.Status, ExitDone);
    EXPECT_EQ(Water.Out, "Name\tweight\t    %\n"
                         " H*2=\t2.016\t  11.19%  \n"
                         " O*1=\t15.999\t  88.81%  \n"
                         "============================\n"
                         "Total: \t18.015\t  100%\n"
                         "Formula Mass: 18.015 g\n"
                         "\n"
                         "Name\tweight\t    %\n"
                         "Ca*1=\t40.078\t  54.09%  \n"
                         " O*2=\t31.998\t  43.19%  \n"
                         " H*2=\t2.016\t  2.72%  \n"
                         "============================\n"
                         "Total: \t74.092\t  100%\n"
                         "Formula Mass: 74.092 g\n");
    EXPECT_EQ(Water.Err, "");

    // A refused formula prints nothing; a missing element keeps the lines of the others, but
    // their sum is no formula mass.
    const Ran Missing = RunVarnock({"Fe+2 3", "HXO"}, ',');
    EXPECT_EQ(Missing.Status, ExitNoticed);
    EXPECT_EQ(Missing.Out, "\n"
                           "Name\tweight\t    %\n"
                           " H*1=\t1,008\t  5,93%  \n"
                           " O*1=\t15,999\t  94,07%  \n"
                           "============================\n"
                           "Total: \t17,007\t  100%  (without X)\n"
                           "Formula Mass:\n");
    EXPECT_EQ(Missing.Err, "Fe+2 3: Formula: character 6 \"3\": a blank can't split a charge; for "
                           "the charge 23+ write Fe+23\n"
                           "HXO: Element: X Doesn't exist in database\n");
}

// 0 when every formula gave its whole mass, reading notes or not; 1 when one was refused, was
// empty or named an element the table lacks.
TEST(CommandLineTest, ExitStatusTellsWhetherEveryMassIsWhole) {
    Testing::TempDir Folder;
    const std::string Noted = Folder.Write("noted.txt", "CuSO4.5H2O\nFe3+\n");
    const std::string Missing = Folder.Write("missing.txt", "H2O\nXy3P\n");
    const struct {
        std::vector<std::string> Arguments;
        int Status;
    } Cases[] = {
        {{"CuSO4.5H2O", "Fe3+", "SO42-"}, ExitDone},
        {{"--mass", "K2O.6SiO2", "[Fe(CN)6]4-"}, ExitDone},
        {{"-a", "Fe3+", "Fe0.95O"}, ExitDone},
        {{"-a", "--json", "CuSO4.5H2O"}, ExitDone},
        {{"--list", Noted}, ExitDone},
        {{"--list", Noted, "--fields", "mass,mz"}, ExitDone},
        {{"Xy3P"}, ExitNoticed},
        {{"AcOH", "H-Ala-Gly-OH"}, ExitDone}, // a look-alike is a reading note
        {{"--mass", "H2O", "Xy2O"}, ExitNoticed},
        {{"-a", "Xy3P"}, ExitNoticed},
        {{"--list", Missing}, ExitNoticed},
        {{"--mass", "Na+ 2"}, ExitNoticed},
        {{"--mass", "SO4(0-)"}, ExitNoticed},
        {{""}, ExitNoticed},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Case.Arguments));
        EXPECT_EQ(RunVarnock(Case.Arguments).Status, Case.Status);
    }
}

// Masses worked by hand from the shipped weights (H 1.008, C 12.011, N 14.007, O 15.999,
// S 32.06, Cl 35.45, Ca 40.078, Cu 63.546). A mass that leaves an element out is no mass.
TEST(CommandLineTest, MassAloneOneLinePerFormula) {
    const Ran Masses = RunVarnock({"--mass",
                                   "CuSO4\xC2\xB7"
                                   "5H2O",
                                   "Ca()", "H\xE2\x82\x82O", "Xx", "CaCO3 6H2O", "NH3 . 2HCl",
                                   "2NH3 . 2HCl", "CuSO4.5H2O", "EtOH", "", " \t"},
                                  ',');
    EXPECT_EQ(Masses.Status, ExitNoticed);
    EXPECT_EQ(Masses.Out,
              "249,677 g\n\n18,015 g\n\n208,176 g\n89,947 g\n106,978 g\n249,677 g\n46,069 g\n\n\n");
    EXPECT_EQ(Masses.Err, "Ca(): Formula: character 4 \")\": the group is empty\n"
                          "Xx: Element: Xx Doesn't exist in database\n"
                          "CuSO4.5H2O: Formula: character 6 \".\": read as CuSO4\xC2\xB7"
                          "5H2O; for the count 4.5 write CuS(O4.5)H2O\n"
                          ": Formula: empty\n"
                          " \t: Formula: empty\n");
    EXPECT_EQ(RunVarnock({"--point", "--mass", "NaCl"}, ',').Out, "58.44 g\n");
}

TEST(CommandLineTest, ListsMassesForSpreadsheetsAndAwk) {
    Testing::TempDir Folder;
    const std::string Forty =
        std::string(6 * 6, ' ').replace(0, 36, "(CH2)2(CH2)2(CH2)2(CH2)2(CH2)2(CH2)2") + "H2O ";
    const std::string List = Folder.Write("list.txt", "\xEF\xBB\xBFH2O\r\n"
                                                      "# a comment\n"
                                                      "\n"
                                                      "  \t\n"
                                                      "Ca(OH)2, x\n"
                                                      "Xx2O\n"
                                                      "Fqq\n"
                                                      "K\xE2\x82\x82O.6SiO2\n" +
                                                          std::string(41, 'C') + "\n" + Forty +
                                                          "\n"
                                                          "H2\tO\n"
                                                          "\xEF\xBB\xBFNaCl\n"
                                                          "H2\rO\n"
                                                          "Fe^3+");
    const Ran Tabs = RunVarnock({"--list", List}, ',');
    EXPECT_EQ(Tabs.Status, ExitNoticed);
    EXPECT_EQ(Tabs.Out, "formula\tmass (g)\tnotices\n"
                        "H2O\t18,015\t\n"
                        "Ca(OH)2, x\t\tFormula: character 8 \",\" can't be read\n"
                        "Xx2O\t\tElement: Xx Doesn't exist in database\n"
                        // Names equally near in the table's order (F and Fe before Fm and Fr),
                        // as the other modes give them.
                        "Fqq\t\tFormula: character 1 \"Fqq\" is no element or group; "
                        "nearest: For (formyl), F, Fe\n"
                        "K\xE2\x82\x82O.6SiO2\t454,693\tFormula: character 4 \".\": read as "
                        "K\xE2\x82\x82O\xC2\xB7"
                        "6SiO2; for the count 0.6 write K\xE2\x82\x82O0.6SiO2\n" +
                            std::string(41, 'C') +
                            "\t\tFormula: 41 characters, at most 40 can be read\n" + Forty +
                            "\t186,339\t\n"
                            "H2 O\t18,015\t\n"
                            "\xEF\xBB\xBFNaCl\t\tFormula: character 1 (U+FEFF) can't be read\n"
                            "H2\rO\t\tFormula: character 3 (code 13) can't be read\n"
                            "Fe^3+\t55,845\t\n");
    EXPECT_EQ(Tabs.Err, "");

    const Ran Commas = RunVarnock({"--list=" + List, "--csv"}, ',');
    EXPECT_EQ(Commas.Out.substr(0, Commas.Out.find("Xx2O")),
              "formula,mass (g),notices\n"
              "H2O,\"18,015\",\n"
              "\"Ca(OH)2, x\",,\"Formula: character 8 \"\",\"\" can't be read\"\n");
    EXPECT_NE(Commas.Out.find("\n\"H2\rO\",,Formula: character 3 (code 13) can't be read\n"),
              std::string::npos);
    EXPECT_EQ(RunVarnock({"--list", List, "--csv", "--point"}, ',').Out.substr(25, 12),
              "H2O,18.015,\n");

    const std::string Good = Folder.Write("good.txt", "NaCl\n2H2O\n");
    const Ran Plain = RunVarnock({"--list", Good});
    EXPECT_EQ(Plain.Status, ExitDone);
    EXPECT_EQ(Plain.Out, "formula\tmass (g)\tnotices\nNaCl\t58.44\t\n2H2O\t36.03\t\n");
}

TEST(CommandLineTest, ExitStatusesAndWhatTheyPrint) {
    Testing::TempDir Folder;
    const std::string Truncated = Folder.Write("cut.dat", "\"H\",1,1.008\r\n\"O\",8");
    const std::string BadGroups =
        Folder.Write("groups.dat", "\"Ac\",\"C2H3O\",\"acetyl\"\n\"Ph\",\"C6H5\",\"phenyl\"\n");
    const struct {
        std::vector<std::string> Arguments;
        int Status;
        std::string Err;
    } Cases[] = {
        {{"NaCl"}, ExitDone, ""},
        {{"h2o"},
         ExitNoticed,
         "h2o: Formula: character 1 \"h\" is no element or group; nearest: H\n"},
        {{}, ExitUsage, "varnock: no formula given\nTry 'varnock --help' for more information.\n"},
        {{"--colour", "H"},
         ExitUsage,
         "varnock: unrecognized option '--colour'\nTry 'varnock --help' for more information.\n"},
        {{"--list"},
         ExitUsage,
         "varnock: option '--list' requires an argument\n"
         "Try 'varnock --help' for more information.\n"},
        {{"--list", "x", "H2O"},
         ExitUsage,
         "varnock: --list takes its formulas from FILE alone\n"
         "Try 'varnock --help' for more information.\n"},
        {{"--mass", "--list", "x"},
         ExitUsage,
         "varnock: --list takes its formulas from FILE alone\n"
         "Try 'varnock --help' for more information.\n"},
        {{""}, ExitNoticed, ": Formula: empty\n"},
        {{"-a", " "}, ExitNoticed, " : Formula: empty\n"},
        {{"--csv", "H2O"},
         ExitUsage,
         "varnock: --csv goes with --list\nTry 'varnock --help' for more information.\n"},
        {{"--mass=yes", "H2O"},
         ExitUsage,
         "varnock: option '--mass' doesn't allow an argument\n"
         "Try 'varnock --help' for more information.\n"},
        {{"--list", Folder.Path("none.txt")},
         ExitUsage,
         "varnock: " + Folder.Path("none.txt") + ": can't be opened\n"},
        {{"--table", Folder.Path("none.dat"), "H2O"},
         ExitTableUnreadable,
         "varnock: Error number 53 occured reading " + Folder.Path("none.dat") + "\n"},
        {{"--table", Truncated, "--list", "-"},
         ExitTableUnreadable,
         "varnock: Error number 62 occured reading " + Truncated + "\n"},
        {{"--", "--mass"}, ExitNoticed, "--mass: Formula: character 1 \"-\" can't be read\n"},
        // No groups table: no groups; a bad row is told once, the rest of the table read.
        {{"--groups", Folder.Path("none.dat"), "Ph"},
         ExitNoticed,
         "Ph: Element: Ph Doesn't exist in database\n"},
        {{"--groups", BadGroups, "--mass", "Ph", "Ac"},
         ExitNoticed,
         "varnock: " + BadGroups +
             ", line 1: the name Ac is an element of the table, and a formula reads the element\n"},
        {{"-a", "--adduct", "[M+H]", "H2O"},
         ExitNoticed,
         "varnock: Adduct [M+H]: at the end: the ion's charge belongs here, as in [M+H]+, [M-H]- "
         "or [M+2H]2+\n"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Case.Arguments));
        const Ran Done = RunVarnock(Case.Arguments);
        EXPECT_EQ(Done.Status, Case.Status);
        EXPECT_EQ(Done.Err, Case.Err);
        if (Case.Status >= ExitUsage) {
            EXPECT_EQ(Done.Out, ""); // nothing before the refusal
        }
    }
    const Ran Help = RunVarnock({"H2O", "--help"});
    EXPECT_EQ(Help.Status, ExitDone);
    EXPECT_EQ(Help.Out.substr(0, 35), "Usage: varnock [OPTION]... FORMULA.");
    EXPECT_TRUE(RunVarnock({"--version"}).Out.starts_with("varnock " VARNOCK_VERSION "\n"));
}

// The analysis of acetic acid, worked by hand: counts summed per element in Hill order, the
// shipped weights' shares, and the monoisotopic mass from AME2020's 12C, 1H and 16O
// (24 + 4 x 1.00782503223 + 2 x 15.99491461957 = 60.02112936806).
TEST(CommandLineTest, AnalysisPrintsHillMassesCompositionAndPattern) {
    const Ran Acetic = RunVarnock({"--analysis", "CH3COOH", "-a", "C8H11N4O2^+"}, ',');
    EXPECT_EQ(Acetic.Status, ExitDone);
    EXPECT_EQ(Acetic.Err, "");
    const std::string Head = "C2H4O2\n"
                             "Molar mass: 60,052 g/mol\n"
                             "Monoisotopic mass: 60,021129 u\n"
                             "Nominal mass: 60\n"
                             "Element\tCount\tMass\t%\n"
                             "C\t2\t24,022\t40,00\n"
                             "H\t4\t4,032\t6,71\n"
                             "O\t2\t31,998\t53,28\n"
                             "Mass\tIntensity %\n"
                             "60,021129\t100,00\n";
    EXPECT_EQ(Acetic.Out.substr(0, Head.size()), Head);
    // Caffeine plus a proton, as an HRMS line quotes it: 195.0877; its pattern in m/z.
    EXPECT_NE(Acetic.Out.find("\n\nC8H11N4O2^+\n"), std::string::npos);
    EXPECT_NE(Acetic.Out.find("m/z: 195,087652 (z = 1)\nElement"), std::string::npos);
    EXPECT_NE(Acetic.Out.find("m/z\tIntensity %\n195,087652\t100,00\n"), std::string::npos);

    // A formula refused or an element missing: the notice, and what can still be said.
    const Ran Missing = RunVarnock({"-a", "Ca()2", "HXO"});
    EXPECT_EQ(Missing.Status, ExitNoticed);
    EXPECT_EQ(Missing.Err, "Ca()2: Formula: character 4 \")\": the group is empty\n"
                           "HXO: Element: X Doesn't exist in database\n");
    EXPECT_EQ(Missing.Out, "\nHOX\nElement\tCount\tMass\t%\nH\t1\t\t\nO\t1\t\t\nX\t1\t\t\n");
}

TEST(CommandLineTest, AnalysisAsJsonForScripts) {
    const Ran Json =
        RunVarnock({"-a", "--json", "C8H11N4O2^+", "[13C]H4", "Ca()", "Pd(PPh3)4", "AcOH"});
    EXPECT_EQ(Json.Status, ExitNoticed);
    std::vector<nlohmann::json> Objects;
    for (std::size_t Start = 0; Start < Json.Out.size();) {
        const std::size_t End = Json.Out.find('\n', Start);
        Objects.push_back(nlohmann::json::parse(Json.Out.substr(Start, End - Start)));
        Start = End + 1;
    }
    ASSERT_EQ(Objects.size(), 5u);
    EXPECT_EQ(Objects[0]["hill"], "C8H11N4O2^+");
    EXPECT_EQ(Objects[0]["molarMass"],
              195.202); // 8 x 12.011 + 11 x 1.008 + 4 x 14.007 + 2 x 15.999
    EXPECT_EQ(Objects[0]["charge"], 1);
    EXPECT_NEAR(Objects[0]["mz"].get<double>(), 195.0877, 5e-5);
    EXPECT_EQ(Objects[0]["nominalMass"], 195);
    EXPECT_EQ(Objects[0]["composition"][1]["element"], "H");
    EXPECT_EQ(Objects[0]["composition"][1]["count"], 11);
    EXPECT_EQ(Objects[0]["pattern"][0]["intensity"], 100.0);
    EXPECT_EQ(Objects[1]["hill"], "[13C]H4");
    EXPECT_TRUE(Objects[1]["mz"].is_null());
    EXPECT_NEAR(Objects[1]["monoisotopicMass"].get<double>(), 13.00335483507 + 4 * 1.00782503223,
                1e-6);
    EXPECT_EQ(Objects[2]["notices"][0],
              (nlohmann::json{{"kind", "error"},
                              {"text", "Formula: character 4 \")\": the group is empty"}}));
    EXPECT_FALSE(Objects[2].contains("hill"));
    // The groups read, and their elements in the rest: Ph (C6H5) three times in each of four.
    EXPECT_EQ(Objects[3]["hill"], "C72H60P4Pd");
    EXPECT_EQ(Objects[3]["groups"],
              nlohmann::json::parse(R"([{"name":"Ph","formula":"C6H5","count":12}])"));
    EXPECT_EQ(Objects[1]["groups"], nlohmann::json::array());
    // A look-alike keeps the element and says how to write the group.
    EXPECT_EQ(Objects[4]["hill"], "AcHO");
    EXPECT_EQ(
        Objects[4]["notices"].back(),
        (nlohmann::json{
            {"kind", "note"},
            {"text", "Formula: character 1 \"Ac\" is the element Ac; for acetyl write AcetOH"}}));
    // A reading note is told apart from an error; numbers as the text writes them.
    const Ran Noted = RunVarnock({"-a", "--json", "CuSO4.5H2O"});
    const nlohmann::json Hydrate = nlohmann::json::parse(Noted.Out);
    EXPECT_EQ(Hydrate["notices"][0]["kind"], "note");
    EXPECT_EQ(Hydrate["patternResolution"], "unit");
    const nlohmann::json Wustite =
        nlohmann::json::parse(RunVarnock({"-a", "--json", "Fe0.95O"}).Out);
    EXPECT_EQ(Wustite["composition"][0]["count"], 0.95);
    EXPECT_EQ(Noted.Out.find("\"molarMass\":249.677,"), Noted.Out.find("\"molarMass\""));
}

TEST(CommandLineTest, ListFieldsChooseTheColumns) {
    Testing::TempDir Folder;
    const std::string List = Folder.Write("list.txt", "CH3COOH\nNH4^+\nFe0.95O\n");
    const Ran Tabs = RunVarnock({"--list", List, "--fields", "mass,mono,mz,hill,composition"});
    EXPECT_EQ(Tabs.Status, ExitDone);
    // NH4+: 14.00307400443 + 4 x 1.00782503223 less an electron, 0.000548579909.
    EXPECT_EQ(Tabs.Out, "formula\tmass (g)\tmono\tmz\thill\tcomposition\tnotices\n"
                        "CH3COOH\t60.052\t60.021129\t\tC2H4O2\tC 40.00 %, H 6.71 %, O 53.28 %\t\n"
                        "NH4^+\t18.039\t18.034374\t18.033826\tH4N^+\tH 22.35 %, N 77.65 %\t\n"
                        "Fe0.95O\t69.05175\t69.133105\t\tFe0.95O\tFe 76.83 %, O 23.17 %\t\n");
    EXPECT_EQ(Tabs.Err, "");
    const Ran Commas = RunVarnock({"--list", List, "--csv", "--fields=hill,composition"});
    EXPECT_EQ(Commas.Out.substr(0, Commas.Out.find("NH4")),
              "formula,hill,composition,notices\n"
              "CH3COOH,C2H4O2,\"C 40.00 %, H 6.71 %, O 53.28 %\",\n");
    // What the calculation refuses or misses is told with any columns: H2O's monoisotopic
    // mass, 2 x 1.00782503223 + 15.99491461957.
    const std::string Long = std::string(21, 'H') + std::string(21, 'O');
    const std::string Faulty = Folder.Write("faulty.txt", "XxO\n" + Long + "\nH2O\n");
    EXPECT_EQ(RunVarnock({"--list", Faulty, "--fields", "mono"}).Out,
              "formula\tmono\tnotices\n"
              "XxO\t\tElement: Xx Doesn't exist in database\n" +
                  Long +
                  "\t\tFormula: 42 characters, at most 40 can be read\n"
                  "H2O\t18.010565\t\n");
}

// Caffeine's ions, worked by hand from AME2020's masses (caffeine 194.08037556, 1H
// 1.00782503, 23Na 22.98976928) and the electron's, 0.00054858.
TEST(CommandLineTest, AdductIonsWithTheAnalysisAndInTheList) {
    const Ran Caffeine = RunVarnock({"-a", "--adduct", "[M+H]+,[M+Na]+,[M-H]-", "C8H10N4O2"});
    EXPECT_EQ(Caffeine.Status, ExitDone);
    EXPECT_EQ(Caffeine.Err, "");
    const std::string Ions = "Adduct\tIon\tm/z\n"
                             "[M+H]+\tC8H11N4O2^+\t195.087652\n"
                             "[M+Na]+\tC8H10N4NaO2^+\t217.069596\n"
                             "[M-H]-\tC8H9N4O2^-\t193.073099\n"
                             "[M+H]+ m/z\tIntensity %\n"
                             "195.087652\t100.00\n";
    EXPECT_NE(Caffeine.Out.find("197.087203\t0.06\n" + Ions), std::string::npos);

    // Refused adducts are told once, with the character and its place, the others given; an
    // ion the molecule can't form is told with the formula.
    const Ran Refused = RunVarnock({"--analysis", "--json", "--adduct=[M+H]0+,[M-H2O+H]+", "CH4"});
    EXPECT_EQ(Refused.Status, ExitNoticed);
    EXPECT_EQ(Refused.Err, "varnock: Adduct [M+H]0+: character 6 \"0\": the charge can't be 0\n");
    const auto Json = nlohmann::json::parse(Refused.Out);
    ASSERT_EQ(Json["adducts"].size(), 1u);
    EXPECT_EQ(Json["adducts"][0]["adduct"], "[M-H2O+H]+");
    EXPECT_FALSE(Json["adducts"][0].contains("mz"));
    EXPECT_EQ(
        Json["adducts"][0]["notices"][0],
        nlohmann::json::parse(
            R"({"kind": "error", "text": "Adduct [M-H2O+H]+: character 4 \"H\": removes more O than the molecule holds"})"));
    const Ran Glucose = RunVarnock({"-a", "--json", "--adduct", "[M+Cl]-", "C6H12O6"});
    const auto Chloride = nlohmann::json::parse(Glucose.Out)["adducts"][0];
    EXPECT_EQ(Chloride["hill"], "C6H12ClO6^-");
    EXPECT_EQ(Chloride["charge"], -1);
    // 180.06338812 + 34.96885268 + 0.00054858
    EXPECT_NEAR(Chloride["mz"].get<double>(), 215.03278938, 1e-6);
    EXPECT_EQ(Chloride["pattern"][0]["mz"], Chloride["mz"]);
    // Every number to 15 significant digits, the ion's pattern too (no 216.0362317678358).
    const std::regex Decimal("[0-9]+\\.[0-9]+");
    for (auto At = std::sregex_iterator(Glucose.Out.begin(), Glucose.Out.end(), Decimal);
         At != std::sregex_iterator(); ++At) {
        std::string Digits = At->str();
        std::erase(Digits, '.');
        EXPECT_LE(Digits.size() - Digits.find_first_not_of('0'), 15u) << At->str();
    }
    // A group in an adduct adds its elements: [M+Et]+ of caffeine is C10H15N4O2+,
    // 194.08037557 + 2 x 12 + 5 x 1.00782503 - 0.00054858.
    const auto Ethyl =
        nlohmann::json::parse(RunVarnock({"-a", "--json", "--adduct", "[M+Et]+", "C8H10N4O2"}).Out);
    EXPECT_EQ(Ethyl["adducts"][0]["hill"], "C10H15N4O2^+");
    EXPECT_NEAR(Ethyl["adducts"][0]["mz"].get<double>(), 223.11895214, 1e-6);

    // A user's table of names beside the element table, its broken rows told first.
    Testing::TempDir Folder;
    std::ifstream Shipped(VARNOCK_ELEMENTS_DAT, std::ios::binary);
    const std::string Elements =
        Folder.Write("elements.dat", std::string(std::istreambuf_iterator<char>(Shipped), {}));
    const std::string Adducts =
        Folder.Write("adducts.dat", "\"Proton\",\"[M+H]+\"\n\"Bad\",[M+H]\n");
    const std::string List = Folder.Write("list.txt", "C8H10N4O2\nCH4\nNH4^+\n");
    const Ran Columns =
        RunVarnock({"--table", Elements, "--isotopes", IsotopeTableBeside(VARNOCK_ELEMENTS_DAT),
                    "--list", List, "--fields", "mono,mzProton,mz[M-H2O+H]+"});
    EXPECT_EQ(Columns.Status, ExitNoticed);
    EXPECT_EQ(Columns.Err, "varnock: " + Adducts +
                               ", line 2: Adduct [M+H]: at the end: the ion's charge belongs "
                               "here, as in [M+H]+, [M-H]- or [M+2H]2+\n");
    EXPECT_EQ(Columns.Out,
              "formula\tmono\tmzProton\tmz[M-H2O+H]+\tnotices\n"
              "C8H10N4O2\t194.080376\t195.087652\t177.077087\t\n"
              "CH4\t16.031300\t17.038577\t\tAdduct [M-H2O+H]+: character 4 \"H\": removes more "
              "O than the molecule holds\n"
              "NH4^+\t18.034374\t\t\tAdduct Proton: the formula is charged already; give it "
              "neutral; Adduct [M-H2O+H]+: the formula is charged already; give it neutral\n");
}

TEST(CommandLineTest, AnalysisUsageErrorsAndTheIsotopeTable) {
    const std::string Try = "Try 'varnock --help' for more information.\n";
    const struct {
        std::vector<std::string> Arguments;
        std::string Err;
    } Usage[] = {
        {{"--json", "H2O"}, "varnock: --json goes with --analysis or --find\n" + Try},
        {{"--resolution", "0.01", "H2O"}, "varnock: --resolution goes with --analysis\n" + Try},
        {{"-a", "--resolution=0", "H2O"}, "varnock: invalid resolution '0'\n" + Try},
        {{"-a", "--resolution=5 ppm", "H2O"}, "varnock: invalid resolution '5 ppm'\n" + Try},
        {{"--fields", "mass", "H2O"}, "varnock: --fields goes with --list\n" + Try},
        {{"--list", "-", "--fields", "mass,"},
         "varnock: invalid field '' for --fields (one of mass, mono, nominal, mz, hill, "
         "composition, or mz and an adduct: mz[M+H]+)\n" +
             Try},
        {{"--list", "-", "--fields", "mass,weight"},
         "varnock: invalid field 'weight' for --fields (one of mass, mono, nominal, mz, hill, "
         "composition, or mz and an adduct: mz[M+H]+)\n" +
             Try},
        {{"--adduct", "[M+H]+", "H2O"}, "varnock: --adduct goes with --analysis or --find\n" + Try},
        {{"-a", "--mass", "H2O"},
         "varnock: --analysis goes with neither --mass nor --list\n" + Try},
    };
    for (const auto& Case : Usage) {
        SCOPED_TRACE(::testing::PrintToString(Case.Arguments));
        const Ran Done = RunVarnock(Case.Arguments);
        EXPECT_EQ(Done.Status, ExitUsage);
        EXPECT_EQ(Done.Err, Case.Err);
        EXPECT_EQ(Done.Out, "");
    }

    // A build without the fine structure says so in its help and refuses to be asked for it;
    // one with it finds its module beside the program.
    const bool Fine = VARNOCK_FINE_STRUCTURE;
    EXPECT_EQ(RunVarnock({"--help"}).Out.find("this build has no fine structure") ==
                  std::string::npos,
              Fine);
    const Ran Resolved = RunVarnock({"-a", "--resolution", "0.01", "H2O"});
    EXPECT_EQ(Resolved.Status, Fine ? ExitDone : ExitUsage);
    EXPECT_EQ(Resolved.Err,
              Fine ? ""
                   : "varnock: --resolution: this build of varnock has no fine structure\n" + Try);

    // Without the isotope table the analysis says so once and gives what the weights give.
    Testing::TempDir Folder;
    const Ran Missing = RunVarnock({"-a", "--isotopes", Folder.Path("none.dat"), "H2O"});
    EXPECT_EQ(Missing.Status, ExitNoticed);
    EXPECT_EQ(Missing.Err, "varnock: Error number 53 occured reading " + Folder.Path("none.dat") +
                               ": no exact masses, m/z or isotope patterns\n");
    EXPECT_EQ(Missing.Out, "H2O\nMolar mass: 18.015 g/mol\nElement\tCount\tMass\t%\n"
                           "H\t2\t2.016\t11.19\nO\t1\t15.999\t88.81\n");
    // A broken row is named by file and line, before any formula.
    const std::string Broken =
        Folder.Write("isotopes.dat", "\"H\",1,1.00782503223,1\n\"O\",16,15.99491461957,2\n");
    const Ran Faulty = RunVarnock({"-a", "--isotopes=" + Broken, "H2O"});
    EXPECT_EQ(Faulty.Status, ExitNoticed);
    EXPECT_EQ(Faulty.Err, "varnock: " + Broken +
                              ", line 2: the abundance 2 is outside 0 to 1\n"
                              "H2O: Isotopes: " +
                              Broken + " has no natural isotope of O\n");
}

// Caffeine, C8H10N4O2, worked by hand from AME2020's masses: 96 + 10 x 1.007825032 +
// 4 x 14.003074 + 2 x 15.99491462 = 194.08037556; measured 194.0804, it is 0.02444 mDa or
// 0.126 ppm light; its RDBE is 8 - 10/2 + 4/2 + 1 = 6.
TEST(CommandLineTest, FindWritesABlockOfCandidatesPerMass) {
    const std::string Heading = "measured\tformula\tmass\terror (ppm)\terror (mDa)\trdbe\n";
    const std::string Caffeine = "194.0804\tC8H10N4O2\t194.080376\t-0.13\t-0.024\t6.0\n";
    const std::vector<std::string> Small = {"--ranges", "C0-10 H0-20 N0-4 O0-2"};
    std::vector<std::string> Arguments = {"--find", "194.0804"};
    Arguments.insert(Arguments.end(), Small.begin(), Small.end());
    const Ran One = RunVarnock(Arguments);
    EXPECT_EQ(One.Status, ExitDone);
    EXPECT_EQ(One.Out, Heading + Caffeine);
    EXPECT_EQ(One.Err, "");
    EXPECT_EQ(RunVarnock(Arguments, ',').Out,
              Heading + "194.0804\tC8H10N4O2\t194,080376\t-0,13\t-0,024\t6,0\n");
    // A group in the adduct adds its elements, as in the analysis: [M+Et]+ is [M+C2H5]+, whose
    // m/z is 194.08037556 + 24 + 5 x 1.007825032 - 0.00054858 (the electron) = 223.11895214.
    std::vector<std::string> Ethyl = {"--find", "223.119", "--adduct", "[M+Et]+"};
    Ethyl.insert(Ethyl.end(), Small.begin(), Small.end());
    const Ran Ethylated = RunVarnock(Ethyl);
    EXPECT_EQ(Ethylated.Status, ExitDone);
    EXPECT_NE(Ethylated.Out.find("\tC8H10N4O2\t194.080376\t223.118952\t"), std::string::npos);
    Ethyl[3] = "[M+C2H5]+";
    EXPECT_EQ(RunVarnock(Ethyl).Out, Ethylated.Out);

    // A list: every mass keeps its line, the ones without a candidate with empty fields.
    Testing::TempDir Folder;
    const std::string Masses =
        Folder.Write("masses.txt", "\xEF\xBB\xBF# features\n194.0804\r\n\n 10.5 \nabc\n-5\n");
    Arguments[1] = Masses;
    const Ran Listed = RunVarnock(Arguments);
    EXPECT_EQ(Listed.Status, ExitNoticed);
    EXPECT_EQ(Listed.Out, Heading + Caffeine + "10.5\t\t\t\t\t\nabc\t\t\t\t\t\n-5\t\t\t\t\t\n");
    EXPECT_EQ(Listed.Err, "10.5: no formula within 5 ppm in C0-10 H0-20 N0-4 O0-2\n"
                          "abc: Mass: not a number (write it with a decimal point: 508.2468)\n"
                          "-5: Mass: it must be above 0\n");

    // As [M+H]+: m/z = 194.08037556 + 1.007825032 - 0.000548579909 = 195.087652012.
    const Ran Protonated = RunVarnock(
        {"--find", "195.0877", "--adduct", "[M+H]+", "--ranges", "C0-10 H0-20 N0-4 O0-2"});
    EXPECT_EQ(Protonated.Out, "measured\tformula\tmass\tmz\terror (ppm)\terror (mDa)\trdbe\n"
                              "195.0877\tC8H10N4O2\t194.080376\t195.087652\t-0.25\t-0.048\t6.0\n");

    // As [M+Na]+, sodium outside the ranges: 194.08037556 + 22.98976928 - 0.000548579909 =
    // 217.069596260.
    EXPECT_EQ(RunVarnock({"--find", "217.0696", "--adduct", "[M+Na]+", "--ranges",
                          "C0-10 H0-20 N0-4 O0-2"})
                  .Out,
              "measured\tformula\tmass\tmz\terror (ppm)\terror (mDa)\trdbe\n"
              "217.0696\tC8H10N4O2\t194.080376\t217.069596\t-0.02\t-0.004\t6.0\n");

    Arguments[1] = "194.0804";
    Arguments.push_back("--json");
    const Ran Json = RunVarnock(Arguments);
    const auto Object = nlohmann::json::parse(Json.Out);
    EXPECT_EQ(Object["measured"], "194.0804");
    ASSERT_EQ(Object["candidates"].size(), 1u);
    EXPECT_EQ(Object["candidates"][0]["formula"], "C8H10N4O2");
    EXPECT_NEAR(Object["candidates"][0]["mass"].get<double>(), 194.08037556, 1e-8);
    EXPECT_NEAR(Object["candidates"][0]["errorMilliDalton"].get<double>(), -0.02444, 1e-8);
    EXPECT_EQ(Object["candidates"][0]["rdbe"], 6);
    EXPECT_EQ(Object["found"], 1);
    EXPECT_EQ(Object["cut"], false);
}

TEST(CommandLineTest, FindRefusesAndCutsOffWithNotices) {
    Testing::TempDir Folder;
    const std::string Peaks = Folder.Write("peaks.txt", "# m/z intensity\n508.2468 100\n509.25\n");
    const std::string Try = "Try 'varnock --help' for more information.\n";
    const struct {
        std::vector<std::string> Arguments;
        int Status;
        std::string Err;
    } Cases[] = {
        {{"--find", "508.2468", "--max", "2"},
         ExitDone,
         "508.2468: the 2 best of 59 candidates (--max)\n"},
        {{"--find", "508.2468", "--limit", "1000"},
         ExitNoticed,
         "508.2468: Search: cut off after 1000 formulas tried (--limit); better candidates may "
         "be missing\n"},
        {{"--find", "508.2468", "--ppm", "0"},
         ExitNoticed,
         "varnock: Tolerance: it must be above 0\n"},
        {{"--find", "508.2468", "--ppm", "1001"},
         ExitNoticed,
         "varnock: Tolerance: at most 1000 ppm\n"},
        {{"--find", "508.2468", "--mda", "2000"},
         ExitNoticed,
         "varnock: Tolerance: at most 1000 mDa\n"},
        {{"--find", "508.2468", "--ranges", "C0-5 Xx1"},
         ExitNoticed,
         "varnock: Ranges: Xx is not in the element table\n"},
        {{"--find", "508.2468", "--ranges", "C0-5 H"},
         ExitNoticed,
         "varnock: Ranges: at the end: write the counts after the symbol: H0-10\n"},
        {{"--find", "", "--ranges", "C0-5"}, ExitNoticed, ": Mass: empty\n"},
        {{"--find", "195", "--adduct", "[M+H]0+"},
         ExitNoticed,
         "varnock: Adduct [M+H]0+: character 6 \"0\": the charge can't be 0\n"},
        {{"--find", "195", "--adduct", "[M-Cl]-"},
         ExitNoticed,
         "varnock: Adduct: it removes Cl, which no range names\n"},
        // Told in UTF-8 as typed, not in the code page the reader reads.
        {{"--find", "195", "--adduct", "[M+\xC2\xB5]+"},
         ExitNoticed,
         "varnock: Adduct [M+\xC2\xB5]+: " + IsotopeTableBeside(VARNOCK_ELEMENTS_DAT) +
             " lacks one of its isotopes\n"},
        {{"--find", "2000", "--ranges",
          "C0-200 H0-400 N0-50 O0-50 P0-10 S0-10 Cl0-10 Br0-10 F0-20 Si0-10 Na0-5 K0-5"},
         ExitNoticed,
         "2000: Search: too large to finish promptly (up to 5e+13 formulas to try); narrow the "
         "ranges\n"},
        {{"--find", "508.2468", "--peaks", Peaks},
         ExitNoticed,
         "varnock: " + Peaks + ": line 3: write an m/z above 0 and an intensity of 0 or more\n"},
        {{"--find", "508.2468", "--peaks", Folder.Path("none")},
         ExitNoticed,
         "varnock: " + Folder.Path("none") + ": can't be opened\n"},
        {{"--find", Folder.Path("none")},
         ExitUsage,
         "varnock: " + Folder.Path("none") + ": can't be opened\n"},
        {{"--ppm", "5", "H2O"}, ExitUsage, "varnock: --ppm goes with --find\n" + Try},
        {{"--find", "-", "--peaks", "-"},
         ExitUsage,
         "varnock: --find - and --peaks - can't both read standard input\n" + Try},
        {{"--find", "1", "H2O"},
         ExitUsage,
         "varnock: --find takes a mass or a file of masses, and no formula\n" + Try},
        {{"--find", "1", "--list", "-"},
         ExitUsage,
         "varnock: --find takes a mass or a file of masses, and no formula\n" + Try},
        {{"--find", "1", "--ppm", "five"},
         ExitUsage,
         "varnock: invalid value 'five' for --ppm\n" + Try},
        {{"--find", "1", "--adduct", "[M+H]+,[M+Na]+"},
         ExitUsage,
         "varnock: --find takes one adduct\n" + Try},
        {{"--find", "1", "--max", "0"},
         ExitUsage,
         "varnock: invalid value '0' for --max (1 to 1000000)\n" + Try},
        {{"--find", "1", "--senior", "maybe"},
         ExitUsage,
         "varnock: invalid value 'maybe' for --senior (on or off)\n" + Try},
        {{"--find", "1", "--rdbe", "5-1"},
         ExitUsage,
         "varnock: invalid value '5-1' for --rdbe (MIN-MAX, such as 0-40 or -0.5-)\n" + Try},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Case.Arguments));
        const Ran Done = RunVarnock(Case.Arguments);
        EXPECT_EQ(Done.Status, Case.Status);
        EXPECT_EQ(Done.Err, Case.Err);
    }
}

// The rules are the core's to test; here only that each option reaches it. The 508 Da search
// over CHNOPS as the npm package mf-finder 3.4.22 counts it (bench/FindSpeed.sh): 639 formulas
// without rules, 105 with an RDBE of 0 or more, 83 of them up to 10, 59 with a whole RDBE of 0
// or more; SENIOR alone keeps the same 59.
TEST(CommandLineTest, FindRuleOptionsReachTheSearch) {
    const auto Count = [](std::vector<std::string> Options) {
        Options.insert(Options.begin(), {"--find", "508.2468", "--max", "10000"});
        const Ran Done = RunVarnock(Options);
        return std::count(Done.Out.begin(), Done.Out.end(), '\n') - 1;
    };
    EXPECT_EQ(Count({"--even-electron", "off", "--senior", "off"}), 639);
    EXPECT_EQ(Count({"--senior", "off", "--rdbe", "0-"}), 59);
    EXPECT_EQ(Count({"--even-electron", "off"}), 59);
    EXPECT_EQ(Count({"--even-electron", "off", "--senior", "off", "--rdbe", "0-"}), 105);
    EXPECT_EQ(Count({"--even-electron", "off", "--senior", "off", "--rdbe", "0-10"}), 83);
}

} // namespace
} // namespace Varnock
