#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/ElementTable.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

using Testing::ErrorNumberOf;
using Testing::OpenDescriptorCount;
using Testing::TempDir;

// A record as the list hands it over, each field as its text and kind.
std::string Describe(const Value& Field) {
    if (Field.IsEmpty())
        return "<>";
    if (Field.IsString())
        return "'" + Field.Text() + "'";
    return Field.Text();
}

std::vector<std::string> ListOf(const ElementTable& Table) {
    std::vector<std::string> Records;
    Table.ListAll([&](const ElementRecord& Record) {
        Records.push_back(Describe(Record.Symbol) + " " + Describe(Record.AtomicNumber) + " " +
                          Describe(Record.AtomicWeight));
    });
    return Records;
}

struct FileCase {
    const char* Name;
    std::string Bytes;
    std::vector<std::string> Records;
};

TEST(ElementTableTest, ReadsCommaDelimitedFieldsThreeToARecord) {
    const FileCase Cases[] = {
        {"shipped form", "\"H\",1,1.008\r\n\"He\",2,4.0026\r\n", {"'H' 1 1.008", "'He' 2 4.0026"}},
        {"LF line ends", "\"H\",1,1.008\n\"He\",2,4.0026\n", {"'H' 1 1.008", "'He' 2 4.0026"}},
        {"CR line ends", "\"H\",1,1.008\r\"He\",2,4.0026\r", {"'H' 1 1.008", "'He' 2 4.0026"}},
        {"mixed line ends",
         "\"H\",1,1\r\n\"He\",2,4\n\"Li\",3,7\r",
         {"'H' 1 1", "'He' 2 4", "'Li' 3 7"}},
        {"no line end at the end", "\"H\",1,1.008", {"'H' 1 1.008"}},
        {"extra empty last line", "\"H\",1,1.008\r\n\r\n", {"'H' 1 1.008"}},
        {"blank lines anywhere",
         "\r\n\n\"H\",1,1\r\n  \r\n\r\"He\",2,4\r\n\t\r\n",
         {"'H' 1 1", "'He' 2 4"}},
        {"empty file", "", {}},
        {"only line ends", "\r\n\r\n\n", {}},
        {"quoted fields keep commas and spaces",
         "\"H, x\",\" 1 \",\"1,008\"\r\n",
         {"'H, x' ' 1 ' '1,008'"}},
        {"spaces around unquoted fields dropped", "  \"H\" ,  1  , 1.008  \r\n", {"'H' 1 1.008"}},
        {"tabs around unquoted fields dropped", "\t\"H\"\t,\t1\t,\t1.008\t\r\n", {"'H' 1 1.008"}},
        {"unquoted symbol", "H,1,1.008\r\n", {"'H' 1 1.008"}},
        {"unquoted symbol inner space kept", "H e,1,1\r\n", {"'H e' 1 1"}},
        {"record split over lines",
         "\"H\",1\r\n1.008\r\n\"He\"\r\n2\r\n4.0026\r\n",
         {"'H' 1 1.008", "'He' 2 4.0026"}},
        {"two records on one line",
         "\"H\",1,1.008,\"He\",2,4.0026\r\n",
         {"'H' 1 1.008", "'He' 2 4.0026"}},
        {"four fields shift the next records",
         "\"H\",1,1.008,9\r\n\"He\",2,4\r\n\"Li\",3\r\n",
         {"'H' 1 1.008", "9 'He' 2", "4 'Li' 3"}},
        {"empty fields", ",,\r\n", {"<> <> <>"}},
        {"a line end after a comma ends an empty field",
         "\"H\",\r\n1,1.008\r\n\"He\",2\r\n",
         {"'H' <> 1", "1.008 'He' 2"}},
        {"quoted weight stays text", "\"H\",1,\"1.008\"\r\n", {"'H' 1 '1.008'"}},
        {"non-numeric weight", "\"H\",1,abc\r\n", {"'H' 1 'abc'"}},
        {"text after a closing quote dropped", "\"H\"xyz,1,1\r\n", {"'H' 1 1"}},
        {"exponent weight", "\"H\",1,1.008e0\r\n", {"'H' 1 1.008"}},
        {"Windows-1252 symbol", "\"\xC9\xE9\",200,5\r\n", {"'\xC9\xE9' 200 5"}},
    };
    const TempDir Folder;
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const ElementTable Table(Folder.Write("elements.dat", Case.Bytes));
        std::vector<std::string> Records;
        EXPECT_EQ(ErrorNumberOf([&] { Records = ListOf(Table); }), 0);
        EXPECT_EQ(Records, Case.Records);
    }
}

