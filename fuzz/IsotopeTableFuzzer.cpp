// Arbitrary bytes as the isotope table file. Whatever the bytes, every row is either kept as a
// nuclide within the table's bounds or named in a notice with its line, in line order; each
// element's most abundant isotope has the highest abundance of its isotopes, and Find finds
// what Of lists; no file is left open.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/IsotopeTable.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/TableFiles.h"

namespace {

using namespace Varnock;
using namespace Varnock::Fuzzing;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
    WriteTable(Bytes);
    const int Before = OpenDescriptorCount();
    const IsotopeTable Table(TablePath());
    Require(Before == OpenDescriptorCount(), [] { return std::string("a file left open"); });

    const std::vector<std::string_view> Rows = RowsOf(Bytes);
    std::vector<std::string> Symbols;
    for (const std::string_view Row : Rows) {
        std::string_view Symbol = Trimmed(Row.substr(0, Row.find(',')));
        if (Symbol.size() >= 2 && Symbol.front() == '"' && Symbol.back() == '"')
            Symbol = Symbol.substr(1, Symbol.size() - 2);
        Symbols.emplace_back(Symbol);
    }
    CheckNoticeLines(Table.Notices(), Bytes);
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
    Require(Kept + Table.Notices().size() == Rows.size(), [&] {
        return std::to_string(Kept) + " nuclides and " + std::to_string(Table.Notices().size()) +
               " notices from " + std::to_string(Rows.size()) + " rows";
    });
    return 0;
}
