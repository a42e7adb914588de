#include "ui/FindView.h"

#include <cmath>
#include <new>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "core/AdductTable.h"
#include "core/AnalysisText.h"
#include "core/ElementTable.h"
#include "core/GroupTable.h"
#include "core/RunTimeError.h"
#include "core/SystemServices.h"
#include "core/TextRules.h"
#include "ui/FormRuntime.h"

namespace Varnock {

using namespace FormRuntime;

namespace {

// The candidates the view lists at most: more than anyone reads.
constexpr std::size_t ShownMost = 500;
constexpr const char* Neutral = "(neutral molecule)";

enum Column { FormulaColumn, MassColumn, IonColumn, PpmColumn, MilliDaltonColumn, RdbeColumn };

// A number typed with a point or with the locale's decimal separator.
bool ReadNumberBox(const QLineEdit* Box, double& Number) {
    std::string Text = Box->text().trimmed().toStdString();
    const char Separator = SystemServices::DecimalSeparator();
    for (char& Character : Text)
        if (Character == Separator)
            Character = '.';
    try {
        return ReadWholeNumber(Text, Number) && std::isfinite(Number);
    } catch (const RunTimeError&) {
        return false;
    }
}

QLineEdit* Box(QWidget* Parent, const char* Name, const char* Spoken, const QString& Text) {
    auto* Made = new QLineEdit(Text, Parent);
    Made->setObjectName(QString::fromLatin1(Name));
    Made->setAccessibleName(QString::fromLatin1(Spoken));
    return Made;
}

QCheckBox* Rule(QWidget* Parent, const char* Name, const QString& Text, bool On, const char* Why) {
    auto* Made = new QCheckBox(Text, Parent);
    Made->setObjectName(QString::fromLatin1(Name));
    Made->setChecked(On);
    Made->setToolTip(QString::fromLatin1(Why));
    return Made;
}

} // namespace

FindView::FindView(QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("FindView"));
    setWindowTitle(QStringLiteral("Formulas from mass"));
    setSizeGripEnabled(true);
    const FindRules Defaults;
    TxtMass = Box(this, "TxtMass", "Measured mass", QString());
    TxtMass->setPlaceholderText(QStringLiteral("m/z with an adduct, else the neutral mass"));
    TxtTolerance = Box(this, "TxtTolerance", "Tolerance", QStringLiteral("5"));
    CboUnit = new QComboBox(this);
    CboUnit->setObjectName(QStringLiteral("CboUnit"));
    CboUnit->addItems({QStringLiteral("ppm"), QStringLiteral("mDa")});
    CboUnit->setAccessibleName(QStringLiteral("Tolerance unit"));
    TxtRanges = Box(this, "TxtRanges", "Element ranges",
                    QString::fromLatin1(DefaultRanges.data(), DefaultRanges.size()));
    CboAdduct = new QComboBox(this);
    CboAdduct->setObjectName(QStringLiteral("CboAdduct"));
    CboAdduct->setEditable(true);
    CboAdduct->setAccessibleName(QStringLiteral("Adduct"));
    CboAdduct->addItem(QString::fromLatin1(Neutral));
    for (const NamedAdduct& Common : CommonAdducts())
        CboAdduct->addItem(ToQt(Common.Name));
    ChkEvenElectron =
        Rule(this, "ChkEvenElectron", QStringLiteral("&Even electrons"), Defaults.EvenElectron,
             "The ion has an even number of electrons: a whole RDBE for a neutral "
             "molecule (the nitrogen rule)");
    ChkSenior = Rule(this, "ChkSenior", QStringLiteral("SE&NIOR"), Defaults.Senior,
                     "The molecule can be a connected graph of its atoms' valences");
    ChkRatios = Rule(this, "ChkRatios", QStringLiteral("Element &ratios"), Defaults.Ratios,
                     "H/C 0.2 to 3.1, N/C 1.3, O/C 1.2, P/C 0.3, S/C 0.8 and the halogens' per "
                     "carbon, as Kind and Fiehn (2007) found in 99.7 % of known formulas");
    CmdSearch = ViewButton(this, "CmdSearch", QStringLiteral("&Search"), "Search");
    CmdSearch->setDefault(true);
    CmdCancel = ViewButton(this, "CmdCancel", QStringLiteral("Cance&l"), "Cancel the search");
    CmdCancel->setEnabled(false);
    CmdClose = ViewButton(this, "CmdClose", QStringLiteral("Close"), "Close");
    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setRange(0, 1000);
    Progress->setTextVisible(false);
    Progress->setAccessibleName(QStringLiteral("Search progress"));
    Notices = new QLabel(this);
    Notices->setObjectName(QStringLiteral("Notices"));
    Notices->setWordWrap(true);
    Notices->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Notices->setAccessibleName(QStringLiteral("Notices"));
    Candidates = new QTableWidget(0, 6, this);
    Candidates->setObjectName(QStringLiteral("Candidates"));
    Candidates->setAccessibleName(QStringLiteral("Candidates"));
    Candidates->setHorizontalHeaderLabels(
        {"Formula", "Mass", "m/z", "Error (ppm)", "Error (mDa)", "RDBE"});
    Candidates->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Candidates->setSelectionBehavior(QAbstractItemView::SelectRows);
    Candidates->setSelectionMode(QAbstractItemView::SingleSelection);
    Candidates->verticalHeader()->hide();
    Candidates->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Candidates->horizontalHeader()->setStretchLastSection(true);
    Candidates->setFont(FixedFont());
    Candidates->verticalHeader()->setDefaultSectionSize(QFontMetrics(Candidates->font()).height() +
                                                        6);
    Candidates->setColumnHidden(IonColumn, true);
    Candidates->setToolTip(QStringLiteral("Double-click a formula to calculate it"));
    Poll = new QTimer(this);
    Poll->setInterval(100);

