#include "ui/AnalysisView.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/AnalysisText.h"
#include "ui/FormRuntime.h"
#include "ui/PatternPlot.h"
#include "ui/ProgramHelp.h"
#include "ui/WindowSettings.h"

namespace Varnock {

using namespace FormRuntime;

namespace {

// What the Save dialog remembers.
const QString PlotFolderKey = QStringLiteral("AnalysisView/PlotFolder");
const QString PlotTypeKey = QStringLiteral("AnalysisView/PlotType");

QTableWidget* Table(QWidget* Parent, const char* Name, const QStringList& Headings) {
    auto* Made = new QTableWidget(0, static_cast<int>(Headings.size()), Parent);
    Made->setObjectName(QString::fromLatin1(Name));
    Made->setHorizontalHeaderLabels(Headings);
    Made->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Made->verticalHeader()->hide();
    Made->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Made->horizontalHeader()->setStretchLastSection(true);
    Made->setFont(FixedFont());
    Made->verticalHeader()->setDefaultSectionSize(QFontMetrics(Made->font()).height() + 6);
    return Made;
}

template <std::size_t Count>
void AddRow(QTableWidget* Table, const std::array<std::string, Count>& Cells) {
    const int Row = Table->rowCount();
    Table->insertRow(Row);
    for (std::size_t Column = 0; Column < Count; ++Column) {
        auto* Item = new QTableWidgetItem(ToQt(Cells[Column]));
        // Numbers line up on the right, names and formulas on the left.
        Item->setTextAlignment(Column == 0 || (Count == 3 && Column == 1)
                                   ? Qt::AlignLeft | Qt::AlignVCenter
                                   : Qt::AlignRight | Qt::AlignVCenter);
        Table->setItem(Row, static_cast<int>(Column), Item);
    }
}

} // namespace

AnalysisView::AnalysisView(QWidget* Parent, const QString& ProgramFolder) : QDialog(Parent) {
    setObjectName(QStringLiteral("AnalysisView"));
    setWindowTitle(QStringLiteral("Analysis"));
    setSizeGripEnabled(true);
    auto* Scroller = new QScrollArea(this);
    Scroller->setObjectName(QStringLiteral("Contents"));
    Scroller->setAccessibleName(QStringLiteral("Analysis"));
    Scroller->setFrameShape(QFrame::NoFrame);
    Scroller->setWidgetResizable(true);
    auto* Contents = new QWidget(Scroller);
    Hill = new QLabel(Contents);
    Hill->setObjectName(QStringLiteral("Hill"));
    QFont Large = Hill->font();
    Large.setPointSizeF(Large.pointSizeF() * 1.4);
    Large.setBold(true);
    Hill->setFont(Large);
    Masses = new QLabel(Contents);
    Masses->setObjectName(QStringLiteral("Masses"));
    Notices = new QLabel(Contents);
    Notices->setObjectName(QStringLiteral("Notices"));
    Notices->setWordWrap(true);
    for (QLabel* Label : {Hill, Masses, Notices})
        Label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Plot = new PatternPlot(Contents);
    Plot->setObjectName(QStringLiteral("Plot"));
    Composition = Table(Contents, "Composition", {"Element", "Count", "Mass", "%"});
    Peaks = Table(Contents, "Peaks", {"Mass", "Intensity %"});
    Ions = Table(Contents, "Ions", {"Ion", "Formula", "m/z"});
    Ions->setSelectionBehavior(QAbstractItemView::SelectRows);
    Ions->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(Ions, &QTableWidget::currentCellChanged, this, [this](int Row) { ShowPattern(Row); });
    CmdCopy = ViewButton(this, "CmdCopy", QStringLiteral("&Copy all"), "Copy all as text");
    CmdSave = ViewButton(this, "CmdSave", QStringLiteral("&Save plot..."), "Save plot");
    CmdAbout = ViewButton(this, "CmdAbout", QStringLiteral("A&bout..."), "About Varnock");
    CmdClose = ViewButton(this, "CmdClose", QStringLiteral("Close"), "Close");
    connect(CmdCopy, &QPushButton::clicked, this, [this] { CopyAll(); });
    connect(CmdSave, &QPushButton::clicked, this, [this] { AskSavePlot(); });
    connect(CmdAbout, &QPushButton::clicked, this, [this] { ShowAbout(this); });
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::close);
    // F1 opens the manual here too.
    AddManualAction(*this, [Folder = ProgramFolder.isEmpty() ? FormRuntime::ProgramFolder()
                                                             : ProgramFolder] { return Folder; });

