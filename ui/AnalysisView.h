#pragma once

// The analysis of the formula in the window's box: the Hill formula, the masses, the
// composition, the isotope pattern as a plot and as a table, and the m/z of the common adduct
// ions; choosing an ion plots its pattern instead of the formula's. It can copy all of it as text
// and save the plot. The window builds it the first time it is asked for, so that the window's own
// start-up does not pay for it, and hands it each new analysis. Everything above its buttons
// scrolls, so that it fits a screen of any size at any scale factor.

#include <QDialog>

#include "core/Analysis.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace Varnock {

class PatternPlot;

class AnalysisView : public QDialog {
public:
    // ProgramFolder holds the manual that F1 opens.
    explicit AnalysisView(QWidget* Parent = nullptr, const QString& ProgramFolder = QString());

    void Show(const FormulaAnalysis& Analysis, char DecimalSeparator);

    // Everything the view shows, as the command line's --analysis writes it, notices last.
    QString Text() const;
    void CopyAll() const;
    // Saves the plot titled with the Hill formula of what it shows; a suffix other than .svg saves
    // PNG. False, with the reason in Failure, when it could not be saved.
    bool SavePlot(const QString& Path, QString* Failure = nullptr) const;
    // The folder the Save dialog starts in: the one saved to last while it is there, else the
    // user's Pictures, else Documents, else home.
    static QString PlotFolder();

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
    // The Hill formula of the formula or ion plotted.
    QString PlotTitle;
    QPushButton* CmdCopy;
    QPushButton* CmdSave;
    QPushButton* CmdAbout;
    QPushButton* CmdClose;
};

} // namespace Varnock
