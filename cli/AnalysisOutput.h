#pragma once

// The analysis of a formula as the command line writes it for scripts: one JSON object, and
// the columns --list --fields chooses. The text for people is the core's (core/AnalysisText.h).

#include <string>
#include <string_view>

#include "core/Analysis.h"
#include "core/AnalysisText.h"

namespace Varnock {

// One JSON object on one line, without its line end.
std::string AnalysisJson(std::string_view Formula, const FormulaAnalysis& Analysis,
                         bool FineStructure);

// Text of one --list field: mono, nominal, mz, hill, composition. Empty when the analysis
// gives none.
std::string AnalysisField(std::string_view Field, const FormulaAnalysis& Analysis,
                          char DecimalSeparator);

} // namespace Varnock
