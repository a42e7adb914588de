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
        Json Peaks = Json::array();
        for (const PatternPeak& Peak : Analysis.Pattern)
            Peaks.push_back({{"mass", Number(Peak.Mass)}, {"intensity", Number(Peak.Intensity)}});
        Object["pattern"] = std::move(Peaks);
        Object["patternResolution"] = FineStructure ? "fine" : "unit";
        if (!Analysis.Ions.empty()) {
            Json Ions = Json::array();
            for (const IonAnalysis& Each : Analysis.Ions) {
                const FormulaAnalysis& Ion = Each.Ion;
                Json Made = {{"adduct", Each.Name}};
                if (Ion.Read) {
                    Made["hill"] = Ion.Hill;
                    Made["charge"] = Ion.Charge;
                    Made["monoisotopicMass"] = Optional(Ion.Monoisotopic);
                    Made["mz"] = Optional(Ion.MassToCharge);
                    Json Peaks = Json::array();
                    for (const PatternPeak& Peak : Ion.Pattern)
                        Peaks.push_back({{"mz", Peak.Mass}, {"intensity", Peak.Intensity}});
                    Made["pattern"] = std::move(Peaks);
                }
                Made["notices"] = Ion.Notices;
                Ions.push_back(std::move(Made));
            }
            Object["adducts"] = std::move(Ions);
        }
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
    if (const std::string_view Adduct = FieldAdduct(Field); !Adduct.empty())
        for (const IonAnalysis& Ion : Analysis.Ions)
            if (Ion.Name == Adduct && Ion.Ion.MassToCharge)
                return FixedText(*Ion.Ion.MassToCharge, MassPlaces, Separator);
    return {};
}

std::string_view FieldAdduct(std::string_view Field) {
    return Field.starts_with("mz") ? Field.substr(2) : std::string_view();
}

std::vector<NamedAdduct> ReadAdducts(const std::vector<std::string>& Texts,
                                     const AdductTable* Table, std::vector<std::string>& Refusals) {
    std::vector<NamedAdduct> Read;
    for (const std::string& Text : Texts) {
        const TypedFormula Typed = ReadTyped(Text);
        const AdductReading Reading = ReadNamedAdduct(Typed.Text, Table);
        if (Reading.Result == AdductResult::Read)
            Read.push_back({Text, Reading.Ion});
        else
            Refusals.push_back(AdductRefusalNotice(Reading, Typed));
    }
    return Read;
}

} // namespace Varnock
