// The fine structure through IsoSpec, in a module beside the program that is loaded the first
// time it is asked for (see finestructure/).

#include "core/IsotopePattern.h"

#include <algorithm>

#include "core/FineStructureModule.h"
#include "core/RunTimeError.h"
#include "core/SystemServices.h"

namespace Varnock {

namespace {

// Configurations are listed down to this fraction of the most probable one, a hundredth of the
// cut: peaks merged from many small configurations are not lost.
constexpr double Depth = 0.01;

struct Module {
    std::string Folder;
    bool Tried = false;
    VarnockListConfigurationsFunction List = nullptr;
};

Module& FineStructureModule() {
    static Module Loaded;
    return Loaded;
}

VarnockListConfigurationsFunction ListConfigurations() {
    Module& Loaded = FineStructureModule();
    if (!Loaded.Tried && !Loaded.Folder.empty()) {
        Loaded.Tried = true;
        Loaded.List =
            reinterpret_cast<VarnockListConfigurationsFunction>(SystemServices::ModuleFunction(
                Loaded.Folder + VARNOCK_FINE_STRUCTURE_MODULE, "VarnockListConfigurations"));
    }
    return Loaded.List;
}

} // namespace

void SetFineStructureFolder(const std::string& Folder) {
    Module& Loaded = FineStructureModule();
    if (Loaded.List || Folder == Loaded.Folder)
        return;
    Loaded.Folder = Folder;
    Loaded.Tried = false;
}

bool HasFineStructure() {
    return ListConfigurations() != nullptr;
}

std::vector<Peak> FineStructurePattern(const std::vector<PatternAtoms>& Atoms, double Resolution,
                                       bool Ppm, double Cut) {
    const VarnockListConfigurationsFunction List = ListConfigurations();
    if (!List)
        return {};
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
    std::vector<Peak> Configurations;
    const VarnockConfiguration Add = [](void* Context, double Mass, double Probability) {
        static_cast<std::vector<Peak>*>(Context)->push_back({Mass, Probability});
    };
    // What IsoSpec can fail at is running out of memory.
    if (!List(static_cast<int>(AtomCounts.size()), IsotopeCounts.data(), AtomCounts.data(),
              Masses.data(), Abundances.data(), Cut * Depth, Add, &Configurations))
        throw RunTimeError(ErrOutOfMemory);
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

} // namespace Varnock
