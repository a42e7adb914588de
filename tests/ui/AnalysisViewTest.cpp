// The analysis view: opened from the window, what it shows for a formula, how it follows a new
// calculation, and its copy, save and screen-reader names; the plot's axis ticks.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QScrollArea>
#include <QSizeGrip>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include "tests/support/TestSystem.h"
#include "tests/support/WindowTestSupport.h"
#include "ui/AnalysisView.h"
#include "ui/PatternPlot.h"

namespace Varnock {
namespace {

using namespace Testing;

// The first and last column of the topmost band of ink: rows that differ from the corner's
// colour, down to the first plain row after them.
std::pair<int, int> TopInk(const QImage& Image) {
    const QRgb Ground = Image.pixel(0, 0);
    int First = Image.width(), Last = -1;
    for (int Y = 0; Y < Image.height(); ++Y) {
        bool Ink = false;
        for (int X = 0; X < Image.width(); ++X)
            if (Image.pixel(X, Y) != Ground) {
                Ink = true;
                First = std::min(First, X);
                Last = std::max(Last, X);
            }
        if (!Ink && Last >= 0)
            break;
    }
    return {First, Last};
}


class AnalysisViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        // SVG through its module, where the build has Qt Svg: here from where the build puts it.
        PatternPlot::SetModuleFolder(QStringLiteral(VARNOCK_MODULE_FOLDER));
    }
    void SetUp() override {
        // The shipped element and isotope tables.
        Window.Load(QStringLiteral(VARNOCK_SOURCE_DIR "/data"));
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }
    void TearDown() override { QDir::setCurrent(Started); }
    void Type(const char* Formula) {
        Find<QLineEdit>(Window, "TxtFormula")->setText(QString::fromUtf8(Formula));
    }
    void Open() {
        Find<QPushButton>(Window, "CmdAnalysis")->click();
        ASSERT_NE(Window.Analysis(), nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.Analysis()));
    }
    template <typename Control = QWidget> Control* InView(const char* Name) {
        auto* Found = Find<Control>(*Window.Analysis(), Name);
        EXPECT_NE(Found, nullptr) << Name;
        return Found;
    }
    QStringList Column(const char* Table, int Column) {
        QStringList Cells;
        auto* Shown = InView<QTableWidget>(Table);
        for (int Row = 0; Row < Shown->rowCount(); ++Row)
            Cells << Shown->item(Row, Column)->text();
        return Cells;
    }
    QString Started = QDir::currentPath();
    FrmVarnock Window;
};

TEST_F(AnalysisViewTest, BuiltOnFirstUseAndOpenedByTheButtonOrAltA) {
    EXPECT_EQ(Window.Analysis(), nullptr) << "the window's start-up builds no view";
    Type("C8H10N4O2");
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    QTest::keyClick(Find(Window, "TxtFormula"), Qt::Key_A, Qt::AltModifier);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Window.Analysis() && Window.Analysis()->isVisible(); }, 2000));
    Window.Analysis()->close();
    AnalysisView* Built = Window.Analysis();
    Open();
    EXPECT_EQ(Window.Analysis(), Built) << "one view, built once";
    EXPECT_TRUE(Window.Analysis()->isVisible());
    // Closing the window ends the program: no view is left open to keep it running.
    Window.close();
    EXPECT_FALSE(Window.Analysis()->isVisible());
}

