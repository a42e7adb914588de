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
    // How the formula was read where another reading was possible (CuSO4.5H2O, Fe3+): the
    // report and the mass stand, and this comes after them. Not a failure: nothing to close.
    virtual void ReadingNote(const std::string& Note) = 0;
    // A view that shows no report (a list of masses) is spared the writing of its lines.
    virtual bool ShowsReport() const { return true; }
};

// Reads the formula, weighs every entry from the table and writes the report and the mass.
// A formula that can't be read, has too many entries, or meets a failing table file gives one
// notice and leaves no report lines and no mass. An element the table lacks gets a notice and
// no line; the total line then says which are left out, and the mass text is empty, since the
// sum of the others is not the formula's mass. A formula read one way where another was
// possible gives the report and the mass, then a reading note. The entry table is left reset.
void Calculate(BasVarnock& Table, const TypedFormula& Formula, const ElementWeights& Elements,
               CalculationView& View, char DecimalSeparator);
// The same for a formula already read from Formula.Text; errors raised while reading it are
// left to the caller.
void Calculate(BasVarnock& Table, const TypedFormula& Formula, const FormulaReading& Reading,
               const ElementWeights& Elements, CalculationView& View, char DecimalSeparator);
// The same for a formula already in the code page.
void Calculate(BasVarnock& Table, std::string_view Formula, const ElementWeights& Elements,
               CalculationView& View, char DecimalSeparator);

} // namespace Varnock
