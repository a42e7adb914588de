#include "core/FormulaReader.h"

#include <algorithm>

#include "core/Characters.h"
#include "core/FormulaParser.h"
#include "core/GroupTable.h"
#include "core/RunTimeError.h"

namespace Varnock {

namespace {

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

// A charge's size: digits, at most six of them.
int ChargeSize(std::string_view Digits) {
    int Size = 0;
    for (const char Digit : Digits)
        Size = Size * 10 + (Digit - '0');
    return Size;
}
constexpr std::size_t ChargeDigitsMost = 6;

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
    int Charge = 0;
    std::optional<ChargeDigits> ChargeRead;
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
        if (Character == '(' && Last != Nothing && Groups.empty())
            if (const std::size_t End = BracketCharge(At))
                return End;
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
        if (Character == '-' && Names && Last != Nothing) {
            Hyphen(At);
            if (StartsUnit(At + 1))
                return At + 1; // joins what stands right beside it: H-Ala-Gly-OH
        }
        if (StartsSymbol(Character)) {
            const bool TwoLetters =
                At + 1 < Text.size() && IsSecondLetter(static_cast<unsigned char>(Text[At + 1]));
            return Element(At, TwoLetters ? 2 : 1);
        }
        // Digits after a number and a blank: the number has ended, and these start a new part,
        // unless a sign after them ends the formula: then they are its charge (SO4 2-).
        if (IsDigit(Character) && At > 0 && IsBlank(Text[At - 1]) && DigitBefore(At)) {
            if (Groups.empty())
                if (const std::size_t Sign = SignEnding(At))
                    return EndWithCharge(At, DigitsEnd(At), Sign);
            return Separate(At, At);
        }
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
        if (Length == 2 && Names)
            if (const Varnock::Group* Instead = Names->LookAlikeOf(Symbol))
                LookAlikes.push_back({At, Length, Instead});
        return ReadCount(At + Length, Entries.size() - 1, At);
    }

    std::size_t AddGroup(std::size_t At, const Varnock::Group* Found) {
        Entries.push_back({std::string(Found->Name), Value(1), 0, Found});
        return ReadCount(At + Found->Name.size(), Entries.size() - 1, At);
    }

