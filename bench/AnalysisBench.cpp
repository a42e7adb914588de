// The isotope pattern at unit resolution two ways, and the whole analysis, for a 66 kDa protein,
// insulin and caffeine: the convolution the analysis uses, and IsoSpec's configurations summed
// per nominal mass. Before the timings it prints how far apart the two patterns are, against
// the accuracy asked (intensities within 0.01 percentage points, mean masses within 0.0001 u).
#include <benchmark/benchmark.h>

#include <IsoSpec++/isoSpec++.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "core/Analysis.h"
#include "core/IsotopePattern.h"
#include "core/TypedFormula.h"

namespace {

using namespace Varnock;

const std::pair<const char*, std::vector<std::pair<const char*, int>>> Formulas[] = {
    {"C2934H4615N781O898S39", {{"C", 2934}, {"H", 4615}, {"N", 781}, {"O", 898}, {"S", 39}}},
    {"C254H377N65O75S6", {{"C", 254}, {"H", 377}, {"N", 65}, {"O", 75}, {"S", 6}}},
    {"C8H10N4O2", {{"C", 8}, {"H", 10}, {"N", 4}, {"O", 2}}},
};
constexpr double Cut = 1e-4;

const IsotopeTable& Isotopes() {
    static const IsotopeTable Table(IsotopeTableBeside(VARNOCK_ELEMENTS_DAT));
    return Table;
}

std::vector<PatternAtoms> AtomsOf(const std::vector<std::pair<const char*, int>>& Formula) {
    std::vector<PatternAtoms> Atoms;
    for (const auto& [Symbol, Count] : Formula) {
        PatternAtoms Element;
        for (const Isotope& Each : Isotopes().Of(Symbol))
            if (Each.Abundance > 0)
                Element.Isotopes.push_back(Each);
        Element.Count = Count;
        Atoms.push_back(Element);
    }
    return Atoms;
}

// IsoSpec's configurations down to a hundredth of the cut, summed per nominal mass: the
// configuration's mass plus half a unit, less the mass defect of the lightest.
std::vector<Peak> IsoSpecUnitPattern(const std::vector<PatternAtoms>& Atoms) {
    std::vector<int> IsotopeCounts, AtomCounts;
    std::vector<double> Masses, Abundances;
    double Lightest = 0;
    long long LightestNominal = 0;
    for (const PatternAtoms& Element : Atoms) {
        IsotopeCounts.push_back(static_cast<int>(Element.Isotopes.size()));
        AtomCounts.push_back(static_cast<int>(Element.Count));
        for (const Isotope& Each : Element.Isotopes) {
            Masses.push_back(Each.Mass);
            Abundances.push_back(Each.Abundance);
        }
        Lightest += Element.Count * Element.Isotopes.front().Mass;
        LightestNominal += Element.Count * Element.Isotopes.front().MassNumber;
    }
    IsoSpec::IsoThresholdGenerator Generator(IsoSpec::Iso(static_cast<int>(AtomCounts.size()),
                                                          IsotopeCounts.data(), AtomCounts.data(),
                                                          Masses.data(), Abundances.data()),
                                             Cut / 100, false);
    std::map<long long, std::pair<double, double>> Nominal;
    const double Defect = Lightest - static_cast<double>(LightestNominal);
    while (Generator.advanceToNextConfiguration()) {
        auto& Sum = Nominal[std::llround(Generator.mass() - Defect)];
        Sum.first += Generator.prob();
        Sum.second += Generator.prob() * Generator.mass();
    }
    double Highest = 0;
    for (const auto& [Mass, Sum] : Nominal)
        Highest = std::max(Highest, Sum.first);
    std::vector<Peak> Peaks;
    for (const auto& [Mass, Sum] : Nominal)
        if (Sum.first >= Highest * Cut)
            Peaks.push_back({Sum.second / Sum.first, Sum.first});
    return Peaks;
}

void Compare() {
    for (const auto& [Name, Formula] : Formulas) {
        const auto Atoms = AtomsOf(Formula);
        const auto One = UnitResolutionPattern(Atoms, Cut);
        const auto Other = IsoSpecUnitPattern(Atoms);
        const auto Percent = [](const std::vector<Peak>& Peaks, std::size_t At) {
            double Highest = 0;
            for (const Peak& Each : Peaks)
                Highest = std::max(Highest, Each.Probability);
            return Peaks[At].Probability / Highest * 100;
        };
        double Intensity = 0, Mass = 0;
        for (std::size_t At = 0; At < std::min(One.size(), Other.size()); ++At) {
            Intensity = std::max(Intensity, std::abs(Percent(One, At) - Percent(Other, At)));
            Mass = std::max(Mass, std::abs(One[At].Mass - Other[At].Mass));
        }
        std::printf("%s: %zu peaks by convolution, %zu by IsoSpec; largest difference %.2g "
                    "percentage points, %.2g u\n",
                    Name, One.size(), Other.size(), Intensity, Mass);
    }
}

void Convolution(benchmark::State& State, int Which) {
    const auto Atoms = AtomsOf(Formulas[Which].second);
    for (auto _ : State)
        benchmark::DoNotOptimize(UnitResolutionPattern(Atoms, Cut));
}

void IsoSpecSummed(benchmark::State& State, int Which) {
    const auto Atoms = AtomsOf(Formulas[Which].second);
    for (auto _ : State)
        benchmark::DoNotOptimize(IsoSpecUnitPattern(Atoms));
}

// The whole analysis as --analysis runs it, the element table read once beforehand.
void WholeAnalysis(benchmark::State& State, int Which) {
    const ElementSnapshot Elements{ElementTable(VARNOCK_ELEMENTS_DAT)};
    const TypedFormula Typed = ReadTyped(Formulas[Which].first);
    for (auto _ : State)
        benchmark::DoNotOptimize(Analyse(Typed, Elements, &Isotopes(), {}));
}

} // namespace

int main(int Argc, char** Argv) {
    Compare();
    for (int Which = 0; Which < 3; ++Which) {
        const std::string Name = Formulas[Which].first;
        benchmark::RegisterBenchmark(("Convolution/" + Name).c_str(), Convolution, Which)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("IsoSpecSummed/" + Name).c_str(), IsoSpecSummed, Which)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("Analysis/" + Name).c_str(), WholeAnalysis, Which)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&Argc, Argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