TEST(ElementTableTest, WeightOfTheLastRecordWithExactlyTheSymbol) {
    const std::string Bytes = "\"H\",1,1.008\r\n"
                              "\"Cl\",17,35.45\r\n"
                              "\"He\",2,4.0026\r\n"
                              "\"H\",1,2.014\r\n"
                              "\" O\",8,99\r\n"
                              "\"O\",8,15.999\r\n"
                              "\"Zn\",30,0\r\n"
                              "\"Q\",0,\"7.5\"\r\n"
                              "\"Bad\",0,abc\r\n"
                              "\"E1\",0,\r\n"
                              "\"E2\",0,\"\"\r\n"
                              "\"Na\",11\r\n22.99\r\n";
    struct Case {
        const char* Symbol;
        bool Found;
        double Weight;
    };
    const Case Cases[] = {
        {"H", true, 2.014},   {"Cl", true, 35.45}, {"CL", false, 0}, {"cl", false, 0},
        {"He", true, 4.0026}, {"O", true, 15.999}, {" O", true, 99}, {"Zn", true, 0},
        {"Q", true, 7.5},     {"Na", true, 22.99}, {"X", false, 0},  {"", false, 0},
        {"H ", false, 0},     {"Ha", false, 0},    {"E1", false, 0}, {"E2", false, 0},
    };
    const TempDir Folder;
    const ElementTable Table(Folder.Write("elements.dat", Bytes));
    // A snapshot answers as the file did when it was read, failures included.
    const ElementSnapshot Snapshot(Table);
    for (const ElementWeights* Weights : {static_cast<const ElementWeights*>(&Table),
                                          static_cast<const ElementWeights*>(&Snapshot)}) {
        for (const auto& Each : Cases) {
            SCOPED_TRACE(Each.Symbol);
            const Value Weight = Weights->WeightOfSymbol(Each.Symbol);
            EXPECT_EQ(!Weight.IsEmpty(), Each.Found);
            if (Each.Found) {
                EXPECT_FALSE(Weight.IsString());
                EXPECT_DOUBLE_EQ(Weight.AsDouble(), Each.Weight);
            }
        }
        // A weight that is no number fails only when it is the one asked for.
        EXPECT_EQ(ErrorNumberOf([&] { Weights->WeightOfSymbol("Bad"); }), ErrTypeMismatch);
    }
    // Each lookup of the table sees the file as it is now; the snapshot keeps it as it was.
    Folder.Write("elements.dat", "\"H\",1,3\r\n");
    EXPECT_DOUBLE_EQ(Table.WeightOfSymbol("H").AsDouble(), 3);
    EXPECT_DOUBLE_EQ(Snapshot.WeightOfSymbol("H").AsDouble(), 2.014);

    const ElementTable Empty(Folder.Write("empty.dat", ""));
    EXPECT_TRUE(Empty.WeightOfSymbol("H").IsEmpty());
}

TEST(ElementTableTest, ShippedTableHoldsEveryElementOnce) {
    const ElementTable Shipped(VARNOCK_ELEMENTS_DAT);
    std::vector<ElementRecord> Records;
    Shipped.ListAll([&](const ElementRecord& Record) { Records.push_back(Record); });
    ASSERT_EQ(Records.size(), 118u);
    for (std::size_t Index = 0; Index < Records.size(); ++Index) {
        SCOPED_TRACE(Records[Index].Symbol.Text());
        EXPECT_TRUE(Records[Index].Symbol.IsString());
        EXPECT_DOUBLE_EQ(Records[Index].AtomicNumber.AsDouble(), static_cast<double>(Index + 1));
        EXPECT_GT(Records[Index].AtomicWeight.AsDouble(), 1.0);
    }
    std::set<std::string> Symbols;
    for (const auto& Record : Records)
        EXPECT_TRUE(Symbols.insert(Record.Symbol.Text()).second) << Record.Symbol.Text();
    EXPECT_EQ(Records.front().Symbol.Text(), "H");
    EXPECT_EQ(Records.back().Symbol.Text(), "Og");
    const std::pair<const char*, double> Weights[] = {
        {"H", 1.008}, {"C", 12.011}, {"O", 15.999}, {"Na", 22.990}, {"Cl", 35.45}};
    for (const auto& [Symbol, Weight] : Weights)
        EXPECT_DOUBLE_EQ(Shipped.WeightOfSymbol(Symbol).AsDouble(), Weight) << Symbol;
}

