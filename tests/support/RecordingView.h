#pragma once

// A calculation's view that records what the calculation does to it, for the tests, the fuzz
// targets and the benchmark. Plain C++: no test framework, no Qt.

#include <string>
#include <utility>
#include <vector>

#include "core/Calculation.h"

namespace Varnock::Testing {

// One call a calculation made on its view, in order: a report event holds the whole report
// after the change. A notice also keeps the report text the user sees behind it.
struct ViewEvent {
    enum Kind { Report, Mass, Notice, Note } What;
    std::string Text;
    std::string ReportShown; // for notices only

    friend bool operator==(const ViewEvent&, const ViewEvent&) = default;
};

class RecordingView : public CalculationView {
public:
    void ClearReport() override {
        Report.clear();
        Record({ViewEvent::Report, Report, {}});
    }
    void AppendReport(const std::string& Line) override {
        Report += Line;
        Record({ViewEvent::Report, Report, {}});
    }
    void SetMassText(const std::string& Text) override {
        Mass = Text;
        Record({ViewEvent::Mass, Text, {}});
    }
    void Notice(const std::string& Message) override {
        Notices.push_back(Message);
        Record({ViewEvent::Notice, Message, Report});
    }
    void ReadingNote(const std::string& Note) override {
        Notes.push_back(Note);
        Record({ViewEvent::Note, Note, {}});
    }

    // Texts as a window would show them; they start as the window shows them before any run.
    std::string Report;
    std::string Mass = "0";
    std::vector<std::string> Notices;
    std::vector<std::string> Notes;
    std::vector<ViewEvent> Events;
    // Off where only the last texts matter and a growing record would be measured too.
    bool KeepEvents = true;

private:
    void Record(ViewEvent Event) {
        if (KeepEvents)
            Events.push_back(std::move(Event));
    }
};

} // namespace Varnock::Testing