TEST_F(AnalysisViewTest, ShowsTheHillFormulaMassesCompositionAndPeaks) {
    // Caffeine. Monoisotopic mass 194.080376 u (PubChem: 194.08037557); its M+1 peak by hand
    // from the natural abundances: 8 x 1.07 % (13C) + 10 x 0.0115 % (2H) + 4 x 0.364 % (15N)
    // + 2 x 0.038 % (17O) = 10.2 % of M, give or take the abundances' last digit.
    Type("C8H10N4O2");
    Open();
    EXPECT_EQ(InView<QLabel>("Hill")->text(), "C8H10N4O2");
    const QString Masses = InView<QLabel>("Masses")->text();
    EXPECT_TRUE(Masses.contains("Monoisotopic mass: 194.080376 u")) << Masses.toStdString();
    EXPECT_TRUE(Masses.contains("Nominal mass: 194")) << Masses.toStdString();
    EXPECT_FALSE(Masses.contains("m/z")) << "no charge, no m/z";
    EXPECT_EQ(Column("Composition", 0), QStringList({"C", "H", "N", "O"}));
    EXPECT_EQ(Column("Composition", 1), QStringList({"8", "10", "4", "2"}));
    const QStringList Peaks = Column("Peaks", 0);
    ASSERT_GE(Peaks.size(), 3);
    EXPECT_EQ(Peaks[0], "194.080376");
    EXPECT_EQ(Column("Peaks", 1)[0], "100.00");
    const double MPlusOne = Column("Peaks", 1)[1].toDouble();
    EXPECT_GT(MPlusOne, 9.9);
    EXPECT_LT(MPlusOne, 10.6);
    EXPECT_EQ(InView<QTableWidget>("Peaks")->horizontalHeaderItem(0)->text(), "Mass");
    EXPECT_TRUE(InView<QLabel>("Notices")->isHidden());
}

TEST_F(AnalysisViewTest, ListsTheCommonIonsAndPlotsTheOneChosen) {
    // Caffeine, 194.080376, plus a proton (1.007825) less an electron (0.000549): 195.087652;
    // plus Na (22.989769): 217.069596; less a proton plus an electron: 193.073099.
    Type("C8H10N4O2");
    Open();
    const QStringList Names = Column("Ions", 0);
    ASSERT_GE(Names.size(), 4);
    EXPECT_EQ(Names.mid(0, 4), QStringList({"M", "[M+H]+", "[M+NH4]+", "[M+Na]+"}));
    EXPECT_TRUE(Names.contains("[M-H]-"));
    const QStringList Formulas = Column("Ions", 1), Ratios = Column("Ions", 2);
    EXPECT_EQ(Formulas[0], "C8H10N4O2");
    EXPECT_EQ(Ratios[0], "");
    EXPECT_EQ(Formulas[1], "C8H11N4O2^+");
    EXPECT_EQ(Ratios[1], "195.087652");
    EXPECT_EQ(Ratios[3], "217.069596");
    EXPECT_EQ(Ratios[Names.indexOf("[M-H]-")], "193.073099");

    // Choosing an ion plots and lists its pattern at m/z; M brings back the formula's.
    auto* Ions = InView<QTableWidget>("Ions");
    Ions->setCurrentCell(1, 0);
    EXPECT_EQ(InView<QTableWidget>("Peaks")->horizontalHeaderItem(0)->text(), "m/z");
    EXPECT_EQ(Column("Peaks", 0)[0], "195.087652");
    EXPECT_TRUE(InView("Plot")->accessibleDescription().contains("from 195.087652"));
    Ions->setCurrentCell(0, 0);
    EXPECT_EQ(Column("Peaks", 0)[0], "194.080376");

    // Methane can't lose water: that row stays empty and says why; an ion takes no adduct.
    Type("CH4");
    Find<QPushButton>(Window, "CmdCalculate")->click();
    const int Dehydrated = Column("Ions", 0).indexOf("[M-H2O+H]+");
    ASSERT_GT(Dehydrated, 0);
    EXPECT_EQ(Column("Ions", 2)[Dehydrated], "");
    EXPECT_TRUE(Ions->item(Dehydrated, 0)->toolTip().contains("removes more O"));
    Type("NH4^+");
    Find<QPushButton>(Window, "CmdCalculate")->click();
    EXPECT_TRUE(Ions->isHidden());
}

struct Followed {
    const char* Formula;
    const char* Hill;
    const char* Line; // a line the masses must hold; worked by hand
    const char* MassHeading;
};

