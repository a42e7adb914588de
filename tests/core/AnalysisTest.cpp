#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/Analysis.h"
#include "core/AnalysisText.h"
#include "core/IsotopePattern.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

const ElementTable& Shipped() {
    static const ElementTable Table(VARNOCK_ELEMENTS_DAT);
    return Table;
}
const IsotopeTable& ShippedIsotopes() {
    static const IsotopeTable Table(IsotopeTableBeside(VARNOCK_ELEMENTS_DAT));
    return Table;
}

FormulaAnalysis Of(const std::string& Formula, AnalysisOptions Options = {}) {
    return Analyse(ReadTyped(Formula), Shipped(), &ShippedIsotopes(), Options);
}

// Every isotopic configuration of the formula, by brute force: for each element every way to
// share its atoms among its isotopes, with its multinomial probability, and every combination
// of those over the elements. Mass, probability.
std::vector<std::pair<double, double>> Configurations(const std::map<std::string, int>& Formula) {
    std::vector<std::pair<double, double>> All = {{0, 1}};
    for (const auto& [Symbol, Atoms] : Formula) {
        const int Count = Atoms; // a structured binding can't be captured (clang 14)
        std::vector<Isotope> Isotopes;
        for (const Isotope& Each : ShippedIsotopes().Of(Symbol))
            if (Each.Abundance > 0)
                Isotopes.push_back(Each);
        std::vector<std::pair<double, double>> Element;
        std::vector<int> Shares(Isotopes.size());
        std::function<void(std::size_t, int)> Share = [&](std::size_t At, int Left) {
            if (At + 1 == Isotopes.size()) {
                Shares[At] = Left;
                double LogP = std::lgamma(Count + 1.0), Mass = 0;
                for (std::size_t I = 0; I < Isotopes.size(); ++I) {
                    LogP +=
                        Shares[I] * std::log(Isotopes[I].Abundance) - std::lgamma(Shares[I] + 1.0);
                    Mass += Shares[I] * Isotopes[I].Mass;
                }
                Element.push_back({Mass, std::exp(LogP)});
                return;
            }
            for (int Here = 0; Here <= Left; ++Here) {
                Shares[At] = Here;
                Share(At + 1, Left - Here);
            }
        };
        Share(0, Count);
        std::vector<std::pair<double, double>> Combined;
        for (const auto& [Mass, P] : All)
            for (const auto& [ElementMass, ElementP] : Element)
                Combined.push_back({Mass + ElementMass, P * ElementP});
        All = std::move(Combined);
    }
    return All;
}

// The brute-force configurations summed per nominal mass (the mass rounded): mean mass and
// percent of the highest, those at 0.01 % or more.
std::vector<PatternPeak> UnitPeaks(const std::map<std::string, int>& Formula) {
    std::map<long, std::pair<double, double>> Nominal; // P, P times mass
    for (const auto& [Mass, P] : Configurations(Formula)) {
        auto& Sum = Nominal[std::lround(Mass)];
        Sum.first += P;
        Sum.second += P * Mass;
    }
    double Highest = 0;
    for (const auto& [Mass, Sum] : Nominal)
        Highest = std::max(Highest, Sum.first);
    std::vector<PatternPeak> Peaks;
    for (const auto& [Mass, Sum] : Nominal)
        if (Sum.first >= Highest * 1e-4)
            Peaks.push_back({Sum.second / Sum.first, Sum.first / Highest * 100});
    return Peaks;
}

void ExpectSamePeaks(const std::vector<PatternPeak>& Found, const std::vector<PatternPeak>& Truth,
                     double MassWithin) {
    ASSERT_EQ(Found.size(), Truth.size());
    for (std::size_t At = 0; At < Truth.size(); ++At) {
        SCOPED_TRACE("peak " + std::to_string(At));
        EXPECT_NEAR(Found[At].Mass, Truth[At].Mass, MassWithin);
        EXPECT_NEAR(Found[At].Intensity, Truth[At].Intensity, 0.01);
    }
}

