// Help that moves no control: F1 opens the manual beside the program, from the window and from
// its analysis view; the About box, from the window's context menu and from the view, tells the
// version and the licence, and screen readers get names for both.

#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include <QAccessible>
#include <QDesktopServices>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include "tests/support/WindowTestSupport.h"
#include "ui/AnalysisView.h"

namespace Varnock {
namespace {

using namespace Testing;

// Stands in for the browser: writes down each file it is asked to open.
class OpenedFiles : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> Urls;
public slots:
    void Open(const QUrl& Url) { Urls.push_back(Url); }
};

// Calls Act with the first popup menu or modal widget of kind T that shows while Start runs.
template <typename T>
void WhileShown(const std::function<void()>& Start, std::function<void(T*)> Act) {
    QTimer Watch;
    QObject::connect(&Watch, &QTimer::timeout, [&] {
        QWidget* Shown = QApplication::activePopupWidget();
        if (!Shown)
            Shown = QApplication::activeModalWidget();
        if (auto* Found = qobject_cast<T*>(Shown)) {
            Watch.stop();
            Act(Found);
        }
    });
    Watch.start(20);
    Start();
    Watch.stop();
}

class WindowHelp : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        // Read before the window makes another folder current: under Wine a path from / is on
        // the current folder's drive.
        std::ifstream In(VARNOCK_SOURCE_DIR "/LICENSE", std::ios::binary);
        Licence.assign(std::istreambuf_iterator<char>(In), {});
    }
    void SetUp() override {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &Browser, "Open");
        Window.Load(Folder.Folder());
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    AnalysisView* OpenView() {
        Find<QPushButton>(Window, "CmdAnalysis")->click();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.Analysis()));
        return Window.Analysis();
    }
    void PressF1(QWidget* Where) {
        Where->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Where));
        QTest::keyClick(Where, Qt::Key_F1);
    }

    static inline std::string Licence;
    TableFolder Folder{"\"H\",1,1.008\r\n"};
    OpenedFiles Browser;
    FrmVarnock Window;
};

TEST_F(WindowHelp, F1OpensTheManualBesideTheProgram) {
    const QString Manual = QDir(Folder.Folder()).absoluteFilePath(QStringLiteral("varnock.html"));
    struct Pressed {
        const char* Where;
        bool There;
    };
    const Pressed Table[] = {{"window", true}, {"view", true}, {"window", false}};
    for (const auto& Row : Table) {
        SCOPED_TRACE(std::string(Row.Where) + (Row.There ? ", manual there" : ", none"));
        QFile::remove(Manual);
        if (Row.There) {
            QFile Page(Manual);
            ASSERT_TRUE(Page.open(QIODevice::WriteOnly));
            Page.write("<html></html>");
        }
        Browser.Urls.clear();
        MessageAnswerer Answerer;
        PressF1(std::string(Row.Where) == "view" ? static_cast<QWidget*>(OpenView()) : &Window);
        if (Row.There) {
            EXPECT_EQ(Browser.Urls, std::vector<QUrl>{QUrl::fromLocalFile(Manual)});
            EXPECT_TRUE(Answerer.Seen.empty());
        } else {
            EXPECT_TRUE(Browser.Urls.empty());
            ASSERT_EQ(Answerer.Seen.size(), 1u);
            EXPECT_EQ(Answerer.Seen[0].Text,
                      "The manual is not there: " + QDir::toNativeSeparators(Manual));
        }
    }
}

TEST_F(WindowHelp, AboutTellsTheVersionAndTheLicenceFromTheContextMenuAndTheView) {
    ASSERT_FALSE(Licence.empty());

    QStringList Spoken; // the context menu's entries as a screen reader has them
    const std::pair<const char*, std::function<void()>> Ways[] = {
        {"the window's context menu",
         [&] {
             // A right click beside the controls: on the first point no control covers.
             QPoint Beside(-1, -1);
             for (int Y = 0; Y < Window.height() && Beside.x() < 0; Y += 4)
                 for (int X = 0; X < Window.width() && Beside.x() < 0; X += 4)
                     if (!Window.childAt(X, Y))
                         Beside = QPoint(X, Y);
             ASSERT_GE(Beside.x(), 0);
             WhileShown<QMenu>(
                 [&] {
                     QContextMenuEvent Click(QContextMenuEvent::Mouse, Beside,
                                             Window.mapToGlobal(Beside));
                     QApplication::sendEvent(&Window, &Click);
                 },
                 [&](QMenu* Menu) {
                     QAccessibleInterface* Read = QAccessible::queryAccessibleInterface(Menu);
                     for (int Index = 0; Read && Index < Read->childCount(); ++Index)
                         Spoken << Read->child(Index)->text(QAccessible::Name);
                     for (QAction* Entry : Menu->actions())
                         if (Entry->text().contains(QLatin1String("About")))
                             Menu->setActiveAction(Entry);
                     QTest::keyClick(Menu, Qt::Key_Return);
                 });
         }},
        {"the view's About button", [&] { Find<QPushButton>(*OpenView(), "CmdAbout")->click(); }},
    };
    for (const auto& [Way, Reach] : Ways) {
        SCOPED_TRACE(Way);
        MessageAnswerer Answerer;
        Reach();
        ASSERT_EQ(Answerer.Seen.size(), 1u);
        const SeenMessage& About = Answerer.Seen[0];
        EXPECT_EQ(About.Title, "About Varnock");
        EXPECT_EQ(About.Spoken, "About Varnock");
        EXPECT_EQ(About.Text, "Varnock " VARNOCK_VERSION);
        EXPECT_EQ(About.Detail.toStdString(), Licence);
    }
    EXPECT_EQ(Spoken, QStringList({"Manual", "About Varnock"}));
}

} // namespace
} // namespace Varnock

#include "WindowHelpTest.moc"
