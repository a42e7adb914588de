#include "core/ElementTable.h"

#include <algorithm>
#include <new>
#include <optional>

#include "core/RunTimeError.h"
#include "core/TextFile.h"
#include "core/TextRules.h"

namespace Varnock {

namespace {

bool IsSpace(int Byte) {
    return Byte == ' ' || Byte == '\t';
}
bool IsLineEnd(int Byte) {
    return Byte == '\r' || Byte == '\n';
}
bool IsSeparator(int Byte) {
    return Byte == ',' || IsLineEnd(Byte);
}

// Comma-delimited fields read one after another; a line end is just another separator.
// A field is scanned in the bytes read so far; when they end before it does, more of the file
// is read and the field scanned again from its start.
class FieldReader {
public:
    explicit FieldReader(TextFile& File) : File(File) {}

    // Only asked before a record begins; blank lines at the end do not count.
    // Spaces after a comma are the start of a field, even when nothing follows them.
    bool AtEnd() {
        if (AtLineStart)
            SkipBlanks();
        while (File.Unread().empty() && File.ReadMore()) {
        }
        return File.Unread().empty();
    }

    // One field as it stands in the file: quotes removed, spaces around an unquoted one
    // dropped. The view stays valid until the next field is read.
    std::string_view ReadField(bool& Quoted) {
        while (true) {
            SkipBlanks();
            if (const auto Field = ScanField(Quoted))
                return *Field;
            File.ReadMore();
        }
    }

private:
    void SkipBlanks() {
        while (!PassBlanks())
            File.ReadMore();
    }

    // Takes the spaces before a field and, at the start of a line, lines holding nothing but
    // spaces. True once a field's first byte or the end of the file is reached; false when
    // more of the file must be read first.
    bool PassBlanks() {
        const std::string_view Bytes = File.Unread();
        const char* At = Bytes.data();
        const char* const End = At + Bytes.size();
        bool Reached = true;
        const char* Passed = At;
        while (true) {
            while (At != End && IsSpace(*At))
                ++At;
            Passed = At;
            if (At == End) {
                Reached = File.Exhausted();
                break;
            }
            if (!AtLineStart || !IsLineEnd(*At))
                break;
            const bool Pair = *At == '\r' && At + 1 != End && At[1] == '\n';
            if (*At == '\r' && At + 1 == End && !File.Exhausted()) {
                Reached = false; // a CR LF may be cut by the end of what was read
                break;
            }
            At += Pair ? 2 : 1;
        }
        File.Take(static_cast<std::size_t>(Passed - Bytes.data()));
        return Reached;
    }

    // The field starting at the first unread byte, or nothing when the bytes read so far end
    // before its separator (and the LF that may follow a CR) does.
    std::optional<std::string_view> ScanField(bool& Quoted) {
        const std::string_view Bytes = File.Unread();
        const char* const Start = Bytes.data();
        const char* const End = Start + Bytes.size();
        const bool Last = File.Exhausted();
        if (Start == End)
            throw RunTimeError(ErrInputPastEndOfFile);
        const auto FindSeparator = [End](const char* At) {
            while (At != End && !IsSeparator(*At))
                ++At;
            return At;
        };
        Quoted = *Start == '"';
        const char* Begin = Start;
        const char* Finish = nullptr;
        const char* Next = nullptr;
        if (Quoted) {
            Begin = Start + 1;
            Finish = std::find(Begin, End, '"');
            // Whatever stands between the closing quote and the separator is dropped.
            Next = Finish == End ? End : FindSeparator(Finish + 1);
        } else {
            Next = Finish = FindSeparator(Start);
        }
        const char* After = Next;
        if (Next != End) {
            After = Next + 1;
            if (*Next == '\r' && After == End && !Last)
                return std::nullopt;
            if (*Next == '\r' && After != End && *After == '\n')
                ++After;
        } else if (!Last) {
            return std::nullopt;
        }
        AtLineStart = Next == End || *Next != ',';

        std::string_view Field(Begin, static_cast<std::size_t>(Finish - Begin));
        if (!Quoted)
            while (!Field.empty() && IsSpace(Field.back()))
                Field.remove_suffix(1);
        File.Take(static_cast<std::size_t>(After - Start));
        return Field;
    }