// Count bytes of every value but the separators of the file.
std::string BytesWithoutSeparators(std::size_t Count) {
    std::string Bytes;
    for (unsigned Code = 0; Bytes.size() < Count; Code = (Code + 1) % 256)
        if (Code != '"' && Code != ',' && Code != '\r' && Code != '\n')
            Bytes += static_cast<char>(Code);
    return Bytes;
}

struct FailureCase {
    const char* Name;
    std::string Bytes;
    int Number;
};

TEST(ElementTableTest, BrokenFilesRaiseNumberedErrorsAndAreClosed) {
    const FailureCase Cases[] = {
        {"last record cut short", "\"H\",1,1.008\r\n\"He\",2\r\n", ErrInputPastEndOfFile},
        {"one field only", "\"H\"", ErrInputPastEndOfFile},
        {"a comma and spaces at the end", "\"H\",1,1,\t ", ErrInputPastEndOfFile},
        {"unterminated quote", "\"H\",1,1.008\r\n\"He,2,4.0026\r\n", ErrInputPastEndOfFile},
        {"NUL bytes after the last record", std::string("\"H\",1,1\r\n\0\0\0", 12),
         ErrInputPastEndOfFile},
        {"weight too large for a double", "\"H\",1,1e400\r\n", ErrOverflow},
        {"100 kB without a separator, past the first chunk read", BytesWithoutSeparators(100000),
         ErrInputPastEndOfFile},
    };
    const TempDir Folder;
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const ElementTable Table(Folder.Write("elements.dat", Case.Bytes));
        const int Before = OpenDescriptorCount();
        EXPECT_EQ(ErrorNumberOf([&] { ListOf(Table); }), Case.Number);
        EXPECT_EQ(ErrorNumberOf([&] { Table.WeightOfSymbol("H"); }), Case.Number);
        EXPECT_EQ(OpenDescriptorCount(), Before);
    }
}

// A field of 100 MB (a sparse file of NUL bytes): refused as too long before it takes the
// machine's memory, while a 1 MB field is still read.
TEST(ElementTableTest, FieldsBeyondSixtyFourMegabytesAreRefused) {
    const TempDir Folder;
    const std::string Long =
        Folder.Write("long.dat", "\"H\",1,\"" + std::string(1 << 20, '1') + "\"\r\n\"O\",8,16\r\n");
    EXPECT_DOUBLE_EQ(ElementTable(Long).WeightOfSymbol("O").AsDouble(), 16);
    const std::string Huge = Folder.Write("huge.dat", "\"O\",8,16\r\n\"H\",1,");
    std::filesystem::resize_file(Huge, 100 << 20);
    const int Before = OpenDescriptorCount();
    EXPECT_EQ(ErrorNumberOf([&] { ElementTable(Huge).WeightOfSymbol("O"); }), ErrOutOfMemory);
    EXPECT_EQ(OpenDescriptorCount(), Before);
}

TEST(ElementTableTest, ListHandsOverTheRecordsBeforeAFailure) {
    const TempDir Folder;
    const ElementTable Table(Folder.Write("elements.dat", "\"H\",1,1\r\n\"He\",2,4\r\n\"Li\"\r\n"));
    std::vector<std::string> Symbols;
    EXPECT_EQ(ErrorNumberOf([&] {
                  Table.ListAll([&](const ElementRecord& Record) {
                      Symbols.push_back(Record.Symbol.Text());
                  });
              }),
              ErrInputPastEndOfFile);
    EXPECT_EQ(Symbols, (std::vector<std::string>{"H", "He"}));
}

TEST(ElementTableTest, FilesThatCannotBeReadRaiseNumberedErrors) {
    const TempDir Folder;
    const std::string Plain = Folder.Write("plain.dat", "\"H\",1,1\r\n");
    std::filesystem::create_directory(Folder.Path("folder.dat"));
    struct Case {
        const char* Name;
        std::string Path;
        int Number;
    };
    const Case Cases[] = {
        {"missing file", Folder.Path("missing.dat"), ErrFileNotFound},
        {"missing folder", Folder.Path("missing/elements.dat"), ErrFileNotFound},
        {"a file taken for a folder", Plain + "/elements.dat", ErrFileNotFound},
        {"a directory", Folder.Path("folder.dat"), ErrPathFileAccess},
        {"empty name", "", ErrFileNotFound},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Name);
        const ElementTable Table(Each.Path);
        const int Before = OpenDescriptorCount();
        EXPECT_EQ(ErrorNumberOf([&] { ListOf(Table); }), Each.Number);
        EXPECT_EQ(ErrorNumberOf([&] { Table.WeightOfSymbol("H"); }), Each.Number);
        EXPECT_EQ(OpenDescriptorCount(), Before);
    }
}

