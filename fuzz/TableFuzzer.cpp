// Arbitrary bytes as the element table file, read by list-all and by weight-of-symbol for a few
// symbols. Each access either raises a numbered error the reader may raise or gives exactly what
// a reference reader, written here over the whole file in memory, finds; the file is closed
// afterwards. An input that starts with byte 0xFF or 0xFE is put behind a record of nearly 64 KiB
// or inside a field longer than 64 KiB, so that its fields cross the reader's buffer boundary
// and make the buffer grow.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ElementTable.h"
#include "core/RunTimeError.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/TableFiles.h"

namespace {

using namespace Varnock;
using Varnock::Fuzzing::Fail;
using Varnock::Fuzzing::OpenDescriptorCount;
using Varnock::Fuzzing::Quoted;
using Varnock::Fuzzing::Require;
using Varnock::Fuzzing::TablePath;
using Varnock::Fuzzing::WriteTable;

struct Field {
    std::string Text;
    bool Quoted = false;
};

bool IsLineEnd(char Byte) {
    return Byte == '\r' || Byte == '\n';
}

// The documented file format over bytes held in memory: fields end at a comma or a line end
// (CR LF counting as one), a quoted field runs to the next quote and whatever follows it up to
// the separator is dropped, spaces around an unquoted field are dropped, and at the start of a
// line blank lines are passed over.
class ReferenceReader {
public:
    explicit ReferenceReader(std::string_view Bytes) : Bytes(Bytes) {}

    bool AtEnd() {
        SkipBlankLines();
        return At == Bytes.size();
    }

    std::optional<Field> Read() {
        SkipBlankLines();
        SkipSpaces();
        if (At == Bytes.size())
            return std::nullopt;
        Field Result;
        if (Bytes[At] == '"') {
            Result.Quoted = true;
            const std::size_t Close = Bytes.find('"', At + 1);
            if (Close == std::string_view::npos) {
                Result.Text = Bytes.substr(At + 1);
                At = Bytes.size();
            } else {
                Result.Text = Bytes.substr(At + 1, Close - At - 1);
                At = Close + 1;
                while (At < Bytes.size() && Bytes[At] != ',' && !IsLineEnd(Bytes[At]))
                    ++At;
            }
        } else {
            const std::size_t Begin = At;
            while (At < Bytes.size() && Bytes[At] != ',' && !IsLineEnd(Bytes[At]))
                ++At;
            Result.Text = Bytes.substr(Begin, At - Begin);
            while (!Result.Text.empty() &&
                   (Result.Text.back() == ' ' || Result.Text.back() == '\t'))
                Result.Text.pop_back();
        }
        LineStart = true;
        if (At < Bytes.size()) {
            const char Separator = Bytes[At++];
            LineStart = Separator != ',';
            if (Separator == '\r' && At < Bytes.size() && Bytes[At] == '\n')
                ++At;
        }
        return Result;
    }

private:
    void SkipSpaces() {
        while (At < Bytes.size() && (Bytes[At] == ' ' || Bytes[At] == '\t'))
            ++At;
    }
    void SkipBlankLines() {
        while (LineStart) {
            SkipSpaces();
            if (At == Bytes.size() || !IsLineEnd(Bytes[At]))
                return;
            if (Bytes[At++] == '\r' && At < Bytes.size() && Bytes[At] == '\n')
                ++At;
        }
    }

