#include "core/FormulaReader.h"

#include <algorithm>

#include "core/FormulaParser.h"
#include "core/GroupTable.h"
#include "core/RunTimeError.h"

namespace Varnock {

namespace {

bool IsBlank(char Character) {
    return Character == ' ' || Character == '\t' || Character == '\n';
}
bool IsDigit(char Character) {
    return Character >= '0' && Character <= '9';
}
bool IsSign(char Character) {
    return Character == '+' || Character == '-';
}
char Closer(char Opening) {
    switch (Opening) {
    case '(':
        return ')';
    case '[':
        return ']';
    case '{':
        return '}';
    default:
        return 0;
    }
}
bool IsClosing(char Character) {
    return Character == ')' || Character == ']' || Character == '}';
}
bool IsPartSeparator(char Character) {
    const auto Code = static_cast<unsigned char>(Character);
    return Character == '*' || Code == MiddleDot || Code == Bullet;
}
// What starts an entry under the strict rules, less the characters that now mean something else.
bool StartsSymbol(char Character) {
    return StartsEntry(static_cast<unsigned char>(Character)) && !Closer(Character) &&
           !IsClosing(Character) && Character != '^' && !IsPartSeparator(Character);
}
bool IsLower(char Character) {
    return IsSecondLetter(static_cast<unsigned char>(Character));
}
bool IsLetter(char Character) {
    return StartsSymbol(Character) || IsLower(Character);
}

// Where a reading stops short: thrown inside the reader, caught once at its top.
struct Stop {
    FormulaResult Result;
    std::size_t Position;
    std::size_t Other = 0;
    std::size_t Unit = 0;
    std::size_t CountStart = 0;
};

class Reader {
public:
    // SplitCounts: whether a point between digits may separate parts (see the header); a
    // formula with another decimal is read again without.
    Reader(std::string_view Text, bool SplitCounts, const GroupTable* Names)
        : Text(Text), SplitCounts(SplitCounts), Names(Names) {}

    std::vector<FormulaEntry> Read() {
        std::size_t At = Skip(0);
        while (At < Text.size())
            At = Step(At);
        if (!Groups.empty())
            throw Stop{FormulaResult::UnclosedGroup, Groups.front().Opening};
        if (Entries.size() > PartFirst || !Multiplier.IsEmpty() || PartFirst > 0)
            EndPart(PartMark);
        return std::move(Entries);
    }

    // Whether a point between digits separated parts while another number had a decimal point.
    bool SplitBesideDecimal() const { return SplitCount && Decimal; }

    std::vector<std::size_t> SplitPoints;
    std::optional<CountPoint> Ambiguous;
    // The point before the current part, when the digits after it could have been a count.
    std::optional<CountPoint> PartPoint;
    std::vector<FormulaReading::LookAlike> LookAlikes;

private:
    struct Group {
        std::size_t Opening;
        char Closer;
        std::size_t FirstEntry;
    };
    // What the text read so far ends with: an element or a group, with or without a count.
    enum Ending { Nothing, BareUnit, CountedUnit };

    std::size_t Skip(std::size_t At) const {
        while (At < Text.size() && IsBlank(Text[At]))
            ++At;
        return At;
    }
    bool DigitAt(std::size_t At) const { return At < Text.size() && IsDigit(Text[At]); }
    bool BlankAt(std::size_t At) const { return At < Text.size() && IsBlank(Text[At]); }
    // Whether the last character before At that is no blank is a digit.
    bool DigitBefore(std::size_t At) const {
        while (At > 0 && IsBlank(Text[At - 1]))
            --At;
        return At > 0 && IsDigit(Text[At - 1]);
    }
    std::size_t DigitsEnd(std::size_t At) const {
        while (DigitAt(At))
            ++At;
        return At;
    }
    // A letter or an opening bracket: what a part can start with after a point.
    bool PartStartsAt(std::size_t At) const {
        return At < Text.size() && (IsLetter(Text[At]) || Closer(Text[At]));
    }