// The accuracy asked of the unit-resolution pattern: every peak of 0.01 % or more, intensities
// within 0.01 percentage points, mean masses within 0.0001 u.
TEST(AnalysisTest, UnitPatternMatchesBruteForce) {
    const std::vector<std::pair<std::string, std::map<std::string, int>>> Cases = {
        {"H2O", {{"H", 2}, {"O", 1}}},
        {"C8H10N4O2", {{"C", 8}, {"H", 10}, {"N", 4}, {"O", 2}}},
        {"C6H12O6", {{"C", 6}, {"H", 12}, {"O", 6}}},
        {"CH2Cl2", {{"C", 1}, {"H", 2}, {"Cl", 2}}},
        {"Br3Sn2", {{"Br", 3}, {"Sn", 2}}},
        {"C100", {{"C", 100}}},
        {"C20H30O4S2Fe", {{"C", 20}, {"H", 30}, {"O", 4}, {"S", 2}, {"Fe", 1}}},
    };
    for (const auto& [Formula, Atoms] : Cases) {
        SCOPED_TRACE(Formula);
        const FormulaAnalysis Analysis = Of(Formula);
        ExpectSamePeaks(Analysis.Pattern, UnitPeaks(Atoms), 1e-4);
    }
}

TEST(AnalysisTest, FineStructureMatchesBruteForce) {
    // Not there until the folder of its module is said; there then where the build has IsoSpec.
    SetFineStructureFolder("");
    EXPECT_FALSE(HasFineStructure());
    SetFineStructureFolder("/no/such/folder/"); // a folder without it, then the right one
    EXPECT_FALSE(HasFineStructure());
    SetFineStructureFolder(VARNOCK_MODULE_FOLDER);
    ASSERT_EQ(HasFineStructure(), VARNOCK_FINE_STRUCTURE);
    if (!VARNOCK_FINE_STRUCTURE)
        GTEST_SKIP() << "this build has no fine structure";
    // Configurations closer than the resolution (in u, or in ppm of their mass) merge into their
    // mean, neighbour to neighbour: a chain of close ones is one peak.
    const struct {
        const char* Formula;
        std::map<std::string, int> Atoms;
        double Resolution;
        bool Ppm;
    } Cases[] = {
        {"C6H6NS", {{"C", 6}, {"H", 6}, {"N", 1}, {"S", 1}}, 1e-6, false},
        {"C6H6NS", {{"C", 6}, {"H", 6}, {"N", 1}, {"S", 1}}, 0.002, false},
        {"C6H6NS", {{"C", 6}, {"H", 6}, {"N", 1}, {"S", 1}}, 0.02, false},
        {"C8H10N4O2", {{"C", 8}, {"H", 10}, {"N", 4}, {"O", 2}}, 0.005, false},
        {"C8H10N4O2", {{"C", 8}, {"H", 10}, {"N", 4}, {"O", 2}}, 20, true},
        {"H2O", {{"H", 2}, {"O", 1}}, 5, true},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(std::string(Case.Formula) + " " + std::to_string(Case.Resolution));
        auto All = Configurations(Case.Atoms);
        std::sort(All.begin(), All.end());
        std::vector<PatternPeak> Truth;
        double Last = -1;
        for (const auto& [Mass, P] : All) {
            const double Resolution = Case.Ppm ? Case.Resolution * 1e-6 * Mass : Case.Resolution;
            if (Truth.empty() || Mass - Last > Resolution)
                Truth.push_back({Mass * P, P});
            else
                Truth.back() = {Truth.back().Mass + Mass * P, Truth.back().Intensity + P};
            Last = Mass;
        }
        double Highest = 0;
        for (auto& Peak : Truth) {
            Peak.Mass /= Peak.Intensity;
            Highest = std::max(Highest, Peak.Intensity);
        }
        std::erase_if(Truth,
                      [&](const PatternPeak& Peak) { return Peak.Intensity < Highest * 1e-4; });
        for (auto& Peak : Truth)
            Peak.Intensity = Peak.Intensity / Highest * 100;
        AnalysisOptions Fine;
        Fine.Resolution = Case.Resolution;
        Fine.Ppm = Case.Ppm;
        // Configurations too faint to be listed still move a merged peak's mean a little.
        ExpectSamePeaks(Of(Case.Formula, Fine).Pattern, Truth,
                        !Case.Ppm && Case.Resolution < 1e-3 ? 1e-6 : 1e-4);
    }
}

