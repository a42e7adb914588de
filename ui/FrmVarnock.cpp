#include "ui/FrmVarnock.h"

#include <utility>

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>

#include "core/Analysis.h"
#include "core/ElementList.h"
#include "core/ElementTable.h"
#include "core/EntryTable.h"
#include "core/FormulaParser.h"
#include "core/GroupTable.h"
#include "core/RunTimeError.h"
#include "core/SystemServices.h"
#include "core/TextRules.h"
#include "core/TypedFormula.h"
#include "shell/CShell.h"
#include "ui/AnalysisView.h"
#include "ui/Bas3dEffects.h"
#include "ui/FindView.h"
#include "ui/FormControls.h"
#include "ui/ProgramHelp.h"
#include "ui/VarnockIcon.h"
#include "ui/WindowSettings.h"

namespace Varnock {

using namespace FormRuntime;

namespace {

// Where the settings keep each window's place.
const QString MainWindowGroup = QStringLiteral("MainWindow");
const QString AnalysisViewGroup = QStringLiteral("AnalysisView");
const QString FindViewGroup = QStringLiteral("FindView");

// The design's places, in twips.
constexpr QRect Label1Place{60, 30, 1425, 195};
constexpr QRect Label2Place{2010, 30, 1245, 225};
constexpr QRect Label3Place{2010, 660, 1245, 225};
constexpr QRect Label4Place{1440, 2670, 1665, 255};
constexpr QRect TxtTitlePlace{60, 990, 4545, 210};
constexpr QRect TxtFormulaMassPlace{3330, 660, 1245, 225};
constexpr QRect TxtAnswerPlace{30, 1200, 4575, 1425};
constexpr QRect LstElementsPlace{30, 270, 1905, 690};
constexpr QRect CmdCalculatePlace{3750, 240, 885, 315};
constexpr QRect TxtFormulaPlace{2010, 240, 1695, 285};
constexpr QRect CmdAnalysisPlace{3480, 2655, 1125, 225};
// Below the report at the left, clear of the address: the way to the formulas from a mass.
constexpr QRect CmdFindPlace{30, 2655, 1350, 225};

// The groups beside the element table, read against its symbols as it is now; none when the
// table can't be read (the calculation tells that).
GroupTable CurrentGroups(const ElementTable& Table) {
    try {
        return GroupTable(std::string(GroupTableName), ElementSymbols::Of(Table));
    } catch (const RunTimeError&) {
        return GroupTable();
    }
}

// What the formula box takes, and the groups it reads today.
QString FormulaTip(const GroupTable& Groups) {
    QString Tip = QStringLiteral(
        "<p>A formula as chemists write it: H2O, Ca(OH)2, CuSO4\u00B75H2O, [13C]H4, SO4^2-, "
        "Pd(PPh3)4, H-Ala-Gly-OH.</p>");
    if (Groups.All().empty())
        return Tip + QStringLiteral("<p>No groups: groups.dat is missing or empty.</p>");
    QStringList Names;
    for (const Group& Each : Groups.All())
        Names << ToQt(std::string(Each.Name)).toHtmlEscaped();
    return Tip +
           QStringLiteral("<p><b>Groups</b> (groups.dat beside the program, which gives each "
                          "one's formula): ") +
           Names.join(QStringLiteral(" ")) + QStringLiteral("</p>");
}

template <typename Control>
Control* Place(QWidget* Window, const char* Name, QRect Twips, const QFont& Font) {
    auto* Made = new Control(Window);
    Made->setObjectName(QString::fromLatin1(Name));
    Made->setGeometry(TwipsRect(Twips.x(), Twips.y(), Twips.width(), Twips.height()));
    Made->setFont(Font);
    return Made;
}

// Multi-line box: a tab advances to the next stop every 8 character widths.
void SetUpTextBox(QPlainTextEdit* Box) {
    Box->setReadOnly(true);
    Box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Box->setFocusPolicy(Qt::StrongFocus);
    Box->setTabStopDistance(8 * QFontMetricsF(Box->font()).averageCharWidth());
    Box->document()->setDocumentMargin(1);
}

void ButtonFaceBackground(QWidget* Control) {
    QPalette Colours = Control->palette();
    Colours.setColor(QPalette::Base, Colours.color(QPalette::Button));
    Control->setPalette(Colours);
}

} // namespace

QString FrmVarnock::HomePageAddress() {
    return QStringLiteral("Http://tervalin.test/");
}

FrmVarnock::FrmVarnock(QWidget* Parent) : QWidget(Parent, Qt::Window), Folder(ProgramFolder()) {
    setObjectName(QStringLiteral("FrmVarnock"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Varnock -- by Tervalin"));
    setWindowIcon(VarnockIcon());
    setFont(WindowFont());
    QPalette Colours = palette();
    Colours.setColor(QPalette::Window, Colours.color(QPalette::Button));
    setPalette(Colours);
    setAutoFillBackground(true);
    // It opens at the design size, which is also the smallest it can be made.
    setMinimumSize(TwipsToPixels(4635), TwipsToPixels(2880));
    resize(minimumSize());

    // Labels first: the formula box overlaps the bottom of Label2 and is drawn over it.
    QFont Bold = WindowFont();
    Bold.setBold(true);
    QFont Underlined = WindowFont();
    Underlined.setUnderline(true);
    Label1 = Place<QLabel>(this, "Label1", Label1Place, WindowFont());
    Label2 = Place<QLabel>(this, "Label2", Label2Place, WindowFont());
    Label3 = Place<QLabel>(this, "Label3", Label3Place, Bold);
    Label4 = Place<ClickLabel>(this, "Label4", Label4Place, Underlined);
    TxtTitle = Place<QPlainTextEdit>(this, "TxtTitle", TxtTitlePlace, FixedFont());
    TxtFormulaMass = Place<QLineEdit>(this, "TxtFormulaMass", TxtFormulaMassPlace, font());
    TxtAnswer = Place<QPlainTextEdit>(this, "TxtAnswer", TxtAnswerPlace, FixedFont());
    LstElements = Place<QListWidget>(this, "LstElements", LstElementsPlace, FixedFont());
    CmdCalculate = Place<QPushButton>(this, "CmdCalculate", CmdCalculatePlace, font());
    TxtFormula = Place<FormulaBox>(this, "TxtFormula", TxtFormulaPlace, font());
    // Below the report, at the right: the way to the analysis view.
    CmdAnalysis = Place<QPushButton>(this, "CmdAnalysis", CmdAnalysisPlace, font());
    CmdFind = Place<QPushButton>(this, "CmdFind", CmdFindPlace, font());

    for (QLabel* Label : {Label1, Label2, Label3, static_cast<QLabel*>(Label4)})
        Label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setText(QStringLiteral("&Elements:"));
    Label1->setBuddy(LstElements);
    Label2->setText(QStringLiteral("Enter &Formula"));
    Label2->setBuddy(TxtFormula);
    Label3->setText(QStringLiteral("Formula Mass:"));
    // No access key, but screen readers take the box's caption from its buddy.
    Label3->setBuddy(TxtFormulaMass);
    Label4->setText(HomePageAddress());
    Label4->setCursor(Qt::PointingHandCursor);
    QPalette Blue = Label4->palette();
    Blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label4->setPalette(Blue);
    Label4->OnClick = [this] { Label4Click(); };

    SetUpTextBox(TxtTitle);
    TxtTitle->setFrameStyle(QFrame::NoFrame);
    TxtTitle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TxtTitle->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ButtonFaceBackground(TxtTitle);

    TxtFormulaMass->setReadOnly(true);
    TxtFormulaMass->setFrame(false);
    TxtFormulaMass->setText(QStringLiteral("0"));
    ButtonFaceBackground(TxtFormulaMass);

    SetUpTextBox(TxtAnswer);
    TxtAnswer->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    TxtAnswer->setLineWrapMode(QPlainTextEdit::NoWrap);
    TxtAnswer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TxtAnswer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    LstElements->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    LstElements->setSelectionMode(QAbstractItemView::SingleSelection);
    LstElements->setSortingEnabled(false);
    LstElements->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LstElements->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    LstElements->setUniformItemSizes(true);
    const int Inside = LstElements->height() - 2 * LstElements->frameWidth();
    const int Rows = std::max(1, Inside / QFontMetrics(LstElements->font()).height());
    ListRowHeight = Inside / Rows;
    LstElements->setItemDelegate(new RowDelegate(ListRowHeight, LstElements));
    connect(LstElements, &QListWidget::itemDoubleClicked, this, [this] { LstElementsDblClick(); });

    CmdCalculate->setText(QStringLiteral("&Calculate"));
    CmdCalculate->setDefault(true);
    connect(CmdCalculate, &QPushButton::clicked, this, [this] { CmdCalculateClick(); });

    TxtFormula->setMaxLength(FormulaLimit);

    CmdAnalysis->setText(QStringLiteral("&Analysis..."));
    CmdAnalysis->setToolTip(
        QStringLiteral("Hill formula, exact masses and isotope pattern of the formula (Alt+A)"));
    // Reached by its access key and the mouse; the Tab order stays that of the design.
    CmdAnalysis->setFocusPolicy(Qt::NoFocus);
    CmdAnalysis->setAutoDefault(false);
    connect(CmdAnalysis, &QPushButton::clicked, this, [this] { CmdAnalysisClick(); });

    CmdFind->setText(QStringLiteral("Find by &mass..."));
    CmdFind->setToolTip(QStringLiteral("The formulas whose mass fits a measured mass (Alt+M)"));
    CmdFind->setFocusPolicy(Qt::NoFocus);
    CmdFind->setAutoDefault(false);
    connect(CmdFind, &QPushButton::clicked, this, [this] { CmdFindClick(); });

    // What a screen reader announces for each control.
    const std::pair<QWidget*, const char*> Names[] = {
        {Label1, "Elements:"},
        {Label2, "Enter Formula"},
        {Label3, "Formula Mass:"},
        {TxtTitle, "Report Heading"},
        {TxtFormulaMass, "Formula Mass"},
        {TxtAnswer, "Report"},
        {LstElements, "Elements"},
        {CmdCalculate, "Calculate"},
        {TxtFormula, "Enter Formula"},
        {CmdAnalysis, "Analysis"},
        {CmdFind, "Find by mass"},
    };
    for (const auto& [Control, Name] : Names)
        Control->setAccessibleName(QString::fromLatin1(Name));
    Label4->setAccessibleName(HomePageAddress());
    Label4->setAccessibleDescription(QStringLiteral("Opens this web page in the browser"));

    setTabOrder(TxtFormula, TxtAnswer);
    setTabOrder(TxtAnswer, LstElements);
    setTabOrder(LstElements, CmdCalculate);
    setTabOrder(CmdCalculate, TxtFormulaMass);
    setTabOrder(TxtFormulaMass, TxtTitle);
    for (QWidget* Control : std::initializer_list<QWidget*>{TxtFormula, TxtAnswer, LstElements,
                                                            CmdCalculate, TxtFormulaMass, TxtTitle})
        Control->installEventFilter(this);
    TxtFormula->setFocus();

    // Help without a control of its own: F1 opens the manual, and the window's context menu (a
    // right click beside the controls) holds the manual and the About box.
    AddManualAction(*this, [this] { return Folder; });
    auto* About = new QAction(QStringLiteral("&About Varnock"), this);
    About->setObjectName(QStringLiteral("ActAbout"));
    connect(About, &QAction::triggered, this, [this] { ShowAbout(this); });
    addAction(About);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    setAccessibleDescription(
        QStringLiteral("F1 opens the manual; the window's context menu holds About Varnock"));

    if (const QScreen* Screen = QGuiApplication::primaryScreen())
        setGeometry(QRect(Screen->availableGeometry().center() - rect().center(), size()));
}

void FrmVarnock::Load() {
    Load(ProgramFolder());
}

void FrmVarnock::Load(const QString& ProgramFolder) {
    Folder = ProgramFolder;
    try {
        if (!SetCurrentFolder(ProgramFolder))
            throw RunTimeError(ErrPathNotFound);
        const char Separator = SystemServices::DecimalSeparator();
        ElementTable().ListAll([&](const ElementRecord& Record) {
            LstElements->addItem(ToQt(ElementListEntry(Record, Separator)));
        });
        TxtFormula->setToolTip(FormulaTip(CurrentGroups(ElementTable())));
        TxtTitle->setPlainText(ToQt(ReportHeading()));
        setWindowTitle(QStringLiteral("Varnock (By Tervalin)"));
    } catch (const RunTimeError& Failure) {
        ShowMessage(this, ToQt(ErrorNumberText(Failure.Number())));
    }
}

std::string FrmVarnock::AddSpace(const Value& Element, int Length) const {
    return Varnock::AddSpace(Element, Length);
}

int FrmVarnock::GetElements(Value& Compound) {
    return Varnock::GetElements(ProgramEntryTable(), Compound);
}

void FrmVarnock::paintEvent(QPaintEvent* Event) {
    QWidget::paintEvent(Event);
    QPainter Painter(this);
    BeginLines(Painter);
    Bas3dEffects::DrawInsetBorder(*TxtFormulaMass);
    EndLines();
}

void FrmVarnock::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    Arrange();
}

void FrmVarnock::RememberPlaces() {
    Remembers = true;
    RestorePlace(*this, MainWindowGroup);
}

void FrmVarnock::closeEvent(QCloseEvent* Event) {
    if (Remembers) {
        UserSettings Settings;
        WritePlace(Settings, MainWindowGroup, *this);
        if (View)
            WritePlace(Settings, AnalysisViewGroup, *View);
        if (Search)
            WritePlace(Settings, FindViewGroup, *Search);
    }
    if (View)
        View->close();
    if (Search)
        Search->close();
    QWidget::closeEvent(Event);
}

void FrmVarnock::Arrange() {
    // What the window has grown by since the design size: the formula box takes the width, and
    // the element list and the report share the height, the list in whole rows. The controls
    // right of the formula box and below the report move with the window's edges.
    const int Wider = std::max(0, width() - minimumWidth());
    const int Taller = std::max(0, height() - minimumHeight());
    const int ListTaller = Taller / 2 / ListRowHeight * ListRowHeight;
    const auto Set = [](QWidget* Control, QRect Twips, int X, int Y, int Width, int Height) {
        const QRect Design = TwipsRect(Twips.x(), Twips.y(), Twips.width(), Twips.height());
        Control->setGeometry(Design.x() + X, Design.y() + Y, Design.width() + Width,
                             Design.height() + Height);
    };
    Set(TxtFormula, TxtFormulaPlace, 0, 0, Wider, 0);
    Set(CmdCalculate, CmdCalculatePlace, Wider, 0, 0, 0);
    Set(TxtFormulaMass, TxtFormulaMassPlace, 0, 0, Wider, 0);
    Set(LstElements, LstElementsPlace, 0, 0, 0, ListTaller);
    Set(TxtTitle, TxtTitlePlace, 0, ListTaller, Wider, 0);
    Set(TxtAnswer, TxtAnswerPlace, 0, ListTaller, Wider, Taller - ListTaller);
    Set(Label4, Label4Place, Wider / 2, Taller, 0, 0);
    Set(CmdAnalysis, CmdAnalysisPlace, Wider, Taller, 0, 0);
    Set(CmdFind, CmdFindPlace, 0, Taller, 0, 0);
}

bool FrmVarnock::eventFilter(QObject* Watched, QEvent* Event) {
    // Qt keeps the default button for dialogs; this window wants Enter to click it too.
    if (Event->type() == QEvent::KeyPress) {
        const auto* Key = static_cast<QKeyEvent*>(Event);
        const auto Modifiers = Key->modifiers() & ~Qt::KeypadModifier;
        if ((Key->key() == Qt::Key_Return || Key->key() == Qt::Key_Enter) &&
            Modifiers == Qt::NoModifier) {
            CmdCalculate->click();
            return true;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

void FrmVarnock::CmdCalculateClick() {
    try {
        // The groups are read afresh as the element table is, so that an edit shows at once;
        // bad rows are told when they first show.
        const ElementTable Table;
        const GroupTable Groups = CurrentGroups(Table);
        TxtFormula->setToolTip(FormulaTip(Groups));
        std::string Faults;
        for (const std::string& Each : Groups.Notices())
            Faults += Each + "\n";
        if (Faults != ToldGroupFaults && !Faults.empty())
            ShowMessage(this, ToQt(Faults));
        ToldGroupFaults = Faults;
        Calculate(ProgramEntryTable(), ReadTyped(TxtFormula->text().toStdString()), Table, *this,
                  SystemServices::DecimalSeparator(), &Groups);
        // An open analysis view follows each calculation.
        if (View && View->isVisible())
            ShowAnalysis(Groups);
    } catch (const RunTimeError& Failure) {
        // A failure escaping an event handler would end the program.
        ShowMessage(this, ToQt(ErrorNumberText(Failure.Number())));
    }
}

void FrmVarnock::PlaceBeside(QWidget* Shown) {
    // Beside the window where the screen has room, else as far right as fits, and never taller
    // or wider than the screen: the view's tables scroll instead. Its frame is taken to be as
    // wide as the window's, which is shown and so known.
    const QSize Edges = frameGeometry().size() - size();
    const QRect Fitted = OntoScreens(
        QRect(frameGeometry().topRight() + QPoint(8, 0), Shown->size() + Edges), ScreenAreas());
    Shown->resize(Fitted.size() - Edges);
    Shown->move(Fitted.topLeft());
}

void FrmVarnock::CmdAnalysisClick() {
    if (!View) {
        View = new AnalysisView(this, Folder);
        PlaceAnalysis();
    }
    ShowAnalysis(CurrentGroups(ElementTable()));
    View->show();
    View->raise();
    View->activateWindow();
}

void FrmVarnock::CmdFindClick() {
    if (!Search) {
        Search = new FindView(this);
        if (!Remembers || !RestorePlace(*Search, FindViewGroup))
            PlaceBeside(Search);
        // A candidate double-clicked is calculated as if typed into the formula box.
        Search->OnChoose = [this](const std::string& Formula) {
            TxtFormula->setText(QString::fromStdString(Formula));
            CmdCalculateClick();
        };
    }
    Search->show();
    Search->raise();
    Search->activateWindow();
}

void FrmVarnock::PlaceAnalysis() {
    if (Remembers && RestorePlace(*View, AnalysisViewGroup))
        return;
    PlaceBeside(View);
}

void FrmVarnock::ShowAnalysis(const GroupTable& Groups) {
    const std::string Formula = TxtFormula->text().toStdString();
    FormulaAnalysis Result;
    try {
        if (!IsotopesTried) {
            IsotopesTried = true;
            try {
                Isotopes = std::make_unique<IsotopeTable>(
                    IsotopeTableBeside(std::string(ElementTableName)));
            } catch (const RunTimeError&) { // told with each analysis below
            }
        }
        AnalysisOptions WithIons;
        WithIons.Adducts = CommonAdducts();
        if (IsEmptyFormula(Formula))
            Result.Notices.push_back("Formula: empty");
        else
            Result = Analyse(ReadTyped(Formula), ElementTable(), Isotopes.get(), WithIons, &Groups);
    } catch (const RunTimeError& Failure) {
        Result.Notices.push_back(ErrorNumberText(Failure.Number()));
    }
    if (!Isotopes)
        Result.Notices.push_back("No isotope table (" + std::string(IsotopeTableName) +
                                 "): no exact masses, m/z or isotope pattern");
    View->Show(Result, SystemServices::DecimalSeparator());
}

void FrmVarnock::LstElementsDblClick() {
    const QListWidgetItem* Entry = LstElements->currentItem();
    const QString Symbol = Entry ? ToQt(ListEntrySymbol(ToCore(Entry->text()))) : QString();
    const qsizetype Kept = TxtFormula->text().size() - TxtFormula->selectedText().size();
    if (Kept + Symbol.size() <= FormulaLimit)
        TxtFormula->insert(Symbol);
    TxtFormula->setFocus();
}

void FrmVarnock::Label4Click() {
    QString Address = HomePageAddress();
    Address[0] = Address[0].toLower();
    CShell().Execute(ToCore(Address));
}

void FrmVarnock::ClearReport() {
    TxtAnswer->clear();
    TellNotes(QString());
    ShowReportNow();
}

void FrmVarnock::AppendReport(const std::string& Line) {
    QTextCursor End(TxtAnswer->document());
    End.movePosition(QTextCursor::End);
    End.insertText(QString::fromStdString(Line).remove(QLatin1Char('\r')));
    ShowReportNow();
}

void FrmVarnock::ShowReportNow() {
    // Each line shows the moment it is written, not when the handler returns.
    if (TxtAnswer->isVisible())
        TxtAnswer->viewport()->repaint();
}

void FrmVarnock::SetMassText(const std::string& Text) {
    TxtFormulaMass->setText(QString::fromStdString(Text));
}

void FrmVarnock::Notice(const std::string& Message) {
    ShowMessage(this, QString::fromStdString(Message));
}

void FrmVarnock::ReadingNote(const std::string& Note) {
    // No message box: the result stands, so the note follows the total in the report, a line
    // at each step so that it shows in the box's width, and the report scrolls to it.
    QString Lines = QString::fromStdString(Note);
    Lines.replace(QStringLiteral(": read as "), QStringLiteral(":\nread as "));
    Lines.replace(QStringLiteral("; "), QStringLiteral(";\n"));
    for (const QString& Line : Lines.split(QLatin1Char('\n')))
        AppendReport((Line + QStringLiteral("\r\n")).toStdString());
    TxtAnswer->verticalScrollBar()->setValue(TxtAnswer->verticalScrollBar()->maximum());
    const QString Told = TxtFormulaMass->accessibleDescription();
    TellNotes(Told.isEmpty() ? QString::fromStdString(Note)
                             : Told + QLatin1Char('\n') + QString::fromStdString(Note));
}

void FrmVarnock::TellNotes(const QString& Notes) {
    // With the mass they are about: its tooltip, and its description, which a screen reader
    // reads with the mass and is told of when it changes.
    TxtFormulaMass->setToolTip(Notes);
    TxtFormulaMass->setAccessibleDescription(Notes);
}

} // namespace Varnock
