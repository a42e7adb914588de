#include "core/FormulaSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numeric>

#include "core/AdductTable.h"
#include "core/Characters.h"
#include "core/IsotopePattern.h"
#include "core/RunTimeError.h"
#include "core/SystemServices.h"
#include "core/TypedFormula.h"

namespace Varnock {

namespace {

bool IsSeparator(char Character) {
    return Character == ' ' || Character == '\t' || Character == ',';
}

std::string Shown(char Character) {
    const auto Code = static_cast<unsigned char>(Character);
    if (Code < 32 || Code >= 127) {
        static const char Hex[] = "0123456789ABCDEF";
        return std::string("byte 0x") + Hex[Code >> 4] + Hex[Code & 15];
    }
    return std::string("\"") + Character + "\"";
}

RangeReading Stop(std::string_view Text, std::size_t At, const std::string& Why) {
    RangeReading Refused;
    Refused.Position = At;
    Refused.Notice =
        "Ranges: " +
        (At < Text.size() ? "character " + std::to_string(At + 1) + " " + Shown(Text[At])
                          : std::string("at the end")) +
        ": " + Why;
    return Refused;
}

// Digits at At as a count; false when there are none or they exceed the limit.
bool ReadCount(std::string_view Text, std::size_t& At, int& Count) {
    const std::size_t Start = At;
    long long Number = 0;
    while (At < Text.size() && IsDigit(Text[At])) {
        Number = Number * 10 + (Text[At] - '0');
        if (Number > RangeCountLimit) {
            At = Start;
            return false;
        }
        ++At;
    }
    Count = static_cast<int>(Number);
    return At > Start;
}

} // namespace

RangeReading ReadRanges(std::string_view Text) {
    RangeReading Result;
    const std::string TooLarge = "a count is at most " + std::to_string(RangeCountLimit);
    std::size_t At = 0;
    while (true) {
        while (At < Text.size() && IsSeparator(Text[At]))
            ++At;
        if (At == Text.size())
            break;
        const std::size_t Start = At;
        if (!IsAsciiUpper(Text[At]))
            return Stop(Text, At, "an element symbol starts with an uppercase letter");
        ++At;
        while (At < Text.size() && At - Start < 3 && IsAsciiLower(Text[At]))
            ++At;
        ElementRange Range;
        Range.Symbol = std::string(Text.substr(Start, At - Start));
        for (const ElementRange& Before : Result.Ranges)
            if (Before.Symbol == Range.Symbol)
                return Stop(Text, Start, Range.Symbol + " is named twice");
        if (At < Text.size() && Text[At] == '-') {
            Range.Min = 0; // "O-5": up to 5
        } else if (!ReadCount(Text, At, Range.Min)) {
            return Stop(Text, At,
                        At < Text.size() && IsDigit(Text[At])
                            ? TooLarge
                            : "write the counts after the symbol: " + Range.Symbol + "0-10");
        }
        Range.Max = Range.Min;
        if (At < Text.size() && Text[At] == '-') {
            ++At;
            if (!ReadCount(Text, At, Range.Max))
                return Stop(Text, At,
                            At < Text.size() && IsDigit(Text[At])
                                ? TooLarge
                                : "a count follows the \"-\": " + Range.Symbol + "0-10");
            if (Range.Max < Range.Min)
                return Stop(Text, Start,
                            "the first count of " + Range.Symbol + " is above the second");
        }
        if (At < Text.size() && !IsSeparator(Text[At]))
            return Stop(Text, At, "ranges are separated by blanks or commas");
        Result.Ranges.push_back(std::move(Range));
    }
    if (Result.Ranges.empty())
        return Stop(Text, Text.size(), "no element is named");
    Result.Read = true;
    return Result;
}

std::string RangesText(const std::vector<ElementRange>& Ranges) {
    std::string Text;
    for (const ElementRange& Range : Ranges) {
        if (!Text.empty())
            Text += ' ';
        Text += Range.Symbol + std::to_string(Range.Min);
        if (Range.Max != Range.Min)
            Text += '-' + std::to_string(Range.Max);
    }
    return Text;
}

int GroupValence(int AtomicNumber) {
    // The atomic numbers that end each period, and the group of each element from there.
    static constexpr int NobleGases[] = {2, 10, 18, 36, 54, 86, 118};
    int Start = 1; // the period's first atomic number
    for (const int End : NobleGases) {
        if (AtomicNumber <= End) {
            if (AtomicNumber == 1)
                return 1;
            const int FromEnd = End - AtomicNumber; // 0 for the noble gas, 1 for the halogen
            const int FromStart = AtomicNumber - Start;
            if (FromEnd == 0)
                return 0;
            if (FromEnd <= 5) // groups 13 to 17: 3, 4, 3, 2, 1
                return FromEnd == 5 ? 3 : FromEnd;
            if (FromStart <= 1) // groups 1 and 2
                return FromStart + 1;
            return 2; // transition metals, lanthanides, actinides
        }
        Start = End + 1;
    }
    return 2;
}

std::unordered_map<std::string, int> AtomicNumbers(const ElementTable& Table) {
    std::unordered_map<std::string, int> Numbers;
    Table.ListAll([&](const ElementRecord& Record) {
        if (!Record.Symbol.IsString() && !Record.Symbol.IsDouble())
            return;
        double Number = 0;
        try {
            Number = Record.AtomicNumber.AsDouble();
        } catch (const RunTimeError&) {
            return;
        }
        if (Number >= 1 && Number <= 200 && Number == std::floor(Number))
            Numbers[Record.Symbol.Text()] = static_cast<int>(Number);
    });
    return Numbers;
}

std::vector<SearchElement> SearchElements(const std::vector<ElementRange>& Ranges,
                                          const std::unordered_map<std::string, int>& Numbers,
                                          const IsotopeTable& Isotopes, std::string& Notice) {
    std::vector<SearchElement> Elements;
    for (const ElementRange& Range : Ranges) {
        const auto Number = Numbers.find(Range.Symbol);
        const Isotope* Main = Isotopes.MostAbundant(Range.Symbol);
        if (Number == Numbers.end() || !Main) {
            Notice = "Ranges: " + Range.Symbol +
                     (Number == Numbers.end() ? " is not in the element table"
                                              : " has no natural isotope in " + Isotopes.Path());
            return {};
        }
        SearchElement Element;
        Element.Symbol = Range.Symbol;
        Element.Mass = Main->Mass;
        Element.AtomicNumber = Number->second;
        Element.Valence = GroupValence(Number->second);
        for (const Isotope& Each : Isotopes.Of(Range.Symbol))
            if (Each.Abundance > 0)
                Element.Isotopes.push_back(Each);
        Element.Min = Range.Min;
        Element.Max = Range.Max;
        Elements.push_back(std::move(Element));
    }
    return Elements;
}

std::optional<IonForm> SearchIon(const Adduct& Ion,
                                 const std::unordered_map<std::string, int>& Numbers,
                                 const IsotopeTable& Isotopes, std::string& Notice) {
    const std::optional<double> Shift = AdductShift(Ion, Isotopes);
    if (!Shift) {
        Notice =
            "Adduct " + ToUtf8(Ion.Text) + ": " + Isotopes.Path() + " lacks one of its isotopes";
        return std::nullopt;
    }
    IonForm Form;
    Form.Molecules = Ion.Molecules;
    Form.Charge = Ion.Charge;
    Form.Shift = *Shift;
    const auto Add = [&](const FormulaEntry& Entry, int Sign) {
        const double Count = Entry.Count.AsDouble();
        if (Count != std::floor(Count) || Count > RangeCountLimit) {
            Notice = "Adduct " + ToUtf8(Ion.Text) + ": the counts of its formulas must be whole";
            return false;
        }
        const int Heavy = HeavyHydrogen(Entry.Symbol, Entry.MassNumber, &Isotopes);
        const std::string Symbol = Heavy ? std::string("H") : Entry.Symbol;
        const int MassNumber = Heavy ? Heavy : Entry.MassNumber;
        const auto Number = Numbers.find(Symbol);
        if (Number == Numbers.end()) {
            Notice = "Adduct " + ToUtf8(Ion.Text) + ": " + ToUtf8(Symbol) +
                     " is not in the element table";
            return false;
        }
        for (IonForm::Atoms& Before : Form.Adduct)
            if (Before.Symbol == Symbol && Before.MassNumber == MassNumber) {
                Before.Count += Sign * static_cast<int>(Count);
                return true;
            }
        IonForm::Atoms Atoms{
            Symbol, MassNumber, Sign * static_cast<int>(Count), Number->second, {}};
        if (MassNumber != 0) {
            const Isotope* Exact = ExactIsotope(Isotopes, Entry.Symbol, Entry.MassNumber);
            Atoms.Isotopes.push_back({Exact->MassNumber, Exact->Mass, 1});
        } else {
            for (const Isotope& Each : Isotopes.Of(Symbol))
                if (Each.Abundance > 0)
                    Atoms.Isotopes.push_back(Each);
        }
        Form.Adduct.push_back(std::move(Atoms));
        return true;
    };
    for (const FormulaEntry& Entry : Ion.Added)
        if (!Add(Entry, 1))
            return std::nullopt;
    for (const FormulaEntry& Entry : Ion.Removed)
        if (!Add(Entry, -1))
            return std::nullopt;
    return Form;
}

std::vector<std::string> SearchSymbols(std::string_view Ranges, std::string_view Adduct,
                                       const AdductTable* Named, const GroupTable* Groups) {
    std::vector<std::string> Symbols = {"H", "D", "T"};
    for (const ElementRange& Range : ReadRanges(Ranges).Ranges)
        Symbols.push_back(Range.Symbol);
    const AdductReading Ion = ReadNamedAdduct(ReadTyped(Adduct).Text, Named, Groups);
    if (Ion.Result == AdductResult::Read)
        for (const auto* Entries : {&Ion.Ion.Added, &Ion.Ion.Removed})
            for (const FormulaEntry& Entry : *Entries)
                Symbols.push_back(Entry.Symbol);
    return Symbols;
}

bool SetUpSearch(FindRequest& Request, std::string_view Ranges, std::string_view Adduct,
                 const std::unordered_map<std::string, int>& Numbers, const IsotopeTable& Isotopes,
                 const AdductTable* Named, std::string& Notice, const GroupTable* Groups) {
    const RangeReading Read = ReadRanges(Ranges);
    if (!Read.Read) {
        Notice = Read.Notice;
        return false;
    }
    Request.Elements = SearchElements(Read.Ranges, Numbers, Isotopes, Notice);
    if (Request.Elements.empty())
        return false;
    Request.Ion = IonForm();
    if (Adduct.find_first_not_of(" \t") == std::string_view::npos)
        return true;
    const TypedFormula Typed = ReadTyped(Adduct);
    const AdductReading Ion = ReadNamedAdduct(Typed.Text, Named, Groups);
    if (Ion.Result != AdductResult::Read) {
        Notice = AdductRefusalNotice(Ion, Typed);
        return false;
    }
    const std::optional<IonForm> Form = SearchIon(Ion.Ion, Numbers, Isotopes, Notice);
    if (!Form)
        return false;
    Request.Ion = *Form;
    return true;
}

double PatternScore(const std::vector<MeasuredPeak>& Pattern,
                    const std::vector<MeasuredPeak>& Measured, int Charge) {
    if (Pattern.empty())
        return 0;
    const double Half = 0.5 / std::max(1, std::abs(Charge));
    std::vector<double> Found(Pattern.size(), 0);
    for (const MeasuredPeak& Peak : Measured) {
        if (Peak.MassToCharge < Pattern.front().MassToCharge - Half ||
            Peak.MassToCharge > Pattern.back().MassToCharge + Half || !(Peak.Intensity > 0))
            continue;
        std::size_t Nearest = 0;
        for (std::size_t At = 1; At < Pattern.size(); ++At)
            if (std::fabs(Pattern[At].MassToCharge - Peak.MassToCharge) <
                std::fabs(Pattern[Nearest].MassToCharge - Peak.MassToCharge))
                Nearest = At;
        Found[Nearest] += Peak.Intensity;
    }
    const double FoundSum = std::accumulate(Found.begin(), Found.end(), 0.0);
    double PatternSum = 0;
    for (const MeasuredPeak& Peak : Pattern)
        PatternSum += Peak.Intensity;
    if (!(FoundSum > 0) || !(PatternSum > 0))
        return 0;
    double Apart = 0;
    for (std::size_t At = 0; At < Pattern.size(); ++At)
        Apart += std::fabs(Pattern[At].Intensity / PatternSum - Found[At] / FoundSum);
    return 100 * (1 - Apart / 2);
}

std::string FindSettingsRefusal(const FindRequest& Request) {
    const FindRequest& R = Request;
    if (!(R.Tolerance > 0) || !std::isfinite(R.Tolerance))
        return "Tolerance: it must be above 0";
    if (R.Tolerance > 1000)
        return R.Ppm ? "Tolerance: at most 1000 ppm" : "Tolerance: at most 1000 mDa";
    if (R.Elements.empty())
        return "Ranges: no element is named";
    for (const SearchElement& Element : R.Elements)
        if (!(Element.Mass > 0) || Element.Min < 0 || Element.Max < Element.Min ||
            Element.Max > RangeCountLimit)
            return "Ranges: " + Element.Symbol + " can't be searched";
    if (R.Ion.Molecules < 1)
        return "Adduct: it must count 1 molecule or more";
    for (const IonForm::Atoms& Atoms : R.Ion.Adduct) {
        const bool Held =
            std::any_of(R.Elements.begin(), R.Elements.end(), [&](const SearchElement& Element) {
                return Element.Symbol == Atoms.Symbol;
            });
        if (Atoms.Count < 0 && (Atoms.MassNumber != 0 || !Held))
            return "Adduct: it removes " +
                   (Atoms.MassNumber != 0
                        ? "[" + std::to_string(Atoms.MassNumber) + Atoms.Symbol + "]"
                        : Atoms.Symbol) +
                   ", which no range names";
    }
    if (R.Max == 0)
        return "Candidates: at least 1 must be kept";
    return {};
}

namespace {

constexpr unsigned long long ProgressEvery = 1 << 14;

// The whole counts from Lowest to Highest that lie within Min to Max (Min at least 0). Ceil and
// floor by conversion: the x86-64 baseline has no instruction for them, and the innermost loop
// takes both for every formula tried.
inline bool Span(double Lowest, double Highest, int Min, int Max, int& From, int& To) {
    if (!(Lowest <= Max) || !(Highest >= Min))
        return false;
    if (Lowest <= Min) {
        From = Min;
    } else {
        const int Whole = static_cast<int>(Lowest);
        From = Whole + (Lowest > Whole);
    }
    To = Highest >= Max ? Max : static_cast<int>(Highest);
    return From <= To;
}

// One search: the request's elements in loop order, heaviest first.
class Search {
public:
    Search(const FindRequest& Request, const FindProgress& Progress)
        : Request(Request), Progress(Progress) {}

