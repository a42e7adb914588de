#include "core/GroupTable.h"

#include <algorithm>

#include "core/RunTimeError.h"
#include "core/TextFile.h"
#include "core/TypedFormula.h"

namespace Varnock {

namespace {

bool IsUpper(char Character) {
    return Character >= 'A' && Character <= 'Z';
}
bool IsLower(char Character) {
    return Character >= 'a' && Character <= 'z';
}

std::string_view Trimmed(std::string_view Text) {
    while (!Text.empty() && (Text.front() == ' ' || Text.front() == '\t'))
        Text.remove_prefix(1);
    while (!Text.empty() && (Text.back() == ' ' || Text.back() == '\t' || Text.back() == '\r'))
        Text.remove_suffix(1);
    return Text;
}

// The fields of a line: separated by commas, each trimmed, double quotes around one removed (a
// quoted field may hold commas). False when a quote is never closed.
bool SplitFields(std::string_view Line, std::vector<std::string_view>& Fields) {
    Fields.clear();
    std::size_t At = 0;
    while (true) {
        while (At < Line.size() && (Line[At] == ' ' || Line[At] == '\t'))
            ++At;
        std::size_t End = 0;
        if (At < Line.size() && Line[At] == '"') {
            const std::size_t Close = Line.find('"', At + 1);
            if (Close == std::string_view::npos)
                return false;
            Fields.push_back(Line.substr(At + 1, Close - At - 1));
            End = Line.find(',', Close + 1);
            if (!Trimmed(
                     Line.substr(Close + 1, End == std::string_view::npos ? End : End - Close - 1))
                     .empty())
                return false;
        } else {
            End = Line.find(',', At);
            Fields.push_back(
                Trimmed(Line.substr(At, End == std::string_view::npos ? End : End - At)));
        }
        if (End == std::string_view::npos)
            return true;
        At = End + 1;
    }
}

std::string Lowered(std::string_view Text) {
    std::string Low(Text);
    for (char& Character : Low)
        if (IsUpper(Character))
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

} // namespace

void ElementSymbols::Add(std::string_view Symbol) {
    if ((Symbol.size() == 1 || Symbol.size() == 2) && !Contains(Symbol)) {
        Bits.set(Key(Symbol));
        Symbols.emplace_back(Symbol);
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

bool IsGroupName(std::string_view Name) {
    std::size_t Prefix = 0;
    while (Prefix < Name.size() && IsLower(Name[Prefix]))
        ++Prefix;
    if (Prefix == Name.size())
        return Prefix > 0; // acac
    if (Prefix > 3 || !IsUpper(Name[Prefix]) || Prefix + 1 == Name.size())
        return false;
    return std::all_of(Name.begin() + static_cast<std::ptrdiff_t>(Prefix) + 1, Name.end(), IsLower);
}

GroupTable::GroupTable(std::string Path, const ElementSymbols& Symbols)
    : FilePath(std::move(Path)), Elements(Symbols) {
    try {
        TextFile File(FilePath);
        while (File.ReadMore()) {
        }
        const std::string_view Text = File.Unread();
        std::size_t Number = 0;
        for (std::size_t Start = 0; Start < Text.size();) {
            std::size_t End = Text.find('\n', Start);
            if (End == std::string_view::npos)
                End = Text.size();
            ReadLine(Trimmed(Text.substr(Start, End - Start)), ++Number);
            Start = End + 1;
        }
    } catch (const RunTimeError& Error) {
        // No table, no groups; a table that is there and can't be read is told.
        if (Error.Number() != ErrFileNotFound)
            Faults.push_back(FilePath + ": " + ErrorNumberText(Error.Number()));
        Groups.clear();
    }
    Index();
}

void GroupTable::ReadLine(std::string_view Line, std::size_t Number) {
    if (Line.empty() || Line.front() == '#')
        return;
    const auto Fault = [&](const std::string& What) {
        Faults.push_back(FilePath + ", line " + std::to_string(Number) + ": " + What);
    };
    std::vector<std::string_view> Fields;
    if (!SplitFields(Line, Fields))
        return Fault("a quote is not closed, or text follows it");
    if (Fields.size() != 3 && Fields.size() != 4)
        return Fault("3 or 4 fields expected, " + std::to_string(Fields.size()) + " found");
    Group Read{std::string(Fields[0]),
               std::string(Fields[1]),
               std::string(Fields[2]),
               Fields.size() == 4 ? std::string(Fields[3]) : std::string(),
               {}};
    if (!IsGroupName(Read.Name))
        return Fault("the name \"" + Read.Name +
                     "\" is none of a group's: Ph, tBu (one to three lowercase letters before "
                     "such a name) or acac");
    if (Elements.Contains(Read.Name))
        return Fault("the name " + Read.Name +
                     " is an element of the table, and a formula reads the element");
    if (!Read.LookAlike.empty() && !Elements.Contains(Read.LookAlike))
        return Fault("the look-alike " + Read.LookAlike + " is no element of the table");
    const TypedFormula Typed = FromCodePage(Read.Formula);
    FormulaReading Reading;
    try {
        Reading = ReadFormula(Typed.Text);
    } catch (const RunTimeError& Error) {
        return Fault("the formula " + Read.Formula + ": " + ErrorNumberText(Error.Number()));
    }
    if (Reading.Result != FormulaResult::Read)
        return Fault("the formula " + Read.Formula + " can't be read: " +
                     RefusalNotice(Reading, Typed).substr(std::string_view("Formula: ").size()));
    if (Reading.Entries.empty())
        return Fault("the formula is empty");
    if (Read.Formula.find_first_of("+-^") != std::string::npos)
        return Fault("the formula " + Read.Formula + " has a charge; a group has none");
    for (const FormulaEntry& Entry : Reading.Entries) {
        const bool Heavy = Entry.MassNumber == 0 && (Entry.Symbol == "D" || Entry.Symbol == "T");
        if (!Heavy && !Elements.Contains(Entry.Symbol))
            return Fault("the formula " + Read.Formula + " names " + Entry.Symbol +
                         ", which is no element of the table");
    }
    Read.Entries = std::move(Reading.Entries);
    const auto Same = std::find_if(Groups.begin(), Groups.end(),
                                   [&](const Group& Each) { return Each.Name == Read.Name; });
    if (Same != Groups.end())
        *Same = std::move(Read);
    else
        Groups.push_back(std::move(Read));
}

void GroupTable::Index() {
    ByFirst.assign(256, {});
    for (std::size_t At = 0; At < Groups.size(); ++At) {
        ByFirst[static_cast<unsigned char>(Groups[At].Name[0])].push_back(At);
        if (!Groups[At].LookAlike.empty())
            LookAlikes.Add(Groups[At].LookAlike);
    }
    for (auto& Bucket : ByFirst)
        std::stable_sort(Bucket.begin(), Bucket.end(), [&](std::size_t One, std::size_t Other) {
            return Groups[One].Name.size() > Groups[Other].Name.size();
        });
}

const Group* GroupTable::Find(std::string_view Name) const {
    const Group* Found = Name.empty() ? nullptr : Longest(Name);
    return Found && Found->Name.size() == Name.size() ? Found : nullptr;
}

const Group* GroupTable::Longest(std::string_view Text) const {
    if (Text.empty() || ByFirst.empty())
        return nullptr;
    for (const std::size_t At : ByFirst[static_cast<unsigned char>(Text[0])])
        if (Text.starts_with(Groups[At].Name))
            return &Groups[At];
    return nullptr;
}

const Group* GroupTable::LookAlikeOf(std::string_view Symbol) const {
    if (!LookAlikes.Contains(Symbol))
        return nullptr;
    for (const Group& Each : Groups)
        if (Each.LookAlike == Symbol)
            return &Each;
    return nullptr;
}

std::vector<std::string> GroupTable::Nearest(std::string_view Name) const {
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
    for (const std::string& Symbol : Elements.All())
        Consider(Symbol, {});
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
    const std::size_t Slash = ElementTablePath.find_last_of("/\\");
    const std::string_view Folder = Slash == std::string_view::npos
                                        ? std::string_view()
                                        : ElementTablePath.substr(0, Slash + 1);
    return std::string(Folder) + std::string(GroupTableName);
}

Value GroupWeight(const Group& Of, const ElementWeights& Elements, std::string& Missing) {
    Value Total;
    for (const FormulaEntry& Entry : Of.Entries) {
        const Value Weight = Entry.MassNumber == 0
                                 ? Elements.WeightOfSymbol(Entry.Symbol)
                                 : Elements.WeightOfIsotope(Entry.Symbol, Entry.MassNumber);
        if (Weight.IsZero()) {
            Missing = Entry.MassNumber == 0 ? Entry.Symbol : LabelText(Entry);
            return Value();
        }
        Total += Entry.Count * Weight;
    }
    return Total;
}

} // namespace Varnock
