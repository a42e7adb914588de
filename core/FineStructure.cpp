// The fine structure through IsoSpec, when the build has it (VARNOCK_FINE_STRUCTURE).

#include "core/IsotopePattern.h"

#include <algorithm>

#ifdef VARNOCK_FINE_STRUCTURE
#include <IsoSpec++/isoSpec++.h>
#endif

namespace Varnock {

#ifdef VARNOCK_FINE_STRUCTURE

namespace {

// Configurations are listed down to this fraction of the most probable one, a hundredth of the
// cut: peaks merged from many small configurations are not lost.
constexpr double Depth = 0.01;

} // namespace

bool HasFineStructure() {
    return true;
}

std::vector<Peak> FineStructurePattern(const std::vector<PatternAtoms>& Atoms, double Resolution,
                                       bool Ppm, double Cut) {
    std::vector<int> IsotopeCounts, AtomCounts;
    std::vector<double> Masses, Abundances;
    for (const PatternAtoms& Element : Atoms) {
        if (Element.Isotopes.empty() || Element.Count <= 0)
            continue;
        IsotopeCounts.push_back(static_cast<int>(Element.Isotopes.size()));
        AtomCounts.push_back(static_cast<int>(Element.Count));
        for (const Isotope& Each : Element.Isotopes) {
            Masses.push_back(Each.Mass);
            Abundances.push_back(Each.Abundance);
        }
    }
    if (AtomCounts.empty())
        return {};
    IsoSpec::IsoThresholdGenerator Generator(IsoSpec::Iso(static_cast<int>(AtomCounts.size()),
                                                          IsotopeCounts.data(), AtomCounts.data(),
                                                          Masses.data(), Abundances.data()),
                                             Cut * Depth, false);
    std::vector<Peak> Configurations;
    while (Generator.advanceToNextConfiguration())
        Configurations.push_back({Generator.mass(), Generator.prob()});
    std::sort(Configurations.begin(), Configurations.end(),
              [](const Peak& One, const Peak& Other) { return One.Mass < Other.Mass; });

    // Neighbours closer than the resolution are one peak; the peak's mass is the mean.
    std::vector<Peak> Peaks;
    double Last = 0;
    for (const Peak& Each : Configurations) {
        const double Apart = Ppm ? Resolution * 1e-6 * Each.Mass : Resolution;
        if (Peaks.empty() || Each.Mass - Last > Apart) {
            Peaks.push_back({Each.Mass * Each.Probability, Each.Probability});
        } else {
            Peaks.back().Mass += Each.Mass * Each.Probability;
            Peaks.back().Probability += Each.Probability;
        }
        Last = Each.Mass;
    }
    double Highest = 0;
    for (Peak& Each : Peaks) {
        Each.Mass /= Each.Probability;
        Highest = std::max(Highest, Each.Probability);
    }
    std::erase_if(Peaks, [&](const Peak& Each) { return Each.Probability < Highest * Cut; });
    return Peaks;
}

#else

bool HasFineStructure() {
    return false;
}

std::vector<Peak> FineStructurePattern(const std::vector<PatternAtoms>&, double, bool, double) {
    return {};
}

#endif

} // namespace Varnock