    FindResult Run() {
        if (std::string Why = Refusal(); !Why.empty()) {
            Result.Refusal = std::move(Why);
            return Result;
        }
        Prepare();
        if (std::string Why = TooLarge(); !Why.empty()) {
            Result.Refusal = std::move(Why);
            return Result;
        }
        Counts.assign(Order.size(), 0);
        Loop(0, 0);
        Finish();
        return Result;
    }

private:
    std::string Refusal() const {
        if (!(Request.Measured > 0) || !std::isfinite(Request.Measured))
            return "Mass: it must be above 0";
        return FindSettingsRefusal(Request);
    }

    void Prepare() {
        const FindRequest& R = Request;
        Divisor = R.Ion.Charge == 0 ? 1 : std::abs(R.Ion.Charge);
        // The window on the m/z, and on M through m/z = (k M + Shift) / |z|.
        Window = R.Ppm ? R.Measured * R.Tolerance * 1e-6 : R.Tolerance / 1000;
        const double Target = (R.Measured * Divisor - R.Ion.Shift) / R.Ion.Molecules;
        const double Half = Window * Divisor / R.Ion.Molecules;
        // The bounds let rounding through; each candidate is checked exactly afterwards.
        const double Slack = 1e-9 * std::max(1.0, std::fabs(Target) + Half);
        Low = Target - Half - Slack;
        High = Target + Half + Slack;

        Order.resize(R.Elements.size());
        std::iota(Order.begin(), Order.end(), std::size_t{0});
        std::stable_sort(Order.begin(), Order.end(), [&](std::size_t A, std::size_t B) {
            return R.Elements[A].Mass > R.Elements[B].Mass;
        });
        const std::size_t Levels = Order.size();
        Mass.resize(Levels);
        Inverse.resize(Levels);
        Min.resize(Levels);
        Max.resize(Levels);
        LeastAfter.assign(Levels + 1, 0);
        MostAfter.assign(Levels + 1, 0);
        for (std::size_t Level = 0; Level < Levels; ++Level) {
            const SearchElement& Element = R.Elements[Order[Level]];
            Mass[Level] = Element.Mass;
            Inverse[Level] = 1 / Element.Mass;
            Min[Level] = Element.Min;
            Max[Level] = Element.Max;
        }
        for (std::size_t Level = Levels; Level-- > 0;) {
            LeastAfter[Level] = LeastAfter[Level + 1] + Min[Level] * Mass[Level];
            MostAfter[Level] = MostAfter[Level + 1] + Max[Level] * Mass[Level];
        }
        // Each count more of the next-to-last element moves the last one's lowest real count
        // down by PairShift, so how far it lies below the next whole count (its gap) turns by
        // PairShift's fraction, up or down by Turn. A whole count is reached when the gap is at
        // most the window's width: with a narrow window, the counts before the gap can come
        // back there are skipped, one check a turn rather than one a count (C then H: one in
        // about 11).
        if (Levels >= 2) {
            PairShift = Mass[Levels - 2] / Mass[Levels - 1];
            const double Fraction = PairShift - std::floor(PairShift);
            Up = Fraction < 0.5;
            Turn = Up ? Fraction : 1 - Fraction;
            ByTurn = 1 / Turn;
        }
        if (Levels >= 3)
            MarkPairMasses();

        // The molecule's electrons and valence sum are counted per candidate; the adduct's
        // electrons less the charge are the same for every one.
        AdductElectrons = -R.Ion.Charge;
        for (const IonForm::Atoms& Atoms : R.Ion.Adduct) {
            AdductElectrons += Atoms.Count * Atoms.AtomicNumber;
            // What the adduct removes, the molecules must hold: [M-H2O+H]+ needs an O.
            if (Atoms.Count < 0)
                for (std::size_t Index = 0; Index < R.Elements.size(); ++Index)
                    if (R.Elements[Index].Symbol == Atoms.Symbol)
                        Needs.push_back({Index, -Atoms.Count});
        }

        // Hill order: C, H, then alphabetical when there is carbon; else all alphabetical.
        for (std::size_t Index = 0; Index < R.Elements.size(); ++Index) {
            const std::string& Symbol = R.Elements[Index].Symbol;
            if (Symbol == "C")
                Carbon = static_cast<int>(Index);
            if (Symbol == "H")
                Hydrogen = static_cast<int>(Index);
        }
        HillWithCarbon.resize(R.Elements.size());
        std::iota(HillWithCarbon.begin(), HillWithCarbon.end(), std::size_t{0});
        std::sort(HillWithCarbon.begin(), HillWithCarbon.end(), [&](std::size_t A, std::size_t B) {
            return R.Elements[A].Symbol < R.Elements[B].Symbol;
        });
        HillWithoutCarbon = HillWithCarbon;
        const auto Rank = [&](std::size_t Index) {
            return static_cast<int>(Index) == Carbon     ? 0
                   : static_cast<int>(Index) == Hydrogen ? 1
                                                         : 2;
        };
        std::stable_sort(HillWithCarbon.begin(), HillWithCarbon.end(),
                         [&](std::size_t A, std::size_t B) { return Rank(A) < Rank(B); });
    }

