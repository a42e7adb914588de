// The real program in a real X server: started from another folder through a symbolic link,
// its window comes up with the table read, and a screenshot of it is saved and looked at.

#include <filesystem>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/ScreenshotChecks.h"
#include "tools/XProbe.h"

namespace Varnock {
namespace {

namespace fs = std::filesystem;

TEST(XvfbWindow, ProgramOpensItsWindowAndTheScreenshotShowsIt) {
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

} // namespace
} // namespace Varnock
