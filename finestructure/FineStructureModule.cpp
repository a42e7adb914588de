// The module's one entry: IsoSpec lists the isotopic configurations down to a threshold, handed
// one at a time to the caller. Plain C types only, so that nothing of IsoSpec crosses over.

#include <IsoSpec++/isoSpec++.h>

#include "core/FineStructureModule.h"

extern "C" VARNOCK_MODULE_EXPORT int
VarnockListConfigurations(int Elements, const int* IsotopeCounts, const int* AtomCounts,
                          const double* Masses, const double* Abundances, double Threshold,
                          VarnockConfiguration Each, void* Context) {
    try {
        IsoSpec::IsoThresholdGenerator Generator(
            IsoSpec::Iso(Elements, IsotopeCounts, AtomCounts, Masses, Abundances), Threshold,
            false);
        while (Generator.advanceToNextConfiguration())
            Each(Context, Generator.mass(), Generator.prob());
        return 1;
    } catch (...) { // no exception crosses into the caller
        return 0;
    }
}
