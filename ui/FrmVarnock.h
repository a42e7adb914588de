#pragma once

// The program's one window. Data flows one way per event: a handler reads the controls,
// converts their texts to the core's code page, calls the core, and writes what comes back
// into the controls. The window holds no data beyond its controls' contents; the entry table
// belongs to the core for the whole run and the element table file is read afresh by each
// handler. The report box is the calculation's report text: the core reads it back and
// extends it one line at a time.

#include <string>

#include <QWidget>

#include "core/Calculation.h"
#include "core/Value.h"
#include "ui/FormRuntime.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace Varnock {

class ClickLabel;
class FormulaBox;

class FrmVarnock : public QWidget, public FormRuntime::LineSurface, private CalculationView {
public:
    explicit FrmVarnock(QWidget* Parent = nullptr);

    // Start-up, before the window is first shown: the program's folder becomes the current
    // directory, the element list and the heading are filled and the caption is set. A failure
    // is reported in a message box and ends start-up there.
    void Load();
    void Load(const QString& ProgramFolder);

    std::string AddSpace(const Value& Element, int Length) const;
    int GetElements(Value& Compound);

    // The address the label shows.
    static QString HomePageAddress();

protected:
    void paintEvent(QPaintEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CmdCalculateClick();
    void LstElementsDblClick();
    void Label4Click();

    std::string ReportText() override;
    void SetReportText(const std::string& Text) override;
    void SetMassText(const std::string& Text) override;
    void Notice(const std::string& Message) override;

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
};

} // namespace Varnock
