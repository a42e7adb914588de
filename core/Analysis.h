#pragma once

// What a chemist checks a formula against: the formula in Hill order, the composition by
// element, the molar, monoisotopic and nominal masses, m/z for a charged formula, and the
// isotope pattern.

#include <optional>
#include <string>
#include <vector>

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

// A group the formula names, its counts summed over the whole formula.
struct GroupUse {
    std::string Name;
    std::string Formula;
    double Count = 0;
};

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
    // The groups read, in the order they first occur; the rest counts their elements.
    std::vector<GroupUse> Groups;
    // What keeps a result from being given, or makes one incomplete.
    std::vector<std::string> Notices;
    // How the formula was read where another reading was possible; the results stand.
    std::vector<std::string> Notes;
};

// Isotopes may be null when the isotope table can't be read: then only the molar mass, the
// composition and the Hill formula are given. Groups, when given, are read and expanded into
// their elements.
FormulaAnalysis Analyse(const TypedFormula& Formula, const ElementWeights& Elements,
                        const IsotopeTable* Isotopes, const AnalysisOptions& Options,
                        const GroupTable* Groups = nullptr);
// The same for a formula already read, as a list that also weighs it reads it once.
FormulaAnalysis Analyse(const TypedFormula& Formula, const FormulaReading& Reading,
                        const ElementWeights& Elements, const IsotopeTable* Isotopes,
                        const AnalysisOptions& Options);

} // namespace Varnock
