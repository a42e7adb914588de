#include "core/IsotopePattern.h"

#include <algorithm>

namespace Varnock {

namespace {

// Probabilities per nominal mass offset from Base, and with each the sum of probability times
// mass, so that convolving keeps the mean masses exact.
struct Spread {
    long long Base = 0;
    std::vector<double> Probability;
    std::vector<double> Moment;
};

// Far below any cut a pattern is shown at: what is dropped can't move a shown peak.
constexpr double Pruned = 1e-14;

void Prune(Spread& Kept) {
    const auto& P = Kept.Probability;
    const double Floor = *std::max_element(P.begin(), P.end()) * Pruned;
    std::size_t First = 0, End = P.size();
    while (First + 1 < End && P[First] < Floor)
        ++First;
    while (End - 1 > First && P[End - 1] < Floor)
        --End;
    Kept.Probability.erase(Kept.Probability.begin() + static_cast<long>(End),
                           Kept.Probability.end());
    Kept.Moment.erase(Kept.Moment.begin() + static_cast<long>(End), Kept.Moment.end());
    Kept.Probability.erase(Kept.Probability.begin(),
                           Kept.Probability.begin() + static_cast<long>(First));
    Kept.Moment.erase(Kept.Moment.begin(), Kept.Moment.begin() + static_cast<long>(First));
    Kept.Base += static_cast<long long>(First);
}

Spread Convolve(const Spread& One, const Spread& Other) {
    Spread Sum;
    Sum.Base = One.Base + Other.Base;
    const std::size_t Size = One.Probability.size() + Other.Probability.size() - 1;
    Sum.Probability.assign(Size, 0);
    Sum.Moment.assign(Size, 0);
    for (std::size_t I = 0; I < One.Probability.size(); ++I) {
        const double P = One.Probability[I], M = One.Moment[I];
        double* SumP = Sum.Probability.data() + I;
        double* SumM = Sum.Moment.data() + I;
        for (std::size_t J = 0; J < Other.Probability.size(); ++J) {
            SumP[J] += P * Other.Probability[J];
            SumM[J] += M * Other.Probability[J] + P * Other.Moment[J];
        }
    }
    Prune(Sum);
    return Sum;
}

// One atom of the element: its isotopes by nominal mass offset from the lightest.
Spread OneAtom(const std::vector<Isotope>& Isotopes) {
    Spread Atom;
    int Lightest = Isotopes.front().MassNumber, Heaviest = Lightest;
    for (const Isotope& Each : Isotopes) {
        Lightest = std::min(Lightest, Each.MassNumber);
        Heaviest = std::max(Heaviest, Each.MassNumber);
    }
    Atom.Base = Lightest;
    Atom.Probability.assign(static_cast<std::size_t>(Heaviest - Lightest + 1), 0);
    Atom.Moment.assign(Atom.Probability.size(), 0);
    for (const Isotope& Each : Isotopes) {
        const auto At = static_cast<std::size_t>(Each.MassNumber - Lightest);
        Atom.Probability[At] += Each.Abundance;
        Atom.Moment[At] += Each.Abundance * Each.Mass;
    }
    return Atom;
}

} // namespace

std::vector<Peak> UnitResolutionPattern(const std::vector<PatternAtoms>& Atoms, double Cut) {
    Spread Whole;
    Whole.Probability = {1};
    Whole.Moment = {0};
    for (const PatternAtoms& Element : Atoms) {
        if (Element.Isotopes.empty() || Element.Count <= 0)
            continue;
        Spread Power = OneAtom(Element.Isotopes);
        for (long long Count = Element.Count;;) {
            if (Count & 1)
                Whole = Convolve(Whole, Power);
            Count >>= 1;
            if (Count == 0)
                break;
            Power = Convolve(Power, Power);
        }
    }
    const double Highest = *std::max_element(Whole.Probability.begin(), Whole.Probability.end());
    std::vector<Peak> Peaks;
    for (std::size_t At = 0; At < Whole.Probability.size(); ++At)
        if (Whole.Probability[At] > 0 && Whole.Probability[At] >= Highest * Cut)
            Peaks.push_back({Whole.Moment[At] / Whole.Probability[At], Whole.Probability[At]});
    return Peaks;
}

} // namespace Varnock
