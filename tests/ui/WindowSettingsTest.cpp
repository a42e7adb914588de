// What the windows remember between runs: the window and its analysis view reopen where they
// were closed, the first start at the design size; saved values that can't be trusted are
// ignored, and a place off every screen is brought back onto one.

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/WindowTestSupport.h"
#include "ui/AnalysisView.h"
#include "ui/FindView.h"
#include "ui/WindowSettings.h"

namespace Varnock {
namespace {

using namespace Testing;

struct Stored {
    const char* Lines; // under [MainWindow], as a user or another program may have left them
    bool Trusted;
    bool Maximised;
};

TEST(WindowSettings, SavedValuesThatCannotBeTrustedAreIgnored) {
    EnsureApplication();
    const Stored Table[] = {
        {"Position=@Point(40 30)\nSize=@Size(500 300)\n", true, false},
        {"Position=@Point(40 30)\nSize=@Size(500 300)\nMaximised=true\n", true, true},
        {"Position=@Point(40 30)\nSize=@Size(500 300)\nMaximised=yes please\n", true, false},
        {"Position=@Point(-3000 -20)\nSize=@Size(16384 16384)\n", true, false},
        {"Position=@Point(40 30)\nSize=@Size(-500 300)\n", false, false},
        {"Position=@Point(40 30)\nSize=@Size(16385 300)\n", false, false},
        {"Position=@Point(40 30)\nSize=@Size(500 2147483647)\n", false, false},
        {"Position=@Point(40 30)\nSize=garbage\n", false, false},
        {"Position=@Point(40 30)\nSize=@Point(500 300)\n", false, false},
        {"Position=@Point(40 30)\n", false, false},
        {"Size=@Size(500 300)\n", false, false},
        {"Position=@Point(-2147483648 30)\nSize=@Size(500 300)\n", false, false},
        {"Position=@Rect(40 30 500 300)\nSize=@Size(500 300)\n", false, false},
        {"\x01\xff\xfe=\x80\nSize=@Size(500 300)\n", false, false},
    };
    TempDir Files;
    for (const auto& Row : Table) {
        const std::string Path =
            Files.Write("settings.ini", std::string("[MainWindow]\n") + Row.Lines);
        const QSettings Settings(QString::fromStdString(Path), QSettings::IniFormat);
        const auto Read = ReadPlace(Settings, QStringLiteral("MainWindow"));
        ASSERT_EQ(Read.has_value(), Row.Trusted) << Row.Lines;
        if (!Read)
            continue;
        EXPECT_EQ(Read->Maximised, Row.Maximised) << Row.Lines;
        if (Row.Lines == Table[0].Lines) {
            EXPECT_EQ(Read->Position, QPoint(40, 30));
            EXPECT_EQ(Read->Size, QSize(500, 300));
        }
    }
}

struct Fitted {
    const char* Case;
    QRect Frame;
    QList<QRect> Areas;
    QRect Expected;
};

TEST(WindowSettings, APlaceOffTheScreensIsBroughtBackOntoOne) {
    // A 1920 x 1080 screen less a 40 pixel task bar, and a second one to its right.
    const QRect Primary(0, 0, 1920, 1040);
    const QRect Right(1920, 0, 1280, 1024);
    const QRect Left(-1280, 0, 1280, 1024);
    const Fitted Table[] = {
        {"on the screen", {100, 100, 500, 300}, {Primary}, {100, 100, 500, 300}},
        {"on the second screen", {2000, 100, 500, 300}, {Primary, Right}, {2000, 100, 500, 300}},
        {"on a screen left of the primary",
         {-1000, 50, 500, 300},
         {Primary, Left},
         {-1000, 50, 500, 300}},
        {"the second screen gone", {2000, 100, 500, 300}, {Primary}, {1420, 100, 500, 300}},
        {"the left screen gone", {-1000, 50, 500, 300}, {Primary}, {0, 50, 500, 300}},
        {"above and left of everything",
         {-600, -400, 500, 300},
         {Primary, Right},
         {0, 0, 500, 300}},
        {"over the task bar", {100, 900, 500, 300}, {Primary}, {100, 740, 500, 300}},
        {"mostly on the second screen",
         {1800, 100, 500, 300},
         {Primary, Right},
         {1920, 100, 500, 300}},
        {"larger than the screen", {-10, -10, 2500, 1200}, {Primary}, {0, 0, 1920, 1040}},
        {"far away and large",
         {1048576, 1048576, 16384, 16384},
         {Primary, Right},
         {0, 0, 1920, 1040}},
        {"no screen known", {5000, 5000, 500, 300}, {}, {5000, 5000, 500, 300}},
    };
    for (const auto& Row : Table)
        EXPECT_EQ(OntoScreens(Row.Frame, Row.Areas), Row.Expected) << Row.Case;
}

// Opens the window's analysis view and waits for it.
AnalysisView* OpenView(FrmVarnock& Window) {
    Find<QPushButton>(Window, "CmdAnalysis")->click();
    AnalysisView* View = Window.Analysis();
    EXPECT_NE(View, nullptr);
    if (View) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(View));
    }
    return View;
}

TEST(WindowSettings, WindowAndViewReopenWhereAndAsLargeAsTheyWereClosed) {
    EnsureApplication();
    ForgetSettings();
    {
        // A window made without being asked to remember writes nothing.
        FrmVarnock Plain;
        Plain.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Plain));
        Plain.resize(400, 250);
        OpenView(Plain);
        Plain.close();
        EXPECT_TRUE(UserSettings().allKeys().isEmpty());
    }
    {
        // The first start: the design size, 4635 x 2880 twips.
        FrmVarnock First;
        First.RememberPlaces();
        EXPECT_EQ(First.size(), QSize(309, 192));
        First.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&First));
        First.resize(500, 330);
        First.move(60, 40);
        AnalysisView* View = OpenView(First);
        ASSERT_NE(View, nullptr);
        View->resize(420, 380);
        View->move(300, 200);
        Find<QPushButton>(First, "CmdFind")->click();
        ASSERT_NE(First.Finder(), nullptr);
        First.Finder()->resize(600, 540);
        First.Finder()->move(120, 90);
        First.close();
    }
    FrmVarnock Again;
    Again.RememberPlaces();
    Again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Again));
    EXPECT_EQ(Again.size(), QSize(500, 330));
    EXPECT_EQ(Again.pos(), QPoint(60, 40));
    AnalysisView* View = OpenView(Again);
    ASSERT_NE(View, nullptr);
    EXPECT_EQ(View->size(), QSize(420, 380));
    EXPECT_EQ(View->pos(), QPoint(300, 200));
    Find<QPushButton>(Again, "CmdFind")->click();
    ASSERT_NE(Again.Finder(), nullptr);
    EXPECT_EQ(Again.Finder()->size(), QSize(600, 540));
    EXPECT_EQ(Again.Finder()->pos(), QPoint(120, 90));
    Again.close();
    ForgetSettings();
}

} // namespace
} // namespace Varnock
