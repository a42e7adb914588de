// Arbitrary bytes as the isotope table file. Whatever the bytes, every row is either kept as a
// nuclide within the table's bounds or named in a notice with its line, in line order; each
// element's most abundant isotope has the highest abundance of its isotopes, and Find finds
// what Of lists; no file is left open.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/IsotopeTable.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/MemoryFile.h"

namespace {

using namespace Varnock;
using namespace Varnock::Fuzzing;

std::string_view Trimmed(std::string_view Line) {
    while (!Line.empty() && (Line.front() == ' ' || Line.front() == '\t'))
        Line.remove_prefix(1);
    while (!Line.empty() && (Line.back() == ' ' || Line.back() == '\t' || Line.back() == '\r'))
        Line.remove_suffix(1);
    return Line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
    WriteTable(Bytes);
    const int Before = OpenDescriptorCount();
    const IsotopeTable Table(TablePath());
    Require(Before == OpenDescriptorCount(), [] { return std::string("a file left open"); });

    std::size_t Rows = 0, Lines = 0, LastFault = 0;
    std::vector<std::string> Symbols;
    for (const std::string_view Each : LinesOf(Bytes)) {
        ++Lines;
        const std::string_view Text = Trimmed(Each);
        if (Text.empty() || Text.front() == '#')
            continue;
        ++Rows;
        std::string_view Symbol = Trimmed(Text.substr(0, Text.find(',')));
        if (Symbol.size() >= 2 && Symbol.front() == '"' && Symbol.back() == '"')
            Symbol = Symbol.substr(1, Symbol.size() - 2);
        Symbols.emplace_back(Symbol);
    }
    const std::string Head = TablePath() + ", line ";
    for (const std::string& Notice : Table.Notices()) {
        Require(Notice.starts_with(Head), [&] { return "notice " + Quoted(Notice); });
        const std::size_t Number = std::stoul(Notice.substr(Head.size()));
        Require(Number > LastFault && Number <= Lines,
                [&] { return "notice out of line order: " + Quoted(Notice); });
        LastFault = Number;
    }
    // Every row a nuclide or a notice: the nuclides of every symbol named add up to the rest.
    std::size_t Kept = 0;
    std::vector<std::string> Seen;
    for (const std::string& Symbol : Symbols) {
        if (std::find(Seen.begin(), Seen.end(), Symbol) != Seen.end())
            continue;
        Seen.push_back(Symbol);
        const auto& Isotopes = Table.Of(Symbol);
        Kept += Isotopes.size();
        const Isotope* Most = Table.MostAbundant(Symbol);
        for (const Isotope& Each : Isotopes) {
            Require(Each.MassNumber >= 1 && Each.MassNumber <= 999 && Each.Mass > 0 &&
                        Each.Abundance >= 0 && Each.Abundance <= 1,
                    [&] { return "a nuclide of " + Quoted(Symbol) + " out of bounds"; });
            Require(Table.Find(Symbol, Each.MassNumber) != nullptr,
                    [&] { return "a nuclide of " + Quoted(Symbol) + " Find misses"; });
            Require(Each.Abundance == 0 || (Most && Most->Abundance >= Each.Abundance),
                    [&] { return "the most abundant of " + Quoted(Symbol) + " is not"; });
        }
    }
    Require(Kept + Table.Notices().size() == Rows, [&] {
        return std::to_string(Kept) + " nuclides and " + std::to_string(Table.Notices().size()) +
               " notices from " + std::to_string(Rows) + " rows";
    });
    return 0;
}
