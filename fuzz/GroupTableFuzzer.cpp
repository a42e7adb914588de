// Arbitrary bytes as the group table file, read against the shipped element table's symbols.
// Whatever the bytes, every group kept has a name of a group's shapes that is no element, a
// formula of elements alone that reads to the entries kept, and reads back as itself when its
// name is the whole formula; names are unique, and every line that holds a row either gave a
// group, replaced one, or was named in a notice, in line order; no file is left open.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/GroupTable.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/TableFiles.h"

namespace {

using namespace Varnock;
using namespace Varnock::Fuzzing;

const ElementSymbols& Symbols() {
    static const ElementSymbols Shipped = ElementSymbols::Of(ElementTable(VARNOCK_ELEMENTS_DAT));
    return Shipped;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
    WriteTable(Bytes);
    const int Before = OpenDescriptorCount();
    const GroupTable Table(TablePath(), Symbols());
    Table.Load();
    Require(Before == OpenDescriptorCount(), [] { return std::string("a file left open"); });

    const std::size_t Rows = RowsOf(Bytes).size();
    CheckNoticeLines(Table.Notices(), Bytes);
    Require(Table.All().size() + Table.Notices().size() <= Rows, [&] {
        return std::to_string(Table.All().size()) + " groups and " +
               std::to_string(Table.Notices().size()) + " notices from " + std::to_string(Rows) +
               " rows";
    });
    for (const Group& Each : Table.All()) {
        Require(IsGroupName(Each.Name) && !Symbols().Contains(Each.Name),
                [&] { return "a group named " + Quoted(Each.Name); });
        Require(Table.Find(Each.Name) == &Each,
                [&] { return "two groups named " + Quoted(Each.Name); });
        const FormulaReading Again = ReadFormula(Each.Formula);
        Require(Again.Result == FormulaResult::Read && !Again.Entries.empty() &&
                    Again.Entries == Each.Entries(),
                [&] { return "the formula " + Quoted(Each.Formula) + " does not read"; });
        for (const FormulaEntry& Entry : Each.Entries())
            Require(!Entry.GroupRow &&
                        (Symbols().Contains(Entry.Symbol) ||
                         (Entry.MassNumber == 0 && (Entry.Symbol == "D" || Entry.Symbol == "T"))),
                    [&] { return "the formula " + Quoted(Each.Formula) + " keeps no element"; });
        const FormulaReading Name = ReadFormula(Each.Name, &Table);
        Require(Name.Result == FormulaResult::Read && Name.Entries.size() == 1 &&
                    Name.Entries[0].GroupRow == &Each,
                [&] { return "the name " + Quoted(Each.Name) + " reads otherwise"; });
    }
    return 0;
}
