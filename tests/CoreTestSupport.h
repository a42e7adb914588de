#pragma once

// Helpers shared by the core tests: a view that records what a calculation does, temporary
// element table files, and a count of the process's open files.

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "core/Calculation.h"
#include "core/EntryTable.h"
#include "core/RunTimeError.h"

namespace Varnock::Testing {

// One call a calculation made on its view, in order. A notice also keeps the report text
// the user sees behind it.
struct ViewEvent {
    enum Kind { Report, Mass, Notice } What;
    std::string Text;
    std::string ReportShown; // for notices only

    friend bool operator==(const ViewEvent&, const ViewEvent&) = default;
    friend void PrintTo(const ViewEvent& Event, std::ostream* Out) {
        static const char* const Names[] = {"Report", "Mass", "Notice"};
        *Out << Names[Event.What] << "(" << ::testing::PrintToString(Event.Text) << ")";
    }
};

class RecordingView : public CalculationView {
public:
    std::string ReportText() override { return Report; }
    void SetReportText(const std::string& Text) override {
        Report = Text;
        Events.push_back({ViewEvent::Report, Text, {}});
    }
    void SetMassText(const std::string& Text) override {
        Mass = Text;
        Events.push_back({ViewEvent::Mass, Text, {}});
    }
    void Notice(const std::string& Message) override {
        Notices.push_back(Message);
        Events.push_back({ViewEvent::Notice, Message, Report});
    }

    // Texts as a window would show them; they start as the window shows them before any run.
    std::string Report;
    std::string Mass = "0";
    std::vector<std::string> Notices;
    std::vector<ViewEvent> Events;
};

// What the tests need from the system, one file per system (TestSystemPosix.cpp,
// TestSystemWindows.cpp).

// Makes a fresh, uniquely named folder under the system's temporary folder.
std::filesystem::path MakeTempFolder();
// Files and handles the process has open: a file left open by the code under test shows as
// one more.
int OpenDescriptorCount();
// Division by zero and invalid operations on doubles trap while On, so that a hidden one fails;
// false when the system refused.
bool TrapFloatingPointFaults(bool On);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() : Folder(MakeTempFolder()) {}
    ~TempDir() {
        std::error_code Ignored;
        std::filesystem::remove_all(Folder, Ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path(std::string_view Name) const { return (Folder / Name).string(); }

    // Writes Bytes exactly (no line end translation) and returns the file's path.
    std::string Write(std::string_view Name, std::string_view Bytes) const {
        const std::string FilePath = Path(Name);
        std::ofstream Out(FilePath, std::ios::binary | std::ios::trunc);
        Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
        if (!Out)
            throw std::runtime_error("cannot write " + FilePath);
        return FilePath;
    }

private:
    std::filesystem::path Folder;
};

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
