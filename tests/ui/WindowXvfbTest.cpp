// The real program in a real X server: started from another folder through a symbolic link,
// its window comes up with the table read, and a screenshot of it is saved and looked at; it
// reopens where and as large as it was closed.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/OwnConfigFolder.h"
#include "tests/support/ScreenshotChecks.h"
#include "tools/XProbe.h"

namespace Varnock {
namespace {

namespace fs = std::filesystem;

TEST(XvfbWindow, ProgramOpensItsWindowAndTheScreenshotShowsIt) {
    Testing::OwnConfigFolder Config;
    XProbe::VirtualServer Server;
    ASSERT_TRUE(Server.Running()) << "Xvfb did not start";
    const fs::path Elsewhere =
        fs::temp_directory_path() / ("varnock-xvfb-" + std::to_string(getpid()));
    fs::create_directories(Elsewhere);
    fs::create_symlink(VARNOCK_PROGRAM, Elsewhere / "varnock");
    const fs::path Started = fs::current_path();
    fs::current_path(Elsewhere);
    const auto Shown =
        XProbe::StartAndWait(Server.DisplayName(), {(Elsewhere / "varnock").string()}, 20000);
    fs::current_path(Started);
    ASSERT_NE(Shown.Window, 0u) << "no window within 20 s";

    // The caption is set only once the element table beside the program has been read.
    EXPECT_EQ(XProbe::WindowTitle(Server.DisplayName(), Shown.Window), "Varnock (By Tervalin)");
    QImage Shot;
    for (int Try = 0; Try < 50; ++Try) {
        usleep(100000);
        Shot = XProbe::Grab(Server.DisplayName(), Shown.Window);
        if (!Shot.isNull() && Shot.pixel(250, 43) == qRgb(127, 127, 127))
            break;
    }
    XProbe::Stop(Shown.Program);
    fs::remove_all(Elsewhere);
    ASSERT_FALSE(Shot.isNull());
    const QString Path = QStringLiteral(VARNOCK_BINARY_DIR "/XvfbWindow.png");
    EXPECT_TRUE(Shot.save(Path, "PNG")) << Path.toStdString();

    EXPECT_EQ(Shot.size(), QSize(309, 192));
    Testing::ExpectWindowDrawn(Shot);
    EXPECT_EQ(Shot.pixel(250, 43), qRgb(127, 127, 127)) << "no inset frame";
    EXPECT_EQ(Shot.pixel(305, 50), qRgb(255, 255, 255)) << "no inset frame";
}

// The program itself: it opens where and as large as its settings file under the user's
// configuration folder says it was closed, and writes that back when closed again.
TEST(XvfbWindow, ProgramReopensWhereAndAsLargeAsItWasClosed) {
    Testing::OwnConfigFolder Config;
    std::filesystem::create_directories(Config.SettingsFile().parent_path());
    const std::string Saved = "[MainWindow]\nMaximised=false\nPosition=@Point(40 30)\n"
                              "Size=@Size(480 300)\n";
    std::ofstream(Config.SettingsFile()) << Saved;
    XProbe::VirtualServer Server;
    ASSERT_TRUE(Server.Running()) << "Xvfb did not start";
    const auto Shown = XProbe::StartAndWait(Server.DisplayName(), {VARNOCK_PROGRAM}, 20000);
    ASSERT_NE(Shown.Window, 0u) << "no window within 20 s";
    usleep(300000);
    EXPECT_EQ(XProbe::Geometry(Server.DisplayName(), Shown.Window), QRect(40, 30, 480, 300));
    const QImage Shot = XProbe::Grab(Server.DisplayName(), Shown.Window);
    EXPECT_TRUE(Shot.save(QStringLiteral(VARNOCK_BINARY_DIR "/XvfbReopened.png"), "PNG"));
    std::filesystem::remove(Config.SettingsFile());
    EXPECT_EQ(XProbe::Close(Server.DisplayName(), Shown.Window, Shown.Program, 10000), 0);
    std::ifstream In(Config.SettingsFile());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(In), {}), Saved);
}

#ifdef VARNOCK_SCENESHOT
// The analysis view on a real X server at scale factors 1 and 2, read back from the server:
// the plot's sticks are there, one and two device pixels wide, and the view doubles in size.
TEST(XvfbWindow, AnalysisViewShowsThePlotAtFactorsOneAndTwo) {
    // Room for the view at twice its size.
    XProbe::VirtualServer Server(2400, 1800);
    ASSERT_TRUE(Server.Running()) << "Xvfb did not start";
    QImage Shots[2];
    const char* Factors[] = {"1", "2"};
    for (int Index = 0; Index < 2; ++Index) {
        const std::string Out =
            std::string(VARNOCK_BINARY_DIR "/XvfbAnalysis@") + Factors[Index] + ".png";
        const std::string Command =
            "DISPLAY=" + Server.DisplayName() + " QT_SCALE_FACTOR=" + Factors[Index] +
            " '" VARNOCK_SCENESHOT "' --data '" +
            VARNOCK_DATA_DIR "' --formula C8H10N4O2 --view --out '" + Out + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(Command.c_str()), 0) << Command;
        Shots[Index] = QImage(QString::fromStdString(Out));
        ASSERT_FALSE(Shots[Index].isNull()) << Out;
        // Caffeine has four peaks: four runs of stick-coloured columns, each 1 or 2 wide.
        int Runs = 0, Widest = 0, Width = 0;
        for (int X = 0; X < Shots[Index].width(); ++X) {
            bool Stick = false;
            for (int Y = 0; Y < Shots[Index].height() && !Stick; ++Y)
                Stick = Shots[Index].pixel(X, Y) == qRgb(0, 60, 170);
            Width = Stick ? Width + 1 : 0;
            Runs += Width == 1;
            Widest = std::max(Widest, Width);
        }
        EXPECT_EQ(Runs, 4) << "at factor " << Factors[Index];
        EXPECT_EQ(Widest, Index + 1) << "at factor " << Factors[Index];
    }
    EXPECT_EQ(Shots[1].size(), Shots[0].size() * 2);
}
#endif

} // namespace
} // namespace Varnock
