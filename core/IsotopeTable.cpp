#include "core/IsotopeTable.h"

#include <cmath>

#include "core/TextFile.h"
#include "core/TextRules.h"

namespace Varnock {

namespace {

const std::vector<Isotope> None;

} // namespace

IsotopeTable::IsotopeTable(std::string Path) : FilePath(std::move(Path)) {
    ForEachRow(FilePath,
               [this](std::string_view Row, std::size_t Number) { ReadLine(Row, Number); });
    for (auto& [Symbol, Element] : Elements) {
        const auto& Isotopes = Element.Isotopes;
        for (std::size_t At = 0; At < Isotopes.size(); ++At)
            if (Isotopes[At].Abundance > 0 &&
                (Element.MostAbundant < 0 ||
                 Isotopes[At].Abundance > Isotopes[Element.MostAbundant].Abundance))
                Element.MostAbundant = static_cast<int>(At);
    }
}

void IsotopeTable::ReadLine(std::string_view Line, std::size_t Number) {
    const std::vector<std::string_view> Fields = RowFields(Line);
    const std::size_t Count = Fields.size();
    const auto Fault = [&](const std::string& What) {
        Faults.push_back(FilePath + ", line " + std::to_string(Number) + ": " + What);
    };
    if (Count != 4)
        return Fault("4 fields expected, " + std::to_string(Count) + " found");
    const std::string_view Symbol = Unquoted(Fields[0]);
    if (Symbol.empty())
        return Fault("the symbol is missing");
    static const char* const Names[] = {"", "the mass number", "the mass", "the abundance"};
    double Numbers[4] = {};
    for (std::size_t Index = 1; Index < 4; ++Index) {
        bool Read = false;
        try {
            Read = ReadWholeNumber(Fields[Index], Numbers[Index]);
        } catch (...) { // too large for a double
        }
        if (!Read || !std::isfinite(Numbers[Index]))
            return Fault(std::string(Names[Index]) + " \"" + std::string(Fields[Index]) +
                         "\" is no number");
    }
    if (Numbers[1] < 1 || Numbers[1] > 999 || Numbers[1] != std::floor(Numbers[1]))
        return Fault("the mass number " + std::string(Fields[1]) + " is no whole number from 1 on");
    if (Numbers[2] <= 0)
        return Fault("the mass " + std::string(Fields[2]) + " is not above 0");
    if (Numbers[3] < 0 || Numbers[3] > 1)
        return Fault("the abundance " + std::string(Fields[3]) + " is outside 0 to 1");
    Elements[std::string(Symbol)].Isotopes.push_back(
        {static_cast<int>(Numbers[1]), Numbers[2], Numbers[3]});
}

const IsotopeTable::Element* IsotopeTable::ElementOf(std::string_view Symbol) const {
    const auto Found = Elements.find(Symbol);
    return Found == Elements.end() ? nullptr : &Found->second;
}

const std::vector<Isotope>& IsotopeTable::Of(std::string_view Symbol) const {
    const Element* Found = ElementOf(Symbol);
    return Found ? Found->Isotopes : None;
}

const Isotope* IsotopeTable::Find(std::string_view Symbol, int MassNumber) const {
    for (const Isotope& Each : Of(Symbol))
        if (Each.MassNumber == MassNumber)
            return &Each;
    return nullptr;
}

const Isotope* IsotopeTable::MostAbundant(std::string_view Symbol) const {
    const Element* Found = ElementOf(Symbol);
    return Found && Found->MostAbundant >= 0
               ? &Found->Isotopes[static_cast<std::size_t>(Found->MostAbundant)]
               : nullptr;
}

int HeavyHydrogen(std::string_view Symbol, int MassNumber, const IsotopeTable* Isotopes) {
    if (MassNumber != 0 || (Symbol != "D" && Symbol != "T"))
        return 0;
    if (Isotopes && !Isotopes->Of(Symbol).empty())
        return 0;
    return Symbol == "D" ? 2 : 3;
}

const Isotope* ExactIsotope(const IsotopeTable& Isotopes, std::string_view Symbol, int MassNumber) {
    if (const int Heavy = HeavyHydrogen(Symbol, MassNumber, &Isotopes))
        return Isotopes.Find("H", Heavy);
    return MassNumber != 0 ? Isotopes.Find(Symbol, MassNumber) : Isotopes.MostAbundant(Symbol);
}

std::string IsotopeTableBeside(std::string_view ElementTablePath) {
    return FileBeside(ElementTablePath, IsotopeTableName);
}

} // namespace Varnock
