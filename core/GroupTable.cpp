#include "core/GroupTable.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/Characters.h"
#include "core/RunTimeError.h"
#include "core/TextFile.h"
#include "core/TypedFormula.h"

namespace Varnock {

namespace {

// The fields of a line: separated by commas, each trimmed, double quotes around one removed (a
// quoted field may hold commas); the first five kept, all counted. False when a quote is never
// closed or text follows it. One pass over the bytes, as the table is read at many a start.
bool SplitFields(std::string_view Line, std::string_view (&Fields)[5], std::size_t& Count) {
    const char* At = Line.data();
    const char* const End = At + Line.size();
    while (true) {
        while (At != End && (*At == ' ' || *At == '\t'))
            ++At;
        const char* Begin = At;
        const char* Finish = nullptr;
        if (At != End && *At == '"') {
            Begin = ++At;
            while (At != End && *At != '"')
                ++At;
            if (At == End)
                return false;
            Finish = At++;
            while (At != End && (*At == ' ' || *At == '\t'))
                ++At;
            if (At != End && *At != ',')
                return false;
        } else {
            while (At != End && *At != ',')
                ++At;
            Finish = At;
            while (Finish != Begin && (Finish[-1] == ' ' || Finish[-1] == '\t'))
                --Finish;
        }
        if (Count < 5)
            Fields[Count] = std::string_view(Begin, static_cast<std::size_t>(Finish - Begin));
        ++Count;
        if (At == End)
            return true;
        ++At; // the comma
    }
}

std::string Lowered(std::string_view Text) {
    std::string Low(Text);
    for (char& Character : Low)
        if (IsAsciiUpper(Character))
            Character = static_cast<char>(Character - 'A' + 'a');
    return Low;
}

std::size_t Distance(std::string_view One, std::string_view Other) {
    std::vector<std::size_t> Row(Other.size() + 1);
    for (std::size_t At = 0; At < Row.size(); ++At)
        Row[At] = At;
    for (std::size_t I = 1; I <= One.size(); ++I) {
        std::size_t Diagonal = Row[0];
        Row[0] = I;
        for (std::size_t J = 1; J <= Other.size(); ++J) {
            const std::size_t Above = Row[J];
            Row[J] = std::min(
                {Row[J] + 1, Row[J - 1] + 1, Diagonal + (One[I - 1] == Other[J - 1] ? 0 : 1)});
            Diagonal = Above;
        }
    }
    return Row.back();
}

// A formula of symbols and whole counts alone (C6H5): whether it reads, its every symbol an
// element of the table or D or T, told without the reader. Nothing when it is of another kind.
std::optional<std::string_view> PlainFormulaFault(std::string_view Formula,
                                                  const ElementSymbols& Elements) {
    std::size_t At = 0;
    while (At < Formula.size()) {
        if (!IsAsciiUpper(Formula[At]))
            return std::nullopt;
        const std::size_t Start = At++;
        if (At < Formula.size() && IsAsciiLower(Formula[At]))
            ++At;
        const std::string_view Symbol = Formula.substr(Start, At - Start);
        if (!Elements.Contains(Symbol) && Symbol != "D" && Symbol != "T")
            return Symbol;
        if (At < Formula.size() && Formula[At] == '0')
            return std::nullopt;
        while (At < Formula.size() && Formula[At] >= '0' && Formula[At] <= '9')
            ++At;
    }
    return std::string_view();
}

} // namespace

void ElementSymbols::Add(std::string_view Symbol) {
    if ((Symbol.size() == 1 || Symbol.size() == 2) && !Contains(Symbol)) {
        Bits.set(Key(Symbol));
        Pairs += Symbol[0];
        Pairs += Symbol.size() == 2 ? Symbol[1] : '\0';
    }
}

ElementSymbols ElementSymbols::Of(const ElementTable& Table) {
    ElementSymbols Symbols;
    Table.ListAll([&](const ElementRecord& Record) {
        if (Record.Symbol.IsString())
            Symbols.Add(Record.Symbol.Text());
    });
    return Symbols;
}

const std::vector<FormulaEntry>& Group::Entries() const {
    if (Read.empty())
        Read = ReadFormula(Formula).Entries;
    return Read;
}

bool IsGroupName(std::string_view Name) {
    std::size_t Prefix = 0;
    while (Prefix < Name.size() && IsAsciiLower(Name[Prefix]))
        ++Prefix;
    if (Prefix == Name.size())
        return Prefix > 0; // acac
    if (Prefix > 3 || !IsAsciiUpper(Name[Prefix]) || Prefix + 1 == Name.size())
        return false;
    return std::all_of(Name.begin() + static_cast<std::ptrdiff_t>(Prefix) + 1, Name.end(),
                       IsAsciiLower);
}

GroupTable::GroupTable(std::string Path, ElementSymbols Symbols)
    : FilePath(std::move(Path)), Elements(std::move(Symbols)) {}

void GroupTable::Load() const {
    if (!Read)
        ReadFile();
}

void GroupTable::ReadFile() const {
    Read = true;
    if (FilePath.empty())
        return; // the table of no groups
    try {
        Text = std::make_shared<const std::string>(ReadWholeFile(FilePath));
        Groups.reserve(Text->size() / 24 + 1); // rows are longer than that
        ForEachRowIn(*Text,
                     [&](std::string_view Row, std::size_t Number) { ReadRow(Row, Number); });
    } catch (const RunTimeError& Error) {
        // No table, no groups; a table that is there and can't be read is told.
        if (Error.Number() != ErrFileNotFound)
            Faults.push_back(FilePath + ": " + ErrorNumberText(Error.Number()));
        Groups.clear();
    }
    Index();
}

void GroupTable::ReadRow(std::string_view Line, std::size_t Number) const {
    const auto Fault = [&](const std::string& What) {
        Faults.push_back(FilePath + ", line " + std::to_string(Number) + ": " + What);
    };
    std::string_view Fields[5];
    std::size_t Count = 0;
    if (!SplitFields(Line, Fields, Count))
        return Fault("a quote is not closed, or text follows it");
    if (Count != 3 && Count != 4)
        return Fault("3 or 4 fields expected, " + std::to_string(Count) + " found");
    const std::string_view Name = Fields[0], Formula = Fields[1], LookAlike = Fields[3];
    if (!IsGroupName(Name))
        return Fault("the name \"" + std::string(Name) +
                     "\" is none of a group's: Ph, tBu (one to three lowercase letters before "
                     "such a name) or acac");
    if (Elements.Contains(Name))
        return Fault("the name " + std::string(Name) +
                     " is an element of the table, and a formula reads the element");
    if (!LookAlike.empty() && (LookAlike.size() != 2 || !Elements.Contains(LookAlike)))
        return Fault("the look-alike " + std::string(LookAlike) +
                     " is no element of the table with a two-letter symbol");
    if (Formula.empty())
        return Fault("the formula is empty");
    // As long as a typed formula may be, so that no count of a group's, times a typed one,
    // overflows a mass.
    if (Formula.size() > FormulaLimit)
        return Fault("the formula has " + std::to_string(Formula.size()) + " characters, at most " +
                     std::to_string(FormulaLimit) + " can be read");
    std::optional<std::string_view> Lacked = PlainFormulaFault(Formula, Elements);
    std::string Unknown;
    if (!Lacked) { // brackets, isotopes, separators, a charge: as the reader reads them
        if (Formula.find_first_of("+-^") != std::string_view::npos)
            return Fault("the formula " + std::string(Formula) + " has a charge; a group has none");
        const TypedFormula Typed = FromCodePage(Formula);
        FormulaReading Reading;
        try {
            Reading = ReadFormula(Typed.Text);
        } catch (const RunTimeError& Error) {
            return Fault("the formula " + std::string(Formula) + ": " +
                         ErrorNumberText(Error.Number()));
        }
        if (Reading.Result != FormulaResult::Read)
            return Fault(
                "the formula " + std::string(Formula) + " can't be read: " +
                RefusalNotice(Reading, Typed).substr(std::string_view("Formula: ").size()));
        if (Reading.Entries.empty())
            return Fault("the formula is empty");
        for (const FormulaEntry& Entry : Reading.Entries) {
            const bool Heavy =
                Entry.MassNumber == 0 && (Entry.Symbol == "D" || Entry.Symbol == "T");
            if (!Heavy && !Elements.Contains(Entry.Symbol) && Unknown.empty())
                Unknown = Entry.Symbol;
        }
        Lacked = Unknown;
    }
    if (!Lacked->empty())
        return Fault("the formula " + std::string(Formula) + " names " + std::string(*Lacked) +
                     ", which is no element of the table");
    Group& Read = Groups.emplace_back();
    Read.Name = Name;
    Read.Formula = Formula;
    Read.Description = Fields[2];
    Read.LookAlike = LookAlike;
}

void GroupTable::Index() const {
    // By first byte, then longest name first, names as long in file order: a counting sort, then
    // an insertion sort of the few names of each byte, which compares lengths alone.
    const auto Sort = [&] {
        First.fill(0);
        for (const Group& Each : Groups)
            ++First[static_cast<unsigned char>(Each.Name[0]) + 1u];
        for (std::size_t Byte = 1; Byte < First.size(); ++Byte)
            First[Byte] += First[Byte - 1];
        std::array<std::uint32_t, 256> Next;
        std::copy(First.begin(), First.end() - 1, Next.begin());
        Order.resize(Groups.size());
        for (std::uint32_t At = 0; At < Groups.size(); ++At)
            Order[Next[static_cast<unsigned char>(Groups[At].Name[0])]++] = At;
        for (std::size_t Byte = 0; Byte < 256; ++Byte)
            for (std::uint32_t At = First[Byte] + 1; At < First[Byte + 1]; ++At)
                for (std::uint32_t Place = At;
                     Place > First[Byte] &&
                     Groups[Order[Place]].Name.size() > Groups[Order[Place - 1]].Name.size();
                     --Place)
                    std::swap(Order[Place - 1], Order[Place]);
    };
    Sort();
    // A later row of a name replaces the earlier one, where that stood: the names that can be
    // equal are those of one byte and one length, in file order.
    std::vector<bool> Replaced;
    for (std::size_t Byte = 0; Byte < 256; ++Byte)
        for (std::uint32_t Later = First[Byte] + 1; Later < First[Byte + 1]; ++Later) {
            const std::string_view Name = Groups[Order[Later]].Name;
            for (std::uint32_t Earlier = Later;
                 Earlier-- > First[Byte] && Groups[Order[Earlier]].Name.size() == Name.size();)
                if (Groups[Order[Earlier]].Name == Name &&
                    (Replaced.empty() || !Replaced[Order[Earlier]])) {
                    Replaced.resize(Groups.size());
                    Groups[Order[Earlier]] = Groups[Order[Later]];
                    Replaced[Order[Later]] = true;
                    break;
                }
        }
    if (!Replaced.empty()) {
        std::size_t Kept = 0;
        for (std::size_t At = 0; At < Groups.size(); ++At)
            if (!Replaced[At])
                Groups[Kept++] = std::move(Groups[At]);
        Groups.resize(Kept);
        Sort();
    }
    for (const Group& Each : Groups)
        if (!Each.LookAlike.empty())
            LookAlikes.Add(Each.LookAlike);
}

const Group* GroupTable::Find(std::string_view Name) const {
    const Group* Found = Name.empty() ? nullptr : Longest(Name);
    return Found && Found->Name.size() == Name.size() ? Found : nullptr;
}

const Group* GroupTable::Longest(std::string_view Text) const {
    Load();
    if (Text.empty() || Groups.empty())
        return nullptr;
    const auto Byte = static_cast<unsigned char>(Text[0]);
    for (std::uint32_t At = First[Byte]; At < First[Byte + 1]; ++At)
        if (Text.starts_with(Groups[Order[At]].Name))
            return &Groups[Order[At]];
    return nullptr;
}

const Group* GroupTable::FindLookAlike(std::string_view Symbol) const {
    Load();
    if (!LookAlikes.Contains(Symbol))
        return nullptr;
    for (const Group& Each : Groups)
        if (Each.LookAlike == Symbol)
            return &Each;
    return nullptr;
}

std::vector<std::string> GroupTable::Nearest(std::string_view Name) const {
    Load();
    // Near as letters go, case aside; the nearest as typed, case and all, first; a second
    // spelling of a group already named left out.
    const std::string Low = Lowered(Name);
    struct Candidate {
        std::size_t Typed;
        std::string Name;
        std::string_view Description;
    };
    std::vector<Candidate> Candidates;
    const auto Consider = [&](std::string_view Each, std::string_view Description) {
        // Lengths more than two apart are more than two edits apart.
        if (Each.size() + 2 < Name.size() || Name.size() + 2 < Each.size())
            return;
        const std::size_t Typed = Distance(Name, Each);
        const std::size_t Letters = Distance(Low, Lowered(Each));
        if (Letters <= 2 && (Typed < Name.size() || Letters == 0))
            Candidates.push_back({Typed, std::string(Each), Description});
    };
    for (const Group& Each : Groups)
        Consider(Each.Name, Each.Description);
    Elements.ForEach([&](std::string_view Symbol) { Consider(Symbol, {}); });
    std::stable_sort(
        Candidates.begin(), Candidates.end(),
        [](const Candidate& One, const Candidate& Other) { return One.Typed < Other.Typed; });
    std::vector<std::string> Names;
    std::vector<std::string_view> Told;
    for (const Candidate& Each : Candidates) {
        if (Names.size() == 3 || Each.Typed != Candidates.front().Typed)
            break;
        if (Each.Description.empty() ||
            std::find(Told.begin(), Told.end(), Each.Description) == Told.end())
            Names.push_back(Each.Name);
        Told.push_back(Each.Description);
    }
    return Names;
}

std::string GroupTableBeside(std::string_view ElementTablePath) {
    return FileBeside(ElementTablePath, GroupTableName);
}

Value GroupWeight(const Group& Of, const ElementWeights& Elements, std::string& Missing) {
    // Weights are doubles, so the sum is what Value's arithmetic gives, without its dispatch:
    // a list weighs many groups. A sum past the doubles fails as there.
    double Total = 0;
    for (const FormulaEntry& Entry : Of.Entries()) {
        const Value Weight = Entry.MassNumber == 0
                                 ? Elements.WeightOfSymbol(Entry.Symbol)
                                 : Elements.WeightOfIsotope(Entry.Symbol, Entry.MassNumber);
        if (Weight.IsZero()) {
            Missing = Entry.MassNumber == 0 ? Entry.Symbol : LabelText(Entry);
            return Value();
        }
        Total += Entry.Count.AsDouble() * Weight.AsDouble();
        if (!std::isfinite(Total))
            throw RunTimeError(ErrOverflow);
    }
    return Value(Total);
}

} // namespace Varnock
