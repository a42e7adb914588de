// The view of the formulas that fit a mass: opened from the window, a search run on its thread
// and its candidates listed, a double-click that calculates one, refusals, and a cancel.

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/WindowTestSupport.h"
#include "ui/FindView.h"

namespace Varnock {
namespace {

using namespace Testing;

class FindViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void SetUp() override {
        Window.Load(QStringLiteral(VARNOCK_SOURCE_DIR "/data"));
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
        Find<QPushButton>(Window, "CmdFind")->click();
        ASSERT_NE(Window.Finder(), nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.Finder()));
    }
    void TearDown() override { QDir::setCurrent(Started); }
    template <typename Control = QWidget> Control* InView(const char* Name) {
        auto* Found = Find<Control>(*Window.Finder(), Name);
        EXPECT_NE(Found, nullptr) << Name;
        return Found;
    }
    void Ask(const char* Mass, const char* Ranges, const char* Adduct) {
        InView<QLineEdit>("TxtMass")->setText(QString::fromLatin1(Mass));
        InView<QLineEdit>("TxtRanges")->setText(QString::fromLatin1(Ranges));
        InView<QComboBox>("CboAdduct")->setCurrentText(QString::fromLatin1(Adduct));
        InView<QPushButton>("CmdSearch")->click();
    }
    bool Ended() {
        return QTest::qWaitFor([&] { return !Window.Finder()->Searching(); }, 20000);
    }
    QString Cell(int Row, int Column) {
        const QTableWidgetItem* Item = InView<QTableWidget>("Candidates")->item(Row, Column);
        return Item ? Item->text() : QString();
    }
    QString Started = QDir::currentPath();
    FrmVarnock Window;
};

TEST_F(FindViewTest, ListsTheCandidatesAndCalculatesTheOneDoubleClicked) {
    // Caffeine as [M+H]+, m/z 195.087652 by hand (see the command line's test); the other two
    // candidates of CHNOPS within 5 ppm are further off.
    Ask("195.0877", "C0-100 H0-202 N0-20 O0-20 P0-5 S0-5", "[M+H]+");
    ASSERT_TRUE(Ended());
    auto* Table = InView<QTableWidget>("Candidates");
    ASSERT_EQ(Table->rowCount(), 3);
    EXPECT_EQ(Cell(0, 0), "C8H10N4O2");
    EXPECT_EQ(Cell(0, 2), "195.087652");
    EXPECT_EQ(Cell(0, 3), "-0.25");
    EXPECT_FALSE(Table->isColumnHidden(2)) << "an ion has its m/z";
    EXPECT_TRUE(InView<QLabel>("Notices")->text().startsWith("3 candidates"));
    EXPECT_EQ(InView<QProgressBar>("Progress")->value(), 1000);

    const QRect Place = Table->visualItemRect(Table->item(0, 0));
    // A double-click is a press, a release and the second press: the view takes the first.
    QTest::mouseClick(Table->viewport(), Qt::LeftButton, {}, Place.center());
    QTest::mouseDClick(Table->viewport(), Qt::LeftButton, {}, Place.center());
    EXPECT_EQ(Find<QLineEdit>(Window, "TxtFormula")->text(), "C8H10N4O2");
    EXPECT_EQ(Find<QLineEdit>(Window, "TxtFormulaMass")->text(), "194.194 g");

    // The neutral molecule has no m/z column.
    Ask("194.0804", "C0-10 H0-20 N0-4 O0-2", "(neutral molecule)");
    ASSERT_TRUE(Ended());
    EXPECT_EQ(Table->rowCount(), 1);
    EXPECT_TRUE(Table->isColumnHidden(2));
}

TEST_F(FindViewTest, RefusesWhatCantBeSearched) {
    const struct {
        const char* Mass;
        const char* Ranges;
        const char* Adduct;
        const char* Notice;
    } Cases[] = {
        {"", "C0-5", "", "Mass: empty"},
        {"abc", "C0-5", "", "Mass: not a number"},
        {"-5", "C0-5", "", "Mass: it must be above 0"},
        {"100", "C0-5 Xx1", "", "Ranges: Xx is not in the element table"},
        {"100", "C0-", "", "Ranges: at the end: a count follows the \"-\": C0-10"},
        {"100", "C0-5", "[M+H]0+", "Adduct [M+H]0+: character 6 \"0\": the charge can't be 0"},
    };
    for (const auto& Case : Cases) {
        Ask(Case.Mass, Case.Ranges, Case.Adduct);
        ASSERT_TRUE(Ended());
        EXPECT_EQ(InView<QLabel>("Notices")->text().toStdString(), Case.Notice) << Case.Mass;
    }
}

TEST_F(FindViewTest, ALongSearchShowsProgressAndCanBeCancelled) {
    // Some 10^10 formulas to try: many seconds, unless cancelled.
    Ask("2000", "C0-200 H0-400 N0-50 O0-50 S0-10 P0-10 Cl0-10 Br0-4 F0-10", "");
    ASSERT_TRUE(Window.Finder()->Searching());
    EXPECT_FALSE(InView<QPushButton>("CmdSearch")->isEnabled());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return InView<QProgressBar>("Progress")->value() > 0; }, 10000));
    InView<QPushButton>("CmdCancel")->click();
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(InView<QLabel>("Notices")->text().startsWith("Stopped after"))
        << InView<QLabel>("Notices")->text().toStdString();
    EXPECT_TRUE(InView<QPushButton>("CmdSearch")->isEnabled());
}

} // namespace
} // namespace Varnock
