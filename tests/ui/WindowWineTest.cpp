// The window as a Windows program: Qt's windows platform plugin under Wine, on an X server of
// its own (scripts/wine-window). Keys and clicks go in through the system (SendInput), the
// caption and the message box are read back as Windows has them, and the click on the address
// is followed to the program the shell starts for it: a stand-in registered for the http
// scheme in this run's own Wine folder, which writes down what it was handed.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <windows.h>

#include "core/Calculation.h"
#include "core/ElementTable.h"
#include "core/EntryTable.h"
#include "core/SystemServices.h"
#include "tests/support/RecordingView.h"
#include "tests/support/ScreenshotChecks.h"
#include "tests/support/WindowTestSupport.h"

namespace Varnock {
namespace {

namespace fs = std::filesystem;
using namespace Testing;

std::string ReadAll(const fs::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), {}};
}

// Keeps the event loop turning until Done holds or TimeoutMs have passed.
bool WaitUntil(const std::function<bool()>& Done, int TimeoutMs = 10000) {
    for (int Waited = 0; Waited < TimeoutMs; Waited += 20) {
        if (Done())
            return true;
        QTest::qWait(20);
    }
    return Done();
}

void Send(std::vector<INPUT> Inputs) {
    SendInput(static_cast<UINT>(Inputs.size()), Inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD VirtualKey, bool Up) {
    INPUT Input{};
    Input.type = INPUT_KEYBOARD;
    Input.ki.wVk = VirtualKey;
    Input.ki.dwFlags = Up ? KEYEVENTF_KEYUP : 0;
    return Input;
}

void Press(WORD VirtualKey) {
    Send({Key(VirtualKey, false), Key(VirtualKey, true)});
}

// Types Text as a keyboard would: each character's key, with Shift where the layout needs it.
void Type(const std::string& Text) {
    for (const char Character : Text) {
        const SHORT Scan = VkKeyScanA(Character);
        const auto VirtualKey = static_cast<WORD>(LOBYTE(Scan));
        if (HIBYTE(Scan) & 1)
            Send({Key(VK_SHIFT, false), Key(VirtualKey, false), Key(VirtualKey, true),
                  Key(VK_SHIFT, true)});
        else
            Press(VirtualKey);
    }
}

void Click(QPoint Global) {
    const int Width = GetSystemMetrics(SM_CXSCREEN);
    const int Height = GetSystemMetrics(SM_CYSCREEN);
    INPUT Move{};
    Move.type = INPUT_MOUSE;
    Move.mi.dx = Global.x() * 65535 / (Width - 1);
    Move.mi.dy = Global.y() * 65535 / (Height - 1);
    Move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    INPUT Down{};
    Down.type = INPUT_MOUSE;
    Down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    INPUT Up = Down;
    Up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    Send({Move});
    QTest::qWait(100);
    Send({Down, Up});
}

std::string Caption(HWND Window) {
    char Text[256] = {};
    GetWindowTextA(Window, Text, sizeof Text);
    return Text;
}

// The visible top-level windows of this process other than Except.
std::vector<HWND> OtherWindows(HWND Except) {
    struct Search {
        HWND Except;
        std::vector<HWND> Found;
    } State{Except, {}};
    EnumWindows(
        [](HWND Window, LPARAM Data) -> BOOL {
            auto& Into = *reinterpret_cast<Search*>(Data);
            DWORD Process = 0;
            GetWindowThreadProcessId(Window, &Process);
            if (Process == GetCurrentProcessId() && Window != Into.Except &&
                IsWindowVisible(Window))
                Into.Found.push_back(Window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&State));
    return State.Found;
}

class WineWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        ASSERT_EQ(QGuiApplication::platformName(), "windows");
        std::ifstream In(VARNOCK_ELEMENTS_DAT, std::ios::binary);
        std::ostringstream Text;
        Text << In.rdbuf();
        Shipped = Text.str();
        ASSERT_FALSE(Shipped.empty());
        // Here, before the window makes another folder current: a path from / is on the
        // current folder's drive.
        ShotPath = fs::absolute(VARNOCK_BINARY_DIR "/WineWindow.png").string();
    }
    void SetUp() override {
        Folder = std::make_unique<TableFolder>(Shipped.c_str());
        Window = std::make_unique<FrmVarnock>();
        Window->Load(Folder->Folder());
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        Handle = reinterpret_cast<HWND>(Window->winId());
        // Keys go to the foreground window, as they do for the user's.
        SetForegroundWindow(Handle);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == Handle; }))
            << "the window did not come to the foreground";
        ASSERT_TRUE(WaitUntil([&] { return Formula()->hasFocus(); }));
    }
    void TearDown() override {
        Window.reset();
        Folder.reset();
    }
    QLineEdit* Formula() { return Find<QLineEdit>(*Window, "TxtFormula"); }
    QString Report() { return Find<QPlainTextEdit>(*Window, "TxtAnswer")->toPlainText(); }
    QString Mass() { return Find<QLineEdit>(*Window, "TxtFormulaMass")->text(); }
    // What the core makes of the formula with the same table: the window's report and mass
    // should be these, line ends aside.
    static RecordingView Expected(const std::string& Text) {
        RecordingView View;
        Varnock::Calculate(ProgramEntryTable(), Text, ElementTable(), View,
                           SystemServices::DecimalSeparator());
        return View;
    }

    static inline std::string Shipped;
    static inline std::string ShotPath;
    std::unique_ptr<TableFolder> Folder;
    std::unique_ptr<FrmVarnock> Window;
    HWND Handle = nullptr;
};

