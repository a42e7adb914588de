#pragma once

// The analysis of a formula as the command line writes it for scripts: one JSON object, and
// the columns --list --fields chooses. The text for people is the core's (core/AnalysisText.h).

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/AdductTable.h"
#include "core/Analysis.h"
#include "core/AnalysisText.h"

namespace Varnock {

// A number as the text output writes it, to 15 significant digits: 249.677, not the
// 249.67700000000002 that the double's shortest exact form would be. For JSON.
double WrittenNumber(double Value);

// Notices for JSON, each an object with its kind: an "error" keeps a result from being given or
// complete; a "note" tells how something was read, and the results stand.
nlohmann::ordered_json NoticesJson(const std::vector<std::string>& Errors,
                                   const std::vector<std::string>& Notes);

// One JSON object on one line, without its line end.
std::string AnalysisJson(std::string_view Formula, const FormulaAnalysis& Analysis,
                         bool FineStructure);

// Text of one --list field: mono, nominal, mz, hill, composition. Empty when the analysis
// gives none. An adduct's m/z field, mz[M+H]+, is the m/z of the ion it names.
std::string AnalysisField(std::string_view Field, const FormulaAnalysis& Analysis,
                          char DecimalSeparator);

// The adduct a field names, "mz" and an adduct: "[M+H]+" of "mz[M+H]+"; empty for any other.
std::string_view FieldAdduct(std::string_view Field);

// The adducts asked for, each a name of the table (which may be null) or the notation; a
// refused one is left out, its notice added to Refusals. Groups may be named in the notation.
std::vector<NamedAdduct> ReadAdducts(const std::vector<std::string>& Texts,
                                     const AdductTable* Table, std::vector<std::string>& Refusals,
                                     const GroupTable* Groups = nullptr);

} // namespace Varnock
