#pragma once

// What the core tests share besides the recording view and the temporary folders: the error
// number an action raises and checks of the entry table's slots.

#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "core/EntryTable.h"
#include "core/RunTimeError.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TestSystem.h"

namespace Varnock::Testing {

// Failure messages name the event and quote its text.
inline void PrintTo(const ViewEvent& Event, std::ostream* Out) {
    static const char* const Names[] = {"Report", "Mass", "Notice"};
    *Out << Names[Event.What] << "(" << ::testing::PrintToString(Event.Text) << ")";
}

// The error number Action raises, or 0 when it raises none.
template <typename Action> int ErrorNumberOf(Action&& Run) {
    try {
        Run();
    } catch (const RunTimeError& Error) {
        return Error.Number();
    }
    return 0;
}

// Slot Index holds the state a reset leaves, or the empty state of a table never used there.
inline ::testing::AssertionResult SlotIsReset(const BasVarnock& Table, int Index) {
    const bool Fresh = Table.ElementSymbol(Index).IsEmpty() &&
                       Table.ElementCount(Index).IsEmpty() && Table.ElementMass(Index).IsEmpty() &&
                       Table.ElementPercent(Index).IsEmpty();
    const Value Zero(0);
    const bool Reset = Table.ElementSymbol(Index) == Value("") &&
                       Table.ElementCount(Index) == Zero && Table.ElementMass(Index) == Zero &&
                       Table.ElementPercent(Index) == Zero;
    if (Fresh || Reset)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "slot " << Index << " holds symbol \"" << Table.ElementSymbol(Index).Text()
           << "\", count " << Table.ElementCount(Index).Text() << ", mass "
           << Table.ElementMass(Index).Text() << ", percent " << Table.ElementPercent(Index).Text();
}

inline ::testing::AssertionResult TableIsReset(const BasVarnock& Table) {
    for (int Index = 1; Index <= EntrySlots; ++Index)
        if (auto Result = SlotIsReset(Table, Index); !Result)
            return Result;
    return ::testing::AssertionSuccess();
}

} // namespace Varnock::Testing