    connect(CmdSearch, &QPushButton::clicked, this, [this] { Search(); });
    connect(CmdCancel, &QPushButton::clicked, this, [this] { Cancel(); });
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(Poll, &QTimer::timeout, this, [this] {
        if (Current)
            Progress->setValue(static_cast<int>(Current->Done.load() * 1000));
    });
    connect(Candidates, &QTableWidget::cellDoubleClicked, this, [this](int Row, int) {
        if (OnChoose && Candidates->item(Row, FormulaColumn))
            OnChoose(Candidates->item(Row, FormulaColumn)->text().toStdString());
    });

    auto* Tolerance = new QHBoxLayout;
    Tolerance->addWidget(TxtTolerance, 1);
    Tolerance->addWidget(CboUnit);
    auto* Form = new QFormLayout;
    const auto Labelled = [&](const QString& Text, QWidget* Buddy, QLayout* Row) {
        auto* Caption = new QLabel(Text, this);
        Caption->setBuddy(Buddy);
        if (Row)
            Form->addRow(Caption, Row);
        else
            Form->addRow(Caption, Buddy);
    };
    Labelled(QStringLiteral("&Mass:"), TxtMass, nullptr);
    Labelled(QStringLiteral("&Tolerance:"), TxtTolerance, Tolerance);
    Labelled(QStringLiteral("Ran&ges:"), TxtRanges, nullptr);
    Labelled(QStringLiteral("A&dduct:"), CboAdduct, nullptr);
    auto* Rules = new QHBoxLayout;
    Rules->addWidget(ChkEvenElectron);
    Rules->addWidget(ChkSenior);
    Rules->addWidget(ChkRatios);
    Rules->addStretch();
    Form->addRow(QStringLiteral("Rules:"), Rules);
    auto* SearchRow = new QHBoxLayout;
    SearchRow->addWidget(CmdSearch);
    SearchRow->addWidget(CmdCancel);
    SearchRow->addWidget(Progress, 1);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(CmdClose);
    auto* All = new QVBoxLayout(this);
    All->addLayout(Form);
    All->addLayout(SearchRow);
    All->addWidget(Notices);
    All->addWidget(Candidates, 1);
    All->addLayout(Buttons);
    resize(560, 520);
}

FindView::~FindView() {
    Cancel();
    if (Worker) {
        Worker->wait();
        delete Worker; // its finished signal is never handled now
    }
}

void FindView::closeEvent(QCloseEvent* Event) {
    Cancel();
    QDialog::closeEvent(Event);
}