TEST_F(AnalysisViewTest, FollowsEachCalculationWhileOpen) {
    Type("C8H10N4O2");
    Open();
    // Water: 2 x 1.00782503 + 15.99491462 = 18.01056468. Protonated caffeine:
    // 194.080376 + 1.007825 (H) - 0.000549 (electron) = 195.087652.
    const Followed Table[] = {
        {"H2O", "H2O", "Monoisotopic mass: 18.010565 u", "Mass"},
        {"C8H11N4O2^+", "C8H11N4O2^+", "m/z: 195.087652 (z = 1)", "m/z"},
        {"Cl2", "Cl2", "Nominal mass: 70", "Mass"},
    };
    for (const auto& Row : Table) {
        Type(Row.Formula);
        Find<QPushButton>(Window, "CmdCalculate")->click();
        EXPECT_EQ(InView<QLabel>("Hill")->text(), Row.Hill) << Row.Formula;
        EXPECT_TRUE(InView<QLabel>("Masses")->text().contains(Row.Line))
            << Row.Formula << ": " << InView<QLabel>("Masses")->text().toStdString();
        EXPECT_EQ(InView<QTableWidget>("Peaks")->horizontalHeaderItem(0)->text(), Row.MassHeading);
    }
    // Closed, it is left alone.
    Window.Analysis()->close();
    Type("NaCl");
    Find<QPushButton>(Window, "CmdCalculate")->click();
    EXPECT_EQ(InView<QLabel>("Hill")->text(), "Cl2");
}

TEST_F(AnalysisViewTest, AnEmptyOrUnknownFormulaIsToldNotPlotted) {
    for (const char* Formula : {"", "Xx2"}) {
        Type(Formula);
        Open();
        EXPECT_FALSE(InView<QLabel>("Notices")->isHidden()) << Formula;
        EXPECT_FALSE(InView<QLabel>("Notices")->text().isEmpty()) << Formula;
        EXPECT_EQ(InView<QTableWidget>("Peaks")->rowCount(), 0) << Formula;
        EXPECT_FALSE(InView<QPushButton>("CmdSave")->isEnabled()) << Formula;
    }
}

TEST_F(AnalysisViewTest, CopiesEverythingAsText) {
    Type("C8H10N4O2");
    Open();
    QApplication::clipboard()->clear();
    InView<QPushButton>("CmdCopy")->click();
    const QStringList Lines = QApplication::clipboard()->text().split('\n');
    ASSERT_GE(Lines.size(), 12);
    EXPECT_EQ(Lines[0], "C8H10N4O2");
    for (const char* Expected : {"Monoisotopic mass: 194.080376 u", "Nominal mass: 194",
                                 "Mass\tIntensity %", "194.080376\t100.00"})
        EXPECT_TRUE(Lines.contains(Expected)) << Expected;
    // Carbon: 8 of the molar mass's 194.19 g/mol at 12.011 each, 96.088 g, 49.48 %.
    EXPECT_TRUE(Lines.contains("C\t8\t96.088\t49.48"));
}

TEST_F(AnalysisViewTest, SavesThePlotAsPngAndAsSvgWhereTheBuildCan) {
    ASSERT_EQ(PatternPlot::SavesSvg(), VARNOCK_SVG);
    Type("C8H10N4O2");
    Open();
    TempDir Files;
    const QString Png = QString::fromStdString((Files.Folder() / "plot.png").string());
    const QString Svg = QString::fromStdString((Files.Folder() / "plot.svg").string());
    ASSERT_TRUE(Window.Analysis()->SavePlot(Png));
    const QImage Saved(Png);
    const QWidget* Plot = InView("Plot");
    // Twice the pixels the screen shows, titled with the formula: its topmost ink is centred.
    EXPECT_EQ(Saved.size(), Plot->size() * Plot->devicePixelRatioF() * 2);
    const auto [Left, Right] = TopInk(Saved);
    EXPECT_LE(std::abs(Left + Right - Saved.width()), 8) << Left << ".." << Right;
    EXPECT_GT(Right - Left, Saved.width() / 20) << "no title";
    EXPECT_EQ(Window.Analysis()->SavePlot(Svg), PatternPlot::SavesSvg());
    if (PatternPlot::SavesSvg()) {
        QFile File(Svg);
        ASSERT_TRUE(File.open(QIODevice::ReadOnly));
        const QByteArray Text = File.readAll();
        EXPECT_TRUE(Text.contains("<svg"));
        EXPECT_TRUE(Text.contains("<title>Isotope pattern of C8H10N4O2</title>"));
        EXPECT_TRUE(Text.contains(">C8H10N4O2</text>")) << "the title drawn";
        EXPECT_TRUE(Text.contains("194.0804")) << "the highest peak's label";
    }
    QString Failure;
    EXPECT_FALSE(Window.Analysis()->SavePlot(
        QString::fromStdString((Files.Folder() / "no-such-folder" / "plot.png").string()),
        &Failure));
    EXPECT_FALSE(Failure.isEmpty());
}

