// The analysis view: opened from the window, what it shows for a formula, how it follows a new
// calculation, and its copy, save and screen-reader names; the plot's axis ticks.

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QSizeGrip>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/TestSystem.h"
#include "tests/support/WindowTestSupport.h"
#include "ui/AnalysisView.h"
#include "ui/PatternPlot.h"

namespace Varnock {
namespace {

using namespace Testing;

class AnalysisViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
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
    // SVG through its module, where the build has Qt Svg: here from where the build puts it.
    PatternPlot::SetModuleFolder(QStringLiteral(VARNOCK_MODULE_FOLDER));
    ASSERT_EQ(PatternPlot::SavesSvg(), VARNOCK_SVG);
    Type("C8H10N4O2");
    Open();
    TempDir Files;
    const QString Png = QString::fromStdString((Files.Folder() / "plot.png").string());
    const QString Svg = QString::fromStdString((Files.Folder() / "plot.svg").string());
    ASSERT_TRUE(Window.Analysis()->SavePlot(Png));
    const QImage Saved(Png);
    const QWidget* Plot = InView("Plot");
    EXPECT_EQ(Saved.size(), Plot->size() * Plot->devicePixelRatioF());
    EXPECT_EQ(Window.Analysis()->SavePlot(Svg), PatternPlot::SavesSvg());
    if (PatternPlot::SavesSvg()) {
        QFile File(Svg);
        ASSERT_TRUE(File.open(QIODevice::ReadOnly));
        const QByteArray Text = File.readAll();
        EXPECT_TRUE(Text.contains("<svg"));
        EXPECT_TRUE(Text.contains("194.0804")) << "the highest peak's label";
    }
    EXPECT_FALSE(Window.Analysis()->SavePlot(
        QString::fromStdString((Files.Folder() / "no-such-folder" / "plot.png").string())));
}

TEST_F(AnalysisViewTest, EveryPartHasANameForScreenReaders) {
    Type("C8H10N4O2");
    Open();
    int Named = 0;
    for (QWidget* Part :
         Window.Analysis()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QSizeGrip*>(Part))
            continue;
        EXPECT_FALSE(Part->accessibleName().isEmpty()) << Part->objectName().toStdString();
        ++Named;
    }
    EXPECT_EQ(Named, 10);
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