    // The loops' size without the mass bounds, each element's counts limited only by what it
    // alone may weigh: a search beyond SearchSizeLimit would run for hours.
    std::string TooLarge() const {
        double Size = 1;
        for (std::size_t Level = 0; Level + 1 < Order.size(); ++Level) {
            const double Most = std::min<double>(Max[Level], std::floor(High / Mass[Level]));
            Size *= std::max(1.0, Most - Min[Level] + 1);
        }
        if (Size <= SearchSizeLimit)
            return {};
        char Text[32];
        std::snprintf(Text, sizeof Text, "%.0e", Size);
        return std::string("Search: too large to finish promptly (up to ") + Text +
               " formulas to try); narrow the ranges";
    }

    // The counts at this level that can still reach the window, given the mass so far.
    bool Bounds(std::size_t Level, double So, int& From, int& To) const {
        return Span((Low - So - MostAfter[Level + 1]) * Inverse[Level],
                    (High - So - LeastAfter[Level + 1]) * Inverse[Level], Min[Level], Max[Level],
                    From, To);
    }

    // The masses the last two elements can make together, marked in bins as wide as the window
    // (wider when there would be too many): a remainder whose window touches no marked bin has
    // no pair to fill it, and the pair's loop is not entered. Most remainders are so: at 508 Da
    // over CHNOPS, 96 in 100.
    void MarkPairMasses() {
        const std::size_t Next = Order.size() - 2, Last = Order.size() - 1;
        const double Pairs =
            (Max[Next] - Min[Next] + 1.0) * static_cast<double>(Max[Last] - Min[Last] + 1);
        if (Pairs > 4e6)
            return; // marking would cost more than it saves
        // Only the remainders the other elements can leave are asked about: from the window's
        // low end less the most they weigh to its high end less the least.
        BinSlack = 1e-9 * std::max(1.0, High);
        PairLeast = std::max(Min[Next] * Mass[Next] + Min[Last] * Mass[Last],
                             Low - (MostAfter[0] - MostAfter[Next]) - BinSlack);
        const double Most = std::min(Max[Next] * Mass[Next] + Max[Last] * Mass[Last],
                                     High - (LeastAfter[0] - LeastAfter[Next]) + BinSlack);
        if (!(Most >= PairLeast))
            return;
        constexpr double MostBins = 1 << 23;
        ByBin = 1 / std::max((High - Low) / 2, (Most - PairLeast) / MostBins);
        BinsWide = (High - Low + 2 * BinSlack) * ByBin;
        // A bit a bin: a few pages to touch, not a page for every 4096 bins.
        BinCount = static_cast<std::size_t>((Most - PairLeast) * ByBin) + 2;
        PairBins.assign(BinCount / 64 + 2, 0); // a word more for the look at two
        for (int Count = Min[Next]; Count <= Max[Next]; ++Count) {
            const double Part = Count * Mass[Next] - PairLeast;
            int First = 0, End = -1;
            if (!Span(-Part * Inverse[Last], (Most - PairLeast - Part) * Inverse[Last], Min[Last],
                      Max[Last], First, End))
                continue;
            for (int Solved = First; Solved <= End; ++Solved) {
                const double At = (Part + Solved * Mass[Last]) * ByBin;
                if (At < 0)
                    continue; // a rounding below the first bin's edge
                const auto Bin = std::min(BinCount - 1, static_cast<std::size_t>(At));
                PairBins[Bin / 64] |= std::uint64_t{1} << (Bin % 64);
            }
        }
    }

