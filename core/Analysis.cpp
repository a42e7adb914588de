#include "core/Analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/FormulaReader.h"
#include "core/RunTimeError.h"
#include "core/TextRules.h"

namespace Varnock {

namespace {

bool IsDigit(char Character) {
    return Character >= '0' && Character <= '9';
}

// Hill order: C first and H next when there is carbon, the rest alphabetical; isotopes after
// their element, lightest first.
bool HillBefore(const CompositionRow& One, const CompositionRow& Other, bool Carbon) {
    const auto Rank = [Carbon](const std::string& Element) {
        return !Carbon ? 2 : Element == "C" ? 0 : Element == "H" ? 1 : 2;
    };
    if (Rank(One.Element) != Rank(Other.Element))
        return Rank(One.Element) < Rank(Other.Element);
    if (One.Element != Other.Element)
        return One.Element < Other.Element;
    return One.MassNumber < Other.MassNumber;
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
        if (Weigh() && Isotopes)
            Exact();
    }

private:
    // D and T stand for 2H and 3H unless the isotope table has them as elements.
    int HeavyHydrogen(const FormulaEntry& Entry) const {
        if (Entry.MassNumber != 0 || (Entry.Symbol != "D" && Entry.Symbol != "T"))
            return 0;
        if (Isotopes && !Isotopes->Of(Entry.Symbol).empty())
            return 0;
        return Entry.Symbol == "D" ? 2 : 3;
    }

    void Compose(const std::vector<FormulaEntry>& Entries) {
        for (const FormulaEntry& Entry : Entries) {
            const int Heavy = HeavyHydrogen(Entry);
            const std::string Element = Heavy ? "H" : Entry.Symbol;
            const int MassNumber = Heavy ? Heavy : Entry.MassNumber;
            auto Row = std::find_if(Rows.begin(), Rows.end(), [&](const CompositionRow& Each) {
                return Each.Element == Element && Each.MassNumber == MassNumber;
            });
            if (Row == Rows.end()) {
                const std::string Label =
                    Heavy || Entry.MassNumber == 0 ? Entry.Symbol : LabelText(Entry);
                Rows.push_back({Label, Element, MassNumber, 0, 0, 0});
                Symbols.push_back(Entry.Symbol);
                Row = Rows.end() - 1;
            }
            Row->Count += Entry.Count.AsDouble();
        }
        const bool Carbon = std::any_of(
            Rows.begin(), Rows.end(), [](const CompositionRow& Row) { return Row.Element == "C"; });
        std::vector<std::size_t> Order(Rows.size());
        for (std::size_t At = 0; At < Order.size(); ++At)
            Order[At] = At;
        std::stable_sort(Order.begin(), Order.end(), [&](std::size_t One, std::size_t Other) {
            return HillBefore(Rows[One], Rows[Other], Carbon);
        });
        for (std::size_t At : Order) {
            Result.Composition.push_back(Rows[At]);
            Typed.push_back(Symbols[At]);
            const CompositionRow& Row = Rows[At];
            Result.Hill += Row.Label;
            if (Row.Count != 1)
                Result.Hill += NumberText(Row.Count, '.');
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
            const Isotope* Main = Row.MassNumber == 0 ? Isotopes->MostAbundant(Row.Element)
                                                      : Isotopes->Find(Row.Element, Row.MassNumber);
            if (!Main) {
                Result.Notices.push_back(
                    "Isotopes: " + Isotopes->Path() + " has no " +
                    (Row.MassNumber == 0 ? "natural isotope of " + Row.Element : Row.Label));
                return;
            }
            Mono += Row.Count * Main->Mass;
            Nominal += Row.Count * Main->MassNumber;
            Whole = Whole && Row.Count == std::floor(Row.Count) && Row.Count < 1e9;
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
            Result.Notices.push_back("Isotope pattern: it needs whole counts");
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

} // namespace

int ChargeOf(std::string_view Formula) {
    // The charge is what follows the first sign or caret of the formula's last run of digits,
    // blanks, signs and carets; digits before it are a count.
    std::size_t Start = Formula.size();
    while (Start > 0) {
        const char Character = Formula[Start - 1];
        if (!IsDigit(Character) && Character != ' ' && Character != '\t' && Character != '\n' &&
            Character != '+' && Character != '-' && Character != '^')
            break;
        --Start;
    }
    const std::size_t First = Formula.find_first_of("^+-", Start);
    if (First == std::string_view::npos)
        return 0;
    int Size = 0, Signs = 0;
    char Sign = 0;
    for (std::size_t At = First; At < Formula.size(); ++At) {
        const char Character = Formula[At];
        if (IsDigit(Character)) {
            Size = Size * 10 + (Character - '0');
        } else if (Character == '+' || Character == '-') {
            Sign = Character;
            ++Signs;
        }
        if (Size > 1000000)
            break;
    }
    const int Magnitude = Size > 0 ? Size : Signs;
    return Sign == '-' ? -Magnitude : Magnitude;
}

FormulaAnalysis Analyse(const TypedFormula& Formula, const ElementWeights& Elements,
                        const IsotopeTable* Isotopes, const AnalysisOptions& Options) {
    FormulaAnalysis Result;
    FormulaReading Reading;
    try {
        Reading = ReadFormula(Formula.Text);
    } catch (const RunTimeError& Error) {
        Result.Notices.push_back(ErrorNumberText(Error.Number()));
        return Result;
    }
    if (Reading.Result != FormulaResult::Read) {
        Result.Notices.push_back(RefusalNotice(Reading, Formula));
        return Result;
    }
    if (Reading.Entries.empty()) {
        Result.Notices.push_back("Formula: there is no element to analyse");
        return Result;
    }
    Result.Read = true;
    Result.Charge = ChargeOf(Formula.Text);
    Analyser(Elements, Isotopes, Options, Result).Run(Reading.Entries);
    return Result;
}

} // namespace Varnock