// The public values a paper's experimental section quotes.
TEST(AnalysisTest, MassesAndCompositionAgreeWithPublishedValues) {
    // AME2020 masses of the nuclides (Chinese Physics C 45, 030003).
    const double H1 = 1.00782503223, H2 = 2.01410177812, H3 = 3.01604928132, C12 = 12,
                 C13 = 13.00335483507, O16 = 15.99491461957, F19 = 18.99840316273,
                 Na23 = 22.9897692820, S32 = 31.9720711744, Cl35 = 34.968852682,
                 Ca40 = 39.962590850, Br79 = 78.9183376;
    const struct {
        const char* Formula;
        const char* Hill;
        double Monoisotopic;
        long long Nominal;
    } Cases[] = {
        // Published: caffeine 194.08038, glucose 180.06339, water 18.01056.
        {"C8H10N4O2", "C8H10N4O2", 194.08038, 194},
        {"C6H12O6", "C6H12O6", 180.06339, 180},
        {"H2O", "H2O", 18.01056, 18},
        {"CH3COOH", "C2H4O2", 2 * C12 + 4 * H1 + 2 * O16, 60},
        {"H2SO4", "H2O4S", 2 * H1 + 4 * O16 + S32, 98},
        {"NaCl", "ClNa", Na23 + Cl35, 58},
        {"CHBrClF", "CHBrClF", C12 + H1 + Br79 + Cl35 + F19, 146},
        {"[13C]H4", "[13C]H4", C13 + 4 * H1, 17},
        {"CH3[13C]H2OH", "C[13C]H6O", C12 + C13 + 6 * H1 + O16, 47},
        {"D2O", "D2O", 2 * H2 + O16, 20},
        {"HTO", "HTO", H1 + H3 + O16, 20},
        {"Ca(OH)2", "CaH2O2", Ca40 + 2 * O16 + 2 * H1, 74},
        // A labelled carbon is carbon for the Hill order.
        {"[13C]H3Br", "[13C]H3Br", C13 + 3 * H1 + Br79, 95},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Formula);
        const FormulaAnalysis Analysis = Of(Case.Formula);
        EXPECT_TRUE(Analysis.Notices.empty());
        EXPECT_EQ(Analysis.Hill, Case.Hill);
        ASSERT_TRUE(Analysis.Monoisotopic);
        EXPECT_NEAR(*Analysis.Monoisotopic, Case.Monoisotopic, 5e-6);
        EXPECT_EQ(Analysis.Nominal, Case.Nominal);
    }

    // Counts summed over the whole formula, shares of the shipped weights.
    const FormulaAnalysis Acetic = Of("CH3COOH");
    ASSERT_EQ(Acetic.Composition.size(), 3u);
    const std::vector<std::pair<std::string, double>> Shares = {
        {"C", 40.00}, {"H", 6.71}, {"O", 53.28}};
    for (std::size_t At = 0; At < Shares.size(); ++At) {
        EXPECT_EQ(Acetic.Composition[At].Label, Shares[At].first);
        EXPECT_NEAR(Acetic.Composition[At].Percent, Shares[At].second, 0.005);
    }
    EXPECT_EQ(Acetic.Composition[1].Count, 4);
    EXPECT_NEAR(*Acetic.MolarMass, 60.052, 1e-9);

    // Caffeine plus a proton, as an HRMS line quotes it.
    const FormulaAnalysis Protonated = Of("C8H11N4O2^+");
    EXPECT_EQ(Protonated.Hill, "C8H11N4O2^+");
    ASSERT_TRUE(Protonated.MassToCharge);
    EXPECT_NEAR(*Protonated.MassToCharge, 195.0877, 5e-5);
    EXPECT_NEAR(Protonated.Pattern.front().Mass, 195.0877, 5e-5);
    EXPECT_FALSE(Of("C8H10N4O2").MassToCharge);
    // Sulfate: two charges halve the mass, two electrons added.
    EXPECT_NEAR(*Of("SO4^2-").MassToCharge, (95.95172965 + 2 * 0.000548579909) / 2, 1e-6);

    // The second peak of C100 is 108 % of the first; insulin's highest is not the first.
    const FormulaAnalysis Carbon = Of("C100");
    EXPECT_NEAR(Carbon.Pattern[1].Intensity / Carbon.Pattern[0].Intensity, 1.08, 0.005);
    const FormulaAnalysis Insulin = Of("C254H377N65O75S6");
    const auto Highest = std::max_element(Insulin.Pattern.begin(), Insulin.Pattern.end(),
                                          [](const PatternPeak& One, const PatternPeak& Other) {
                                              return One.Intensity < Other.Intensity;
                                          });
    EXPECT_NE(Highest, Insulin.Pattern.begin());
    EXPECT_NEAR(Insulin.Pattern.front().Mass, *Insulin.Monoisotopic, 1e-9);
}

