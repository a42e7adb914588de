#include "core/FormulaReader.h"

#include "core/FormulaParser.h"

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
bool IsLetter(char Character) {
    return StartsSymbol(Character) || IsSecondLetter(static_cast<unsigned char>(Character));
}

// Where a reading stops short: thrown inside the reader, caught once at its top.
struct Stop {
    FormulaResult Result;
    std::size_t Position;
    std::size_t Other = 0;
};

class Reader {
public:
    explicit Reader(std::string_view Text) : Text(Text) {}

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
        if (StartsSymbol(Character)) {
            const bool TwoLetters =
                At + 1 < Text.size() && IsSecondLetter(static_cast<unsigned char>(Text[At + 1]));
            const std::size_t Length = TwoLetters ? 2 : 1;
            Entries.push_back({std::string(Text.substr(At, Length)), Value(1)});
            return ReadCount(Skip(At + Length), Entries.size() - 1);
        }
        if (IsPartSeparator(Character) || (Character == '.' && PartStartsAt(Skip(At + 1)))) {
            EndPart(At);
            PartMark = At;
            AtPartStart = true;
            Last = Nothing;
            return Skip(At + 1);
        }
        if (Character == '.' && Last == BareUnit && DigitAt(Skip(At + 1)))
            throw Stop{FormulaResult::AmbiguousPoint, At};
        if (Character == '^' || IsSign(Character))
            return ReadCharge(At);
        throw Stop{FormulaResult::Unreadable, At};
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
        return ReadCount(Skip(At + Length + 1), Entries.size() - 1);
    }

    // Digits, blanks among them ignored, with at most one point between digits (or, for a
    // multiplier, before them). At is left after the last digit; a value of 0 is refused.
    double ReadNumber(std::size_t& At, bool PointFirst) {
        const std::size_t Start = At;
        Packed.clear();
        bool Point = false;
        std::size_t End = At;
        while (At < Text.size()) {
            const char Character = Text[At];
            if (IsDigit(Character)) {
                Packed += Character;
                LastDigit = At;
                End = ++At;
            } else if (IsBlank(Character)) {
                ++At;
            } else if (Character == '.' && !Point && (PointFirst || !Packed.empty()) &&
                       DigitAt(Skip(At + 1))) {
                Packed += Packed.empty() ? "0." : ".";
                Point = true;
                ++At;
            } else {
                break;
            }
        }
        At = Skip(End);
        // Read as the count rule reads a count: too small for a double is 0, too large stays
        // too large, so that the calculation reports an overflow.
        const double Number = LeadingNumber(Packed);
        if (Number == 0)
            throw Stop{FormulaResult::ZeroCount, Start};
        return Number;
    }

    // The count after an element or a group, multiplying the entries from First on.
    std::size_t ReadCount(std::size_t At, std::size_t First) {
        Last = BareUnit;
        if (!DigitAt(At))
            return At;
        const Value Count(ReadNumber(At, false));
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
        return ReadCount(Skip(At + 1), Open.FirstEntry);
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
            if (At == Text.size() && Last == CountedUnit)
                throw Stop{FormulaResult::AmbiguousCharge, Start, LastDigit};
        }
        // A second sign or caret is unreadable itself; anything else shows the charge misplaced.
        if (At < Text.size() && (IsSign(Text[At]) || Text[At] == '^'))
            throw Stop{FormulaResult::Unreadable, At};
        if (At < Text.size())
            throw Stop{FormulaResult::MisplacedCharge, Start};
        return At;
    }

    std::string_view Text;
    std::vector<FormulaEntry> Entries;
    std::vector<Group> Groups;
    std::size_t PartFirst = 0; // the current part's first entry
    std::size_t PartMark = 0;  // where the current part began: its separator or multiplier
    Value Multiplier;          // empty when the part has none
    bool AtPartStart = true;
    Ending Last = Nothing;
    std::size_t LastDigit = 0;
    std::string Packed;
};

std::string Place(const TypedFormula& Formula, std::size_t Byte) {
    return std::to_string(Formula.Origins[Byte].Place);
}

// The typed formula with Insert put before the character of Byte, or in its place.
std::string Rewritten(const TypedFormula& Formula, std::size_t Byte, std::string_view Insert,
                      bool Replace) {
    const auto& From = Formula.Origins[Byte];
    std::string Text = Formula.Typed;
    Text.replace(From.Offset, Replace ? From.Length : 0, Insert);
    return Text;
}

} // namespace

std::string LabelText(const FormulaEntry& Entry) {
    return "[" + std::to_string(Entry.MassNumber) + Entry.Symbol + "]";
}

FormulaReading ReadFormula(std::string_view Formula) {
    FormulaReading Reading;
    try {
        Reading.Entries = Reader(Formula).Read();
    } catch (const Stop& Stopped) {
        Reading.Result = Stopped.Result;
        Reading.Position = Stopped.Position;
        Reading.Other = Stopped.Other;
    }
    return Reading;
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
    case FormulaResult::EmptyPart:
        return Head + ": a part holds no element";
    case FormulaResult::AmbiguousPoint:
        return Head + ": write " + Rewritten(Formula, At, "\u00B7", true) + " or " +
               Rewritten(Formula, At, "0", false);
    case FormulaResult::AmbiguousCharge:
        return Head + ": write the charge after ^, as in " +
               Rewritten(Formula, Reading.Other, "^", false) + " or " +
               Rewritten(Formula, At, "^", false);
    case FormulaResult::MisplacedCharge:
        return Head + ": a charge can only end the formula";
    }
    return Head;
}

} // namespace Varnock
