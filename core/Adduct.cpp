#include "core/Adduct.h"

#include <cmath>
#include <cstdlib>

#include "core/Characters.h"
#include "core/GroupTable.h"
#include "core/RunTimeError.h"

namespace Varnock {

namespace {

// Where a reading stops short: thrown inside the reader, caught once at its top.
struct Stop {
    AdductResult Result;
    std::size_t Position;
};

// A count of 1 stays the integer the formula reader gives for no count; any other is a double.
Value CountValue(double Count) {
    return Count == 1 ? Value(1) : Value(Count);
}

// Adds Times the entry to the entry of the same symbol and mass number, or appends it; returns
// its index.
std::size_t Merge(std::vector<FormulaEntry>& Into, const FormulaEntry& Entry, double Times) {
    for (std::size_t At = 0; At < Into.size(); ++At)
        if (Into[At].Symbol == Entry.Symbol && Into[At].MassNumber == Entry.MassNumber) {
            Into[At].Count = CountValue(Into[At].Count.AsDouble() + Times * Entry.Count.AsDouble());
            return At;
        }
    Into.push_back({Entry.Symbol, CountValue(Times * Entry.Count.AsDouble()), Entry.MassNumber});
    return Into.size() - 1;
}

class Reader {
public:
    Reader(std::string_view Text, AdductReading& Reading, const GroupTable* Groups)
        : Text(Text), Reading(Reading), Groups(Groups) {}

    void Read() {
        Adduct& Ion = Reading.Ion;
        std::size_t At = Skip(0);
        if (At >= Text.size() || Text[At] != '[')
            throw Stop{AdductResult::NoOpening, At};
        const std::size_t Opening = At;
        At = Skip(At + 1);
        if (At < Text.size() && IsDigit(Text[At])) {
            const std::size_t Start = At;
            Ion.Molecules = Number(At);
            if (Ion.Molecules == 0)
                throw Stop{AdductResult::ZeroMolecules, Start};
            At = Skip(At);
        }
        if (At >= Text.size() || Text[At] != 'M')
            throw Stop{AdductResult::NoMolecule, At};
        At = Skip(At + 1);
        while (true) {
            if (At >= Text.size())
                throw Stop{AdductResult::Unclosed, Opening};
            if (Text[At] == ']')
                break;
            if (!IsSign(Text[At]))
                throw Stop{AdductResult::Unreadable, At};
            At = Part(At);
        }
        At = Skip(At + 1);
        if (At < Text.size() && Text[At] == '^')
            At = Skip(At + 1);
        At = Charge(At);
        if (At < Text.size())
            throw Stop{AdductResult::Unreadable, At};
        Ion.Text = std::string(Text);
    }

private:
    std::size_t Skip(std::size_t At) const {
        while (At < Text.size() && IsBlank(Text[At]))
            ++At;
        return At;
    }

    // Digits from At, moving At past them.
    int Number(std::size_t& At) const {
        const std::size_t Start = At;
        long Read = 0;
        for (; At < Text.size() && IsDigit(Text[At]); ++At) {
            Read = Read * 10 + (Text[At] - '0');
            if (Read > AdductLimit)
                throw Stop{AdductResult::TooLarge, Start};
        }
        return static_cast<int>(Read);
    }