    // Whether the last two elements can fill a remainder from Least to Least + Width. The
    // bins' edges are rounded as the pairs' masses are, far within the window's slack, which
    // widens the bins looked at.
    bool PairCanFill(double Least) const {
        const double First = (Least - BinSlack - PairLeast) * ByBin;
        const double End = First + BinsWide;
        if (!(First < static_cast<double>(BinCount)) || End < 0)
            return false;
        const std::size_t From = First > 0 ? static_cast<std::size_t>(First) : 0;
        const std::size_t To = std::min(BinCount - 1, static_cast<std::size_t>(End));
        // The window's bins, a few, out of the word they start in and the next.
        const std::size_t Word = From / 64, Shift = From % 64;
        std::uint64_t Bits = PairBins[Word] >> Shift;
        if (Shift != 0)
            Bits |= PairBins[Word + 1] << (64 - Shift);
        const std::size_t Wide = To - From + 1;
        return Wide >= 64 ? Bits != 0 : (Bits & ((std::uint64_t{1} << Wide) - 1)) != 0;
    }

    // Each count of every element but the last is a formula tried; the last one's counts are
    // solved for. Counts the tries From to To, and gives the last that the step limit allows.
    int Tries(int From, int To) {
        unsigned long long Count = static_cast<unsigned long long>(To - From) + 1;
        if (Result.Steps + Count > Request.StepLimit) {
            Count = Request.StepLimit - std::min(Result.Steps, Request.StepLimit);
            To = From + static_cast<int>(Count) - 1;
            Result.Cut = Stopped = true;
        }
        Result.Steps += Count;
        if (Result.Steps >= NextReport) {
            NextReport = Result.Steps + ProgressEvery;
            Report();
        }
        return To;
    }