    const std::pair<QWidget*, const char*> Names[] = {
        {Hill, "Hill formula"},       {Masses, "Masses"},
        {Notices, "Notices"},         {Plot, "Isotope pattern plot"},
        {Composition, "Composition"}, {Peaks, "Isotope pattern peaks"},
        {Ions, "Adduct ions"},
    };
    for (const auto& [Control, Name] : Names)
        Control->setAccessibleName(QString::fromLatin1(Name));
    Plot->setFocusPolicy(Qt::StrongFocus); // so that a screen reader can reach its description

    auto* Formula = new QVBoxLayout;
    Formula->addWidget(Composition, 1);
    Formula->addWidget(Ions, 2);
    auto* Tables = new QHBoxLayout;
    Tables->addLayout(Formula, 3);
    Tables->addWidget(Peaks, 2);
    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(CmdCopy);
    Buttons->addWidget(CmdSave);
    Buttons->addStretch();
    Buttons->addWidget(CmdAbout);
    Buttons->addWidget(CmdClose);
    auto* All = new QVBoxLayout(Contents);
    All->setContentsMargins(0, 0, 0, 0);
    All->addWidget(Hill);
    All->addWidget(Masses);
    All->addWidget(Notices);
    All->addWidget(Plot, 3);
    All->addLayout(Tables, 3);
    Scroller->setWidget(Contents);
    auto* Outer = new QVBoxLayout(this);
    Outer->addWidget(Scroller, 1);
    Outer->addLayout(Buttons);
    resize(600, 720);
}

void AnalysisView::Show(const FormulaAnalysis& Analysis, char DecimalSeparator) {
    Shown = Analysis;
    Separator = DecimalSeparator;
    Hill->setText(ToQt(Analysis.Hill));
    QStringList Lines;
    for (const std::string& Line : MassLines(Analysis, Separator))
        Lines << ToQt(Line);
    Masses->setText(Lines.join(QLatin1Char('\n')));
    QStringList Told;
    for (const auto* Each : {&Analysis.Notices, &Analysis.Notes})
        for (const std::string& Notice : *Each)
            Told << ToQt(Notice);
    Notices->setText(Told.join(QLatin1Char('\n')));
    Notices->setVisible(!Told.isEmpty());

    Composition->setRowCount(0);
    for (const CompositionRow& Row : Analysis.Composition)
        AddRow(Composition, CompositionCells(Analysis, Row, Separator));
    // The formula itself first, as M, then its ions.
    const QSignalBlocker Quiet(Ions);
    Ions->setRowCount(0);
    if (Analysis.Read)
        AddRow(Ions, IonCells({"M", Analysis}, Separator));
    bool Formed = false;
    for (const IonAnalysis& Ion : Analysis.Ions) {
        AddRow(Ions, IonCells(Ion, Separator));
        // Why an ion can't be formed, where its cells stay empty.
        Ions->item(Ions->rowCount() - 1, 0)
            ->setToolTip(ToQt(Ion.Ion.Notices.empty() ? std::string() : Ion.Ion.Notices.front()));
        Formed = Formed || Ion.Ion.Read;
    }
    // A charged formula takes no adduct: then there is nothing to list.
    Ions->setVisible(Formed);
    Ions->setCurrentCell(Analysis.Read ? 0 : -1, 0);
    ShowPattern(0);
    setWindowTitle(QStringLiteral("Analysis of ") + ToQt(Analysis.Hill));
}

