#pragma once

// The analysis of the formula in the window's box: the Hill formula, the masses, the
// composition, the isotope pattern as a plot and as a table, and the m/z of the common adduct
// ions; choosing an ion plots its pattern instead of the formula's. It can copy all of it as text
// and save the plot. The window builds it the first time it is asked for, so that the window's own
// start-up does not pay for it, and hands it each new analysis.

#include <QDialog>

#include "core/Analysis.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace Varnock {

class PatternPlot;

class AnalysisView : public QDialog {
public:
    explicit AnalysisView(QWidget* Parent = nullptr);

    void Show(const FormulaAnalysis& Analysis, char DecimalSeparator);

    // Everything the view shows, as the command line's --analysis writes it, notices last.
    QString Text() const;
    void CopyAll() const;
    // Saves the plot; a suffix other than .svg saves PNG.
    bool SavePlot(const QString& Path) const;

    // Plots and lists the pattern of the formula (row 0) or of one of its adduct ions.
    void ShowPattern(int Row);

private:
    void AskSavePlot();

    FormulaAnalysis Shown;
    char Separator = '.';
    QLabel* Hill;
    QLabel* Masses;
    QLabel* Notices;
    PatternPlot* Plot;
    QTableWidget* Composition;
    QTableWidget* Peaks;
    QTableWidget* Ions;
    QPushButton* CmdCopy;
    QPushButton* CmdSave;
    QPushButton* CmdClose;
};

} // namespace Varnock