    void Loop(std::size_t Level, double So) {
        int From = 0, To = 0;
        if (Stopped || !Bounds(Level, So, From, To))
            return;
        if (Level == 0) {
            OuterFrom = From;
            OuterSpan = To - From + 1;
        } else if (Level == 1) {
            SecondFrom = From;
            SecondSpan = To - From + 1;
        }
        const std::size_t Last = Order.size() - 1;
        if (Level == Last) { // one element alone
            for (int Count = From; Count <= To; ++Count) {
                Counts[Level] = Count;
                Check();
            }
            return;
        }
        To = Tries(From, To);
        const double Step = Mass[Level];
        if (Level + 2 == Last && !PairBins.empty()) {
            // The pair's loop only for the remainders it can fill.
            for (int Count = From; Count <= To && !Stopped; ++Count) {
                const double Here = So + Count * Step;
                if (!PairCanFill(Low - Here))
                    continue;
                Counts[Level] = Count;
                Loop(Level + 1, Here);
            }
            return;
        }
        if (Level + 1 < Last) {
            for (int Count = From; Count <= To && !Stopped; ++Count) {
                Counts[Level] = Count;
                Loop(Level + 1, So + Count * Step);
            }
            return;
        }
        // The last element's counts that reach the window, solved without a call. Check may
        // change the search's members, so what the loop reads is copied here once.
        const double Lowest = (Low - So) * Inverse[Last];
        const double Shift = PairShift, Width = (High - Low) * Inverse[Last];
        const int Least = Min[Last], Most = Max[Last];
        const bool Skips = Width + Margin < Turn / 2;
        for (int Count = From; Count <= To;) {
            const double Below = Lowest - Count * Shift;
            int First = 0, End = -1;
            if (Span(Below, Below + Width, Least, Most, First, End)) {
                Counts[Level] = Count;
                for (int Solved = First; Solved <= End; ++Solved) {
                    Counts[Last] = Solved;
                    Check();
                }
            }
            if (!Skips || !(std::fabs(Below) < 1e9)) {
                ++Count;
                continue;
            }
            // The counts whose gap stays on this side of a whole count and above the width.
            const int Whole = static_cast<int>(Below); // toward 0: the ceiling below 0
            const double Gap = Whole + (Below > Whole) - Below;
            const double Before =
                Up ? (1 - Margin - Gap) * ByTurn : (Gap - Width - Margin) * ByTurn;
            Count += Before >= 1 ? static_cast<int>(std::min(Before, 1e9)) + 1 : 1;
        }
    }