NamedAdduct Asked(const std::string& Text) {
    return {Text, ReadAdduct(Text).Ion};
}

// Each ion's formula, m/z and pattern: the brute-force pattern of the ion's atoms, less z
// electrons, over |z|.
TEST(AnalysisTest, AdductIonsHaveTheirFormulaMassToChargeAndPattern) {
    const double Electron = 0.000548579909;
    const struct {
        const char* Formula;
        const char* Adduct;
        const char* Hill;
        std::map<std::string, int> Atoms;
        int Charge;
    } Cases[] = {
        {"C8H10N4O2", "[M+H]+", "C8H11N4O2^+", {{"C", 8}, {"H", 11}, {"N", 4}, {"O", 2}}, 1},
        {"C6H12O6", "[M+Cl]-", "C6H12ClO6^-", {{"C", 6}, {"H", 12}, {"O", 6}, {"Cl", 1}}, -1},
        {"C6H12O6",
         "[2M-H2O+Na]+",
         "C12H22NaO11^+",
         {{"C", 12}, {"H", 22}, {"O", 11}, {"Na", 1}},
         1},
        {"C28H37N5O7", "[M+2H]2+", "C28H39N5O7^2+", {{"C", 28}, {"H", 39}, {"N", 5}, {"O", 7}}, 2},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(std::string(Case.Formula) + " " + Case.Adduct);
        AnalysisOptions Options;
        Options.Adducts = {Asked(Case.Adduct)};
        const FormulaAnalysis Analysis = Of(Case.Formula, Options);
        ASSERT_EQ(Analysis.Ions.size(), 1u);
        const FormulaAnalysis& Ion = Analysis.Ions[0].Ion;
        EXPECT_EQ(Analysis.Ions[0].Name, Case.Adduct);
        EXPECT_TRUE(Ion.Notices.empty());
        EXPECT_EQ(Ion.Hill, Case.Hill);
        std::vector<PatternPeak> Truth = UnitPeaks(Case.Atoms);
        for (PatternPeak& Peak : Truth)
            Peak.Mass = (Peak.Mass - Case.Charge * Electron) / std::abs(Case.Charge);
        ExpectSamePeaks(Ion.Pattern, Truth, 1e-4);
        ASSERT_TRUE(Ion.MassToCharge);
        EXPECT_NEAR(*Ion.MassToCharge, Ion.Pattern.front().Mass, 1e-6);
    }
    // As published: caffeine [M+H]+ 195.08765.
    AnalysisOptions Options;
    Options.Adducts = {Asked("[M+H]+"), Asked("[M-H2O+H]+"), Asked("[M-H]-")};
    EXPECT_NEAR(*Of("C8H10N4O2", Options).Ions[0].Ion.MassToCharge, 195.08765, 5e-6);

    // Methane has no O to lose; a charged formula takes no adduct.
    const FormulaAnalysis Methane = Of("CH4", Options);
    ASSERT_EQ(Methane.Ions.size(), 3u);
    EXPECT_TRUE(Methane.Ions[0].Ion.Read);
    EXPECT_FALSE(Methane.Ions[1].Ion.Read);
    EXPECT_EQ(Methane.Ions[1].Ion.Notices,
              std::vector<std::string>{
                  "Adduct [M-H2O+H]+: character 4 \"H\": removes more O than the molecule holds"});
    EXPECT_EQ(
        Of("NH4^+", Options).Ions[2].Ion.Notices,
        std::vector<std::string>{"Adduct [M-H]-: the formula is charged already; give it neutral"});
    // An adduct of an element without isotopes says so; a formula without an exact mass has no
    // ions, its own notice telling why.
    Options.Adducts = {Asked("[M+Tc]+")};
    EXPECT_EQ(Of("H2O", Options).Ions[0].Ion.Notices,
              std::vector<std::string>{"Adduct [M+Tc]+: Isotopes: " + ShippedIsotopes().Path() +
                                       " has no natural isotope of Tc"});
    EXPECT_TRUE(Of("HXO", Options).Ions.empty());
}