    // Reads what starts at At; returns where the next thing starts.
    std::size_t Step(std::size_t At) {
        const char Character = Text[At];
        if (AtPartStart && (IsDigit(Character) || (Character == '.' && DigitAt(Skip(At + 1))))) {
            PartMark = At;
            Multiplier = Value(ReadNumber(At, true));
            AtPartStart = false;
            Last = Nothing;
            return At;
        }
        AtPartStart = false;
        if (Character == '[' && DigitAt(At + 1))
            return ReadIsotope(At);
        if (Closer(Character)) {
            Groups.push_back({At, Closer(Character), Entries.size()});
            Last = Nothing;
            return Skip(At + 1);
        }
        if (IsClosing(Character))
            return CloseGroup(At);
        if (StartsSymbol(Character) && Names)
            return ReadName(At);
        if (IsLower(Character) && Names)
            return ReadLowercase(At);
        if (Character == '-' && Names && Last != Nothing)
            Hyphen(At);
        if (Character == '-' && Names && Last != Nothing && At + 1 < Text.size() &&
            StartsUnit(At + 1))
            return At + 1; // joins what stands right beside it: H-Ala-Gly-OH
        if (StartsSymbol(Character)) {
            const bool TwoLetters =
                At + 1 < Text.size() && IsSecondLetter(static_cast<unsigned char>(Text[At + 1]));
            const std::size_t Length = TwoLetters ? 2 : 1;
            Entries.push_back({std::string(Text.substr(At, Length)), Value(1)});
            return ReadCount(Skip(At + Length), Entries.size() - 1, At);
        }
        // Digits after a number and a blank: the number has ended, and these start a new part.
        if (IsDigit(Character) && At > 0 && IsBlank(Text[At - 1]) && DigitBefore(At))
            return Separate(At, At);
        if (IsPartSeparator(Character))
            return Separate(At, Skip(At + 1));
        if (Character == '.')
            return Point(At);
        if (Character == '^' || IsSign(Character))
            return ReadCharge(At);
        throw Stop{FormulaResult::Unreadable, At};
    }

    // An uppercase letter and the lowercase letters after it, read with the groups.
    std::size_t ReadName(std::size_t At) {
        // Most often one letter, or two that make an element: as without groups.
        const bool Second = At + 1 < Text.size() && IsLower(Text[At + 1]);
        if (!Second)
            return Element(At, 1);
        const std::string_view Two(Text.data() + At, 2);
        const bool Third = At + 2 < Text.size() && IsLower(Text[At + 2]);
        if (!Third && Names->IsElement(Two))
            return Element(At, 2);
        if (const Varnock::Group* Found = Names->Longest(Text.substr(At)))
            return AddGroup(At, Found);
        if (!Names->IsElement(Two) && Names->IsElement(Two.substr(0, 1)) &&
            Names->Longest(Text.substr(At + 1)))
            return Element(At, 1); // OtBu: O, then tBu
        return Element(At, 2);     // an element, or a symbol the table lacks, named when weighed
    }

    // A lowercase letter that no symbol takes: a group's name starts here.
    std::size_t ReadLowercase(std::size_t At) {
        if (const Varnock::Group* Found = Names->Longest(Text.substr(At)))
            return AddGroup(At, Found);
        // The letters named: back to the uppercase letter that starts them, on to the end of the
        // lowercase run, and past a name that a short prefix starts (tBx).
        std::size_t Start = At;
        while (Start > 0 && IsLower(Text[Start - 1]))
            --Start;
        if (Start > 0 && StartsSymbol(Text[Start - 1]))
            --Start;
        std::size_t End = At;
        while (End < Text.size() && IsLower(Text[End]))
            ++End;
        if (End - At <= 3 && End < Text.size() && StartsSymbol(Text[End]))
            for (++End; End < Text.size() && IsLower(Text[End]);)
                ++End;
        throw Stop{FormulaResult::UnknownName, Start, End};
    }

    std::size_t Element(std::size_t At, std::size_t Length) {
        const std::string_view Symbol(Text.data() + At, Length);
        Entries.push_back({std::string(Symbol), Value(1)});
        if (Length == 2)
            if (const Varnock::Group* Instead = Names->LookAlikeOf(Symbol))
                LookAlikes.push_back({At, Length, Instead});
        return ReadCount(Skip(At + Length), Entries.size() - 1, At);
    }