    // The share done: how far the two outermost loops have come.
    void Report() {
        if (!Progress)
            return;
        double Inner = 0;
        if (Order.size() > 2)
            Inner =
                std::clamp((Counts[1] - SecondFrom) / static_cast<double>(SecondSpan), 0.0, 0.999);
        const double Outer = (Counts[0] - OuterFrom + Inner) / static_cast<double>(OuterSpan);
        if (!Progress(std::clamp(Outer, 0.0, 1.0)))
            Result.Cut = Stopped = true;
    }

    void Check() {
        const FindRequest& R = Request;
        // The mass of M summed in the request's element order, as a reader would add it up.
        std::vector<int>& ByElement = Scratch;
        ByElement.assign(R.Elements.size(), 0);
        for (std::size_t Level = 0; Level < Order.size(); ++Level)
            ByElement[Order[Level]] = Counts[Level];
        double M = 0;
        for (std::size_t Index = 0; Index < ByElement.size(); ++Index)
            M += ByElement[Index] * R.Elements[Index].Mass;
        const double Mz = (R.Ion.Molecules * M + R.Ion.Shift) / Divisor;
        const double Error = Mz - R.Measured;
        if (!(std::fabs(Error) <= Window) || !Passes(ByElement))
            return;
        ++Result.Found;
        // Without peaks the rank is the error: one that can't enter a full list is not made.
        if (R.Peaks.empty() && Result.Candidates.size() == R.Max &&
            std::fabs(Error / R.Measured * 1e6) > std::fabs(Result.Candidates.front().ErrorPpm))
            return;
        Candidate Made;
        Made.Counts = ByElement;
        Made.Mass = M;
        Made.MassToCharge = Mz;
        Made.ErrorPpm = Error / R.Measured * 1e6;
        Made.ErrorMilliDalton = Error * 1000;
        Made.Rdbe = Rdbe(ByElement);
        if (!R.Peaks.empty())
            Made.Score = PatternScore(IonPattern(ByElement), R.Peaks, R.Ion.Charge);
        Keep(std::move(Made));
    }

