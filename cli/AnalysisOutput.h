#pragma once

// The analysis of a formula as the command line writes it: as text for people, as one JSON
// object for scripts, and as the columns --list --fields chooses.

#include <string>
#include <string_view>

#include "core/Analysis.h"

namespace Varnock {

// The block --analysis prints, lines ended with LineEnd.
std::string AnalysisText(const FormulaAnalysis& Analysis, char DecimalSeparator,
                         std::string_view LineEnd);

// One JSON object on one line, without its line end.
std::string AnalysisJson(std::string_view Formula, const FormulaAnalysis& Analysis,
                         bool FineStructure);

// Text of one --list field: mono, nominal, mz, hill, composition. Empty when the analysis
// gives none.
std::string AnalysisField(std::string_view Field, const FormulaAnalysis& Analysis,
                          char DecimalSeparator);

// Fixed decimals with the given separator: 194.080376.
std::string FixedText(double Number, int Places, char DecimalSeparator);

} // namespace Varnock