// The charge is the reading's. m/z = (M - z me) / |z|, M from the Atomic Mass Evaluation 2020:
// 1H 1.00782503, 12C 12, 14N 14.00307401, 16O 15.99491462, 31P 30.97376200, 32S 31.97207117,
// 37Cl 36.96590260, 52Cr 51.9405062, 56Fe 55.9349363, 127I 126.9044719, 202Hg 201.9706434,
// me 0.000548579909.
TEST(AnalysisTest, IonsAreChargedAsRead) {
    const struct {
        const char* Formula;
        int Charge;
        double MassToCharge;
    } Cases[] = {
        {"Fe3+", 3, 18.64443019},         {"NH4+", 1, 18.03382555},      {"SO42-", -2, 47.97641341},
        {"SO4 2-", -2, 47.97641341},      {"SO4(2-)", -2, 47.97641341},  {"PO43-", -3, 31.65168874},
        {"[Fe(CN)6]4-", -4, 52.98889367}, {"Cr2O72-", -2, 107.92325595}, {"Hg22+", 2, 201.97009482},
        {"C60-", -1, 720.00054858},       {"N3-", -3, 4.66823992},       {"I3-", -3, 42.30203921},
        {"[37Cl]-", -1, 36.96645118},     {"Fe^ 3 +", 3, 18.64443019},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Formula);
        const FormulaAnalysis Ion = Of(Case.Formula);
        EXPECT_EQ(Ion.Charge, Case.Charge);
        ASSERT_TRUE(Ion.MassToCharge);
        EXPECT_NEAR(*Ion.MassToCharge, Case.MassToCharge, 2e-6);
    }
    EXPECT_EQ(Of("H2O").Charge, 0);
    // An ion's peaks are m/z, and its charge is told with the sign.
    for (const char* Sulfate : {"SO4^2-", "SO4^2-\t", "SO4^2- "}) {
        SCOPED_TRACE(Sulfate);
        const FormulaAnalysis Ion = Of(Sulfate);
        EXPECT_EQ(PeakMassHeading(Ion), "m/z");
        EXPECT_EQ(MassLines(Ion, '.').back(), "m/z: 47.976413 (z = -2)");
    }
    EXPECT_EQ(PeakMassHeading(Of("H2SO4")), "Mass");
}