    double Rdbe(const std::vector<int>& ByElement) const {
        long long Sum = 0;
        for (std::size_t Index = 0; Index < ByElement.size(); ++Index)
            Sum += static_cast<long long>(ByElement[Index]) * (Request.Elements[Index].Valence - 2);
        return 1 + Sum / 2.0;
    }

    bool Passes(const std::vector<int>& ByElement) const {
        const FindRules& Rules = Request.Rules;
        const auto& Elements = Request.Elements;
        for (const auto& [Index, Count] : Needs)
            if (static_cast<long long>(Request.Ion.Molecules) * ByElement[Index] < Count)
                return false;
        if (Rules.RdbeLimited) {
            const double Value = Rdbe(ByElement);
            if (Value < Rules.RdbeMin || Value > Rules.RdbeMax)
                return false;
        }
        if (Rules.EvenElectron) {
            long long Electrons = 0;
            for (std::size_t Index = 0; Index < ByElement.size(); ++Index)
                Electrons +=
                    static_cast<long long>(ByElement[Index]) * Elements[Index].AtomicNumber;
            const long long Ion = Request.Ion.Molecules * Electrons + AdductElectrons;
            if (Ion % 2 != 0 || (Request.Ion.Molecules > 1 && Electrons % 2 != 0))
                return false;
        }
        if (Rules.Senior) {
            long long Valences = 0, Atoms = 0;
            int Highest = 0;
            for (std::size_t Index = 0; Index < ByElement.size(); ++Index) {
                if (ByElement[Index] == 0)
                    continue;
                Valences += static_cast<long long>(ByElement[Index]) * Elements[Index].Valence;
                Atoms += ByElement[Index];
                Highest = std::max(Highest, Elements[Index].Valence);
            }
            if (Valences % 2 != 0 || Valences < 2 * Highest || Valences < 2 * (Atoms - 1))
                return false;
        }
        if (Rules.Ratios && !GoldenRatios(ByElement))
            return false;
        return true;
    }

    bool GoldenRatios(const std::vector<int>& ByElement) const {
        if (Carbon < 0 || ByElement[static_cast<std::size_t>(Carbon)] == 0)
            return false;
        const double C = ByElement[static_cast<std::size_t>(Carbon)];
        struct Limit {
            const char* Symbol;
            double Least, Most;
        };
        static constexpr Limit Limits[] = {{"H", 0.2, 3.1}, {"N", 0, 1.3},  {"O", 0, 1.2},
                                           {"P", 0, 0.3},   {"S", 0, 0.8},  {"F", 0, 1.5},
                                           {"Cl", 0, 0.8},  {"Br", 0, 0.8}, {"Si", 0, 0.5}};
        for (std::size_t Index = 0; Index < ByElement.size(); ++Index) {
            for (const Limit& Each : Limits) {
                if (Request.Elements[Index].Symbol != Each.Symbol)
                    continue;
                const double Ratio = ByElement[Index] / C;
                if (Ratio < Each.Least || Ratio > Each.Most)
                    return false;
            }
        }
        // Without hydrogen in the ranges, H/C is 0.
        return Hydrogen >= 0;
    }

