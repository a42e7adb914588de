#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/FormulaSearch.h"
#include "core/IsotopePattern.h"

namespace Varnock {
namespace {

const IsotopeTable& ShippedIsotopes() {
    static const IsotopeTable Table(IsotopeTableBeside(VARNOCK_ELEMENTS_DAT));
    return Table;
}
const std::unordered_map<std::string, int>& ShippedNumbers() {
    static const auto Numbers = AtomicNumbers(ElementTable(VARNOCK_ELEMENTS_DAT));
    return Numbers;
}

std::vector<SearchElement> Elements(const std::string& Ranges) {
    const RangeReading Read = ReadRanges(Ranges);
    EXPECT_TRUE(Read.Read) << Read.Notice;
    std::string Notice;
    auto Made = SearchElements(Read.Ranges, ShippedNumbers(), ShippedIsotopes(), Notice);
    EXPECT_EQ(Notice, "");
    return Made;
}

TEST(FormulaSearchTest, ReadsRangesAndRefusesWhatDoesNot) {
    using R = std::vector<ElementRange>;
    const struct {
        const char* Text;
        R Ranges;
    } Good[] = {
        {"C0-100 H0-202 N0-20", {{"C", 0, 100}, {"H", 0, 202}, {"N", 0, 20}}},
        {" Cl2,Br-3\tNa1-1 ", {{"Cl", 2, 2}, {"Br", 0, 3}, {"Na", 1, 1}}},
        {"Uuo0-100000", {{"Uuo", 0, 100000}}},
    };
    for (const auto& Case : Good) {
        const RangeReading Read = ReadRanges(Case.Text);
        EXPECT_TRUE(Read.Read) << Case.Text << ": " << Read.Notice;
        EXPECT_EQ(Read.Ranges, Case.Ranges) << Case.Text;
        EXPECT_EQ(ReadRanges(RangesText(Read.Ranges)).Ranges, Case.Ranges) << Case.Text;
    }
    const struct {
        const char* Text;
        std::size_t Position;
        const char* Says;
    } Bad[] = {
        {"", 0, "at the end: no element is named"},
        {" , ", 3, "no element is named"},
        {"c0-5", 0, "character 1 \"c\": an element symbol starts with an uppercase letter"},
        {"C", 1, "at the end: write the counts after the symbol: C0-10"},
        {"C0-", 3, "a count follows the \"-\""},
        {"C5-2", 0, "the first count of C is above the second"},
        {"C0-5 C1", 5, "character 6 \"C\": C is named twice"},
        {"C0-100001", 3, "a count is at most 100000"},
        {"C999999999999", 1, "a count is at most 100000"},
        {"C0-5H2", 4, "ranges are separated by blanks or commas"},
        {"C0-5;H2", 4, "character 5 \";\""},
        {"Cabc1", 3, "character 4 \"c\": write the counts after the symbol: Cab0-10"},
        {"C1\xC3\xA9", 2, "byte 0xC3"},
    };
    for (const auto& Case : Bad) {
        const RangeReading Read = ReadRanges(Case.Text);
        EXPECT_FALSE(Read.Read) << Case.Text;
        EXPECT_EQ(Read.Position, Case.Position) << Case.Text;
        EXPECT_NE(Read.Notice.find(Case.Says), std::string::npos)
            << Case.Text << ": " << Read.Notice;
    }
}

TEST(FormulaSearchTest, ValenceFromThePeriodicGroup) {
    const std::map<int, int> Valences = {
        {1, 1},  {2, 0},  {3, 1},  {5, 3},  {6, 4},  {7, 3},  {8, 2},  {9, 1},  {11, 1},
        {12, 2}, {14, 4}, {15, 3}, {16, 2}, {17, 1}, {18, 0}, {26, 2}, {31, 3}, {33, 3},
        {34, 2}, {35, 1}, {53, 1}, {56, 2}, {64, 2}, {81, 3}, {92, 2}, {117, 1}};
    for (const auto& [Number, Valence] : Valences)
        EXPECT_EQ(GroupValence(Number), Valence) << "Z = " << Number;
}

TEST(FormulaSearchTest, ElementsComeFromBothTables) {
    std::string Notice;
    const auto Found =
        SearchElements({{"C", 0, 3}, {"Br", 1, 2}}, ShippedNumbers(), ShippedIsotopes(), Notice);
    ASSERT_EQ(Found.size(), 2u);
    EXPECT_EQ(Found[0].Mass, 12);
    EXPECT_NEAR(Found[1].Mass, 78.9183371, 1e-6); // 79Br, 50.69 %
    EXPECT_EQ(Found[1].AtomicNumber, 35);
    EXPECT_EQ(Found[1].Isotopes.size(), 2u);
    EXPECT_TRUE(
        SearchElements({{"Xx", 0, 1}}, ShippedNumbers(), ShippedIsotopes(), Notice).empty());
    EXPECT_EQ(Notice, "Ranges: Xx is not in the element table");
    // Technetium is in the element table, but none of its isotopes is found in nature.
    EXPECT_TRUE(
        SearchElements({{"Tc", 0, 1}}, ShippedNumbers(), ShippedIsotopes(), Notice).empty());
    EXPECT_NE(Notice.find("Tc has no natural isotope"), std::string::npos) << Notice;
}

// What the brute force knows of the elements it tries, written here from the periodic table.
struct Known {
    const char* Symbol;
    int Number, Valence;
};
constexpr Known BruteElements[] = {{"C", 6, 4},  {"H", 1, 1},  {"N", 7, 3},   {"O", 8, 2},
                                   {"P", 15, 3}, {"S", 16, 2}, {"Cl", 17, 1}, {"Br", 35, 1}};

struct Expected {
    std::map<std::string, int> Counts;
    double Error; // m/z less measured
};

// Every formula of the ranges, one after another, within the tolerance and the rules.
std::vector<Expected> BruteForce(const std::map<std::string, std::pair<int, int>>& Ranges,
                                 double Measured, double Window, const IonForm& Ion,
                                 const FindRules& Rules) {
    std::vector<Expected> Found;
    std::vector<const Known*> Used;
    for (const Known& Each : BruteElements)
        if (Ranges.count(Each.Symbol))
            Used.push_back(&Each);
    std::vector<int> Counts(Used.size());
    const auto Count = [&](const char* Symbol) {
        for (std::size_t At = 0; At < Used.size(); ++At)
            if (std::string(Used[At]->Symbol) == Symbol)
                return Counts[At];
        return 0;
    };
    std::function<void(std::size_t)> Try = [&](std::size_t At) {
        if (At < Used.size()) {
            const auto& [Low, High] = Ranges.at(Used[At]->Symbol);
            for (Counts[At] = Low; Counts[At] <= High; ++Counts[At])
                Try(At + 1);
            return;
        }
        double M = 0;
        long long Electrons = 0, Valences = 0, Atoms = 0;
        int Highest = 0;
        for (std::size_t I = 0; I < Used.size(); ++I) {
            M += Counts[I] * ShippedIsotopes().MostAbundant(Used[I]->Symbol)->Mass;
            Electrons += Counts[I] * Used[I]->Number;
            Valences += Counts[I] * Used[I]->Valence;
            Atoms += Counts[I];
            if (Counts[I] > 0)
                Highest = std::max(Highest, Used[I]->Valence);
        }
        const double Mz =
            (Ion.Molecules * M + Ion.Shift) / (Ion.Charge == 0 ? 1 : std::abs(Ion.Charge));
        if (std::fabs(Mz - Measured) > Window)
            return;
        const double Rdbe =
            Count("C") - (Count("H") + Count("Cl")) / 2.0 + (Count("N") + Count("P")) / 2.0 + 1;
        if (Rules.RdbeLimited && (Rdbe < Rules.RdbeMin || Rdbe > Rules.RdbeMax))
            return;
        long long IonElectrons = Ion.Molecules * Electrons - Ion.Charge;
        for (const auto& Atoms : Ion.Adduct) {
            IonElectrons += Atoms.Count * Atoms.AtomicNumber;
            if (Ion.Molecules * Count(Atoms.Symbol.c_str()) + Atoms.Count < 0)
                return; // the molecule lacks what the adduct removes
        }
        if (Rules.EvenElectron &&
            (IonElectrons % 2 != 0 || (Ion.Molecules > 1 && Electrons % 2 != 0)))
            return;
        if (Rules.Senior &&
            (Valences % 2 != 0 || Valences < 2 * Highest || Valences < 2 * (Atoms - 1)))
            return;
        if (Rules.Ratios) {
            const double C = Count("C");
            if (C == 0 || Count("H") / C < 0.2 || Count("H") / C > 3.1 || Count("N") / C > 1.3 ||
                Count("O") / C > 1.2 || Count("P") / C > 0.3 || Count("S") / C > 0.8 ||
                Count("Cl") / C > 0.8 || Count("Br") / C > 0.8)
                return;
        }
        Expected Each;
        for (std::size_t I = 0; I < Used.size(); ++I)
            Each.Counts[Used[I]->Symbol] = Counts[I];
        Each.Error = Mz - Measured;
        Found.push_back(Each);
    };
    Try(0);
    return Found;
}

std::string RangeText(const std::map<std::string, std::pair<int, int>>& Ranges) {
    std::string Text;
    for (const auto& [Symbol, Range] : Ranges)
        Text += Symbol + std::to_string(Range.first) + "-" + std::to_string(Range.second) + " ";
    return Text;
}

TEST(FormulaSearchTest, FindsWhatBruteForceFindsAndNothingElse) {
    const double H = ShippedIsotopes().MostAbundant("H")->Mass;
    const double Na = ShippedIsotopes().MostAbundant("Na")->Mass;
    const double Cl = ShippedIsotopes().MostAbundant("Cl")->Mass;
    // The ions as the brute force knows them, written by hand: k, z, the shift (added less
    // removed less z electrons) and the atoms added or removed, with their atomic numbers.
    const double O = ShippedIsotopes().MostAbundant("O")->Mass;
    const IonForm Neutral;
    const IonForm Protonated{1, 1, H - ElectronMass, {{"H", 0, 1, 1, {}}}};
    const IonForm Dimer{2, 1, Na - ElectronMass, {{"Na", 0, 1, 11, {}}}};
    const IonForm Chloride{1, -1, Cl + ElectronMass, {{"Cl", 0, 1, 17, {}}}};
    const IonForm Doubly{1, 2, 2 * (H - ElectronMass), {{"H", 0, 2, 1, {}}}};
    const IonForm WaterLost{
        1, 1, -H - O - ElectronMass, {{"H", 0, -1, 1, {}}, {"O", 0, -1, 8, {}}}};
    FindRules None;
    None.EvenElectron = None.Senior = false;
    FindRules Defaults;
    FindRules All;
    All.Ratios = true;
    All.RdbeLimited = true;
    All.RdbeMin = 1;
    All.RdbeMax = 6;
    FindRules Rdbe = None;
    Rdbe.RdbeLimited = true;
    Rdbe.RdbeMin = -0.5;
    Rdbe.RdbeMax = 3;
    FindRules Ratios = None;
    Ratios.Ratios = true;
    FindRules Electrons = None;
    Electrons.EvenElectron = true;
    using Ranges = std::map<std::string, std::pair<int, int>>;
    const Ranges Organic = {{"C", {0, 14}}, {"H", {0, 30}}, {"N", {0, 5}},
                            {"O", {0, 8}},  {"P", {0, 1}},  {"S", {0, 2}}};
    const Ranges Small = {{"C", {1, 6}}, {"H", {2, 14}}, {"O", {0, 6}}, {"Cl", {0, 3}}};
    const struct {
        Ranges Elements;
        double Measured, Tolerance;
        bool Ppm;
        const char* Adduct; // read by the adduct reader for the search
        IonForm Ion;
        FindRules Rules;
    } Cases[] = {
        {Organic, 194.080376, 20, true, "", Neutral, None},          // caffeine C8H10N4O2
        {Organic, 194.080376, 20, true, "", Neutral, Defaults},      //
        {Organic, 180.063388, 5, true, "", Neutral, Ratios},         // glucose C6H12O6
        {Organic, 195.087652, 10, true, "[M+H]+", Protonated, None}, // caffeine [M+H]+
        {Organic, 195.087652, 10, true, "[M+H]+", Protonated, All},  //
        {Organic, 411.149, 3, false, "[2M+Na]+", Dimer, Defaults},   // of C8H10N4O2
        {Organic, 98.081, 3, false, "[M+2H]2+", Doubly, None},       //
        {Organic, 163.06, 5, false, "[M-H2O+H]+", WaterLost, None},  // of glucose
        {Small, 215.0, 50, false, "[M+Cl]-", Chloride, Defaults},    // a wide window
        {Small, 118.0, 30, false, "", Neutral, Rdbe},                //
        {Small, 150.0, 200, true, "", Neutral, All},                 //
        {Organic, 411.149, 3, false, "[2M+Na]+", Dimer, Electrons},  // SENIOR would hide it
        // CH4N (30.034) fails the ratios by its H/C of 4 alone.
        {Ranges{{"C", {0, 3}}, {"H", {0, 8}}, {"N", {0, 2}}, {"O", {0, 1}}}, 31, 1000, false, "",
         Neutral, Ratios},
        // N then C last: the gap turns up by 0.1669 a count; with a narrow window its misses
        // are skipped, with one wider than a turn (3 Da at 1000 ppm, a quarter of C) not: at
        // 1501.02 the gaps of the first two counts, 0.04 and 0.21, both fit.
        {Ranges{{"C", {0, 60}}, {"N", {0, 30}}, {"O", {0, 20}}}, 700, 20, true, "", Neutral, None},
        {Ranges{{"C", {0, 130}}, {"N", {0, 60}}}, 1501.02, 1000, true, "", Neutral, None},
        // CO (27.995) fails SENIOR's second rule alone: 6 < 2 x 4.
        {Ranges{{"C", {0, 3}}, {"H", {0, 8}}, {"N", {0, 2}}, {"O", {0, 1}}}, 28.5, 1000, false, "",
         Neutral, Defaults},
        {Ranges{{"H", {0, 4}}}, 2.01565, 10, true, "", Neutral, None}, // one element
        // Without hydrogen the last two elements turn the other way: N then C, Cl then C.
        {Ranges{{"C", {0, 20}}, {"N", {0, 10}}, {"O", {0, 10}}}, 184.0021, 10, true, "", Neutral,
         None},
        {Ranges{{"C", {0, 12}}, {"Cl", {0, 8}}, {"Br", {0, 4}}}, 281.8131, 5, true, "", Neutral,
         None},
    };
    for (const auto& Case : Cases) {
        FindRequest Request;
        Request.Measured = Case.Measured;
        Request.Tolerance = Case.Tolerance;
        Request.Ppm = Case.Ppm;
        Request.Elements = Elements(RangeText(Case.Elements));
        if (*Case.Adduct) {
            const AdductReading Read = ReadAdduct(Case.Adduct);
            ASSERT_EQ(Read.Result, AdductResult::Read) << Case.Adduct;
            std::string Notice;
            const std::optional<IonForm> Form =
                SearchIon(Read.Ion, ShippedNumbers(), ShippedIsotopes(), Notice);
            ASSERT_TRUE(Form) << Notice;
            Request.Ion = *Form;
            EXPECT_NEAR(Form->Shift, Case.Ion.Shift, 1e-12) << Case.Adduct;
            ASSERT_EQ(Form->Adduct.size(), Case.Ion.Adduct.size()) << Case.Adduct;
            for (std::size_t At = 0; At < Form->Adduct.size(); ++At) {
                EXPECT_EQ(Form->Adduct[At].Symbol, Case.Ion.Adduct[At].Symbol) << Case.Adduct;
                EXPECT_EQ(Form->Adduct[At].Count, Case.Ion.Adduct[At].Count) << Case.Adduct;
                EXPECT_EQ(Form->Adduct[At].AtomicNumber, Case.Ion.Adduct[At].AtomicNumber);
            }
        }
        Request.Rules = Case.Rules;
        Request.Max = 100000;
        const double Window =
            Case.Ppm ? Case.Measured * Case.Tolerance * 1e-6 : Case.Tolerance / 1000;
        const std::vector<Expected> Wanted =
            BruteForce(Case.Elements, Case.Measured, Window, Case.Ion, Case.Rules);
        const FindResult Result = FindFormulas(Request);
        const std::string Label = std::to_string(Case.Measured) + " " + RangeText(Case.Elements);
        ASSERT_EQ(Result.Refusal, "") << Label;
        EXPECT_FALSE(Result.Cut) << Label;
        EXPECT_EQ(Result.Found, Wanted.size()) << Label;
        std::set<std::map<std::string, int>> Got, Want;
        for (const Expected& Each : Wanted)
            Want.insert(Each.Counts);
        double Previous = 0;
        for (const Candidate& Each : Result.Candidates) {
            std::map<std::string, int> Counts;
            for (std::size_t At = 0; At < Each.Counts.size(); ++At)
                Counts[Request.Elements[At].Symbol] = Each.Counts[At];
            Got.insert(Counts);
            const auto Match = std::find_if(Wanted.begin(), Wanted.end(),
                                            [&](const Expected& E) { return E.Counts == Counts; });
            if (Match != Wanted.end()) {
                EXPECT_NEAR(Each.ErrorMilliDalton, Match->Error * 1000, 1e-9) << Each.Hill;
                EXPECT_NEAR(Each.ErrorPpm, Match->Error / Case.Measured * 1e6, 1e-6) << Each.Hill;
            }
            EXPECT_GE(std::fabs(Each.ErrorPpm), Previous) << Each.Hill << " out of order";
            Previous = std::fabs(Each.ErrorPpm);
        }
        EXPECT_EQ(Got, Want) << Label;
        EXPECT_GT(Want.size() + (Case.Rules.Ratios ? 1 : 0), 0u)
            << Label << ": a case that finds nothing";
    }
}

TEST(FormulaSearchTest, NamesCandidatesInHillOrderWithRdbe) {
    FindRequest Request;
    Request.Measured = 194.080376;
    Request.Tolerance = 1;
    Request.Elements = Elements("O0-4 N0-4 H0-12 C0-10");
    const FindResult Result = FindFormulas(Request);
    ASSERT_EQ(Result.Candidates.size(), 1u);
    EXPECT_EQ(Result.Candidates[0].Hill, "C8H10N4O2");
    EXPECT_EQ(Result.Candidates[0].Rdbe, 6); // caffeine: two rings, four double bonds
    Request.Measured = 97.976895;            // H3PO4: no carbon, all alphabetical
    Request.Elements = Elements("C0-2 P0-1 O0-4 H0-5");
    const FindResult Acid = FindFormulas(Request);
    ASSERT_EQ(Acid.Candidates.size(), 1u);
    EXPECT_EQ(Acid.Candidates[0].Hill, "H3O4P");
}

TEST(FormulaSearchTest, KeepsTheBestAndCutsOffWithANotice) {
    FindRequest Request;
    Request.Measured = 508.2468;
    Request.Elements = Elements("C0-100 H0-202 N0-20 O0-20 P0-5 S0-5");
    Request.Rules.EvenElectron = Request.Rules.Senior = false;
    Request.Max = 1000000;
    const FindResult All = FindFormulas(Request);
    ASSERT_GT(All.Found, 100u);
    Request.Max = 7;
    const FindResult Best = FindFormulas(Request);
    EXPECT_EQ(Best.Found, All.Found);
    ASSERT_EQ(Best.Candidates.size(), 7u);
    for (std::size_t At = 0; At < 7; ++At)
        EXPECT_EQ(Best.Candidates[At].Hill, All.Candidates[At].Hill);
    EXPECT_FALSE(Best.Cut);

    Request.StepLimit = 1000;
    const FindResult Limited = FindFormulas(Request);
    EXPECT_TRUE(Limited.Cut);
    EXPECT_EQ(Limited.Steps, 1000u);
    // A limit that the whole search just reaches doesn't cut it; one step fewer does.
    Request.StepLimit = All.Steps;
    EXPECT_FALSE(FindFormulas(Request).Cut);
    Request.StepLimit = All.Steps - 1;
    EXPECT_TRUE(FindFormulas(Request).Cut);

    // The progress goes up to 1 as the search ends; a callback that says stop stops it.
    Request.StepLimit = FindRequest().StepLimit;
    std::vector<double> Told;
    FindFormulas(Request, [&](double Done) {
        Told.push_back(Done);
        return true;
    });
    ASSERT_GE(Told.size(), 2u);
    EXPECT_TRUE(std::is_sorted(Told.begin(), Told.end()));
    EXPECT_EQ(Told.back(), 1);
    int Calls = 0;
    const FindResult Cancelled = FindFormulas(Request, [&](double) {
        ++Calls;
        return false;
    });
    EXPECT_TRUE(Cancelled.Cut);
    EXPECT_EQ(Calls, 1);
    EXPECT_LT(Cancelled.Steps, All.Steps);
}

TEST(FormulaSearchTest, RefusesWhatCantBeSearched) {
    const auto Refusal = [](double Mass, double Tolerance, bool Ppm, const std::string& Ranges) {
        FindRequest Request;
        Request.Measured = Mass;
        Request.Tolerance = Tolerance;
        Request.Ppm = Ppm;
        Request.Elements = Elements(Ranges);
        return FindFormulas(Request).Refusal;
    };
    const std::string Chnops = "C0-100 H0-202 N0-20 O0-20 P0-5 S0-5";
    EXPECT_EQ(Refusal(0, 5, true, Chnops), "Mass: it must be above 0");
    EXPECT_EQ(Refusal(-508, 5, true, Chnops), "Mass: it must be above 0");
    EXPECT_EQ(Refusal(NAN, 5, true, Chnops), "Mass: it must be above 0");
    EXPECT_EQ(Refusal(508, 0, true, Chnops), "Tolerance: it must be above 0");
    EXPECT_EQ(Refusal(508, 1000.001, true, Chnops), "Tolerance: at most 1000 ppm");
    EXPECT_EQ(Refusal(508, 1000, true, Chnops), "");
    EXPECT_EQ(Refusal(508, 1001, false, Chnops), "Tolerance: at most 1000 mDa");
    // 12 elements of wide ranges: 167 x 51 x 51 x 11^5 x 21 x 6 x 6 = 5.3e13 formulas for the
    // loops over all but hydrogen, each count bounded by what the element alone may weigh.
    EXPECT_NE(Refusal(2000, 5, true,
                      "C0-200 H0-400 N0-50 O0-50 P0-10 S0-10 Cl0-10 Br0-10 F0-20 Si0-10 Na0-5 K0-5")
                  .find("Search: too large to finish promptly"),
              std::string::npos);
}

TEST(FormulaSearchTest, ScoresPatternsByTheirShare) {
    // Ten carbons, 12C 98.93 % and 13C 1.07 %: k heavy atoms in (10 choose k) 0.0107^k
    // 0.9893^(10-k) of the molecules; the pattern keeps k = 0 to 3, down to 0.01 % of the
    // highest. A measured monoisotopic peak alone matches the first share of those.
    std::vector<PatternAtoms> Carbon = {{ShippedIsotopes().Of("C"), 10}};
    std::vector<MeasuredPeak> Pattern;
    for (const Peak& Each : UnitResolutionPattern(Carbon, 1e-4))
        Pattern.push_back({Each.Mass, Each.Probability});
    const double Choose[] = {1, 10, 45, 120};
    double Shares[4], Sum = 0;
    for (int K = 0; K < 4; ++K)
        Sum += Shares[K] = Choose[K] * std::pow(0.0107, K) * std::pow(0.9893, 10 - K);
    EXPECT_NEAR(PatternScore(Pattern, {{120.0001, 5000}}, 0), 100 * Shares[0] / Sum, 1e-9);
    EXPECT_NEAR(PatternScore(Pattern, Pattern, 0), 100, 1e-9);
    // A peak half a unit away from every pattern peak, or none at all, explains nothing.
    EXPECT_EQ(PatternScore(Pattern, {{110, 100}, {140, 100}}, 0), 0);
    // Doubly charged: the peaks are half a unit apart and matched within a quarter.
    std::vector<MeasuredPeak> Twice = {{60, 0.9}, {60.5, 0.1}};
    EXPECT_NEAR(PatternScore(Twice, {{60.01, 90}, {60.49, 10}}, 2), 100, 1e-9);
    EXPECT_NEAR(PatternScore(Twice, {{60.01, 90}, {60.76, 10}}, 2), 90, 1e-9);
}

TEST(FormulaSearchTest, RanksByThePatternOfAKnownFormulaWithNoise) {
    // C20H25N3O with chlorine-free ranges that hold isobars of it within 10 ppm; the measured
    // peaks are its pattern with each intensity off by up to 3 % and each m/z by up to 3 ppm.
    const std::vector<PatternAtoms> Known = {{ShippedIsotopes().Of("C"), 20},
                                             {ShippedIsotopes().Of("H"), 25},
                                             {ShippedIsotopes().Of("N"), 3},
                                             {ShippedIsotopes().Of("O"), 1}};
    const double Noise[] = {0.03, -0.02, 0.025, -0.03, 0.01, 0.02, -0.01};
    FindRequest Request;
    std::size_t At = 0;
    for (const Peak& Each : UnitResolutionPattern(Known, 1e-3)) {
        const double Off = Noise[At++ % 7];
        Request.Peaks.push_back({Each.Mass * (1 + Off * 1e-4), Each.Probability * (1 + Off)});
    }
    Request.Measured = Request.Peaks.front().MassToCharge;
    Request.Tolerance = 10;
    Request.Elements = Elements("C0-30 H0-50 N0-6 O0-6 S0-2 P0-2");
    const FindResult Result = FindFormulas(Request);
    ASSERT_GE(Result.Candidates.size(), 3u);
    EXPECT_EQ(Result.Candidates[0].Hill, "C20H25N3O");
    EXPECT_GT(Result.Candidates[0].Score, 99);
    for (std::size_t Rank = 1; Rank < Result.Candidates.size(); ++Rank)
        EXPECT_LT(Result.Candidates[Rank].Score, Result.Candidates[Rank - 1].Score);
    // By mass alone it ranks lower: 3 ppm off, and isobars closer.
    std::vector<MeasuredPeak> Peaks;
    std::swap(Peaks, Request.Peaks);
    EXPECT_NE(FindFormulas(Request).Candidates[0].Hill, "C20H25N3O");

    // The same measured as [M+H]+: the pattern of C20H26N3O, one electron less, at m/z.
    const double H = ShippedIsotopes().MostAbundant("H")->Mass;
    std::vector<PatternAtoms> Ion = Known;
    Ion[1].Count = 26;
    At = 0;
    for (const Peak& Each : UnitResolutionPattern(Ion, 1e-3)) {
        const double Off = Noise[At++ % 7];
        Request.Peaks.push_back(
            {(Each.Mass - ElectronMass) * (1 + Off * 1e-4), Each.Probability * (1 + Off)});
    }
    Request.Measured = Request.Peaks.front().MassToCharge;
    Request.Ion = {1, 1, H - ElectronMass, {{"H", 0, 1, 1, ShippedIsotopes().Of("H")}}};
    const FindResult Protonated = FindFormulas(Request);
    ASSERT_FALSE(Protonated.Candidates.empty());
    EXPECT_EQ(Protonated.Candidates[0].Hill, "C20H25N3O");
    EXPECT_GT(Protonated.Candidates[0].Score, 99);

    // As [M+2H]2+: C20H27N3O less two electrons, its peaks half a unit apart.
    Ion[1].Count = 27;
    Request.Peaks.clear();
    for (const Peak& Each : UnitResolutionPattern(Ion, 1e-3))
        Request.Peaks.push_back({(Each.Mass - 2 * ElectronMass) / 2, Each.Probability});
    Request.Measured = Request.Peaks.front().MassToCharge;
    Request.Ion = {1, 2, 2 * (H - ElectronMass), {{"H", 0, 2, 1, ShippedIsotopes().Of("H")}}};
    const FindResult Doubly = FindFormulas(Request);
    ASSERT_FALSE(Doubly.Candidates.empty());
    EXPECT_EQ(Doubly.Candidates[0].Hill, "C20H25N3O");
    EXPECT_GT(Doubly.Candidates[0].Score, 99);
}

} // namespace
} // namespace Varnock