#ifndef _WIN32
std::string ReadAll(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), {}};
}

// A disk that is full after 1,000 bytes (writes past the process's file size limit fail, as on
// a full disk): the save fails, says why, and leaves the older plot of that name as it was and
// no other file.
TEST_F(AnalysisViewTest, AFailedSaveLeavesNoPartOfAFile) {
    Type("C8H10N4O2");
    Open();
    TempDir Files;
    for (const char* Name : {"plot.png", "plot.svg"}) {
        if (QByteArray(Name).endsWith(".svg") && !PatternPlot::SavesSvg())
            continue;
        const std::string Path = Files.Write(Name, "an older plot");
        rlimit Before{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &Before), 0);
        rlimit Full = Before;
        Full.rlim_cur = 1000;
        const auto Signal = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &Full), 0);
        QString Failure;
        const bool Saved = Window.Analysis()->SavePlot(QString::fromStdString(Path), &Failure);
        setrlimit(RLIMIT_FSIZE, &Before);
        std::signal(SIGXFSZ, Signal);
        EXPECT_FALSE(Saved) << Name;
        EXPECT_FALSE(Failure.isEmpty()) << Name;
        EXPECT_EQ(ReadAll(Path), "an older plot") << Name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Files.Folder()),
                                std::filesystem::directory_iterator()),
                  1)
            << Name << ": a part of a file was left";
        std::filesystem::remove(Path);
    }
}
#endif

// Answers the Save dialog with Answer after noting where it started: its folder, its type and
// the name it offered.
struct Offered {
    QString Folder, Type, Name;
};
Offered SaveThroughTheDialog(QPushButton* Save, const QString& Answer) {
    Offered Seen;
    QTimer Watch;
    QObject::connect(&Watch, &QTimer::timeout, [&] {
        auto* Dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!Dialog)
            return;
        Watch.stop();
        Seen = {QFileInfo(Dialog->directory().absolutePath()).canonicalFilePath(),
                Dialog->selectedNameFilter(),
                QFileInfo(Dialog->selectedFiles().value(0)).fileName()};
        // The dialog leaves its name box alone while that has the focus.
        if (QWidget* Focused = Dialog->focusWidget())
            Focused->clearFocus();
        Dialog->selectFile(Answer);
        QMetaObject::invokeMethod(Dialog, "accept");
    });
    Watch.start(20);
    Save->click();
    Watch.stop();
    return Seen;
}

TEST_F(AnalysisViewTest, SaveStartsInTheUsersFolderThenWhereAndAsTheLastWasSaved) {
    ForgetSettings();
    Type("C8H10N4O2");
    Open();
    TempDir Files;
    const QString Folder =
        QFileInfo(QString::fromStdString(Files.Folder().string())).canonicalFilePath();
    const QString Kind = PatternPlot::SavesSvg() ? QStringLiteral("svg") : QStringLiteral("png");
    const QString Png = QStringLiteral("PNG image (*.png)");
    const QString Chosen = PatternPlot::SavesSvg() ? QStringLiteral("SVG image (*.svg)") : Png;

    const Offered First = SaveThroughTheDialog(InView<QPushButton>("CmdSave"),
                                               Folder + QStringLiteral("/first.") + Kind);
    // Not the program's folder, which start-up made the current directory.
    EXPECT_NE(First.Folder, QFileInfo(QDir::currentPath()).canonicalFilePath());
    EXPECT_TRUE(QFileInfo(First.Folder).isDir()) << First.Folder.toStdString();
    EXPECT_EQ(First.Type, Png);
    EXPECT_EQ(First.Name, "C8H10N4O2.png");
    ASSERT_TRUE(QFileInfo::exists(Folder + QStringLiteral("/first.") + Kind));

    const Offered Second =
        SaveThroughTheDialog(InView<QPushButton>("CmdSave"), Folder + QStringLiteral("/second"));
    EXPECT_EQ(Second.Folder, Folder);
    EXPECT_EQ(Second.Type, Chosen);
    EXPECT_EQ(Second.Name, "C8H10N4O2." + Kind);
    // A name typed without a suffix gets the offered type's.
    EXPECT_TRUE(QFileInfo::exists(Folder + QStringLiteral("/second.") + Kind));

    // An ion chosen, its plot is offered under the ion's formula.
    InView<QTableWidget>("Ions")->setCurrentCell(1, 0);
    const Offered Ion =
        SaveThroughTheDialog(InView<QPushButton>("CmdSave"), Folder + QStringLiteral("/third"));
    EXPECT_EQ(Ion.Name, "C8H11N4O2^+." + Kind);
    ForgetSettings();
}