    // The ion's unit-resolution pattern at its m/z: k M with the adduct's atoms.
    std::vector<MeasuredPeak> IonPattern(const std::vector<int>& ByElement) const {
        std::vector<PatternAtoms> Atoms;
        std::vector<std::string> Symbols;
        const auto Add = [&](const std::string& Symbol, const std::vector<Isotope>& Isotopes,
                             long long Count) {
            for (std::size_t At = 0; At < Symbols.size(); ++At)
                if (Symbols[At] == Symbol) {
                    Atoms[At].Count += Count;
                    return;
                }
            Symbols.push_back(Symbol);
            Atoms.push_back({Isotopes, Count});
        };
        for (std::size_t Index = 0; Index < ByElement.size(); ++Index)
            Add(Request.Elements[Index].Symbol, Request.Elements[Index].Isotopes,
                static_cast<long long>(Request.Ion.Molecules) * ByElement[Index]);
        // A labelled isotope of the adduct is an element of its own for the pattern.
        for (const IonForm::Atoms& Adduct : Request.Ion.Adduct)
            Add(Adduct.MassNumber != 0 ? std::to_string(Adduct.MassNumber) + Adduct.Symbol
                                       : Adduct.Symbol,
                Adduct.Isotopes, Adduct.Count);
        std::vector<MeasuredPeak> Pattern;
        const int Z = Request.Ion.Charge;
        for (const Peak& Each : UnitResolutionPattern(Atoms, 1e-4))
            Pattern.push_back({Z == 0 ? Each.Mass : (Each.Mass - Z * ElectronMass) / std::abs(Z),
                               Each.Probability});
        return Pattern;
    }

    // Whether A ranks before B: the higher score with peaks, then the smaller error, then the
    // formula's text, so that the order never depends on the search's.
    bool Before(const Candidate& A, const Candidate& B) const {
        if (!Request.Peaks.empty() && A.Score != B.Score)
            return A.Score > B.Score;
        if (std::fabs(A.ErrorPpm) != std::fabs(B.ErrorPpm))
            return std::fabs(A.ErrorPpm) < std::fabs(B.ErrorPpm);
        return A.Counts < B.Counts;
    }

    // The best Max candidates so far, the worst of them on top of a heap.
    void Keep(Candidate&& Made) {
        const auto Worse = [this](const Candidate& A, const Candidate& B) { return Before(A, B); };
        if (Result.Candidates.size() == Request.Max) {
            if (!Before(Made, Result.Candidates.front()))
                return;
            std::pop_heap(Result.Candidates.begin(), Result.Candidates.end(), Worse);
            Result.Candidates.back() = std::move(Made);
        } else {
            Result.Candidates.push_back(std::move(Made));
        }
        std::push_heap(Result.Candidates.begin(), Result.Candidates.end(), Worse);
    }

    void Finish() {
        std::sort(Result.Candidates.begin(), Result.Candidates.end(),
                  [this](const Candidate& A, const Candidate& B) { return Before(A, B); });
        for (Candidate& Each : Result.Candidates) {
            const bool WithCarbon =
                Carbon >= 0 && Each.Counts[static_cast<std::size_t>(Carbon)] > 0;
            for (const std::size_t Index : WithCarbon ? HillWithCarbon : HillWithoutCarbon) {
                if (Each.Counts[Index] == 0)
                    continue;
                Each.Hill += Request.Elements[Index].Symbol;
                if (Each.Counts[Index] != 1)
                    Each.Hill += std::to_string(Each.Counts[Index]);
            }
        }
        if (Progress && !Stopped)
            Progress(1);
    }

    const FindRequest& Request;
    const FindProgress& Progress;
    FindResult Result;

    int Divisor = 1;
    double Window = 0;
    double Low = 0, High = 0;
    std::vector<std::size_t> Order; // the request's element at each level
    std::vector<double> Mass, Inverse;
    double PairShift = 0, Turn = 0, ByTurn = 0;
    std::vector<std::uint64_t> PairBins; // empty when not marked
    std::size_t BinCount = 0;
    double PairLeast = 0, ByBin = 1, BinSlack = 0, BinsWide = 0;
    bool Up = true;
    static constexpr double Margin = 1e-7; // far above the rounding of the gap
    std::vector<int> Min, Max;
    std::vector<double> LeastAfter, MostAfter; // what the levels from here on weigh at least, most
    std::vector<int> Counts;                   // per level
    std::vector<int> Scratch;
    long long AdductElectrons = 0;
    std::vector<std::pair<std::size_t, int>> Needs; // element, atoms the ion removes
    int Carbon = -1, Hydrogen = -1;
    std::vector<std::size_t> HillWithCarbon, HillWithoutCarbon;
    bool Stopped = false;
    int OuterFrom = 0, OuterSpan = 1, SecondFrom = 0, SecondSpan = 1;
    unsigned long long NextReport = ProgressEvery;
};

} // namespace

FindResult FindFormulas(const FindRequest& Request, const FindProgress& Progress) {
    return Search(Request, Progress).Run();
}

} // namespace Varnock
