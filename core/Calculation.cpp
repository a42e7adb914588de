#include "core/Calculation.h"

#include "core/FormulaParser.h"
#include "core/RunTimeError.h"
#include "core/TextRules.h"

namespace Varnock {

namespace {

const std::string Separator(28, '=');
// Shown for a share when the masses add up to 0 (negative weights in the table).
constexpr std::string_view NoShare = "n/a";

std::string UnreadableMessage(const FormulaCheck& Check) {
    std::string Message = "Formula: character " + std::to_string(Check.Position) + " ";
    if (Check.Code < 32 || Check.Code == 127)
        Message += "(code " + std::to_string(Check.Code) + ")";
    else
        Message += "\"" + std::string(1, static_cast<char>(Check.Code)) + "\"";
    return Message + " can't be read";
}

// A failure of the element table file, told apart from other run-time errors by its message.
struct TableFailure {
    int Number;
};

// Both passes and the totals of one calculation.
class Calculation {
public:
    Calculation(BasVarnock& Table, const ElementTable& Elements, CalculationView& View,
                char DecimalSeparator)
        : Table(Table), Elements(Elements), View(View), DecimalSeparator(DecimalSeparator) {}

    void Run(std::string_view Formula) {
        View.SetReportText("");
        Value Compound = std::string(Formula);
        Entries = GetElements(Table, Compound) - 1;
        LookUp();
        Report();
        Table.Reset(Entries);
        Append(Separator + std::string(LineFeed));
        Append("Total: " + std::string(TabChar) + Text(Total) + std::string(TabChar) + "  " +
               Text(PercentSum) + "%" + std::string(LineFeed));
        View.SetMassText(Text(Total) + " g");
    }

private:
    void LookUp() {
        for (int Index = 1; Index <= Entries; ++Index) {
            Value Weight;
            try {
                Weight = Elements.WeightOfSymbol(Table.ElementSymbol(Index).Text());
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
                View.Notice("Element: " + Table.ElementSymbol(Index).Text() +
                            " Doesn't exist in database");
                continue;
            }
            std::string Share(NoShare);
            if (!Total.IsZero()) {
                Table.ElementPercent(Index) = Mass / Total * Value(100);
                Share = PercentText(Table.ElementPercent(Index).AsDouble(), DecimalSeparator);
                PercentSum += Table.ElementPercent(Index);
            }
            Append(AddSpace(Table.ElementSymbol(Index), 2) + "*" + Text(Table.ElementCount(Index)) +
                   "=" + std::string(TabChar) + Text(Mass) + std::string(TabChar) + "  " + Share +
                   "%  " + std::string(LineFeed));
        }
    }

    void Append(const std::string& Line) { View.SetReportText(View.ReportText() + Line); }
    std::string Text(const Value& Number) const { return Number.Text(DecimalSeparator); }

    BasVarnock& Table;
    const ElementTable& Elements;
    CalculationView& View;
    const char DecimalSeparator;
    int Entries = 0;
    Value Total;
    Value PercentSum;
};

} // namespace

void Calculate(BasVarnock& Table, std::string_view Formula, const ElementTable& Elements,
               CalculationView& View, char DecimalSeparator) {
    // A refused calculation shows neither lines nor a mass, so nothing stale is taken for it.
    const auto Refuse = [&](const std::string& Message) {
        View.SetReportText("");
        View.SetMassText("");
        View.Notice(Message);
    };
    const FormulaCheck Check = CheckFormula(Formula);
    if (!Check.Readable)
        return Refuse(UnreadableMessage(Check));
    if (Check.Entries > EntrySlots)
        return Refuse("Formula: " + std::to_string(Check.Entries) + " elements, at most " +
                      std::to_string(EntrySlots) + " can be calculated");

    Calculation Run(Table, Elements, View, DecimalSeparator);
    try {
        Run.Run(Formula);
    } catch (const TableFailure& Failure) {
        Table.Reset(EntrySlots);
        Refuse(ErrorNumberText(Failure.Number) + " reading " + Elements.Path());
    } catch (const RunTimeError& Error) {
        Table.Reset(EntrySlots);
        Refuse(ErrorNumberText(Error.Number()));
    }
}

} // namespace Varnock
