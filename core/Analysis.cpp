#include "core/Analysis.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/FormulaReader.h"
#include "core/RunTimeError.h"
#include "core/TextRules.h"

namespace Varnock {

namespace {

// Hill order: C first and H next when there is carbon, the rest alphabetical; isotopes after
// their element, lightest first. As a number, with room for a row index below it.
std::uint64_t HillKey(const CompositionRow& Row, bool Carbon) {
    const std::string& Element = Row.Element;
    const std::uint64_t Rank = !Carbon ? 2 : Element == "C" ? 0 : Element == "H" ? 1 : 2;
    const auto Byte = [&](std::size_t At) -> std::uint64_t {
        return At < Element.size() ? static_cast<unsigned char>(Element[At]) : 0;
    };
    return Rank << 56 | Byte(0) << 48 | Byte(1) << 40 |
           static_cast<std::uint64_t>(Row.MassNumber & 0xFFFFFF) << 16;
}

// A count in the Hill formula: whole counts without the general number text's cost.
std::string CountText(double Count) {
    if (Count == std::floor(Count) && Count < 1e15) {
        char Digits[24];
        return std::string(
            Digits,
            std::to_chars(Digits, Digits + sizeof Digits, static_cast<long long>(Count)).ptr);
    }
    return NumberText(Count, '.');
}

std::string ChargeText(int Charge) {
    const std::string Size = std::abs(Charge) == 1 ? "" : std::to_string(std::abs(Charge));
    return "^" + Size + (Charge > 0 ? "+" : "-");
}

class Analyser {
public:
    Analyser(const ElementWeights& Elements, const IsotopeTable* Isotopes,
             const AnalysisOptions& Options, FormulaAnalysis& Result)
        : Elements(Elements), Isotopes(Isotopes), Options(Options), Result(Result) {}

    void Run(const std::vector<FormulaEntry>& Entries) {
        Compose(Entries);
        // An element the table lacks has no isotopes to speak of either: one notice is enough.
        if ((!Options.Shares || Weigh()) && Isotopes)
            Exact();
    }

private:
    void Compose(const std::vector<FormulaEntry>& Entries) {
        Rows.reserve(Entries.size());
        Symbols.reserve(Entries.size());
        for (const FormulaEntry& Entry : Entries) {
            const int Heavy = HeavyHydrogen(Entry.Symbol, Entry.MassNumber, Isotopes);
            const std::string_view Element = Heavy ? std::string_view("H") : Entry.Symbol;
            const int MassNumber = Heavy ? Heavy : Entry.MassNumber;
            auto Row = std::find_if(Rows.begin(), Rows.end(), [&](const CompositionRow& Each) {
                return Each.Element == Element && Each.MassNumber == MassNumber;
            });
            if (Row == Rows.end()) {
                Rows.push_back({Heavy || Entry.MassNumber == 0 ? Entry.Symbol : LabelText(Entry),
                                std::string(Element), MassNumber, 0, 0, 0});
                Symbols.push_back(Entry.Symbol);
                Row = Rows.end() - 1;
            }
            Row->Count += Entry.Count.AsDouble();
        }
        const bool Carbon = std::any_of(
            Rows.begin(), Rows.end(), [](const CompositionRow& Row) { return Row.Element == "C"; });
        // Each element and mass number has one row, so no two rows tie. The rows are sorted by
        // a key of rank, symbol (a byte or two, as the reader makes them), mass number and row.
        std::vector<std::uint64_t> Order(Rows.size());
        for (std::size_t At = 0; At < Order.size(); ++At)
            Order[At] = HillKey(Rows[At], Carbon) | At;
        std::sort(Order.begin(), Order.end());
        Result.Composition.reserve(Rows.size());
        Typed.reserve(Rows.size());
        for (const std::uint64_t Key : Order) {
            const std::size_t At = Key & 0xFFFF;
            CompositionRow& Row = Rows[At];
            Result.Hill += Row.Label;
            if (Row.Count != 1)
                Result.Hill += CountText(Row.Count);
            Result.Composition.push_back(std::move(Row));
            Typed.push_back(std::move(Symbols[At]));
        }
        if (Result.Charge != 0)
            Result.Hill += ChargeText(Result.Charge);
    }

