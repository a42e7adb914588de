#include "core/ElementList.h"

#include "core/TextRules.h"

namespace Varnock {

std::string ElementListEntry(const ElementRecord& Record, char DecimalSeparator) {
    return AddSpace(Record.AtomicNumber, 3, DecimalSeparator) + "-" +
           AddSpace(Record.Symbol, 2, DecimalSeparator) + "(" +
           Record.AtomicWeight.Text(DecimalSeparator) + ")";
}

std::string ListEntrySymbol(std::string_view Entry) {
    std::string_view Symbol = Entry.size() > 4 ? Entry.substr(4, 2) : std::string_view();
    while (!Symbol.empty() && Symbol.front() == ' ')
        Symbol.remove_prefix(1);
    while (!Symbol.empty() && Symbol.back() == ' ')
        Symbol.remove_suffix(1);
    return std::string(Symbol);
}

} // namespace Varnock
