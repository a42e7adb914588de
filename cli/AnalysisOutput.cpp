#include "cli/AnalysisOutput.h"

#include <cstdlib>

#include <nlohmann/json.hpp>

#include "core/AnalysisText.h"
#include "core/TextRules.h"

namespace Varnock {

namespace {

std::string CompositionText(const FormulaAnalysis& Analysis, char Separator) {
    std::string Text;
    for (const CompositionRow& Row : Analysis.Composition)
        Text += (Text.empty() ? "" : ", ") + Row.Label + " " +
                FixedText(Row.Percent, SharePlaces, Separator) + " %";
    return Text;
}

using Json = nlohmann::ordered_json;

// A number as the text output writes it, to 15 significant digits: 249.677, not the
// 249.67700000000002 that the double's shortest exact form would be.
Json Number(double Value) {
    return Json(std::strtod(NumberText(Value, '.').c_str(), nullptr));
}

Json Optional(const std::optional<double>& Value) {
    return Value ? Number(*Value) : Json(nullptr);
}

} // namespace

std::string AnalysisJson(std::string_view Formula, const FormulaAnalysis& Analysis,
                         bool FineStructure) {
    Json Object;
    Object["formula"] = Formula;
    if (Analysis.Read) {
        Object["hill"] = Analysis.Hill;
        Object["charge"] = Analysis.Charge;
        Object["molarMass"] = Optional(Analysis.MolarMass);
        Object["monoisotopicMass"] = Optional(Analysis.Monoisotopic);
        Object["nominalMass"] = Analysis.Nominal ? Json(*Analysis.Nominal) : Json(nullptr);
        Object["mz"] = Optional(Analysis.MassToCharge);
        Json Rows = Json::array();
        for (const CompositionRow& Row : Analysis.Composition) {
            // A whole count is written as an integer.
            const bool Whole = Row.Count == static_cast<double>(static_cast<long long>(Row.Count));
            Json Each = {
                {"element", Row.Label},
                {"count", Whole ? Json(static_cast<long long>(Row.Count)) : Number(Row.Count)}};
            if (Analysis.MolarMass) {
                Each["mass"] = Number(Row.Mass);
                Each["percent"] = Number(Row.Percent);
            }
            Rows.push_back(std::move(Each));
        }
        Object["composition"] = std::move(Rows);
        Json Groups = Json::array();
        for (const GroupUse& Group : Analysis.Groups) {
            const bool Whole =
                Group.Count == static_cast<double>(static_cast<long long>(Group.Count));
            Groups.push_back(
                {{"name", Group.Name},
                 {"formula", Group.Formula},
                 {"count", Whole ? Json(static_cast<long long>(Group.Count)) : Json(Group.Count)}});
        }
        Object["groups"] = std::move(Groups);
        Json Peaks = Json::array();
        for (const PatternPeak& Peak : Analysis.Pattern)
            Peaks.push_back({{"mass", Number(Peak.Mass)}, {"intensity", Number(Peak.Intensity)}});
        Object["pattern"] = std::move(Peaks);
        Object["patternResolution"] = FineStructure ? "fine" : "unit";
    }
    // Each with its kind: an error keeps a result from being given or complete; a note tells
    // how the formula was read, and the results stand.
    Json Notices = Json::array();
    for (const auto& [Kind, Told] :
         {std::pair{"error", &Analysis.Notices}, {"note", &Analysis.Notes}})
        for (const std::string& Text : *Told)
            Notices.push_back({{"kind", Kind}, {"text", Text}});
    Object["notices"] = std::move(Notices);
    // Text that is no valid UTF-8 (a formula typed in another encoding) is replaced, not thrown.
    return Object.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string AnalysisField(std::string_view Field, const FormulaAnalysis& Analysis, char Separator) {
    if (Field == "hill")
        return Analysis.Read ? Analysis.Hill : std::string();
    if (Field == "composition")
        return Analysis.MolarMass ? CompositionText(Analysis, Separator) : std::string();
    if (Field == "mono" && Analysis.Monoisotopic)
        return FixedText(*Analysis.Monoisotopic, MassPlaces, Separator);
    if (Field == "nominal" && Analysis.Nominal)
        return std::to_string(*Analysis.Nominal);
    if (Field == "mz" && Analysis.MassToCharge)
        return FixedText(*Analysis.MassToCharge, MassPlaces, Separator);
    return {};
}

} // namespace Varnock