    // The molar mass and the shares, from the element table as the calculation weighs; false
    // when an element is missing.
    bool Weigh() {
        double Total = 0;
        bool Complete = true;
        for (std::size_t At = 0; At < Result.Composition.size(); ++At) {
            CompositionRow& Row = Result.Composition[At];
            Value Weight;
            try {
                Weight = Row.MassNumber != 0 && Typed[At] != "D" && Typed[At] != "T"
                             ? Elements.WeightOfIsotope(Row.Element, Row.MassNumber)
                             : Elements.WeightOfSymbol(Typed[At]);
            } catch (const RunTimeError& Error) {
                Result.Notices.push_back(ErrorNumberText(Error.Number()) + " reading " +
                                         Elements.Path());
                Complete = false;
                continue;
            }
            if (Weight.IsZero()) {
                Result.Notices.push_back("Element: " + Row.Label + " Doesn't exist in database");
                Complete = false;
                continue;
            }
            Row.Mass = Row.Count * Weight.AsDouble();
            Total += Row.Mass;
        }
        if (!Complete)
            return false;
        if (Total != 0) {
            Result.MolarMass = Total;
            for (CompositionRow& Row : Result.Composition)
                Row.Percent = Row.Mass / Total * 100;
        }
        return true;
    }

    // Monoisotopic and nominal mass, m/z and the pattern, from the isotope table.
    void Exact() {
        double Mono = 0;
        double Nominal = 0;
        bool Whole = true;
        std::vector<PatternAtoms> Atoms;
        for (const CompositionRow& Row : Result.Composition) {
            const Isotope* Main = ExactIsotope(*Isotopes, Row.Element, Row.MassNumber);
            if (!Main) {
                Result.Notices.push_back(
                    "Isotopes: " + Isotopes->Path() + " has no " +
                    (Row.MassNumber == 0 ? "natural isotope of " + Row.Element : Row.Label));
                return;
            }
            Mono += Row.Count * Main->Mass;
            Nominal += Row.Count * Main->MassNumber;
            Whole = Whole && Row.Count == std::floor(Row.Count) && Row.Count < 1e9;
            if (!Options.Pattern)
                continue;
            PatternAtoms Element;
            if (Row.MassNumber == 0) {
                for (const Isotope& Each : Isotopes->Of(Row.Element))
                    if (Each.Abundance > 0)
                        Element.Isotopes.push_back(Each);
            } else {
                Element.Isotopes.push_back({Main->MassNumber, Main->Mass, 1});
            }
            Element.Count = static_cast<long long>(Row.Count);
            Atoms.push_back(std::move(Element));
        }
        Result.Monoisotopic = Mono;
        if (Whole)
            Result.Nominal = static_cast<long long>(std::llround(Nominal));
        const int Z = Result.Charge;
        const auto ToCharge = [Z](double Mass) {
            return Z == 0 ? Mass : (Mass - Z * ElectronMass) / std::abs(Z);
        };
        if (Z != 0)
            Result.MassToCharge = ToCharge(Mono);
        if (!Options.Pattern)
            return;
        if (!Whole) {
            // The masses stand; only the pattern can't be given.
            Result.Notes.push_back("Isotope pattern: it needs whole counts");
            return;
        }
        if (Options.Resolution > 0 && !HasFineStructure()) {
            Result.Notices.push_back("Isotope pattern: this build has no fine structure");
            return;
        }
        const std::vector<Peak> Peaks =
            Options.Resolution > 0
                ? FineStructurePattern(Atoms, Options.Resolution, Options.Ppm, Options.Cut)
                : UnitResolutionPattern(Atoms, Options.Cut);
        double Highest = 0;
        for (const Peak& Each : Peaks)
            Highest = std::max(Highest, Each.Probability);
        for (const Peak& Each : Peaks)
            Result.Pattern.push_back({ToCharge(Each.Mass), Each.Probability / Highest * 100});
    }