    std::string_view Bytes;
    std::size_t At = 0;
    bool LineStart = true;
};

// Sign, digits, at most one period, at least one digit, then optionally e or E, a sign and
// digits: the unquoted fields that are numbers.
bool IsNumberText(std::string_view Text) {
    std::size_t At = 0, Digits = 0;
    const auto SkipDigits = [&] {
        const std::size_t From = At;
        while (At < Text.size() && Text[At] >= '0' && Text[At] <= '9')
            ++At;
        return At - From;
    };
    if (At < Text.size() && (Text[At] == '+' || Text[At] == '-'))
        ++At;
    Digits += SkipDigits();
    if (At < Text.size() && Text[At] == '.') {
        ++At;
        Digits += SkipDigits();
    }
    if (Digits == 0)
        return false;
    if (At < Text.size() && (Text[At] == 'e' || Text[At] == 'E')) {
        ++At;
        if (At < Text.size() && (Text[At] == '+' || Text[At] == '-'))
            ++At;
        if (SkipDigits() == 0)
            return false;
    }
    return At == Text.size();
}

// What reading a number text must give: its value, or error 6 when it is too large for a
// double. Values too small for one read as 0 or a subnormal; both count as the same here.
struct Reading {
    int Error = 0;
    double Number = 0;
};
Reading ReadNumberText(const std::string& Text) {
    const double Number = std::strtod(Text.c_str(), nullptr);
    if (std::isinf(Number))
        return {ErrOverflow, 0};
    return {0, Number};
}

bool SameNumber(double Got, double Expected) {
    return Got == Expected || (std::fabs(Got) < 1e-300 && std::fabs(Expected) < 1e-300);
}

std::string Describe(const Value& Got) {
    const char* Kind = Got.IsEmpty()     ? "empty"
                       : Got.IsInteger() ? "integer"
                       : Got.IsDouble()  ? "double"
                                         : "string";
    return std::string(Kind) + " " + Quoted(Got.Text());
}

// A field read by list-all: quoted is text, unquoted empty is empty, a number text is a number.
// Returns the error the conversion must raise, or 0 after checking Got.
int CheckFieldValue(const Field& Expected, const Value& Got) {
    bool Holds;
    if (Expected.Quoted) {
        Holds = Got.IsString() && Got.Text() == Expected.Text;
    } else if (Expected.Text.empty()) {
        Holds = Got.IsEmpty();
    } else if (IsNumberText(Expected.Text)) {
        const Reading Read = ReadNumberText(Expected.Text);
        if (Read.Error != 0)
            return Read.Error;
        Holds = Got.IsDouble() && SameNumber(Got.AsDouble(), Read.Number);
    } else {
        Holds = Got.IsString() && Got.Text() == Expected.Text;
    }
    Require(Holds, [&] {
        return "field " + Quoted(Expected.Text) + (Expected.Quoted ? " (quoted)" : "") +
               " read as " + Describe(Got);
    });
    return 0;
}

// List-all: records in file order until the fields run out (62) or a number is too large (6).
void CheckListAll(const ElementTable& Table, std::string_view Bytes) {
    std::vector<ElementRecord> Records;
    int Error = 0;
    try {
        Table.ListAll([&](const ElementRecord& Record) { Records.push_back(Record); });
    } catch (const RunTimeError& Raised) {
        Error = Raised.Number();
    }

    ReferenceReader Reader(Bytes);
    std::size_t Count = 0;
    int Expected = 0;
    while (Expected == 0 && !Reader.AtEnd()) {
        const bool Listed = Count < Records.size();
        for (int Part = 0; Part < 3 && Expected == 0; ++Part) {
            const std::optional<Field> Next = Reader.Read();
            if (!Next) {
                Expected = ErrInputPastEndOfFile;
                break;
            }
            const ElementRecord Empty;
            const ElementRecord& Record = Listed ? Records[Count] : Empty;
            const Value& Got = Part == 0   ? Record.Symbol
                               : Part == 1 ? Record.AtomicNumber
                                           : Record.AtomicWeight;
            // A record that failed part-way was never handed over; only its error is checked.
            if (Listed)
                Expected = CheckFieldValue(*Next, Got);
            else if (!Next->Quoted && IsNumberText(Next->Text))
                Expected = ReadNumberText(Next->Text).Error;
        }
        if (Expected == 0) {
            Require(Listed, [&] {
                return "list-all handed over " + std::to_string(Records.size()) +
                       " records and raised " + std::to_string(Error) + "; record " +
                       std::to_string(Count + 1) + " is whole";
            });
            ++Count;
        }
    }
    Require(Error == Expected && Count == Records.size(), [&] {
        return "list-all gave " + std::to_string(Records.size()) + " records and error " +
               std::to_string(Error) + "; expected " + std::to_string(Count) + " and error " +
               std::to_string(Expected);
    });
}

// Weight of symbol: every record is read; the last whose symbol text is Symbol gives the weight.
// A weight that is text, quoted or not, must read wholly as a number (else 13).
void CheckWeightOfSymbol(const ElementTable& Table, std::string_view Bytes,
                         const std::string& Symbol) {
    Value Got;
    int Error = 0;
    try {
        Got = Table.WeightOfSymbol(Symbol);
    } catch (const RunTimeError& Raised) {
        Error = Raised.Number();
    }

    ReferenceReader Reader(Bytes);
    std::optional<Field> Weight;
    int Expected = 0;
    while (Expected == 0 && !Reader.AtEnd()) {
        const std::optional<Field> Name = Reader.Read();
        const std::optional<Field> Number = Name ? Reader.Read() : std::nullopt;
        const std::optional<Field> Mass = Number ? Reader.Read() : std::nullopt;
        if (!Mass)
            Expected = ErrInputPastEndOfFile;
        else if (Name->Text == Symbol)
            Weight = Mass;
    }
    double ExpectedNumber = 0;
    // An empty weight, quoted or not, gives no mass: the symbol counts as missing.
    const bool ExpectEmpty = !Weight || Weight->Text.empty();
    if (Expected == 0 && !ExpectEmpty) {
        if (!IsNumberText(Weight->Text)) {
            Expected = ErrTypeMismatch;
        } else {
            const Reading Read = ReadNumberText(Weight->Text);
            Expected = Read.Error;
            ExpectedNumber = Read.Number;
        }
    }
    const bool Holds = Error == Expected &&
                       (Error != 0 || (ExpectEmpty ? Got.IsEmpty()
                                                   : Got.IsDouble() && SameNumber(Got.AsDouble(),
                                                                                  ExpectedNumber)));
    Require(Holds, [&] {
        return "weight of " + Quoted(Symbol) + " is " + Describe(Got) + " with error " +
               std::to_string(Error) + "; expected " +
               (ExpectEmpty ? std::string("empty") : std::to_string(ExpectedNumber)) +
               " with error " + std::to_string(Expected);
    });
}

// The file's bytes: the input itself, or the input after one record of nearly 64 KiB, or inside a
// field long enough to make the reader's buffer grow twice; the second byte moves the join across
// the first 64 KiB read.
std::string TableBytes(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Input(reinterpret_cast<const char*>(Data), Size);
    if (Size < 2 || (Data[0] != 0xFF && Data[0] != 0xFE))
        return std::string(Input);
    const std::size_t Length = 65536 - 128 + Data[1];
    std::string Bytes;
    if (Data[0] == 0xFF)
        Bytes = "\"Q\",0,\"" + std::string(Length - 10, 'x') + "\"\r\n";
    else
        Bytes = "\"" + std::string(Length + 65536 + 256, 'x') + "\",0,";
    return Bytes.append(Input.substr(2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Bytes = TableBytes(Data, Size);
    WriteTable(Bytes);
    const int Before = OpenDescriptorCount();

    const ElementTable Table(TablePath());
    CheckListAll(Table, Bytes);
    for (const char* Symbol : {"H", "O", "Zz", ""})
        CheckWeightOfSymbol(Table, Bytes, Symbol);

    const int After = OpenDescriptorCount();
    Require(Before == After, [&] {
        return "open files: " + std::to_string(Before) + " before, " + std::to_string(After) +
               " after";
    });
    return 0;
}
