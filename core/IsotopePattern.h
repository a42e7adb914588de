#pragma once

// The isotope pattern of a formula: the probability of each mass its molecules can have, from
// the isotopes' masses and abundances.

#include <string>
#include <vector>

#include "core/IsotopeTable.h"

namespace Varnock {

// The atoms of one element in a formula: its isotopes with their abundances (a labelled
// isotope is one isotope of abundance 1) and how many atoms there are.
struct PatternAtoms {
    std::vector<Isotope> Isotopes;
    long long Count = 0;
};

struct Peak {
    double Mass = 0;        // the probability-weighted mean mass of the peak, in u
    double Probability = 0; // of all molecules, the share in this peak
};

// One peak per nominal mass, lightest first, those with at least Cut times the highest peak's
// probability. Each element's isotopes are grouped by their nominal mass offset and raised to
// the atom count by repeated squaring; tails far below Cut are pruned after each step.
std::vector<Peak> UnitResolutionPattern(const std::vector<PatternAtoms>& Atoms, double Cut);

// Where the fine-structure module (IsoSpec's) is looked for: the program's folder, ending in
// its separator. Until it is said, or when the module isn't there, there is no fine structure.
void SetFineStructureFolder(const std::string& Folder);
// Whether the fine structure can be computed: the module loads (on the first call).
bool HasFineStructure();

// The fine structure: every isotopic configuration IsoSpec finds down to a fraction of the
// most probable one, those closer together than Resolution (in u, or in ppm of the mass when
// Ppm) merged into one peak; peaks below Cut times the highest are left out. Empty without
// the module.
std::vector<Peak> FineStructurePattern(const std::vector<PatternAtoms>& Atoms, double Resolution,
                                       bool Ppm, double Cut);

} // namespace Varnock
