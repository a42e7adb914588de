// Formula bytes through the strict GetElements, the formula reader and a whole calculation
// against the shipped element table. Besides the sanitizers' findings it aborts when the
// calculation breaks one of its promises: no refusal ever carries a mass or a line; a formula
// without groups, separators, multipliers, charges, counts below 1 or blanks that separate
// reads as GetElements reads it; every formula a notice proposes reads; the entry table is reset
// afterwards; no more than 30 entries are ever stored; every entry gives either its report line or
// its notice, in formula order; the total is the sum of the line masses.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "core/Calculation.h"
#include "core/FormulaParser.h"
#include "core/FormulaReader.h"
#include "core/IsotopeTable.h"
#include "core/RunTimeError.h"
#include "core/SystemServices.h"
#include "core/TextRules.h"
#include "fuzz/FuzzCheck.h"
#include "tests/support/ProposedSpellings.h"
#include "tests/support/RecordingView.h"

namespace {

using namespace Varnock;
using Varnock::Fuzzing::Fail;
using Varnock::Fuzzing::Quoted;
using Varnock::Fuzzing::Require;

const std::string Separator(28, '=');
constexpr std::string_view LineEnd = "\r\n";

using Testing::RecordingView;
using Testing::ViewEvent;

// The recording view, checking that the report comes one whole line at a time.
class LineByLineView : public RecordingView {
public:
    void AppendReport(const std::string& Line) override {
        Require(Line.ends_with(LineEnd) && Line.find(LineEnd) == Line.size() - LineEnd.size(),
                [&] { return "report handed over not as one line: " + Quoted(Line); });
        RecordingView::AppendReport(Line);
    }
};

// What the calculation wrote, in order: each appended line (without its line end) or notice.
struct Written {
    bool IsNotice;
    std::string Text;
};

std::vector<Written> LinesAndNotices(const RecordingView& View) {
    std::vector<Written> Result;
    std::string Before;
    for (const ViewEvent& Event : View.Events) {
        if (Event.What == ViewEvent::Notice)
            Result.push_back({true, Event.Text});
        if (Event.What != ViewEvent::Report)
            continue;
        if (!Event.Text.empty())
            Result.push_back(
                {false, Event.Text.substr(Before.size(),
                                          Event.Text.size() - Before.size() - LineEnd.size())});
        Before = Event.Text;
    }
    return Result;
}

long MassWrites(const RecordingView& View) {
    return std::count_if(View.Events.begin(), View.Events.end(),
                         [](const ViewEvent& Event) { return Event.What == ViewEvent::Mass; });
}

// The shipped tables as the calculation must see them: the last record of a symbol wins; a
// labelled isotope, "[13C]", weighs its exact mass, and D and T those of 2H and 3H when the
// element table has no rows of their own.
const std::map<std::string, double>& ShippedWeights() {
    static const std::map<std::string, double> Weights = [] {
        std::map<std::string, double> Read;
        ElementTable(VARNOCK_ELEMENTS_DAT).ListAll([&](const ElementRecord& Record) {
            Read[Record.Symbol.Text()] = Record.AtomicWeight.AsDouble();
        });
        const IsotopeTable Isotopes(IsotopeTableBeside(VARNOCK_ELEMENTS_DAT));
        for (const auto& [Symbol, Weight] : std::map<std::string, double>(Read))
            for (const Isotope& Each : Isotopes.Of(Symbol))
                Read["[" + std::to_string(Each.MassNumber) + Symbol + "]"] = Each.Mass;
        for (const auto& [Symbol, MassNumber] : {std::pair<std::string, int>{"D", 2}, {"T", 3}})
            if (!Read.contains(Symbol))
                Read[Symbol] = Isotopes.Find("H", MassNumber)->Mass;
        return Read;
    }();
    return Weights;
}

double ReadNumber(std::string Text, char DecimalSeparator, const std::string& Line) {
    for (char& Character : Text)
        if (Character == DecimalSeparator)
            Character = '.';
    char* End = nullptr;
    const double Number = std::strtod(Text.c_str(), &End);
    Require(!Text.empty() && *End == '\0',
            [&] { return "not a number: " + Quoted(Text) + " in " + Quoted(Line); });
    return Number;
}

bool Close(double Left, double Right, double Relative) {
    return std::fabs(Left - Right) <= Relative * std::max(std::fabs(Left), std::fabs(Right));
}

bool SlotIsClear(const BasVarnock& Table, int Index) {
    const Value Zero(0);
    const bool Fresh = Table.ElementSymbol(Index).IsEmpty() &&
                       Table.ElementCount(Index).IsEmpty() && Table.ElementMass(Index).IsEmpty() &&
                       Table.ElementPercent(Index).IsEmpty();
    const bool Reset = Table.ElementSymbol(Index) == Value("") &&
                       Table.ElementCount(Index) == Zero && Table.ElementMass(Index) == Zero &&
                       Table.ElementPercent(Index) == Zero;
    return Fresh || Reset;
}

// One entry as the rules give it, found here from the bytes alone.
struct Entry {
    std::string Symbol;
    Value Count;
};

// GetElements on a fresh table: it stores one entry per entry-starting byte, in order, or
// refuses with error 9 when they would not fit in 30 slots.
std::vector<Entry> CheckGetElements(const std::string& Formula) {
    std::vector<std::size_t> Starts;
    for (std::size_t At = 0; At < Formula.size(); ++At) {
        const auto Code = static_cast<unsigned char>(Formula[At]);
        if (Code >= 65 && UpperCase(Code) == Code)
            Starts.push_back(At);
    }
    BasVarnock Fresh;
    Value Compound = Formula;
    int Result = 0;
    try {
        Result = GetElements(Fresh, Compound);
    } catch (const RunTimeError& Error) {
        Require(Error.Number() == ErrSubscriptOutOfRange && Starts.size() > EntrySlots, [&] {
            return "GetElements raised " + std::to_string(Error.Number()) + " for " +
                   std::to_string(Starts.size()) + " entries";
        });
        return {};
    }
    Require(Starts.size() <= EntrySlots && Result == static_cast<int>(Starts.size()) + 1, [&] {
        return "GetElements returned " + std::to_string(Result) + " for " +
               std::to_string(Starts.size()) + " entries";
    });
    Require(Compound == Value(Formula + " "), [] { return "the argument lacks its space"; });

    const std::string Text = Formula + " ";
    std::vector<Entry> Entries;
    for (int Index = 1; Index <= EntrySlots; ++Index) {
        if (Index >= Result) {
            Require(SlotIsClear(Fresh, Index), [&] {
                return "slot " + std::to_string(Index) + " written past the last entry";
            });
            continue;
        }
        const std::size_t At = Starts[static_cast<std::size_t>(Index - 1)];
        const auto Next = static_cast<unsigned char>(Text[At + 1]);
        const std::size_t Length = Next >= 65 && UpperCase(Next) != Next ? 2 : 1;
        const Value Symbol = Fresh.ElementSymbol(Index);
        const Value Count = Fresh.ElementCount(Index);
        Require(Symbol == Value(Text.substr(At, Length)), [&] {
            return "entry " + std::to_string(Index) + " has symbol " + Quoted(Symbol.Text());
        });
        Require(Count == Value(1) || (Count.IsDouble() && Count.AsDouble() > 1), [&] {
            return "entry " + std::to_string(Index) + " has count " + Quoted(Count.Text());
        });
        Entries.push_back({Symbol.Text(), Count});
    }
    return Entries;
}

void CheckRefused(const RecordingView& View, const std::string& Expected, bool Exact) {
    const std::vector<Written> Events = LinesAndNotices(View);
    Require(View.Report.empty() && View.Mass.empty() && MassWrites(View) == 1, [&] {
        return "refused, yet report " + Quoted(View.Report) + " and mass " + Quoted(View.Mass);
    });
    Require(!Events.empty() && Events.back().IsNotice,
            [] { return std::string("refused without a notice"); });
    const std::string& Notice = Events.back().Text;
    Require(Exact ? Notice == Expected : Notice.starts_with(Expected),
            [&] { return "refused with " + Quoted(Notice) + ", expected " + Quoted(Expected); });
    if (Exact)
        Require(Events.size() == 1, [] { return std::string("more than the one notice"); });
}

// HowRead: the notes of how the formula was read, which end the events.
void CheckReport(const RecordingView& View, const std::vector<Entry>& Entries, char Decimal,
                 const std::vector<std::string>& HowRead) {
    std::vector<Written> Events = LinesAndNotices(View);
    Require(View.Notes == HowRead &&
                (HowRead.empty() || View.Events.back().What == ViewEvent::Note),
            [&] {
                return "notes of how it was read not told last: " + std::to_string(HowRead.size());
            });
    const auto& Weights = ShippedWeights();
    const std::size_t Expected = Entries.size() + 2;
    Require(Events.size() == Expected, [&] {
        return std::to_string(Events.size()) + " lines and notices for " +
               std::to_string(Entries.size()) + " entries";
    });
    double LineSum = 0, LargestLine = 0;
    std::vector<std::pair<double, std::string>> Shares;
    std::string Missing; // as the total line names them, each once
    std::vector<std::string> Named;
    for (std::size_t Index = 0; Index < Entries.size(); ++Index) {
        const Entry& Item = Entries[Index];
        const Written& Event = Events[Index];
        const auto Found = Weights.find(Item.Symbol);
        if (Found == Weights.end() || Found->second == 0) {
            Require(
                Event.IsNotice &&
                    Event.Text == "Element: " + ToUtf8(Item.Symbol) + " Doesn't exist in database",
                [&] { return "missing " + Quoted(Item.Symbol) + " gave " + Quoted(Event.Text); });
            if (std::find(Named.begin(), Named.end(), Item.Symbol) == Named.end()) {
                Named.push_back(Item.Symbol);
                Missing += (Missing.empty() ? "" : ", ") + ToUtf8(Item.Symbol);
            }
            continue;
        }
        // Symbol right-aligned in 2, "*", count, "=", tab, mass, tab, two spaces, share "%  ".
        const std::string Mass = NumberText(Item.Count.AsDouble() * Found->second, Decimal);
        const std::string Head = ToUtf8(AddSpace(Value(Item.Symbol), 2) + "*" +
                                        Item.Count.Text(Decimal) + "=\t" + Mass + "\t  ");
        Require(!Event.IsNotice && Event.Text.starts_with(Head) && Event.Text.ends_with("%  "),
                [&] { return "entry line " + Quoted(Event.Text) + ", expected " + Quoted(Head); });
        const double LineMass = ReadNumber(Mass, Decimal, Event.Text);
        LineSum += LineMass;
        LargestLine = std::max(LargestLine, LineMass);
        Shares.emplace_back(LineMass,
                            Event.Text.substr(Head.size(), Event.Text.size() - Head.size() - 3));
    }

    const Written& SeparatorLine = Events[Entries.size()];
    const Written& TotalLine = Events[Entries.size() + 1];
    Require(!SeparatorLine.IsNotice && SeparatorLine.Text == Separator,
            [&] { return "separator " + Quoted(SeparatorLine.Text); });
    // Where an element is missing, the total line names it, and there is no mass.
    const std::string Without = Missing.empty() ? "" : "  (without " + Missing + ")";
    const auto Tab = TotalLine.Text.find('\t', 8);
    Require(!TotalLine.IsNotice && TotalLine.Text.starts_with("Total: \t") &&
                Tab != std::string::npos && TotalLine.Text.compare(Tab, 3, "\t  ") == 0 &&
                TotalLine.Text.ends_with("%" + Without),
            [&] { return "total line " + Quoted(TotalLine.Text); });
    const std::string TotalText = TotalLine.Text.substr(8, Tab - 8);
    const std::string PercentSumText =
        TotalLine.Text.substr(Tab + 3, TotalLine.Text.size() - Tab - 4 - Without.size());
    Require(View.Mass == (Missing.empty() ? TotalText + " g" : "") && MassWrites(View) == 1,
            [&] { return "mass " + Quoted(View.Mass) + " beside total " + Quoted(TotalText); });

    if (Entries.empty()) {
        Require(TotalText.empty() && PercentSumText.empty(),
                [&] { return "no entries, yet " + Quoted(TotalLine.Text); });
        return;
    }
    const double Total = ReadNumber(TotalText, Decimal, TotalLine.Text);
    // Every text carries 15 significant digits; the sum of the rounded line masses may differ
    // from the rounded sum in the last digits.
    Require(Close(Total, LineSum, 1e-12), [&] {
        return "total " + TotalText + " is not the sum of the line masses " +
               NumberText(LineSum, Decimal);
    });
    if (Shares.empty()) {
        Require(PercentSumText.empty(), [&] { return "shares without lines: " + TotalLine.Text; });
        return;
    }
    const double PercentSum = ReadNumber(PercentSumText, Decimal, TotalLine.Text);
    Require(Close(PercentSum, 100, 1e-9), [&] { return "shares add up to " + PercentSumText; });
    for (const auto& Line : Shares) {
        const double LineMass = Line.first;
        const std::string& Share = Line.second;
        // "##.##": the share rounded to hundredths, no integer digit when it is below 1.
        std::string Digits = Share;
        if (Digits.size() > 0 && Digits.front() == Decimal)
            Digits.insert(0, "0");
        if (Digits.size() > 0 && Digits.back() == Decimal)
            Digits += "0";
        const double Shown = ReadNumber(Digits, Decimal, Share);
        Require(std::fabs(Shown - LineMass / Total * 100) <= 0.005 + 1e-9,
                [&] { return "share " + Quoted(Share) + " of mass " + NumberText(LineMass, '.'); });
    }
}

// A formula in none of the reader's own notations: no group, separator, charge or
// multiplier, every point between digits with no blank beside it and not read as a separator,
// no blank between digits, and no count that starts with 0 (0, or below 1).
bool Plain(const std::string& Formula, const FormulaReading& Reading) {
    const auto Blank = [](char Character) {
        return Character == ' ' || Character == '\t' || Character == '\n';
    };
    const auto Digit = [](char Character) { return Character >= '0' && Character <= '9'; };
    // The nearest character that is not blank, or 0 past either end.
    const auto Near = [&](std::size_t At, int Step) {
        for (auto Next = static_cast<long>(At) + Step;
             Next >= 0 && Next < static_cast<long>(Formula.size()); Next += Step)
            if (!Blank(Formula[static_cast<std::size_t>(Next)]))
                return Formula[static_cast<std::size_t>(Next)];
        return '\0';
    };
    const std::size_t First = Formula.find_first_not_of(" \t\n");
    if (First != std::string::npos && static_cast<unsigned char>(Formula[First]) < 65)
        return false;
    for (std::size_t At = 0; At < Formula.size(); ++At) {
        const char Character = Formula[At];
        const auto Code = static_cast<unsigned char>(Character);
        if (std::string_view("()[]{}*^+-").find(Character) != std::string_view::npos ||
            Code == MiddleDot || Code == Bullet)
            return false;
        if (Character == '.' && !(At > 0 && Digit(Formula[At - 1]) && At + 1 < Formula.size() &&
                                  Digit(Formula[At + 1])))
            return false;
        if (Digit(Character) && At > 0 && Blank(Formula[At - 1]) && Digit(Near(At, -1)))
            return false;
        if (Character == '0' && !Digit(Near(At, -1)))
            return false;
    }
    return Reading.SplitPoints.empty();
}

// Every formula a notice proposes reads.
void CheckSpellings(const std::string& Formula, const std::string& Notice) {
    for (const std::string& Spelling : Testing::ProposedSpellings(Notice))
        Require(ReadFormula(ReadTyped(Spelling).Text).Result == FormulaResult::Read, [&] {
            return "the notice for " + Quoted(Formula) + " proposes " + Quoted(Spelling) +
                   ", which is refused";
        });
}

BasVarnock& ProgramTable() {
    static BasVarnock Table; // kept from input to input, as the program keeps it
    return Table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Formula(reinterpret_cast<const char*>(Data), Size);
    // Odd lengths use the decimal comma, so both separators see every kind of formula.
    const char Decimal = Size % 2 ? ',' : '.';

    const std::vector<Entry> Strict = CheckGetElements(Formula);
    FormulaReading Reading;
    try {
        Reading = ReadFormula(Formula);
    } catch (const RunTimeError& Error) {
        // Only multiplying counts out may fail, and only past the largest double.
        Require(Error.Number() == ErrOverflow,
                [&] { return "the reader raised " + std::to_string(Error.Number()); });
        Reading.Result = FormulaResult::Unreadable;
        Reading.Position = Size;
    }
    const bool Read = Reading.Result == FormulaResult::Read;
    Require(Read || Reading.Position <= Size,
            [&] { return "refusal at byte " + std::to_string(Reading.Position); });
    std::vector<Entry> Entries;
    for (const FormulaEntry& Item : Reading.Entries) {
        Require(Item.Count == Value(1) || (Item.Count.IsDouble() && Item.Count.AsDouble() > 0),
                [&] { return "count " + Quoted(Item.Count.Text()) + " of " + Quoted(Formula); });
        Entries.push_back({Item.MassNumber ? LabelText(Item) : Item.Symbol, Item.Count});
    }

    if (Read && Plain(Formula, Reading) && Strict.size() == Entries.size() && !Strict.empty())
        for (std::size_t Index = 0; Index < Entries.size(); ++Index)
            Require(
                Strict[Index].Symbol == Entries[Index].Symbol &&
                    Strict[Index].Count.Text() == Entries[Index].Count.Text(),
                [&] { return "plain formula read otherwise than strictly: " + Quoted(Formula); });
    if (Read && Plain(Formula, Reading) && Entries.size() <= EntrySlots)
        Require(Strict.size() == Entries.size(), [&] {
            return "plain formula gives " + std::to_string(Entries.size()) + " entries, " +
                   std::to_string(Strict.size()) + " strictly: " + Quoted(Formula);
        });

    // Where the formula survives the way to UTF-8 and back, what its notice proposes reads.
    const TypedFormula Typed = FromCodePage(Formula);
    if ((Read || Reading.Position < Size) && ReadTyped(Typed.Typed).Text == Formula)
        for (const std::string& Notice :
             Read ? ReadingNotes(Reading, Typed) : std::vector{RefusalNotice(Reading, Typed)})
            CheckSpellings(Formula, Notice);

    static const ElementTable Elements(VARNOCK_ELEMENTS_DAT);
    LineByLineView View;
    Calculate(ProgramTable(), Formula, Elements, View, Decimal);

    for (int Index = 1; Index <= EntrySlots; ++Index)
        Require(SlotIsClear(ProgramTable(), Index), [&] {
            return "slot " + std::to_string(Index) + " left set by " + Quoted(Formula);
        });

    if (!Read && Reading.Position < Size) {
        CheckRefused(View, "Formula: character " + std::to_string(Reading.Position + 1) + " ",
                     false);
        return 0;
    }
    if (Entries.size() > EntrySlots) {
        CheckRefused(View,
                     "Formula: " + std::to_string(Entries.size()) +
                         " elements, at most 30 can be calculated",
                     true);
        return 0;
    }
    if (View.Mass.empty() && View.Report.empty()) {
        // Only an overflow may stop a readable formula of the shipped table: a count so large
        // that count times weight, or the sum, leaves the doubles.
        CheckRefused(View, "Error number 6 occured", false);
        double Largest = 0;
        for (const Entry& Item : Entries)
            Largest = std::max(Largest, Item.Count.AsDouble());
        Require(!Read || Largest > 1e300, [&] { return "overflow refused " + Quoted(Formula); });
        return 0;
    }
    Require(Read, [&] { return "a mass for a formula the reader refused: " + Quoted(Formula); });
    CheckReport(View, Entries, Decimal, ReadingNotes(Reading, FromCodePage(Formula)));
    return 0;
}
