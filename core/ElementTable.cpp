#include "core/ElementTable.h"

#include <new>

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
// Offsets count from the first unread byte of the file.
class FieldReader {
public:
    explicit FieldReader(TextFile& File) : File(File), Bytes(File.Unread()) {}

    // Only asked before a record begins; blank lines at the end do not count.
    bool AtEnd() {
        SkipBlankLines();
        return ByteAt(0) < 0;
    }

    // One field as it stands in the file: quotes removed, spaces around an unquoted one
    // dropped. The view stays valid until the next field is read.
    std::string_view ReadField(bool& Quoted) {
        SkipBlankLines();
        Take(Find(0, [](int Byte) { return !IsSpace(Byte); }));
        const int First = ByteAt(0);
        if (First < 0)
            throw RunTimeError(ErrInputPastEndOfFile);
        Quoted = First == '"';
        std::size_t Begin = 0, End = 0, Next = 0;
        if (Quoted) {
            Begin = 1;
            End = Find(Begin, [](int Byte) { return Byte == '"'; });
            // Whatever stands between the closing quote and the separator is dropped.
            Next = ByteAt(End) < 0 ? End : Find(End + 1, IsSeparator);
        } else {
            Next = End = Find(0, IsSeparator);
        }
        const int Separator = ByteAt(Next);
        std::size_t After = Separator < 0 ? Next : Next + 1;
        if (Separator == '\r' && ByteAt(After) == '\n')
            ++After;
        AtLineStart = Separator != ',';

        std::string_view Field = Bytes.substr(Begin, End - Begin);
        if (!Quoted)
            while (!Field.empty() && IsSpace(Field.back()))
                Field.remove_suffix(1);
        Take(After);
        return Field;
    }

private:
    void Take(std::size_t Count) {
        File.Take(Count);
        Bytes.remove_prefix(Count);
    }

    bool ReadMore() {
        const bool Read = File.ReadMore();
        Bytes = File.Unread();
        return Read;
    }

    // The byte at an offset, reading more of the file as needed; -1 past its end.
    int ByteAt(std::size_t At) {
        while (At >= Bytes.size())
            if (!ReadMore())
                return -1;
        return static_cast<unsigned char>(Bytes[At]);
    }

    // The first offset from At whose byte is a stop, or the end of the file.
    template <typename Stop> std::size_t Find(std::size_t At, Stop IsStop) {
        while (true) {
            while (At < Bytes.size() && !IsStop(static_cast<unsigned char>(Bytes[At])))
                ++At;
            if (At < Bytes.size() || !ReadMore())
                return At;
        }
    }

    // At the start of a line, lines holding nothing but spaces are passed over.
    void SkipBlankLines() {
        while (AtLineStart) {
            Take(Find(0, [](int Byte) { return !IsSpace(Byte); }));
            const int Byte = ByteAt(0);
            if (!IsLineEnd(Byte))
                return;
            Take(1);
            if (Byte == '\r' && ByteAt(0) == '\n')
                Take(1);
        }
    }

    TextFile& File;
    std::string_view Bytes; // the file's unread bytes, kept in step with it
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
        const bool Match = Reader.ReadField(Quoted) == Symbol;
        Reader.ReadField(Quoted);
        const std::string_view WeightText = Reader.ReadField(Quoted);
        if (Match) {
            Weight.assign(WeightText);
            WeightQuoted = Quoted;
            Matched = true;
        }
    }
    // An empty weight, quoted or not, gives no mass: the element counts as missing.
    if (!Matched || Weight.empty())
        return Value();
    // A quoted weight that reads as a number is used as that number; other text is an error.
    const Value Result = FieldValue(Weight, WeightQuoted);
    return Result.IsString() ? Value(Result.AsDouble()) : Result;
} catch (const std::bad_alloc&) {
    throw RunTimeError(ErrOutOfMemory);
}

} // namespace Varnock
