#include "cli/AnalysisOutput.h"

#include <charconv>

#include <nlohmann/json.hpp>

#include "core/TextRules.h"

namespace Varnock {

namespace {

// Exact masses to the micro-u; shares and intensities to the hundredth.
constexpr int MassPlaces = 6;
constexpr int SharePlaces = 2;

std::string CompositionText(const FormulaAnalysis& Analysis, char Separator) {
    std::string Text;
    for (const CompositionRow& Row : Analysis.Composition)
        Text += (Text.empty() ? "" : ", ") + Row.Label + " " +
                FixedText(Row.Percent, SharePlaces, Separator) + " %";
    return Text;
}

} // namespace

std::string FixedText(double Number, int Places, char DecimalSeparator) {
    char Buffer[400]; // the longest a double can be in fixed notation
    const auto End =
        std::to_chars(Buffer, Buffer + sizeof Buffer, Number, std::chars_format::fixed, Places).ptr;
    std::string Text(Buffer, End);
    for (char& Character : Text)
        if (Character == '.')
            Character = DecimalSeparator;
    return Text;
}

std::string AnalysisText(const FormulaAnalysis& Analysis, char Separator,
                         std::string_view LineEnd) {
    const std::string End(LineEnd);
    const auto Mass = [Separator](double Number) {
        return FixedText(Number, MassPlaces, Separator);
    };
    std::string Text = Analysis.Hill + End;
    if (Analysis.MolarMass)
        Text += "Molar mass: " + NumberText(*Analysis.MolarMass, Separator) + " g/mol" + End;
    if (Analysis.Monoisotopic)
        Text += "Monoisotopic mass: " + Mass(*Analysis.Monoisotopic) + " u" + End;
    if (Analysis.Nominal)
        Text += "Nominal mass: " + std::to_string(*Analysis.Nominal) + End;
    if (Analysis.MassToCharge)
        Text += "m/z: " + Mass(*Analysis.MassToCharge) +
                " (z = " + std::to_string(Analysis.Charge) + ")" + End;
    Text += "Element\tCount\tMass\t%" + End;
    for (const CompositionRow& Row : Analysis.Composition)
        Text += Row.Label + "\t" + NumberText(Row.Count, Separator) + "\t" +
                (Analysis.MolarMass ? NumberText(Row.Mass, Separator) + "\t" +
                                          FixedText(Row.Percent, SharePlaces, Separator)
                                    : std::string("\t")) +
                End;
    if (!Analysis.Pattern.empty()) {
        Text += std::string(Analysis.Charge ? "m/z" : "Mass") + "\tIntensity %" + End;
        for (const PatternPeak& Peak : Analysis.Pattern)
            Text +=
                Mass(Peak.Mass) + "\t" + FixedText(Peak.Intensity, SharePlaces, Separator) + End;
    }
    return Text;
}

std::string AnalysisJson(std::string_view Formula, const FormulaAnalysis& Analysis,
                         bool FineStructure) {
    using Json = nlohmann::ordered_json;
    const auto Optional = [](const auto& Maybe) { return Maybe ? Json(*Maybe) : Json(nullptr); };
    Json Object;
    Object["formula"] = Formula;
    if (Analysis.Read) {
        Object["hill"] = Analysis.Hill;
        Object["charge"] = Analysis.Charge;
        Object["molarMass"] = Optional(Analysis.MolarMass);
        Object["monoisotopicMass"] = Optional(Analysis.Monoisotopic);
        Object["nominalMass"] = Optional(Analysis.Nominal);
        Object["mz"] = Optional(Analysis.MassToCharge);
        Json Rows = Json::array();
        for (const CompositionRow& Row : Analysis.Composition) {
            // A whole count is written as an integer.
            const bool Whole = Row.Count == static_cast<double>(static_cast<long long>(Row.Count));
            Json Each = {
                {"element", Row.Label},
                {"count", Whole ? Json(static_cast<long long>(Row.Count)) : Json(Row.Count)}};
            if (Analysis.MolarMass) {
                Each["mass"] = Row.Mass;
                Each["percent"] = Row.Percent;
            }
            Rows.push_back(std::move(Each));
        }
        Object["composition"] = std::move(Rows);
        Json Peaks = Json::array();
        for (const PatternPeak& Peak : Analysis.Pattern)
            Peaks.push_back({{"mass", Peak.Mass}, {"intensity", Peak.Intensity}});
        Object["pattern"] = std::move(Peaks);
        Object["patternResolution"] = FineStructure ? "fine" : "unit";
    }
    Object["notices"] = Analysis.Notices;
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
