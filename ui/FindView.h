#pragma once

// The formulas that fit a measured mass: the mass (m/z with an adduct), the tolerance in ppm or
// mDa, the element ranges, the adduct and the rules go in; the candidates come out as a table,
// best first. The search runs on a thread of its own, so the view shows its progress and can
// cancel it. A double-click on a candidate hands its formula to the window, which calculates
// it. The window builds the view the first time it is asked for.

#include <atomic>
#include <functional>
#include <memory>

#include <QDialog>

#include "core/FormulaSearch.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;
class QTimer;

namespace Varnock {

class FindView : public QDialog {
public:
    explicit FindView(QWidget* Parent = nullptr);
    ~FindView() override;

    // Called with the formula of a candidate double-clicked.
    std::function<void(const std::string& Formula)> OnChoose;

    // Starts a search with what the boxes hold; the table fills when it ends.
    void Search();
    // Stops the search running, keeping the candidates found so far.
    void Cancel();
    bool Searching() const { return Worker != nullptr; }

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    void Finished();
    void Show(const FindResult& Result);
    bool ReadRequest(FindRequest& Request, QString& Why) const;

    QLineEdit* TxtMass;
    QLineEdit* TxtTolerance;
    QComboBox* CboUnit;
    QLineEdit* TxtRanges;
    QComboBox* CboAdduct;
    QCheckBox* ChkEvenElectron;
    QCheckBox* ChkSenior;
    QCheckBox* ChkRatios;
    QPushButton* CmdSearch;
    QPushButton* CmdCancel;
    QPushButton* CmdClose;
    QProgressBar* Progress;
    QLabel* Notices;
    QTableWidget* Candidates;
    QTimer* Poll;

    // The running search: its request, what it has done, whether it must stop, and its result.
    struct Running {
        FindRequest Request;
        std::atomic<double> Done{0};
        std::atomic<bool> Stop{false};
        FindResult Result;
    };
    std::shared_ptr<Running> Current;
    QThread* Worker = nullptr;
    bool Ion = false; // the shown candidates have an m/z of their own
};

} // namespace Varnock
