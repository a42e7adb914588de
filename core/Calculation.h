#pragma once

#include <string>
#include <string_view>

#include "core/ElementTable.h"
#include "core/EntryTable.h"
#include "core/FormulaReader.h"
#include "core/TypedFormula.h"

namespace Varnock {

// What follows the number in the mass text: "18.015 g".
inline constexpr std::string_view MassUnit = " g";

// Where a calculation writes: the window binds these to its controls. The calculation owns the
// report text and hands it over a line at a time; every text is UTF-8.
class CalculationView {
public:
    virtual ~CalculationView() = default;
    virtual void ClearReport() = 0;
    // One whole line of the report, with its line end; it shows at once.
    virtual void AppendReport(const std::string& Line) = 0;
    virtual void SetMassText(const std::string& Text) = 0;
    // Shows a message and returns once the user has closed it; the lines so far stay shown.
    virtual void Notice(const std::string& Message) = 0;
    // A view that shows no report (a list of masses) is spared the writing of its lines.
    virtual bool ShowsReport() const { return true; }
    // Told before the mass is set when the mass leaves out an element the table lacks, so that
    // a view which shows the mass without the report can leave it out.
    virtual void MassIsPartial() {}
};

// Reads the formula (with Groups, when given), weighs every entry from the table and writes the
// report and the mass; a group is one entry, weighed from its formula's elements.
// A formula that can't be read, has too many entries, or meets a failing table file gives one
// notice and leaves no report lines and no mass. A formula read with an ambiguous point gives
// the report and the mass, then a notice of how it was read. The entry table is left reset.
void Calculate(BasVarnock& Table, const TypedFormula& Formula, const ElementWeights& Elements,
               CalculationView& View, char DecimalSeparator, const GroupTable* Groups = nullptr);
// The same for a formula already read from Formula.Text; errors raised while reading it are
// left to the caller.
void Calculate(BasVarnock& Table, const TypedFormula& Formula, const FormulaReading& Reading,
               const ElementWeights& Elements, CalculationView& View, char DecimalSeparator);
// The same for a formula already in the code page.
void Calculate(BasVarnock& Table, std::string_view Formula, const ElementWeights& Elements,
               CalculationView& View, char DecimalSeparator, const GroupTable* Groups = nullptr);

} // namespace Varnock