    // Whether an element, a group, or a group in brackets starts at At: what a hyphen joins, and
    // what a part can start with after a point.
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
        return ReadCount(At + Length + 1, Entries.size() - 1, Start);
    }

    // A point that starts no multiplier.
    std::size_t Point(std::size_t At) {
        if ((At > 0 && IsBlank(Text[At - 1])) || BlankAt(At + 1) || StartsUnit(At + 1))
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
                ++At;
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

    // The count after an element or a group starting at Unit and ending at UnitEnd, multiplying
    // the entries from First on.
    std::size_t ReadCount(std::size_t UnitEnd, std::size_t First, std::size_t Unit) {
        Last = BareUnit;
        std::size_t At = Skip(UnitEnd);
        if (!DigitAt(At))
            return At;
        if (Groups.empty())
            if (const std::size_t Sign = SignEnding(At))
                return IonEnding(UnitEnd, At, Sign, First, Unit);
        SpacedCount = SpacedCount || At > UnitEnd;
        Multiply(First, Value(ReadNumber(At, false, Unit)));
        return At;
    }

    void Multiply(std::size_t First, const Value& Count) {
        for (std::size_t Index = First; Index < Entries.size(); ++Index)
            Entries[Index].Count = Entries[Index].Count * Count;
        Last = CountedUnit;
    }

    // Where the one sign after whole digits from At stands, when blanks at most follow it; else 0.
    std::size_t SignEnding(std::size_t At) const {
        const std::size_t Sign = Skip(DigitsEnd(At));
        if (Sign >= Text.size() || !IsSign(Text[Sign]) || Skip(Sign + 1) < Text.size())
            return 0;
        return Sign;
    }

    // Digits from At, after the element or group from Unit to UnitEnd, then a sign that ends the
    // formula: how many of them are a count, and which are the charge.
    std::size_t IonEnding(std::size_t UnitEnd, std::size_t At, std::size_t Sign, std::size_t First,
                          std::size_t Unit) {
        const std::size_t End = DigitsEnd(At);
        const std::string_view Digits = Text.substr(At, End - At);
        const bool Square = Text[Unit] == '[' && !DigitAt(Unit + 1);
        const bool Round = Text[Unit] == '(' || Text[Unit] == '{';
        // The formula's first entry, with nothing but a multiplier before it.
        const bool OneSymbol = !Square && !Round && First == 0;
        std::size_t CountDigits = 0; // of the digits, those of the count
        bool Told = true;
        if (At > UnitEnd) {
            // After a blank: the charge, told of only where other counts stand after blanks.
            Told = SpacedCount && !Square && !Round;
        } else if (Square || (OneSymbol && Digits.size() == 1)) {
            // [Fe(CN)6]4-, Fe3+: the charge.
        } else if (Digits.size() > 1 && Digits.back() >= '2' &&
                   LeadingNumber(Digits.substr(0, Digits.size() - 1)) >= 2) {
            CountDigits = Digits.size() - 1; // SO42-: O4 with a charge of 2
        } else {
            CountDigits = Digits.size(); // NH4+, C12H22O11+, C60-: a count, with a charge of 1
            Told = false;
        }
        // A charge of 1 is written with no digit, and a count of 1 is none: read either way, the
        // entries and the charge are the same, so there is nothing to tell.
        if (CountDigits < Digits.size() && LeadingNumber(Digits.substr(CountDigits)) == 1) {
            CountDigits = Digits.size();
            Told = false;
        }
        if (CountDigits > 0) {
            const double Count = LeadingNumber(Digits.substr(0, CountDigits));
            if (Count == 0)
                throw Stop{FormulaResult::ZeroCount, At};
            Multiply(First, Value(Count));
        }
        if (Told)
            ChargeRead = ChargeDigits{Sign, At + CountDigits, At, Unit};
        return EndWithCharge(At + CountDigits, End, Sign);
    }

    // The charge of the digits from At to End (none: 1) and the sign at Sign, which ends the
    // formula.
    std::size_t EndWithCharge(std::size_t At, std::size_t End, std::size_t Sign) {
        Charge = Signed(At, End, Text[Sign], 1, At);
        return Text.size();
    }

    // The charge of a size in digits from At to End, or Signs when there are none; the charge
    // as written starts at Start.
    int Signed(std::size_t At, std::size_t End, char Sign, int Signs, std::size_t Start) const {
        int Size = Signs;
        if (End > At) {
            const std::string_view Digits = Text.substr(At, End - At);
            if (Digits.size() > ChargeDigitsMost)
                throw Stop{FormulaResult::Unreadable, At};
            Size = ChargeSize(Digits);
            if (Size == 0)
                throw Stop{FormulaResult::ZeroCharge, At, Start};
        }
        return Sign == '-' ? -Size : Size;
    }

    // A charge in round brackets that ends the formula: (2-), (+2), (-), (--). Where it ends, or
    // 0 when the bracket at At holds no such charge.
    std::size_t BracketCharge(std::size_t At) {
        std::size_t Inside = At + 1;
        const std::size_t Digits = Inside;
        Inside = DigitsEnd(Inside);
        const std::size_t DigitsBefore = Inside;
        if (Inside >= Text.size() || !IsSign(Text[Inside]))
            return 0;
        const char Sign = Text[Inside];
        std::size_t Signs = 0;
        while (Inside < Text.size() && Text[Inside] == Sign) {
            ++Signs;
            ++Inside;
        }
        const std::size_t After = DigitsEnd(Inside);
        const bool SizeBefore = DigitsBefore > Digits;
        const bool SizeAfter = After > Inside;
        // Digits on one side of one sign at most; a run of signs stands alone.
        if ((SizeBefore && SizeAfter) || (Signs > 1 && (SizeBefore || SizeAfter)) ||
            After >= Text.size() || Text[After] != ')' || Skip(After + 1) < Text.size())
            return 0;
        Charge = SizeBefore ? Signed(Digits, DigitsBefore, Sign, 1, At)
                            : Signed(Inside, After, Sign, static_cast<int>(Signs), At);
        return Text.size();
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
        return ReadCount(At + 1, Open.FirstEntry, Open.Opening);
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
    // sign after an element or a group. Blanks may stand around "^" and before the sign, not
    // between digits nor after a sign. It must end the formula; it adds no entry.
    std::size_t ReadCharge(std::size_t Start) {
        if (Last == Nothing)
            throw Stop{FormulaResult::Unreadable, Start};
        std::size_t At = Start;
        char Sign = Text[Start];
        if (Sign == '^') {
            At = Skip(Start + 1);
            const std::size_t Digits = At;
            At = DigitsEnd(At);
            if (At > Digits) {
                const std::size_t SizeEnd = At;
                At = Skip(At);
                if (DigitAt(At))
                    throw SplitChargeAt(SizeEnd, At);
                if (At == Text.size() || !IsSign(Text[At]))
                    throw Stop{FormulaResult::Unreadable, Start};
                Charge = Signed(Digits, SizeEnd, Text[At], 1, Start);
                return Ended(Start, At + 1);
            }
            if (At == Text.size() || !IsSign(Text[At]))
                throw Stop{FormulaResult::Unreadable, Start};
            Sign = Text[At];
        }
        const std::size_t SignAt = At;
        const std::size_t SizeEnd = DigitsEnd(At + 1);
        At = SizeEnd;
        int Signs = 1;
        if (SizeEnd == SignAt + 1 && Text[Start] != '^')
            for (; At < Text.size() && Text[At] == Sign; ++At)
                ++Signs;
        Charge = Signed(SignAt + 1, SizeEnd, Sign, Signs, Start);
        return Ended(Start, At);
    }

    // After a charge from Start to End: blanks up to the end of the formula.
    std::size_t Ended(std::size_t Start, std::size_t End) const {
        const std::size_t At = Skip(End);
        if (At == Text.size())
            return At;
        // Digits after a blank, up to the end: they were meant as the charge's, as in Fe+2 3.
        if (At > End && DigitAt(At) && Skip(DigitsEnd(At)) == Text.size())
            throw SplitChargeAt(End, At);
        // A second sign or caret is unreadable itself; anything else shows the charge misplaced.
        if (IsSign(Text[At]) || Text[At] == '^')
            throw Stop{FormulaResult::Unreadable, At};
        throw Stop{FormulaResult::MisplacedCharge, Start};
    }

    static Stop SplitChargeAt(std::size_t ChargeEnd, std::size_t Digits) {
        return Stop{FormulaResult::SplitCharge, Digits, ChargeEnd};
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
    std::string Packed;
    bool SpacedCount = false;        // whether a count stood after a blank: C 6 H 12 O 6
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

// A spelling to propose, read with the groups the formula was read with; nothing where it
// doesn't read, or its counts multiply out past the doubles.
std::optional<FormulaReading> ReadsAs(const std::string& Typed, const GroupTable* Groups) {
    try {
        FormulaReading Reading = ReadFormula(ReadTyped(Typed).Text, Groups);
        if (Reading.Result == FormulaResult::Read)
            return Reading;
    } catch (const RunTimeError&) {
    }
    return std::nullopt;
}

bool Reads(const std::string& Typed, const GroupTable* Groups) {
    return ReadsAs(Typed, Groups).has_value();
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

// "2+", "1-".
std::string ChargeText(int Charge) {
    return std::to_string(Charge < 0 ? -Charge : Charge) + (Charge < 0 ? "-" : "+");
}

// The typed formula before the byte At, without the blanks that end it.
std::string TypedBefore(const TypedFormula& Formula, std::size_t At) {
    std::string Typed = Formula.Typed.substr(0, Formula.Origins[At].Offset);
    while (!Typed.empty() && IsBlank(Typed.back()))
        Typed.pop_back();
    return Typed;
}

// Fe3+: "Formula: character 4 "+": read as Fe^3+; for Fe×3 with charge 1+ write Fe3^+".
std::string ChargeNote(const FormulaReading& Reading, const TypedFormula& Formula) {
    const ChargeDigits& Read = *Reading.ChargeRead;
    std::string Unit =
        TypedBefore(Formula, Read.CountStart).substr(Formula.Origins[Read.Unit].Offset);
    const std::string Sign(1, Formula.Text[Read.Sign]);
    std::string Note = "Formula: character " + Place(Formula, Read.Sign) + " " +
                       Formula.Shown(Read.Sign) + ": read as " +
                       Rewrite(Formula).Dots(Reading).Before(Read.Charge, "^").Text();
    const std::string AsCount = Rewrite(Formula).Dots(Reading).Before(Read.Sign, "^").Text();
    if (Reads(AsCount, Reading.Groups))
        Note += "; for " + Unit + "\u00D7" + Digits(Formula, Read.CountStart, Read.Sign) +
                " with charge 1" + Sign + " write " + AsCount;
    return Note;
}

// Fe+2 3: "for the charge 23+ write Fe+23", the blanks between the charge and the digits left
// out.
std::string JoinedCharge(const FormulaReading& Reading, const TypedFormula& Formula) {
    Rewrite Joined(Formula);
    for (std::size_t At = Reading.Other; At < Reading.Position; ++At)
        Joined.Over(At, "");
    const std::string Text = Joined.Text();
    const auto Again = ReadsAs(Text, Reading.Groups);
    return Again ? "; for the charge " + ChargeText(Again->Charge) + " write " + Text
                 : std::string();
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
        Reading.Charge = Scanner.Charge;
        Reading.ChargeRead = Scanner.ChargeRead;
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
    case FormulaResult::MisplacedCharge:
        return Head + ": a charge can only end the formula";
    case FormulaResult::ZeroCharge: {
        const std::string Uncharged = TypedBefore(Formula, Reading.Other);
        return Head + ": a charge must be above 0" +
               (Reads(Uncharged, Reading.Groups) ? "; for no charge write " + Uncharged
                                                 : std::string());
    }
    case FormulaResult::SplitCharge:
        return Head + ": a blank can't split a charge" + JoinedCharge(Reading, Formula);
    case FormulaResult::UnknownName:
        return NameNotice(Reading, Formula);
    case FormulaResult::LooseHyphen:
    case FormulaResult::CountedHyphen:
        return Head + ": a hyphen joins the elements or groups right beside it" +
               HyphenSpelling(Reading, Formula);
    }
    return Head;
}

namespace {

// An element that a group names as its look-alike: one note a symbol, at its first place, the
// spelling writing the group at every place where the symbol stands.
void LookAlikeNotes(const FormulaReading& Reading, const TypedFormula& Formula,
                    std::vector<std::string>& Notes) {
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
        Notes.push_back(
            "Formula: character " + Place(Formula, At) + " \"" + Symbol + "\" is the element " +
            Symbol +
            (Reads(Text, Reading.Groups)
                 ? "; for " + std::string(Instead->Description) + " write " + Text
                 : "; " + std::string(Instead->Name) + " is " + std::string(Instead->Description)));
    }
}

} // namespace

std::vector<std::string> ReadingNotes(const FormulaReading& Reading, const TypedFormula& Formula) {
    std::vector<std::string> Notes;
    if (Reading.Result != FormulaResult::Read)
        return Notes;
    if (Reading.Ambiguous) {
        const std::size_t At = Reading.Ambiguous->Point;
        const std::string Count = CountSpelling(Reading, Formula);
        Notes.push_back("Formula: character " + Place(Formula, At) + " " + Formula.Shown(At) +
                        ": read as " + Rewrite(Formula).Dots(Reading).Text() +
                        (Count.empty() ? "" : "; " + Count));
    }
    if (Reading.ChargeRead)
        Notes.push_back(ChargeNote(Reading, Formula));
    LookAlikeNotes(Reading, Formula, Notes);
    return Notes;
}

} // namespace Varnock