    std::size_t AddGroup(std::size_t At, const Varnock::Group* Found) {
        Entries.push_back({std::string(Found->Name), Value(1), 0, Found});
        return ReadCount(Skip(At + Found->Name.size()), Entries.size() - 1, At);
    }

    // Whether an element, a group, or a group in brackets starts at At.
    bool StartsUnit(std::size_t At) const {
        return At < Text.size() && (IsLetter(Text[At]) || Closer(Text[At]));
    }

    // The bytes of the element, group or bracketed group starting at At as the reader would take
    // them; 0 where that can't be told.
    std::size_t UnitLength(std::size_t At) const {
        if (Closer(Text[At])) {
            std::vector<char> Open;
            for (std::size_t End = At; End < Text.size(); ++End) {
                if (Closer(Text[End]))
                    Open.push_back(Closer(Text[End]));
                else if (IsClosing(Text[End]) && (Open.empty() || Open.back() != Text[End]))
                    return 0;
                else if (IsClosing(Text[End]) && (Open.pop_back(), Open.empty()))
                    return End + 1 - At;
            }
            return 0;
        }
        std::size_t Run = At + 1;
        while (Run < Text.size() && IsLower(Text[Run]))
            ++Run;
        if (StartsSymbol(Text[At]) && Run - At <= 2 && Names->IsElement(Text.substr(At, Run - At)))
            return Run - At;
        const Varnock::Group* Found = Names->Longest(Text.substr(At));
        return Found ? Found->Name.size() : 0;
    }

    // A hyphen after an element or group that does not join (see Step): refused where what
    // follows it is another element or group, after blanks or a count.
    void Hyphen(std::size_t At) {
        const std::size_t After = Skip(At + 1);
        const bool BlankBefore = At > 0 && IsBlank(Text[At - 1]);
        if ((After > At + 1 || BlankBefore) && StartsUnit(After))
            throw Stop{FormulaResult::LooseHyphen, At, After};
        const std::size_t Unit = DigitsEnd(At + 1);
        if (Unit > At + 1 && StartsUnit(Unit)) {
            const std::size_t Length = UnitLength(Unit);
            throw Stop{FormulaResult::CountedHyphen, At, Length ? Unit + Length : 0, Unit, At + 1};
        }
    }

    // An isotope entry: "[", a mass number, a symbol, "]", then a count as after any element.
    // A group can't start with a digit, so the shape is never a group.
    std::size_t ReadIsotope(std::size_t Start) {
        std::size_t At = Start + 1;
        int MassNumber = 0;
        while (DigitAt(At) && MassNumber < 1000)
            MassNumber = MassNumber * 10 + (Text[At++] - '0');
        if (MassNumber == 0 || MassNumber >= 1000)
            throw Stop{FormulaResult::Unreadable, Start + 1};
        std::size_t Length = 0; // of the symbol; 0 when none is there
        if (At < Text.size() && StartsSymbol(Text[At]))
            Length = 1;
        if (Length == 1 && At + 1 < Text.size() &&
            IsSecondLetter(static_cast<unsigned char>(Text[At + 1])))
            Length = 2;
        if (At + Length >= Text.size())
            throw Stop{FormulaResult::UnclosedGroup, Start};
        if (Length == 0 || Text[At + Length] != ']')
            throw Stop{FormulaResult::Unreadable, At + Length};
        Entries.push_back({std::string(Text.substr(At, Length)), Value(1), MassNumber});
        return ReadCount(Skip(At + Length + 1), Entries.size() - 1, Start);
    }

    // A point that starts no multiplier.
    std::size_t Point(std::size_t At) {
        if ((At > 0 && IsBlank(Text[At - 1])) || BlankAt(At + 1) || PartStartsAt(At + 1))
            return Separate(At, Skip(At + 1));
        if (!DigitAt(At + 1))
            throw Stop{FormulaResult::Unreadable, At};
        const std::size_t End = DigitsEnd(At + 1);
        if (Last == BareUnit) {
            // K2O.6SiO2: a multiplier, unless ".6" was meant as the count 0.6 of O.
            Separate(At, At + 1);
            if (!(End < Text.size() && Text[End] == '.' && DigitAt(End + 1)))
                PartPoint = CountPoint{At, End};
            NoteAmbiguous(PartPoint);
            return At + 1;
        }
        if (Last == CountedUnit && Split && Split->Point == At) {
            Separate(At, At + 1);
            NoteAmbiguous(Split);
            Split.reset();
            return At + 1;
        }
        throw Stop{FormulaResult::Unreadable, At};
    }

