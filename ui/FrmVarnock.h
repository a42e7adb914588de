#pragma once

// The program's one window. Data flows one way per event: a handler reads the controls, hands
// their texts to the core, and writes what comes back into the controls. The window holds no
// data beyond its controls' contents; the entry table belongs to the core for the whole run and
// the element table file is read afresh by each handler. A calculation hands the report box
// one line at a time, so a notice shown halfway has the lines so far above it.

#include <memory>
#include <string>

#include <QWidget>

#include "core/Calculation.h"
#include "core/IsotopeTable.h"
#include "core/Value.h"
#include "ui/FormRuntime.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace Varnock {

class AnalysisView;
class ClickLabel;
class FindView;
class FormulaBox;

class FrmVarnock : public QWidget, public FormRuntime::LineSurface, private CalculationView {
public:
    explicit FrmVarnock(QWidget* Parent = nullptr);

    // Start-up, before the window is first shown: the program's folder becomes the current
    // directory, the element list and the heading are filled and the caption is set. A failure
    // is reported in a message box and ends start-up there.
    void Load();
    void Load(const QString& ProgramFolder);

    // Reopens the window where and as large as it was last closed (the first time at its design
    // size, centred), and from now on saves both windows' places when it closes. The program's
    // start asks for this; a window made without it reads and writes no settings.
    void RememberPlaces();

    std::string AddSpace(const Value& Element, int Length) const;
    int GetElements(Value& Compound);

    // The address the label shows.
    static QString HomePageAddress();

    // The analysis view, built on first use; null until then.
    AnalysisView* Analysis() const { return View; }
    // The view of the formulas that fit a mass, built on first use; null until then.
    FindView* Finder() const { return Search; }

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    // Closing the window ends the program, so the analysis view goes with it.
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CmdCalculateClick();
    void LstElementsDblClick();
    void Label4Click();
    void CmdAnalysisClick();
    void CmdFindClick();
    // Places a view beside the window where the screen has room, else as far right as fits.
    void PlaceBeside(QWidget* View);
    // Where the analysis view first opens: as saved, else beside the window.
    void PlaceAnalysis();
    // The formula's analysis in the view, its groups those the calculation read.
    void ShowAnalysis(const GroupTable& Groups);
    // Places the controls for the window's size: at the design size, as designed.
    void Arrange();

    void ClearReport() override;
    void AppendReport(const std::string& Line) override;
    void ShowReportNow();
    void SetMassText(const std::string& Text) override;
    void Notice(const std::string& Message) override;
    void ReadingNote(const std::string& Note) override;
    // The reading notes of the last calculation, one a line; empty for none.
    void TellNotes(const QString& Notes);

    QPlainTextEdit* TxtTitle;
    QLineEdit* TxtFormulaMass;
    QPlainTextEdit* TxtAnswer;
    QListWidget* LstElements;
    QPushButton* CmdCalculate;
    FormulaBox* TxtFormula;
    ClickLabel* Label4;
    QLabel* Label3;
    QLabel* Label2;
    QLabel* Label1;
    QPushButton* CmdAnalysis;
    QPushButton* CmdFind;
    int ListRowHeight;

    // The program's folder, where the manual is.
    QString Folder;
    bool Remembers = false;

    AnalysisView* View = nullptr;
    FindView* Search = nullptr;
    // Read the first time an analysis is shown; null when it can't be read.
    std::unique_ptr<IsotopeTable> Isotopes;
    bool IsotopesTried = false;
    // The bad rows of groups.dat last told, so that they are told once.
    std::string ToldGroupFaults;
};

} // namespace Varnock