    const ElementWeights& Elements;
    const IsotopeTable* Isotopes;
    const AnalysisOptions& Options;
    FormulaAnalysis& Result;
    std::vector<CompositionRow> Rows;
    std::vector<std::string> Symbols; // as typed, per row of Rows
    std::vector<std::string> Typed;   // as typed, per row of the composition
};

IonAnalysis AnalyseIon(const std::vector<FormulaEntry>& Molecule, const FormulaAnalysis& Of,
                       const NamedAdduct& Asked, const ElementWeights& Elements,
                       const IsotopeTable* Isotopes, const AnalysisOptions& Options) {
    IonAnalysis Made{Asked.Name, {}};
    FormulaAnalysis& Ion = Made.Ion;
    const Adduct& Adding = Asked.Ion;
    const auto Head = [&Asked] { return "Adduct " + Asked.Name + ": "; };
    if (Of.Charge != 0) {
        Ion.Notices.push_back(Head() + "the formula is charged already; give it neutral");
        return Made;
    }
    if (Options.IonMassToChargeOnly) {
        if (const auto Lacking = LackingEntry(Adding, Molecule)) {
            Ion.Notices.push_back(LackingNotice(Adding, *Lacking));
            return Made;
        }
        Ion.Read = true;
        Ion.Charge = Adding.Charge;
        if (const auto Shift = AdductShift(Adding, *Isotopes))
            Ion.MassToCharge = AdductMassToCharge(Adding, *Of.Monoisotopic, *Shift);
        else
            Ion.Notices.push_back(Head() + "Isotopes: " + Isotopes->Path() +
                                  " lacks an isotope it adds or removes");
        return Made;
    }
    const IonFormula Formed = FormIon(Adding, Molecule);
    if (Formed.Lacking) {
        Ion.Notices.push_back(LackingNotice(Adding, *Formed.Lacking));
        return Made;
    }
    Ion.Read = true;
    Ion.Charge = Adding.Charge;
    // The molar mass of the molecule is the formula's; an ion's shares tell nothing more.
    AnalysisOptions OfIon;
    OfIon.Pattern = Options.Pattern;
    OfIon.Shares = false;
    OfIon.Resolution = Options.Resolution;
    OfIon.Ppm = Options.Ppm;
    OfIon.Cut = Options.Cut;
    Analyser(Elements, Isotopes, OfIon, Ion).Run(Formed.Entries);
    for (std::string& Notice : Ion.Notices)
        Notice.insert(0, Head());
    return Made;
}

} // namespace

FormulaAnalysis Analyse(const TypedFormula& Formula, const ElementWeights& Elements,
                        const IsotopeTable* Isotopes, const AnalysisOptions& Options) {
    FormulaReading Reading;
    try {
        Reading = ReadFormula(Formula.Text);
    } catch (const RunTimeError& Error) {
        FormulaAnalysis Result;
        Result.Notices.push_back(ErrorNumberText(Error.Number()));
        return Result;
    }
    return Analyse(Formula, Reading, Elements, Isotopes, Options);
}

FormulaAnalysis Analyse(const TypedFormula& Formula, const FormulaReading& Reading,
                        const ElementWeights& Elements, const IsotopeTable* Isotopes,
                        const AnalysisOptions& Options) {
    FormulaAnalysis Result;
    if (Reading.Result != FormulaResult::Read) {
        Result.Notices.push_back(RefusalNotice(Reading, Formula));
        return Result;
    }
    if (Reading.Entries.empty()) {
        Result.Notices.push_back("Formula: there is no element to analyse");
        return Result;
    }
    Result.Read = true;
    Result.Charge = Reading.Charge;
    // As after a calculation: how the formula was read, where another reading was possible.
    Result.Notes = ReadingNotes(Reading, Formula);
    Analyser(Elements, Isotopes, Options, Result).Run(Reading.Entries);
    // Without the molecule's exact mass its notices say why there are no ions either.
    for (const NamedAdduct& Asked : Options.Adducts)
        if (Result.Monoisotopic)
            Result.Ions.push_back(
                AnalyseIon(Reading.Entries, Result, Asked, Elements, Isotopes, Options));
    return Result;
}

} // namespace Varnock