    void NoteAmbiguous(const std::optional<CountPoint>& Point) {
        if (Point && !Ambiguous)
            Ambiguous = Point;
    }

    // Ends the part before a separator at At and starts the next at Next.
    std::size_t Separate(std::size_t At, std::size_t Next) {
        EndPart(At);
        if (Text[At] == '.')
            SplitPoints.push_back(At);
        PartMark = At;
        AtPartStart = true;
        Last = Nothing;
        return Next;
    }

    // Digits with at most one point between them (no blank beside it), or for a multiplier a
    // point before them, which blanks may follow. At is left past the blanks after the number;
    // a value of 0 is refused. Unit is where the element or group a count counts starts.
    double ReadNumber(std::size_t& At, bool IsMultiplier, std::size_t Unit = 0) {
        const std::size_t Start = At;
        Packed.clear();
        bool Point = false;
        if (Text[At] == '.') {
            Packed = "0.";
            Point = true;
            At = Skip(At + 1);
        }
        while (At < Text.size()) {
            const char Character = Text[At];
            if (IsDigit(Character)) {
                Packed += Character;
                LastDigit = At++;
            } else if (Character == '.' && !Point && DigitAt(At + 1)) {
                if (!IsMultiplier && SplitsCount(At)) {
                    Split = CountPoint{At, DigitsEnd(At + 1), true, Start, Unit};
                    SplitCount = true;
                    break;
                }
                Packed += '.';
                Point = true;
                ++At;
            } else {
                break;
            }
        }
        Decimal = Decimal || Point;
        At = Skip(At);
        // Read as the count rule reads a count: too small for a double is 0, too large stays
        // too large, so that the calculation reports an overflow.
        const double Number = LeadingNumber(Packed);
        if (Number == 0)
            throw Stop{FormulaResult::ZeroCount, Start};
        return Number;
    }

    // Whether the point at At, after the whole count read so far, separates parts: outside any
    // group, the count 1 or more, and a whole number not starting with 0 after the point, then
    // an element or a group.
    bool SplitsCount(std::size_t At) const {
        if (!SplitCounts || !Groups.empty() || Text[At + 1] == '0' ||
            Packed.find_first_not_of('0') == std::string::npos)
            return false;
        const std::size_t After = Skip(DigitsEnd(At + 1));
        return After < Text.size() && (StartsSymbol(Text[After]) || Closer(Text[After]));
    }

    // The count after an element or a group starting at Unit, multiplying the entries from
    // First on.
    std::size_t ReadCount(std::size_t At, std::size_t First, std::size_t Unit) {
        Last = BareUnit;
        LastUnit = Unit;
        if (!DigitAt(At))
            return At;
        CountStart = At;
        const Value Count(ReadNumber(At, false, Unit));
        for (std::size_t Index = First; Index < Entries.size(); ++Index)
            Entries[Index].Count = Entries[Index].Count * Count;
        Last = CountedUnit;
        return At;
    }

    std::size_t CloseGroup(std::size_t At) {
        if (Groups.empty())
            throw Stop{FormulaResult::UnopenedGroup, At};
        const Group Open = Groups.back();
        if (Text[At] != Open.Closer)
            throw Stop{FormulaResult::MismatchedGroup, At, Open.Opening};
        if (Entries.size() == Open.FirstEntry)
            throw Stop{FormulaResult::EmptyGroup, At};
        Groups.pop_back();
        return ReadCount(Skip(At + 1), Open.FirstEntry, Open.Opening);
    }