    // The formula after the sign at At, up to the next sign or the "]" outside its groups.
    std::size_t Part(std::size_t Sign) {
        std::size_t End = Sign + 1;
        int Depth = 0;
        for (; End < Text.size(); ++End) {
            const char Character = Text[End];
            if (Depth == 0 && (IsSign(Character) || Character == ']'))
                break;
            if (Character == '(' || Character == '[' || Character == '{')
                ++Depth;
            else if ((Character == ')' || Character == ']' || Character == '}') && Depth > 0)
                --Depth;
        }
        const std::string_view Formula = Text.substr(Sign + 1, End - Sign - 1);
        if (Skip(Sign + 1) >= End)
            throw Stop{AdductResult::EmptyPart, Sign};
        FormulaReading Read;
        try {
            Read = ReadFormula(Formula, Groups);
        } catch (const RunTimeError&) { // counts that overflow a double
            throw Stop{AdductResult::TooLarge, Skip(Sign + 1)};
        }
        if (Read.Result != FormulaResult::Read) {
            Reading.PartStart = Sign + 1;
            Reading.PartEnd = End;
            const std::size_t Position = Sign + 1 + Read.Position;
            Reading.Part = std::move(Read);
            throw Stop{AdductResult::PartRefused, Position};
        }
        if (Read.Entries.empty())
            throw Stop{AdductResult::EmptyPart, Sign};
        // The ion's charge is the one after the "]": a part's own would be lost.
        if (Read.Charge != 0)
            throw Stop{AdductResult::ChargedPart, Skip(Sign + 1)};
        Adduct& Ion = Reading.Ion;
        for (const FormulaEntry& Entry : Read.Entries) {
            // A group adds or removes its elements, its count times theirs.
            const std::vector<FormulaEntry> One{Entry};
            for (const FormulaEntry& Atom : Entry.GroupRow ? Entry.GroupRow->Entries() : One) {
                const double Times = Entry.GroupRow ? Entry.Count.AsDouble() : 1;
                if (Text[Sign] == '+') {
                    Merge(Ion.Added, Atom, Times);
                } else if (Merge(Ion.Removed, Atom, Times) == Ion.RemovedAt.size()) {
                    Ion.RemovedAt.push_back(Skip(Sign + 1));
                }
            }
        }
        return End;
    }

    // "+", "-", "2+", "+2"; returns where it ends, blanks after it skipped.
    std::size_t Charge(std::size_t At) {
        if (At >= Text.size() || (!IsDigit(Text[At]) && !IsSign(Text[At])))
            throw Stop{AdductResult::NoCharge, At};
        const std::size_t Start = At;
        int Size = 1;
        char Sign = Text[At];
        if (IsDigit(Sign)) {
            Size = Number(At);
            if (At >= Text.size() || !IsSign(Text[At]))
                throw Stop{AdductResult::NoCharge, At};
            Sign = Text[At++];
        } else if (++At < Text.size() && IsDigit(Text[At])) {
            Size = Number(At);
        }
        if (Size == 0)
            throw Stop{AdductResult::ZeroCharge, Start};
        Reading.Ion.Charge = Sign == '-' ? -Size : Size;
        return Skip(At);
    }