TEST(ElementTableTest, HostileContentGivesADefinedResult) {
    const TempDir Folder;
    const std::string LongLine = "\"H\",1,1.008,\"" + std::string(1 << 20, 'x') + "\",2,4\r\n";
    const std::string LongDigits = "\"H\",1," + std::string(1 << 20, '1') + "\r\n";
    const std::string LongSymbol = std::string(1 << 20, 'Q') + ",1,1\r\n\"H\",1,2\r\n";

    const ElementTable Long(Folder.Write("long.dat", LongLine));
    EXPECT_DOUBLE_EQ(Long.WeightOfSymbol("H").AsDouble(), 1.008);
    EXPECT_DOUBLE_EQ(Long.WeightOfSymbol(std::string(1 << 20, 'x')).AsDouble(), 4);
    EXPECT_EQ(ErrorNumberOf([&] {
                  ElementTable(Folder.Write("digits.dat", LongDigits)).WeightOfSymbol("H");
              }),
              ErrOverflow);
    EXPECT_DOUBLE_EQ(
        ElementTable(Folder.Write("symbol.dat", LongSymbol)).WeightOfSymbol("H").AsDouble(), 2);

    // NUL bytes are characters like any other.
    const ElementTable Nul(
        Folder.Write("nuls.dat", std::string("\"H\0\",1,5\r\n\"H\",1,1.008\r\n\0,\0,\0\r\n", 30)));
    EXPECT_DOUBLE_EQ(Nul.WeightOfSymbol("H").AsDouble(), 1.008);
    EXPECT_DOUBLE_EQ(Nul.WeightOfSymbol(std::string("H\0", 2)).AsDouble(), 5);
    EXPECT_EQ(ListOf(Nul).size(), 3u);

    // Binary noise: a number, no match, or one of the reading errors, and the file closed.
    std::mt19937 Random(20240611);
    std::uniform_int_distribution<int> Byte(0, 255);
    const int Before = OpenDescriptorCount();
    for (int Round = 0; Round < 200; ++Round) {
        std::string Noise(static_cast<std::size_t>(Round * 37 % 5000), '\0');
        for (char& Character : Noise)
            Character = static_cast<char>(Byte(Random));
        const ElementTable Table(Folder.Write("noise.dat", Noise));
        for (const char* Symbol : {"H", "\x80", ""}) {
            const int Number = ErrorNumberOf([&] { Table.WeightOfSymbol(Symbol); });
            EXPECT_TRUE(Number == 0 || Number == ErrInputPastEndOfFile || Number == ErrOverflow ||
                        Number == ErrTypeMismatch)
                << "round " << Round << " error " << Number;
        }
        const int Number = ErrorNumberOf([&] { ListOf(Table); });
        EXPECT_TRUE(Number == 0 || Number == ErrInputPastEndOfFile || Number == ErrOverflow)
            << "round " << Round << " error " << Number;
    }
    EXPECT_EQ(OpenDescriptorCount(), Before);
}

TEST(ElementTableTest, FiftyMegabytesOfRecordsReadInReasonableTime) {
    const TempDir Folder;
    const std::string Path = Folder.Path("elements.dat");
    {
        const std::string Record = "\"Zz\",118,294.214\r\n";
        std::string Block;
        for (int Index = 0; Index < 4096; ++Index)
            Block += Record;
        std::ofstream Out(Path, std::ios::binary);
        std::size_t Written = 0;
        while (Written < 50u * 1024 * 1024) {
            Out << Block;
            Written += Block.size();
        }
        Out << "\"H\",1,2.5\r\n";
        ASSERT_TRUE(Out.good());
    }
    const ElementTable Table(Path);
    const auto Start = std::chrono::steady_clock::now();
    EXPECT_DOUBLE_EQ(Table.WeightOfSymbol("H").AsDouble(), 2.5);
    const auto Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    // Linear reading takes seconds even unoptimised with sanitizers; a quadratic or
    // byte-per-system-call reader would take far longer.
    EXPECT_LT(Seconds, 60.0);
    RecordProperty("Seconds", std::to_string(Seconds));
    std::printf("50 MB lookup: %.2f s\n", Seconds);
}

} // namespace
} // namespace Varnock
