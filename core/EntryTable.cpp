#include "core/EntryTable.h"

#include "core/RunTimeError.h"

namespace Varnock {

Value& EntryArray::operator()(int Index) {
    if (Index < 1 || Index > EntrySlots)
        throw RunTimeError(ErrSubscriptOutOfRange);
    return Slots[static_cast<std::size_t>(Index - 1)];
}

const Value& EntryArray::operator()(int Index) const {
    return const_cast<EntryArray&>(*this)(Index);
}

void BasVarnock::Reset(int Last) {
    for (int Index = 1; Index <= Last && Index <= EntrySlots; ++Index) {
        ElementSymbol(Index) = std::string();
        ElementCount(Index) = ElementMass(Index) = ElementPercent(Index) = Value(0);
    }
}

BasVarnock& ProgramEntryTable() {
    static BasVarnock Table;
    return Table;
}

} // namespace Varnock