    TextFile& File;
    bool AtLineStart = true;
};

// A quoted field is text; an unquoted one is a number when it reads as one, else text.
Value FieldValue(std::string_view Text, bool Quoted) {
    double Number = 0;
    if (Quoted)
        return Value(std::string(Text));
    if (Text.empty())
        return Value();
    if (ReadWholeNumber(Text, Number))
        return Value(Number);
    return Value(std::string(Text));
}

// Symbols are a byte or two: comparing them here beats a call to the library's memcmp.
bool SameText(std::string_view One, std::string_view Other) {
    if (One.size() != Other.size())
        return false;
    for (std::size_t At = 0; At < One.size(); ++At)
        if (One[At] != Other[At])
            return false;
    return true;
}

// A matched record's weight field as a calculation uses it: an empty weight, quoted or not,
// gives no mass (the element counts as missing); a quoted weight that reads as a number is used
// as that number, other text raises error 13.
Value WeightValue(std::string_view Text, bool Quoted) {
    if (Text.empty())
        return Value();
    const Value Result = FieldValue(Text, Quoted);
    return Result.IsString() ? Value(Result.AsDouble()) : Result;
}

// The exact mass of one nuclide, empty when the table or the nuclide is missing.
Value IsotopeMass(const IsotopeTable& Table, std::string_view Symbol, int MassNumber) {
    const Isotope* Found = Table.Find(Symbol, MassNumber);
    return Found ? Value(Found->Mass) : Value();
}

std::shared_ptr<const IsotopeTable> IsotopesBeside(const std::string& Path) {
    try {
        return std::make_shared<const IsotopeTable>(IsotopeTableBeside(Path));
    } catch (const RunTimeError&) {
        return std::make_shared<const IsotopeTable>();
    }
}

Value ReadValue(FieldReader& Reader) {
    bool Quoted = false;
    const std::string_view Text = Reader.ReadField(Quoted);
    return FieldValue(Text, Quoted);
}

} // namespace

ElementTable::ElementTable(std::string Path) : FilePath(std::move(Path)) {}

// A field longer than the memory left (a huge file without separators) fails like any other
// reading error rather than ending the program.
void ElementTable::ListAll(const std::function<void(const ElementRecord&)>& Receive) const try {
    TextFile File(FilePath);
    FieldReader Reader(File);
    while (!Reader.AtEnd()) {
        ElementRecord Record;
        Record.Symbol = ReadValue(Reader);
        Record.AtomicNumber = ReadValue(Reader);
        Record.AtomicWeight = ReadValue(Reader);
        Receive(Record);
    }
} catch (const std::bad_alloc&) {
    throw RunTimeError(ErrOutOfMemory);
}

Value ElementTable::WeightOfSymbol(std::string_view Symbol) const try {
    // The symbol's text is compared as it stands: an unquoted field that reads as a number
    // starts with a digit, sign or period, which no entry symbol does.
    TextFile File(FilePath);
    FieldReader Reader(File);
    std::string Weight;
    bool Matched = false, WeightQuoted = false, Quoted = false;
    while (!Reader.AtEnd()) {
        const bool Match = SameText(Reader.ReadField(Quoted), Symbol);
        Reader.ReadField(Quoted);
        const std::string_view WeightText = Reader.ReadField(Quoted);
        if (Match) {
            Weight.assign(WeightText);
            WeightQuoted = Quoted;
            Matched = true;
        }
    }
    // D and T, when the table has no row for them.
    if (const int Heavy = Matched ? 0 : HeavyHydrogen(Symbol, 0, nullptr))
        return WeightOfIsotope("H", Heavy);
    return Matched ? WeightValue(Weight, WeightQuoted) : Value();
} catch (const std::bad_alloc&) {
    throw RunTimeError(ErrOutOfMemory);
}

Value ElementTable::WeightOfIsotope(std::string_view Symbol, int MassNumber) const {
    return IsotopeMass(*IsotopesBeside(FilePath), Symbol, MassNumber);
}

ElementSnapshot::ElementSnapshot(const ElementTable& Table) try : FilePath(Table.Path()) {
    TextFile File(FilePath);
    FieldReader Reader(File);
    bool Quoted = false;
    while (!Reader.AtEnd()) {
        const std::string Symbol(Reader.ReadField(Quoted));
        Reader.ReadField(Quoted);
        const std::string_view Text = Reader.ReadField(Quoted);
        const auto [Found, New] = Weights.try_emplace(Symbol);
        if (New)
            FileOrder.push_back(Symbol);
        Weight& Last = Found->second;
        try {
            Last = {WeightValue(Text, Quoted), 0};
        } catch (const RunTimeError& Error) {
            Last = {Value(), Error.Number()};
        }
    }
} catch (const std::bad_alloc&) {
    throw RunTimeError(ErrOutOfMemory);
}

Value ElementSnapshot::WeightOfSymbol(std::string_view Symbol) const {
    const auto Found = Weights.find(Symbol);
    if (Found == Weights.end()) {
        const int Heavy = HeavyHydrogen(Symbol, 0, nullptr); // D and T without a row
        return Heavy ? WeightOfIsotope("H", Heavy) : Value();
    }
    if (Found->second.Error != 0)
        throw RunTimeError(Found->second.Error);
    return Found->second.Number;
}

Value ElementSnapshot::WeightOfIsotope(std::string_view Symbol, int MassNumber) const {
    if (!Isotopes)
        Isotopes = IsotopesBeside(FilePath);
    return IsotopeMass(*Isotopes, Symbol, MassNumber);
}

} // namespace Varnock