void AnalysisView::ShowPattern(int Row) {
    const bool OfIon = Row > 0 && static_cast<std::size_t>(Row) <= Shown.Ions.size();
    const FormulaAnalysis& Of = OfIon ? Shown.Ions[static_cast<std::size_t>(Row) - 1].Ion : Shown;
    Peaks->setRowCount(0);
    Peaks->setHorizontalHeaderLabels({ToQt(PeakMassHeading(Of)), QStringLiteral("Intensity %")});
    for (const PatternPeak& Peak : Of.Pattern)
        AddRow(Peaks, PeakCells(Peak, Separator));

    Plot->SetPattern(Of.Pattern, Of.Charge != 0, Separator);
    PlotTitle = ToQt(Of.Hill);
    const auto Highest =
        std::find_if(Of.Pattern.begin(), Of.Pattern.end(),
                     [](const PatternPeak& Peak) { return Peak.Intensity >= 100; });
    Plot->setAccessibleDescription(
        Of.Pattern.empty()
            ? QStringLiteral("No isotope pattern")
            : QStringLiteral("%1 peaks from %2 to %3, the highest at %4")
                  .arg(Of.Pattern.size())
                  .arg(ToQt(PeakCells(Of.Pattern.front(), Separator)[0]),
                       ToQt(PeakCells(Of.Pattern.back(), Separator)[0]),
                       ToQt(PeakCells(Highest != Of.Pattern.end() ? *Highest : Of.Pattern.front(),
                                      Separator)[0])));
    CmdSave->setEnabled(!Of.Pattern.empty());
}

QString AnalysisView::Text() const {
    std::string All = AnalysisText(Shown, Separator, "\n");
    for (const auto* Each : {&Shown.Notices, &Shown.Notes})
        for (const std::string& Notice : *Each)
            All += Notice + "\n";
    return ToQt(All);
}

void AnalysisView::CopyAll() const {
    QApplication::clipboard()->setText(Text());
}

bool AnalysisView::SavePlot(const QString& Path, QString* Failure) const {
    return Plot->Save(Path, PlotTitle, Failure);
}

QString AnalysisView::PlotFolder() {
    // Never the current directory: that is the program's folder, which the user may not write.
    const QString Candidates[] = {
        UserSettings().value(PlotFolderKey).toString(),
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
    };
    for (const QString& Folder : Candidates)
        if (!Folder.isEmpty() && QFileInfo(Folder).isDir())
            return Folder;
    return QDir::homePath();
}

void AnalysisView::AskSavePlot() {
    const QString Png = QStringLiteral("PNG image (*.png)");
    const QString Svg = QStringLiteral("SVG image (*.svg)");
    const bool LastSvg = PatternPlot::SavesSvg() &&
                         UserSettings().value(PlotTypeKey).toString() == QLatin1String("svg");
    QFileDialog Dialog(this, QStringLiteral("Save plot"));
    Dialog.setObjectName(QStringLiteral("SavePlotDialog"));
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setNameFilters(PatternPlot::SavesSvg() ? QStringList{Png, Svg} : QStringList{Png});
    Dialog.selectNameFilter(LastSvg ? Svg : Png);
    Dialog.setDefaultSuffix(LastSvg ? QStringLiteral("svg") : QStringLiteral("png"));
    // A name typed without a suffix gets the chosen type's.
    connect(&Dialog, &QFileDialog::filterSelected, &Dialog, [&Dialog, Svg](const QString& Filter) {
        Dialog.setDefaultSuffix(Filter == Svg ? QStringLiteral("svg") : QStringLiteral("png"));
    });
    Dialog.setDirectory(PlotFolder());
    Dialog.selectFile(PlotTitle + (LastSvg ? QStringLiteral(".svg") : QStringLiteral(".png")));
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return;
    const QString Path = Dialog.selectedFiles().front();
    QString Failure;
    if (!SavePlot(Path, &Failure)) {
        ShowMessage(this, QStringLiteral("The plot could not be saved to %1: %2")
                              .arg(QDir::toNativeSeparators(Path), Failure));
        return;
    }
    UserSettings Settings;
    Settings.setValue(PlotFolderKey, QFileInfo(Path).absolutePath());
    Settings.setValue(PlotTypeKey, QFileInfo(Path).suffix().toLower() == QLatin1String("svg")
                                       ? QStringLiteral("svg")
                                       : QStringLiteral("png"));
}

} // namespace Varnock
