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

Json Number(double Value) {
    return Json(WrittenNumber(Value));
}

Json Optional(const std::optional<double>& Value) {
    return Value ? Number(*Value) : Json(nullptr);
}

// A whole count is written as an integer.
Json Count(double Value) {
    const bool Whole = Value == static_cast<double>(static_cast<long long>(Value));
    return Whole ? Json(static_cast<long long>(Value)) : Number(Value);
}

} // namespace

Json NoticesJson(const std::vector<std::string>& Errors, const std::vector<std::string>& Notes) {
    Json Told = Json::array();
    for (const auto& [Kind, Texts] : {std::pair{"error", &Errors}, {"note", &Notes}})
        for (const std::string& Text : *Texts)
            Told.push_back({{"kind", Kind}, {"text", Text}});
    return Told;
}

double WrittenNumber(double Value) {
    return std::strtod(NumberText(Value, '.').c_str(), nullptr);
}

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
            Json Each = {{"element", Row.Label}, {"count", Count(Row.Count)}};
            if (Analysis.MolarMass) {
                Each["mass"] = Number(Row.Mass);
                Each["percent"] = Number(Row.Percent);
            }
            Rows.push_back(std::move(Each));
        }
        Object["composition"] = std::move(Rows);
        Json Groups = Json::array();
        for (const GroupUse& Group : Analysis.Groups)
            Groups.push_back(
                {{"name", Group.Name}, {"formula", Group.Formula}, {"count", Count(Group.Count)}});
        Object["groups"] = std::move(Groups);
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
                        Peaks.push_back(
                            {{"mz", Number(Peak.Mass)}, {"intensity", Number(Peak.Intensity)}});
                    Made["pattern"] = std::move(Peaks);
                }
                Made["notices"] = NoticesJson(Ion.Notices, Ion.Notes);
                Ions.push_back(std::move(Made));
            }
            Object["adducts"] = std::move(Ions);
        }
    }
    Object["notices"] = NoticesJson(Analysis.Notices, Analysis.Notes);
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
                                     const AdductTable* Table, std::vector<std::string>& Refusals,
                                     const GroupTable* Groups) {
    std::vector<NamedAdduct> Read;
    for (const std::string& Text : Texts) {
        const TypedFormula Typed = ReadTyped(Text);
        const AdductReading Reading = ReadNamedAdduct(Typed.Text, Table, Groups);
        if (Reading.Result == AdductResult::Read)
            Read.push_back({Text, Reading.Ion});
        else
            Refusals.push_back(AdductRefusalNotice(Reading, Typed));
    }
    return Read;
}

} // namespace Varnock