    std::string_view Text;
    AdductReading& Reading;
    const GroupTable* Groups;
};

// The text Typed holds from byte Start on, for the formula reader's notice on a formula inside.
TypedFormula From(const TypedFormula& Typed, std::size_t Start, std::size_t End) {
    TypedFormula Part = Typed;
    Part.Text = Typed.Text.substr(Start, End - Start);
    // The origins past the end stay, so that a place just after the formula is named too.
    Part.Origins.erase(Part.Origins.begin(),
                       Part.Origins.begin() + static_cast<std::ptrdiff_t>(Start));
    return Part;
}

std::string Head(const TypedFormula& Typed, std::size_t At) {
    const std::string Name = "Adduct " + Typed.Typed;
    if (At >= Typed.Origins.size())
        return Name + ": at the end";
    return Name + ": character " + std::to_string(Typed.Origins[At].Place) + " " + Typed.Shown(At);
}

double Mono(const std::vector<FormulaEntry>& Entries, const IsotopeTable& Isotopes, bool& Found) {
    double Sum = 0;
    for (const FormulaEntry& Entry : Entries) {
        const Isotope* Exact = ExactIsotope(Isotopes, Entry.Symbol, Entry.MassNumber);
        if (!Exact) {
            Found = false;
            return 0;
        }
        Sum += Entry.Count.AsDouble() * Exact->Mass;
    }
    return Sum;
}

} // namespace

AdductReading ReadAdduct(std::string_view Text, const GroupTable* Groups) {
    AdductReading Reading;
    try {
        Reader(Text, Reading, Groups).Read();
    } catch (const Stop& Stopped) {
        Reading.Result = Stopped.Result;
        Reading.Position = Stopped.Position;
        Reading.Ion = Adduct();
    }
    return Reading;
}

std::string AdductRefusalNotice(const AdductReading& Reading, const TypedFormula& Typed) {
    const std::string Where = Head(Typed, Reading.Position);
    switch (Reading.Result) {
    case AdductResult::Read:
        return {};
    case AdductResult::NoOpening:
        return Where + ": an adduct starts with [, as in [M+H]+";
    case AdductResult::NoMolecule:
        return Where + ": M belongs here, as in [M+H]+ or [2M+H]+";
    case AdductResult::ZeroMolecules:
        return Where + ": the count of molecules must be above 0";
    case AdductResult::TooLarge:
        return Where + ": the number is too large, at most " + std::to_string(AdductLimit);
    case AdductResult::EmptyPart:
        return Where + ": no formula follows the sign";
    case AdductResult::PartRefused: {
        // The reader's own notice, its places counted in the whole adduct.
        const std::string Notice =
            RefusalNotice(Reading.Part, From(Typed, Reading.PartStart, Reading.PartEnd));
        const std::string_view Prefix = "Formula: ";
        return "Adduct " + Typed.Typed + ": " +
               (Notice.starts_with(Prefix) ? Notice.substr(Prefix.size()) : Notice);
    }
    case AdductResult::ChargedPart:
        return Where + ": what is added or removed has no charge of its own; the ion's follows "
                       "the ], as in [M+H]+";
    case AdductResult::Unreadable:
        return Where + " can't be read";
    case AdductResult::Unclosed:
        return Where + " is never closed";
    case AdductResult::NoCharge:
        return Where + ": the ion's charge belongs here, as in [M+H]+, [M-H]- or [M+2H]2+";
    case AdductResult::ZeroCharge:
        return Where + ": the charge can't be 0";
    }
    return Where;
}

std::optional<double> AdductShift(const Adduct& Ion, const IsotopeTable& Isotopes) {
    bool Found = true;
    const double Added = Mono(Ion.Added, Isotopes, Found);
    const double Removed = Mono(Ion.Removed, Isotopes, Found);
    if (!Found)
        return std::nullopt;
    return Added - Removed - Ion.Charge * ElectronMass;
}

double AdductMassToCharge(const Adduct& Ion, double Mass, double Shift) {
    return (Ion.Molecules * Mass + Shift) / std::abs(Ion.Charge);
}

double AdductMoleculeMass(const Adduct& Ion, double MassToCharge, double Shift) {
    return (MassToCharge * std::abs(Ion.Charge) - Shift) / Ion.Molecules;
}

std::optional<std::size_t> LackingEntry(const Adduct& Ion,
                                        const std::vector<FormulaEntry>& Molecule) {
    const auto Sum = [](const std::vector<FormulaEntry>& Entries, const FormulaEntry& Like) {
        double Count = 0;
        for (const FormulaEntry& Entry : Entries)
            if (Entry.Symbol == Like.Symbol && Entry.MassNumber == Like.MassNumber)
                Count += Entry.Count.AsDouble();
        return Count;
    };
    for (std::size_t At = 0; At < Ion.Removed.size(); ++At) {
        const FormulaEntry& Removed = Ion.Removed[At];
        const double Left = Ion.Molecules * Sum(Molecule, Removed) + Sum(Ion.Added, Removed) -
                            Removed.Count.AsDouble();
        // Decimal counts may leave a rounding error where the count comes to 0.
        if (Left < -1e-9)
            return At;
    }
    return std::nullopt;
}

IonFormula FormIon(const Adduct& Ion, const std::vector<FormulaEntry>& Molecule) {
    if (const auto Lacking = LackingEntry(Ion, Molecule))
        return {{}, Lacking};
    IonFormula Formed;
    for (const FormulaEntry& Entry : Molecule)
        Merge(Formed.Entries, Entry, Ion.Molecules);
    for (const FormulaEntry& Entry : Ion.Added)
        Merge(Formed.Entries, Entry, 1);
    for (const FormulaEntry& Entry : Ion.Removed)
        Merge(Formed.Entries, Entry, -1);
    std::erase_if(Formed.Entries, [](const FormulaEntry& Entry) {
        return std::abs(Entry.Count.AsDouble()) < 1e-9;
    });
    return Formed;
}

std::string LackingNotice(const Adduct& Ion, std::size_t Lacking) {
    const FormulaEntry& Entry = Ion.Removed[Lacking];
    const std::string Label = Entry.MassNumber ? LabelText(Entry) : Entry.Symbol;
    return Head(FromCodePage(Ion.Text), Ion.RemovedAt[Lacking]) + ": removes more " + Label +
           " than the molecule holds";
}

} // namespace Varnock
