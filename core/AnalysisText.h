#pragma once

// The analysis of a formula as text for people: the block the command line prints and the
// window's analysis view copies, and the cells of its tables, so that both show the same.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/Analysis.h"
#include "core/FormulaSearch.h"

namespace Varnock {

// Exact masses to the micro-u; shares and intensities to the hundredth.
inline constexpr int MassPlaces = 6;
inline constexpr int SharePlaces = 2;

// Fixed decimals with the given separator: 194.080376.
std::string FixedText(double Number, int Places, char DecimalSeparator);

// The lines of the masses: molar, monoisotopic, nominal and m/z, each when the analysis has it.
std::vector<std::string> MassLines(const FormulaAnalysis& Analysis, char DecimalSeparator);

// One composition row: label, count, mass, percent (mass and percent empty without a molar mass).
std::array<std::string, 4> CompositionCells(const FormulaAnalysis& Analysis,
                                            const CompositionRow& Row, char DecimalSeparator);
// One peak: mass (or m/z), intensity in percent of the highest.
std::array<std::string, 2> PeakCells(const PatternPeak& Peak, char DecimalSeparator);
// The heading of the peaks' mass column: "m/z" for a charged formula, else "Mass".
std::string PeakMassHeading(const FormulaAnalysis& Analysis);

// One adduct ion: its name, the ion's Hill formula and its m/z, empty where there is none.
std::array<std::string, 3> IonCells(const IonAnalysis& Ion, char DecimalSeparator);

// One candidate of a search by mass: Hill formula, monoisotopic mass, m/z, error in ppm and in
// mDa, RDBE, score; the command line's columns and the window's, which leaves out the last.
std::array<std::string, 7> CandidateCells(const Candidate& Each, char DecimalSeparator);

// The whole block, lines ended with LineEnd: the formula's analysis, then its adduct ions and
// the pattern of each at its m/z.
std::string AnalysisText(const FormulaAnalysis& Analysis, char DecimalSeparator,
                         std::string_view LineEnd);

} // namespace Varnock
