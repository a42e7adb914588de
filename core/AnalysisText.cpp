#include "core/AnalysisText.h"

#include <charconv>

#include "core/TextRules.h"

namespace Varnock {

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

std::vector<std::string> MassLines(const FormulaAnalysis& Analysis, char Separator) {
    const auto Mass = [Separator](double Number) {
        return FixedText(Number, MassPlaces, Separator);
    };
    std::vector<std::string> Lines;
    if (Analysis.MolarMass)
        Lines.push_back("Molar mass: " + NumberText(*Analysis.MolarMass, Separator) + " g/mol");
    if (Analysis.Monoisotopic)
        Lines.push_back("Monoisotopic mass: " + Mass(*Analysis.Monoisotopic) + " u");
    if (Analysis.Nominal)
        Lines.push_back("Nominal mass: " + std::to_string(*Analysis.Nominal));
    if (Analysis.MassToCharge)
        Lines.push_back("m/z: " + Mass(*Analysis.MassToCharge) +
                        " (z = " + std::to_string(Analysis.Charge) + ")");
    return Lines;
}

std::array<std::string, 4> CompositionCells(const FormulaAnalysis& Analysis,
                                            const CompositionRow& Row, char Separator) {
    if (!Analysis.MolarMass)
        return {Row.Label, NumberText(Row.Count, Separator), "", ""};
    return {Row.Label, NumberText(Row.Count, Separator), NumberText(Row.Mass, Separator),
            FixedText(Row.Percent, SharePlaces, Separator)};
}

std::array<std::string, 2> PeakCells(const PatternPeak& Peak, char Separator) {
    return {FixedText(Peak.Mass, MassPlaces, Separator),
            FixedText(Peak.Intensity, SharePlaces, Separator)};
}

std::string PeakMassHeading(const FormulaAnalysis& Analysis) {
    return Analysis.Charge ? "m/z" : "Mass";
}

std::array<std::string, 3> IonCells(const IonAnalysis& Ion, char Separator) {
    const FormulaAnalysis& Formed = Ion.Ion;
    return {Ion.Name, Formed.Read ? Formed.Hill : std::string(),
            Formed.MassToCharge ? FixedText(*Formed.MassToCharge, MassPlaces, Separator)
                                : std::string()};
}

std::array<std::string, 7> CandidateCells(const Candidate& Each, char Separator) {
    return {Each.Hill,
            FixedText(Each.Mass, MassPlaces, Separator),
            FixedText(Each.MassToCharge, MassPlaces, Separator),
            FixedText(Each.ErrorPpm, 2, Separator),
            FixedText(Each.ErrorMilliDalton, 3, Separator),
            FixedText(Each.Rdbe, 1, Separator),
            FixedText(Each.Score, 1, Separator)};
}

std::string AnalysisText(const FormulaAnalysis& Analysis, char Separator,
                         std::string_view LineEnd) {
    const std::string End(LineEnd);
    std::string Text = Analysis.Hill + End;
    for (const std::string& Line : MassLines(Analysis, Separator))
        Text += Line + End;
    Text += "Element\tCount\tMass\t%" + End;
    for (const CompositionRow& Row : Analysis.Composition) {
        const auto Cells = CompositionCells(Analysis, Row, Separator);
        Text += Cells[0] + "\t" + Cells[1] + "\t" + Cells[2] + "\t" + Cells[3] + End;
    }
    const auto Peaks = [&](const std::string& Heading, const std::vector<PatternPeak>& Pattern) {
        if (Pattern.empty())
            return;
        Text += Heading + "\tIntensity %" + End;
        for (const PatternPeak& Peak : Pattern) {
            const auto Cells = PeakCells(Peak, Separator);
            Text += Cells[0] + "\t" + Cells[1] + End;
        }
    };
    Peaks(PeakMassHeading(Analysis), Analysis.Pattern);
    if (Analysis.Ions.empty())
        return Text;
    Text += "Adduct\tIon\tm/z" + End;
    for (const IonAnalysis& Ion : Analysis.Ions) {
        const auto Cells = IonCells(Ion, Separator);
        Text += Cells[0] + "\t" + Cells[1] + "\t" + Cells[2] + End;
    }
    for (const IonAnalysis& Ion : Analysis.Ions)
        Peaks(Ion.Name + " m/z", Ion.Ion.Pattern);
    return Text;
}

} // namespace Varnock