    // A part ends at a separator (At) or at the end of the formula; its multiplier applies.
    void EndPart(std::size_t At) {
        if (!Groups.empty())
            throw Stop{FormulaResult::PartInGroup, At};
        if (Entries.size() == PartFirst)
            throw Stop{FormulaResult::EmptyPart, At};
        if (!Multiplier.IsEmpty())
            for (std::size_t Index = PartFirst; Index < Entries.size(); ++Index)
                Entries[Index].Count = Entries[Index].Count * Multiplier;
        PartFirst = Entries.size();
        Multiplier = Value();
        PartPoint.reset();
    }

    // A charge: "^" then size and sign, or sign and size; a sign then its size; or a run of one
    // sign after an element or a group. It must end the formula; it adds no entry.
    std::size_t ReadCharge(std::size_t Start) {
        if (Last == Nothing)
            throw Stop{FormulaResult::Unreadable, Start};
        std::size_t At = Skip(Start + 1);
        const auto Digits = [&] {
            const std::size_t From = At;
            while (At < Text.size() && (IsDigit(Text[At]) || IsBlank(Text[At])))
                ++At;
            return At > From;
        };
        if (Text[Start] == '^') {
            if (Digits()) {
                if (At == Text.size() || !IsSign(Text[At]))
                    throw Stop{FormulaResult::Unreadable, Start};
                At = Skip(At + 1);
            } else if (At < Text.size() && IsSign(Text[At])) {
                At = Skip(At + 1);
                Digits();
            } else {
                throw Stop{FormulaResult::Unreadable, Start};
            }
        } else if (!Digits()) {
            while (At < Text.size() && Text[At] == Text[Start])
                At = Skip(At + 1);
            // Within an open group the formula can't be read either way; that is told instead.
            if (At == Text.size() && Last == CountedUnit && Groups.empty())
                throw Stop{FormulaResult::AmbiguousCharge, Start, LastDigit, LastUnit, CountStart};
        }
        // A second sign or caret is unreadable itself; anything else shows the charge misplaced.
        if (At < Text.size() && (IsSign(Text[At]) || Text[At] == '^'))
            throw Stop{FormulaResult::Unreadable, At};
        if (At < Text.size())
            throw Stop{FormulaResult::MisplacedCharge, Start};
        return At;
    }

    std::string_view Text;
    const bool SplitCounts;
    const GroupTable* const Names; // the groups, or nullptr for none
    std::vector<FormulaEntry> Entries;
    std::vector<Group> Groups;
    std::size_t PartFirst = 0; // the current part's first entry
    std::size_t PartMark = 0;  // where the current part began: its separator or multiplier
    Value Multiplier;          // empty when the part has none
    bool AtPartStart = true;
    Ending Last = Nothing;
    std::size_t LastDigit = 0;
    std::size_t LastUnit = 0;   // where the last element or group began
    std::size_t CountStart = 0; // where the last count began
    std::string Packed;
    std::optional<CountPoint> Split; // a point the count just read stopped at, to separate
    bool SplitCount = false;         // whether any point between digits separated parts
    bool Decimal = false;            // whether any count or multiplier has a decimal point
};

std::string Place(const TypedFormula& Formula, std::size_t Byte) {
    return std::to_string(Formula.Origins[Byte].Place);
}

// Changes to the typed formula, each at a byte of the reading, made from the end backwards so
// that every byte's place in the typed text still holds.
class Rewrite {
public:
    explicit Rewrite(const TypedFormula& Formula) : Formula(Formula) {}

    Rewrite& Before(std::size_t Byte, std::string_view Insert) {
        return Edit(Formula.Origins[Byte].Offset, 0, Insert);
    }
    Rewrite& Over(std::size_t Byte, std::string_view Insert) {
        return Edit(Formula.Origins[Byte].Offset, Formula.Origins[Byte].Length, Insert);
    }
    Rewrite& After(std::size_t Byte, std::string_view Insert) {
        const auto& From = Formula.Origins[Byte];
        return Edit(From.Offset + From.Length, 0, Insert);
    }
    // Every point read as a separator but Except written as the middle dot, so that none of
    // them can be read otherwise.
    Rewrite& Dots(const FormulaReading& Reading, std::size_t Except = std::string::npos) {
        for (const std::size_t Point : Reading.SplitPoints)
            if (Point != Except)
                Over(Point, "\u00B7");
        return *this;
    }