// A labelled isotope has abundance 1 in its formula, whatever its natural abundance (none for
// 14C and 3H): the pattern is that of the other atoms, at the labelled mass. AME2020: 14C
// 14.0032419884; the second peak is 2H's, 4 x 0.000115 of the first.
TEST(AnalysisTest, LabelledIsotopesWithoutNaturalAbundanceHaveAPattern) {
    const FormulaAnalysis Methane = Of("[14C]H4");
    ASSERT_EQ(Methane.Pattern.size(), 2u);
    EXPECT_NEAR(Methane.Pattern[0].Mass, 14.0032419884 + 4 * 1.00782503223, 1e-5);
    EXPECT_NEAR(Methane.Pattern[1].Intensity, 4 * 0.000115 / 0.999885 * 100, 0.005);
    const FormulaAnalysis Tritiated = Of("HTO");
    ASSERT_GE(Tritiated.Pattern.size(), 2u);
    EXPECT_NEAR(Tritiated.Pattern[0].Mass, 1.00782503223 + 3.01604928132 + 15.99491461957, 1e-5);
    EXPECT_EQ(Tritiated.Pattern[0].Intensity, 100);
}

TEST(AnalysisTest, SaysWhatItCantGive) {
    // A count below 1: masses and shares, no pattern.
    const FormulaAnalysis Partial = Of("Fe0.95O");
    EXPECT_EQ(Partial.Hill, "Fe0.95O");
    EXPECT_TRUE(Partial.Monoisotopic);
    EXPECT_TRUE(Partial.Pattern.empty());
    EXPECT_TRUE(Partial.Notices.empty());
    EXPECT_EQ(Partial.Notes, std::vector<std::string>{"Isotope pattern: it needs whole counts"});
    // No natural isotope, an unknown label, a missing element, an unreadable formula.
    EXPECT_EQ(Of("TcO4^-").Notices,
              std::vector<std::string>{"Isotopes: " + ShippedIsotopes().Path() +
                                       " has no natural isotope of Tc"});
    EXPECT_EQ(Of("[99C]").Notices,
              std::vector<std::string>{"Element: [99C] Doesn't exist in database"});
    AnalysisOptions NoShares;
    NoShares.Shares = false;
    EXPECT_EQ(Of("[99C]", NoShares).Notices,
              std::vector<std::string>{"Isotopes: " + ShippedIsotopes().Path() + " has no [99C]"});
    EXPECT_EQ(Of("HXO").Notices.front(), "Element: X Doesn't exist in database");
    EXPECT_FALSE(Of("HXO").MolarMass);
    EXPECT_FALSE(Of("Ca()2").Read);
    // Weighed as read, with the notice of how a point was read.
    const FormulaAnalysis Hydrate = Of("CuSO4.5H2O");
    EXPECT_EQ(Hydrate.Hill, "CuH10O9S");
    EXPECT_TRUE(Hydrate.Notices.empty());
    EXPECT_EQ(Hydrate.Notes,
              std::vector<std::string>{"Formula: character 6 \".\": read as CuSO4\xC2\xB7"
                                       "5H2O; for the count 4.5 write CuS(O4.5)H2O"});
    // Without the isotope table: the molar mass and the composition still.
    const FormulaAnalysis Bare = Analyse(ReadTyped("H2O"), Shipped(), nullptr, {});
    EXPECT_NEAR(*Bare.MolarMass, 18.015, 1e-9);
    EXPECT_EQ(Bare.Hill, "H2O");
    EXPECT_FALSE(Bare.Monoisotopic);
    EXPECT_TRUE(Bare.Pattern.empty());
}

} // namespace
} // namespace Varnock
