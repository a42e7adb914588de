#pragma once

#include <string>
#include <string_view>

#include "core/ElementTable.h"
#include "core/EntryTable.h"

namespace Varnock {

// What a calculation writes to and reads from: the window binds these to its controls.
class CalculationView {
public:
    virtual ~CalculationView() = default;
    // The report is read and written back whole, one appended line at a time.
    virtual std::string ReportText() = 0;
    virtual void SetReportText(const std::string& Text) = 0;
    virtual void SetMassText(const std::string& Text) = 0;
    // Shows a message and returns once the user has closed it.
    virtual void Notice(const std::string& Message) = 0;
};

// Parses the formula, weighs every entry from the table and writes the report and the mass.
// A formula that can't be read, has too many entries, or meets a failing table file gives one
// notice and leaves no report lines and no mass. The entry table is left reset.
void Calculate(BasVarnock& Table, std::string_view Formula, const ElementTable& Elements,
               CalculationView& View, char DecimalSeparator);

} // namespace Varnock