    std::string Text() const {
        std::vector<Change> Sorted = Changes;
        std::stable_sort(Sorted.begin(), Sorted.end(),
                         [](const Change& A, const Change& B) { return A.Offset > B.Offset; });
        std::string Typed = Formula.Typed;
        for (const Change& Each : Sorted)
            Typed.replace(Each.Offset, Each.Length, Each.Insert);
        return Typed;
    }

private:
    struct Change {
        std::size_t Offset;
        std::size_t Length;
        std::string Insert;
    };
    Rewrite& Edit(std::size_t Offset, std::size_t Length, std::string_view Insert) {
        Changes.push_back({Offset, Length, std::string(Insert)});
        return *this;
    }

    const TypedFormula& Formula;
    std::vector<Change> Changes;
};

// The reading's bytes From to To with the blanks left out.
std::string Digits(const TypedFormula& Formula, std::size_t From, std::size_t To) {
    std::string Number;
    for (std::size_t At = From; At < To; ++At)
        if (!IsBlank(Formula.Text[At]))
            Number += Formula.Text[At];
    return Number;
}

// Whether a spelling to propose reads; one whose counts multiply out past the doubles doesn't.
bool Reads(const std::string& Typed, const GroupTable* Groups) {
    try {
        return ReadFormula(ReadTyped(Typed).Text, Groups).Result == FormulaResult::Read;
    } catch (const RunTimeError&) {
        return false;
    }
}

// "for the count 4.5 write CuS(O4.5)H2O": the other reading of an ambiguous point, when that
// spelling reads; else nothing.
std::string CountSpelling(const FormulaReading& Reading, const TypedFormula& Formula) {
    const CountPoint& Point = *Reading.Ambiguous;
    Rewrite Spelling(Formula);
    Spelling.Dots(Reading, Point.Point);
    std::string Count;
    if (Point.AfterCount) {
        Count = Digits(Formula, Point.CountStart, Point.DigitsEnd);
        Spelling.Before(Point.Unit, "(").After(Point.DigitsEnd - 1, ")");
    } else {
        Count = "0" + Digits(Formula, Point.Point, Point.DigitsEnd);
        Spelling.Before(Point.Point, "0");
    }
    const std::string Text = Spelling.Text();
    return Reads(Text, Reading.Groups) ? "for the count " + Count + " write " + Text
                                       : std::string();
}

// Fe3+: "write Fe^3+ for one Fe with charge 3+, or Fe3^+ for Fe×3 with charge 1+".
std::string ChargeSpellings(const FormulaReading& Reading, const TypedFormula& Formula) {
    const std::string& Text = Formula.Text;
    const std::size_t Sign = Reading.Position;
    std::size_t Signs = 0;
    for (std::size_t At = Sign; At < Text.size(); ++At)
        Signs += Text[At] == Text[Sign];
    const std::string Typed =
        Formula.Typed.substr(0, Formula.Origins[Sign].Offset); // the formula before the charge
    const auto& Count = Formula.Origins[Reading.CountStart];
    std::string Unit = Formula.Typed.substr(Formula.Origins[Reading.Unit].Offset,
                                            Count.Offset - Formula.Origins[Reading.Unit].Offset);
    while (!Unit.empty() && IsBlank(Unit.back()))
        Unit.pop_back();
    const std::string Left = Digits(Formula, Reading.CountStart, Reading.Other);
    const std::string Whole = Digits(Formula, Reading.CountStart, Reading.Other + 1);
    const std::string SignText(1, Text[Sign]);

    const std::string SignRun = Signs > 1 ? std::to_string(Signs) : std::string("1");
    const std::string AsCount = Typed + "^" + (Signs > 1 ? SignRun : std::string()) + SignText +
                                " for " + Unit + "\u00D7" + Whole + " with charge " + SignRun +
                                SignText;
    // The last digit as the charge: not where it is 0, which makes no charge, nor where the
    // rest doesn't read (Fe2.^2+, F0^3+).
    std::string OneCharge = Typed;
    OneCharge.insert(Formula.Origins[Reading.Other].Offset, "^");
    OneCharge += SignText;
    if (Text[Reading.Other] == '0' || !Reads(OneCharge, Reading.Groups))
        return "write " + AsCount;
    return "write " + OneCharge + " for " +
           (Left.empty() ? "one " + Unit : Unit + "\u00D7" + Left) + " with charge " +
           Text[Reading.Other] + SignText + ", or " + AsCount;
}

// The typed text of the reading's bytes From to To.
std::string TypedText(const TypedFormula& Formula, std::size_t From, std::size_t To) {
    const std::size_t Start = Formula.Origins[From].Offset;
    const auto& Last = Formula.Origins[To - 1];
    return Formula.Typed.substr(Start, Last.Offset + Last.Length - Start);
}

// Etx: "Formula: character 1 "Etx" is no element or group; nearest: Et (ethyl)".
std::string NameNotice(const FormulaReading& Reading, const TypedFormula& Formula) {
    const std::string Name = TypedText(Formula, Reading.Position, Reading.Other);
    std::string Notice = "Formula: character " + Place(Formula, Reading.Position) + " \"" + Name +
                         "\" is no element or group";
    const std::vector<std::string> Nearest =
        Reading.Groups ? Reading.Groups->Nearest(Name) : std::vector<std::string>();
    for (std::size_t At = 0; At < Nearest.size(); ++At) {
        const Group* Found = Reading.Groups->Find(Nearest[At]);
        Notice += (At == 0 ? "; nearest: " : ", ") + Nearest[At] +
                  (Found ? " (" + std::string(Found->Description) + ")" : std::string());
    }
    return Notice;
}

// Ala - Gly: "; write Ala-Gly"; Ala-2Gly: "; for Gly×2 write Ala-(Gly)2". Nothing where the
// spelling would not read.
std::string HyphenSpelling(const FormulaReading& Reading, const TypedFormula& Formula) {
    const std::size_t Hyphen = Reading.Position;
    Rewrite Spelling(Formula);
    Spelling.Dots(Reading);
    std::string Lead = "; write ";
    if (Reading.Result == FormulaResult::LooseHyphen) {
        for (std::size_t At = Hyphen; At > 0 && IsBlank(Formula.Text[At - 1]); --At)
            Spelling.Over(At - 1, "");
        for (std::size_t At = Hyphen + 1; At < Reading.Other; ++At)
            Spelling.Over(At, "");
    } else {
        if (Reading.Other == 0)
            return {};
        const std::string Count = Digits(Formula, Reading.CountStart, Reading.Unit);
        Lead = "; for " + TypedText(Formula, Reading.Unit, Reading.Other) + "\u00D7" + Count +
               " write ";
        for (std::size_t At = Reading.CountStart; At < Reading.Unit; ++At)
            Spelling.Over(At, "");
        Spelling.Before(Reading.Unit, "(").After(Reading.Other - 1, ")" + Count);
    }
    const std::string Text = Spelling.Text();
    return Reads(Text, Reading.Groups) ? Lead + Text : std::string();
}

struct Pass {
    FormulaReading Reading;
    bool SplitBesideDecimal = false;
};

Pass ReadOnce(std::string_view Formula, bool SplitCounts, const GroupTable* Groups) {
    Pass Done;
    FormulaReading& Reading = Done.Reading;
    Reading.Groups = Groups;
    Reader Scanner(Formula, SplitCounts, Groups);
    try {
        Reading.Entries = Scanner.Read();
        Reading.Ambiguous = Scanner.Ambiguous;
        Reading.LookAlikes = std::move(Scanner.LookAlikes);
        Done.SplitBesideDecimal = Scanner.SplitBesideDecimal();
    } catch (const Stop& Stopped) {
        Reading.Result = Stopped.Result;
        Reading.Position = Stopped.Position;
        Reading.Other = Stopped.Other;
        Reading.Unit = Stopped.Unit;
        Reading.CountStart = Stopped.CountStart;
        if (Stopped.Result == FormulaResult::EmptyPart)
            Reading.Ambiguous = Scanner.PartPoint;
    }
    Reading.SplitPoints = std::move(Scanner.SplitPoints);
    return Done;
}

} // namespace

std::string LabelText(const FormulaEntry& Entry) {
    return "[" + std::to_string(Entry.MassNumber) + Entry.Symbol + "]";
}

FormulaReading ReadFormula(std::string_view Formula, const GroupTable* Groups) {
    Pass First = ReadOnce(Formula, true, Groups);
    // A point between digits separates parts only where no other number has a decimal point.
    if (First.SplitBesideDecimal)
        return ReadOnce(Formula, false, Groups).Reading;
    return std::move(First.Reading);
}

std::string RefusalNotice(const FormulaReading& Reading, const TypedFormula& Formula) {
    const std::size_t At = Reading.Position;
    const std::string Head = "Formula: character " + Place(Formula, At) + " " + Formula.Shown(At);
    switch (Reading.Result) {
    case FormulaResult::Read:
        return {};
    case FormulaResult::Unreadable:
        return Head + " can't be read";
    case FormulaResult::ZeroCount:
        return Head + ": a count must be above 0";
    case FormulaResult::EmptyGroup:
        return Head + ": the group is empty";
    case FormulaResult::UnclosedGroup:
        return Head + " is never closed";
    case FormulaResult::UnopenedGroup:
        return Head + " closes no group";
    case FormulaResult::MismatchedGroup:
        return Head + " can't close the " + Formula.Shown(Reading.Other) + " at character " +
               Place(Formula, Reading.Other);
    case FormulaResult::PartInGroup:
        return Head + ": a group can't be split into parts";
    case FormulaResult::EmptyPart: {
        const std::string Count = Reading.Ambiguous ? CountSpelling(Reading, Formula) : "";
        return Head + ": a part holds no element" + (Count.empty() ? "" : "; " + Count);
    }
    case FormulaResult::AmbiguousCharge:
        return Head + ": " + ChargeSpellings(Reading, Formula);
    case FormulaResult::MisplacedCharge:
        return Head + ": a charge can only end the formula";
    case FormulaResult::UnknownName:
        return NameNotice(Reading, Formula);
    case FormulaResult::LooseHyphen:
    case FormulaResult::CountedHyphen:
        return Head + ": a hyphen joins the elements or groups right beside it" +
               HyphenSpelling(Reading, Formula);
    }
    return Head;
}

std::vector<std::string> LookAlikeNotices(const FormulaReading& Reading,
                                          const TypedFormula& Formula) {
    std::vector<std::string> Notices;
    if (Reading.Result != FormulaResult::Read)
        return Notices;
    // One notice a symbol, at its first place, the spelling writing the group at every place.
    std::vector<std::string> Told;
    for (const auto& [At, Length, Instead] : Reading.LookAlikes) {
        const std::string Symbol = Formula.Text.substr(At, Length);
        if (std::find(Told.begin(), Told.end(), Symbol) != Told.end())
            continue;
        Told.push_back(Symbol);
        Rewrite Spelling(Formula);
        for (const auto& Each : Reading.LookAlikes)
            if (Formula.Text.compare(Each.Position, Each.Length, Symbol) == 0) {
                Spelling.Over(Each.Position, Instead->Name);
                if (Each.Length == 2)
                    Spelling.Over(Each.Position + 1, "");
            }
        const std::string Text = Spelling.Dots(Reading).Text();
        Notices.push_back(
            "Formula: character " + Place(Formula, At) + " \"" + Symbol + "\" is the element " +
            Symbol +
            (Reads(Text, Reading.Groups)
                 ? "; for " + std::string(Instead->Description) + " write " + Text
                 : "; " + std::string(Instead->Name) + " is " + std::string(Instead->Description)));
    }
    return Notices;
}

std::string ReadingNotice(const FormulaReading& Reading, const TypedFormula& Formula) {
    if (Reading.Result != FormulaResult::Read || !Reading.Ambiguous)
        return {};
    const std::size_t At = Reading.Ambiguous->Point;
    const std::string Count = CountSpelling(Reading, Formula);
    return "Formula: character " + Place(Formula, At) + " " + Formula.Shown(At) + ": read as " +
           Rewrite(Formula).Dots(Reading).Text() + (Count.empty() ? "" : "; " + Count);
}

} // namespace Varnock