TEST_F(WineWindow, StartsWithTheListFromElementsDatAndItsCaption) {
    int Lines = 0;
    std::istringstream Table(Shipped);
    for (std::string Line; std::getline(Table, Line);)
        Lines += Line.find_first_not_of("\r ") != std::string::npos;
    const auto* List = Find<QListWidget>(*Window, "LstElements");
    EXPECT_EQ(List->count(), Lines);
    ASSERT_GT(List->count(), 100);
    EXPECT_EQ(List->item(0)->text(), "  1- H(1.008)");
    // The caption as Windows has it: set only once the table was read.
    EXPECT_EQ(Caption(Handle), "Varnock (By Tervalin)");
}

TEST_F(WineWindow, ATypedFormulaGivesTheReportAndTheMass) {
    Type("H2O");
    ASSERT_TRUE(WaitUntil([&] { return Formula()->text() == "H2O"; }))
        << "typed: " << Formula()->text().toStdString();
    Press(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return Mass() != "0"; })) << "no calculation after Enter";
    const RecordingView Core = Expected("H2O");
    QString Shown = Report();
    Shown.replace("\n", "\r\n");
    EXPECT_EQ(Shown.toStdString(), Core.Report);
    EXPECT_EQ(Mass().toStdString(), Core.Mass);
    // 2 x 1.008 + 15.999, the shipped table's weights.
    EXPECT_EQ(Mass().toStdString(),
              std::string("18") + SystemServices::DecimalSeparator() + "015 g");
    EXPECT_TRUE(Core.Notices.empty());

    // The window as the screen shows it, read back through the system.
    QTest::qWait(300);
    const QImage Shot = QGuiApplication::primaryScreen()->grabWindow(Window->winId()).toImage();
    ASSERT_FALSE(Shot.isNull());
    EXPECT_TRUE(Shot.save(QString::fromStdString(ShotPath), "PNG")) << ShotPath;
    EXPECT_EQ(Shot.size(), Window->size());
    Testing::ExpectWindowDrawn(Shot);
}

// A refused formula: a message box, a window of its own over the window, answered with Enter.
TEST_F(WineWindow, ARefusalIsAMessageBox) {
    struct Seen {
        std::string Caption;
        QString Text;
        bool Foreground = false;
    };
    std::vector<Seen> Boxes;
    bool Answered = false;
    // The box runs its own event loop; it is looked for from there.
    QTimer Watch;
    QObject::connect(&Watch, &QTimer::timeout, [&] {
        auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        const std::vector<HWND> Others = OtherWindows(Handle);
        if (!Box || Others.empty() || Answered)
            return;
        const auto BoxHandle = reinterpret_cast<HWND>(Box->winId());
        if (GetForegroundWindow() != BoxHandle)
            return;
        Boxes.push_back({Caption(Others.front()), Box->text(), Others.front() == BoxHandle});
        Answered = true;
        Press(VK_RETURN);
    });
    Watch.start(50);
    Type("HXO");
    Press(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return Answered && !QApplication::activeModalWidget(); }))
        << "no message box was shown and answered";
    Watch.stop();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Caption, "Varnock");
    EXPECT_TRUE(Boxes[0].Foreground);
    EXPECT_EQ(Boxes[0].Text, "Element: X Doesn't exist in database");
    const RecordingView Core = Expected("HXO");
    ASSERT_EQ(Core.Notices.size(), 1u);
    EXPECT_EQ(Boxes[0].Text.toStdString(), Core.Notices[0]);
    EXPECT_EQ(Mass().toStdString(), Core.Mass);
    EXPECT_TRUE(OtherWindows(Handle).empty()) << "the box is still open";
}

// What the window remembers goes where Windows keeps a user's settings, the registry (this run's
// Wine folder is its own, made for it and removed after it): closed at a size and place, a new
// window opens there.
TEST_F(WineWindow, ClosedAtASizeItReopensThereFromTheRegistry) {
    QSettings::setDefaultFormat(QSettings::NativeFormat);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tervalin\\varnock");
    Window->RememberPlaces();
    EXPECT_EQ(Window->size(), QSize(309, 192)) << "the first start is at the design size";
    Window->resize(480, 300);
    Window->move(40, 30);
    Window->close();

    FrmVarnock Again;
    Again.Load(Folder->Folder());
    Again.RememberPlaces();
    Again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Again));
    EXPECT_EQ(Again.size(), QSize(480, 300));
    EXPECT_EQ(Again.pos(), QPoint(40, 30));
    Again.close();
    QSettings::setDefaultFormat(QSettings::IniFormat);

    char Size[64] = {};
    DWORD Length = sizeof Size;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Tervalin\\varnock\\MainWindow", "Size",
                           RRF_RT_REG_SZ, nullptr, Size, &Length),
              ERROR_SUCCESS);
    EXPECT_STREQ(Size, "@Size(480 300)");
}

// The shell starts whatever the system has for the http scheme; here that is cmd.exe writing
// its argument to a file.
TEST_F(WineWindow, AClickOnTheAddressReachesTheShell) {
    TempDir Files;
    const fs::path Log = Files.Folder() / "address.txt";
    const std::string Command = "C:\\windows\\system32\\cmd.exe /c echo %1> \"" +
                                fs::path(Log).make_preferred().string() + "\"";
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "http\\shell\\open\\ddeexec");
    HKEY Key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &Key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(Key, nullptr, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(Command.c_str()),
                             static_cast<DWORD>(Command.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(Key);

    auto* Label = Find<QLabel>(*Window, "Label4");
    Click(Label->mapToGlobal(QPoint(5, Label->height() / 2)));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(Log) && !ReadAll(Log).empty(); }, 20000))
        << "the shell started nothing for the address";
    QTest::qWait(200);
    EXPECT_EQ(ReadAll(Log), "http://tervalin.test/\r\n");
}

} // namespace
} // namespace Varnock
