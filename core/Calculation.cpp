#include "core/Calculation.h"

#include <set>

#include "core/FormulaReader.h"
#include "core/RunTimeError.h"
#include "core/SystemServices.h"
#include "core/TextRules.h"

namespace Varnock {

namespace {

const std::string Separator(28, '=');
// Shown for a share when the masses add up to 0 (negative weights in the table).
constexpr std::string_view NoShare = "n/a";

// A failure of the element table file, told apart from other run-time errors by its message.
struct TableFailure {
    int Number;
};

// Both passes and the totals of one calculation.
class Calculation {
public:
    Calculation(BasVarnock& Table, const ElementWeights& Elements, CalculationView& View,
                char DecimalSeparator)
        : Table(Table), Elements(Elements), View(View), DecimalSeparator(DecimalSeparator) {}

    void Run(const std::vector<FormulaEntry>& Read) {
        View.ClearReport();
        Entries = static_cast<int>(Read.size());
        ReadEntries = Read.data();
        for (int Index = 1; Index <= Entries; ++Index) {
            const FormulaEntry& Entry = Read[static_cast<std::size_t>(Index - 1)];
            // A labelled isotope shows as it was typed, [13C], and weighs its exact mass.
            Table.ElementSymbol(Index) = Entry.MassNumber == 0 ? Entry.Symbol : LabelText(Entry);
            Table.ElementCount(Index) = Entry.Count;
        }
        LookUp();
        Report();
        Table.Reset(Entries);
        if (View.ShowsReport()) {
            Append(Separator + std::string(LineFeed));
            // Marked where elements are missing, so that it is not taken for the formula's mass.
            Append("Total: " + std::string(TabChar) + Text(Total) + std::string(TabChar) + "  " +
                   Text(PercentSum) + "%" + (Missing.empty() ? "" : "  (without " + Missing + ")") +
                   std::string(LineFeed));
        }
        View.SetMassText(Missing.empty() ? ToUtf8(Text(Total) + std::string(MassUnit)) : "");
    }

private:
    void LookUp() {
        for (int Index = 1; Index <= Entries; ++Index) {
            Value Weight;
            try {
                // The element's own symbol, not the label the report shows.
                const FormulaEntry& Entry = ReadEntries[Index - 1];
                Weight = Entry.MassNumber == 0
                             ? Elements.WeightOfSymbol(Entry.Symbol)
                             : Elements.WeightOfIsotope(Entry.Symbol, Entry.MassNumber);
            } catch (const RunTimeError& Error) {
                throw TableFailure{Error.Number()};
            }
            if (!Weight.IsEmpty())
                Table.ElementMass(Index) = Table.ElementCount(Index) * Weight;
            Total += Table.ElementMass(Index);
        }
    }

    void Report() {
        for (int Index = 1; Index <= Entries; ++Index) {
            const Value& Mass = Table.ElementMass(Index);
            if (Mass.IsZero()) {
                const std::string Symbol = Table.ElementSymbol(Index).Text();
                View.Notice("Element: " + ToUtf8(Symbol) + " Doesn't exist in database");
                if (!Told.contains(Symbol)) {
                    Told.insert(Symbol);
                    Missing += (Missing.empty() ? "" : ", ") + Symbol;
                }
                continue;
            }
            if (!Total.IsZero()) {
                Table.ElementPercent(Index) = Mass / Total * Value(100);
                PercentSum += Table.ElementPercent(Index);
            }
            if (View.ShowsReport())
                Append(EntryLine(Index));
        }
    }

    std::string EntryLine(int Index) const {
        const std::string Share =
            Total.IsZero() ? std::string(NoShare)
                           : PercentText(Table.ElementPercent(Index).AsDouble(), DecimalSeparator);
        return AddSpace(Table.ElementSymbol(Index), 2) + "*" + Text(Table.ElementCount(Index)) +
               "=" + std::string(TabChar) + Text(Table.ElementMass(Index)) + std::string(TabChar) +
               "  " + Share + "%  " + std::string(LineFeed);
    }

    void Append(const std::string& Line) { View.AppendReport(ToUtf8(Line)); }
    std::string Text(const Value& Number) const { return Number.Text(DecimalSeparator); }

    BasVarnock& Table;
    const ElementWeights& Elements;
    CalculationView& View;
    const char DecimalSeparator;
    int Entries = 0;
    const FormulaEntry* ReadEntries = nullptr; // as read, one per slot used
    Value Total;
    Value PercentSum;
    std::string Missing; // the symbols the table lacks, as the report names them
    std::set<std::string> Told;
};

} // namespace

namespace {

// A refused calculation shows neither lines nor a mass, so nothing stale is taken for it.
void Refuse(CalculationView& View, const std::string& Message) {
    View.ClearReport();
    View.SetMassText("");
    View.Notice(Message);
}

// Runs Calculate's steps, refusing what fails in them.
template <typename Steps>
void Guarded(BasVarnock& Table, const ElementWeights& Elements, CalculationView& View,
             Steps&& Run) {
    try {
        Run();
    } catch (const TableFailure& Failure) {
        Table.Reset(EntrySlots);
        Refuse(View, ErrorNumberText(Failure.Number) + " reading " + Elements.Path());
    } catch (const RunTimeError& Error) {
        Table.Reset(EntrySlots);
        Refuse(View, ErrorNumberText(Error.Number()));
    }
}

void CalculateRead(BasVarnock& Table, const TypedFormula& Formula, const FormulaReading& Reading,
                   const ElementWeights& Elements, CalculationView& View, char DecimalSeparator) {
    if (Reading.Result != FormulaResult::Read)
        return Refuse(View, RefusalNotice(Reading, Formula));
    if (Reading.Entries.size() > EntrySlots)
        return Refuse(View, "Formula: " + std::to_string(Reading.Entries.size()) +
                                " elements, at most " + std::to_string(EntrySlots) +
                                " can be calculated");
    Calculation(Table, Elements, View, DecimalSeparator).Run(Reading.Entries);
    for (const std::string& Note : ReadingNotes(Reading, Formula))
        View.ReadingNote(Note);
}

} // namespace

void Calculate(BasVarnock& Table, const TypedFormula& Formula, const ElementWeights& Elements,
               CalculationView& View, char DecimalSeparator) {
    Guarded(Table, Elements, View, [&] {
        CalculateRead(Table, Formula, ReadFormula(Formula.Text), Elements, View, DecimalSeparator);
    });
}

void Calculate(BasVarnock& Table, const TypedFormula& Formula, const FormulaReading& Reading,
               const ElementWeights& Elements, CalculationView& View, char DecimalSeparator) {
    Guarded(Table, Elements, View,
            [&] { CalculateRead(Table, Formula, Reading, Elements, View, DecimalSeparator); });
}

void Calculate(BasVarnock& Table, std::string_view Formula, const ElementWeights& Elements,
               CalculationView& View, char DecimalSeparator) {
    Calculate(Table, FromCodePage(Formula), Elements, View, DecimalSeparator);
}

} // namespace Varnock