#ifndef _WIN32
struct StartFolder {
    const char* Case;
    std::vector<const char*> Made; // in the home folder
    bool Remembered;               // a folder saved to, since removed
    const char* Expected;          // in the home folder
};

TEST(PlotFolder, PicturesElseDocumentsElseHome) {
    EnsureApplication();
    const StartFolder Table[] = {
        {"both there", {"Pictures", "Documents"}, false, "Pictures"},
        {"no Pictures", {"Documents"}, false, "Documents"},
        {"neither", {}, false, ""},
        {"the last folder gone", {"Pictures"}, true, "Pictures"},
    };
    const std::string Home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* Config = std::getenv("XDG_CONFIG_HOME");
    const std::string Previous = Config ? Config : "";
    for (const auto& Row : Table) {
        TempDir Fresh;
        // A home of its own, with no user-dirs.dirs to name other folders.
        setenv("HOME", Fresh.Folder().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (Fresh.Folder() / ".config").c_str(), 1);
        for (const char* Made : Row.Made)
            std::filesystem::create_directory(Fresh.Folder() / Made);
        ForgetSettings();
        if (Row.Remembered)
            UserSettings().setValue("AnalysisView/PlotFolder",
                                    QString::fromStdString((Fresh.Folder() / "gone").string()));
        const auto Expected = *Row.Expected ? Fresh.Folder() / Row.Expected : Fresh.Folder();
        EXPECT_EQ(AnalysisView::PlotFolder().toStdString(), Expected.string()) << Row.Case;
    }
    setenv("HOME", Home.c_str(), 1);
    if (Config)
        setenv("XDG_CONFIG_HOME", Previous.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    ForgetSettings();
}
#endif

TEST_F(AnalysisViewTest, EveryPartHasANameForScreenReaders) {
    Type("C8H10N4O2");
    Open();
    int Named = 0;
    QWidget* Contents = InView<QScrollArea>("Contents")->widget();
    for (QWidget* Holder : {static_cast<QWidget*>(Window.Analysis()), Contents})
        for (QWidget* Part :
             Holder->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<QSizeGrip*>(Part))
                continue;
            EXPECT_FALSE(Part->accessibleName().isEmpty()) << Part->objectName().toStdString();
            ++Named;
        }
    // The scrolling part with its seven, and four buttons.
    EXPECT_EQ(Named, 12);
    EXPECT_TRUE(InView("Plot")->accessibleDescription().startsWith("4 peaks from 194.080376"))
        << InView("Plot")->accessibleDescription().toStdString();
}

struct Ticked {
    double Low, High;
    int Most;
    std::vector<double> Ticks;
};

TEST(PatternPlotAxis, TicksAreRoundStepsWithinTheRange) {
    const Ticked Table[] = {
        {0, 100, 5, {0, 50, 100}},
        {0, 100, 6, {0, 20, 40, 60, 80, 100}},
        {193.08, 198.09, 6, {194, 195, 196, 197, 198}},
        {5800, 5820, 4, {5800, 5810, 5820}},
        {0.001, 0.004, 3, {0.002, 0.004}},
        {1, 1, 5, {}},
        {0, 10, 0, {}},
    };
    for (const auto& Row : Table) {
        const std::vector<double> Got = AxisTicks(Row.Low, Row.High, Row.Most);
        ASSERT_EQ(Got.size(), Row.Ticks.size()) << Row.Low << ".." << Row.High;
        for (std::size_t Index = 0; Index < Got.size(); ++Index)
            EXPECT_NEAR(Got[Index], Row.Ticks[Index], 1e-12) << Row.Low << ".." << Row.High;
    }
}

} // namespace
} // namespace Varnock
