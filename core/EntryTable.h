#pragma once

#include <array>

#include "core/Value.h"

namespace Varnock {

inline constexpr int EntrySlots = 30;

// One array of the entry table: slots 1 to 30; any other index raises error 9.
class EntryArray {
public:
    Value& operator()(int Index);
    const Value& operator()(int Index) const;

private:
    std::array<Value, EntrySlots> Slots;
};

// The entry table: four parallel arrays, every slot empty when made.
struct BasVarnock {
    EntryArray ElementSymbol;
    EntryArray ElementCount;
    EntryArray ElementMass;
    EntryArray ElementPercent;

    // Slots 1 to Last: symbol to "", the three numbers to integer 0.
    void Reset(int Last);
};

// The table the program uses for its whole run.
BasVarnock& ProgramEntryTable();

} // namespace Varnock
