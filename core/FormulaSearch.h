#pragma once

// The formulas whose monoisotopic mass fits a measured mass: the inverse of the analysis.
//
// The search runs over element count ranges ("C0-100 H0-202 N0-20"). Its elements are taken
// heaviest first, one loop each, and the lightest is solved directly: at every level the mass
// left to explain, less the least and the most the remaining elements can weigh, bounds the
// count of the element at that level, so that no loop runs over counts that can't reach the
// window and the innermost element takes the one or two counts that fall in it. A candidate
// within the window is then checked exactly, against the measured m/z, and by the rules.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/Adduct.h"
#include "core/ElementTable.h"
#include "core/IsotopeTable.h"

namespace Varnock {

// One element of the search and the counts it may take.
struct ElementRange {
    std::string Symbol;
    int Min = 0;
    int Max = 0;
    friend bool operator==(const ElementRange&, const ElementRange&) = default;
};

// The largest count a range may name: far beyond any molecule a mass spectrum shows, and small
// enough that every sum of counts and masses stays exact.
inline constexpr int RangeCountLimit = 100000;

struct RangeReading {
    bool Read = false;
    std::vector<ElementRange> Ranges;
    // Where reading stopped (0-based byte) and why, as a notice: "Ranges: character 4 ..."
    std::size_t Position = 0;
    std::string Notice;
};

// Reads ranges written as a symbol and its counts, separated by blanks or commas: "C0-100",
// "N2" (exactly 2), "O-5" (0 to 5). A symbol is an uppercase letter and up to two lowercase
// ones; no symbol may be named twice, and the first count may not exceed the second.
RangeReading ReadRanges(std::string_view Text);

// The ranges as ReadRanges reads them back: "C0-100 H0-202".
std::string RangesText(const std::vector<ElementRange>& Ranges);

// What the search needs of an element: its most abundant isotope's mass (the monoisotopic
// mass), its atomic number (for the electron count), the valence its periodic group gives it
// (for RDBE and the SENIOR rules) and its natural isotopes (for the pattern).
struct SearchElement {
    std::string Symbol;
    double Mass = 0;
    int AtomicNumber = 0;
    int Valence = 0;
    std::vector<Isotope> Isotopes;
    int Min = 0;
    int Max = 0;
};

// The valence of the element with this atomic number, from its group: 1 for groups 1 and 17
// (hydrogen and the halogens alike), 2 for groups 2 and 16, 3 for 13 and 15, 4 for 14, 0 for
// the noble gases, and 2 for the transition metals, lanthanides and actinides, which then add
// nothing to the RDBE.
int GroupValence(int AtomicNumber);

// The atomic numbers of the element table, by symbol. Raises the table's numbered errors.
std::unordered_map<std::string, int> AtomicNumbers(const ElementTable& Table);

// The search's elements for the ranges; empty, with Notice saying why, when a symbol is missing
// from the element table or has no natural isotope in the isotope table.
std::vector<SearchElement> SearchElements(const std::vector<ElementRange>& Ranges,
                                          const std::unordered_map<std::string, int>& Numbers,
                                          const IsotopeTable& Isotopes, std::string& Notice);

// The ion the mass was measured as: k molecules, charge z and the adduct's own atoms, so that
// m/z = (k M + Shift) / |z|, Shift being the atoms added less those removed less z electrons.
// The neutral molecule is k = 1, z = 0 and no atoms: then the measured mass is M itself.
struct IonForm {
    int Molecules = 1;
    int Charge = 0;
    double Shift = 0;
    // The adduct's atoms, added (positive) or removed (negative), for the ion's electron count,
    // its isotope pattern, and the atoms the molecules must hold for the removed ones.
    struct Atoms {
        std::string Symbol; // the element's: D is H with mass number 2
        int MassNumber = 0; // of a labelled isotope; 0 for the natural element
        int Count = 0;
        int AtomicNumber = 0;
        std::vector<Isotope> Isotopes;
    };
    std::vector<Atoms> Adduct;
};

// The ion form of an adduct; empty, with Notice saying why, when a count isn't whole or the
// tables lack one of its atoms.
std::optional<IonForm> SearchIon(const Adduct& Ion,
                                 const std::unordered_map<std::string, int>& Numbers,
                                 const IsotopeTable& Isotopes, std::string& Notice);

// The rules a candidate must pass besides its mass. Each can be turned off.
struct FindRules {
    // The ion has an even number of electrons (for a neutral molecule: a whole RDBE, the
    // nitrogen rule); with k of 2 or more, so does each molecule.
    bool EvenElectron = true;
    // The three SENIOR rules for the molecule M as a connected graph: the sum of valences is
    // even, at least twice the highest valence, and at least twice the atoms less one.
    bool Senior = true;
    // Kind and Fiehn's (2007) common ranges, per carbon: H 0.2 to 3.1, N 1.3, O 1.2, P 0.3,
    // S 0.8, F 1.5, Cl 0.8, Br 0.8, Si 0.5; a formula without carbon fails them.
    bool Ratios = false;
    // The RDBE of M within these, when given.
    bool RdbeLimited = false;
    double RdbeMin = 0;
    double RdbeMax = 0;
};

// A peak of a measured spectrum.
struct MeasuredPeak {
    double MassToCharge = 0;
    double Intensity = 0;
};

struct FindRequest {
    double Measured = 0; // the m/z, or M for the neutral molecule
    double Tolerance = 5;
    bool Ppm = true; // else the tolerance is in mDa
    std::vector<SearchElement> Elements;
    IonForm Ion;
    FindRules Rules;
    // At most this many candidates are kept, the best.
    std::size_t Max = 100;
    // Formulas tried before the search stops, cut off.
    unsigned long long StepLimit = 1000000000ULL;
    // When given, candidates are ranked by the agreement of their pattern with these peaks.
    std::vector<MeasuredPeak> Peaks;
};

class AdductTable;

// Sets the request's elements from ranges as ReadRanges reads them, and its ion from an adduct
// typed in UTF-8 (a name of Named, which may be null, or the notation; empty for the neutral
// molecule). False, with Notice saying why, when either can't be used.
bool SetUpSearch(FindRequest& Request, std::string_view Ranges, std::string_view Adduct,
                 const std::unordered_map<std::string, int>& Numbers, const IsotopeTable& Isotopes,
                 const AdductTable* Named, std::string& Notice, const GroupTable* Groups = nullptr);

// The symbols whose isotopes SetUpSearch needs for these ranges and adduct: those named, and
// hydrogen's (D and T stand for its isotopes). Those that don't read are left out.
std::vector<std::string> SearchSymbols(std::string_view Ranges, std::string_view Adduct,
                                       const AdductTable* Named,
                                       const GroupTable* Groups = nullptr);

// The elements searched when none are named: those of most organic molecules, in counts up to
// a few thousand daltons.
inline constexpr std::string_view DefaultRanges = "C0-100 H0-202 N0-20 O0-20 P0-5 S0-5";

// Refused before anything is tried: a search whose loops would try more formulas than this.
inline constexpr double SearchSizeLimit = 1e12;

struct Candidate {
    std::vector<int> Counts; // one per element of the request, in its order
    std::string Hill;
    double Mass = 0;         // M, monoisotopic
    double MassToCharge = 0; // of the ion; M for the neutral molecule
    double ErrorPpm = 0;     // (m/z - measured) / measured, in ppm
    double ErrorMilliDalton = 0;
    double Rdbe = 0;  // of M
    double Score = 0; // 0 to 100, with peaks
};

struct FindResult {
    // Why the search was refused; empty when it ran.
    std::string Refusal;
    // The best candidates: by the absolute error, or with peaks by the score, best first.
    std::vector<Candidate> Candidates;
    // All the candidates within the tolerance that pass the rules, kept or not.
    unsigned long long Found = 0;
    unsigned long long Steps = 0;
    // The search stopped before its end: the step limit, or the progress callback said stop.
    bool Cut = false;
};

// Called now and then with the share of the search done (0 to 1); false stops it.
using FindProgress = std::function<bool(double Done)>;

FindResult FindFormulas(const FindRequest& Request, const FindProgress& Progress = {});

// Why the request would be refused whatever its mass: the tolerance (above 0, at most 1000 ppm
// or mDa), the elements, the ion, the count kept; empty when none.
std::string FindSettingsRefusal(const FindRequest& Request);

// The isotope score of a pattern against measured peaks, 0 to 100 (see docs/analysis.md):
// the measured intensities are summed per peak of the pattern (nearest peak, within half a
// unit of m/z), both are made to sum to 1, and the score is 100 (1 - half the sum of the
// absolute differences). Pattern peaks are m/z and probability.
double PatternScore(const std::vector<MeasuredPeak>& Pattern,
                    const std::vector<MeasuredPeak>& Measured, int Charge);

} // namespace Varnock