bool FindView::ReadRequest(FindRequest& Request, QString& Why) const {
    if (TxtMass->text().trimmed().isEmpty()) {
        Why = QStringLiteral("Mass: empty");
        return false;
    }
    if (!ReadNumberBox(TxtMass, Request.Measured)) {
        Why = QStringLiteral("Mass: not a number");
        return false;
    }
    if (!ReadNumberBox(TxtTolerance, Request.Tolerance)) {
        Why = QStringLiteral("Tolerance: not a number");
        return false;
    }
    Request.Ppm = CboUnit->currentIndex() == 0;
    Request.Rules.EvenElectron = ChkEvenElectron->isChecked();
    Request.Rules.Senior = ChkSenior->isChecked();
    Request.Rules.Ratios = ChkRatios->isChecked();
    Request.Max = ShownMost;
    const std::string Adduct = CboAdduct->currentText() == QString::fromLatin1(Neutral)
                                   ? std::string()
                                   : CboAdduct->currentText().toStdString();
    const std::string Ranges = TxtRanges->text().toStdString();
    std::string Notice;
    try {
        // The tables beside the program, as the window reads them: the current folder's.
        std::unique_ptr<AdductTable> Named;
        try {
            Named = std::make_unique<AdductTable>(AdductTableBeside(std::string(ElementTableName)));
        } catch (const RunTimeError&) { // the notation still reads without names
        }
        const ElementTable Elements;
        const GroupTable Groups(std::string(GroupTableName), ElementSymbols::Of(Elements));
        const IsotopeTable Isotopes(IsotopeTableBeside(std::string(ElementTableName)),
                                    SearchSymbols(Ranges, Adduct, Named.get(), &Groups));
        if (SetUpSearch(Request, Ranges, Adduct, AtomicNumbers(Elements), Isotopes, Named.get(),
                        Notice, &Groups))
            return true;
    } catch (const RunTimeError& Failure) {
        Notice = ErrorNumberText(Failure.Number()) + " reading the tables";
    }
    Why = QString::fromStdString(Notice);
    return false;
}

void FindView::Search() {
    if (Worker)
        return;
    FindRequest Request;
    QString Why;
    if (!ReadRequest(Request, Why)) {
        Notices->setText(Why);
        return;
    }
    Current = std::make_shared<Running>();
    Current->Request = std::move(Request);
    Worker = QThread::create([Run = Current] {
        try {
            Run->Result = FindFormulas(Run->Request, [&Run = *Run](double Done) {
                Run.Done = Done;
                return !Run.Stop.load();
            });
        } catch (const std::bad_alloc&) { // an exception leaving a thread ends the program
            Run->Result = FindResult();
            Run->Result.Refusal = ErrorNumberText(ErrOutOfMemory);
        }
    });
    connect(Worker, &QThread::finished, this, [this] { Finished(); });
    CmdSearch->setEnabled(false);
    CmdCancel->setEnabled(true);
    Progress->setValue(0);
    Notices->setText(QStringLiteral("Searching..."));
    Poll->start();
    Worker->start();
}

void FindView::Cancel() {
    if (Current)
        Current->Stop = true;
}

void FindView::Finished() {
    Poll->stop();
    Worker->deleteLater();
    Worker = nullptr;
    CmdSearch->setEnabled(true);
    CmdCancel->setEnabled(false);
    Progress->setValue(Current->Result.Cut ? Progress->value() : Progress->maximum());
    Show(Current->Result);
}

void FindView::Show(const FindResult& Result) {
    const char Separator = SystemServices::DecimalSeparator();
    Ion = Current->Request.Ion.Charge != 0 || Current->Request.Ion.Molecules != 1;
    Candidates->setColumnHidden(IonColumn, !Ion);
    Candidates->setRowCount(0);
    for (const Candidate& Each : Result.Candidates) {
        const int Row = Candidates->rowCount();
        Candidates->insertRow(Row);
        const auto Cells = CandidateCells(Each, Separator);
        for (int Column = 0; Column < 6; ++Column) {
            auto* Item = new QTableWidgetItem(QString::fromStdString(Cells[Column]));
            Item->setTextAlignment(Column == FormulaColumn ? Qt::AlignLeft | Qt::AlignVCenter
                                                           : Qt::AlignRight | Qt::AlignVCenter);
            Candidates->setItem(Row, Column, Item);
        }
    }
    QString Told;
    if (!Result.Refusal.empty())
        Told = QString::fromStdString(Result.Refusal);
    else if (Result.Cut)
        Told = QStringLiteral("Stopped after %1 formulas tried: better candidates may be missing")
                   .arg(Result.Steps);
    else if (Result.Found == 0)
        Told = QStringLiteral("No formula within the tolerance");
    else if (Result.Found > Result.Candidates.size())
        Told = QStringLiteral("The %1 best of %2 candidates")
                   .arg(Result.Candidates.size())
                   .arg(Result.Found);
    else
        Told = QStringLiteral("%1 candidates; double-click one to calculate it").arg(Result.Found);
    Notices->setText(Told);
}

} // namespace Varnock
