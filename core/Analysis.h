#pragma once

// What a chemist checks a formula against: the formula in Hill order, the composition by
// element, the molar, monoisotopic and nominal masses, m/z for a charged formula, the isotope
// pattern, and the adduct ions a mass spectrum shows of it.

#include <optional>
#include <string>
#include <vector>

#include "core/AdductTable.h"
#include "core/ElementTable.h"
#include "core/FormulaReader.h"
#include "core/IsotopePattern.h"
#include "core/IsotopeTable.h"
#include "core/TypedFormula.h"

namespace Varnock {

struct AnalysisOptions {
    bool Pattern = true;
    // The molar mass and the shares by element, from the element table.
    bool Shares = true;
    // 0: one peak per nominal mass; else the fine structure, peaks this far apart (u or ppm).
    double Resolution = 0;
    bool Ppm = false;
    // Peaks below this share of the highest are left out: 0.01 %.
    double Cut = 1e-4;
    // The adduct ions of the formula to analyse too.
    std::vector<NamedAdduct> Adducts;
    // Each ion's m/z alone, from the molecule's monoisotopic mass and the adduct's shift: no
    // formula, composition or pattern of the ion, as a list's columns need.
    bool IonMassToChargeOnly = false;
};

// One element of the composition, its counts summed over the whole formula. A labelled
// isotope, D and T are rows of their own.
struct CompositionRow {
    std::string Label; // "C", "[13C]", "D"
    std::string Element;
    int MassNumber = 0; // 0 for the natural element
    double Count = 0;
    double Mass = 0;    // count times the weight from the element table
    double Percent = 0; // of the molar mass
};

struct PatternPeak {
    double Mass = 0;      // mean mass, or m/z for a charged formula
    double Intensity = 0; // percent of the highest peak
};

struct IonAnalysis;

struct FormulaAnalysis {
    bool Read = false; // the formula was read; else Notices says why not
    std::string Hill;  // with the charge after ^ when there is one
    std::vector<CompositionRow> Composition;
    std::optional<double> MolarMass;
    std::optional<double> Monoisotopic;
    std::optional<long long> Nominal;
    int Charge = 0;
    std::optional<double> MassToCharge;
    std::vector<PatternPeak> Pattern;
    // What keeps a result from being given, or makes one incomplete.
    std::vector<std::string> Notices;
    // How the formula was read where another reading was possible; the results stand.
    std::vector<std::string> Notes;
    std::vector<IonAnalysis> Ions; // one per adduct asked for, when the formula was read
};

// An adduct ion of the formula: the ion's formula (k*M plus the added, less the removed) with
// its charge, its monoisotopic mass, m/z and isotope pattern at m/z, or why there is none.
struct IonAnalysis {
    std::string Name;
    // Read when the ion was formed; the composition has no masses or shares.
    FormulaAnalysis Ion;
};

// Isotopes may be null when the isotope table can't be read: then only the molar mass, the
// composition and the Hill formula are given.
FormulaAnalysis Analyse(const TypedFormula& Formula, const ElementWeights& Elements,
                        const IsotopeTable* Isotopes, const AnalysisOptions& Options);
// The same for a formula already read, as a list that also weighs it reads it once.
FormulaAnalysis Analyse(const TypedFormula& Formula, const FormulaReading& Reading,
                        const ElementWeights& Elements, const IsotopeTable* Isotopes,
                        const AnalysisOptions& Options);

} // namespace Varnock
